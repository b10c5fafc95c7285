// The ceilings of the archive's members and the line that tells a refused one.
#include "Data/MemberCeilings.h"

#include <cstdio>

namespace {

struct Kind {
    const char* ending;
    const char* what;
    int64_t ceiling;
};

constexpr Kind kKinds[] = {
    {".xml", "a sync script", kScriptCeiling}, {".mp3", "the music", kMusicCeiling},
    {".png", "a picture", kPictureCeiling},    {".jpg", "a picture", kPictureCeiling},
    {".jpeg", "a picture", kPictureCeiling},
};
constexpr Kind kOther = {"", "a member", kMusicCeiling};

bool EndsWithIgnoringCase(std::string_view name, std::string_view ending) {
    if (name.size() < ending.size()) return false;
    const std::string_view tail = name.substr(name.size() - ending.size());
    for (size_t i = 0; i < ending.size(); ++i) {
        const char c = tail[i] >= 'A' && tail[i] <= 'Z' ? static_cast<char>(tail[i] - 'A' + 'a') : tail[i];
        if (c != ending[i]) return false;
    }
    return true;
}

const Kind& KindOf(std::string_view name) {
    for (const Kind& kind : kKinds) {
        if (EndsWithIgnoringCase(name, kind.ending)) return kind;
    }
    return kOther;
}

}  // namespace

int64_t MemberCeiling(std::string_view name) {
    return KindOf(name).ceiling;
}

bool WithinCeiling(const std::string& name, int64_t size) {
    const Kind& kind = KindOf(name);
    if (size <= kind.ceiling) return true;
    std::fprintf(stderr, "zembravale: %s not read: %lld bytes, over the %lld MiB %s may hold\n", name.c_str(),
                 static_cast<long long>(size), static_cast<long long>(kind.ceiling >> 20), kind.what);
    std::fflush(stderr);
    return false;
}
