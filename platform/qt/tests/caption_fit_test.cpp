#include "platform/qt/caption_fit.h"
#include "platform/qt/dialog_base.h"
#include "platform/qt/qt_message_service.h"
#include "platform/qt/testing/widget_fit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QScreen>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

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

// The title font comes from the window manager's configuration where it names one; the assumption is the
// floor.
TEST(CaptionFit, TheTitleFontIsTheWindowManagersSettingAboveTheAssumption)
{
    const auto font = [](const char* name, const char* size, const char* weight) {
        return std::string("<theme><font place=\"ActiveWindow\"><name>") + name + "</name><size>" + size +
               "</size><weight>" + weight + "</weight></font></theme>";
    };
    struct Case {
        std::string configuration;
        bool found;
        std::string family;
        double points;
        bool bold;
    };
    const Case cases[] = {
        {font("DejaVu Sans", "12", "bold"), true, "DejaVu Sans", 12, true},
        {font("Sans", "9", "normal"), true, "Sans", 9, false},
        {font("Sans", "huge", "bold"), true, "Sans", 0, true},
        {"<font place=\"InactiveWindow\"><size>20</size></font>" + font("Serif", " 11 ", "Bold"), true, "Serif", 11,
         true},
        {"<theme><name>x</name></theme>", false, "", 0, true},
        {"<font place=\"ActiveWindow\"><name>cut", false, "", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configuration);
        const std::optional<TitleFontSetting> setting = ParseOpenboxTitleFont(c.configuration);
        ASSERT_EQ(setting.has_value(), c.found);
        if (!setting)
            continue;
        EXPECT_EQ(setting->family, c.family);
        EXPECT_EQ(setting->points, c.points);
        EXPECT_EQ(setting->bold, c.bold);
    }
    QFont window = QApplication::font();
    window.setPointSizeF(8);
    EXPECT_EQ(TitleFont(window, std::nullopt).pointSizeF(), kTitlePointSize);
    EXPECT_TRUE(TitleFont(window, std::nullopt).bold());
    const QFont larger = TitleFont(window, TitleFontSetting{"DejaVu Sans", 12, true});
    EXPECT_EQ(larger.pointSizeF(), 12);
    EXPECT_EQ(larger.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(TitleFont(window, TitleFontSetting{"", 7, false}).pointSizeF(), kTitlePointSize);
    const QString caption = QStringLiteral("Application has been edited");
    EXPECT_GT(QFontMetrics(larger).horizontalAdvance(caption),
              QFontMetrics(TitleFont(window, std::nullopt)).horizontalAdvance(caption));
}

// openbox at 12 points bold, named in the user's configuration: captions are measured in that font, and Qt's
// own boxes are fitted too.
TEST(CaptionFit, ALargerTitleFontOfTheUsersWindowManagerWidensDialogsAndQtsOwnBoxes)
{
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("openbox"));
    std::ofstream(home.path().toStdString() + "/openbox/rc.xml")
        << "<openbox_config><theme><font place=\"ActiveWindow\"><name>DejaVu Sans</name><size>12</size>"
           "<weight>bold</weight></font></theme></openbox_config>\n";
    const QByteArray previous = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    const bool announced = QGuiApplication::platformName() == QStringLiteral("xcb"); // the test's own openbox
    const QString caption = QStringLiteral("Application 'Controller' has been edited. Save changes?");
    QFont twelve(QStringLiteral("DejaVu Sans"));
    twelve.setPointSizeF(12);
    twelve.setBold(true);
    if (!announced) {
        EXPECT_GE(CaptionWidth(caption, QApplication::font()), QFontMetrics(twelve).horizontalAdvance(caption));
    }
    FitCaptionsOfEveryDialog();
    QMessageBox box(QMessageBox::Question, caption, QStringLiteral("x"), QMessageBox::Yes | QMessageBox::No);
    box.show();
    QApplication::processEvents();
    EXPECT_GE(box.width(), std::min(CaptionWidth(caption, box.font()), box.screen()->availableGeometry().width()));
    box.hide();
    qputenv("XDG_CONFIG_HOME", previous);
    if (previous.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
} // namespace platform
