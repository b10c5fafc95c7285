// The real program in a real X window: an Xvfb server of the test's own, the program started on
// it, and xdotool to find its window and press keys.
#pragma once

#include "Support/Process.h"
#include "Support/TempDir.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

inline bool RealWindowToolsPresent() {
    return std::filesystem::exists("/usr/bin/Xvfb") && std::filesystem::exists("/usr/bin/xdotool");
}

// A real X server for the test (Xvfb), on a display number the server picks itself. It is asked
// to end when the test is done, so it takes its socket and lock file with it.
class VirtualDisplay {
public:
    explicit VirtualDisplay(const TempDir& dir) {
        int fds[2];
        if (pipe(fds) != 0) return;
        server = std::make_unique<ChildProcess>(
            std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "1024x768x24", "-nolisten", "tcp"},
            dir.Path().string(), std::vector<std::string>{}, "xvfb");
        close(fds[1]);
        char number[16] = {};
        const ssize_t n = read(fds[0], number, sizeof number - 1);
        close(fds[0]);
        // Appended rather than prefixed: GCC 12 at -O3 sees a false overlap in ":" + std::string.
        if (n > 0) display = std::string(":").append(number, strcspn(number, "\n"));
    }
    ~VirtualDisplay() {
        if (!server) return;
        server->Terminate();
        server->Wait(5);
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    std::string display;

private:
    std::unique_ptr<ChildProcess> server;
};

inline constexpr const char* kWindowTitle = "z e m b r a v A L e";

// The program started in `dir` on the display until its window is there. Music at its real pace:
// a run lasts minutes unless a key ends it. The X11 and session bus client libraries SDL loads keep
// objects to the end of the process, so a sanitized build checks leaks in the headless runs, not
// here.
class ProgramWindow {
public:
    ProgramWindow(const std::string& program, const std::vector<std::string>& arguments, const TempDir& dir,
                  const VirtualDisplay& x)
        : workDir(dir.Path().string()), xEnv{"DISPLAY=" + x.display} {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        // The suite's own zero delay is taken out: the disk driver then asks for sound at the real
        // pace, and the run lasts long enough for the keys (with no delay the whole run can be over
        // before the window is found).
        const std::vector<std::string> env{"DISPLAY=" + x.display, "SDL_VIDEODRIVER=x11",
                                           "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=/dev/null",
                                           "SDL_DISKAUDIODELAY",   "ASAN_OPTIONS=detect_leaks=0"};
        // A program that could not open its window on the server at all (a video box, exit 0) is
        // started again: that is the server's hiccup, not the program's. Anything else is reported.
        for (int start = 0; start < 3 && !found; ++start) {
            demo = std::make_unique<ChildProcess>(argv, workDir, env, "demo");
            for (int attempt = 0; attempt < 100 && demo->Running() && !found; ++attempt) {
                const ProcessResult search = Xdotool({"getwindowgeometry"});
                found = search.exitCode == 0 && search.out.find("Geometry:") != std::string::npos;
                if (found) {
                    geometry = search.out;
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
            }
            if (found) break;
            const ProcessResult ended = demo->Wait(30);
            failures += "start " + std::to_string(start + 1) + ": exit " + std::to_string(ended.exitCode) +
                        (ended.timedOut ? " (no window within 10 s)" : "") + "\n" + ended.err + "\n";
            const bool noDisplay =
                !ended.timedOut && ended.exitCode == 0 && ended.err.find("SDL_") != std::string::npos;
            if (!noDisplay) break;
        }
    }

    // xdotool on the program's window: `search --name TITLE` followed by `commands`.
    ProcessResult Xdotool(const std::vector<std::string>& commands) const {
        std::vector<std::string> argv{"/usr/bin/xdotool", "search", "--name", kWindowTitle};
        argv.insert(argv.end(), commands.begin(), commands.end());
        return RunProcess(argv, workDir, xEnv, 10);
    }
    void Keys(const std::vector<std::string>& keys) const {
        std::vector<std::string> commands{"windowfocus", "--sync", "key", "--delay", "50"};
        commands.insert(commands.end(), keys.begin(), keys.end());
        Xdotool(commands);
    }

    // What the program has written on stderr so far.
    std::string Said() const { return ReadWholeFile(workDir + "/.demo.stderr"); }
    // Waits up to 30 s for `text` on stderr after its first `from` bytes.
    bool WaitToSay(const std::string& text, size_t from) const {
        for (int attempt = 0; attempt < 600; ++attempt) {
            const std::string said = Said();
            if (said.size() > from && said.find(text, from) != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool found = false;
    std::string geometry;  // xdotool's getwindowgeometry of the window when it was found
    std::string failures;  // how each start that showed no window ended
    std::unique_ptr<ChildProcess> demo;

private:
    std::string workDir;
    std::vector<std::string> xEnv;
};

}  // namespace testing_support
