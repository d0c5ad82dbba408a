// The partition, queue, mutex and pipe windows over generated kernels: columns with and without
// statistics, rows, buttons, statistics resets and the detail windows.

#include "plugin/views/classes/pool_rows.h"
#include "plugin/views/classes/pool_windows.h"
#include "plugin/views/classes/tests/class_test_support.h"
#include "plugin/views/commands.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/object_readers.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace views::test {
namespace {

using K = kernel::ObjectKind;
using Texts = std::vector<std::string>;

template <typename W>
W* open(WindowManager& manager, uint32_t command)
{
    manager.OnDisplayCommand(command);
    drainEvents();
    return dynamic_cast<W*>(manager.FindOpenWindow(W::kDialogId));
}

TEST(PartitionWindows, DemoRowsAndDetails)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    auto* partitions = open<PartitionsWindow>(manager, 5);
    ASSERT_NE(partitions, nullptr);
    const ReportList& list = *partitions->list();
    EXPECT_EQ(Headers(list), (Texts{"#", "Name", "Address", "Available", "Total", "Bsize", "Worst", "Usage", "Order",
                                    "Waiter(s)", "Trace"}));
    // Worst is the second statistic, Usage the first.
    const Texts first = Row(list, 0);
    EXPECT_EQ(Texts(first.begin() + 3, first.end()), (Texts{"3", "8", "32", "2", "5", "Priority", "", "No"}));
    EXPECT_EQ(first[2].substr(0, 2), "0x");
    EXPECT_EQ(first[2].size(), 10u);
    EXPECT_TRUE(partitions->button(PartitionsWindow::BlockInfo)->isEnabled());
    EXPECT_TRUE(partitions->button(PartitionsWindow::Semaphores)->isEnabled());
    EXPECT_TRUE(partitions->button(PartitionsWindow::ResetStatistics)->isEnabled());

    partitions->button(PartitionsWindow::BlockInfo)->click();
    drainEvents();
    auto* blocks = dynamic_cast<PartitionBlocksWindow*>(manager.FindOpenWindow(PartitionBlocksWindow::kDialogId));
    ASSERT_NE(blocks, nullptr);
    EXPECT_EQ(Column(*blocks->list(), 2), (Texts{"3", "<none>"}));
    EXPECT_EQ(blocks->list()->cellText(0, 3).substr(0, 2), "0x");
    EXPECT_EQ(blocks->list()->cellText(1, 3), "");

    partitions->button(PartitionsWindow::ResetStatistics)->click();
    drainEvents();
    EXPECT_EQ(list.cellText(0, PrtUsage), "0");
    kernel::PartitionStatistics statistics{};
    kernel::ReadPartitionStatistics(1, statistics);
    EXPECT_EQ(statistics[0], 0u);
}

// Partitions: 1 with 20 free blocks, 2 not in use with statistics; trace, no statistics attribute.
void buildPools(simtarget::TargetBuilder& b, uint32_t attributes)
{
    b.addClass(K::Partition, 1, 1, attributes);
    simtarget::MakePartition(b, 1, 24, 16, 20);
    b.setInUse(K::Partition, 2, false);
    b.setField(K::Partition, 2, 10, 9);
    b.addClass(K::Queue, 1, 0, attributes);
    simtarget::MakeQueue(b, 1, 4, 32, 3, 30);
    b.addClass(K::Mutex, 2, 0, attributes);
    b.addClass(K::Semaphore, 2, 0, 0);
    b.setName(K::Semaphore, 1, "PartFree");
    b.setName(K::Semaphore, 2, "MutexFree");
    b.setField(K::Partition, 1, 9, 1);
    b.setField(K::Mutex, 1, 7, 2);
    b.addClass(K::Pipe, 1, 1, attributes);
    simtarget::MakePipe(b, 1, 2, 16, 0, 0, 2, 0);
    b.setField(K::Pipe, 1, 11, 3);
    b.setInUse(K::Pipe, 2, false);
    b.setField(K::Pipe, 2, 15, 4);
    simtarget::MakeTrace(b, simtarget::TraceSetup{});
}

TEST(PoolWindows, WithoutStatisticsColumnsMoveUpAndResetIsGreyed)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { buildPools(b, 0); });
    ASSERT_EQ(kernel.load(), 0);
    PartitionsWindow partitions(nullptr);
    partitions.Refresh();
    EXPECT_EQ(Headers(*partitions.list()).size(), 9u);
    EXPECT_EQ(Headers(*partitions.list())[6], "Order");
    EXPECT_EQ(partitions.list()->cellText(1, 1), "<not in use>");
    EXPECT_FALSE(partitions.button(PartitionsWindow::ResetStatistics)->isEnabled());
    EXPECT_FALSE(partitions.button(PartitionsWindow::Semaphores)->isEnabled());

    MutexesWindow mutexes(nullptr);
    mutexes.Refresh();
    EXPECT_EQ(Headers(*mutexes.list()),
              (Texts{"#", "Name", "Level", "Order", "Inversion", "Owner", "Waiter(s)", "Trace"}));
    EXPECT_EQ(mutexes.list()->cellText(0, 4), "No");
    EXPECT_EQ(mutexes.list()->rowCount(), 2);
    EXPECT_EQ(mutexes.list()->cellText(0, 5), "") << "no owner";

    PipesWindow pipes(nullptr);
    pipes.Refresh();
    const Texts headers = Headers(*pipes.list());
    ASSERT_EQ(headers.size(), 9u);
    EXPECT_EQ(headers[6], "PutFull Action");
    EXPECT_EQ(headers[7], "PutEmpty Action");
    EXPECT_EQ(pipes.list()->cellText(0, 7), "DecrThreadGate") << "an action without a thread has no name";
    EXPECT_FALSE(pipes.button(PipesWindow::ResetStatistics)->isEnabled());
}

