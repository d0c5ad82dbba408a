// The control panel, its window manager and the object-window base, offscreen over generated kernels.

#include "plugin/views/commands.h"
#include "plugin/views/control_panel.h"
#include "plugin/views/data_log.h"
#include "plugin/views/object_window.h"
#include "plugin/views/panel_thread.h"
#include "plugin/views/window_placement.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/windows/kernel_info_window.h"
#include "plugin/views/windows/task_rows.h"
#include "plugin/views/object_list_window.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_texts.h"
#include "platform/qt/control_id.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPointer>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace views::test {
namespace {

// A window that counts its commands.
class CountingWindow : public ObjectWindow {
public:
    CountingWindow(WindowManager* manager, uint32_t id) : ObjectWindow(manager, id) {}
    void Refresh() override { ++refreshes; }
    void DisableControls() override { ++disables; }
    int refreshes = 0;
    int disables = 0;
};

QPushButton* button(QWidget* w, int id) { return platform::findControl<QPushButton>(w, id); }

std::vector<std::string> listTexts(const ControlPanel& panel)
{
    std::vector<std::string> texts;
    for (int i = 0; i < panel.displayList()->count(); ++i)
        texts.push_back(panel.displayList()->item(i)->text().toStdString());
    return texts;
}

TEST(ControlPanel, ConnectsStopsAndFollowsTheTarget)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    ControlPanel panel(0, "Host IDE");
    panel.ShowModeless();
    EXPECT_EQ(panel.displayList()->count(), 0);
    EXPECT_TRUE(button(&panel, ControlPanel::Initialize)->isEnabled());
    EXPECT_FALSE(button(&panel, ControlPanel::Stop)->isEnabled());
    EXPECT_FALSE(panel.displayList()->isEnabled());
    EXPECT_TRUE(platform::findControl<QCheckBox>(&panel, ControlPanel::AutoRefresh)->isChecked());

    button(&panel, ControlPanel::Initialize)->click();
    drainEvents();
    ASSERT_TRUE(panel.initialized());
    EXPECT_EQ(listTexts(panel), (std::vector<std::string>{"Kernel Info", "Tasks", "Semaphore", "Task Ready List"}));
    EXPECT_FALSE(button(&panel, ControlPanel::Initialize)->isEnabled());
    EXPECT_TRUE(button(&panel, ControlPanel::Stop)->isEnabled());
    saveScreenshot(&panel, "control_panel.png");

    // A double click with nothing selected opens nothing; on "Kernel Info" it opens the window.
    panel.OnDblclkDisplayList();
    EXPECT_TRUE(panel.manager().windows().empty());
    panel.displayList()->setCurrentRow(0);
    panel.OnDblclkDisplayList();
    drainEvents();
    ASSERT_EQ(panel.manager().windows().size(), 1u);
    auto* info = dynamic_cast<KernelInfoWindow*>(panel.manager().windows().front());
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->list()->cellText(0, 0), "Anchor address");
    EXPECT_TRUE(info->list()->isEnabled());

    auto* counting = new CountingWindow(&panel.manager(), 4242);
    counting->ShowModeless();
    drainEvents();
    EXPECT_EQ(counting->refreshes, 1);

    // Running: everything greyed, the windows disabled.
    panel.postCommand(kDisableCommand);
    drainEvents();
    EXPECT_TRUE(panel.running());
    EXPECT_FALSE(button(&panel, ControlPanel::Initialize)->isEnabled());
    EXPECT_FALSE(button(&panel, ControlPanel::Stop)->isEnabled());
    EXPECT_FALSE(panel.displayList()->isEnabled());
    EXPECT_FALSE(info->list()->isEnabled());
    EXPECT_EQ(counting->disables, 1);
    panel.postCommand(kRefreshCommand);
    drainEvents();
    EXPECT_TRUE(button(&panel, ControlPanel::Stop)->isEnabled());
    EXPECT_TRUE(info->list()->isEnabled());
    EXPECT_EQ(counting->refreshes, 2);

    // Without auto refresh a stop updates the panel only; a start still greys the windows.
    platform::findControl<QCheckBox>(&panel, ControlPanel::AutoRefresh)->click();
    EXPECT_FALSE(panel.autoRefresh());
    panel.postCommand(kDisableCommand);
    panel.postCommand(kRefreshCommand);
    drainEvents();
    EXPECT_EQ(counting->disables, 2);
    EXPECT_EQ(counting->refreshes, 2);
    EXPECT_TRUE(button(&panel, ControlPanel::Stop)->isEnabled());

    // Stop closes every window, frees the layout and ends logging.
    ASSERT_TRUE(SetLogFile((kernel.fixture().dir().path() / "log.txt").string()));
    QPointer<ObjectWindow> guard(counting);
    button(&panel, ControlPanel::Stop)->click();
    drainEvents();
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(panel.manager().windows().empty());
    EXPECT_EQ(kernel::GetKwsDescriptor(), nullptr);
    EXPECT_FALSE(IsLogInitialized());
    EXPECT_FALSE(panel.initialized());
    EXPECT_EQ(panel.displayList()->count(), 0);
    EXPECT_TRUE(button(&panel, ControlPanel::Initialize)->isEnabled());
}

