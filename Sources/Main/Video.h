// The window: SDL video start-up and presenting the canvas.
#pragma once

#include "Utils/Platform.h"

struct Bitmap;
struct OverlayInfo;
struct SDL_Surface;

// Brings up SDL video and opens the 640 x 480 x 32 full-screen window with its caption. On failure
// shows the error box (after SDL_Quit) and returns null.
SDL_Surface* InitVideo();
// Copies the bitmap into the 32-bit screen surface, locked for the copy (see Bitmap::CopyTo for
// what happens when their sizes differ). Anything but a 32-bit surface is left alone.
void Present(const Bitmap& bitmap, SDL_Surface* surface);

// Where the frames are shown: the full-screen display of old, or a resizable window in which the
// canvas is enlarged by whole factors and centred on black.
class Screen {
public:
    // Full-screen (as InitVideo), or a window of 640 x 480 times `scale`. False after the error box.
    bool Open(bool window, int scale);
    // The window was resized to w x h: the surface follows. Full-screen ignores it.
    void Resize(int w, int h);
    // Presents the canvas, draws the overlay over it when there is one (onto the surface only: the
    // canvas is left as the scenes drew it), and flips.
    void Show(const Bitmap& canvas, const OverlayInfo* overlay = nullptr);

private:
    SDL_Surface* surface = nullptr;
    bool windowed = false;
};

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
