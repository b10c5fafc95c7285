// The zip archive behind DataFile: a request finds the member ignoring ASCII case, reads or
// measures it. Problems are shown as plain message boxes captioned with the failing step, and the
// request yields null or -1.
//
// The archive is opened once, at the first request that can open it, and its central directory is
// walked once into an index: name (upper-cased) to the first entry of that name. Walking the
// directory for every lookup made start-up grow with entries times requests (a minute of black
// window for 65,000 entries); with the index each lookup is one hash probe. Every request still
// raises the boxes its steps would raise if it opened the archive itself.
//
// A member is never allocated past the ceiling for its kind, and deflated members are inflated here
// into their buffer and no further, so a stream that runs past its declared length is found out
// instead of silently cut short.
#include "Data/DataFile.h"

#include "Data/MemberCeilings.h"
#include "Utils/Files.h"
#include "Utils/Platform.h"

#include <unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <unordered_map>
#include <system_error>
#include <vector>

DataFile* dataFile = nullptr;

void DataFile::FreeBuffer(char* buffer) {
    std::free(buffer);
}

namespace {

// The unzip library's longest name: a request or directory name this long or longer never matches.
constexpr size_t kMaxNameLength = 256;
// Zip flag bit 0: the member is encrypted. We hold no password, so its bytes are unreadable.
constexpr uLong kEncryptedFlag = 1;
// Read in slices: a single call may deliver less than asked, and its length is an unsigned int.
constexpr uint32_t kReadChunk = 1u << 20;
// Deflated data are read in smaller slices: each is inflated before the next is read.
constexpr unsigned kRawSlice = 64u << 10;

// The archive file as the unzip library reads it: positioned reads through a window of the file
// held in memory, and a known end. The library reads headers a byte at a time and seeks between
// them, which through stdio costs a system call per seek; and a broken entry can make it read on
// past the end thousands of times (its extra-field loop runs up to 16,000 times on a header cut
// short). Here a read inside the window is a copy and a read past the end is nothing at all.
class WindowedFile {
public:
    static constexpr size_t kWindow = 64 * 1024;

    // Null when the file cannot be opened or measured.
    static std::unique_ptr<WindowedFile> Open(const char* path) {
        std::unique_ptr<platform::ReadOnlyFile> file = platform::ReadOnlyFile::Open(path);
        if (file == nullptr) return nullptr;
        return std::unique_ptr<WindowedFile>(new WindowedFile(std::move(file)));
    }
    WindowedFile(const WindowedFile&) = delete;
    WindowedFile& operator=(const WindowedFile&) = delete;

    size_t Read(void* out, size_t bytes) {
        size_t done = 0;
        while (done < bytes && position_ < size_) {
            if (position_ < windowStart_ || position_ >= windowStart_ + windowLength_) {
                if (!Fill()) break;
            }
            const size_t offset = static_cast<size_t>(position_ - windowStart_);
            const size_t count = std::min(bytes - done, windowLength_ - offset);
            std::memcpy(static_cast<char*>(out) + done, window_.get() + offset, count);
            done += count;
            position_ += count;
        }
        return done;
    }
    // Like fseek: any position from the start on is allowed, past the end too.
    bool Seek(uint64_t offset, int origin) {
        uint64_t base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR) base = position_;
        if (origin == ZLIB_FILEFUNC_SEEK_END) base = size_;
        const uint64_t target = base + offset;  // a negative offset arrives wrapped around
        if (static_cast<int64_t>(target) < 0) return false;
        position_ = target;
        return true;
    }
    uint64_t Tell() const { return position_; }
    bool Failed() const { return failed_; }

private:
    explicit WindowedFile(std::unique_ptr<platform::ReadOnlyFile> file)
        : file_(std::move(file)), size_(file_->Size()), window_(std::make_unique<char[]>(kWindow)) {}

    bool Fill() {
        const int64_t got = file_->ReadAt(window_.get(), kWindow, position_);
        if (got <= 0) {
            failed_ = got < 0;
            return false;
        }
        windowStart_ = position_;
        windowLength_ = static_cast<size_t>(got);
        return true;
    }

