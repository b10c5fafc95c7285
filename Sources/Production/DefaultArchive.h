// Which archive a program plays when it is not told: tarnos.zip in the working directory where
// there is one, else the copy an installed package put under its data folder.
#pragma once

#include <string>

// The archive an installed package ships: <install prefix>/share/zembravale/tarnos.zip.
const char* InstalledArchivePath();

// `local` when it names something or `installed` is not a file, else `installed`: so a missing
// archive is reported by its working-directory name.
std::string ChooseArchive(const std::string& local, const std::string& installed);

// ChooseArchive(kArchivePath, InstalledArchivePath()).
std::string DefaultArchivePath();
