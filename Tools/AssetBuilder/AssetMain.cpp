// zembravale-assets: writes tarnos.zip (every picture, the three sync scripts and the music, all
// generated from code), optionally its members as plain files, and a report of how the scripts'
// beat bands follow the music.
#include "AssetBuilder/Archive/ArchiveBuild.h"
#include "AssetBuilder/Music/BandReport.h"
#include "AssetBuilder/Music/Music.h"
#include "AssetBuilder/Pictures/Icon.h"
#include "AssetBuilder/Archive/Scripts.h"
#include "AssetBuilder/Archive/ZipWriter.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

struct Options {
    std::string out;
    bool unpacked = false;
    bool bandReport = false;
    std::string icon;
};

// Thrown for what the declarations cannot say; reported like the parser's own errors.
struct OptionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// False when --help was shown; throws on anything it does not understand.
bool Parse(int argc, char** argv, Options& options) {
    CLI::App app{
        "Writes tarnos.zip (every picture, the sync scripts and the music, all generated from code).",
        "zembravale-assets"};
    app.set_help_flag("-h,--help", "this text");
    auto* out = app.add_option("--out", options.out,
                               "write DIR/tarnos.zip: the 100 pictures, the sync scripts and the music")
                    ->type_name("DIR");
    app.add_flag("--unpacked", options.unpacked,
                 "also write every member as a plain file under DIR (to look at, edit, repack)")
        ->needs(out);
    auto* report =
        app.add_flag("--band-report", options.bandReport,
                     "decode the music as the player does and print, for each beat band of the scripts, "
                     "the share of frames above 0.1, 0.25, 0.3 and 0.5 and the median time between rises "
                     "(without --out only the music and scripts are made)");
    auto* icon = app.add_option("--icon", options.icon, "write the production's 128 x 128 icon as a PNG file")
                     ->type_name("FILE");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return false;
    } catch (const CLI::ParseError& error) {
        throw OptionError(error.what());
    }
    if (out->count() == 0 && report->count() == 0 && icon->count() == 0)
        throw OptionError("nothing to do: give --out DIR, --band-report or --icon FILE");
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
    if (!options.icon.empty()) {
        const std::vector<uint8_t> png = assets::DrawIcon(128);
        std::ofstream file(options.icon, std::ios::binary);
        file.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        if (!file.flush()) throw std::runtime_error("cannot write " + options.icon);
        if (options.out.empty() && !options.bandReport) return 0;
    }
    std::vector<assets::ArchiveMember> members;
    if (!options.out.empty()) {
        std::filesystem::create_directories(
            options.out);  // before the long build: a bad folder fails at once
        assets::BuildTimes times;
        members = assets::BuildArchiveMembers(
            assets::BuildPictures, [] { return std::vector{assets::BuildMusic()}; }, &times);
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
    try {
        Options options;
        if (!Parse(argc, argv, options)) return 0;
        return Run(options);
    } catch (const OptionError& error) {
        std::fprintf(stderr, "zembravale-assets: %s\nRun with --help for the options.\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zembravale-assets: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "zembravale-assets: stopped by an unexpected error\n");
    }
    return 1;
}
