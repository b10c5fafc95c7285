// The window: SDL video start-up, presenting the canvas, and the key state and clock SDL keeps.
#pragma once

#include "Utils/Platform.h"

struct Bitmap;
struct OverlayInfo;
struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

// Where the frames are shown: full screen at the desktop's resolution, the 640 x 480 picture
// enlarged by the largest whole factor that fits and centred on black, or a resizable window in
// which our own code enlarges the canvas the same way. Either way with sharp pixels, and in step
// with the display where the driver offers vsync.
class Screen {
public:
    Screen() = default;
    ~Screen() { Close(); }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    // Brings up SDL video and opens full screen, or a window of 640 x 480 times `scale`, with the
    // caption. On failure shows the error box (after SDL_Quit) and returns false.
    bool Open(bool window, int scale);
    // The window's drawable area is now w x h: the picture follows. Full screen ignores it.
    void Resize(int w, int h);
    // Presents the canvas, draws the overlay over it when there is one (onto the presented picture
    // only: the canvas is left as the scenes drew it), and shows it.
    void Show(const Bitmap& canvas, const OverlayInfo* overlay = nullptr);
    // Lets go of the window; before SDL_Quit.
    void Close();

private:
    bool MakeTexture(int w, int h);

    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;  // what Show draws into: the canvas's size, or the window's
    int textureWidth = 0;
    int textureHeight = 0;
    bool windowed = false;
};

// The Space key from the key state (Windows' own, or SDL's); never held before SDL video is up.
class SdlKeyboard final : public platform::Keyboard {
public:
    bool SpaceHeld() override;
};

// Milliseconds since SDL started (SDL_GetTicks): the wall clock the scenes read.
class SdlWallClock final : public platform::WallClock {
public:
    uint32_t Ticks() override;
};
