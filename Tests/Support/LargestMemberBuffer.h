// Records the largest member buffer the archive allocates while it is installed: what the
// members made the program hold at most.
#pragma once

#include "Data/DataFile.h"

#include <algorithm>
#include <cstddef>
#include <string>

class LargestMemberBuffer final : public MemberBufferWatch {
public:
    void Allocated(const std::string&, size_t bytes) override { largest = std::max(largest, bytes); }
    size_t largest = 0;

private:
    ScopedMemberBufferWatch guard_{this};
};
