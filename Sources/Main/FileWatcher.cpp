// The data folder's watcher (see FileWatcher.h), on Linux's inotify or Windows' change notifications.
#include "Main/FileWatcher.h"

#ifdef _WIN32
#include "Utils/Files.h"

#include <windows.h>

#include <filesystem>
#include <system_error>

FileWatcher::~FileWatcher() {
    Close();
}

void FileWatcher::Close() {
    if (notification_ != nullptr) FindCloseChangeNotification(notification_);
    notification_ = nullptr;
    pending_ = false;
}

bool FileWatcher::Open(const std::string& dir, std::string* error) {
    Close();
    // The name is UTF-8: the path takes it to the wide characters Windows names files in.
    const std::filesystem::path path = platform::PathFromUtf8(dir);
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) {
        if (error) *error = "Cannot watch " + dir + " for changes: " + (ec ? ec.message() : "not a folder");
        return false;
    }
    const HANDLE handle =
        FindFirstChangeNotificationW(path.c_str(), TRUE,
                                     FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                         FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    if (handle == INVALID_HANDLE_VALUE) {
        if (error)
            *error =
                "Cannot watch " + dir + " for changes: " + std::system_category().message(GetLastError());
        return false;
    }
    notification_ = handle;
    return true;
}

bool FileWatcher::WatchTree(const std::string&, std::string*) {
    return true;  // the one notification covers the tree
}

bool FileWatcher::Drain() {
    bool changed = false;
    // Signalled when something changed since the last look; looked at without waiting.
    while (WaitForSingleObject(notification_, 0) == WAIT_OBJECT_0) {
        changed = true;
        if (!FindNextChangeNotification(notification_)) break;
    }
    return changed;
}

bool FileWatcher::Watching() const {
    return notification_ != nullptr;
}

#else

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

// Writes closed, files created, deleted or moved in and out: every way an editor or a build
// saves a file. Folders only, so a path that became a file meanwhile is refused.
constexpr uint32_t kEvents =
    IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ONLYDIR;

// Editors' swap, backup and temporary files, and hidden folders such as ".git".
bool Ignored(std::string_view name) {
    return name.empty() || name.front() == '.' || name.back() == '~' ||
           (name.size() >= 4 && name.substr(name.size() - 4) == ".swp");
}

std::string Failure(const std::string& dir, int error) {
    const char* cause;
    if (error == ENOSPC) {
        cause = "too many inotify watches (raise fs.inotify.max_user_watches)";
    } else if (error == EMFILE) {
        cause = "too many inotify instances (raise fs.inotify.max_user_instances)";
    } else if (error == ENOTDIR) {
        cause = "not a folder";
    } else {
        cause = std::strerror(error);
    }
    return "Cannot watch " + dir + " for changes: " + cause;
}

}  // namespace

FileWatcher::~FileWatcher() {
    Close();
}

void FileWatcher::Close() {
    if (descriptor_ >= 0) ::close(descriptor_);  // drops every watch with it
    descriptor_ = -1;
    folders_.clear();
    pending_ = false;
}

bool FileWatcher::Open(const std::string& dir, std::string* error) {
    Close();
    struct stat info;
    if (::stat(dir.c_str(), &info) != 0) {
        if (error) *error = Failure(dir, errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        if (error) *error = Failure(dir, ENOTDIR);
        return false;
    }
    descriptor_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor_ < 0) {
        if (error) *error = Failure(dir, errno);
        return false;
    }
    std::string failure;
    if (!WatchTree(dir, &failure)) {
        Close();
        if (error) *error = failure;
        return false;
    }
    return true;
}

bool FileWatcher::WatchTree(const std::string& dir, std::string* error) {
    const int watch = ::inotify_add_watch(descriptor_, dir.c_str(), kEvents);
    if (watch < 0) {
        // A folder removed or replaced between its event and here is no failure: it is gone.
        if (errno == ENOENT || errno == ENOTDIR) return true;
        *error = Failure(dir, errno);
        return false;
    }
    folders_[watch] = dir;
    // Watch first, then list: a folder made inside meanwhile is caught by one or the other.
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::filesystem::directory_entry& entry = *it;
        std::error_code typeError;
        // Symbolic links are not followed, so a link back up the tree cannot loop.
        if (entry.is_symlink(typeError) || !entry.is_directory(typeError)) continue;
        if (Ignored(entry.path().filename().native())) continue;
        if (!WatchTree(entry.path().native(), error)) return false;
    }
    return true;
}

bool FileWatcher::Drain() {
    bool changed = false;
    alignas(inotify_event) char buffer[4096];  // room for at least one event with the longest name
    for (;;) {
        const ssize_t length = ::read(descriptor_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR) continue;
        if (length <= 0) break;  // EAGAIN: nothing more queued
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
            inotify_event event;
            std::memcpy(&event, buffer + offset, sizeof event);
            const char* name = buffer + offset + sizeof event;
            offset += static_cast<ssize_t>(sizeof event + event.len);
            if (event.mask & IN_Q_OVERFLOW) {
                changed = true;  // events were lost: assume the worst
                continue;
            }
            if (event.mask & IN_IGNORED) {
                folders_.erase(event.wd);  // its folder is gone
                continue;
            }
            // The name is padded with zero bytes up to event.len.
            const std::string_view file(name, event.len > 0 ? ::strnlen(name, event.len) : 0);
            if (Ignored(file)) continue;
            changed = true;
            if ((event.mask & IN_ISDIR) && (event.mask & (IN_CREATE | IN_MOVED_TO))) {
                const auto folder = folders_.find(event.wd);
                if (folder == folders_.end()) continue;
                std::string error;
                if (!WatchTree(folder->second + "/" + std::string(file), &error)) {
                    std::fprintf(stderr, "%s\n", error.c_str());
                }
            }
        }
    }
    return changed;
}

bool FileWatcher::Watching() const {
    return descriptor_ >= 0;
}

#endif  // _WIN32

// A change counts once the folder has been quiet for kSettle: an editor's save of several steps
// (a temporary file, a rename) is one reload.
bool FileWatcher::Changed(Clock::time_point now) {
    if (!Watching()) return false;
    if (Drain()) {
        pending_ = true;
        lastChange_ = now;
    }
    if (pending_ && now - lastChange_ >= kSettle) {
        pending_ = false;
        return true;
    }
    return false;
}
