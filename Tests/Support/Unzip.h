// Unpacks a zip archive into a folder with minizip: the folder layout `zembravale-assets
// --unpacked` writes, made from any archive a test has. Returns the member names, in archive order.
#pragma once

#include <unzip.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

inline std::vector<std::string> UnpackZip(const std::string& zipPath, const std::filesystem::path& folder) {
    struct Closer {
        void operator()(void* handle) const { unzClose(handle); }
    };
    const std::unique_ptr<void, Closer> zip(unzOpen(zipPath.c_str()));
    if (zip == nullptr) throw std::runtime_error("cannot open " + zipPath);
    std::vector<std::string> names;
    for (int status = unzGoToFirstFile(zip.get()); status == UNZ_OK; status = unzGoToNextFile(zip.get())) {
        char name[512];
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip.get(), &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            throw std::runtime_error("bad entry in " + zipPath);
        std::string bytes(info.uncompressed_size, '\0');
        if (unzOpenCurrentFile(zip.get()) != UNZ_OK ||
            unzReadCurrentFile(zip.get(), bytes.data(), static_cast<unsigned>(bytes.size())) !=
                static_cast<int>(bytes.size()) ||
            unzCloseCurrentFile(zip.get()) != UNZ_OK)
            throw std::runtime_error(std::string("cannot read ") + name);
        const std::filesystem::path file = folder / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        names.emplace_back(name);
    }
    return names;
}
