// An archive held in memory (member name -> bytes), handing out buffers as the zip archive does:
// malloc'd, with a terminating zero byte. For the tools, the tests and the fuzz targets, which
// bring their members themselves. It counts the buffers not yet given back.
#pragma once

#include "Data/DataFile.h"

#include <map>
#include <string>

class MemoryDataFile final : public DataFile {
public:
    MemoryDataFile() : DataFile("memory") {}
    // A copy of the member, or null (no box) when there is none or no memory for it.
    char* FLoadFile(const std::string& name) override;
    int32_t FileLength(const std::string& name) override;
    void FreeBuffer(char* buffer) override;

    std::map<std::string, std::string> members;
    int outstanding = 0;
};
