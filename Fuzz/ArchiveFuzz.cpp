// Fuzzes the zip reader: the input is a whole archive. Every member named in its directory is
// measured and read through the program's own requests (with the backslash and letter-case
// variants the lookups accept), then the catalogue's and the scripts' names are asked for.
#include "FuzzSupport.h"

#include "Data/Catalogue.h"
#include "Data/DataFile.h"

#include <sys/mman.h>
#include <unistd.h>
#include <unzip.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

namespace {

// The archive reader takes a path: the input lives in an anonymous in-memory file reached
// through /proc, so no disk is touched per input.
class MemoryFile {
public:
    MemoryFile() : fd_(memfd_create("archive", 0)) {}
    ~MemoryFile() {
        if (fd_ >= 0) close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool Fill(const uint8_t* data, size_t size) {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0 || lseek(fd_, 0, SEEK_SET) != 0) return false;
        size_t done = 0;
        while (done < size) {
            const ssize_t wrote = write(fd_, data + done, size - done);
            if (wrote <= 0) return false;
            done += static_cast<size_t>(wrote);
        }
        return true;
    }
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// The names in the directory, in order, at most `limit` of them.
std::vector<std::string> ListMembers(const std::string& path, size_t limit) {
    std::vector<std::string> names;
    unzFile archive = unzOpen64(path.c_str());
    if (archive == nullptr) return names;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK && names.size() < limit;
         status = unzGoToNextFile(archive)) {
        char name[300] = {};
        if (unzGetCurrentFileInfo64(archive, nullptr, name, sizeof name - 1, nullptr, 0, nullptr, 0) !=
            UNZ_OK) {
            break;
        }
        names.emplace_back(name);
    }
    unzClose(archive);
    return names;
}

void Request(ZipDataFile& archive, const std::string& name) {
    const int32_t length = archive.FileLength(name);
    char* buffer = archive.FLoadFile(name);
    if (buffer != nullptr && length >= 0) {
        // The terminating zero must be there, right after the declared length.
        if (buffer[length] != 0) __builtin_trap();
    }
    archive.FreeBuffer(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::SilenceMessageBoxes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MemoryFile file;
    if (!file.Fill(data, size)) return 0;
    ZipDataFile archive(file.Path());
    for (const std::string& name : ListMembers(archive.archivePath, 16)) {
        Request(archive, name);
        std::string variant = name;
        std::replace(variant.begin(), variant.end(), '/', '\\');
        std::transform(variant.begin(), variant.end(), variant.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        Request(archive, variant);
    }
    // A few of the names the program asks for at start-up.
    for (size_t i = 0; i < kCatalogueSize; i += 33) Request(archive, catalogue[i].member);
    Request(archive, "syncroscripts\\intro.xml");
    Request(archive, "rorozuzorozori.mp3");
    return 0;
}
