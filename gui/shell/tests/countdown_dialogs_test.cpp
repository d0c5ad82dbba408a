#include "gui/shell/about_dialog.h"
#include "gui/shell/status_dialog.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/shell_execute.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(CountdownTextTest, OneSecondIsSingular)
{
    EXPECT_EQ(countdownText(1), "Closing in 1 second");
    EXPECT_EQ(countdownText(5), "Closing in 5 seconds");
    EXPECT_EQ(countdownText(0), "Closing in 0 seconds");
}

TEST(StatusDialogTest, CountsDownOnTheButtonAndClosesAtZero)
{
    CStatusDialog dialog(nullptr, 5, "Code generation is complete.", "Code Generator Status");
    QStringList texts;
    int result = 0;
    QObject::connect(&dialog, &QDialog::finished, [&](int r) { result = r; });
    dialog.ShowModeless();
    EXPECT_EQ(dialog.windowTitle(), "Code Generator Status");
    EXPECT_EQ(platform::findControl<QLineEdit>(&dialog, CStatusDialog::kMessageId)->text(),
              "Code generation is complete.");
    EXPECT_TRUE(dialog.countdown().isRunning());
    texts << dialog.okButton()->text();
    for (int i = 0; i < 4; ++i) {
        dialog.countdown().tick();
        texts << dialog.okButton()->text();
    }
    EXPECT_EQ(texts, (QStringList{"Closing in 5 seconds", "Closing in 4 seconds", "Closing in 3 seconds",
                                  "Closing in 2 seconds", "Closing in 1 second"}));
    EXPECT_TRUE(dialog.isVisible());
    dialog.countdown().tick();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(dialog.countdown().isRunning());
}

TEST(StatusDialogTest, RunsModallyOnAShortTimer)
{
    CStatusDialog dialog(nullptr, 3, "Report complete", "");
    dialog.countdown().setInterval(1);
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(dialog.windowTitle(), "Status");
    EXPECT_EQ(dialog.countdown().secondsLeft(), 0u);
}

TEST(StatusDialogTest, OkStopsTheTimerAndZeroSecondsWaits)
{
    CStatusDialog dialog(nullptr, 5, "done", "Report Status");
    dialog.ShowModeless();
    dialog.countdown().tick();
    QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.countdown().isRunning());
    EXPECT_EQ(dialog.countdown().secondsLeft(), 4u);

    CStatusDialog waiting(nullptr, 0, "done", "Report Status");
    waiting.ShowModeless();
    EXPECT_FALSE(waiting.countdown().isRunning());
    EXPECT_EQ(waiting.okButton()->text(), "OK");
    waiting.accept();
    EXPECT_FALSE(waiting.isVisible());
}

// Collects the splash-closed signals.
struct SplashRun {
    SplashController controller;
    QSignalSpy closed{&controller, &SplashController::splashClosed};
    explicit SplashRun(unsigned seconds) { controller.start(seconds); }
    AboutDialog* dialog() { return controller.dialog(); }
    // Waits for the notification to arrive (up to two seconds, as a loaded machine may need), then a
    // little longer so that a second, unwanted one would show.
    int settle(int expected)
    {
        if (expected > 0) {
            const bool arrived = QTest::qWaitFor([&] { return closed.count() >= expected; }, 2000);
            static_cast<void>(arrived); // the count below tells
        }
        QTest::qWait(40);
        return static_cast<int>(closed.count());
    }
};

