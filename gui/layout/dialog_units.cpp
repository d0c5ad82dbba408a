#include "dialog_units.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QWidget>

#include <algorithm>

namespace layout {

namespace {

int scale(int value, int unit, int divisor)
{
    // value * unit / divisor + 0.5, in integers (rounding half away from zero).
    const long long product = static_cast<long long>(value) * unit * 2;
    const long long twice = product >= 0 ? product + divisor : product - divisor;
    return static_cast<int>(twice / (2LL * divisor));
}

} // namespace

DialogBaseUnits dialogBaseUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int extent = metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    DialogBaseUnits units;
    units.horizontal = std::max(1, (extent / 26 + 1) / 2);
    units.vertical = std::max(1, metrics.height());
    return units;
}

QRect dialogUnitsToPixels(const QRect& units, const DialogBaseUnits& base)
{
    return QRect(scale(units.x(), base.horizontal, 4), scale(units.y(), base.vertical, 8),
                 scale(units.width(), base.horizontal, 4), scale(units.height(), base.vertical, 8));
}

void placeInDialogUnits(QWidget* child, const QRect& units)
{
    if (!child)
        return;
    const QWidget* parent = child->parentWidget();
    const DialogBaseUnits base = dialogBaseUnits(parent ? parent->font() : child->font());
    child->setGeometry(dialogUnitsToPixels(units, base));
}

void fitEditWidth(QLineEdit* edit, int limit, const QString& text)
{
    if (!edit)
        return;
    const QFontMetrics metrics = edit->fontMetrics();
    const QString shown = text.left(kEditTextCharacters);
    int characters = limit > 0 ? std::min(limit, kEditFloorCharacters) : kEditFloorCharacters;
    characters = std::max(characters, static_cast<int>(shown.size()));
    // Frame and margins: what the edit's own hint adds to its 17 'x'.
    const int chrome = std::max(0, edit->sizeHint().width() - metrics.horizontalAdvance(u'x') * 17);
    const int content = std::max(metrics.averageCharWidth() * characters, metrics.horizontalAdvance(shown));
    edit->setMinimumWidth(content + chrome + 2);
}

} // namespace layout
