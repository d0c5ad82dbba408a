#pragma once
// Calls every reader of a loaded layout with a few object numbers, for fuzzing and robustness tests.

namespace kernel::fuzz {

void ExerciseReaders();

} // namespace kernel::fuzz
