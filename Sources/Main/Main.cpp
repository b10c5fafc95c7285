// The program: start-up, the frame loop on the music clock, and shutdown. Exit code 0 always.
#include "Audio/AudioClock.h"
#include "Audio/MusicPlayer.h"
#include "Data/Images.h"
#include "Main/Demo.h"
#include "Main/RunStats.h"
#include "Main/Video.h"
#include "Render/Bitmap.h"
#include "Utils/Utils.h"

#include <SDL.h>

#include <cstdio>

namespace {

SDL_Surface* screen = nullptr;
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
void RunFrames(RunStats* stats) {
    while (!quitRequested) {
        DrainEvents();
        player->Update();
        AnalyseFrame(player->spectrum);
        // The wall clock is read with the music clock, so a frame's delays fall on both alike.
        const int64_t now = audio::SteadyNanoseconds();
        const float t = player->Time();
        RenderParts(t);
        canvas->Present(screen);
        SDL_Flip(screen);
        if (stats != nullptr) stats->Frame(static_cast<double>(now) * 1e-9, t);
        // A NaN reading never ends the run; the clock keeps counting after the track ends.
        if (player->Time() >= kEndTime) quitRequested = true;
    }
}

}  // namespace

int main(int, char**) {
    screen = InitVideo();
    if (screen == nullptr) return 0;
    if (!InitDevil()) {
        ShowError("Error", "InitDevil failed !", true);
        SDL_Quit();
        return 0;
    }
    InitResources();
    if (!InitAudio()) {
        ReleaseResources();
        SDL_Quit();
        return 0;
    }
    InitParts();
    player->Play();
    player->SetVolume(100);

    RunStats stats;
    const bool wantStats = RunStats::Requested();
    RunFrames(wantStats ? &stats : nullptr);
    if (wantStats) stats.Print(stderr, player->BuffersHanded(), player->LateBuffers());

    player->Free();
    ReleaseParts();
    ReleaseAudio();
    ReleaseResources();
    SDL_Quit();
    return 0;
}
