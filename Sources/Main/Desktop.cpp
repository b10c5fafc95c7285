#include "Main/Desktop.h"

#include "Utils/Files.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

#ifdef _WIN32
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
#endif
    arguments = platform::Utf8Arguments(argc, argv);
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
