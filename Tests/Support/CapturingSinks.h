// Seams that record instead of showing: message boxes and debugger lines, installed for the
// lifetime of the object and kept in the order raised.
#pragma once

#include "Utils/Platform.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct MessageBox {
    std::string caption;
    std::string text;
    bool operator==(const MessageBox&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const MessageBox& box) {
        return out << "{\"" << box.caption << "\", \"" << box.text << "\"}";
    }
};

class CapturedBoxes : public platform::MessageSink {
public:
    void Show(const std::string& caption, const std::string& text) override {
        boxes.push_back({caption, text});
    }
    // Hands back what was shown so far and starts afresh.
    std::vector<MessageBox> Take() { return std::exchange(boxes, {}); }

    std::vector<MessageBox> boxes;

private:
    platform::ScopedMessageSink guard_{this};
};

class CapturedDebugLines : public platform::DebugSink {
public:
    void Write(const std::string& line) override { lines.push_back(line); }

    std::vector<std::string> lines;

private:
    platform::ScopedDebugSink guard_{this};
};
