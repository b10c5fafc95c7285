#include "Main/Preview.h"

#include "Audio/AudioClock.h"
#include "Main/FileWatcher.h"
#include "Main/Overlay.h"
#include "Main/PreviewControls.h"
#include "Main/Video.h"
#include "Production/ProductionReports.h"
#include "Production/Production.h"
#include "Production/StatePass.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

namespace {

// In preview the scenes' timers follow the music, not the wall: a pause holds them, a seek moves
// them, and a frame after a seek continues from the state the pass left at the music's time.
class MusicWallClock final : public platform::WallClock {
public:
    uint32_t Ticks() override {
        const double seconds = static_cast<double>(platform::MusicTime());
        return seconds > 0 ? static_cast<uint32_t>(std::llround(seconds * 1000.0)) : 0u;
    }
};

// Space pauses here: it never asks for the debug line.
class NoKeys final : public platform::Keyboard {
public:
    bool SpaceHeld() override { return false; }
};

std::optional<PreviewKey> KeyOf(SDL_Keycode sym) {
    switch (sym) {
        case SDLK_SPACE:
            return PreviewKey::kSpace;
        case SDLK_LEFT:
            return PreviewKey::kLeft;
        case SDLK_RIGHT:
            return PreviewKey::kRight;
        case SDLK_HOME:
            return PreviewKey::kHome;
        case SDLK_LEFTBRACKET:
            return PreviewKey::kLoopStart;
        case SDLK_RIGHTBRACKET:
            return PreviewKey::kLoopEnd;
        case SDLK_l:
            return PreviewKey::kLoopSwitch;
        case SDLK_r:
            return PreviewKey::kReload;
        default:
            return std::nullopt;
    }
}

class PreviewRun {
public:
    PreviewRun(Production& production, LiveMusic& music, Screen& screen, const ProgramOptions& options)
        : production(production), screen(screen), music(music), pass(production), controls(kEndTime) {
        pass.StartPreparing();
        if (!options.data.empty()) {
            std::string error;
            if (!watcher.Open(options.data, &error))
                std::fprintf(stderr, "zembravale: %s; saved changes are not reloaded by themselves\n",
                             error.c_str());
        }
    }

    void Run(double start) {
        // The first picture is the frame of the start time; the music starts on that frame.
        const double shown = pass.FrameSeconds(pass.SeekTo(start));
        music.Seek(shown);
        production.Start();
        Settle();
        int64_t previous = audio::SteadyNanoseconds();
        while (!quit) {
            DrainEvents();
            if (quit) break;
            if (watcher.IsOpen() && watcher.Changed()) Reload();
            const float t = music.Time();
            if (music.Jumps() != jumps) {
                // The loop wrapped: the picture follows the music back.
                jumps = music.Jumps();
                pass.SeekTo(t);
                std::fprintf(stderr, "zembravale: loop back to %.3f s\n", static_cast<double>(t));
            } else if (!controls.Paused()) {
                production.RenderFrame();
            }
            const int64_t now = audio::SteadyNanoseconds();
            frameSeconds = static_cast<float>(static_cast<double>(now - previous) * 1e-9);
            previous = now;
            FillOverlay(music.Time());
            screen.Show(production.Canvas(), &overlay);
            if (music.Time() >= kEndTime) quit = true;
        }
    }

private:
    // Reads the jump count after our own seek, so the loop does not take it for a wrap.
    void Settle() {
        music.Time();
        jumps = music.Jumps();
    }

    void SeekTo(double seconds) {
        const double shown = pass.FrameSeconds(pass.SeekTo(seconds));
        music.Seek(shown);
        Settle();
    }

