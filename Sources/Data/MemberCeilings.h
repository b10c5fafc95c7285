// The most bytes an archive member may hold, by kind. No member is allocated or inflated past its
// ceiling: a member over it is as unreadable as a corrupt one, so a few kilobytes of deflated
// zeros cannot make the program hold a gigabyte. Each ceiling fits our own members many times over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A sync script is a few KB; the script reader refuses anything longer than this anyway.
inline constexpr int64_t kScriptCeiling = int64_t{1} << 20;
// The 245 s of music are about 6 MB of mp3.
inline constexpr int64_t kMusicCeiling = int64_t{64} << 20;
// Our largest picture takes under 0.5 MB compressed; the decoded pixels have a budget of their own.
inline constexpr int64_t kPictureCeiling = int64_t{16} << 20;

// The ceiling for a member, by its name's ending ignoring ASCII case: ".xml" a script, ".mp3" the
// music, ".png", ".jpg" and ".jpeg" a picture. The program reads nothing else; any other member
// gets the largest ceiling.
int64_t MemberCeiling(std::string_view name);

// True when `size` bytes are within the member's ceiling; otherwise one line on stderr names the
// member, its size and its ceiling.
bool WithinCeiling(const std::string& name, int64_t size);
