#pragma once
// The text windows of the shell (command output, file viewer) and its printouts show their text in the
// system's fixed-pitch font, with a tab stop every eight characters as text tools expect.

class QFont;
class QPlainTextEdit;

namespace shell {

// The system's fixed-pitch font (what the desktop's settings or fontconfig's "monospace" give) at the
// given size in points.
QFont SystemFixedFont(double pointSize);
// Gives the edit the system's fixed-pitch font at the edit's own size and tab stops every eight characters.
void UseFixedPitchFont(QPlainTextEdit* edit);

} // namespace shell
