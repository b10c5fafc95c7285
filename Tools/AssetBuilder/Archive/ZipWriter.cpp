// Zip writing with minizip.
#include "AssetBuilder/Archive/ZipWriter.h"

#include <zip.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace assets {

namespace {

struct ZipCloser {
    void operator()(void* file) const { zipClose(static_cast<zipFile>(file), nullptr); }
};

bool Compressible(const std::string& name) {
    // PNG, JPEG and mp3 are compressed already; deflating them again only costs time.
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".xml") == 0;
}

}  // namespace

void WriteZip(const std::string& path, const std::vector<ArchiveMember>& members) {
    const std::string temporary = path + ".part";
    {
        std::unique_ptr<void, ZipCloser> zip(zipOpen64(temporary.c_str(), APPEND_STATUS_CREATE));
        if (!zip) throw std::runtime_error("cannot create " + temporary);
        for (const ArchiveMember& member : members) {
            zip_fileinfo info{};
            // A fixed date (2004-06-12 12:00:00) so two runs give the same bytes.
            info.tmz_date.tm_year = 2004;
            info.tmz_date.tm_mon = 5;
            info.tmz_date.tm_mday = 12;
            info.tmz_date.tm_hour = 12;
            const bool deflate = Compressible(member.name);
            if (zipOpenNewFileInZip64(zip.get(), member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                      deflate ? Z_DEFLATED : 0, deflate ? 9 : 0, 0) != ZIP_OK ||
                zipWriteInFileInZip(zip.get(), member.bytes.data(), unsigned(member.bytes.size())) !=
                    ZIP_OK ||
                zipCloseFileInZip(zip.get()) != ZIP_OK) {
                throw std::runtime_error("cannot write " + member.name + " into " + temporary);
            }
        }
        if (zipClose(static_cast<zipFile>(zip.release()), nullptr) != ZIP_OK) {
            throw std::runtime_error("cannot finish " + temporary);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) throw std::runtime_error("cannot move " + temporary + " to " + path + ": " + error.message());
}

void WriteUnpacked(const std::string& directory, const std::vector<ArchiveMember>& members) {
    for (const ArchiveMember& member : members) {
        const std::filesystem::path target = std::filesystem::path(directory) / member.name;
        std::filesystem::create_directories(target.parent_path());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(member.bytes.data()), std::streamsize(member.bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + target.string());
    }
}

}  // namespace assets
