#include "platform/qt/testing/widget_fit.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QTabBar>

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace platform::testing {

namespace {

constexpr int kFloorCharacters = 30;

// A widget the user sees as one control, not a part of another control.
bool isControl(const QWidget* widget, const QWidget* window)
{
    if (!(qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QLabel*>(widget) ||
          qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QComboBox*>(widget) ||
          qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QScrollBar*>(widget)))
        return false;
    for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget()) {
        if (qobject_cast<const QAbstractItemView*>(up) || qobject_cast<const QComboBox*>(up) ||
            qobject_cast<const QLineEdit*>(up) || qobject_cast<const QTabBar*>(up) ||
            qobject_cast<const QAbstractScrollArea*>(up))
            return false;
    }
    return true;
}

} // namespace

std::vector<std::string> FitProblems(QWidget* window, const std::string& where)
{
    QApplication::processEvents();
    std::vector<std::string> problems;
    const auto name = [](const QWidget* widget) {
        // Controls carry their id as their object name.
        QString text = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                      : widget->objectName();
        if (auto* label = qobject_cast<const QLabel*>(widget))
            text += " \"" + label->text() + "\"";
        else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            text += " \"" + button->text() + "\"";
        return text.toStdString();
    };
    std::vector<QWidget*> controls;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window) || !isControl(widget, window))
            continue;
        controls.push_back(widget);
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (!edit)
            continue;
        const QFontMetrics metrics = edit->fontMetrics();
        const int needed = std::min(metrics.horizontalAdvance(edit->text()),
                                    metrics.averageCharWidth() * kFloorCharacters);
        const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        const QMargins margins = edit->textMargins();
        // A line edit keeps 2 pixels each side of its text.
        const int room = edit->width() - 2 * frame - margins.left() - margins.right() - 4;
        if (room < needed)
            problems.push_back(where + ": edit " + name(edit) + " shows " + std::to_string(room) + " of " +
                               std::to_string(needed) + " pixels of \"" + edit->text().toStdString() + "\"");
    }
    for (std::size_t a = 0; a < controls.size(); ++a) {
        const QRect first(controls[a]->mapTo(window, QPoint(0, 0)), controls[a]->size());
        for (std::size_t b = a + 1; b < controls.size(); ++b) {
            if (controls[a]->isAncestorOf(controls[b]) || controls[b]->isAncestorOf(controls[a]))
                continue;
            const QRect second(controls[b]->mapTo(window, QPoint(0, 0)), controls[b]->size());
            if (first.intersects(second))
                problems.push_back(where + ": " + name(controls[a]) + " overlaps " + name(controls[b]));
        }
    }
    return problems;
}

int WindowManagerCaptionWidth(const QString& caption)
{
    const char* given = std::getenv("KORVANE_WM_TITLE_FONT");
    const QStringList parts = QString::fromLatin1(given && *given ? given : "DejaVu Sans,10,bold").split(',');
    QFont font(parts.value(0));
    font.setPointSizeF(parts.value(1, QStringLiteral("10")).toDouble());
    font.setBold(parts.value(2) == QStringLiteral("bold"));
    const QFontMetrics metrics(font);
    // openbox centres the caption in the whole bar, so the side with its three buttons counts twice; a
    // button and its gap take the text's height and a few pixels. Measured against openbox 3.6 with its
    // Clearlooks theme: the caption reads whole from this width on, and is cut a few pixels below it.
    constexpr int kSideButtons = 3;
    constexpr int kButtonPadding = 8;
    constexpr int kMargins = 24;
    return metrics.horizontalAdvance(caption) + 2 * kSideButtons * (metrics.height() + kButtonPadding) + kMargins;
}

} // namespace platform::testing
