// SDL video start-up, presentation of the canvas, and the key state and clock SDL keeps.
#include "Main/Video.h"

#include "Main/Overlay.h"
#include "Render/Bitmap.h"
#include "Render/ScaledView.h"
#include "Utils/Utils.h"

#include <SDL.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <string>

namespace {
constexpr const char* kCaption = "z e m b r a v A L e";

bool VideoFailure(const char* caption) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    ShowError(caption, error, false);
    return false;
}
}  // namespace

bool Screen::Open(bool inWindow, int scale) {
    windowed = inWindow;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return VideoFailure("SDL_Init Error");
    // Enlarged pixels stay sharp.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    const Uint32 flags = windowed ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
    const int w = windowed ? kScreenWidth * scale : kScreenWidth;
    const int h = windowed ? kScreenHeight * scale : kScreenHeight;
    window = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (window == nullptr) return VideoFailure("SDL_CreateWindow Error");
    // The loop has no frame cap of its own: the display's vsync paces it where one is offered.
    renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_PRESENTVSYNC);
    if (renderer == nullptr) renderer = SDL_CreateRenderer(window, -1, 0);
    if (renderer == nullptr) {
        Close();
        return VideoFailure("SDL_CreateRenderer Error");
    }
    if (!windowed) {
        // The renderer enlarges the picture by whole factors only and centres it on black.
        SDL_RenderSetLogicalSize(renderer, kScreenWidth, kScreenHeight);
        SDL_RenderSetIntegerScale(renderer, SDL_TRUE);
        SDL_ShowCursor(SDL_DISABLE);
    }
    int outW = kScreenWidth;
    int outH = kScreenHeight;
    if (windowed) SDL_GetRendererOutputSize(renderer, &outW, &outH);
    if (!MakeTexture(outW, outH)) {
        Close();
        return VideoFailure("SDL_CreateTexture Error");
    }
    return true;
}

bool Screen::MakeTexture(int w, int h) {
    SDL_Texture* made =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    if (made == nullptr) return false;
    if (texture != nullptr) SDL_DestroyTexture(texture);
    texture = made;
    textureWidth = w;
    textureHeight = h;
    return true;
}

void Screen::Resize(int w, int h) {
    if (!windowed || renderer == nullptr || w <= 0 || h <= 0) return;
    // The renderer's own size of the area (in pixels where the desktop scales windows); on failure
    // the old texture stays in use, stretched.
    SDL_GetRendererOutputSize(renderer, &w, &h);
    if (w != textureWidth || h != textureHeight) MakeTexture(w, h);
}

void Screen::Show(const Bitmap& canvas, const OverlayInfo* overlay) {
    if (texture == nullptr) return;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return;
    auto* words = static_cast<uint32_t*>(pixels);
    if (windowed) {
        DrawScaled(canvas, words, textureWidth, textureHeight, pitch / 4);
    } else {
        canvas.CopyTo(words, textureWidth, textureHeight, pitch / 4);
    }
    if (overlay != nullptr) DrawOverlay(*overlay, words, textureWidth, textureHeight, pitch / 4);
    SDL_UnlockTexture(texture);
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, nullptr);
    SDL_RenderPresent(renderer);
}

void Screen::Close() {
    if (texture != nullptr) SDL_DestroyTexture(texture);
    if (renderer != nullptr) SDL_DestroyRenderer(renderer);
    if (window != nullptr) SDL_DestroyWindow(window);
    texture = nullptr;
    renderer = nullptr;
    window = nullptr;
}

bool SdlKeyboard::SpaceHeld() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
#ifdef _WIN32
    // The key's state as Windows keeps it, whichever window has the focus.
    return (GetAsyncKeyState(VK_SPACE) & 0x8000) != 0;
#else
    SDL_PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    return keys != nullptr && SDL_SCANCODE_SPACE < count && keys[SDL_SCANCODE_SPACE] != 0;
#endif
}

uint32_t SdlWallClock::Ticks() {
    return SDL_GetTicks();
}
