// The program: the options, the window, the production on the live music, the frame loop and the
// end. Exit code 0, or 2 for options it cannot use.
#include "Data/FolderDataFile.h"
#include "Main/Options.h"
#include "Main/Video.h"
#include "Production/Production.h"
#include "Render/Bitmap.h"

#include <SDL.h>

#include <memory>
#include <optional>

namespace {

bool quitRequested = false;

// Takes every pending event off the queue; Escape or the window's close ask for the end, a resized
// window gets a surface of its new size.
void DrainEvents(Screen& screen) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if ((event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) || event.type == SDL_QUIT) {
            quitRequested = true;
        }
        if (event.type == SDL_VIDEORESIZE) screen.Resize(event.resize.w, event.resize.h);
    }
}

void RunFrames(Production& production, Screen& screen) {
    while (!quitRequested) {
        DrainEvents(screen);
        production.RenderFrame();
        screen.Show(production.Canvas());
        // A NaN reading never ends the run; the clock keeps counting after the track ends.
        if (production.Music()->Time() >= kEndTime) quitRequested = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    ProgramOptions options;
    if (const std::optional<int> status = ParseProgramOptions(argc, argv, options)) return *status;
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
        setup.music = std::make_unique<LiveMusic>(options.start);
        Production production(std::move(setup));
        if (production.Ready()) {
            production.Start();
            RunFrames(production, screen);
        }
    }
    SDL_Quit();
    return 0;
}
