#include "Main/Desktop.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

#ifdef _WIN32
std::string Utf8(const wchar_t* wide) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string text(static_cast<size_t>(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    return text;
}

// The program is a windowed one, so a double-click opens no console. Started from a console, its
// text goes to that console; redirected to a file or a pipe, it stays there.
void AttachParentConsole() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    const bool outSet =
        out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
    const bool errSet =
        err != nullptr && err != INVALID_HANDLE_VALUE && GetFileType(err) != FILE_TYPE_UNKNOWN;
    if ((outSet && errSet) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!outSet) std::freopen("CONOUT$", "w", stdout);
    if (!errSet) std::freopen("CONOUT$", "w", stderr);
}

class BoxSink final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
    }
};

class DebuggerSink final : public platform::DebugSink {
public:
    void Write(const std::string& line) override { OutputDebugStringA(line.c_str()); }
};
#endif

}  // namespace

Desktop::Desktop(int argc, char** argv) {
#ifdef _WIN32
    AttachParentConsole();
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i) arguments.push_back(Utf8(wide[i]));
        LocalFree(wide);
    }
#endif
    if (arguments.empty()) arguments.assign(argv, argv + argc);
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
}

Desktop::~Desktop() = default;

void Desktop::InstallSinks() {
#ifdef _WIN32
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver == nullptr || std::strcmp(driver, "dummy") != 0) {
        boxes = std::make_unique<BoxSink>();
        boxGuard = std::make_unique<platform::ScopedMessageSink>(boxes.get());
    }
    debugger = std::make_unique<DebuggerSink>();
    debugGuard = std::make_unique<platform::ScopedDebugSink>(debugger.get());
#endif
}
