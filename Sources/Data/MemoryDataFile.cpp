// Members served from memory.
#include "Data/MemoryDataFile.h"

#include <cstdlib>
#include <cstring>

char* MemoryDataFile::FLoadFile(const std::string& name) {
    const auto found = members.find(name);
    if (found == members.end()) return nullptr;
    const std::string& bytes = found->second;
    char* buffer = static_cast<char*>(std::malloc(bytes.size() + 1));
    if (buffer == nullptr) return nullptr;
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = 0;
    ++outstanding;
    return buffer;
}

int32_t MemoryDataFile::FileLength(const std::string& name) {
    const auto found = members.find(name);
    return found == members.end() ? -1 : static_cast<int32_t>(found->second.size());
}

void MemoryDataFile::FreeBuffer(char* buffer) {
    outstanding -= buffer != nullptr ? 1 : 0;
    std::free(buffer);
}
