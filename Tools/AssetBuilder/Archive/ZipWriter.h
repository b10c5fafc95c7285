// Writes archive members into a zip file the same way every time: members in the order given, one
// fixed timestamp, no extra fields, pictures and music stored as they are, text deflated.
#pragma once

#include "AssetBuilder/Archive/Archive.h"

#include <string>
#include <vector>

namespace assets {

// Writes the zip at `path` through a temporary file beside it, so an interrupted run never leaves
// a half-written archive under the real name. Throws std::runtime_error on failure.
void WriteZip(const std::string& path, const std::vector<ArchiveMember>& members);

// Writes each member as a plain file under `directory`, creating its folders.
void WriteUnpacked(const std::string& directory, const std::vector<ArchiveMember>& members);

}  // namespace assets
