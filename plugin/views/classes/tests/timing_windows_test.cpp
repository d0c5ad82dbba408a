// The alarm, counter, event source and level windows over generated kernels: columns and their
// conditions, rows and continuation rows, the single trace switch and the detail windows.

#include "plugin/views/classes/level_windows.h"
#include "plugin/views/classes/tests/class_test_support.h"
#include "plugin/views/classes/timing_rows.h"
#include "plugin/views/classes/timing_windows.h"
#include "plugin/views/commands.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/object_readers.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace views::test {
namespace {

using K = kernel::ObjectKind;
using Texts = std::vector<std::string>;

TEST(AlarmWindows, DemoRowsButtonsAndSemaphores)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    manager.OnDisplayCommand(15);
    drainEvents();
    auto* alarms = dynamic_cast<AlarmsWindow*>(manager.FindOpenWindow(AlarmsWindow::kDialogId));
    ASSERT_NE(alarms, nullptr);
    const ReportList& list = *alarms->list();
    EXPECT_EQ(Headers(list), (Texts{"#", "Name", "State", "Counter", "Remain", "Initial", "Cyclic", "Action",
                                    "Waiters", "Trace"}));
    // A 16-bit accumulator wraps under the first alarm's expiry: 25 ticks, not 65561.
    EXPECT_EQ(Row(list, 0), (Texts{"1", "Timeout2", "Active", "SysClk", "25", "10", "100", "<no action>", "", "No"}));
    EXPECT_EQ(Row(list, 1), (Texts{"2", "Blink", "Active", "SysClk", "5", "20", "200", "ScheduleThread ThrB",
                                   "Paused", "No"}));
    EXPECT_EQ(list.cellText(2, 2), "Aborted");
    EXPECT_EQ(list.cellText(2, 4), "") << "no remaining ticks unless active";
    EXPECT_EQ(list.rowData(3), 4u);
    EXPECT_TRUE(alarms->button(AlarmsWindow::Semaphores)->isEnabled());
    EXPECT_FALSE(alarms->button(kServicesTraceButton)->isEnabled());
    saveScreenshot(alarms, "alarms_window.png");

    alarms->button(AlarmsWindow::Semaphores)->click();
    drainEvents();
    alarms->button(AlarmsWindow::Semaphores)->click();
    drainEvents();
    EXPECT_EQ(manager.windows().size(), 2u) << "a second click raises the open window";
    auto* semaphores = dynamic_cast<AlarmSemaphoresWindow*>(manager.FindOpenWindow(AlarmSemaphoresWindow::kDialogId));
    ASSERT_NE(semaphores, nullptr);
    EXPECT_EQ(Column(*semaphores->list(), 2), (Texts{"", "SemA<AE>", "SemB<AA>", ""}));

    manager.OnTargetRunning();
    drainEvents();
    EXPECT_FALSE(alarms->button(AlarmsWindow::Semaphores)->isEnabled());
    EXPECT_FALSE(semaphores->list()->isEnabled());
}

void buildAlarmsOnly(simtarget::TargetBuilder& b, bool trace)
{
    b.addClass(K::Counter, 1, 0, 0);
    b.addClass(K::Alarm, 2, 0, 0);
    simtarget::AttachAlarm(b, 1, 1);
    b.setField(K::Alarm, 1, 1, 0x200);
    if (trace)
        simtarget::MakeTrace(b, simtarget::TraceSetup{});
}

