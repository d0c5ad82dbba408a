#pragma once
// Dialog units: dialogs described in the classic template units (a quarter of the average character width
// horizontally, an eighth of the character height vertically) converted to pixels in a widget's font.

#include <QRect>

class QFont;
class QLineEdit;
class QString;
class QWidget;

namespace layout {

struct DialogBaseUnits {
    int horizontal = 1;
    int vertical = 1;
};

// Horizontal: (extent of "a".."z" "A".."Z" / 26 + 1) / 2; vertical: the font's line height.
DialogBaseUnits dialogBaseUnits(const QFont& font);

// x * horizontal / 4 and y * vertical / 8, each rounded to the nearest pixel.
QRect dialogUnitsToPixels(const QRect& units, const DialogBaseUnits& base);

// Places a child at a rectangle given in dialog units of its parent's font.
void placeInDialogUnits(QWidget* child, const QRect& units);

// An edit shows at least this many average characters of the dialog font, or its whole field when that
// is shorter; a longer text it holds widens it up to the second count.
constexpr int kEditFloorCharacters = 30;
constexpr int kEditTextCharacters = 64;

// Gives the edit the minimum width its field (limit characters, 0 for none) and its text need in its
// own font; a layout never squeezes an edit below it, so a long label beside the edit widens the dialog
// instead.
void fitEditWidth(QLineEdit* edit, int limit, const QString& text);

} // namespace layout