    void DrainEvents() {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT) quit = true;
            if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                screen.Resize(event.window.data1, event.window.data2);
            if (event.type != SDL_KEYDOWN) continue;
            if (event.key.keysym.sym == SDLK_ESCAPE) {
                quit = true;
                return;
            }
            if (const std::optional<PreviewKey> key = KeyOf(event.key.keysym.sym)) {
                const bool shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
                Apply(controls.Press(*key, shift, static_cast<double>(music.Time())));
            }
        }
    }

    // Each change is told on stderr too, with the music time it took effect at.
    void Apply(const PreviewRequest& request) {
        if (request.pauseChanged) {
            controls.Paused() ? music.Pause() : music.Resume();
            std::fprintf(stderr, "zembravale: %s at %.3f s\n", controls.Paused() ? "paused" : "resumed",
                         static_cast<double>(music.Time()));
        }
        if (request.loopChanged) {
            if (controls.LoopOn() && !music.SetLoop(controls.LoopStart(), controls.LoopEnd())) {
                // An end past the music's last sample: the player cannot wrap there.
                controls.Press(PreviewKey::kLoopSwitch, false, static_cast<double>(music.Time()));
                std::fprintf(stderr, "zembravale: no loop from %.3f to %.3f s: the music ends before\n",
                             controls.LoopStart(), controls.LoopEnd());
            } else if (controls.LoopOn()) {
                std::fprintf(stderr, "zembravale: loop on %.3f - %.3f s\n", controls.LoopStart(),
                             controls.LoopEnd());
            } else {
                music.ClearLoop();
                std::fputs("zembravale: loop off\n", stderr);
            }
        }
        if (request.seekTo >= 0) {
            SeekTo(request.seekTo);
            std::fprintf(stderr, "zembravale: seek to %.3f s\n", static_cast<double>(music.Time()));
        }
        if (request.loopMarked) {
            std::fprintf(stderr, "zembravale: loop marks %.3f - %.3f s\n", controls.LoopStart(),
                         controls.LoopEnd());
        }
        if (request.reload) Reload();
    }

    // The scripts and pictures read again; whatever failed is told on stderr and the overlay, and
    // the last good ones stay. The picture is brought to the music's time with what was read.
    void Reload() {
        const ReloadReport report = pass.Reload(music.Time());
        for (const ProductionMessage& message : report.messages)
            std::fprintf(stderr, "zembravale: reload: [%s] %s\n", message.caption.c_str(),
                         message.text.c_str());
        char summary[160];
        std::snprintf(summary, sizeof summary, "reload: scripts %s, %d pictures replaced, %d kept",
                      report.scriptsReplaced ? "replaced" : "kept", report.picturesReplaced,
                      report.picturesKept);
        note = summary;
        if (!report.messages.empty()) {
            const ProductionMessage& first = report.messages.front();
            note += ": " + first.caption + ": " + first.text;
        }
        std::fprintf(stderr, "zembravale: %s\n", summary);
    }

    void FillOverlay(float t) {
        production.FillStatus(t, &status);
        overlay.showMusic = true;
        overlay.musicTime = t;
        overlay.paused = controls.Paused();
        overlay.loopSet = controls.LoopStart() >= 0 || controls.LoopEnd() >= 0;
        overlay.loopOn = controls.LoopOn();
        overlay.loopStart = controls.LoopStart() >= 0 ? static_cast<float>(controls.LoopStart()) : NAN;
        overlay.loopEnd = controls.LoopEnd() >= 0 ? static_cast<float>(controls.LoopEnd()) : NAN;
        overlay.showFrame = true;
        overlay.frameSeconds = frameSeconds;
        overlay.partCount = std::min(status.partCount, OverlayInfo::kMaxParts);
        for (int i = 0; i < overlay.partCount; ++i) {
            overlay.parts[i] = {status.parts[i].name, WindowStateName(status.parts[i].state),
                                status.parts[i].effectTime};
        }
        overlay.bandCount = status.bandCount;
        for (int i = 0; i < status.bandCount; ++i) {
            overlay.bands[i] = {status.bands[i].name, status.bands[i].level, status.bands[i].threshold};
        }
        overlay.message = note.empty() ? std::string_view(status.lastMessage) : std::string_view(note);
    }

    Production& production;
    Screen& screen;
    LiveMusic& music;
    StatePass pass;
    PreviewControls controls;
    FileWatcher watcher;
    ProductionStatus status;
    OverlayInfo overlay;
    std::string note;  // what the last reload did, shown in place of the scripts' last message
    int64_t jumps = 0;
    float frameSeconds = 0.0f;
    bool quit = false;
};

}  // namespace

void RunPreview(Production& production, LiveMusic& music, Screen& screen, const ProgramOptions& options) {
    MusicWallClock wallClock;
    NoKeys keyboard;
    const platform::ScopedWallClock wallClockGuard(&wallClock);
    const platform::ScopedKeyboard keyboardGuard(&keyboard);
    PreviewRun run(production, music, screen, options);
    run.Run(options.start);
}
