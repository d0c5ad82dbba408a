#pragma once
// The text windows of the shell (command output, file viewer) show their text in a fixed-pitch font of
// the edit's own size, with a tab stop every eight characters as text tools expect.

class QPlainTextEdit;

namespace shell {

void UseFixedPitchFont(QPlainTextEdit* edit);

} // namespace shell
