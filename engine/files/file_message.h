#pragma once
// The message box through which the file readers and writers report: the given text, the program's
// title as caption, an OK button.

#include <string>

namespace engine {

void ShowFileMessage(const std::string& text);

} // namespace engine