TEST(SplashTest, OkAndTheEndOfTheCountdownSignalOnce)
{
    {
        SplashRun run(5);
        ASSERT_NE(run.dialog(), nullptr);
        EXPECT_EQ(run.dialog()->windowTitle(), "Welcome to OMBAgen!");
        EXPECT_EQ(run.dialog()->okButton()->text(), "Closing in 5 seconds");
        EXPECT_EQ(run.settle(0), 0);
        run.dialog()->countdown().tick();
        EXPECT_EQ(run.dialog()->okButton()->text(), "Closing in 4 seconds");
        QTest::mouseClick(run.dialog()->okButton(), Qt::LeftButton);
        EXPECT_EQ(run.settle(1), 1);
        EXPECT_EQ(run.dialog(), nullptr); // closed and freed
    }
    {
        SplashRun run(2);
        run.dialog()->countdown().tick();
        EXPECT_EQ(run.dialog()->okButton()->text(), "Closing in 1 second");
        run.dialog()->countdown().tick();
        EXPECT_EQ(run.settle(1), 1);
        EXPECT_EQ(run.dialog(), nullptr);
    }
    {
        // On its real (shortened) timer.
        Countdown::setDefaultInterval(1);
        SplashRun run(3);
        Countdown::setDefaultInterval(1000);
        EXPECT_TRUE(run.closed.wait(2000));
        EXPECT_EQ(run.settle(1), 1);
    }
}

TEST(SplashTest, EscAndTheCloseBoxNeverSignal)
{
    {
        SplashRun run(5);
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(run.dialog(), &esc);
        EXPECT_EQ(run.settle(0), 0);
        EXPECT_EQ(run.dialog(), nullptr);
    }
    {
        SplashRun run(5);
        run.dialog()->close();
        EXPECT_EQ(run.settle(0), 0);
        EXPECT_EQ(run.dialog(), nullptr);
    }
}

TEST(AboutBoxTest, PlainBoxHasNoTimerAndNoWelcome)
{
    AboutDialog about;
    about.ShowModeless();
    EXPECT_EQ(about.windowTitle(), "About OMBAgen");
    EXPECT_FALSE(about.countdown().isRunning());
    EXPECT_EQ(about.okButton()->text(), "OK");
    EXPECT_EQ(platform::findControl<QLabel>(&about, AboutDialog::kVersionId)->text(), "OMBAgen Version 1.12");
    EXPECT_EQ(AboutDialog::buildNumberText(), "Build Number 414");

    // The screenshot lets a person check the look of the box.
    EXPECT_TRUE(about.grab().save(QStringLiteral(KORVANE_BUILD_DIR "/about_box.png")));
    about.accept();
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutBoxTest, LinksShowTheirTargetAndReportAFailedOpen)
{
    platform::ScopedScriptedMessages messages;
    std::vector<std::string> opened;
    const platform::ShellExecuteHandler previous =
        platform::setShellExecuteHandler([&](const std::string& verb, const std::string& target) {
            opened.push_back(verb + " " + target);
            return opened.size() == 1 ? 42 : 31;
        });
    AboutDialog::setErrorTextProvider([](int code) { return code == 31 ? std::string("No association.") : ""; });
    AboutDialog about;
    about.ShowModeless();
    const AboutDialog::Link& support = about.links()[5];
    ASSERT_EQ(support.controlId, 1160);
    EXPECT_TRUE(support.label->font().underline());
    EXPECT_EQ(support.label->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_FALSE(about.links()[0].label->font().underline()); // a logo
    EXPECT_EQ(support.label->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseMove(support.label, support.label->rect().center());
    QMouseEvent move(QEvent::MouseMove, support.label->rect().center(), support.label->mapToGlobal(QPoint()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(support.label, &move);
    EXPECT_EQ(about.statusText(), "mailto:support@korvane-systems.example");

    QTest::mouseClick(support.label, Qt::LeftButton);
    EXPECT_TRUE(messages->boxes().empty());
    about.openLink(1159);
    ASSERT_EQ(messages->boxes().size(), 1u);
    EXPECT_EQ(messages->boxes()[0].text,
              "Unable to execute command \"open https://www.korvane-systems.example/\"\nReason: No association.");
    EXPECT_EQ(messages->boxes()[0].caption, "Error");
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the wait cursor ended
    about.accept();
    platform::setShellExecuteHandler(previous);
    AboutDialog::setErrorTextProvider(nullptr);
}

} // namespace
