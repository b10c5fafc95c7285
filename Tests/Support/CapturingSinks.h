// Platform sinks that keep what they receive: message boxes as (caption, text) pairs, debugger lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "Utils/Platform.h"

class CapturingMessageSink final : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        boxes.emplace_back(caption, text);
    }
    std::vector<std::pair<std::string, std::string>> boxes;
};

class CapturingDebugSink final : public platform::DebugSink {
public:
    void Write(const std::string& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};
