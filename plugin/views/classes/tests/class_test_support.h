#pragma once
// Helpers of the class window suites: the headers and cells a list shows.

#include "plugin/views/report_list.h"

#include <string>
#include <vector>

namespace views::test {

inline std::vector<std::string> Headers(const ReportList& list)
{
    std::vector<std::string> titles;
    for (int c = 0; c < list.columnCount(); ++c)
        titles.push_back(list.headerText(c));
    return titles;
}

inline std::vector<std::string> Column(const ReportList& list, int c)
{
    std::vector<std::string> cells;
    for (int r = 0; r < list.rowCount(); ++r)
        cells.push_back(list.cellText(r, c));
    return cells;
}

inline std::vector<std::string> Row(const ReportList& list, int r)
{
    std::vector<std::string> cells;
    for (int c = 0; c < list.columnCount(); ++c)
        cells.push_back(list.cellText(r, c));
    return cells;
}

} // namespace views::test
