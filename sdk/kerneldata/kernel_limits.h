#pragma once
// What a kernel can be configured to hold, as the generator's editors allow it: the generator keeps its
// edits within these, and the readers of a running kernel take anything inside them as sound.

#include <cstdint>

namespace kerneldata {

// A class's maximum object name length (the Class Options dialog's range).
constexpr int32_t kShortestNameLimit = 1;
constexpr int32_t kLongestNameLimit = 1024;

// The most objects of one class, static and dynamic together: the model's class Maximum and an
// application's object and dynamic counts are signed 32-bit numbers, and the editors keep a class's
// static plus dynamic objects within its Maximum.
constexpr uint32_t kMostClassObjects = 0x7FFFFFFF;

// The largest stack, a task's or the kernel's, in bytes: the model's maximum task and kernel stack sizes
// are signed 32-bit numbers (0x7FFFFFFF when the model gives none).
constexpr uint32_t kLargestStackSize = 0x7FFFFFFF;

} // namespace kerneldata
