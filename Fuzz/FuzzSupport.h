// What every fuzz target shares: a silent message sink (the archive and the error boxes would
// otherwise print a line per input), and a scope in which an archive held in memory
// (Data/MemoryDataFile.h) is the one the readers take their bytes from.
#pragma once

#include "Data/DataFile.h"
#include "Utils/Platform.h"

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
