// The data archive: every file the program reads at run time is a member of one zip archive.
// Requests load a whole member into a new buffer or measure it; problems are shown as message
// boxes whose caption names the failing operation, and the request yields null or -1.
#pragma once

#include "Utils/Platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class DataFile {
public:
    explicit DataFile(std::string path) : archivePath(std::move(path)) {}
    virtual ~DataFile() = default;

    // A new buffer holding the member's bytes and one terminating zero byte, or null after the
    // archive's own message boxes. The caller owns it and gives it back with FreeBuffer.
    virtual char* FLoadFile(const std::string& name) = 0;
    // The member's uncompressed length (0 for an empty member), or -1.
    virtual int32_t FileLength(const std::string& name) = 0;
    // Gives a buffer from FLoadFile back; null is harmless.
    virtual void FreeBuffer(char* buffer);

    std::string archivePath;
};

// The last steps of every archive's member read, in this order: the member's ceiling (a member
// over it gets a line on stderr), whether its data could hold `length` bytes at all (`plausible`),
// then a buffer of length + 1 bytes, filled by `read` and zero-terminated. `read` may fill the
// spare byte to tell data running past `length`, and must then fail. Null after the box under
// `caption` for the step that failed; the read failure's box for a member refused before anything
// was allocated.
char* ReadMemberBuffer(const std::string& caption, const std::string& name, int32_t length, bool plausible,
                       const std::function<bool(char*)>& read);

// Told the size of each member buffer as it is allocated (terminating zero included): what the
// archive's members make the program hold. Tests and measurements install one; by default none.
class MemberBufferWatch {
public:
    virtual ~MemberBufferWatch() = default;
    virtual void Allocated(const std::string& member, size_t bytes) = 0;
};
MemberBufferWatch* CurrentMemberBufferWatch();
void SetMemberBufferWatch(MemberBufferWatch* watch);  // nullptr: none
using ScopedMemberBufferWatch =
    platform::ScopedSeam<MemberBufferWatch, CurrentMemberBufferWatch, SetMemberBufferWatch>;

// The two tries every archive makes for a member: the name as written, then with '/' for each run
// of backslashes. `length` and `load` are the archive's inner steps (with their own boxes); a load
// that fails both tries ends with the "FLoadFile" box naming the member as asked for.
int32_t LengthTryingSeparators(const std::string& name,
                               const std::function<int32_t(const std::string&)>& length);
char* LoadTryingSeparators(const std::string& name, const std::function<int32_t(const std::string&)>& length,
                           const std::function<char*(const std::string&)>& load);

// Owns a member buffer and gives it back to its archive.
struct MemberBufferDeleter {
    DataFile* owner = nullptr;
    void operator()(char* buffer) const {
        if (owner != nullptr) owner->FreeBuffer(buffer);
    }
};
using MemberBuffer = std::unique_ptr<char, MemberBufferDeleter>;

class ZipDataFile final : public DataFile {
public:
    explicit ZipDataFile(std::string path);
    ~ZipDataFile() override;
    ZipDataFile(const ZipDataFile&) = delete;
    ZipDataFile& operator=(const ZipDataFile&) = delete;

    char* FLoadFile(const std::string& name) override;
    int32_t FileLength(const std::string& name) override;

    // The inner steps; their names are the captions of their message boxes.
    int32_t DoFileLengthInDataFileLookup(const std::string& name);
    char* LoadFileFromDataFile(const std::string& name);
    // Each run of backslashes becomes one '/'.
    static void NormalizeSeparators(std::string& name);

private:
    struct OpenArchive;
    // The archive opened at the first request that could open it, with its directory read once
    // into an index; a failed opening is tried again at the next request.
    OpenArchive* Open();

    std::unique_ptr<OpenArchive> opened;
};

// The program's archive ("tarnos.zip"), owned by the application.
extern DataFile* dataFile;
