// Message boxes of the start-up open shown by the real message service over the real splash: the splash
// may end before or after the box is answered.

#include "shell_fixture.h"

#include "gui/shell/about_dialog.h"
#include "gui/shell/countdown.h"
#include "gui/shell/editor_services.h"
#include "gui/shell/instance_requests.h"
#include "gui/shell/single_instance.h"

#include "engine/records/text_field.h"
#include "platform/qt/qt_message_service.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>
#include <functional>
#include <memory>

namespace shell::test {
namespace {

class StartUp : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        m_interval = Countdown::defaultInterval();
    }
    void TearDown() override
    {
        Countdown::setDefaultInterval(m_interval);
        ShellFixture::TearDown();
    }

    // The message box on the screen, if any.
    static QMessageBox* openBox()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                return box;
        }
        return nullptr;
    }

    // Runs the event loop until done() holds or ten seconds passed.
    static bool waitFor(const std::function<bool()>& done)
    {
        QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    // Watches for boxes from the event loop: once the first is up, what it says and the window it stands
    // over are kept; then step() runs on every look, and each box is answered OK once step() says so.
    void answerWhen(std::function<bool()> step)
    {
        m_text.clear();
        m_over = nullptr;
        m_watch = std::make_unique<QTimer>();
        QObject::connect(m_watch.get(), &QTimer::timeout, [this, step] {
            QMessageBox* box = openBox();
            if (!box)
                return;
            if (m_text.isEmpty()) {
                m_text = box->text();
                m_over = box->windowHandle() ? box->windowHandle()->transientParent() : nullptr;
            }
            if (step())
                box->button(QMessageBox::Ok)->click();
        });
        m_watch->start(5);
    }

    // Shows the main window and waits until the window manager has made it the active window.
    void showMainWindow()
    {
        m_window = std::make_unique<CMainDialog>();
        m_window->setDialogs(&m_dialogs);
        m_window->show();
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == m_window.get(); }));
    }

    // The splash's countdown runs out: its last second ticks away.
    static void endByCountdown(AboutDialog* splash) { splash->countdown().tick(); }

    int m_interval = 0;
    std::unique_ptr<QTimer> m_watch;
    QString m_text;
    const QWindow* m_over = nullptr; // compared, never followed: the window may be gone
};

// The box is a window of its own over the splash: the splash's end leaves it open and answerable, and
// answering it first leaves the splash counting down.
TEST_F(StartUp, ABoxOverTheSplashOutlivesItAndMayBeAnsweredInEitherOrder)
{
    platform::ScopedQtMessageService boxes;
    Countdown::setDefaultInterval(60000); // the test ends the countdown itself
    showMainWindow();
    SplashController splash;
    splash.start(1, m_window.get());
    QPointer<AboutDialog> shown = splash.dialog();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == shown; }));
    const QWindow* splashWindow = shown->windowHandle();

    // The splash ends while the box is up; the box is answered after.
    answerWhen([&] {
        if (shown)
            endByCountdown(shown);
        return shown.isNull();
    });
    EXPECT_EQ(platform::messageBox("first", "Error", platform::MbOk | platform::MbIconError), platform::IdOk);
    EXPECT_EQ(m_text, "first");
    EXPECT_EQ(m_over, splashWindow);
    EXPECT_TRUE(shown.isNull());

    // The box is answered while the splash counts down; the splash ends after.
    SplashController again;
    again.start(1, m_window.get());
    shown = again.dialog();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == shown; }));
    answerWhen([] { return true; });
    EXPECT_EQ(platform::messageBox("second", "Error", platform::MbOk | platform::MbIconError), platform::IdOk);
    EXPECT_EQ(m_text, "second");
    EXPECT_EQ(m_over, shown->windowHandle());
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(shown->isVisible());
    endByCountdown(shown);
    EXPECT_TRUE(waitFor([&] { return shown.isNull(); }));
}

// The program's own start-up on a project it cannot open: the error box is left up until the splash has
// ended, then answered; the main window carries on.
TEST_F(StartUp, AProjectThatCannotBeOpenedIsReportedOverTheSplashWhichMayEndFirst)
{
    platform::ScopedQtMessageService boxes;
    Countdown::setDefaultInterval(60000);
    showMainWindow();
    answerWhen([&] {
        AboutDialog* splash = m_window->splash() ? m_window->splash()->dialog() : nullptr;
        if (splash)
            endByCountdown(splash);
        return splash == nullptr;
    });
    class Recorder : public EditorServices {
    public:
        int asked = 0;
        int ProjectPropertiesDialog(ProjectProperties&, QWidget*) override { return ++asked, EditorCancel; }
    } editors;
    EditorServices* previous = setEditorServices(&editors);
    m_window->Initialize({"OMBAgen", m_projectDir + "/missing.omb"}, CMainDialog::StartOptions{1});
    EXPECT_TRUE(m_text.contains(QStringLiteral("missing.omb"))) << m_text.toStdString();
    ASSERT_NE(m_window->splash(), nullptr);
    EXPECT_EQ(m_window->splash()->dialog(), nullptr);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->GetProject().cpuCount, 0);
    // Nothing was opened: New Project is offered once the start-up is over, the splash having ended first.
    EXPECT_TRUE(waitFor([&] { return editors.asked == 1; }));
    setEditorServices(previous);
}

