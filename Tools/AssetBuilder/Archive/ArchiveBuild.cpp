// Building the members on two threads.
#include "AssetBuilder/Archive/ArchiveBuild.h"

#include "AssetBuilder/Archive/Scripts.h"

#include <chrono>
#include <future>

namespace assets {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

std::vector<ArchiveMember> BuildArchiveMembers(const MemberSource& pictures, const MemberSource& music,
                                               BuildTimes* times) {
    const Clock::time_point start = Clock::now();
    double pictureSeconds = 0.0, musicSeconds = 0.0;
    auto timed = [](const MemberSource& source, double* seconds) {
        return [&source, seconds] {
            const Clock::time_point begin = Clock::now();
            std::vector<ArchiveMember> members = source();
            *seconds = SecondsSince(begin);
            return members;
        };
    };
    std::future<std::vector<ArchiveMember>> pictureJob =
        std::async(std::launch::async, timed(pictures, &pictureSeconds));
    std::future<std::vector<ArchiveMember>> musicJob =
        std::async(std::launch::async, timed(music, &musicSeconds));

    std::vector<ArchiveMember> scripts = BuildScripts();
    // get() waits for each thread and rethrows what it threw; both are waited for before leaving,
    // since a future from std::async joins its thread when it is destroyed.
    std::vector<ArchiveMember> members = pictureJob.get();
    std::vector<ArchiveMember> track = musicJob.get();
    for (ArchiveMember& script : scripts) members.push_back(std::move(script));
    for (ArchiveMember& member : track) members.push_back(std::move(member));
    if (times != nullptr) {
        times->pictures = pictureSeconds;
        times->music = musicSeconds;
        times->total = SecondsSince(start);
    }
    return members;
}

}  // namespace assets
