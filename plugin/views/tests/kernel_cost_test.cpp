// What a refresh costs and shows, by what is shown and what passes its checks: every window of the demo
// opened, then a stop, on the sound demo and on garbage (class entries claiming millions of objects in
// readable memory, or overwritten with 0xFF or random bytes); the task stacks of kernels with big stacks
// listed whole and right; and every list that comes back on itself saying so in a row.

#include "plugin/views/kernel_info_rows.h"
#include "plugin/views/object_list_window.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/window_manager.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/class_record.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/text_utils.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <set>

namespace views::test {
namespace {

// Claims: class entries that claim the most objects a kernel can be configured with (0x7FFFFFFF) in 2 MB
// of random bytes; Nameless: the same with no names kept and records of 0x60 bytes, so only what the
// records hold tells them from objects; NamelessZeros: Nameless claiming 0xFFFFFFFF objects in 2 MB of
// zeros, records a free slot or a static object may hold, so only the count tells them from a kernel's;
// NamelessZerosMost: the same claiming 0x7FFFFFFF, as many as a kernel can be configured with, so only the
// memory the count claims tells them from a kernel's.
enum class Garbage { None, Claims, Nameless, NamelessZeros, NamelessZerosMost, AllOnes, Random };

const char* nameOf(Garbage g)
{
    return g == Garbage::None       ? "healthy"
           : g == Garbage::Claims   ? "claims"
           : g == Garbage::Nameless ? "nameless claims"
           : g == Garbage::NamelessZeros ? "nameless claims in zeros"
           : g == Garbage::NamelessZerosMost ? "nameless claims of the most objects in zeros"
           : g == Garbage::AllOnes  ? "0xFF"
                                    : "random";
}

// The extent in bytes of a layout table (its furthest field end).
uint32_t extent(const kernel::LayoutTable& t)
{
    int64_t end = 0;
    for (int f = 0; f < t.count(); ++f)
        end = std::max<int64_t>(end, int64_t{t.offsets[static_cast<std::size_t>(f)]} + t.sizes[static_cast<std::size_t>(f)]);
    return static_cast<uint32_t>(end);
}

// Makes garbage of the loaded demo: class entries that claim millions of objects in 2 MB of readable
// bytes, or every class entry and object overwritten (reads outside the target's memory then
// give the same pattern for 0xFF, or fail).
void makeGarbage(GeneratedKernel& k, Garbage how)
{
    if (how == Garbage::None)
        return;
    kernel::test::FakeTarget& target = k.target();
    if (how == Garbage::Claims || how == Garbage::Nameless || how == Garbage::NamelessZeros ||
        how == Garbage::NamelessZerosMost) {
        const bool zeros = how == Garbage::NamelessZeros || how == Garbage::NamelessZerosMost;
        simtarget::ClaimGarbage(k.builder(), 41, how != Garbage::Claims, zeros,
                                how == Garbage::NamelessZeros ? 0xFFFFFFFFu : 0x7FFFFFFFu);
        for (const simtarget::MemoryBlock& block : k.builder().memory().blocks())
            target.poke(block.address, block.data);
        return;
    }
    std::mt19937 random(34);
    auto bytes = [&](uint32_t count) {
        std::vector<uint8_t> out(count, 0xFF);
        if (how == Garbage::Random)
            for (uint8_t& b : out)
                b = static_cast<uint8_t>(random());
        return out;
    };
    const kernel::KwsDescriptor* d = kernel::GetKwsDescriptor();
    ASSERT_NE(d, nullptr);
    for (int k2 = 0; k2 < kernel::kObjectKindCount; ++k2) {
        const auto kind = static_cast<kernel::ObjectKind>(k2);
        for (uint32_t n = 1; n <= k.builder().objectCount(kind); ++n)
            target.poke(k.builder().objectAddress(kind, n), bytes(extent(d->objects[static_cast<std::size_t>(k2)])));
    }
    const int32_t slot = kernel::FieldSize(d->kws, 11);
    for (int cls = 0; cls < kernel::kClassSlots; ++cls) {
        const uint32_t entry = target.peek32(kernel::GetClassTableAddress() + static_cast<uint32_t>(cls * slot), true);
        if (entry != 0)
            target.poke(entry, bytes(extent(d->classEntry)));
    }
    if (how == Garbage::AllOnes) {
        target.setFailUnmapped(false);
        target.setUnmappedFill(0xFF);
    }
}

// Every cell of every list window.
std::vector<std::string> allCells(const WindowManager& manager)
{
    std::vector<std::string> cells;
    for (ObjectWindow* window : manager.windows())
        if (auto* list = window->findChild<ReportList*>())
            for (int r = 0; r < list->rowCount(); ++r)
                for (int c = 0; c < list->columnCount(); ++c)
                    cells.push_back(list->cellText(r, c));
    return cells;
}

int countContaining(const std::vector<std::string>& cells, const std::string& text)
{
    return static_cast<int>(std::count_if(cells.begin(), cells.end(), [&](const std::string& c) { return c.find(text) != std::string::npos; }));
}

struct Cost {
    uint64_t opening = 0; // every window opened, one after another (one debugger call per byte)
    uint64_t stop = 0;    // the refresh of a stop with every window open
    int stoppedLists = 0; // rows that say a list stops at an object or a class that fails its checks
    int repeats = 0;      // rows that say a list repeats
    std::size_t writes = 0;
};

Cost openEverythingAndStop(Garbage how, void (*build)(simtarget::TargetBuilder&) = &simtarget::BuildDemo)
{
    QuietEnvironment quiet;
    GeneratedKernel k(build);
    EXPECT_EQ(k.load(), 0);
    makeGarbage(k, how);
    kernel::test::FakeTarget& target = k.target();
    kernel::FreeClassRecords(); // classes load at their first use, as after Initialize
    kernel::DropTargetReadCache();
    Cost cost;
    WindowManager manager;
    const uint64_t start = target.bytesRead;
    for (uint32_t command = 1; command <= 16; ++command) {
        manager.OnDisplayCommand(command);
        drainEvents();
    }
    for (ObjectWindow* window : std::vector<ObjectWindow*>(manager.windows()))
        if (auto* list = dynamic_cast<ObjectListWindow*>(window))
            for (int button : {1018, 1032, 1052, 1056, 1066})
                if (list->button(button) != nullptr) {
                    list->onCommand(button);
                    drainEvents();
                }
    cost.opening = target.bytesRead - start;
    const uint64_t beforeStop = target.bytesRead;
    manager.OnTargetRunning();
    manager.OnTargetStopped();
    drainEvents();
    cost.stop = target.bytesRead - beforeStop;
    const std::vector<std::string> cells = allCells(manager);
    cost.stoppedLists = countContaining(cells, "fails its checks") + countContaining(cells, "more than the target holds");
    cost.repeats = countContaining(cells, kRepeatedListText);
    cost.writes = target.writes.size();
    std::cout << nameOf(how) << ": " << manager.windows().size() << " windows, reads opening " << cost.opening << ", stop "
              << cost.stop << ", lists stopped at a failed check " << cost.stoppedLists << ", repeats " << cost.repeats
              << std::endl;
    manager.CloseAllWindows();
    return cost;
}

TEST(KernelCost, GarbageCostsNoMoreThanTheHealthyDemo)
{
    const Cost healthy = openEverythingAndStop(Garbage::None);
    EXPECT_EQ(healthy.stoppedLists, 0);
    EXPECT_EQ(healthy.repeats, 0);
    EXPECT_EQ(healthy.writes, 0u);
    // A stop reads every byte the windows show once.
    EXPECT_GT(healthy.stop, 0u);
    for (Garbage how : {Garbage::Claims, Garbage::Nameless, Garbage::NamelessZeros, Garbage::NamelessZerosMost,
                        Garbage::AllOnes, Garbage::Random}) {
        SCOPED_TRACE(nameOf(how));
        const Cost garbage = openEverythingAndStop(how);
        // Whatever a class claims, garbage costs no more than the healthy kernel.
        EXPECT_LE(garbage.opening + garbage.stop, healthy.opening + healthy.stop);
        EXPECT_GT(garbage.stoppedLists, 0);
        EXPECT_EQ(garbage.writes, 0u);
    }
}

// Reset Statistics writes to the objects the list shows, which passed their checks, and to nothing else a
// garbage class claims.
TEST(KernelCost, ResetStatisticsWritesOnlyToTheObjectsShown)
{
    for (Garbage how : {Garbage::None, Garbage::Claims, Garbage::Nameless}) {
        SCOPED_TRACE(nameOf(how));
        QuietEnvironment quiet;
        GeneratedKernel k(&simtarget::BuildDemo);
        ASSERT_EQ(k.load(), 0);
        makeGarbage(k, how);
        kernel::FreeClassRecords();
        WindowManager manager;
        auto* semaphores = OpenDisplay<ObjectListWindow>(manager, 3, 1001);
        ASSERT_NE(semaphores, nullptr);
        std::set<uint32_t> shown;
        for (int r = 0; r < semaphores->sheet().rowCount(); ++r)
            if (semaphores->sheet().itemData(r) != 0)
                shown.insert(semaphores->sheet().itemData(r));
        k.target().writes.clear();
        semaphores->onCommand(1025); // Reset Statistics
        drainEvents();
        for (const kernel::test::FakeTarget::Write& w : k.target().writes) {
            bool ofShown = false;
            for (uint32_t n : shown) {
                const uint32_t at = kernel::KindObjectAddress(kernel::ObjectKind::Semaphore, n);
                ofShown = ofShown || (w.address >= at && w.address < at + 0x100);
            }
            EXPECT_TRUE(ofShown) << std::hex << w.address;
        }
        EXPECT_EQ(k.target().writes.size(), shown.size());
        EXPECT_LT(shown.size(), 5u);
        manager.CloseAllWindows();
    }
}

// The demo with 6 tasks on 8 KB or 64 KB stacks: every cell of Task Stacks Information as the stacks
// hold it, nothing cut.
TEST(KernelCost, BigStacksAreListedWholeAndRight)
{
    for (const auto& [size, used] : {std::pair<uint32_t, uint32_t>{8192, 1024}, {65536, 4096}}) {
        SCOPED_TRACE(size);
        QuietEnvironment quiet;
        GeneratedKernel k([size = size, used = used](simtarget::TargetBuilder& b) { simtarget::BuildDemoStacks(b, size, used); });
        ASSERT_EQ(k.load(), 0);
        WindowManager manager;
        auto* tasks = OpenDisplay<ObjectListWindow>(manager, 2, 1000);
        ASSERT_NE(tasks, nullptr);
        const uint64_t before = k.target().bytesRead;
        tasks->onCommand(1056);
        drainEvents();
        std::cout << size << "-byte stacks: Task Stacks Information read " << k.target().bytesRead - before << " bytes"
                  << std::endl;
        ObjectWindow* stacks = nullptr;
        for (ObjectWindow* w : manager.windows())
            if (w->windowTitle() == QStringLiteral("Task Stacks Information"))
                stacks = w;
        ASSERT_NE(stacks, nullptr);
        const ReportList& list = *stacks->findChild<ReportList*>();
        ASSERT_EQ(list.rowCount(), 7); // the kernel and tasks 1 to 6, no cut row
        const std::vector<std::string> names{"Main", "Sleeper", "Reader", "Paused", "Spare", "Worker"};
        EXPECT_EQ(list.cellText(0, 0), "-");
        EXPECT_EQ(list.cellText(0, 1), "<Kernel>");
        const uint32_t kernelSize = static_cast<uint32_t>(std::stoul(list.cellText(0, 3)));
        EXPECT_EQ(std::stoul(list.cellText(0, 4)) + std::stoul(list.cellText(0, 5)), kernelSize);
        for (uint32_t n = 1; n <= 6; ++n) {
            const int r = static_cast<int>(n);
            const bool inactive = n == 5; // holds nothing on its stack
            EXPECT_EQ(list.cellText(r, 0), std::to_string(n));
            EXPECT_EQ(list.cellText(r, 1), names[n - 1]);
            EXPECT_EQ(list.cellText(r, 2), kernel::HexText(k.builder().field(kernel::ObjectKind::Task, n, 10), 8, true, true));
            EXPECT_EQ(list.cellText(r, 3), std::to_string(size));
            EXPECT_EQ(list.cellText(r, 4), std::to_string(inactive ? 0 : used)) << names[n - 1];
            EXPECT_EQ(list.cellText(r, 5), std::to_string(inactive ? size : size - used)) << names[n - 1];
            if (n == 1) {
                EXPECT_EQ(list.cellText(r, 6), "<current task>");
                EXPECT_EQ(list.cellText(r, 7), "");
            } else {
                const uint32_t current = static_cast<uint32_t>(std::stoul(list.cellText(r, 6)));
                EXPECT_EQ(current + std::stoul(list.cellText(r, 7)), size);
                EXPECT_LE(current, inactive ? 0 : used);
            }
        }
        manager.CloseAllWindows();
    }
}

// Every cell of one list window, row by row.
std::vector<std::vector<std::string>> rowsOf(const ObjectWindow& window)
{
    std::vector<std::vector<std::string>> rows;
    const ReportList& list = *window.findChild<ReportList*>();
    for (int r = 0; r < list.rowCount(); ++r) {
        rows.emplace_back();
        for (int c = 0; c < list.columnCount(); ++c)
            rows.back().push_back(list.cellText(r, c));
    }
    return rows;
}

ObjectWindow* windowTitled(const WindowManager& manager, const QString& title)
{
    for (ObjectWindow* w : manager.windows())
        if (w->windowTitle() == title)
            return w;
    return nullptr;
}

// A stop whose reads the target refuses keeps every row last read, with a row that says so, and blames no
// object; opened while reads are refused, a window shows no refused read as data. Reads given again
// replace it all.
TEST(KernelCost, RefusedReadsKeepTheRowsLastRead)
{
    QuietEnvironment quiet;
    GeneratedKernel k(&simtarget::BuildDemo);
    ASSERT_EQ(k.load(), 0);
    WindowManager manager;
    auto* tasks = OpenDisplay<ObjectListWindow>(manager, 2, 1000);
    ASSERT_NE(tasks, nullptr);
    tasks->onCommand(1056);
    drainEvents();
    ObjectWindow* stacks = windowTitled(manager, QStringLiteral("Task Stacks Information"));
    ASSERT_NE(stacks, nullptr);
    const auto tasksRead = rowsOf(*tasks);
    const auto stacksRead = rowsOf(*stacks);

    k.target().setRefuseReads(true);
    manager.OnTargetRunning();
    manager.OnTargetStopped();
    drainEvents();
    for (const auto& [window, read] : {std::pair{static_cast<ObjectWindow*>(tasks), tasksRead}, {stacks, stacksRead}}) {
        SCOPED_TRACE(window->windowTitle().toStdString());
        auto rows = rowsOf(*window);
        ASSERT_EQ(rows.size(), read.size() + 1);
        EXPECT_EQ(rows.back()[0], kReadsRefusedText);
        rows.pop_back();
        EXPECT_EQ(rows, read);
    }

    manager.CloseAllWindows();
}

// Windows opened while the target refuses reads show no refused read as data and blame no object: with
// nothing read before, each holds only the row that says the reads were refused (no null task, no "<No
// ready tasks>", no empty backtrace, no stack figure). Reads given again replace it all. Notes do not
// widen a value's column: Kernel Information fits its columns to its values whatever its note says.
TEST(KernelCost, AWindowOpenedWhileReadsAreRefusedShowsNoneAsData)
{
    QuietEnvironment quiet;
    GeneratedKernel k(&simtarget::BuildDemo);
    ASSERT_EQ(k.load(), 0);
    WindowManager manager;
    manager.OnDisplayCommand(1);
    drainEvents();
    ObjectWindow* info = windowTitled(manager, QStringLiteral("Kernel Information"));
    ASSERT_NE(info, nullptr);
    auto* infoList = info->findChild<ReportList*>();
    const int attributeWidth = infoList->columnWidth(0);
    k.target().setRefuseReads(true);
    kernel::DropTargetReadCache();
    info->Refresh();
    ASSERT_EQ(infoList->cellText(infoList->rowCount() - 1, 0), kKernelValuesNotRead);
    EXPECT_EQ(infoList->columnWidth(0), attributeWidth);
    auto* tasks = OpenDisplay<ObjectListWindow>(manager, 2, 1000);
    ASSERT_NE(tasks, nullptr);
    tasks->onCommand(1056);
    for (uint32_t command : {3u, 12u, 13u, 16u})
        manager.OnDisplayCommand(command);
    drainEvents();
    for (ObjectWindow* window : manager.windows())
        window->Refresh(); // read again: what the target refused stays refused
    std::vector<std::string> cells = allCells(manager);
    EXPECT_EQ(countContaining(cells, "fails its checks"), 0);
    // One wording in every window for the one state.
    for (const char* title : {"Tasks", "Task Stacks Information", "Task Ready List", "Exception Backtrace", "Semaphores",
                              "Event Sources"}) {
        SCOPED_TRACE(title);
        ObjectWindow* window = windowTitled(manager, QString::fromLatin1(title));
        ASSERT_NE(window, nullptr);
        const auto rows = rowsOf(*window);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0][0], kReadsRefusedNothingText);
        for (std::size_t c = 1; c < rows[0].size(); ++c)
            EXPECT_TRUE(rows[0][c].empty()) << rows[0][c];
    }

