#pragma once
// The register columns of the task register and exception backtrace lists: the column table with the
// register each column shows, the highest state each register reached over the listed contexts, and
// which register columns that leaves (R0-R12 and LR only while no listed context lacks them for good).

#include "plugin/views/kit/list_sheet.h"

#include <array>
#include <cstdint>
#include <vector>

namespace views {

struct RegisterColumn {
    int reg = -1;          // register index, -1 for a text column
    int second = 0;        // second register (0 none): the cell stays empty
    bool validity = false; // show placeholders for states 1 and up
    int digits = 0;
};

// Registers 0 PC, 1 SP, 2 CPSR, 3..15 R0..R12, 16 LR after `leading` text columns (titles, widths).
struct RegisterGrid {
    std::vector<ColumnSpec> columns;
    std::vector<RegisterColumn> registers; // one per column
};
RegisterGrid MakeRegisterGrid(const std::vector<ColumnSpec>& leading);

constexpr std::size_t kRegisterStates = 1024;
using RegisterStates = std::array<uint32_t, kRegisterStates>;

class RegisterMaximum {
public:
    void reset() { m_max.fill(0); }
    void raise(const RegisterStates& states);
    uint32_t operator[](int reg) const { return reg >= 0 && reg < static_cast<int>(kRegisterStates) ? m_max[static_cast<std::size_t>(reg)] : 0; }

    // Hides the register columns with a validity flag whose register reached state 2.
    void applyTo(const RegisterGrid& grid, ListSheet& sheet) const;

private:
    RegisterStates m_max{};
};

} // namespace views
