#pragma once
// The message box through which the file readers and writers report: the given text, the program's
// title as caption, an OK button.

#include <cstdint>
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

// Why a value the model bounds cannot be taken: `keyFound` and `sectionFound` tell whether the file gave it
// or the reader filled it in for a missing key or section, which the text then names. `range` is
// ModelRangeText's. To follow "Unable to load <kind> file <path>: ".
std::string FilledValueProblem(bool keyFound, bool sectionFound, std::string_view value, std::string_view key,
                               std::string_view section, std::string_view range);
// Why a stack size the model's modulus does not divide cannot be taken; to follow "Unable to load ...: ".
std::string ModulusProblem(std::int64_t value, std::string_view key, std::string_view section, std::int64_t modulus);
// The same for a value that must be a non-zero part of the model's bit mask `mask`: "the value 4 of
// "Framework" in section "KERNEL" is not a non-zero part of the mask 1 the model gives".
std::string FilledMaskProblem(bool keyFound, std::string_view value, std::string_view key, std::string_view section,
                              std::int32_t mask);
// "minimum to maximum" of a model's bounds; a maximum below the minimum gives no upper bound ("any").
std::string ModelRangeText(std::int64_t minimum, std::int64_t maximum);

// How a save that read back what it is about to write says why it wrote nothing: the reader refused the
// bytes, or read them as something other than what was meant.
inline constexpr const char* kReadBackRefused = "what would be written does not open again: ";
inline constexpr const char* kReadBackDiffers = "what would be written opens as something else: ";

// Where two texts of one writer first differ: its text of what a save meant to write (`written`) and its
// text of what those bytes read back as (`rewritten`). It names the section and the key, the value meant and the
// value read ("the value "0" of "Value" in section "Tick Rate" reads back as "10""); "" when they hold the
// same. Sections and keys are compared in order, so a key one text lacks is named as written or as read.
std::string ReadBackDifference(std::string_view written, std::string_view rewritten);

} // namespace engine
