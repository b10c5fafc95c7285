#include "Production/DefaultArchive.h"

#include "Production/Production.h"

#include <filesystem>
#include <system_error>

// CMake sets it from the install prefix; a build without it has no installed archive to fall back on.
#ifndef ZV_INSTALLED_ARCHIVE
#define ZV_INSTALLED_ARCHIVE ""
#endif

const char* InstalledArchivePath() {
    return ZV_INSTALLED_ARCHIVE;
}

std::string ChooseArchive(const std::string& local, const std::string& installed) {
    std::error_code error;
    if (std::filesystem::exists(local, error)) return local;
    if (!installed.empty() && std::filesystem::is_regular_file(installed, error)) return installed;
    return local;
}

std::string DefaultArchivePath() {
    return ChooseArchive(kArchivePath, InstalledArchivePath());
}
