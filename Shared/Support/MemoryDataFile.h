// An archive held in memory (member name -> bytes), handing out buffers as the real one does:
// malloc'd with a terminating zero byte. It counts the buffers not yet given back.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "Data/DataFile.h"

class MemoryDataFile final : public DataFile {
public:
    MemoryDataFile() : DataFile("memory") {}
    char* FLoadFile(const std::string& name) override {
        const auto found = members.find(name);
        if (found == members.end()) return nullptr;
        char* buffer = static_cast<char*>(std::calloc(found->second.size() + 1, 1));
        std::memcpy(buffer, found->second.data(), found->second.size());
        ++outstanding;
        return buffer;
    }
    int32_t FileLength(const std::string& name) override {
        const auto found = members.find(name);
        return found == members.end() ? -1 : static_cast<int32_t>(found->second.size());
    }
    void FreeBuffer(char* buffer) override {
        outstanding -= buffer != nullptr ? 1 : 0;
        std::free(buffer);
    }

    std::map<std::string, std::string> members;
    int outstanding = 0;
};
