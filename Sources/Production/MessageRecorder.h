// Keeps what the production says while it reads its scripts and pictures: every box (handed on to
// the sink installed before, or held back) and the sync reader's last line.
#pragma once

#include "Production/ProductionReports.h"
#include "Utils/LoadLog.h"
#include "Utils/Platform.h"

#include <string>
#include <vector>

class MessageRecorder final : public platform::MessageSink, public LoadLog::Capture {
public:
    // With `forward`, every box and line still goes to the sink and capture installed before.
    MessageRecorder(std::vector<ProductionMessage>* boxes, bool forward)
        : boxes_(boxes),
          previous_(forward ? platform::CurrentMessageSink() : nullptr),
          previousCapture_(forward ? loadLog.CurrentCapture() : nullptr) {}

    void Show(const std::string& caption, const std::string& text) override {
        if (boxes_ != nullptr) boxes_->push_back({caption, text});
        lastBox = text;
        if (previous_ != nullptr) previous_->Show(caption, text);
    }
    // The reader's lines are HTML: kept as plain text, without the tags and the line break.
    void Line(const std::string& line) override {
        if (previousCapture_ != nullptr) previousCapture_->Line(line);
        lastLine.clear();
        bool inTag = false;
        for (const char c : line) {
            if (c == '<') inTag = true;
            if (!inTag && c != '\n') lastLine.push_back(c);
            if (c == '>') inTag = false;
        }
    }

    // The last box's text, or the reader's last line when no box came.
    const std::string& Last() const { return lastBox.empty() ? lastLine : lastBox; }

    std::string lastBox;
    std::string lastLine;

private:
    std::vector<ProductionMessage>* boxes_;
    platform::MessageSink* previous_;
    LoadLog::Capture* previousCapture_;
};