    std::unique_ptr<platform::ReadOnlyFile> file_;
    uint64_t size_;
    std::unique_ptr<char[]> window_;
    uint64_t windowStart_ = 0;
    size_t windowLength_ = 0;
    uint64_t position_ = 0;
    bool failed_ = false;
};

// The unzip library's file functions over a WindowedFile (reading only).
zlib_filefunc64_def WindowedFileFunctions() {
    zlib_filefunc64_def functions{};
    functions.zopen64_file = [](voidpf, const void* path, int mode) -> voidpf {
        if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
        return WindowedFile::Open(static_cast<const char*>(path)).release();
    };
    functions.zread_file = [](voidpf, voidpf file, void* out, uLong bytes) -> uLong {
        return static_cast<WindowedFile*>(file)->Read(out, bytes);
    };
    functions.zwrite_file = [](voidpf, voidpf, const void*, uLong) -> uLong { return 0; };
    functions.ztell64_file = [](voidpf, voidpf file) -> ZPOS64_T {
        return static_cast<WindowedFile*>(file)->Tell();
    };
    functions.zseek64_file = [](voidpf, voidpf file, ZPOS64_T offset, int origin) -> long {
        return static_cast<WindowedFile*>(file)->Seek(offset, origin) ? 0 : -1;
    };
    functions.zclose_file = [](voidpf, voidpf file) -> int {
        std::unique_ptr<WindowedFile> owned(static_cast<WindowedFile*>(file));
        return 0;
    };
    functions.zerror_file = [](voidpf, voidpf file) -> int {
        return static_cast<WindowedFile*>(file)->Failed() ? 1 : 0;
    };
    return functions;
}

// One opened archive; closing it also closes a member left open.
class UnzArchive {
public:
    explicit UnzArchive(const std::string& path) : handle_(Open(path)) {}
    ~UnzArchive() {
        if (handle_ != nullptr) unzClose(handle_);
    }
    UnzArchive(const UnzArchive&) = delete;
    UnzArchive& operator=(const UnzArchive&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    unzFile Get() const { return handle_; }

private:
    static unzFile Open(const std::string& path) {
        zlib_filefunc64_def functions = WindowedFileFunctions();
        return unzOpen2_64(path.c_str(), &functions);
    }

    unzFile handle_;
};

// The current member opened raw: its stored or deflated data as they lie in the archive.
class UnzMember {
public:
    explicit UnzMember(unzFile archive) : archive_(archive) {
        open_ = unzOpenCurrentFile2(archive, &method_, nullptr, 1) == UNZ_OK;
    }
    ~UnzMember() {
        if (open_) unzCloseCurrentFile(archive_);
    }
    UnzMember(const UnzMember&) = delete;
    UnzMember& operator=(const UnzMember&) = delete;

