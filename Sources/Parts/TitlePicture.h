// The title composition the magnifiers of part one and part two zoom into: the dark mountain
// keyed over black with the production's name on it. It is made once from the registered
// pictures, and again when they are reloaded.
#pragma once

#include "Render/Bitmap.h"

// Composes the title into `title` (a canvas-sized picture).
void ComposeTitle(Bitmap* title);
