#pragma once
// The "SCRIPTS" section shared by the configuration file and the model files: every entry is one utility
// script, key = name shown, value = command line.

#include "engine/records/records.h"

#include <string>

namespace engine {

class SectionedFileSection;

// Frees the old list, then fills it from the section (none when the section is null). Names and commands
// are trimmed; a pair is kept only when both are non-empty. A name longer than 127 characters or a command
// longer than 1023 is never cut: the list stays empty and the answer says which and why (to follow
// "Unable to load <kind> file <path>: "); "" otherwise. When memory runs out the list stays empty.
std::string ReadScriptList(const SectionedFileSection* section, int32_t& count, ScriptEntry*& scripts);

} // namespace engine