    k.target().setRefuseReads(false);
    manager.OnTargetRunning();
    manager.OnTargetStopped();
    drainEvents();
    cells = allCells(manager);
    EXPECT_EQ(countContaining(cells, "refused"), 0);
    EXPECT_EQ(countContaining(cells, kStackNotRead), 0);
    EXPECT_EQ(countContaining(cells, "not read"), 0);
    EXPECT_EQ(rowsOf(*tasks).size(), 7u); // the null task and tasks 1 to 6
    EXPECT_EQ(rowsOf(*tasks)[0][1], "<Null Task>");
    manager.CloseAllWindows();
}

// Each list that comes back on itself ends its window with the row that says so, and shows each entry
// before the repeat once.
TEST(KernelCost, EveryCyclicListSaysSoInARow)
{
    QuietEnvironment quiet;
    GeneratedKernel k(&simtarget::BuildCyclicDemo);
    ASSERT_EQ(k.load(), 0);
    WindowManager manager;
    for (uint32_t command : {3u, 12u, 13u, 14u}) {
        manager.OnDisplayCommand(command);
        drainEvents();
    }
    for (const char* title : {"Semaphores", "Task Ready List", "Event Sources", "Counters"}) {
        SCOPED_TRACE(title);
        ObjectWindow* window = nullptr;
        for (ObjectWindow* w : manager.windows())
            if (w->windowTitle() == QString::fromLatin1(title))
                window = w;
        ASSERT_NE(window, nullptr);
        const ReportList& list = *window->findChild<ReportList*>();
        ASSERT_GT(list.rowCount(), 0);
        EXPECT_EQ(list.cellText(list.rowCount() - 1, 0), kRepeatedListText);
    }
    // SemA's self-linked waiter is listed once.
    auto* semaphores = dynamic_cast<ObjectListWindow*>(manager.FindOpenWindow(1001));
    ASSERT_NE(semaphores, nullptr);
    EXPECT_EQ(semaphores->list()->cellText(0, 7), "Main");
    // The ready list: tasks 1 and 2, then the row.
    ObjectWindow* ready = nullptr;
    for (ObjectWindow* w : manager.windows())
        if (w->windowTitle() == QStringLiteral("Task Ready List"))
            ready = w;
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ready->findChild<ReportList*>()->rowCount(), 3);
    manager.CloseAllWindows();
}

} // namespace
} // namespace views::test
