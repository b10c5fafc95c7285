// Default implementations of the platform seams, and the slots that hold the installed variants.
#include "Utils/Platform.h"

#include <chrono>
#include <cstdio>

namespace platform {
namespace {

class StderrMessageSink final : public MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        std::fprintf(stderr, "[%s]\n%s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
    }
};

class StderrDebugSink final : public DebugSink {
public:
    void Write(const std::string& line) override {
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    }
};

// Without a window there is no key to hold.
class NoKeyboard final : public Keyboard {
public:
    bool SpaceHeld() override { return false; }
};

// Milliseconds since the clock was first read; the live shell installs the video library's clock.
class SteadyWallClock final : public WallClock {
public:
    uint32_t Ticks() override {
        using namespace std::chrono;
        static const steady_clock::time_point start = steady_clock::now();
        return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
    }
};

StderrMessageSink defaultMessageSink;
StderrDebugSink defaultDebugSink;
NoKeyboard defaultKeyboard;
SteadyWallClock defaultWallClock;

MessageSink* messageSink = &defaultMessageSink;
DebugSink* debugSink = &defaultDebugSink;
Keyboard* keyboard = &defaultKeyboard;
WallClock* wallClock = &defaultWallClock;
MusicClock* musicClock = nullptr;

uint32_t randState = 1;

}  // namespace

void ShowMessageBox(const std::string& caption, const std::string& text) {
    messageSink->Show(caption, text);
}
void DebugOutput(const std::string& line) {
    debugSink->Write(line);
}
bool SpaceKeyHeld() {
    return keyboard->SpaceHeld();
}
uint32_t Ticks() {
    return wallClock->Ticks();
}
float WallSeconds() {
    return static_cast<float>(static_cast<double>(Ticks()) * 0.001);
}
float MusicTime() {
    return musicClock != nullptr ? musicClock->Time() : 0.0f;
}

int Rand() {
    randState = randState * 214013u + 2531011u;
    return static_cast<int>((randState >> 16) & 0x7FFFu);
}
void ResetRand(uint32_t state) {
    randState = state;
}
uint32_t RandState() {
    return randState;
}

void SetMessageSink(MessageSink* sink) {
    messageSink = sink != nullptr ? sink : &defaultMessageSink;
}
void SetDebugSink(DebugSink* sink) {
    debugSink = sink != nullptr ? sink : &defaultDebugSink;
}
void SetKeyboard(Keyboard* replacement) {
    keyboard = replacement != nullptr ? replacement : &defaultKeyboard;
}
void SetWallClock(WallClock* clock) {
    wallClock = clock != nullptr ? clock : &defaultWallClock;
}
void SetMusicClock(MusicClock* clock) {
    musicClock = clock;
}
MessageSink* CurrentMessageSink() {
    return messageSink;
}
DebugSink* CurrentDebugSink() {
    return debugSink;
}
Keyboard* CurrentKeyboard() {
    return keyboard;
}
WallClock* CurrentWallClock() {
    return wallClock;
}
MusicClock* CurrentMusicClock() {
    return musicClock;
}

}  // namespace platform
