// Temporary stand-ins so this suite links before the archive module lands: weak, so the real
// definitions replace them without a clash once they are in the library.
#include <cstdlib>

#include "Data/DataFile.h"

__attribute__((weak)) void DataFile::FreeBuffer(char* buffer) {
    std::free(buffer);
}
__attribute__((weak)) DataFile* dataFile = nullptr;
