// The program: the window, the production on the live music, the frame loop and the end. Exit code
// 0 always.
#include "Main/Video.h"
#include "Production/Production.h"
#include "Render/Bitmap.h"

#include <SDL.h>

#include <memory>

namespace {

bool quitRequested = false;

// Takes every pending event off the queue; Escape or the window's close ask for the end.
void DrainEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if ((event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) || event.type == SDL_QUIT) {
            quitRequested = true;
        }
    }
}

void RunFrames(Production& production, SDL_Surface* screen) {
    while (!quitRequested) {
        DrainEvents();
        production.RenderFrame();
        Present(production.Canvas(), screen);
        SDL_Flip(screen);
        // A NaN reading never ends the run; the clock keeps counting after the track ends.
        if (production.Music()->Time() >= kEndTime) quitRequested = true;
    }
}

}  // namespace

int main(int, char**) {
    SdlKeyboard keyboard;
    SdlWallClock wallClock;
    const platform::ScopedKeyboard keyboardGuard(&keyboard);
    const platform::ScopedWallClock wallClockGuard(&wallClock);
    SDL_Surface* screen = InitVideo();
    if (screen == nullptr) return 0;
    {
        ProductionSetup setup;
        setup.music = std::make_unique<LiveMusic>();
        Production production(std::move(setup));
        if (production.Ready()) {
            production.Start();
            RunFrames(production, screen);
        }
    }
    SDL_Quit();
    return 0;
}
