// The semaphore, mailbox, thread, exception, ready-list and backtrace windows over the demo kernel.

#include "plugin/views/commands.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/windows/class_counts.h"
#include "plugin/views/windows/exception_windows.h"
#include "plugin/views/windows/mailbox_windows.h"
#include "plugin/views/windows/ready_window.h"
#include "plugin/views/windows/semaphore_window.h"
#include "plugin/views/windows/thread_windows.h"

#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/tests/hand_kernel.h"
#include "plugin/kernel/text_utils.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace views::test {
namespace {

using kernel::ObjectKind;

std::vector<std::string> headers(const ReportList& list)
{
    std::vector<std::string> titles;
    for (int c = 0; c < list.columnCount(); ++c)
        titles.push_back(list.headerText(c));
    return titles;
}

std::vector<std::string> row(const ReportList& list, int r)
{
    std::vector<std::string> cells;
    for (int c = 0; c < list.columnCount(); ++c)
        cells.push_back(list.cellText(r, c));
    return cells;
}

class DemoWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        simtarget::KernelSpec spec;
        spec.port = 3;
        kernel = std::make_unique<GeneratedKernel>(&simtarget::BuildDemo, spec);
        ASSERT_EQ(kernel->load(), 0);
    }
    QuietEnvironment quiet;
    std::unique_ptr<GeneratedKernel> kernel;
    WindowManager manager;
};

TEST_F(DemoWindows, Semaphores)
{
    SemaphoresWindow window(&manager);
    window.Refresh();
    const ReportList& list = *window.list();
    EXPECT_EQ(headers(list), (std::vector<std::string>{"#", "Name", "State", "Count", "Usage", "Signal Type", "Order",
                                                       "Waiter(s)", "Trace"}));
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(row(list, 0), (std::vector<std::string>{"1", "SemA", "Done", "2", "41", "Single", "Priority", "Reader",
                                                      "No"}));
    EXPECT_EQ(row(list, 1)[2], "Pend");
    EXPECT_EQ(row(list, 1)[3], "");
    EXPECT_EQ(row(list, 1)[5], "Multiple");
    EXPECT_EQ(row(list, 2)[2], "Wait");
    EXPECT_EQ(row(list, 2)[7], "Reader");
    EXPECT_TRUE(window.button(SemaphoresWindow::ResetStatistics)->isEnabled());

    // The single popup: Trace All greyed once every row reads "Yes".
    std::vector<PopupItem> popup = window.popupForRow(0);
    ASSERT_EQ(popup.size(), 3u);
    EXPECT_EQ(popup[0].text, "&Trace");
    EXPECT_FALSE(popup[1].greyed);
    EXPECT_TRUE(popup[2].greyed);
    window.onCommand(kTraceAllObjects);
    popup = window.popupForRow(0);
    EXPECT_TRUE(popup[0].checked);
    EXPECT_TRUE(popup[1].greyed);
    EXPECT_FALSE(popup[2].greyed);
    kernel::SemaphoreRecord record{};
    kernel::ReadSemaphoreRecord(1, record);
    EXPECT_EQ(record[0], 0x0241u);

    // Reset Statistics: usage of the in-use semaphores goes to 0.
    window.onCommand(SemaphoresWindow::ResetStatistics);
    EXPECT_EQ(window.list()->cellText(0, 4), "0");
}

TEST_F(DemoWindows, MailboxesAndTheirDetails)
{
    MailboxesWindow window(&manager);
    window.ShowModeless();
    drainEvents();
    const ReportList& list = *window.list();
    EXPECT_EQ(headers(list), (std::vector<std::string>{"#", "Name", "Current", "Usage", "Order", "Waiters", "Trace"}));
    EXPECT_EQ(row(list, 0)[1], "MboxA");
    EXPECT_EQ(row(list, 0)[2], "2");
    EXPECT_EQ(row(list, 0)[3], "9");
    EXPECT_TRUE(window.button(MailboxesWindow::Semaphores)->isEnabled());
    EXPECT_TRUE(window.button(MailboxesWindow::Messages)->isEnabled());

    // Bytes for the first message to show, wherever the demo places it.
    kernel->target().map(0x20100000, 16, 0xA5);
    window.button(MailboxesWindow::Messages)->click();
    window.button(MailboxesWindow::Semaphores)->click();
    drainEvents();
    auto* messages = dynamic_cast<MailboxMessagesWindow*>(manager.FindOpenWindow(MailboxMessagesWindow::kDialogId));
    ASSERT_NE(messages, nullptr);
    const ReportList& m = *messages->list();
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_EQ(row(m, 0)[0], "1");
    EXPECT_EQ(row(m, 0)[1], "MboxA");
    EXPECT_EQ(row(m, 0)[2], "Normal");
    EXPECT_EQ(row(m, 0)[3], "Main");
    EXPECT_EQ(row(m, 0)[5], "0x20000F00");
    EXPECT_EQ(row(m, 0)[6].size(), 16u * 3 - 1);
    EXPECT_EQ(row(m, 1)[0], "");
    EXPECT_EQ(row(m, 1)[1], "");
    EXPECT_EQ(row(m, 1)[2], "Urgent");
    EXPECT_EQ(row(m, 1)[3], "Sleeper");
    EXPECT_EQ(row(m, 1)[4], "1");
    EXPECT_EQ(row(m, 2)[1], "MboxB");
    EXPECT_EQ(row(m, 2)[2], "<no messages>");

    auto* semaphores = dynamic_cast<MailboxSemaphoresWindow*>(manager.FindOpenWindow(MailboxSemaphoresWindow::kDialogId));
    ASSERT_NE(semaphores, nullptr);
    EXPECT_EQ(semaphores->list()->cellText(0, 2), "SemB<MNE>");
    EXPECT_EQ(semaphores->list()->cellText(1, 2), "");
}