// The windows of the screen from the bottom up, as the window manager stacks them (empty without one).
std::vector<WId> stackingOrder()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return {};
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    if (!xprop.waitForFinished(5000))
        return {};
    const QString line = QString::fromLatin1(xprop.readAllStandardOutput());
    std::vector<WId> order;
    const qsizetype hash = line.indexOf(QLatin1Char('#'));
    for (const QString& word : line.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        order.push_back(static_cast<WId>(word.trimmed().toULongLong(nullptr, 16)));
    return order;
}

// True when upper stands above lower, or when there is no window manager to ask.
bool standsAbove(WId upper, WId lower)
{
    const std::vector<WId> order = stackingOrder();
    if (order.empty())
        return true;
    const auto up = std::find(order.begin(), order.end(), upper);
    const auto low = std::find(order.begin(), order.end(), lower);
    return up != order.end() && low != order.end() && up > low;
}

// A damaged configuration, with or without a project named on the command line, and its box left open past
// the splash: the start-up is one road. The boxes come one after the other, the box stays over the main
// window once the splash is gone, New Project never starts over it, and only when nothing was named or
// opened does it come, after the box.
TEST_F(StartUp, ADamagedConfigurationAndTheProjectTakeOneRoadPastTheSplash)
{
    class Recorder : public EditorServices {
    public:
        int asked = 0;
        bool boxUpWhenAsked = false;
        int ProjectPropertiesDialog(ProjectProperties&, QWidget*) override
        {
            ++asked;
            boxUpWhenAsked = openBox() != nullptr;
            return EditorCancel;
        }
    };
    // Nothing named first: a named project that opens joins the recent list, which a start-up without a
    // name would then open.
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "project named" : "nothing named");
        std::ofstream(m_programDir + "/ombagen.cfg", std::ios::trunc)
            << "[MODELS]\nZ5 Standard=models/z5std.mdl\nZ5 Multiprocessor=models/z5mp.mdl\n";
        Recorder editors;
        EditorServices* previousEditors = setEditorServices(&editors);
        platform::ScopedQtMessageService boxes;
        Countdown::setDefaultInterval(60000);
        showMainWindow();
        QStringList texts;
        bool overMain = false;
        int ticksAfterSplash = 0;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QMessageBox* box = openBox();
            if (!box)
                return;
            if (texts.isEmpty() || texts.back() != box->text())
                texts << box->text();
            AboutDialog* splash = m_window->splash() ? m_window->splash()->dialog() : nullptr;
            if (texts.size() == 1 && splash) {
                endByCountdown(splash);
                return;
            }
            // The splash is gone: the box stands over the main window, above it on the screen.
            if (texts.size() == 1 && ticksAfterSplash++ < 400) {
                overMain = box->windowHandle() && box->windowHandle()->transientParent() == m_window->windowHandle() &&
                           standsAbove(box->winId(), m_window->winId());
                if (!overMain)
                    return;
            }
            box->button(QMessageBox::Ok)->click();
        });
        watch.start(5);
        std::vector<std::string> arguments{"OMBAgen"};
        if (named)
            arguments.push_back(demoPath());
        m_window->Initialize(arguments, CMainDialog::StartOptions{1});
        // The splash's end reaches the window through the event loop.
        EXPECT_TRUE(waitFor([&] {
            const bool splashGone = m_window->splash() && !m_window->splash()->dialog();
            return splashGone && (named || editors.asked > 0);
        }));
        QTest::qWait(50);
        watch.stop();
        setEditorServices(previousEditors);
        ASSERT_FALSE(texts.isEmpty());
        EXPECT_TRUE(texts.front().contains(QStringLiteral("GENERAL"))) << texts.front().toStdString();
        // The models read before the missing section stay, so the named project opens after the box.
        EXPECT_EQ(texts.size(), 1) << texts.join(QStringLiteral(" | ")).toStdString();
        EXPECT_EQ(m_window->GetProject().cpuCount > 0, named);
        EXPECT_TRUE(overMain);
        EXPECT_FALSE(editors.boxUpWhenAsked);
        EXPECT_EQ(editors.asked, named ? 0 : 1);
        m_window->setDialogs(nullptr);
        m_window.reset();
    }
}

