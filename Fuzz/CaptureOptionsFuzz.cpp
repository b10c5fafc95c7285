// Fuzzes the capture tool's command line: each line of the input is one argument. Whatever the
// arguments, the parser returns exactly one of options, help text or an error, and options it
// returns hold what the renderer relies on.
#include "Capture/CaptureOptions.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> arguments{"zembravale-capture"};
    for (size_t begin = 0; begin <= text.size();) {
        const size_t end = std::min(text.find('\n', begin), text.size());
        arguments.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    argv.push_back(nullptr);

    const ParsedCaptureOptions parsed = ParseCaptureOptions(static_cast<int>(arguments.size()), argv.data());
    const int outcomes =
        (parsed.options ? 1 : 0) + (parsed.help.empty() ? 0 : 1) + (parsed.error.empty() ? 0 : 1);
    if (outcomes != 1) std::abort();
    if (!parsed.options) return 0;
    const CaptureOptions& o = *parsed.options;
    if (o.out.empty() == o.video.empty()) std::abort();
    if (o.rate.numerator <= 0 || o.rate.denominator <= 0) std::abort();
    if (!o.video.empty() && (o.scale < 1 || o.scale > 6 || !(o.from >= 0 && o.to > o.from))) std::abort();
    if (!o.out.empty() && o.at.empty() && !(o.from >= 0 && o.to >= o.from)) std::abort();
    return 0;
}
