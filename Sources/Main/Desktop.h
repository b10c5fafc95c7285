// What the program asks of the desktop it runs on beyond SDL: the command line as UTF-8, the
// console its text goes to, and where the message boxes and the debugger line go. On Windows these
// are Windows' own; elsewhere the defaults (stderr) stay.
#pragma once

#include "Utils/Platform.h"

#include <memory>
#include <string>
#include <vector>

class Desktop {
public:
    // Takes the command line: on Windows read again from Windows as UTF-8 (argv is in the ANSI
    // code page there); elsewhere argv as it is.
    Desktop(int argc, char** argv);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    int Argc() const { return static_cast<int>(pointers.size()) - 1; }
    char** Argv() { return pointers.data(); }

    // From here on the boxes are real windows (MessageBoxA) and the debugger line goes to the
    // debugger (OutputDebugStringA), on Windows; with SDL's headless video driver (tests) the
    // boxes stay text on stderr, as on Linux.
    void InstallSinks();

private:
    std::vector<std::string> arguments;
    std::vector<char*> pointers;
    std::unique_ptr<platform::MessageSink> boxes;
    std::unique_ptr<platform::DebugSink> debugger;
    std::unique_ptr<platform::ScopedMessageSink> boxGuard;
    std::unique_ptr<platform::ScopedDebugSink> debugGuard;
};
