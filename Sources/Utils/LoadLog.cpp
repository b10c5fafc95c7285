// The load log's sink: lines are dropped unless a capture is attached.
#include "Utils/LoadLog.h"

#include <cstdarg>
#include <cstdio>

LoadLog loadLog;

int LoadLog::Write(const char* format, ...) {
    if (capture_ == nullptr) return 0;
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string line;
    if (length > 0) {
        line.resize(static_cast<size_t>(length));
        // vsnprintf writes the terminating zero into the string's own terminator slot.
        std::vsnprintf(line.data(), line.size() + 1, format, args);
    }
    va_end(args);
    capture_->Line(line);
    return 0;
}

LoadLog::Capture* LoadLog::SetCapture(Capture* capture) {
    Capture* previous = capture_;
    capture_ = capture;
    return previous;
}
