// SDL video start-up, presentation of the canvas, and the key state and clock SDL keeps.
#include "Main/Video.h"

#include "Main/Overlay.h"
#include "Render/Bitmap.h"
#include "Render/ScaledView.h"
#include "Utils/Utils.h"

#include <SDL.h>

#include <cstdlib>
#include <string>

namespace {
constexpr const char* kCaption = "z e m b r a v A L e";
// A window is drawn by us, in system memory, and resized by the user.
constexpr Uint32 kWindowFlags = SDL_SWSURFACE | SDL_RESIZABLE;

SDL_Surface* VideoFailure(const char* caption) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    ShowError(caption, error, false);
    return nullptr;
}
}  // namespace

SDL_Surface* InitVideo() {
    // The loop has no frame cap of its own: the display's vsync paces it where one is offered. The
    // full-screen 640 x 480 picture is scaled keeping its shape (pillarboxed on wide screens).
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) == -1) return VideoFailure("SDL_Init Error");
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr) return VideoFailure("SDL_GetVideoInfo Error");
    Uint32 flags = SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_HWPALETTE | SDL_RESIZABLE;
    if (info->hw_available) flags |= SDL_HWSURFACE;
    if (info->blit_hw) flags |= SDL_HWACCEL;
    SDL_Surface* screen = SDL_SetVideoMode(kScreenWidth, kScreenHeight, 32, flags);
    if (screen == nullptr) return VideoFailure("SDL_SetVideoMode Error");
    SDL_WM_SetCaption(kCaption, nullptr);
    return screen;
}

void Present(const Bitmap& bitmap, SDL_Surface* surface) {
    if (surface == nullptr || surface->format == nullptr || surface->format->BytesPerPixel != 4) return;
    SDL_LockSurface(surface);
    bitmap.CopyTo(static_cast<uint32_t*>(surface->pixels), surface->w, surface->h, surface->pitch / 4);
    SDL_UnlockSurface(surface);
}

bool Screen::Open(bool window, int scale) {
    windowed = window;
    if (!window) {
        surface = InitVideo();
        return surface != nullptr;
    }
    setenv("SDL12COMPAT_SYNC_TO_VBLANK", "1", 0);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_NOPARACHUTE) == -1) {
        VideoFailure("SDL_Init Error");
        return false;
    }
    surface = SDL_SetVideoMode(kScreenWidth * scale, kScreenHeight * scale, 32, kWindowFlags);
    if (surface == nullptr) {
        VideoFailure("SDL_SetVideoMode Error");
        return false;
    }
    SDL_WM_SetCaption(kCaption, nullptr);
    return true;
}

void Screen::Resize(int w, int h) {
    if (!windowed || w <= 0 || h <= 0) return;
    // On failure the old surface stays valid and in use.
    if (SDL_Surface* resized = SDL_SetVideoMode(w, h, 32, kWindowFlags)) surface = resized;
}

void Screen::Show(const Bitmap& canvas, const OverlayInfo* overlay) {
    if (!windowed) {
        Present(canvas, surface);
    } else if (surface != nullptr && surface->format != nullptr && surface->format->BytesPerPixel == 4) {
        SDL_LockSurface(surface);
        DrawScaled(canvas, static_cast<uint32_t*>(surface->pixels), surface->w, surface->h,
                   surface->pitch / 4);
        SDL_UnlockSurface(surface);
    }
    if (overlay != nullptr && surface != nullptr && surface->format != nullptr &&
        surface->format->BytesPerPixel == 4) {
        SDL_LockSurface(surface);
        DrawOverlay(*overlay, static_cast<uint32_t*>(surface->pixels), surface->w, surface->h,
                    surface->pitch / 4);
        SDL_UnlockSurface(surface);
    }
    SDL_Flip(surface);
}

bool SdlKeyboard::SpaceHeld() {
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
    SDL_PumpEvents();
    int count = 0;
    const Uint8* keys = SDL_GetKeyState(&count);
    return keys != nullptr && SDLK_SPACE < count && keys[SDLK_SPACE] != 0;
}

uint32_t SdlWallClock::Ticks() {
    return SDL_GetTicks();
}
