// What every fuzz target shares: a silent message sink (the archive and the error boxes would
// otherwise print a line per input), and an archive held in memory for the readers that take
// their bytes through dataFile.
#pragma once

#include "Data/DataFile.h"
#include "Utils/Platform.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace fuzz {

class SilentBoxes final : public platform::MessageSink {
public:
    void Show(const std::string&, const std::string&) override {}
};

// Installs the silent sink for the whole run.
inline void SilenceMessageBoxes() {
    static SilentBoxes sink;
    platform::SetMessageSink(&sink);
}

// Members handed out as the zip reader hands them: malloc'd, with one terminating zero byte.
class MemoryArchive final : public DataFile {
public:
    MemoryArchive() : DataFile("memory") {}
    char* FLoadFile(const std::string& name) override {
        const auto found = members.find(name);
        if (found == members.end()) return nullptr;
        char* buffer = static_cast<char*>(std::malloc(found->second.size() + 1));
        if (buffer == nullptr) return nullptr;
        std::memcpy(buffer, found->second.data(), found->second.size());
        buffer[found->second.size()] = 0;
        return buffer;
    }
    int32_t FileLength(const std::string& name) override {
        const auto found = members.find(name);
        return found == members.end() ? -1 : static_cast<int32_t>(found->second.size());
    }

    std::map<std::string, std::string> members;
};

// Makes `archive` the program's dataFile for one scope.
class ScopedDataFile {
public:
    explicit ScopedDataFile(DataFile* archive) : previous_(dataFile) { dataFile = archive; }
    ~ScopedDataFile() { dataFile = previous_; }
    ScopedDataFile(const ScopedDataFile&) = delete;
    ScopedDataFile& operator=(const ScopedDataFile&) = delete;

private:
    DataFile* previous_;
};

}  // namespace fuzz
