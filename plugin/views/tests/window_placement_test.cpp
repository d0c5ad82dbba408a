// Where the kernel windows open: the cascade and the screen rule alone, then every window of the demo
// opened at once (each wholly on the screen, none within a title bar of another, each as wide as its
// columns need), and a stored size and place that come back as stored. The window tests run again under
// Xvfb with a window manager (the xcb label).

#include "plugin/views/object_list_window.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/window_manager.h"
#include "plugin/views/window_placement.h"

#include "plugin/kernel/tests/scratch_dir.h"
#include "platform/core/profile_store.h"

#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace views::test {
namespace {

const QRect kArea(0, 0, 1024, 768);

TEST(WindowPlacement, CascadeStepsFromTheLastWindowAndStaysOnTheArea)
{
    const QSize small(400, 300);
    // The first window: a step in from the area's corner; the next ones a step from the last opened.
    EXPECT_EQ(CascadePosition(kArea, small, std::nullopt, {}), QPoint(32, 32));
    EXPECT_EQ(CascadePosition(kArea, small, QPoint(100, 50), {QPoint(100, 50)}), QPoint(132, 82));
    // A window that would stick out starts the next cascade, at the top a step to the right.
    EXPECT_EQ(CascadePosition(kArea, QSize(900, 200), QPoint(100, 50), {QPoint(100, 50)}), QPoint(100, 18));
    // A place taken by an open window is passed over.
    EXPECT_EQ(CascadePosition(kArea, small, QPoint(100, 50), {QPoint(100, 50), QPoint(140, 90)}), QPoint(196, 146));

    // However many windows of any size open, each lies on the area and apart from every other.
    for (QSize size : {QSize(400, 300), QSize(1024, 300), QSize(1600, 900), QSize(600, 700)}) {
        size = FrameRoom(size, kArea);
        EXPECT_LE(size.width(), kArea.width() - 4 * kCascadeStep);
        std::vector<QPoint> open;
        std::optional<QPoint> last;
        for (int n = 0; n < 12; ++n) {
            const QPoint p = CascadePosition(kArea, size, last, open);
            const QRect frame = KeepOnArea(QRect(p, size), kArea);
            EXPECT_TRUE(kArea.contains(frame)) << size.width() << "x" << size.height() << " #" << n;
            for (const QPoint& other : open)
                EXPECT_TRUE(std::abs(other.x() - frame.x()) >= kCascadeStep || std::abs(other.y() - frame.y()) >= kCascadeStep)
                    << size.width() << "x" << size.height() << " #" << n;
            open.push_back(frame.topLeft());
            last = frame.topLeft();
        }
    }
}

TEST(WindowPlacement, KeepOnAreaMovesAndShrinksOnlyWhatSticksOut)
{
    EXPECT_EQ(KeepOnArea(QRect(10, 10, 300, 200), kArea), QRect(10, 10, 300, 200));
    EXPECT_EQ(KeepOnArea(QRect(286, 100, 1600, 400), kArea), QRect(0, 100, 1024, 400));
    EXPECT_EQ(KeepOnArea(QRect(900, 700, 300, 200), kArea), QRect(724, 568, 300, 200));
    EXPECT_EQ(KeepOnArea(QRect(-50, -20, 300, 200), kArea), QRect(0, 0, 300, 200));
    EXPECT_EQ(KeepOnArea(QRect(5, 5, 300, 200), QRect(100, 50, 800, 600)), QRect(100, 50, 300, 200));
}

// The window manager frames and places a window after it is shown: wait until every window is shown
// and its frame stays put.
void settle(const std::vector<ObjectWindow*>& windows)
{
    drainEvents();
    std::vector<QRect> before;
    (void)QTest::qWaitFor(
        [&] {
            QCoreApplication::processEvents();
            std::vector<QRect> now;
            for (const ObjectWindow* w : windows)
                now.push_back(w->isVisible() ? w->frameGeometry() : QRect());
            const bool same = now == before;
            before = now;
            return same;
        },
        3000);
    QTest::qWait(QGuiApplication::platformName() == QLatin1String("xcb") ? 300 : 0);
    drainEvents();
}

int titleBar(const QWidget& w) { return std::max(20, w.frameGeometry().height() - w.geometry().height()); }

TEST(WindowPlacement, EveryDemoWindowOpensOnTheScreenApartFromTheOthers)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    for (uint32_t command = 1; command <= 16; ++command) {
        manager.OnDisplayCommand(command);
        drainEvents();
    }
    // Detail windows: the Tasks window's registers, the alarms' semaphores, the pipes' full buffers.
    const std::vector<ObjectWindow*> mainWindows = manager.windows();
    for (ObjectWindow* window : mainWindows)
        if (auto* list = dynamic_cast<ObjectListWindow*>(window))
            for (int button : {1018, 1032, 1052})
                if (list->button(button) != nullptr) {
                    list->onCommand(button);
                    drainEvents();
                }
    const std::vector<ObjectWindow*> windows = manager.windows();
    ASSERT_GT(windows.size(), mainWindows.size());
    settle(windows);
    for (const ObjectWindow* w : windows) {
        const std::string name = w->windowTitle().toStdString();
        ASSERT_TRUE(w->isVisible()) << name;
        const QRect area = w->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(w->frameGeometry())) << name << " lies off the screen";
        for (const ObjectWindow* other : windows) {
            if (other == w)
                continue;
            const QPoint d = other->frameGeometry().topLeft() - w->frameGeometry().topLeft();
            EXPECT_TRUE(std::abs(d.x()) >= titleBar(*w) || std::abs(d.y()) >= titleBar(*w))
                << name << " lies over " << other->windowTitle().toStdString();
        }
        // A first open fits its columns: no wider than they need, unless its buttons need more.
        if (const auto* list = dynamic_cast<const ObjectListWindow*>(w)) {
            int columns = 0;
            for (int c = 0; c < list->list()->columnCount(); ++c)
                columns += list->list()->columnWidth(c);
            EXPECT_LE(w->width(), std::max(w->minimumWidth(), columns + 60)) << name;
            // ... and as wide as they need, up to what leaves the screen room for a cascade.
            EXPECT_GE(list->list()->viewport()->width() + 4, std::min(columns, area.width() - 4 * kCascadeStep - 60)) << name;
        }
    }
    manager.CloseAllWindows();
    drainEvents();
}