TEST(PoolWindows, LongListsEndWithAnEllipsisAndResetsReachTheirObjects)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { buildPools(b, 0x8 | 0x4); });
    ASSERT_EQ(kernel.load(), 0);
    PartitionBlocksWindow blocks(nullptr);
    blocks.Refresh();
    EXPECT_EQ(blocks.list()->cellText(0, 2), "20");
    const std::string addresses = blocks.list()->cellText(0, 3);
    EXPECT_EQ(std::count(addresses.begin(), addresses.end(), 'x'), 16);
    EXPECT_EQ(addresses.substr(addresses.size() - 3), "...");

    QueueEntriesWindow entries(nullptr);
    entries.Refresh();
    const std::string queued = entries.list()->cellText(0, 2);
    EXPECT_EQ(std::count(queued.begin(), queued.end(), 'x'), 16);
    EXPECT_EQ(queued.substr(queued.size() - 3), "...");

    // Partitions reset only the objects in use; pipes reset every number.
    PartitionsWindow partitions(nullptr);
    partitions.Refresh();
    partitions.onCommand(PartitionsWindow::ResetStatistics);
    kernel::PartitionStatistics partition{};
    kernel::ReadPartitionStatistics(2, partition);
    EXPECT_EQ(partition[0], 9u);
    PipesWindow pipes(nullptr);
    pipes.Refresh();
    EXPECT_TRUE(pipes.button(PipesWindow::ResetStatistics)->isEnabled());
    pipes.onCommand(PipesWindow::ResetStatistics);
    kernel::PipeStatistics pipe{};
    kernel::ReadPipeStatistics(2, pipe);
    EXPECT_EQ(pipe[0], 0u);

    PartitionSemaphoresWindow partitionSemaphores(nullptr);
    partitionSemaphores.Refresh();
    EXPECT_EQ(Column(*partitionSemaphores.list(), 2), (Texts{"PartFree<PNE>", ""}));
    EXPECT_EQ(partitionSemaphores.list()->cellText(1, 1), "<not in use>");
    MutexSemaphoresWindow mutexSemaphores(nullptr);
    mutexSemaphores.Refresh();
    EXPECT_EQ(Column(*mutexSemaphores.list(), 2), (Texts{"MutexFree", ""})) << "no tag, empty without one";

    // The buffer windows test the in-use state only with attribute 0x1.
    EmptyBuffersWindow empty(nullptr);
    empty.Refresh();
    EXPECT_NE(empty.list()->cellText(1, 1), "<not in use>");
    EXPECT_EQ(empty.list()->cellText(0, 2).substr(0, 2), "0x");
}

TEST(PoolWindows, QueueAndMutexDemoRowsAndTraceSwitch)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    auto* queues = open<QueuesWindow>(manager, 6);
    ASSERT_NE(queues, nullptr);
    const Texts queue = Row(*queues->list(), 0);
    EXPECT_EQ(Texts(queue.begin() + 3, queue.end()), (Texts{"2", "4", "4", "6", "5", "Priority", "Reader<QNE>", "No"}));
    queues->button(QueuesWindow::Semaphores)->click();
    drainEvents();
    auto* semaphores = dynamic_cast<QueueSemaphoresWindow*>(manager.FindOpenWindow(QueueSemaphoresWindow::kDialogId));
    ASSERT_NE(semaphores, nullptr);
    EXPECT_EQ(semaphores->list()->cellText(0, 2), "QNF1<QNF> QNE1<QNE>");

    auto* mutexes = open<MutexesWindow>(manager, 7);
    ASSERT_NE(mutexes, nullptr);
    EXPECT_EQ(Row(*mutexes->list(), 0),
              (Texts{"1", "MutexA", "1", "7", "8", "Priority", "Yes", "Main", "Worker", "No"}));
    mutexes->setSelectedRow(1);
    mutexes->onCommand(kTraceObject);
    kernel::MutexRecord record{};
    kernel::ReadMutexRecord(2, record);
    EXPECT_EQ(record[0] & 0x200, 0x200u);
    EXPECT_EQ(mutexes->list()->cellText(1, MtxTrace), "Yes");

    auto* pipes = open<PipesWindow>(manager, 8);
    ASSERT_NE(pipes, nullptr);
    EXPECT_EQ(pipes->list()->cellText(0, PipPutEmpty), "ScheduleThread ThrB");
    pipes->button(PipesWindow::FullBuffers)->click();
    drainEvents();
    auto* full = dynamic_cast<FullBuffersWindow*>(manager.FindOpenWindow(FullBuffersWindow::kDialogId));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->list()->cellText(1, 2), "<no full buffers>");
    EXPECT_EQ(manager.windows().size(), 5u);
}

} // namespace
} // namespace views::test
