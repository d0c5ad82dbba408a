#pragma once
// Windows wide enough for their caption as the window manager draws it. The window manager draws the
// caption in a title font of its own (title_font.h: its setting where the system says it, else an assumed
// bold font), beside the window's icon and its buttons, and cuts what does not fit. The caption stands
// centred in the whole bar, so room for three buttons (each about as wide as the bar is high) is kept on
// both sides. Qt's own boxes (a file dialog's question) are fitted as they are shown.

#include <QFont>
#include <QString>

#include "title_font.h"

class QMessageBox;
class QWidget;

namespace platform {

// The width a window needs for its caption to be drawn whole.
int CaptionWidth(const QString& caption, const QFont& windowFont);

// Makes a top-level window at least CaptionWidth of its title wide (as far as its screen allows).
void FitCaption(QWidget* window);
// The same for a message box, which sizes itself to its contents when shown.
void FitCaption(QMessageBox& box);

// Fits the caption of every message box and dialog of the application as it is shown, Qt's own included.
void FitCaptionsOfEveryDialog();

} // namespace platform