// A window closed at a size and place of the user's comes back there, and its first refresh keeps it.
TEST(WindowPlacement, StoredSizeAndPlaceComeBackAsStored)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    platform::ProfileStore profile((dir.path() / "positions.ini").string());
    platform::ScopedApplicationProfile installed(&profile);
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    manager.OnDisplayCommand(3);
    ASSERT_EQ(manager.windows().size(), 1u);
    ObjectWindow* window = manager.windows().front();
    settle({window});
    const QRect area = window->screen()->availableGeometry();
    const QRect chosen(area.left() + 150, area.top() + 120, window->minimumWidth() + 37, 333);
    window->setGeometry(chosen);
    (void)QTest::qWaitFor([&] { return window->geometry() == chosen; }, 3000);
    ASSERT_EQ(window->geometry(), chosen);
    const uint32_t id = window->dialogId();
    window->close();
    drainEvents();
    ASSERT_EQ(manager.FindOpenWindow(id), nullptr);

    manager.OnDisplayCommand(3);
    ObjectWindow* again = manager.FindOpenWindow(id);
    ASSERT_NE(again, nullptr);
    settle({again});
    EXPECT_EQ(again->geometry().size(), chosen.size());
    EXPECT_LE((again->geometry().topLeft() - chosen.topLeft()).manhattanLength(), 4)
        << again->geometry().x() << "," << again->geometry().y();
    manager.CloseAllWindows();
    drainEvents();
}

} // namespace
} // namespace views::test
