#pragma once
// The message box through which the file readers and writers report: the given text, the program's
// title as caption, an OK button.

#include <functional>
#include <string>
#include <string_view>

namespace engine {

class SectionedFile;

void ShowFileMessage(const std::string& text);

// "Unable to load <kind> file <path>: <problem>", the message of a file that its reader refuses.
void ShowLoadProblem(std::string_view kind, std::string_view path, std::string_view problem);
// The check every reader makes of a parsed file before it takes anything from it: false, after the
// message above, when the file repeats a section or a key, or a text holds a zero byte
// (SectionedFile::FindReadProblem). `kind` is "configuration", "model", "kernel", "project" or "application".
bool CheckParsedFile(const SectionedFile& file, std::string_view kind, std::string_view path);

// Runs a reader whose messages nobody is to see (a save reading back what it is about to write): "" when
// it succeeds, else the first message it gave (or "it was refused" when it gave none).
std::string QuietReadProblem(const std::function<bool()>& read);

// How a save that read back what it is about to write says why it wrote nothing: the reader refused the
// bytes, or read them as something other than what was meant.
inline constexpr const char* kReadBackRefused = "what would be written does not open again: ";
inline constexpr const char* kReadBackDiffers = "what would be written opens as something else: ";

} // namespace engine
