// Watches the preview's data folder (--data DIR) for saved scripts and pictures, so the frame loop
// can reload them by itself. On Linux built on inotify: one watch per folder, the whole tree below DIR, and
// folders made later are watched as they appear. A save counts however the editor makes it: a file
// written and closed, a temporary file renamed into place, a file created or deleted. Editors' own
// files (names starting with "." or ending in "~" or ".swp") are ignored, and so are hidden folders.
//
// Changed() is meant for the frame loop: it never blocks and allocates nothing unless a new folder
// has appeared. On Windows one change notification covers the whole tree (FindFirstChangeNotificationW):
// it names no file, so there every change counts, editors' own files too. It reports a burst of changes once,
// when no new change has come for kSettle, so a save that writes several files is reloaded once and after its
// last file.
#pragma once

#include <chrono>
#include <string>
#include <unordered_map>

class FileWatcher {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kSettle{100};

    FileWatcher() = default;
    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    // Starts watching `dir` and every folder below it, dropping any earlier watch. On failure (no
    // such folder, not a folder, the system's inotify limits reached) returns false with a message
    // in `error` that names the folder and the cause; the watcher then reports nothing.
    bool Open(const std::string& dir, std::string* error);
#ifdef _WIN32
    bool IsOpen() const {
        return notification_ != nullptr;
    }
#else
    bool IsOpen() const {
        return descriptor_ >= 0;
    }
#endif

    // Once per frame: true once when changes have come and the last of them is at least kSettle old
    // at `now`; false otherwise, and always when not open.
    bool Changed(Clock::time_point now);
    bool Changed() {
        return Changed(Clock::now());
    }

private:
    void Close();
    // Adds a watch on `dir` and, recursively, on its folders. Returns false with `error` set when
    // the system refuses a watch; folders that vanish meanwhile are skipped.
    bool WatchTree(const std::string& dir, std::string* error);
    // Reads every queued event; true when one of them is a change worth reloading for. A folder that
    // appears and cannot be watched is reported on stderr; the rest of the tree stays watched.
    bool Drain();
    bool Watching() const;

#ifdef _WIN32
    void* notification_ = nullptr;  // the change notification's handle
#endif
    int descriptor_ = -1;
    std::unordered_map<int, std::string> folders_;  // watch descriptor -> folder path
    bool pending_ = false;                          // changes seen and not yet reported
    Clock::time_point lastChange_{};
};
