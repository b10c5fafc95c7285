// The program: the options, the window, the production on the live music, the frame loop and the
// end. Exit code 0, or 2 for options it cannot use.
#include "Audio/AudioClock.h"
#include "Audio/MusicPlayer.h"
#include "Data/FolderDataFile.h"
#include "Main/Desktop.h"
#include "Main/Options.h"
#include "Main/Preview.h"
#include "Main/RunStats.h"
#include "Main/Video.h"
#include "Production/Production.h"
#include "Render/Bitmap.h"

// main stays ours on every platform: SDL is told so rather than renaming it to SDL_main.
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

bool quitRequested = false;

// Takes every pending event off the queue; Escape or the window's close ask for the end, a resized
// window gets a picture of its new size.
void DrainEvents(Screen& screen) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if ((event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) || event.type == SDL_QUIT) {
            quitRequested = true;
        }
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            screen.Resize(event.window.data1, event.window.data2);
    }
}

// stats: null unless ZEMBRAVALE_STATS=1 asked for the run's figures.
void RunFrames(Production& production, Screen& screen, RunStats* stats) {
    while (!quitRequested) {
        DrainEvents(screen);
        // The wall clock is read with the music clock, so a frame's delays fall on both alike.
        const int64_t now = audio::SteadyNanoseconds();
        const float t = production.RenderFrame();
        screen.Show(production.Canvas());
        if (stats != nullptr) stats->Frame(static_cast<double>(now) * 1e-9, t);
        // A NaN reading never ends the run; the clock keeps counting after the track ends.
        if (production.Music()->Time() >= kEndTime) quitRequested = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    SDL_SetMainReady();
    Desktop desktop(argc, argv);
    if (const std::optional<int> status = ParseProgramOptions(desktop.Argc(), desktop.Argv(), options))
        return *status;
    desktop.InstallSinks();
    SdlKeyboard keyboard;
    SdlWallClock wallClock;
    const platform::ScopedKeyboard keyboardGuard(&keyboard);
    const platform::ScopedWallClock wallClockGuard(&wallClock);
    Screen screen;
    if (!screen.Open(options.window, options.scale)) return 0;
    {
        ProductionSetup setup;
        setup.archivePath = options.archive;
        // Outlives the production, which only borrows it.
        std::unique_ptr<FolderDataFile> folder;
        if (!options.data.empty()) folder = std::make_unique<FolderDataFile>(options.data);
        setup.archive = folder.get();
        auto music = std::make_unique<LiveMusic>(options.start);
        LiveMusic& live = *music;  // owned by the production from here on
        setup.music = std::move(music);
        Production production(std::move(setup));
        if (production.Ready() && options.preview) {
            RunPreview(production, live, screen, options);
        } else if (production.Ready()) {
            production.Start();
            RunStats stats;
            const bool wantStats = RunStats::Requested();
            RunFrames(production, screen, wantStats ? &stats : nullptr);
            const MusicPlayer* player = production.Music()->Player();
            if (wantStats && player != nullptr)
                stats.Print(stderr, player->BuffersHanded(), player->LateBuffers());
        }
    }
    screen.Close();
    SDL_Quit();
    return 0;
}
