#include "Utils/Files.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <algorithm>
#include <limits>

namespace platform {

std::filesystem::path PathFromUtf8(const std::string& name) {
    // As char8_t: a plain char string would be read in the C runtime's code page on Windows.
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
#ifdef _WIN32
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromPath(std::filesystem::path(wide[i])));
        LocalFree(wide);
    }
#endif
    if (arguments.empty()) arguments.assign(argv, argv + argc);
    return arguments;
}

#ifdef _WIN32

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    wchar_t wideMode[8] = {};
    for (size_t i = 0; i + 1 < std::size(wideMode) && mode[i] != '\0'; ++i) wideMode[i] = mode[i];
    return _wfopen(path.c_str(), wideMode);
}

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::Open(const std::string& utf8Name) {
    const HANDLE handle = CreateFileW(PathFromUtf8(utf8Name).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle, &size) || size.QuadPart < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    return std::unique_ptr<ReadOnlyFile>(
        new ReadOnlyFile(reinterpret_cast<intptr_t>(handle), static_cast<uint64_t>(size.QuadPart)));
}

ReadOnlyFile::~ReadOnlyFile() {
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

int64_t ReadOnlyFile::ReadAt(void* out, size_t bytes, uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD asked = static_cast<DWORD>(std::min<size_t>(bytes, std::numeric_limits<DWORD>::max()));
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), out, asked, &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

#else

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

std::unique_ptr<ReadOnlyFile> ReadOnlyFile::Open(const std::string& utf8Name) {
    const int fd = open(utf8Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status {};
    if (fstat(fd, &status) != 0 || status.st_size < 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<ReadOnlyFile>(new ReadOnlyFile(fd, static_cast<uint64_t>(status.st_size)));
}

ReadOnlyFile::~ReadOnlyFile() {
    close(static_cast<int>(handle_));
}

int64_t ReadOnlyFile::ReadAt(void* out, size_t bytes, uint64_t offset) {
    if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return 0;
    for (;;) {
        const ssize_t got = pread(static_cast<int>(handle_), out, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        return got;
    }
}

#endif

}  // namespace platform