TEST(ControlPanel, LoadFailureIsReportedOnce)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    ControlPanel::setSettingsPrompt([](std::string& path, bool& little) {
        path = "/nonexistent/z5data.a79";
        little = true;
        return true;
    });
    ControlPanel panel(0, "Host IDE");
    panel.ShowModeless();
    panel.OnInitialize();
    ASSERT_EQ(quiet.messages().texts().size(), 1u);
    EXPECT_EQ(quiet.messages().texts()[0], kernel::DescribeDataFileError(1));
    EXPECT_FALSE(panel.initialized());
    EXPECT_EQ(panel.displayList()->count(), 0);
    // A cancelled settings step changes nothing.
    ControlPanel::setSettingsPrompt([](std::string&, bool&) { return false; });
    panel.OnInitialize();
    EXPECT_EQ(quiet.messages().texts().size(), 1u);
    EXPECT_FALSE(panel.initialized());
}

// Initialize while the target refuses reads says the target refused the read; once it reads again, the
// next Initialize connects (nothing of the refused attempt is kept).
TEST(ControlPanel, AConnectWhileReadsAreRefusedSaysSoAndTheNextOneReadsAnew)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    ControlPanel panel(0, "Host IDE");
    panel.ShowModeless();
    kernel.target().setRefuseReads(true);
    panel.OnInitialize();
    ASSERT_EQ(quiet.messages().texts().size(), 1u);
    EXPECT_EQ(quiet.messages().texts()[0],
              "ERROR 7 - Anchor address is not valid in target memory: the target refused to read it");
    EXPECT_FALSE(panel.initialized());
    kernel.target().setRefuseReads(false);
    panel.OnInitialize();
    EXPECT_EQ(quiet.messages().texts().size(), 1u);
    EXPECT_TRUE(panel.initialized());
}

// A data file with one bad line names the file and the line; a folder chosen as the data file gets the
// reader's reason, and only a missing file is "not found".
TEST(ControlPanel, MalformedDataFileNamesTheLine)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    const auto folder = kernel.fixture().dir().path();
    const std::string bad = (folder / "bad.a79").string();
    // Line 2 carries the checksum 0x00; 0xF9 is right.
    std::ofstream(bad) << "S0030000FC\nS10500100102" "00\nS9030000FC\n";
    std::string chosen;
    ControlPanel::setSettingsPrompt([&chosen](std::string& path, bool& little) {
        path = chosen;
        little = true;
        return true;
    });
    ControlPanel panel(0, "Host IDE");
    panel.ShowModeless();
    chosen = bad;
    panel.OnInitialize();
    ASSERT_EQ(quiet.messages().texts().size(), 1u);
    EXPECT_EQ(quiet.messages().texts()[0], bad + ":2: checksum 0x00, expected 0xE7");
    chosen = folder.string();
    panel.OnInitialize();
    ASSERT_EQ(quiet.messages().texts().size(), 2u);
    EXPECT_EQ(quiet.messages().texts()[1], folder.string() + ": cannot be read (a folder, not a file)");
    chosen = (folder / "missing.a79").string();
    panel.OnInitialize();
    ASSERT_EQ(quiet.messages().texts().size(), 3u);
    EXPECT_EQ(quiet.messages().texts()[2], kernel::DescribeDataFileError(1));
    EXPECT_FALSE(panel.initialized());
}

