#include "plugin/views/kit/register_grid.h"

#include <algorithm>

namespace views {

RegisterGrid MakeRegisterGrid(const std::vector<ColumnSpec>& leading)
{
    RegisterGrid grid;
    for (const ColumnSpec& spec : leading) {
        grid.columns.push_back(spec);
        grid.registers.push_back(RegisterColumn{});
    }
    auto add = [&](const std::string& title, int width, int reg, bool validity) {
        grid.columns.push_back(ColumnSpec{title, Align::Right, width});
        grid.registers.push_back(RegisterColumn{reg, 0, validity, 8});
    };
    add("PC", 75, 0, false);
    add("SP", 75, 1, false);
    add("CPSR", 75, 2, false);
    for (int r = 0; r <= 12; ++r) {
        std::string title = "R";
        title += std::to_string(r);
        add(title, 40, 3 + r, true);
    }
    add("LR", 40, 16, true);
    return grid;
}

void RegisterMaximum::raise(const RegisterStates& states)
{
    for (std::size_t i = 0; i < kRegisterStates; ++i)
        m_max[i] = std::max(m_max[i], states[i]);
}

void RegisterMaximum::applyTo(const RegisterGrid& grid, ListSheet& sheet) const
{
    for (std::size_t c = 0; c < grid.registers.size(); ++c) {
        const RegisterColumn& column = grid.registers[c];
        if (column.reg >= 0 && column.validity)
            sheet.setColumnShown(static_cast<int>(c), (*this)[column.reg] < 2);
    }
}

} // namespace views
