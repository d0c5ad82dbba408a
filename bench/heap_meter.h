#pragma once
// Counts the bytes a benchmark program holds on the heap (every operator new and delete of the program
// goes through it), so a benchmark can report the most its work held at once.

#include <cstddef>

namespace bench {

// The bytes held now.
std::size_t HeapBytesHeld();
// Starts a new measurement: the peak is set to what is held now.
void ResetHeapPeak();
// The most bytes held at once since the last reset.
std::size_t HeapPeak();

} // namespace bench
