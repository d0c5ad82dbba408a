#pragma once
// Messages and file steps shared by the project and application file handlers.

#include <initializer_list>
#include <string>
#include <string_view>

namespace engine {

// Replaces each "%s" of the pattern, in order, by the next argument.
std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> arguments);

template <typename... Args>
std::string formatMessage(std::string_view pattern, const Args&... arguments)
{
    return formatMessage(pattern, {std::string_view(arguments)...});
}

// A failed file step, in a box with the program's title as caption, as every file reader and writer shows.
void showFileError(const std::string& text);
// The summary of a failed save step that the generator programs show after the file's own message,
// with the caption "File I/O Error".
void showSaveError(const std::string& text);
// A problem that does not stop the step.
void showWarning(const std::string& text);

}  // namespace engine