TEST_F(DemoWindows, ThreadsAndGates)
{
    ThreadsWindow window(&manager);
    window.Refresh();
    const ReportList& list = *window.list();
    EXPECT_EQ(headers(list).size(), 12u);
    EXPECT_EQ(row(list, 0), (std::vector<std::string>{"1", "ThrA", "1", "1", "1", "0x00500040", "0x20300001",
                                                      "0x20200001", "1", "101", "No", "No"}));
    EXPECT_EQ(row(list, 3)[4], "-1");
    EXPECT_TRUE(window.button(ThreadsWindow::GateInfo)->isEnabled());
    EXPECT_TRUE(window.button(ThreadsWindow::ResetStatistics)->isEnabled());

    window.onCommand(ThreadsWindow::ResetStatistics);
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(window.list()->cellText(r, 9), "0");

    ThreadGateWindow gates(&manager);
    gates.Refresh();
    EXPECT_EQ(row(*gates.list(), 1), (std::vector<std::string>{"2", "ThrB", "0x00000006", "0x00000002"}));
}

TEST_F(DemoWindows, ExceptionsReadyListAndBacktrace)
{
    ExceptionsWindow exceptions(&manager);
    exceptions.Refresh();
    EXPECT_EQ(headers(*exceptions.list()), (std::vector<std::string>{"#", "Name", "Level", "Vector", "Previous Entry",
                                                                     "Trace Object", "Trace Actor"}));
    ASSERT_EQ(exceptions.list()->rowCount(), 3);
    EXPECT_EQ(exceptions.list()->cellText(1, 2), "2");
    EXPECT_EQ(exceptions.list()->cellText(1, 3), "66");
    EXPECT_EQ(exceptions.list()->cellText(1, 4),
              kernel::HexText(kernel::GetObjectAddress(kernel::ClassOf(ObjectKind::Exception), 1), 8, true, true));
    EXPECT_EQ(exceptions.popupForRow(0).size(), 10u);

    ReadyListWindow ready(&manager);
    ready.Refresh();
    ASSERT_EQ(ready.list()->rowCount(), 1);
    EXPECT_EQ(row(*ready.list(), 0), (std::vector<std::string>{"1", "Main", "5", "<Current>"}));

    BacktraceWindow backtrace(&manager);
    backtrace.Refresh();
    const ReportList& bt = *backtrace.list();
    EXPECT_EQ(headers(bt)[1], "Class");
    // Newest first: exception 3, then thread ThrB (level 1, order 2) and the exception 2 that interrupted
    // it, then exception 1, then the interrupted task.
    const std::vector<std::vector<std::string>> rows{{"1", "Exception", "<Excptn #3>"},
                                                     {"2", "Thread", "ThrB:L1:O2"},
                                                     {"3", "Exception", "<Excptn #2>"},
                                                     {"4", "Exception", "<Excptn #1>"},
                                                     {"5", "Task", "Main"}};
    ASSERT_EQ(bt.rowCount(), static_cast<int>(rows.size()));
    for (int r = 0; r < bt.rowCount(); ++r)
        EXPECT_EQ((std::vector<std::string>{bt.cellText(r, 0), bt.cellText(r, 1), bt.cellText(r, 2)}),
                  rows[static_cast<std::size_t>(r)]);
    // Each frame after the first carries the registers of the frame before it, and the task the last's.
    for (int r : {1, 3, 4})
        EXPECT_EQ(bt.cellText(r, 3).substr(0, 2), "0x") << r;
    for (int r : {0, 2})
        EXPECT_EQ(bt.cellText(r, 3), "") << r;
    saveScreenshot(&backtrace, "backtrace_window.png");
}

