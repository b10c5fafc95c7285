// The window: SDL video start-up and presenting the canvas.
#pragma once

struct Bitmap;
struct SDL_Surface;

// Brings up SDL video and opens the 640 x 480 x 32 full-screen window with its caption. On failure
// shows the error box (after SDL_Quit) and returns null.
SDL_Surface* InitVideo();
// Copies the bitmap into the 32-bit screen surface, locked for the copy (see Bitmap::CopyTo for
// what happens when their sizes differ). Anything but a 32-bit surface is left alone.
void Present(const Bitmap& bitmap, SDL_Surface* surface);
