// The error box every part of the program uses, except the archive's own boxes.
#pragma once

#include <string>

// Shows a modal error box and returns when it is closed. With withLocation the text is followed
// by an empty line, this module's source location and a line number (the same fixed pair for
// every caller). It only informs: the caller decides what happens next.
void ShowError(const std::string& caption, const std::string& text, bool withLocation);

// The text ShowError shows for the given arguments.
std::string ComposeErrorText(const std::string& text, bool withLocation);
