#pragma once
// What a kernel can be configured to hold, as the generator's editors allow it: the generator keeps its
// edits within these, and the readers of a running kernel take anything inside them as sound.

#include <cstdint>

namespace kerneldata {

// A class's maximum object name length (the Class Options dialog's range).
constexpr int32_t kShortestNameLimit = 1;
constexpr int32_t kLongestNameLimit = 1024;

} // namespace kerneldata
