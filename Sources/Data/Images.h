// Picture decoding and the image registry. Every picture is decoded once at start-up into a
// Bitmap and registered under a GUID handed out from 0 in registration order; scenes hold GUIDs
// and fetch the Bitmap with GetBitmap while drawing.
#pragma once

#include "Render/Bitmap.h"

#include <cstdint>
#include <string>

// Starts the image library; false when it is unusable.
bool InitDevil();

// Reads the archive member through dataFile, decodes it and registers it. kind 0 (keyed): pure
// green 0x00FF00 becomes transparent; kind 1 (plain): everything opaque. A member that cannot be
// read or decoded is registered as an empty bitmap under its GUID all the same.
int32_t RegisterImage(std::string name, int32_t kind, bool keepDecoded);

// The bitmap of a GUID (not owned by the caller), or null after an error box for an unknown GUID.
Bitmap* GetBitmap(int32_t guid);

// Releases every registered picture; the entries stay with null pointers.
void ReleaseImages();
