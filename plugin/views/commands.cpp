#include "plugin/views/commands.h"

#include <array>
#include <utility>

namespace views {

uint32_t DialogIdForCommand(uint32_t command)
{
    static constexpr std::array<std::pair<uint32_t, uint32_t>, 16> kTable{{
        {1, 1039}, {2, 1000}, {3, 1001}, {4, 1002}, {5, 1003}, {6, 1004}, {7, 1005}, {8, 1006},
        {9, 1007}, {10, 1008}, {11, 1010}, {12, 1009}, {13, 1018}, {14, 1019}, {15, 1020}, {16, 1033},
    }};
    for (const auto& [cmd, dialog] : kTable)
        if (cmd == command)
            return dialog;
    return 0;
}

} // namespace views
