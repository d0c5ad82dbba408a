// Readers checked against numbers worked out by hand from the kernel's structure descriptions, over
// hand-made kernels: rings, chains, stacks, contexts and the task status texts. The simulated-target
// suites check the same readers against the generator; these catch a misreading the two could share.
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/tests/hand_kernel.h"

#include <gtest/gtest.h>

#include <vector>

namespace kernel::test {
namespace {

using K = ObjectKind;

TEST(HandCross, RingsAndChains)
{
    HandKernel k(7);
    k.addClass(K::Pipe, 0x10000, 0, 2, 2);
    k.addClass(K::Partition, 0x20000, 0, 1, 1);
    k.addClass(K::Mailbox, 0x30000, 0, 1, 1);
    k.target.map(0x60000, 0x300);
    k.target.map(0x61000, 0x300);
    k.target.map(0x62000, 0x100);
    // Pipe 1: 4 buffers; 2 full from index 1, 3 free from index 1.
    k.set(K::Pipe, 1, 2, 4);
    k.set(K::Pipe, 1, 4, 2);
    k.set(K::Pipe, 1, 5, 1);
    k.set(K::Pipe, 1, 6, 0x60000);
    k.set(K::Pipe, 1, 7, 0x60100);
    k.set(K::Pipe, 1, 8, 3);
    k.set(K::Pipe, 1, 9, 1);
    k.set(K::Pipe, 1, 10, 0x60200);
    for (uint32_t i = 0; i < 4; ++i) {
        k.put32(0x60000 + 4 * i, 0xA000 + 0x100 * i);
        k.put32(0x60100 + 4 * i, 10 + i);
        k.put32(0x60200 + 4 * i, 0xF000 + 0x10 * i);
    }
    // Pipe 2: counts but no depth.
    k.set(K::Pipe, 2, 4, 1);
    k.set(K::Pipe, 2, 8, 1);
    // Partition 1: three free blocks chained through their first word.
    k.set(K::Partition, 1, 4, 0x61000);
    k.set(K::Partition, 1, 6, 3);
    k.put32(0x61000, 0x61100);
    k.put32(0x61100, 0x61200);
    k.put32(0x61200, 0x99999);
    // Mailbox 1: two envelopes.
    k.set(K::Mailbox, 1, 4, 0x62000);
    k.set(K::Mailbox, 1, 6, 2);
    const uint32_t first[9] = {0, 0x62040, 0, 0xFFFFFFFF, 0, 0, 3, 4, 0x62080};
    const uint32_t second[9] = {0, 0, 0, 5, 0, 0, 6, 7, 0x620C0};
    for (uint32_t f = 0; f < 9; ++f) {
        k.put32(0x62000 + 4 * f, first[f]);
        k.put32(0x62040 + 4 * f, second[f]);
    }
    ASSERT_EQ(k.load(), LoadOk);

    // Full ring: i = (5th - 4th, plus depth when negative, + k - 1) mod depth = 3, then 0.
    uint32_t size = 99;
    EXPECT_EQ(ReadPipeFullBuffer(1, 1, &size), 0xA300u);
    EXPECT_EQ(size, 13u);
    EXPECT_EQ(ReadPipeFullBuffer(1, 2, &size), 0xA000u);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(ReadPipeFullBuffer(1, 3, &size), 0u);
    EXPECT_EQ(size, 0u);
    // Free ring: (1 - 3 + 4 + k - 1) mod 4 = 2, 3, 0.
    EXPECT_EQ(ReadPipeFreeBuffer(1, 1), 0xF020u);
    EXPECT_EQ(ReadPipeFreeBuffer(1, 3), 0xF000u);
    EXPECT_EQ(ReadPipeFreeBuffer(1, 4), 0u);
    EXPECT_EQ(FormatFullBuffersText(1), "0x0000A300/13 0x0000A000/10");
    EXPECT_EQ(FormatFreeBuffersText(1), "0x0000F020 0x0000F030 0x0000F000");
    k.put32(0x60000 + 4 * 0, 0); // a null buffer is an empty item in its place
    EXPECT_EQ(FormatFullBuffersText(1), "0x0000A300/13 ");
    k.put32(0x60200 + 4 * 3, 0);
    EXPECT_EQ(FormatFreeBuffersText(1), "0x0000F020  0x0000F000");
    EXPECT_EQ(ReadPipeFreeBuffer(2, 1), 0u);
    EXPECT_EQ(ReadPipeFullBuffer(2, 1, &size), 0u);

    EXPECT_EQ(ReadPartitionFreeBlock(1, 1), 0x61000u);
    EXPECT_EQ(ReadPartitionFreeBlock(1, 3), 0x61200u);
    EXPECT_EQ(ReadPartitionFreeBlock(1, 4), 0u);
    EXPECT_EQ(PartitionFreeBlocksText(1), "0x00061000 0x00061100 0x00061200");

    MailboxMessage message{};
    ASSERT_EQ(ReadMailboxMessage(1, 1, message), 1);
    EXPECT_EQ(message, (MailboxMessage{0xFFFFFFFF, 3, 4, 0x62080}));
    ASSERT_EQ(ReadMailboxMessage(1, 2, message), 1);
    EXPECT_EQ(message, (MailboxMessage{5, 6, 7, 0x620C0}));
    EXPECT_EQ(ReadMailboxMessageAddress(1, 2), 0x620C0u);
    EXPECT_EQ(ReadMailboxMessage(1, 3, message), 0);
    EXPECT_EQ(ReadMailboxMessage(1, 0, message), 0);

    // One walk gives the same messages as reading them one by one, and stops when asked.
    std::vector<MailboxMessage> walked;
    EXPECT_EQ(ForEachMailboxMessage(1, [&](uint32_t k, const MailboxMessage& m, uint32_t address) {
                  EXPECT_EQ(address, m[3]);
                  EXPECT_EQ(k, walked.size() + 1);
                  walked.push_back(m);
                  return true;
              }),
              2u);
    EXPECT_EQ(walked, (std::vector<MailboxMessage>{{0xFFFFFFFF, 3, 4, 0x62080}, {5, 6, 7, 0x620C0}}));
    EXPECT_EQ(ForEachMailboxMessage(1, [](uint32_t, const MailboxMessage&, uint32_t) { return false; }), 1u);
}

TEST(HandCross, TaskStacksAndContexts)
{
    for (uint32_t growth : {0u, 1u}) {
        SCOPED_TRACE(growth);
        HandKernel k(7);
        k.stackGrowth = growth;
        k.addClass(K::Task, 0x10000, 0x8, 6, 6);
        k.target.map(0x70000, 0x100, 0x33);
        k.set(K::Task, 1, 10, 0x70000);
        k.set(K::Task, 1, 11, 0x100);
        // 10 untouched units at the end the stack grows toward.
        for (uint32_t i = 0; i < 10; ++i)
            k.put32(growth ? 0x700FC - 4 * i : 0x70000 + 4 * i, 0x5A5A5A5A);
        // Contexts: inactive, at its stack base while not ready, blocked (through the cell), ready.
        k.set(K::Task, 3, 6, 0x800);
        k.set(K::Task, 3, 7, 0x70080);
        k.set(K::Task, 4, 6, 0x8);
        k.set(K::Task, 4, 7, 0x70000);
        k.set(K::Task, 4, 10, 0x70000);
        k.set(K::Task, 5, 6, 0x20);
        k.set(K::Task, 5, 7, 0x70040);
        k.put32(0x70040, 0x70060);
        k.set(K::Task, 6, 7, 0x70050);
        ASSERT_EQ(k.load(), LoadOk);

        TaskStackInfo stack{};
        ReadTaskStackInfo(1, stack);
        EXPECT_EQ(stack, (TaskStackInfo{0x70000, 0x100, 0x100 - 40, 40, 0}));
        ReadTaskStackInfo(2, stack);
        EXPECT_EQ(stack, (TaskStackInfo{0, 0, 0, 0, 0}));
        EXPECT_EQ(GetTaskContextAddress(k.object(K::Task, 3)), 0u);
        EXPECT_EQ(GetTaskContextAddress(k.object(K::Task, 4)), 0u);
        EXPECT_EQ(GetTaskContextAddress(k.object(K::Task, 5)), 0x70060u);
        EXPECT_EQ(GetTaskContextAddress(k.object(K::Task, 6)), 0x70050u);
        EXPECT_EQ(IsTaskInUse(0), 1); // the null task at the object base is listed like a static one
        EXPECT_EQ(IsTaskInUse(6), 1);
    }
}

TEST(HandCross, TaskStatusTimeoutsAndCounterChains)
{
    HandKernel k(7, true);
    k.addClass(K::Task, 0x10000, 0x40, 3, 3);
    k.addClass(K::Semaphore, 0x20000, 0, 1, 1);
    k.addClass(K::Counter, 0x30000, 0, 1, 1, 0x63000, 8);
    k.addClass(K::Alarm, 0x40000, 0, 1, 1);
    k.addClass(K::EventSource, 0x50000, 0, 1, 1);
    k.target.poke(0x63000, {'S', 'y', 's', 'C', 'l', 'k', 0, 0, 0});
    const uint32_t task1 = k.object(K::Task, 1), counter = k.object(K::Counter, 1), alarm = k.object(K::Alarm, 1);
    // Task 1 sleeps with a timeout alarm 25 ticks ahead of its counter, and waits on semaphore 1.
    for (uint32_t n = 1; n <= 3; ++n)
        k.set(K::Task, n, 5, n);
    k.set(K::Task, 1, 6, 0x8);
    k.set(K::Task, 1, 8, alarm);
    k.set(K::Task, 1, 13, 2);
    k.set(K::Task, 1, 14, 5);
    k.set(K::Counter, 1, 4, 1);
    k.set(K::Counter, 1, 6, 3);
    k.set(K::Counter, 1, 7, 1000);
    k.set(K::Counter, 1, 8, 100);
    k.set(K::Counter, 1, 9, alarm);
    const uint32_t alarmFields[17] = {0, 0, 0, 0, 0, 0, 125, 7, 8, 9, 10, 11, counter, 1, 14, 15, 16};
    for (int f = 0; f < 17; ++f)
        k.set(K::Alarm, 1, f, alarmFields[f]);
    k.set(K::EventSource, 1, 2, counter);
    k.target.map(0x64000, 0x40);
    k.set(K::Semaphore, 1, 2, 0x64000);
    k.put32(0x64000 + 24, task1);
    // Task 2 heads the ready list; task 3 is ready behind it.
    k.kws(13, k.object(K::Task, 2));
    k.set(K::Task, 2, 1, k.object(K::Task, 3));
    ASSERT_EQ(k.load(), LoadOk);

    ClassCounts counts;
    GetTaskCounts(counts);
    TaskRecord record{};
    ReadTaskRecord(1, record);
    EXPECT_EQ(FormatTaskStatus(1, record, counts), "Sleep <25 ticks:SysClk> <2/5 slices>");
    ReadTaskRecord(2, record);
    EXPECT_EQ(FormatTaskStatus(2, record, counts), "(Current)");
    ReadTaskRecord(3, record);
    EXPECT_EQ(FormatTaskStatus(3, record, counts), "(Ready)");
    uint32_t listed = 0;
    EXPECT_EQ(SemaphoreWaitersText(1, "", &listed), "<Task #1> <25 ticks:SysClk>");
    EXPECT_EQ(listed, 1u);

    TaskAlarmInfo info{};
    ASSERT_EQ(ReadTaskAlarmInfo(1, info), 1);
    EXPECT_EQ(info, (TaskAlarmInfo{8, 9, 1, 25, 11, 1, 0}));
    CounterAlarm alarms[4];
    ASSERT_EQ(ReadCounterAlarms(1, alarms, 4), 1u);
    EXPECT_EQ(alarms[0], (CounterAlarm{25, 7, 8, 9, 10, 11, 1, 14, 15, 16}));
    EventSourceCounter counters[4];
    ASSERT_EQ(ReadEventSourceCounters(1, counters, 4), 1u);
    EXPECT_EQ(counters[0], (EventSourceCounter{3, 1000, 100, 1}));
    ReadyEntry ready[4];
    ASSERT_EQ(ReadReadyList(ready, 4), 2u);
    EXPECT_EQ(ready[1][0], 3u);
}

} // namespace
} // namespace kernel::test