// A later start's request waits through every phase of the start-up in which the event loop runs, and is
// taken once the start-up has ended: the splash's first paint (before the configuration is read), a box of
// the configuration, a box of the project named, the splash still up once they are answered, and the New
// Project dialog the splash's end offers. Waiting at the splash's end, it is taken before New Project
// would be offered.
TEST_F(StartUp, ALaterStartsRequestWaitsThroughEveryPhaseOfTheStartUp)
{
    const QString name = QStringLiteral("OMBAgen-test");
    const std::string folder = m_temp.path().toStdString();
    std::vector<std::string> phases;
    // Asks for the demo in a phase, and gives the window time to take it, were it free.
    const auto askIn = [&](SingleInstanceGuard& first, const std::string& phase) {
        if (!phases.empty() && phases.back() == phase)
            return; // the same phase's next box
        phases.push_back(phase);
        EXPECT_EQ(SingleInstanceGuard(name, folder).Start(demoPath()), SingleInstanceGuard::Outcome::HandedOver);
        QDeadlineTimer wait(400);
        while (!wait.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        EXPECT_TRUE(first.RequestWaiting()) << "taken during " << phase;
    };
    class Editors : public EditorServices {
    public:
        std::function<void()> whileShown;
        int asked = 0;
        int ProjectPropertiesDialog(ProjectProperties&, QWidget* parent) override
        {
            ++asked;
            QDialog dialog(parent);
            QTimer::singleShot(0, &dialog, [&] {
                whileShown();
                dialog.reject();
            });
            dialog.exec();
            return EditorCancel;
        }
    } editors;
    EditorServices* previousEditors = setEditorServices(&editors);
    platform::ScopedQtMessageService boxes;
    Countdown::setDefaultInterval(60000); // the test ends the splash itself
    // First nothing named and nothing recent: New Project is offered; then a damaged configuration and a
    // named project that is not there (the recent list, holding the demo by then, is not looked at).
    for (const bool damaged : {false, true}) {
        SCOPED_TRACE(damaged ? "boxes at start-up" : "New Project at start-up");
        if (damaged)
            std::ofstream(m_programDir + "/ombagen.cfg", std::ios::trunc)
                << "[MODELS]\nZ5 Standard=models/z5std.mdl\nZ5 Multiprocessor=models/z5mp.mdl\n";
        showMainWindow();
        {
            SingleInstanceGuard first(name, folder);
            ASSERT_EQ(first.Start(), SingleInstanceGuard::Outcome::First);
            InstanceRequests requests(first, *m_window);
            editors.asked = 0;
            editors.whileShown = [&] { askIn(first, "the New Project dialog"); };
            // Nothing may wait at the splash's end when New Project is to come.
            if (damaged)
                QTimer::singleShot(0, [&] { askIn(first, "the splash's first paint"); });
            QTimer watch;
            QObject::connect(&watch, &QTimer::timeout, [&] {
                QMessageBox* box = openBox();
                if (!box)
                    return;
                watch.stop();
                askIn(first, box->text().contains(QStringLiteral("GENERAL")) ? "a box of the configuration"
                                                                              : "a box of the project named");
                box->button(QMessageBox::Ok)->click();
                watch.start(5);
            });
            watch.start(5);
            std::vector<std::string> arguments{"OMBAgen"};
            if (damaged)
                arguments.push_back(m_projectDir + "/missing.omb");
            m_window->Initialize(arguments, CMainDialog::StartOptions{1});
            watch.stop();
            if (damaged)
                askIn(first, "the splash once the boxes are answered");
            ASSERT_NE(m_window->splash()->dialog(), nullptr);
            endByCountdown(m_window->splash()->dialog());
            EXPECT_TRUE(waitFor([&] { return engine::textString(m_window->GetProject().path) == demoPath(); }));
            EXPECT_FALSE(first.RequestWaiting());
            EXPECT_EQ(editors.asked, damaged ? 0 : 1);
        }
        m_window->setDialogs(nullptr);
        m_window.reset();
    }
    setEditorServices(previousEditors);
    EXPECT_EQ(phases, (std::vector<std::string>{"the New Project dialog", "the splash's first paint",
                                                "a box of the configuration",
                                                "a box of the project named", "the splash once the boxes are answered"}));
}

// The splash stands in the middle of the main window, also when the window is placed or sized after the
// splash came up (as a window manager does).
TEST_F(StartUp, TheSplashStandsInTheMiddleOfTheMainWindow)
{
    Countdown::setDefaultInterval(60000);
    showMainWindow();
    SplashController splash;
    splash.start(1, m_window.get());
    AboutDialog* shown = splash.dialog();
    ASSERT_TRUE(waitFor([&] { return shown->isVisible(); }));
    const auto offCentre = [&] {
        return (shown->geometry().center() - m_window->geometry().center()).manhattanLength();
    };
    EXPECT_TRUE(waitFor([&] { return offCentre() <= 4; })) << offCentre();
    m_window->setGeometry(QRect(QPoint(250, 150), m_window->size() + QSize(200, 100)));
    EXPECT_TRUE(waitFor([&] { return offCentre() <= 4; })) << offCentre();
}

// Each letter underlined in a menu opens one item only.
TEST_F(StartUp, EveryMenuItemHasAMnemonicOfItsOwn)
{
    startWindow(true);
    for (QAction* menu : m_window->menuBar()->actions()) {
        QSet<QChar> letters;
        for (const QAction* item : menu->menu()->actions()) {
            const QString text = item->text();
            const qsizetype at = text.indexOf(QLatin1Char('&'));
            if (item->isSeparator() || at < 0 || at + 1 >= text.size())
                continue;
            const QChar letter = text.at(at + 1).toLower();
            EXPECT_FALSE(letters.contains(letter)) << menu->text().toStdString() << ": " << text.toStdString();
            letters.insert(letter);
        }
    }
}

} // namespace
} // namespace shell::test
