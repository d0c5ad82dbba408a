#pragma once
// Number texts of the class windows' cells.

#include "plugin/kernel/text_utils.h"

#include <cstdint>
#include <string>

namespace views {

inline std::string Dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }     // "%d"
inline std::string Unsigned(uint32_t value) { return kernel::UnsignedText(value); }                       // "%u"
inline std::string Ticks(uint32_t value) { return kernel::UnsignedLongText(value); }                      // "%lu"
inline std::string Address(uint32_t value) { return kernel::HexText(value, 8, true, true); }              // 0x%08lX

} // namespace views
