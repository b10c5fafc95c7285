// Builds the fuzzers' seed corpora from the generated archive, so no binary seed is kept in the
// sources: every picture and script member becomes a seed of its target, slices of the music
// seed the mp3 target, and a few small archives built from real members seed the zip reader,
// with two zip bombs beside them: a script inflating past its ceiling, honestly declared and not.
//
//   zembravale-fuzz-seeds <tarnos.zip> <seed folder>
// writes <seed folder>/{archive,picture,script,mp3}/. Exit 1 with a message when the archive
// cannot be read.
#include "Support/DeflateBomb.h"

#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Larger members make slow seeds: the fuzzer mutates small inputs far faster.
constexpr size_t kMaxPictureSeed = 96 * 1024;

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::map<std::string, std::string> ReadMembers(const std::string& path) {
    std::map<std::string, std::string> members;
    unzFile archive = unzOpen64(path.c_str());
    if (archive == nullptr) return members;
    for (int status = unzGoToFirstFile(archive); status == UNZ_OK; status = unzGoToNextFile(archive)) {
        char name[512] = {};
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) !=
                UNZ_OK ||
            unzOpenCurrentFile(archive) != UNZ_OK) {
            break;
        }
        std::string bytes(static_cast<size_t>(info.uncompressed_size), '\0');
        const int got = unzReadCurrentFile(archive, bytes.data(), static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(archive);
        if (got == static_cast<int>(bytes.size())) members[name] = std::move(bytes);
    }
    unzClose(archive);
    return members;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A zip of the given members, written with minizip's own writer (stored or deflated).
bool WriteArchive(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& members,
                  bool deflated) {
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) return false;
    bool ok = true;
    for (const auto& [name, bytes] : members) {
        ok = ok && zipOpenNewFileInZip64(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr,
                                         deflated ? Z_DEFLATED : 0, Z_DEFAULT_COMPRESSION, 0) == ZIP_OK;
        ok = ok && zipWriteInFileInZip(zip, bytes.data(), static_cast<unsigned>(bytes.size())) == ZIP_OK;
        ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
    }
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

// A zip of one member whose data are `bomb`'s stream as it stands, its entry declaring `declared`
// bytes with checksum `crc`.
bool WriteBombArchive(const fs::path& path, const std::string& name, const DeflateBomb& bomb, uLong declared,
                      uLong crc) {
    zipFile zip = zipOpen64(path.string().c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) return false;
    bool ok = zipOpenNewFileInZip2(zip, name.c_str(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                   Z_DEFAULT_COMPRESSION, 1) == ZIP_OK;
    ok = ok &&
         zipWriteInFileInZip(zip, bomb.stream.data(), static_cast<unsigned>(bomb.stream.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZipRaw(zip, declared, crc) == ZIP_OK;
    return zipClose(zip, nullptr) == ZIP_OK && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <tarnos.zip> <seed folder>\n", argv[0]);
        return 2;
    }
    const std::map<std::string, std::string> members = ReadMembers(argv[1]);
    if (members.empty()) {
        std::fprintf(stderr, "zembravale-fuzz-seeds: cannot read any member of %s\n", argv[1]);
        return 1;
    }
    const fs::path root = argv[2];
    for (const char* target : {"archive", "picture", "script", "mp3", "capture-options"}) {
        fs::create_directories(root / target);
    }
    // Command lines for the capture tool, one argument a line: each way of asking for frames, a
    // video with every option, and the help.
    const char* const commandLines[] = {
        "--out\nframes\n--at\n7.64\n7.68",
        "--out\nframes\n--fps\n25\n--from\n1\n--to\n2",
        "--archive\ntarnos.zip\n--video\nd.mp4\n--from\n0\n--to\n5",
        "--video\nd.mp4\n--scale\n2\n--quality\n20\n--preset\nfast",
        "--video=d.mkv\n--lossless\n--fps\n60000/1001",
        "--help",
    };
    int n = 0;
    for (const char* line : commandLines)
        Write(root / "capture-options" / ("line" + std::to_string(n++)), line);

    std::vector<std::pair<std::string, std::string>> scripts;
    std::vector<std::pair<std::string, std::string>> smallPictures;
    int pictureSeeds = 0;
    for (const auto& [name, bytes] : members) {
        const std::string stem = fs::path(name).stem().string();
        if (EndsWith(name, ".xml")) {
            Write(root / "script" / stem, bytes);
            scripts.emplace_back(name, bytes);
        } else if ((EndsWith(name, ".png") || EndsWith(name, ".jpg")) && bytes.size() <= kMaxPictureSeed) {
            // The first byte picks keyed (0) or plain (1) conversion.
            Write(root / "picture" / stem, std::string(1, static_cast<char>(pictureSeeds++ & 1)) + bytes);
            if (bytes.size() <= 4096) smallPictures.emplace_back(name, bytes);
        } else if (EndsWith(name, ".mp3")) {
            // Slices from the start (with the tag the length scan reads) and from the middle
            // (the decoder has to find the next frame itself).
            Write(root / "mp3" / "start-8k", bytes.substr(0, 8 * 1024));
            Write(root / "mp3" / "start-32k", bytes.substr(0, 32 * 1024));
            Write(root / "mp3" / "middle-16k", bytes.substr(bytes.size() / 2, 16 * 1024));
        }
    }

    std::vector<std::pair<std::string, std::string>> mixed = scripts;
    smallPictures.resize(std::min<size_t>(smallPictures.size(), 3));
    mixed.insert(mixed.end(), smallPictures.begin(), smallPictures.end());
    mixed.emplace_back("empty.txt", "");
    mixed.emplace_back("syncroscripts/INTRO.XML", "second entry of the same name in another case");
    bool ok = WriteArchive(root / "archive" / "scripts-deflated", scripts, true);
    ok = ok && WriteArchive(root / "archive" / "mixed-stored", mixed, false);
    ok = ok && WriteArchive(root / "archive" / "mixed-deflated", mixed, true);
    // 2 MiB of zeros in about 2 KB: twice the ceiling of a script.
    const DeflateBomb bomb = MakeDeflateBomb(2);
    ok = ok && WriteBombArchive(root / "archive" / "bomb", "syncroscripts/intro.xml", bomb,
                                bomb.inflatedBytes, bomb.crc);
    ok = ok && WriteBombArchive(root / "archive" / "bomb-understated", "syncroscripts/intro.xml", bomb, 64,
                                bomb.crc);
    if (!ok) {
        std::fprintf(stderr, "zembravale-fuzz-seeds: cannot write the seed archives in %s\n", argv[2]);
        return 1;
    }
    std::printf("seeds: %d pictures, %zu scripts, 3 mp3 slices, 5 archives, 6 command lines\n", pictureSeeds,
                scripts.size());
    return 0;
}
