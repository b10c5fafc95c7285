// The window: SDL video start-up and presenting the canvas.
#pragma once

#include "Utils/Platform.h"

struct Bitmap;
struct SDL_Surface;

// Brings up SDL video and opens the 640 x 480 x 32 full-screen window with its caption. On failure
// shows the error box (after SDL_Quit) and returns null.
SDL_Surface* InitVideo();
// Copies the bitmap into the 32-bit screen surface, locked for the copy (see Bitmap::CopyTo for
// what happens when their sizes differ). Anything but a 32-bit surface is left alone.
void Present(const Bitmap& bitmap, SDL_Surface* surface);

// The Space key from SDL's key state; never held before SDL video is up.
class SdlKeyboard final : public platform::Keyboard {
public:
    bool SpaceHeld() override;
};

// Milliseconds since SDL started (SDL_GetTicks): the wall clock the scenes read.
class SdlWallClock final : public platform::WallClock {
public:
    uint32_t Ticks() override;
};
