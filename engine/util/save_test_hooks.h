#pragma once
// The hooks the tests of the programs use to try a save at its hardest points, read from the environment.
// They are compiled in only in the test build (KORVANE_TEST_HOOKS); elsewhere nothing is read.

namespace engine {

// KORVANE_SAVE_SIGNAL_AT=<signal>:<step> sends the program the signal at that step of its saves (see
// SetSaveStepHook), KORVANE_SAVE_STEP_DELAY_MS=<milliseconds> slows every step by that much, as on a slow
// network folder, and KORVANE_SAVE_LOCK_WAIT_MS=<milliseconds> shortens the longest wait for another save.
void TakeSaveTestHooks();

} // namespace engine