// New windows (no stored placement) open as wide as the columns they show, each beside the ones open.
TEST(WindowManager, NewWindowsFitTheirColumnsAndDoNotCoverEachOther)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    for (uint32_t command : {2u, 3u, 1u})
        manager.OnDisplayCommand(command);
    drainEvents();
    ASSERT_EQ(manager.windows().size(), 3u);
    auto* tasks = dynamic_cast<ObjectListWindow*>(manager.FindOpenWindow(1000));
    ASSERT_NE(tasks, nullptr);
    int columns = 0;
    for (int c = 0; c < tasks->list()->columnCount(); ++c)
        columns += tasks->list()->columnWidth(c);
    EXPECT_GE(tasks->list()->viewport()->width() + 4, columns);
    for (const ObjectWindow* a : manager.windows())
        for (const ObjectWindow* b : manager.windows())
            EXPECT_TRUE(a == b || a->pos() != b->pos()) << a->windowTitle().toStdString() << " covers "
                                                        << b->windowTitle().toStdString();
}

// Every display opened from the control panel leaves the panel in view: no window covers its frame while
// room remains, and none ever covers its title bar.
TEST(WindowManager, TheDisplaysLeaveTheControlPanelInView)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ControlPanel panel(0, "Host IDE");
    panel.ShowModeless();
    panel.OnInitialize();
    drainEvents();
    ASSERT_TRUE(panel.initialized());
    const QPoint corner = panel.screen()->availableGeometry().topLeft();
    panel.move(corner); // room beside it
    // A window manager frames and moves the panel later: the displays open once it stands where it was put.
    for (int i = 0; i < 500 && panel.frameGeometry().topLeft() != corner; ++i) {
        QTest::qWait(10);
        drainEvents();
    }
    ASSERT_EQ(panel.frameGeometry().topLeft(), corner);
    for (uint32_t command = 1; command <= 16; ++command) {
        panel.manager().OnDisplayCommand(command);
        drainEvents();
    }
    const QRect frame = panel.frameGeometry();
    const int bar = std::max(panel.geometry().top() - frame.top(), kCascadeStep);
    int over = 0;
    for (const ObjectWindow* w : panel.manager().windows()) {
        EXPECT_FALSE(CoversTitleBar(w->frameGeometry(), {frame}, bar)) << w->windowTitle().toStdString();
        over += w->frameGeometry().intersects(frame) ? 1 : 0;
    }
    EXPECT_LT(over, static_cast<int>(panel.manager().windows().size()))
        << "panel " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " on "
        << panel.screen()->availableGeometry().width() << "x" << panel.screen()->availableGeometry().height()
        << ", first " << panel.manager().windows().front()->frameGeometry().x() << ","
        << panel.manager().windows().front()->frameGeometry().y() << " "
        << panel.manager().windows().front()->frameGeometry().width();
    EXPECT_FALSE(panel.manager().windows().front()->frameGeometry().intersects(frame));
    panel.manager().CloseAllWindows();
    drainEvents();
}

// Windows of one size, without an owner, open apart: each is placed before it is shown, so the next one
// steps past it by at least a title bar, also under a window manager.
TEST(WindowManager, WindowsOfOneSizeOpenApart)
{
    QuietEnvironment quiet;
    WindowManager manager;
    std::vector<CountingWindow*> windows;
    for (uint32_t id = 5001; id <= 5004; ++id) {
        windows.push_back(new CountingWindow(&manager, id));
        windows.back()->ShowModeless();
        drainEvents();
    }
    // Under a window manager the frames are placed as the windows are mapped.
    (void)QTest::qWaitFor([&] { return std::all_of(windows.begin(), windows.end(), [](auto* w) { return w->isVisible(); }); }, 3000);
    QTest::qWait(QGuiApplication::platformName() == QLatin1String("xcb") ? 300 : 0);
    for (const CountingWindow* a : windows)
        for (const CountingWindow* b : windows) {
            const QPoint d = a->frameGeometry().topLeft() - b->frameGeometry().topLeft();
            EXPECT_TRUE(a == b || std::abs(d.x()) >= 20 || std::abs(d.y()) >= 20) << a->pos().x() << "," << a->pos().y() << " " << a->width() << "x" << a->height() << " and " << b->pos().x() << "," << b->pos().y();
        }
    EXPECT_NE(windows.front()->pos(), QPoint(0, 0));
    manager.CloseAllWindows();
    drainEvents();
}

