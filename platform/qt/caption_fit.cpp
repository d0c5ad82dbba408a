#include "caption_fit.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSpacerItem>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

// Window managers centre the caption in the whole bar, so the side with the three buttons counts twice.
constexpr int kSideButtons = 3;
constexpr int kButtonPadding = 8; // a button and the gap beside it: the text's height and this much
constexpr int kBarPadding = 32;   // the bar's edges and the caption's own margins

// The widest a window may become for its caption: the screen it stands on.
int screenWidth(const QWidget* window)
{
    const QScreen* screen = window->screen();
    return screen ? screen->availableGeometry().width() : 1 << 16;
}

// A message box whose caption is fitted already (a spacer holds its width).
const char* const kFittedProperty = "captionFitted";

// Fits each dialog that Qt or a caller shows without the program's dialog base.
class CaptionFitter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Before the window's own show handling: a message box fixes its size to its layout there.
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) {
                if (!box->property(kFittedProperty).toBool())
                    FitCaption(*box);
            } else if (auto* dialog = qobject_cast<QDialog*>(watched); dialog && dialog->isWindow()) {
                FitCaption(dialog);
            }
        }
        return false;
    }
};

} // namespace

int CaptionWidth(const QString& caption, const QFont& windowFont)
{
    if (caption.isEmpty())
        return 0;
    const QFontMetrics metrics(TitleFont(windowFont, DesktopTitleFont()));
    return metrics.horizontalAdvance(caption) + 2 * kSideButtons * (metrics.height() + kButtonPadding) + kBarPadding;
}

void FitCaption(QWidget* window)
{
    if (!window || !window->isWindow())
        return;
    const int needed = std::min(CaptionWidth(window->windowTitle(), window->font()), screenWidth(window));
    if (window->width() >= needed)
        return;
    // The width is given by a resize, not a minimum: a minimum set from outside would stop the window's
    // layout from growing it to its contents later. A window of one fixed width gets the new one.
    if (window->maximumWidth() < needed) {
        if (window->minimumWidth() == window->maximumWidth())
            window->setFixedWidth(needed);
        else
            window->setMaximumWidth(needed);
    }
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
    box.setProperty(kFittedProperty, true);
}

} // namespace platform

namespace platform {

void FitCaptionsOfEveryDialog()
{
    static QPointer<CaptionFitter> fitter;
    if (fitter || !QCoreApplication::instance())
        return;
    fitter = new CaptionFitter(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(fitter);
}

} // namespace platform
