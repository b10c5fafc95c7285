// DevIL's utility names for the picture library beside this folder (see PictureLibrary.h).
#pragma once

#include "IL/il.h"

using picturelib::iluFlipImage;
using picturelib::iluInit;