TEST(AlarmWindows, ColumnsFollowTraceAndTaskClass)
{
    QuietEnvironment quiet;
    {
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) { buildAlarmsOnly(b, false); });
        ASSERT_EQ(kernel.load(), 0);
        AlarmsWindow window(nullptr);
        window.Refresh();
        EXPECT_EQ(Headers(*window.list()).size(), 8u) << "neither Waiters nor Trace";
        EXPECT_FALSE(window.button(AlarmsWindow::Semaphores)->isEnabled()) << "no semaphore class";
        EXPECT_TRUE(window.popupForRow(0).empty());
    }
    {
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) { buildAlarmsOnly(b, true); });
        ASSERT_EQ(kernel.load(), 0);
        AlarmsWindow window(nullptr);
        window.Refresh();
        ASSERT_EQ(Headers(*window.list()).size(), 9u);
        EXPECT_EQ(Headers(*window.list())[8], "Trace");
        EXPECT_EQ(window.list()->cellText(0, 8), "Yes");
        // The single popup: checked from bit 0x200; "Trace &All" open while alarm 2 is off.
        std::vector<PopupItem> popup = window.popupForRow(0);
        ASSERT_EQ(popup.size(), 3u);
        EXPECT_EQ(popup[0].text, "&Trace");
        EXPECT_TRUE(popup[0].checked);
        EXPECT_FALSE(popup[1].greyed);
        window.onCommand(kTraceAllObjects);
        EXPECT_EQ(Column(*window.list(), 8), (Texts{"Yes", "Yes"}));
        kernel::AlarmRecord record{};
        kernel::ReadAlarmRecord(2, record);
        EXPECT_EQ(record[0] & 0x200, 0x200u) << "written to the target";
        window.setSelectedRow(0);
        window.onCommand(kTraceObject);
        EXPECT_EQ(window.list()->cellText(0, 8), "No");
    }
}

// Counter 1 holds three queued alarms (the middle one a semaphore entry for several semaphores),
// counter 2 one alarm and counter 3 forty.
void buildCounters(simtarget::TargetBuilder& b)
{
    b.addClass(K::Semaphore, 1, 0, 0);
    b.addClass(K::EventSource, 1, 0, 0);
    b.addClass(K::Counter, 3, 0, 0);
    b.addClass(K::Alarm, 45, 0, 0);
    b.setName(K::Counter, 1, "Fast");
    b.setName(K::Counter, 2, "Slow");
    for (uint32_t c = 1; c <= 3; ++c) {
        simtarget::AttachCounter(b, 1, c);
        b.setField(K::Counter, c, 4, c);
    }
    const uint32_t owner[] = {1, 1, 1, 2};
    for (uint32_t a = 1; a <= 4; ++a) {
        simtarget::AttachAlarm(b, owner[a - 1], a);
        b.setName(K::Alarm, a, "Alarm" + std::to_string(a));
        b.setField(K::Alarm, a, 7, a);
        b.setField(K::Alarm, a, 11, static_cast<uint32_t>(b.classNumber(a == 2 ? K::Semaphore : K::Alarm)));
        b.setField(K::Alarm, a, 14, a == 2 ? 0 : a);
    }
    for (uint32_t a = 5; a <= 44; ++a)
        simtarget::AttachAlarm(b, 3, a);
    simtarget::MakeTrace(b, simtarget::TraceSetup{});
}