// A column widened to its contents by the first refresh widens the window with it, so no column ends
// up behind the scroll bar.
TEST(WindowManager, ColumnsWidenedToTheirContentsStayInView)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
        b.addClass(kernel::ObjectKind::Task, 3, 0, 0);
        b.addClass(kernel::ObjectKind::Semaphore, 1, 0, 0x8);
        b.setName(kernel::ObjectKind::Semaphore, 1, "Ready");
        for (uint32_t n = 1; n <= 3; ++n) { // three waiters with long names: a wide "Waiter(s)" cell
            b.setName(kernel::ObjectKind::Task, n, "WaitingTask" + std::to_string(1000 + n));
            simtarget::TaskOptions task;
            task.status = 0x20;
            task.waits = {{kernel::ObjectKind::Semaphore, 1}};
            simtarget::MakeTask(b, n, task);
        }
    });
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    manager.OnDisplayCommand(3);
    drainEvents();
    ASSERT_EQ(manager.windows().size(), 1u);
    auto* window = dynamic_cast<ObjectListWindow*>(manager.windows().front());
    ASSERT_NE(window, nullptr);
    const ReportList& list = *window->list();
    int columns = 0;
    for (int c = 0; c < list.columnCount(); ++c)
        columns += list.columnWidth(c);
    // Under a window manager the widened size is confirmed asynchronously.
    const bool fits = QTest::qWaitFor([&] { return list.viewport()->width() >= columns; }, 5000);
    EXPECT_TRUE(fits) << list.viewport()->width() << " < " << columns << ", window width " << window->width();
}

TEST(WindowManager, OpensRaisesClosesAndHides)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&BuildTasksAndSemaphores);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    manager.OnDisplayCommand(1);
    manager.OnDisplayCommand(1);
    drainEvents();
    ASSERT_EQ(manager.windows().size(), 1u);
    QPointer<ObjectWindow> first = manager.windows().front();
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(manager.FindOpenWindow(1039), first.data());
    EXPECT_FALSE(manager.ShowOpenWindow(1000));
    EXPECT_EQ(manager.OnDisplayCommand(99), 0);
    EXPECT_EQ(manager.windows().size(), 1u);

    // Escape hides: still listed and refreshed, shown again by its command.
    auto* counting = new CountingWindow(&manager, 5000);
    counting->ShowModeless();
    drainEvents();
    counting->reject();
    EXPECT_FALSE(counting->isVisible());
    manager.OnTargetStopped();
    drainEvents();
    EXPECT_EQ(counting->refreshes, 2);
    EXPECT_TRUE(manager.ShowOpenWindow(5000));
    drainEvents();
    EXPECT_TRUE(counting->isVisible());
    EXPECT_EQ(counting->refreshes, 3);

    // The close box takes the window out of the list and frees it; the command builds a new one.
    first->close();
    drainEvents();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(manager.FindOpenWindow(1039), nullptr);
    manager.OnDisplayCommand(1);
    drainEvents();
    EXPECT_NE(manager.FindOpenWindow(1039), nullptr);

    // Command 20 closes everything but keeps the layout; CloseAllWindows frees it.
    QPointer<ObjectWindow> countingGuard(counting);
    manager.OnDisplayCommand(kCommandCloseAll);
    EXPECT_TRUE(countingGuard.isNull());
    EXPECT_TRUE(manager.windows().empty());
    EXPECT_NE(kernel::GetKwsDescriptor(), nullptr);
    manager.CloseAllWindows();
    EXPECT_EQ(kernel::GetKwsDescriptor(), nullptr);
}

