#pragma once
// Calls every reader and text builder of a loaded layout for the first objects of every class, as the
// windows would on a refresh; for fuzzing and the robustness test over random target memory.

#include <cstdint>

namespace kernel::fuzz {

// `objects`: how many object numbers of each class to read (numbers 0 and one beyond the count too).
void ExerciseReaders(uint32_t objects = 4);

} // namespace kernel::fuzz