    bool IsOpen() const { return open_; }
    int Method() const { return method_; }
    // Up to `bytes` of the raw data; 0 at their end, negative on an error.
    int Read(void* out, unsigned bytes) { return unzReadCurrentFile(archive_, out, bytes); }

private:
    unzFile archive_;
    int method_ = -1;
    bool open_ = false;
};

// Deflate turns one byte of stream into at most 1032 bytes (a 258-byte match in under two bits);
// the slack covers the end of the stream.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kDeflateSlack = 1024;

// Whether the member's data could hold `length` bytes at all: stored data as they are, deflated
// data within the largest ratio; the library reads no other method. A directory entry may declare
// any size up to 2 GB: checked first, a lie fails before the buffer for it is allocated, and fails
// with the box the read would have given.
bool CanHold(uint64_t compressedSize, uLong method, uint64_t length) {
    if (method == 0) return length <= compressedSize;
    // Divided rather than multiplied: a zip64 entry may declare any 64-bit compressed size.
    if (method == Z_DEFLATED)
        return length <= kDeflateSlack || (length - kDeflateSlack) / kMaxDeflateRatio <= compressedSize;
    return false;
}

// The lookup key of the unzip library's case-insensitive comparison: a to z as A to Z, every
// other byte unchanged, the name ending at its first zero byte as a C string does.
std::string LookupKey(const char* name) {
    std::string key(name, strnlen(name, kMaxNameLength));
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

struct FreeDeleter {
    void operator()(char* buffer) const { std::free(buffer); }
};

// How a member's data filled its buffer of length + 1 bytes.
enum class Fill { kWhole, kRunsPast, kBroken };

// Stored data copied as they are.
Fill CopyStored(UnzMember& member, char* buffer, int32_t length) {
    const int64_t room = int64_t{length} + 1;
    int64_t done = 0;
    while (done < room) {
        const auto slice = static_cast<unsigned>(std::min<int64_t>(room - done, kReadChunk));
        const int got = member.Read(buffer + done, slice);
        if (got < 0) return Fill::kBroken;
        if (got == 0) break;
        done += got;
    }
    if (done > length) return Fill::kRunsPast;
    return done == length ? Fill::kWhole : Fill::kBroken;
}

struct InflateStream {
    InflateStream() { ready = inflateInit2(&stream, -MAX_WBITS) == Z_OK; }
    ~InflateStream() {
        if (ready) inflateEnd(&stream);
    }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;

    z_stream stream{};
    bool ready = false;
};

// Deflated data inflated here rather than by the unzip library, which stops at the declared length
// and so cannot tell a stream that goes on: the output ends with the buffer, so however far the
// stream would run, it stops one byte past the declared length.
Fill Inflate(UnzMember& member, char* buffer, int32_t length) {
    InflateStream inflater;
    if (!inflater.ready) return Fill::kBroken;
    z_stream& stream = inflater.stream;
    stream.next_out = reinterpret_cast<Bytef*>(buffer);
    stream.avail_out = static_cast<uInt>(length) + 1;
    const auto input = std::make_unique<Bytef[]>(kRawSlice);
    bool anyData = false;
    for (;;) {
        if (stream.avail_in == 0) {
            const int got = member.Read(input.get(), kRawSlice);
            if (got < 0) return Fill::kBroken;
            // An empty member may have no data at all; any other stream must reach its end.
            if (got == 0) return !anyData && length == 0 ? Fill::kWhole : Fill::kBroken;
            anyData = true;
            stream.next_in = input.get();
            stream.avail_in = static_cast<uInt>(got);
        }
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) {
            if (stream.total_out > static_cast<uLong>(length)) return Fill::kRunsPast;
            return stream.total_out == static_cast<uLong>(length) ? Fill::kWhole : Fill::kBroken;
        }
        if (status != Z_OK) return Fill::kBroken;
        if (stream.avail_out == 0) return Fill::kRunsPast;
    }
}

void ReportRunningPast(const std::string& name, int32_t length) {
    std::fprintf(stderr,
                 "zembravale: %s not read: its data run past the %d bytes its directory entry declares\n",
                 name.c_str(), length);
    std::fflush(stderr);
}

// Fills the buffer with exactly `length` bytes of the current member and checks its checksum. A
// short member, data running past the declared length, a checksum mismatch, a corrupt stream or an
// encrypted member all fail here instead of handing out corrupt or uninitialised bytes.
bool ReadWholeMember(unzFile archive, const std::string& name, char* buffer, int32_t length) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) return false;
    if ((info.flag & kEncryptedFlag) != 0) return false;
    UnzMember member(archive);
    if (!member.IsOpen()) return false;
    Fill fill = Fill::kBroken;
    if (member.Method() == 0) fill = CopyStored(member, buffer, length);
    if (member.Method() == Z_DEFLATED) fill = Inflate(member, buffer, length);
    if (fill == Fill::kRunsPast) ReportRunningPast(name, length);
    if (fill != Fill::kWhole) return false;
    return crc32(0, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(length)) == info.crc;
}

}  // namespace

