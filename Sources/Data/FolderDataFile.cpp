// Members read from a folder of plain files. Every request looks the member up afresh, so a file
// changed on disk is read as it is now.
#include "Data/FolderDataFile.h"

#include "Utils/Files.h"
#include "Utils/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) return false;
    }
    return true;
}

bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(platform::PathFromUtf8(path), error);
}

// Reads exactly `length` bytes and checks that the file ends there: a file that changed size since
// it was measured is as unreadable as a corrupt zip member.
bool ReadWholeFile(const fs::path& path, char* buffer, int32_t length) {
    const std::unique_ptr<std::FILE, FileCloser> file(platform::OpenFile(path, "rb"));
    if (file == nullptr) return false;
    if (std::fread(buffer, 1, static_cast<size_t>(length), file.get()) != static_cast<size_t>(length))
        return false;
    return std::fgetc(file.get()) == EOF && std::ferror(file.get()) == 0;
}

}  // namespace

std::optional<fs::path> FolderDataFile::Locate(const std::string& name) const {
    fs::path path = platform::PathFromUtf8(archivePath);
    std::error_code error;
    size_t start = 0;
    while (true) {
        const size_t slash = name.find('/', start);
        const std::string_view part = std::string_view(name).substr(
            start, slash == std::string::npos ? std::string::npos : slash - start);
        // Empty, "." and ".." components name no member of a zip either.
        if (part.empty() || part == "." || part == "..") return std::nullopt;
#ifdef _WIN32
        // A backslash separates folders on Windows, never in a zip member's name.
        if (part.find('\\') != std::string_view::npos) return std::nullopt;
#endif
        fs::path next = path / platform::PathFromUtf8(std::string(part));
        if (!fs::exists(next, error)) {
            bool found = false;
            for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
                if (SameIgnoringAsciiCase(platform::Utf8FromPath(it->path().filename()), part)) {
                    next = it->path();
                    found = true;
                    break;
                }
            }
            if (!found) return std::nullopt;
        }
        path = std::move(next);
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    return path;
}

int32_t FolderDataFile::DoFileLengthInDataFileLookup(const std::string& name) {
    static const std::string kCaption = "DoFileLengthInDataFileLookup";
    if (!IsFolder(archivePath)) {
        platform::ShowMessageBox(kCaption, "Can't open Datafile!!!");
        return -1;
    }
    const std::optional<fs::path> path = Locate(name);
    if (!path) {
        platform::ShowMessageBox(kCaption, "File Not Found in datafile!!!");
        return -1;
    }
    std::error_code error;
    const uintmax_t size = fs::file_size(*path, error);
    // Room is kept for the terminating zero, as for a zip member.
    if (error || size >= static_cast<uintmax_t>(std::numeric_limits<int32_t>::max())) {
        platform::ShowMessageBox(kCaption, "Cant get the file info in datafile!!!");
        return -1;
    }
    return static_cast<int32_t>(size);
}

char* FolderDataFile::LoadFileFromDataFile(const std::string& name) {
    static const std::string kCaption = "LoadFileFromDataFile";
    if (!IsFolder(archivePath)) {
        platform::ShowMessageBox(kCaption, "Can't open Zipfile!!!");
        return nullptr;
    }
    const std::optional<fs::path> path = Locate(name);
    if (!path) {
        platform::ShowMessageBox(kCaption, "File Not Found in datafile!!!");
        return nullptr;
    }
    const int32_t length = DoFileLengthInDataFileLookup(name);
    if (length < 0) {
        platform::ShowMessageBox(kCaption, "error while checking filelength in datafile!!!");
        return nullptr;
    }
    return ReadMemberBuffer(kCaption, name, length, true,
                            [&](char* out) { return ReadWholeFile(*path, out, length); });
}

// The same two tries as the zip archive.
char* FolderDataFile::FLoadFile(const std::string& name) {
    return LoadTryingSeparators(
        name, [this](const std::string& n) { return DoFileLengthInDataFileLookup(n); },
        [this](const std::string& n) { return LoadFileFromDataFile(n); });
}

int32_t FolderDataFile::FileLength(const std::string& name) {
    return LengthTryingSeparators(name,
                                  [this](const std::string& n) { return DoFileLengthInDataFileLookup(n); });
}
