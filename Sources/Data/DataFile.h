// The data archive: every file the program reads at run time is a member of one zip archive.
// Requests load a whole member into a new buffer or measure it; problems are shown as message
// boxes whose caption names the failing operation, and the request yields null or -1.
#pragma once

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

// The last steps of every archive's member read: a buffer of length + 1 bytes, filled by `read`
// and zero-terminated. Null after the box under `caption` for the step that failed.
char* ReadMemberBuffer(const std::string& caption, int32_t length, const std::function<bool(char*)>& read);

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
