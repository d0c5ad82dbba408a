#include "fixed_pitch.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPlainTextEdit>

namespace shell {

QFont SystemFixedFont(double pointSize)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    return font;
}

void UseFixedPitchFont(QPlainTextEdit* edit)
{
    const QFont font = SystemFixedFont(edit->font().pointSizeF());
    edit->setFont(font);
    edit->setTabStopDistance(8 * QFontMetricsF(font).horizontalAdvance(u' '));
}

} // namespace shell
