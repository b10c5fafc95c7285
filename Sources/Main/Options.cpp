// The command line, read with CLI11; every refusal names the option and the value it got.
#include "Main/Options.h"

#include "Production/DefaultArchive.h"
#include "Production/Production.h"
#include "Utils/Files.h"

#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

constexpr int kLargestScale = 8;

// CLI11's own file checks read the name in the C runtime's code page on Windows: these read UTF-8.
CLI::Validator Existing(bool folder) {
    return CLI::Validator(
        [folder](std::string& name) {
            std::error_code error;
            const std::filesystem::path path = platform::PathFromUtf8(name);
            if (!std::filesystem::exists(path, error))
                return (folder ? "Directory" : "File") + std::string(" does not exist: ") + name;
            if (folder && !std::filesystem::is_directory(path, error))
                return "Directory is actually a file: " + name;
            if (!folder && std::filesystem::is_directory(path, error))
                return "File is actually a directory: " + name;
            return std::string();
        },
        folder ? "DIR" : "FILE");
}

constexpr const char* kFooter = R"(
Without options the production plays full-screen from tarnos.zip in the working directory, from
the start to the end (245 s of music). Escape or closing the window ends it. When the working
directory has no tarnos.zip and neither --archive nor --data is given, the installed archive is
played: )";

constexpr const char* kFooterRest = R"(.

--data reads a folder laid out as the archive (zembravale-assets --out DIR --unpacked writes one):
pictures and scripts can be edited there and played without repacking.

--preview keys: Space pauses and resumes; Left and Right seek 1 s (10 s with Shift); Home goes back
to 0; [ and ] mark a loop's start and end at the current time, L turns the loop on and off; R
reloads the scripts and pictures (with --data, a saved change is reloaded by itself). The frame
shown after a seek or a reload is the one zembravale-capture renders for that time.
)";

}  // namespace

std::optional<int> ParseProgramOptions(int argc, char** argv, ProgramOptions& options) {
    CLI::App app{"Plays the production: pictures drawn in step with the music.", "zembravale"};
    app.footer(kFooter + std::string(InstalledArchivePath()) + kFooterRest);
    app.set_help_flag("-h,--help", "this text");
    options.archive = DefaultArchivePath();

    auto* window =
        app.add_flag("--window", options.window,
                     "a resizable window instead of full-screen; the picture keeps its shape at the "
                     "largest whole scale that fits, centred on black");
    app.add_option("--scale", options.scale, "the window's first size: 640 x 480 times N (1 to 8, default 1)")
        ->type_name("N")
        ->check(CLI::Range(1, kLargestScale))
        ->needs(window);
    auto* archive =
        app.add_option("--archive", options.archive,
                       "the zip archive to play (default: tarnos.zip in the working directory, else the "
                       "installed one)")
            ->type_name("FILE")
            ->check(Existing(false));
    app.add_option("--data", options.data, "play the members from a folder of plain files instead of a zip")
        ->type_name("DIR")
        ->check(Existing(true))
        ->excludes(archive);
    const std::string startRange = "0 <= T < " + std::to_string(static_cast<int>(kEndTime));
    app.add_option("--start", options.start, "begin at music time T, in seconds (" + startRange + ")")
        ->type_name("T")
        ->check(CLI::Validator(
            [&startRange](std::string& text) {
                char* end = nullptr;
                const double value = std::strtod(text.c_str(), &end);
                const bool number = end != text.c_str() && *end == '\0' && std::isfinite(value);
                if (number && value >= 0 && value < kEndTime) return std::string();
                return "not a music time in seconds with " + startRange + ": " + text;
            },
            ""));

    app.add_flag("--preview", options.preview,
                 "keys to pause, seek, loop and reload, and an overlay of the music, the parts and the "
                 "beat bands (see below)");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return 0;
    } catch (const CLI::ParseError& error) {
        std::fprintf(stderr, "zembravale: %s\nRun with --help for the options.\n", error.what());
        return 2;
    }
    return std::nullopt;
}
