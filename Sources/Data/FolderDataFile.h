// The archive's members as plain files in a folder, laid out as in the zip (`zembravale-assets
// --unpacked` writes such a folder): pictures and scripts can be edited in place and read again
// without repacking. Names are found ignoring ASCII case, one path component at a time, as the zip
// finds its members; a name that would leave the folder ("..", an absolute path) is not found.
// Problems show the zip archive's own message boxes, with the same captions and texts.
#pragma once

#include "Data/DataFile.h"

#include <filesystem>
#include <optional>

class FolderDataFile final : public DataFile {
public:
    explicit FolderDataFile(std::string folder) : DataFile(std::move(folder)) {}

    char* FLoadFile(const std::string& name) override;
    int32_t FileLength(const std::string& name) override;

    // The inner steps, named and captioned as the zip archive's.
    int32_t DoFileLengthInDataFileLookup(const std::string& name);
    char* LoadFileFromDataFile(const std::string& name);

    // The regular file that holds member `name`, or nothing.
    std::optional<std::filesystem::path> Locate(const std::string& name) const;
};
