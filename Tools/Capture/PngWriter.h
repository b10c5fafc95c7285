// Writes a canvas as an 8-bit RGB PNG. The same pixels always give the same bytes.
#pragma once

#include "Render/Bitmap.h"

#include <string>

// False (with a message in *error) when the file cannot be written.
bool WritePng(const std::string& path, const Bitmap& bitmap, std::string* error);
