#include "platform/qt/caption_fit.h"
#include "platform/qt/dialog_base.h"
#include "platform/qt/qt_message_service.h"
#include "platform/qt/testing/widget_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace platform {
namespace {

struct CaptionCase {
    const char* name;
    const char* caption;
};

const CaptionCase kCaptions[] = {
    {"a parameters dialog", "Enter parameters for utility \"Hex limits\""},
    {"a save question", "Application has been edited"},
    {"a kernel question", "Kernel (CPU) has been edited"},
    {"a folder picker", "Select Folder for Generated Kernel Output"},
};

// Every dialog and every box is wide enough for its caption as openbox draws it in the test environment's
// title font, however little it holds.
TEST(CaptionFit, DialogsAndBoxesAreWideEnoughForTheirCaption)
{
    for (const CaptionCase& row : kCaptions) {
        SCOPED_TRACE(row.name);
        const QString caption = QString::fromLatin1(row.caption);
        const int needed = testing::WindowManagerCaptionWidth(caption);

        DialogBase dialog;
        dialog.setWindowTitle(caption);
        dialog.resize(120, 80);
        dialog.ShowModeless();
        EXPECT_GE(dialog.width(), needed);
        // A caption that changes while the dialog is up is fitted too.
        dialog.setWindowTitle(caption + caption);
        EXPECT_GE(dialog.width(), testing::WindowManagerCaptionWidth(caption + caption));
        dialog.DestroyWindow();

        ScopedQtMessageService boxes;
        int width = 0;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            width = box->width();
            box->button(QMessageBox::Yes)->click();
        });
        answer.start(10);
        EXPECT_EQ(messageBox("Save?", row.caption, MbYesNoCancel | MbIconWarning), IdYes);
        answer.stop();
        EXPECT_GE(width, needed);
    }
}

// The width assumed for a caption grows with the caption and never falls below the window's own font.
TEST(CaptionFit, TheAssumedTitleFontIsBoldAndAtLeastTheWindowFont)
{
    QFont small = QApplication::font();
    small.setPointSizeF(6);
    QFont large = QApplication::font();
    large.setPointSizeF(20);
    const QString caption = QStringLiteral("Application has been edited");
    EXPECT_EQ(CaptionWidth(QString(), small), 0);
    EXPECT_GT(CaptionWidth(caption + caption, small), CaptionWidth(caption, small));
    EXPECT_GT(CaptionWidth(caption, large), CaptionWidth(caption, small));
    EXPECT_GE(CaptionWidth(caption, small), testing::WindowManagerCaptionWidth(caption));
}

} // namespace
} // namespace platform