struct ZipDataFile::OpenArchive {
    struct Entry {
        unz64_file_pos position{};
        uint64_t uncompressedSize = 0;
        uint64_t compressedSize = 0;
        uLong method = 0;
    };

    explicit OpenArchive(const std::string& path) : archive(path) {
        std::error_code error;
        const uintmax_t size = std::filesystem::file_size(platform::PathFromUtf8(path), error);
        if (!error && size > 0) archiveBytes = size;
    }

    // Walks the directory in order, as the library's own search does: an entry that cannot be
    // read ends the walk, and the first entry of each name is the one kept.
    void ReadDirectory() {
        for (int status = unzGoToFirstFile(archive.Get()); status == UNZ_OK;
             status = unzGoToNextFile(archive.Get())) {
            char name[kMaxNameLength + 1] = {};
            unz_file_info64 info{};
            if (unzGetCurrentFileInfo64(archive.Get(), &info, name, kMaxNameLength, nullptr, 0, nullptr, 0) !=
                UNZ_OK) {
                break;
            }
            Entry entry;
            if (unzGetFilePos64(archive.Get(), &entry.position) != UNZ_OK) break;
            entry.uncompressedSize = info.uncompressed_size;
            // The data cannot run past the end of the archive, whatever the entry says.
            entry.compressedSize = std::min<uint64_t>(info.compressed_size, archiveBytes);
            entry.method = info.compression_method;
            // A name of kMaxNameLength bytes or more cannot equal any request.
            if (strnlen(name, kMaxNameLength) < kMaxNameLength) index.emplace(LookupKey(name), entry);
        }
    }

    // The entry for a request, or null. The request ends at its first zero byte.
    const Entry* Find(const std::string& name) const {
        if (strnlen(name.c_str(), kMaxNameLength) >= kMaxNameLength) return nullptr;
        const auto found = index.find(LookupKey(name.c_str()));
        return found == index.end() ? nullptr : &found->second;
    }

    // Makes the entry the library's current member.
    bool Select(const Entry& entry) {
        unz64_file_pos position = entry.position;
        return unzGoToFilePos64(archive.Get(), &position) == UNZ_OK;
    }

    UnzArchive archive;
    uint64_t archiveBytes = 0;
    std::unordered_map<std::string, Entry> index;
};

ZipDataFile::ZipDataFile(std::string path) : DataFile(std::move(path)) {}

ZipDataFile::~ZipDataFile() = default;

ZipDataFile::OpenArchive* ZipDataFile::Open() {
    if (opened == nullptr) {
        auto fresh = std::make_unique<OpenArchive>(archivePath);
        if (!fresh->archive.IsOpen()) return nullptr;
        fresh->ReadDirectory();
        opened = std::move(fresh);
    }
    return opened.get();
}

void ZipDataFile::NormalizeSeparators(std::string& name) {
    std::string result;
    result.reserve(name.size());
    bool inRun = false;
    for (const char c : name) {
        if (c == '\\') {
            if (!inRun) result.push_back('/');
            inRun = true;
        } else {
            result.push_back(c);
            inRun = false;
        }
    }
    name = std::move(result);
}

int32_t ZipDataFile::DoFileLengthInDataFileLookup(const std::string& name) {
    static const std::string kCaption = "DoFileLengthInDataFileLookup";
    OpenArchive* archive = Open();
    if (archive == nullptr) {
        platform::ShowMessageBox(kCaption, "Can't open Datafile!!!");
        return -1;
    }
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(archive->archive.Get(), &global) != UNZ_OK) {
        platform::ShowMessageBox(kCaption, "Error in datafile!!!");
        return -1;
    }
    const OpenArchive::Entry* entry = archive->Find(name);
    if (entry == nullptr) {
        platform::ShowMessageBox(kCaption, "File Not Found in datafile!!!");
        return -1;
    }
    // A size an int32 cannot carry (with room for the terminating zero) is as unreadable as a
    // broken directory entry: a wrapped length would hand out a truncated member as a success.
    if (entry->uncompressedSize >= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
        platform::ShowMessageBox(kCaption, "Cant get the file info in datafile!!!");
        return -1;
    }
    return static_cast<int32_t>(entry->uncompressedSize);
}

