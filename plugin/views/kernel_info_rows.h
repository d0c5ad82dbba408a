#pragma once
// The attribute/value rows of the kernel information window, read from the loaded kernel.

#include <string>
#include <utility>
#include <vector>

namespace views {

using KernelInfoRow = std::pair<std::string, std::string>;
std::vector<KernelInfoRow> BuildKernelInfoRows();

} // namespace views