TEST(PanelThread, OpensOnePanelPerIdAndShowsItAgain)
{
    QuietEnvironment quiet;
    PanelThread thread;
    static const char* title = "Host IDE";
    thread.onMessage({plugin::WM_EXABS_OPEN_PANEL, 0, reinterpret_cast<intptr_t>(title)});
    thread.onMessage({plugin::WM_EXABS_OPEN_PANEL, 0, reinterpret_cast<intptr_t>(title)});
    ASSERT_EQ(thread.panels().size(), 1u);
    ControlPanel* panel = thread.FindPanel(0);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    panel->close();
    EXPECT_FALSE(panel->isVisible());
    thread.onMessage({plugin::WM_EXABS_OPEN_PANEL, 0, reinterpret_cast<intptr_t>(title)});
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(thread.panels().size(), 1u);

    thread.onMessage({plugin::WM_EXABS_TARGET_STARTED, 0, 0});
    thread.onMessage({plugin::WM_EXABS_TARGET_STOPPED, 7, 0}); // no such panel
    drainEvents();
    EXPECT_TRUE(panel->running());
    thread.onMessage({plugin::WM_EXABS_TARGET_STOPPED, 0, 0});
    drainEvents();
    EXPECT_FALSE(panel->running());

    thread.onMessage({plugin::WM_EXABS_DELETE_PANEL, 0, 0});
    EXPECT_TRUE(thread.panels().empty());
}

} // namespace
} // namespace views::test

namespace views::test {
namespace {

// A services-trace window that records what its owner asks of it.
class FakeTraceWindow : public ServiceTraceWindow {
public:
    explicit FakeTraceWindow(std::vector<std::string>& log) : m_log(log) {}
    void postRefresh() override { m_log.push_back("refresh"); }
    void postDisable() override { m_log.push_back("disable"); }
    void showAndRaise() override { m_log.push_back("show"); }
    void addServiceClass(uint32_t cls) override { m_log.push_back("class " + std::to_string(cls)); }
    void setTraceParent(ServiceTraceParent* owner) override { m_log.push_back(owner ? "owner" : "detached"); }
    void destroyWindow() override
    {
        m_log.push_back("destroyed");
        delete this;
    }

private:
    std::vector<std::string>& m_log;
};

TEST(ServiceTraceParent, OwnersOpenRefreshAndCloseTheirWindow)
{
    QuietEnvironment quiet;
    std::vector<std::string> log;
    ServiceTraceParent::setWindowFactory([&log](ServiceTraceParent& owner) -> ServiceTraceWindow* {
        log.push_back("made for " + owner.serviceTraceTitle() + " " + std::to_string(owner.serviceTraceClass()));
        return new FakeTraceWindow(log);
    });
    {
        WindowManager manager;
        EXPECT_TRUE(manager.OpenServiceTrace());
        manager.OnTargetStopped();
        manager.OnTargetRunning();
        manager.OnDisplayCommand(kCommandServicesTrace);
        EXPECT_EQ(log, (std::vector<std::string>{"made for Miscellaneous 100", "class 101", "class 13", "show", "refresh",
                                                 "disable", "show"}));
        log.clear();
        // The window closed itself: forgotten, nothing more reaches it.
        ServiceTraceWindow* window = manager.serviceTraceWindow();
        manager.OnServiceTraceClosed();
        EXPECT_EQ(manager.serviceTraceWindow(), nullptr);
        window->destroyWindow();
        manager.OnTargetStopped();
        EXPECT_EQ(log, (std::vector<std::string>{"detached", "destroyed"}));
        log.clear();
    }
    {
        // A list window's Services Trace button: greyed while the window is open, closed with it.
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            BuildTasksAndSemaphores(b);
            b.addClass(kernel::ObjectKind::Exception, 1, 0, 0);
        });
        ASSERT_EQ(kernel.load(), 0);
        WindowManager manager;
        manager.OnDisplayCommand(10);
        drainEvents();
        ObjectWindow* exceptions = manager.FindOpenWindow(1008);
        ASSERT_NE(exceptions, nullptr);
        exceptions->onCommand(1074); // opens without trace support
        EXPECT_EQ(log.front(), "made for Exception 6");
        QPushButton* traceButton = platform::findControl<QPushButton>(exceptions, 1074);
        EXPECT_FALSE(traceButton->isEnabled());
        exceptions->close();
        drainEvents();
        EXPECT_EQ(log.back(), "destroyed");
    }
    ServiceTraceParent::setWindowFactory(nullptr);
}

} // namespace
} // namespace views::test
