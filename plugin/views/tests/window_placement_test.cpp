// Where the kernel windows open: the cascade and the screen rule alone, then every window of the demo
// opened one after another (each wholly on the screen, no title bar covered while room remains, each as
// wide as its columns need), a stored frame that comes back as stored, a stored place off the screen or
// minimised, and the about window centred on its owner. Run again under Xvfb with openbox (the xcb label)
// on screens of several sizes.

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
#include <iostream>

namespace views::test {
namespace {

const QRect kArea(0, 0, 1024, 768);

// A place on the area, on the grid of bars from its corner, where a frame of `size` covers no title bar
// of `open`.
bool freePlaceExists(const QRect& area, const QSize& size, const std::vector<QRect>& open, int bar)
{
    for (int y = area.top(); y + size.height() <= area.bottom() + 1; y += bar)
        for (int x = area.left(); x + size.width() <= area.right() + 1; x += bar)
            if (!CoversTitleBar(QRect(QPoint(x, y), size), open, bar))
                return true;
    return false;
}

TEST(WindowPlacement, CascadeStepsATitleBarAndStartsColumnsThatCoverNoTitleBar)
{
    const QSize small(400, 300);
    // The first window: a bar in from the area's corner; the next ones a bar from the last opened.
    EXPECT_EQ(CascadePosition(kArea, small, std::nullopt, {}), QPoint(32, 32));
    const QRect last(100, 50, 400, 300);
    EXPECT_EQ(CascadePosition(kArea, small, last, {last}), QPoint(132, 82));
    EXPECT_EQ(CascadePosition(kArea, small, last, {last}, 22), QPoint(122, 72));
    // A window that would stick out starts a column at the left edge, below the title bar it would cover.
    EXPECT_EQ(CascadePosition(kArea, QSize(900, 200), last, {last}), QPoint(0, 96));
    // The cascade place is passed over when it covers another window's title bar.
    const QRect wide(0, 110, 1000, 300);
    const QPoint past = CascadePosition(kArea, small, last, {last, wide});
    EXPECT_NE(past, QPoint(132, 82));
    EXPECT_FALSE(CoversTitleBar(QRect(past, small), {last, wide}, 32));

    // The control panel's frame is kept free while room remains, then its title bar is.
    const QRect panel(0, 0, 300, 400);
    const QPoint beside = CascadePosition(kArea, small, std::nullopt, {}, 32, panel);
    EXPECT_FALSE(QRect(beside, small).intersects(panel));
    const QPoint tooWide = CascadePosition(kArea, QSize(kArea.width(), 300), std::nullopt, {}, 32, panel);
    EXPECT_FALSE(CoversTitleBar(QRect(tooWide, QSize(kArea.width(), 300)), {panel}, 32));

    // However many windows of any size open, each lies on the area, and none covers an earlier title bar
    // while a place that covers none remains.
    for (const QRect& area : {kArea, QRect(0, 0, 1366, 768), QRect(0, 24, 1600, 976), QRect(0, 0, 1920, 1080)})
        for (QSize size : {QSize(400, 300), QSize(1024, 300), QSize(1600, 900), QSize(600, 700), QSize(1474, 260)}) {
            size = FrameRoom(size, area);
            EXPECT_LE(size.width(), area.width() - 4 * kCascadeStep);
            std::vector<QRect> open;
            std::optional<QRect> previous;
            for (int n = 0; n < 31; ++n) {
                const QRect frame(CascadePosition(area, size, previous, open), size);
                const std::string where = std::to_string(area.width()) + "x" + std::to_string(area.height()) + " " +
                                          std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                                          " #" + std::to_string(n);
                EXPECT_TRUE(area.contains(frame)) << where;
                if (CoversTitleBar(frame, open, kCascadeStep)) {
                    EXPECT_FALSE(freePlaceExists(area, size, open, kCascadeStep)) << where;
                }
                open.push_back(frame);
                previous = frame;
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
    EXPECT_EQ(CentredOn(QRect(100, 100, 400, 300), QSize(200, 100), kArea), QRect(200, 200, 200, 100));
    EXPECT_EQ(CentredOn(QRect(0, 0, 100, 100), QSize(200, 100), kArea), QRect(0, 0, 200, 100));
}

bool onXcb() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

// The window manager frames and places a window after it is shown: wait until every window is shown,
// framed, and its frame stays put.
void settle(const std::vector<ObjectWindow*>& windows)
{
    drainEvents();
    std::vector<QRect> before;
    int same = 0;
    (void)QTest::qWaitFor(
        [&] {
            QCoreApplication::processEvents();
            std::vector<QRect> now;
            bool framed = true;
            for (const ObjectWindow* w : windows) {
                now.push_back(w->isVisible() ? w->frameGeometry() : QRect());
                framed = framed && (!onXcb() || w->frameGeometry() != w->geometry());
            }
            same = now == before && framed ? same + 1 : 0;
            before = now;
            return same >= (onXcb() ? 10 : 1);
        },
        5000);
    drainEvents();
}

int titleBar(const QWidget& w)
{
    const int top = w.geometry().top() - w.frameGeometry().top();
    const int side = w.geometry().left() - w.frameGeometry().left();
    return top > side ? top : kCascadeStep;
}

// How fast the windows are opened: each once the last is framed and settled (a person's pace), each once
// the events of the last are handled (a scripted run), or all at once.
enum class Pace { Settled, Scripted, AtOnce };

void openEveryDemoWindow(Pace pace)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    std::vector<ObjectWindow*> opened; // in the order they opened
    auto openedNow = [&] {
        for (ObjectWindow* w : manager.windows())
            if (std::find(opened.begin(), opened.end(), w) == opened.end())
                opened.push_back(w);
        if (pace == Pace::Settled)
            settle(opened);
        else if (pace == Pace::Scripted)
            drainEvents();
    };
    for (uint32_t command = 1; command <= 16; ++command) {
        manager.OnDisplayCommand(command);
        openedNow();
    }
    // Detail windows: the Tasks window's registers, the alarms' semaphores, the pipes' full buffers.
    const std::vector<ObjectWindow*> mainWindows = manager.windows();
    for (ObjectWindow* window : mainWindows)
        if (auto* list = dynamic_cast<ObjectListWindow*>(window))
            for (int button : {1018, 1032, 1052, 1056, 1066})
                if (list->button(button) != nullptr) {
                    list->onCommand(button);
                    openedNow();
                }
    ASSERT_GT(opened.size(), mainWindows.size());
    settle(opened);
    const QRect area = opened.front()->screen()->availableGeometry();
    std::cout << (pace == Pace::Settled ? "settled" : pace == Pace::Scripted ? "scripted" : "at once") << ", screen "
              << area.width() << "x" << area.height() << " (available), " << opened.size() << " windows"
              << std::endl;
    std::vector<QRect> earlier;
    int covered = 0;
    for (const ObjectWindow* w : opened) {
        const std::string name = w->windowTitle().toStdString();
        ASSERT_TRUE(w->isVisible()) << name;
        const QRect frame = w->frameGeometry();
        std::cout << "  " << name << ": frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                  << frame.height() << ", title bar " << titleBar(*w) << std::endl;
        EXPECT_TRUE(area.contains(frame)) << name << " lies off the screen";
        const bool about = w->dialogId() == 1010;
        if (!about && CoversTitleBar(frame, earlier, titleBar(*w))) {
            ++covered;
            EXPECT_FALSE(freePlaceExists(area, frame.size(), earlier, titleBar(*w)))
                << name << " covers a title bar while room remains";
        }
        if (!about)
            earlier.push_back(frame);
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
    std::cout << covered << " of " << earlier.size() << " cascaded windows cover a title bar" << std::endl;
    manager.CloseAllWindows();
    drainEvents();
}

TEST(WindowPlacement, EveryDemoWindowOpensOnTheScreenCoveringNoTitleBarWhileRoomRemains)
{
    openEveryDemoWindow(Pace::Settled);
}

TEST(WindowPlacement, WindowsOpenedWithoutWaitingArePlacedByTheirFramesAsWell)
{
    openEveryDemoWindow(Pace::Scripted);
    openEveryDemoWindow(Pace::AtOnce);
}

// A window closed at a size and place of the user's comes back with its frame exactly there, and its
// first refresh keeps it; a stored place off the screen is cascaded anew, and one stored minimised opens
// shown.
TEST(WindowPlacement, StoredFrameComesBackAsStored)
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
    // Near the bottom edge, where a frame moved by its client's place would drift.
    const QRect chosen(area.left() + 150, area.bottom() - 340, window->minimumWidth() + 37, 300);
    window->setGeometry(chosen);
    (void)QTest::qWaitFor([&] { return window->geometry() == chosen; }, 3000);
    settle({window});
    const QRect frame = window->frameGeometry();
    const uint32_t id = window->dialogId();
    for (int round = 0; round < 3; ++round) {
        manager.FindOpenWindow(id)->close();
        drainEvents();
        ASSERT_EQ(manager.FindOpenWindow(id), nullptr);
        manager.OnDisplayCommand(3);
        ObjectWindow* again = manager.FindOpenWindow(id);
        ASSERT_NE(again, nullptr);
        settle({again});
        EXPECT_EQ(again->frameGeometry(), frame) << "round " << round;
    }
    manager.CloseAllWindows();
    drainEvents();

    const std::string section = "WindowPositions\\ID=0x" + [&] {
        char text[9];
        std::snprintf(text, sizeof text, "%08x", id);
        return std::string(text);
    }();
    // A place on a larger screen than this one, stored minimised.
    profile.writeInt(section, "Left", area.right() + 400);
    profile.writeInt(section, "Right", area.right() + 900);
    profile.writeInt(section, "Top", area.bottom() + 300);
    profile.writeInt(section, "Bottom", area.bottom() + 600);
    profile.writeInt(section, "State", 0);
    manager.OnDisplayCommand(3);
    ObjectWindow* restored = manager.FindOpenWindow(id);
    ASSERT_NE(restored, nullptr);
    settle({restored});
    EXPECT_TRUE(restored->isVisible());
    EXPECT_FALSE(restored->isMinimized());
    EXPECT_TRUE(area.contains(restored->frameGeometry()));
    manager.CloseAllWindows();
    drainEvents();
}

TEST(WindowPlacement, TheAboutWindowOpensCentredOnItsOwner)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("Owner"));
    owner.setGeometry(200, 150, 500, 400);
    owner.show();
    WindowManager manager;
    manager.setOwner(&owner);
    manager.OnDisplayCommand(2); // a window before it, which the about window does not cascade from
    drainEvents();
    manager.OnDisplayCommand(11);
    ObjectWindow* about = manager.FindOpenWindow(1010);
    ASSERT_NE(about, nullptr);
    std::vector<ObjectWindow*> both = manager.windows();
    settle(both);
    EXPECT_LE((about->frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 4);
    manager.CloseAllWindows();
    drainEvents();
}

} // namespace
} // namespace views::test