namespace {
MemberBufferWatch* memberBufferWatch = nullptr;
}  // namespace

MemberBufferWatch* CurrentMemberBufferWatch() {
    return memberBufferWatch;
}

void SetMemberBufferWatch(MemberBufferWatch* watch) {
    memberBufferWatch = watch;
}

char* ReadMemberBuffer(const std::string& caption, const std::string& name, int32_t length, bool plausible,
                       const std::function<bool(char*)>& read) {
    static const std::string kReadFailed = "error while reading the buffer in datafile!!!";
    if (!WithinCeiling(name, length) || !plausible) {
        platform::ShowMessageBox(caption, kReadFailed);
        return nullptr;
    }
    const size_t bytes = static_cast<size_t>(length) + 1;
    std::unique_ptr<char, FreeDeleter> buffer(static_cast<char*>(std::malloc(bytes)));
    if (buffer == nullptr) {
        platform::ShowMessageBox(caption, "Couldn't allocate memory!!!");
        return nullptr;
    }
    if (memberBufferWatch != nullptr) memberBufferWatch->Allocated(name, bytes);
    if (!read(buffer.get())) {
        platform::ShowMessageBox(caption, kReadFailed);
        return nullptr;
    }
    buffer.get()[length] = 0;
    return buffer.release();
}

char* ZipDataFile::LoadFileFromDataFile(const std::string& name) {
    static const std::string kCaption = "LoadFileFromDataFile";
    OpenArchive* archive = Open();
    if (archive == nullptr) {
        platform::ShowMessageBox(kCaption, "Can't open Zipfile!!!");
        return nullptr;
    }
    const OpenArchive::Entry* entry = archive->Find(name);
    if (entry == nullptr) {
        platform::ShowMessageBox(kCaption, "File Not Found in datafile!!!");
        return nullptr;
    }
    // The length step with its own boxes; a length of 0 is fine.
    const int32_t length = DoFileLengthInDataFileLookup(name);
    if (length < 0) {
        platform::ShowMessageBox(kCaption, "error while checking filelength in datafile!!!");
        return nullptr;
    }
    const bool plausible =
        length == 0 || CanHold(entry->compressedSize, entry->method, static_cast<uint64_t>(length));
    return ReadMemberBuffer(kCaption, name, length, plausible, [&](char* out) {
        return archive->Select(*entry) && ReadWholeMember(archive->archive.Get(), name, out, length);
    });
}

int32_t LengthTryingSeparators(const std::string& name,
                               const std::function<int32_t(const std::string&)>& length) {
    std::string copy = name;
    int32_t found = length(copy);
    if (found <= 0) {
        ZipDataFile::NormalizeSeparators(copy);
        found = length(copy);
    }
    return found;
}

char* LoadTryingSeparators(const std::string& name, const std::function<int32_t(const std::string&)>& length,
                           const std::function<char*(const std::string&)>& load) {
    std::string copy = name;
    if (length(copy) > 0) return load(copy);
    // Not found as written (or empty): try again with '/' for each run of backslashes.
    ZipDataFile::NormalizeSeparators(copy);
    char* buffer = load(copy);
    if (buffer == nullptr) platform::ShowMessageBox("FLoadFile", "Couldn't load file: " + name + ".");
    return buffer;
}

char* ZipDataFile::FLoadFile(const std::string& name) {
    return LoadTryingSeparators(
        name, [this](const std::string& n) { return DoFileLengthInDataFileLookup(n); },
        [this](const std::string& n) { return LoadFileFromDataFile(n); });
}

int32_t ZipDataFile::FileLength(const std::string& name) {
    return LengthTryingSeparators(name,
                                  [this](const std::string& n) { return DoFileLengthInDataFileLookup(n); });
}