TEST(ReadyAndBacktrace, EmptyKernels)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { b.addClass(ObjectKind::Exception, 1, 0, 0x8); });
    ASSERT_EQ(kernel.load(), 0);
    ReadyListWindow ready(nullptr);
    ready.Refresh();
    EXPECT_EQ(row(*ready.list(), 0)[0], "<No ready tasks>");
    BacktraceWindow backtrace(nullptr);
    backtrace.Refresh();
    EXPECT_EQ(backtrace.list()->rowCount(), 1);
    EXPECT_EQ(backtrace.list()->cellText(0, 0), "<none>");
    EXPECT_EQ(headers(*backtrace.list()), (std::vector<std::string>{"#", "Class", "Object"}));
}

// Forty tasks wait on one semaphore, and one task waits on forty semaphores: each list names its first
// 32 entries and then says how many more there are.
TEST(WaitLists, CutListsSayHowManyMore)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
        b.addClass(ObjectKind::Task, 41, 0, 0x4C);
        b.addClass(ObjectKind::Semaphore, 40, 0, 0x08);
        for (uint32_t n = 1; n <= 40; ++n) {
            simtarget::TaskOptions t;
            t.status = 0x20;
            t.waits = {{ObjectKind::Semaphore, 1}};
            simtarget::MakeTask(b, n, t);
        }
        simtarget::TaskOptions many;
        many.status = 0x20;
        many.stackSize = 4096;
        for (uint32_t s = 1; s <= 40; ++s)
            many.waits.push_back({ObjectKind::Semaphore, s});
        simtarget::MakeTask(b, 41, many);
    });
    ASSERT_EQ(kernel.load(), 0);
    uint32_t listed = 0;
    const std::string waiters = kernel::SemaphoreWaitersText(1, "", &listed);
    EXPECT_EQ(listed, 32u);
    EXPECT_NE(waiters.find(":... 9 more"), std::string::npos) << waiters; // 41 waiters in all
    kernel::TaskRecord record{};
    kernel::ReadTaskRecord(41, record);
    kernel::ClassCounts counts{};
    kernel::GetTaskCounts(counts);
    const std::string status = kernel::FormatTaskStatus(41, record, counts);
    EXPECT_NE(status.find(":... 8 more"), std::string::npos) << status;
}

TEST(ReadyList, AtMostFiftyEntriesThenARowForTheRest)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { simtarget::BuildBulk(b, 90, 0); });
    ASSERT_EQ(kernel.load(), 0);
    ReadyListWindow ready(nullptr);
    ready.Refresh();
    ASSERT_EQ(ready.list()->rowCount(), 51) << "fifty tasks and a row that says more are ready";
    EXPECT_EQ(ready.list()->cellText(50, 1), "... more not listed");
    EXPECT_EQ(ready.list()->cellText(0, 3), "<Current>");
    EXPECT_EQ(ready.list()->cellText(1, 3), "<Ready>");
}

} // namespace
} // namespace views::test

namespace views::test {
namespace {

TEST(ClassWindows, ConditionalColumnsAndButtonRules)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
        b.addClass(ObjectKind::Semaphore, 1, 0, 0);
        b.addClass(ObjectKind::Mailbox, 1, 0, 0);
        b.addClass(ObjectKind::Thread, 1, 1, 0x200);
        b.addClass(ObjectKind::Level, 1, 0, 0);
        b.setFieldSize(ObjectKind::Thread, 8, 2);
        b.setFieldSize(ObjectKind::Thread, 9, 2);
        b.setField(ObjectKind::Thread, 1, 8, 0x1234);
        b.setField(ObjectKind::Thread, 1, 9, 0xBEEF);
    });
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;

    SemaphoresWindow semaphores(&manager);
    semaphores.Refresh();
    EXPECT_EQ(headers(*semaphores.list()), (std::vector<std::string>{"#", "Name", "State", "Count", "Signal Type",
                                                                     "Order", "Waiter(s)"}));
    EXPECT_FALSE(semaphores.button(SemaphoresWindow::ResetStatistics)->isEnabled());
    EXPECT_TRUE(semaphores.popupForRow(0).empty());

    MailboxesWindow mailboxes(&manager);
    mailboxes.Refresh();
    EXPECT_EQ(headers(*mailboxes.list()), (std::vector<std::string>{"#", "Name", "Current", "Order", "Waiters"}));
    EXPECT_FALSE(mailboxes.button(MailboxesWindow::Semaphores)->isEnabled());
    EXPECT_TRUE(mailboxes.button(MailboxesWindow::Messages)->isEnabled());

    ThreadsWindow threads(&manager);
    threads.Refresh();
    EXPECT_EQ(headers(*threads.list()),
              (std::vector<std::string>{"#", "Name", "Curr Level", "Base Level", "Order", "Entry"}));
    EXPECT_TRUE(threads.button(ThreadsWindow::GateInfo)->isEnabled());
    EXPECT_FALSE(threads.button(ThreadsWindow::ResetStatistics)->isEnabled());
    EXPECT_TRUE(threads.button(ThreadsWindow::LevelInfo)->isEnabled());

    // The gate window lists every number, in use or not, with 2-byte gates as four digits.
    ThreadGateWindow gates(&manager);
    gates.Refresh();
    ASSERT_EQ(gates.list()->rowCount(), 2);
    EXPECT_EQ(row(*gates.list(), 0)[2], "0x1234");
    EXPECT_EQ(row(*gates.list(), 0)[3], "0xBEEF");
    EXPECT_EQ(row(*gates.list(), 1)[0], "2");

    // Greyed while the target runs; Log Data keeps its state.
    threads.DisableControls();
    EXPECT_FALSE(threads.button(ThreadsWindow::LevelInfo)->isEnabled());
    EXPECT_FALSE(threads.list()->isEnabled());
}