TEST(CounterWindows, QueuedEntriesTakeContinuationRows)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&buildCounters);
    ASSERT_EQ(kernel.load(), 0);
    CountersWindow window(nullptr);
    window.Refresh();
    const ReportList& list = *window.list();
    ASSERT_EQ(list.rowCount(), 3 + 1 + 32 + 1) << "forty queued entries show the first 32 and a row for the rest";
    EXPECT_EQ(list.cellText(3 + 1 + 32, CntType), "... more not listed");
    EXPECT_EQ(Column(list, 0)[0], "1");
    EXPECT_EQ(Column(list, 0)[1], "");
    EXPECT_EQ(Column(list, 0)[3], "2");
    EXPECT_EQ(list.rowData(1), 0u);
    EXPECT_EQ(list.rowData(3), 2u);
    EXPECT_EQ(list.cellText(0, CntType), "Alarm");
    EXPECT_EQ(list.cellText(1, CntType), "Semaphore");
    EXPECT_EQ(list.cellText(1, CntObject), "<Multiple>");
    EXPECT_EQ(list.cellText(1, CntInitial), "") << "period columns only for alarm entries";
    EXPECT_EQ(list.cellText(2, CntObject), "Alarm3");
    EXPECT_EQ(list.cellText(2, CntInitial), "3");
    EXPECT_EQ(list.cellText(1, CntTrace), "") << "a continuation row has no switch";
    EXPECT_EQ(Headers(list).back(), "Action") << "no task class: no Waiters";

    // No popup on continuation rows; the next counter's row acts on that counter.
    EXPECT_TRUE(window.popupForRow(1).empty());
    EXPECT_TRUE(window.popupForRow(2).empty());
    ASSERT_EQ(window.popupForRow(3).size(), 3u);
    window.setSelectedRow(3);
    window.onCommand(kTraceObject);
    kernel::CounterRecord record{};
    kernel::ReadCounterRecord(2, record);
    EXPECT_EQ(record[0] & 0x200, 0x200u);
    kernel::ReadCounterRecord(1, record);
    EXPECT_EQ(record[0] & 0x200, 0u);
    EXPECT_EQ(window.sheet().cell(3, CntTrace), "Yes");
    window.onCommand(kTraceAllObjects);
    EXPECT_EQ(window.sheet().cell(0, CntTrace), "Yes");
    EXPECT_EQ(window.sheet().cell(1, CntTrace), "");
}

TEST(EventSourceWindow, CountersFollowTheirSource)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&buildCounters);
    ASSERT_EQ(kernel.load(), 0);
    EventSourcesWindow window(nullptr);
    window.Refresh();
    const ReportList& list = *window.list();
    EXPECT_EQ(Headers(list),
              (Texts{"#", "Name", "Accumulator", "Trace", "Counter", "Accumulator", "Count", "Modulus"}));
    EXPECT_EQ(Column(list, 0), (Texts{"1", "", ""}));
    EXPECT_EQ(Column(list, 4), (Texts{"Fast", "Slow", "<Counter #3>"}));
    EXPECT_EQ(list.rowData(2), 0u);
}

TEST(LevelWindows, InformationAndSchedule)
{
    QuietEnvironment quiet;
    {
        GeneratedKernel kernel(&simtarget::BuildDemo);
        ASSERT_EQ(kernel.load(), 0);
        LevelInfoWindow info(nullptr);
        info.Refresh();
        EXPECT_EQ(Row(*info.list(), 0), (Texts{"1", "LevelA", "2", "Round Robin"}));
        EXPECT_EQ(Row(*info.list(), 1), (Texts{"2", "LevelB", "0", "FIFO"}));
        LevelScheduleWindow schedule(nullptr);
        schedule.Refresh();
        const ReportList& list = *schedule.list();
        EXPECT_EQ(Row(list, 0), (Texts{"1", "LevelA", "ThrB:L1:O3", "ThrA:O1"}));
        EXPECT_EQ(Row(list, 1), (Texts{"", "", "", "ThrB:O2"}));
        EXPECT_EQ(Row(list, 2), (Texts{"2", "LevelB", "<None>", "<None>"}));
    }
    {
        // Without attribute 0x8 three columns; both mode bits read "Round Robin"; dynamic levels are not listed.
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            b.addClass(K::Thread, 1, 0, 0);
            b.addClass(K::Level, 1, 2, 0);
            b.setField(K::Level, 1, 1, 0x30);
        });
        ASSERT_EQ(kernel.load(), 0);
        LevelScheduleWindow schedule(nullptr);
        schedule.Refresh();
        EXPECT_EQ(Headers(*schedule.list()), (Texts{"#", "Name", "Scheduled Threads:Order"}));
        EXPECT_EQ(schedule.list()->rowCount(), 1);
        LevelInfoWindow info(nullptr);
        info.Refresh();
        EXPECT_EQ(info.list()->cellText(0, 3), "Round Robin");
    }
}

} // namespace
} // namespace views::test
