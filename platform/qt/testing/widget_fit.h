#pragma once
// Checks for widget tests that a window shows what it holds: no edit narrower than its text needs (up to
// 30 average characters of its font) and no two controls overlapping.

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace platform::testing {

// What is wrong with the window as it stands, each problem named with where and the control's id.
std::vector<std::string> FitProblems(QWidget* window, const std::string& where);

// The width a window needs for openbox to draw caption whole: the caption in the title font the test
// environment gives openbox (KORVANE_WM_TITLE_FONT, "family,points,bold"; the same font when it is not set)
// and openbox's title bar around it: the icon and three buttons, each the bar's height, and the paddings.
int WindowManagerCaptionWidth(const QString& caption);

} // namespace platform::testing
