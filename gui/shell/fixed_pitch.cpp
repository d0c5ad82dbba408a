#include "fixed_pitch.h"

#include <QFontMetricsF>
#include <QPlainTextEdit>

namespace shell {

void UseFixedPitchFont(QPlainTextEdit* edit)
{
    QFont font = edit->font();
    font.setFamily(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    edit->setFont(font);
    edit->setTabStopDistance(8 * QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')));
}

} // namespace shell
