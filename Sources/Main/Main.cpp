// The program: the window, the production on the live music, the frame loop and the end. Exit code
// 0 always.
#include "Audio/AudioClock.h"
#include "Audio/MusicPlayer.h"
#include "Main/RunStats.h"
#include "Main/Video.h"
#include "Production/Production.h"
#include "Render/Bitmap.h"

#include <SDL.h>

#include <cstdio>
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

// stats: null unless ZEMBRAVALE_STATS=1 asked for the run's figures.
void RunFrames(Production& production, SDL_Surface* screen, RunStats* stats) {
    while (!quitRequested) {
        DrainEvents();
        // The wall clock is read with the music clock, so a frame's delays fall on both alike.
        const int64_t now = audio::SteadyNanoseconds();
        const float t = production.RenderFrame();
        Present(production.Canvas(), screen);
        SDL_Flip(screen);
        if (stats != nullptr) stats->Frame(static_cast<double>(now) * 1e-9, t);
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
            RunStats stats;
            const bool wantStats = RunStats::Requested();
            RunFrames(production, screen, wantStats ? &stats : nullptr);
            const MusicPlayer* player = production.Music()->Player();
            if (wantStats && player != nullptr) stats.Print(stderr, player->BuffersHanded(), player->LateBuffers());
        }
    }
    SDL_Quit();
    return 0;
}
