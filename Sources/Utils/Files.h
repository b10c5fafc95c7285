// Files by name on every platform: names are UTF-8 throughout the program, and on Windows they are
// handed to the wide-character calls, so a folder or an archive named in any script opens.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The path a UTF-8 name stands for.
std::filesystem::path PathFromUtf8(const std::string& name);
// A path's UTF-8 name.
std::string Utf8FromPath(const std::filesystem::path& path);

// The program's arguments as UTF-8: on Windows read again from the wide command line (argv is in
// the ANSI code page there), elsewhere argv as it is.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// fopen on a path, through _wfopen on Windows. Null when it cannot be opened.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// A file opened for reading, read at any offset without a shared position: pread on Linux,
// ReadFile with an OVERLAPPED offset on Windows.
class ReadOnlyFile {
public:
    // Null when the file cannot be opened or measured.
    static std::unique_ptr<ReadOnlyFile> Open(const std::string& utf8Name);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // The size when it was opened.
    uint64_t Size() const { return size_; }
    // Up to `bytes` bytes from `offset` into `out`: how many were read, 0 at or past the end, -1 on
    // an error.
    int64_t ReadAt(void* out, size_t bytes, uint64_t offset);

private:
    ReadOnlyFile(intptr_t handle, uint64_t size) : handle_(handle), size_(size) {}

    intptr_t handle_;  // the descriptor, or Windows' handle
    uint64_t size_;
};

}  // namespace platform
