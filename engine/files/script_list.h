#pragma once
// The "SCRIPTS" section shared by the configuration file and the model files: every entry is one utility
// script, key = name shown, value = command line.

#include "engine/records/records.h"

namespace engine {

class SectionedFileSection;

// Frees the old list, then fills it from the section (none when the section is null). Names and commands
// are trimmed and cut to 127 and 1023 characters; a pair is kept only when both are non-empty. When
// memory runs out the list stays empty.
void ReadScriptList(const SectionedFileSection* section, int32_t& count, ScriptEntry*& scripts);

} // namespace engine
