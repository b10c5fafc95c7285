// Puts the whole archive together: the pictures and the music are the slow parts, so they are made
// on two threads at once while the scripts are written.
#pragma once

#include "AssetBuilder/Archive/Archive.h"

#include <functional>
#include <vector>

namespace assets {

struct BuildTimes {
    double pictures = 0.0;  // seconds spent drawing and encoding the pictures
    double music = 0.0;     // seconds spent synthesizing and encoding the music
    double total = 0.0;     // wall time of the whole build
};

using MemberSource = std::function<std::vector<ArchiveMember>()>;

// The members in archive order: the pictures, then the three scripts, then the music. `pictures`
// and `music` run on their own threads; an exception from either is rethrown here.
std::vector<ArchiveMember> BuildArchiveMembers(const MemberSource& pictures, const MemberSource& music,
                                               BuildTimes* times = nullptr);

}  // namespace assets
