// The error box.
#include "Utils/Utils.h"

#include "Utils/Platform.h"

namespace {
// Where the boxes say they come from; fixed for every caller.
constexpr const char* kLocation = ".\\Sources\\Utils\\Utils";
constexpr int kLine = 18;
}  // namespace

std::string ComposeErrorText(const std::string& text, bool withLocation) {
    if (!withLocation) return text;
    return text + "\n\n" + kLocation + "\nLine : " + std::to_string(kLine) + "\n";
}

void ShowError(const std::string& caption, const std::string& text, bool withLocation) {
    platform::ShowMessageBox(caption, ComposeErrorText(text, withLocation));
}
