// zembravale-assets: writes tarnos.zip (every picture, the three sync scripts and the music, all
// generated from code), optionally its members as plain files, and a report of how the scripts'
// beat bands follow the music.
#include "AssetBuilder/Archive/ArchiveBuild.h"
#include "AssetBuilder/Music/BandReport.h"
#include "AssetBuilder/Music/Music.h"
#include "AssetBuilder/Archive/Scripts.h"
#include "AssetBuilder/Archive/ZipWriter.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

namespace {

const char kUsage[] =
    "usage: zembravale-assets --out DIR [--unpacked] [--band-report]\n"
    "       zembravale-assets --band-report\n"
    "\n"
    "  --out DIR      write DIR/tarnos.zip: the 100 pictures, the sync scripts and the music\n"
    "  --unpacked     also write every member as a plain file under DIR (to look at, edit, repack)\n"
    "  --band-report  decode the music as the player does and print, for each beat band of the\n"
    "                 scripts, the share of frames above 0.1, 0.25, 0.3 and 0.5 and the median time\n"
    "                 between rises (without --out only the music and scripts are made)\n"
    "  --help         this text\n";

struct Options {
    std::string out;
    bool unpacked = false;
    bool bandReport = false;
};

// False (with a message) for anything it does not understand.
bool Parse(int argc, char** argv, Options& options, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--out" && i + 1 < argc) {
            options.out = argv[++i];
        } else if (arg == "--unpacked") {
            options.unpacked = true;
        } else if (arg == "--band-report") {
            options.bandReport = true;
        } else {
            std::fprintf(stderr, "zembravale-assets: unknown or incomplete option '%s'\n", arg.c_str());
            return false;
        }
    }
    if (!help && options.out.empty() && !options.bandReport) {
        std::fprintf(stderr, "zembravale-assets: nothing to do: give --out DIR or --band-report\n");
        return false;
    }
    if (options.unpacked && options.out.empty()) {
        std::fprintf(stderr, "zembravale-assets: --unpacked needs --out DIR\n");
        return false;
    }
    return true;
}

const assets::ArchiveMember* Find(const std::vector<assets::ArchiveMember>& members,
                                  const std::string& name) {
    for (const assets::ArchiveMember& member : members) {
        if (member.name == name) return &member;
    }
    return nullptr;
}

int Run(const Options& options) {
    std::vector<assets::ArchiveMember> members;
    if (!options.out.empty()) {
        assets::BuildTimes times;
        members = assets::BuildArchiveMembers(
            assets::BuildPictures, [] { return std::vector{assets::BuildMusic()}; }, &times);
        std::filesystem::create_directories(options.out);
        const std::string archive = (std::filesystem::path(options.out) / "tarnos.zip").string();
        assets::WriteZip(archive, members);
        if (options.unpacked) assets::WriteUnpacked(options.out, members);
        std::printf("wrote %s: %zu members in %.1f s (pictures %.1f s, music %.1f s, side by side)\n",
                    archive.c_str(), members.size(), times.total, times.pictures, times.music);
    } else {
        members = assets::BuildScripts();
        members.push_back(assets::BuildMusic());
    }
    if (options.bandReport) {
        const assets::ArchiveMember* music = Find(members, assets::kMusicMember);
        std::vector<assets::ArchiveMember> scripts;
        for (const assets::ArchiveMember& member : members) {
            if (member.name.rfind("syncroscripts/", 0) == 0) scripts.push_back(member);
        }
        std::fputs(assets::FormatBandReport(assets::TraceBands(music->bytes, scripts)).c_str(), stdout);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    bool help = false;
    if (!Parse(argc, argv, options, help)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        return Run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zembravale-assets: %s\n", error.what());
        return 1;
    }
}
