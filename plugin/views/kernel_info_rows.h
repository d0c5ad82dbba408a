#pragma once
// The attribute/value rows of the kernel information window, read from the loaded kernel.

#include <string>
#include <utility>
#include <vector>

namespace views {

using KernelInfoRow = std::pair<std::string, std::string>;
// The last row when a kernel workspace field could not be read: the values shown are the last read.
inline constexpr const char* kKernelValuesNotRead = "... some kernel values could not be read: shown as last read";
std::vector<KernelInfoRow> BuildKernelInfoRows();

} // namespace views
