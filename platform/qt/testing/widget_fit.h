#pragma once
// Checks for widget tests that a window shows what it holds: no edit narrower than its text needs (up to
// 30 average characters of its font) and no two controls overlapping.

#include <string>
#include <vector>

class QWidget;

namespace platform::testing {

// What is wrong with the window as it stands, each problem named with where and the control's id.
std::vector<std::string> FitProblems(QWidget* window, const std::string& where);

} // namespace platform::testing
