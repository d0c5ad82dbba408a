#include "caption_fit.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

constexpr int kTitleButtons = 4;   // the icon and three buttons
constexpr int kButtonPadding = 8;  // a button is the text's height and this much wider
constexpr int kBarPadding = 32;    // the bar's edges and the gaps between its parts

// The widest a window may become for its caption: the screen it stands on.
int screenWidth(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry().width() : 1 << 16;
}

} // namespace

int CaptionWidth(const QString& caption, const QFont& windowFont)
{
    if (caption.isEmpty())
        return 0;
    QFont title = windowFont;
    title.setBold(true);
    if (title.pointSizeF() > 0 && title.pointSizeF() < kTitlePointSize)
        title.setPointSizeF(kTitlePointSize);
    const QFontMetrics metrics(title);
    return metrics.horizontalAdvance(caption) + kTitleButtons * (metrics.height() + kButtonPadding) + kBarPadding;
}

void FitCaption(QWidget* window)
{
    if (!window || !window->isWindow())
        return;
    const int needed = std::min(CaptionWidth(window->windowTitle(), window->font()), screenWidth(window));
    if (window->minimumWidth() >= needed)
        return;
    if (window->maximumWidth() < needed)
        window->setMaximumWidth(needed);
    window->setMinimumWidth(needed);
    if (window->width() < needed)
        window->resize(needed, window->height());
}

void FitCaption(QMessageBox& box)
{
    // A message box lays itself out anew when shown: a spacer across its grid holds the width.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int needed = std::min(CaptionWidth(box.windowTitle(), box.font()), screenWidth(&box)) - margins.left() -
                       margins.right();
    if (needed <= 0)
        return;
    grid->addItem(new QSpacerItem(needed, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

} // namespace platform
