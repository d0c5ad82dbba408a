#pragma once
// Windows wide enough for their caption as the window manager draws it. The window manager draws the
// caption in a title font of its own, beside the window's icon and its buttons, and cuts what does not fit;
// the program cannot ask which font that is, so it measures in a bold font of at least the size desktops
// use for titles (and never smaller than the window's own font). The caption stands centred in the whole
// bar, so room for three buttons (each about as wide as the bar is high) is kept on both sides.

#include <QFont>
#include <QString>

class QMessageBox;
class QWidget;

namespace platform {

// The smallest point size assumed for a title font.
constexpr qreal kTitlePointSize = 10.0;

// The width a window needs for its caption to be drawn whole.
int CaptionWidth(const QString& caption, const QFont& windowFont);

// Makes a top-level window at least CaptionWidth of its title wide (as far as its screen allows).
void FitCaption(QWidget* window);
// The same for a message box, which sizes itself to its contents when shown.
void FitCaption(QMessageBox& box);

} // namespace platform