// A healthy kernel with 5,000 semaphores: every one is listed, and a task waiting on the last one
// names it rather than calling its handle invalid.
TEST(LargeClasses, FiveThousandSemaphoresAreListedAndNamed)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { simtarget::BuildManySemaphores(b, 5000); });
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    SemaphoresWindow window(&manager);
    window.Refresh();
    const ReportList& list = *window.list();
    ASSERT_EQ(list.rowCount(), 5000);
    EXPECT_EQ(row(list, 4999)[0], "5000");
    EXPECT_EQ(row(list, 4999)[1], "Sem5000");
    EXPECT_EQ(row(list, 4999)[7], "Waiter");
    EXPECT_EQ(kernel::FormatSemaName(5000), "Sem5000");
}

// A class whose count claims more than the target holds (stale memory) lists none of it: its one row says
// why, and like every note row it is no object (no menu).
TEST(LargeClasses, ACutListSaysSoInARow)
{
    QuietEnvironment quiet;
    kernel::test::HandKernel k;
    k.addClass(ObjectKind::Semaphore, 0x100000, 0, 0x7FFFFFFF, 0x7FFFFFFF, 0, 0, 0, 0x40);
    k.target.map(0x100000, 0x40 * 301); // semaphores 0 to 300
    ASSERT_EQ(k.load(), 0);
    WindowManager manager;
    SemaphoresWindow window(&manager);
    window.Refresh();
    const ReportList& list = *window.list();
    ASSERT_EQ(list.rowCount(), 1);
    EXPECT_EQ(row(list, 0)[0], "... the class claims 2147483647 objects, more than the target holds: none read");
    EXPECT_TRUE(list.isNoteRow(0));
    EXPECT_TRUE(window.popupForRow(0).empty());
}

// A class as large as the models allow, here 262,150 semaphores, is listed whole: no fixed limit cuts it,
// and the last one is a valid handle.
TEST(LargeClasses, AClassLargerThanAnyFixedLimitIsListedWhole)
{
    QuietEnvironment quiet;
    kernel::test::HandKernel k;
    const uint32_t claimed = 262150;
    k.addClass(ObjectKind::Semaphore, 0x100000, 0, claimed, claimed, 0, 0, 0, 0x28);
    k.target.map(0x100000, 0x28 * (claimed + 1));
    ASSERT_EQ(k.load(), 0);
    kernel::ClassCounts counts{};
    kernel::GetSemaphoreCounts(counts);
    EXPECT_EQ(LastObject(counts), claimed);
    EXPECT_EQ(counts[kernel::kCountsStop], kernel::StopNone);
    EXPECT_EQ(kernel::FormatSemaName(claimed), "<Sema #262150>");
}

// A message whose bytes the target does not give is shown as such, never as 16 zero bytes.
TEST(MailboxMessages, BytesThatCannotBeReadAreNotShownAsZeros)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
        b.addClass(ObjectKind::Task, 1, 0, 0);
        b.setName(ObjectKind::Task, 1, "Sender");
        simtarget::MakeTask(b, 1, {});
        b.addClass(ObjectKind::Mailbox, 1, 0, 0);
        b.setName(ObjectKind::Mailbox, 1, "Box");
        simtarget::AddMessage(b, 1, 1, 1, 0, 0x30000000);
        simtarget::AddMessage(b, 1, 2, 1, 0, 0x30000100);
    });
    ASSERT_EQ(kernel.load(), 0);
    kernel.target().map(0x30000100, 16, 0x00);
    WindowManager manager;
    MailboxMessagesWindow window(&manager);
    window.Refresh();
    const ReportList& m = *window.list();
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(row(m, 0)[5], "0x30000000");
    EXPECT_EQ(row(m, 0)[6], "<cannot be read>");
    EXPECT_EQ(row(m, 1)[6], "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

} // namespace
} // namespace views::test
