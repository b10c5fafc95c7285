// The load log: every value the sync script reader looks up produces one HTML-formatted line here,
// naming the value read or the default used. The log keeps nothing; a capture can be attached to
// see the lines (tests and tools do).
#pragma once

#include <string>

class LoadLog {
public:
    // Receives each line, formatted, while attached.
    class Capture {
    public:
        virtual ~Capture() = default;
        virtual void Line(const std::string& line) = 0;
    };

    virtual ~LoadLog() = default;

    // Takes one printf-style line; writes it nowhere and returns 0. With a capture attached the line
    // is formatted and handed to it.
    int Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // nullptr detaches. Returns the capture that was attached before.
    Capture* SetCapture(Capture* capture);
    Capture* CurrentCapture() const { return capture_; }

private:
    Capture* capture_ = nullptr;
};

// The program's one load log; it lives for the whole process.
extern LoadLog loadLog;

// Attaches a capture to the load log for one scope.
class ScopedLoadLogCapture {
public:
    explicit ScopedLoadLogCapture(LoadLog::Capture* capture) : previous_(loadLog.SetCapture(capture)) {}
    ~ScopedLoadLogCapture() { loadLog.SetCapture(previous_); }
    ScopedLoadLogCapture(const ScopedLoadLogCapture&) = delete;
    ScopedLoadLogCapture& operator=(const ScopedLoadLogCapture&) = delete;

private:
    LoadLog::Capture* previous_;
};
