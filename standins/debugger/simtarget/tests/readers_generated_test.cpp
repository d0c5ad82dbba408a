// Every class reader, the registers, the trace buffer, the services table and the texts, over the
// generated demo kernel on every processor port, both byte orders, plain and shuffled layouts.
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/trace.h"
#include "standins/debugger/simtarget/kernel_objects.h"
#include "standins/debugger/simtarget/port_frames.h"
#include "standins/debugger/simtarget/tests/generated_fixture.h"

#include <gtest/gtest.h>

#include <array>

#include <memory>
#include <tuple>

namespace simtarget::test {
namespace {

using K = kernel::ObjectKind;
using Variant = std::tuple<int, bool, uint32_t>;

// `size` bytes at `address` of the generated memory; empty when any of them is not there.
std::string textAt(const std::vector<MemoryBlock>& memory, uint32_t address, uint32_t size)
{
    for (const MemoryBlock& block : memory)
        if (address >= block.address && uint64_t{address} + size <= block.address + block.data.size())
            return std::string(block.data.begin() + (address - block.address),
                               block.data.begin() + (address - block.address + size));
    return {};
}

class DemoKernel : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override
    {
        KernelSpec spec;
        spec.port = std::get<0>(GetParam());
        spec.littleEndian = std::get<1>(GetParam());
        spec.seed = std::get<2>(GetParam());
        builder = std::make_unique<TargetBuilder>(spec);
        BuildDemo(*builder);
        fixture = std::make_unique<GeneratedFixture>(builder->build(), spec.littleEndian);
        ASSERT_EQ(fixture->load(), kernel::LoadOk);
        fixture->loadSecondImage();
        for (int k = 0; k < kernel::kObjectKindCount; ++k)
            ASSERT_EQ(kernel::EnsureClassRecord(kernel::GetClassNumber(static_cast<K>(k))), 1) << k;
    }
    int port() const { return std::get<0>(GetParam()); }
    uint32_t word(uint32_t address) const { return port() == 8 ? address / 2 : address; }
    std::unique_ptr<TargetBuilder> builder;
    std::unique_ptr<GeneratedFixture> fixture;
};

TEST_P(DemoKernel, ClassesCountsNamesAndUse)
{
    kernel::ClassCounts counts;
    kernel::GetTaskCounts(counts);
    EXPECT_EQ(counts, (kernel::ClassCounts{0x14C, 5, 1}));
    kernel::GetAlarmCounts(counts);
    EXPECT_EQ(counts, (kernel::ClassCounts{0, 3, 1}));
    kernel::GetLevelCounts(counts);
    EXPECT_EQ(counts[1], 2u);
    EXPECT_TRUE(kernel::IsThreadClassConfigured());
    EXPECT_EQ(kernel::EnsureThreadClassRecords(), 1);
    EXPECT_EQ(kernel::GetTaskName(2).value_or("?"), "Sleeper");
    EXPECT_EQ(kernel::GetTaskName(6).value_or("?"), "Worker");
    EXPECT_EQ(kernel::GetCounterName(1).value_or("?"), "SysClk");
    EXPECT_EQ(kernel::GetAlarmName(4).value_or("?"), ""); // dynamic, null name pointer
    EXPECT_EQ(kernel::GetExceptionName(1).value_or("?"), ""); // names not kept
    EXPECT_EQ(kernel::IsTaskInUse(6), 1);
    fixture->target().poke8(0, 0); // keep the fake's region map alive for the next poke
    EXPECT_EQ(kernel::GetObjectAddress(kernel::GetClassNumber(K::Queue), 2), builder->objectAddress(K::Queue, 2));
    EXPECT_EQ(kernel::FormatTaskName(0), "<Null Task>");
    EXPECT_EQ(kernel::FormatExceptionName(2), "<Excptn #2>");
    EXPECT_EQ(kernel::FormatAlarmName(4), "<Alarm #4>");
    EXPECT_EQ(kernel::FormatHandleText(kernel::GetClassNumber(K::Queue), 1), "QueueA");
    EXPECT_EQ(kernel::FormatHandleText(kernel::GetClassNumber(K::Queue), 3), "<Invalid Queue handle #3>");
    EXPECT_EQ(kernel::ClassNameText(kernel::GetClassNumber(K::EventSource)), "Evntsrc");
}

TEST_P(DemoKernel, Tasks)
{
    kernel::TaskRecord r;
    kernel::ReadTaskRecord(1, r);
    EXPECT_EQ(r[1], 0u);
    EXPECT_EQ(r[2], 5u);
    EXPECT_EQ(r[7], word(0x00400100) * (port() == 8 ? 2 : 1));
    EXPECT_EQ(r[8] + r[9], r[5]);
    EXPECT_EQ(r[6], ContextSlotValue(1, FramesOf(port()).slotOf(0)));
    EXPECT_EQ(kernel::ReadTaskPriority(5), 12); // inactive with priority 0: the base priority
    EXPECT_EQ(kernel::ReadTaskSliceCount(1), 2u);
    EXPECT_EQ(kernel::ReadTaskSliceLimit(1), 4u);
    // Every task has an argument block in target memory; tasks 1 to 3 a task semaphore.
    for (uint32_t n = 1; n <= 6; ++n)
        EXPECT_EQ(textAt(fixture->generated().memory, kernel::ReadTaskArgAddress(n), 1), std::string(1, char(0xA0 + n)))
            << n;
    EXPECT_EQ((std::array<uint32_t, 4>{kernel::ReadTaskSemaphore(1), kernel::ReadTaskSemaphore(2),
                                       kernel::ReadTaskSemaphore(3), kernel::ReadTaskSemaphore(4)}),
              (std::array<uint32_t, 4>{1, 2, 1, 0}));
    kernel::TaskStackInfo stack;
    kernel::ReadTaskStackInfo(1, stack);
    EXPECT_EQ(stack[0] + stack[3], r[4]); // the pattern ends where the used part (the context) starts
    EXPECT_EQ(stack[2] + stack[3], stack[1]);
    kernel::TaskAlarmInfo alarm;
    EXPECT_EQ(kernel::ReadTaskAlarmInfo(2, alarm), 1);
    EXPECT_EQ(alarm[3], 25u);
    EXPECT_EQ(alarm[5], 1u);
    EXPECT_EQ(kernel::ReadTaskAlarmInfo(1, alarm), 0);
    EXPECT_EQ(kernel::ReadTaskWaitObject(6), 1u);
    uint32_t waits[8];
    ASSERT_EQ(kernel::ReadTaskMultipleWaitList(3, waits, 8), 2u);
    EXPECT_EQ(waits[0], 3u);
    EXPECT_EQ(waits[1], 1u);
    EXPECT_EQ(kernel::ReadTaskMultipleWaitList(3, waits, 1), 1u);
    kernel::ReadyEntry ready[4];
    ASSERT_EQ(kernel::ReadReadyList(ready, 4), 1u);
    EXPECT_EQ(ready[0], (kernel::ReadyEntry{1, 5}));
    EXPECT_EQ(kernel::GetCurrentTask(), 1u);
}

TEST_P(DemoKernel, Registers)
{
    // The generator's own register stacking against the plug-in's decoding of it.
    const PortFrames& frames = FramesOf(port());
    const uint32_t context = kernel::GetTaskContextAddress(builder->objectAddress(K::Task, 1));
    ASSERT_NE(context, 0u);
    for (int reg = 0; reg < frames.registersRead; ++reg) {
        const int slot = frames.slotOf(reg);
        uint32_t size = 99;
        const uint32_t value = kernel::ReadTaskRegister(1, reg, &size);
        if (reg == 1) {
            EXPECT_EQ(value, context);
        } else if (slot >= 0 && slot < frames.contextSlots) {
            // The frame-type word is a register of its own on some ports: 1 marks a full frame.
            EXPECT_EQ(value, slot == frames.frameTypeSlot ? 1u : ContextSlotValue(1, slot)) << reg;
            EXPECT_EQ(size, 4u);
        } else {
            EXPECT_EQ(value, 0u) << reg;
            EXPECT_EQ(size, 0u);
        }
    }
    std::vector<uint32_t> states(1024, 77);
    kernel::GetTaskRegisterStates(1, states.data(), 1024);
    for (int reg = 0; reg < frames.registersWithState; ++reg) {
        const bool forced = port() == 4 && (reg == 4 || reg == 15);
        const bool absent = frames.slotOf(reg) >= frames.contextSlots;
        EXPECT_EQ(states[static_cast<std::size_t>(reg)], forced || absent ? 2u : 0u) << reg;
    }
    kernel::GetTaskRegisterStates(3, states.data(), 1024); // a short frame
    for (int reg = 3; reg < frames.registersWithState; ++reg) {
        const bool forced = port() == 4 && (reg == 4 || reg == 15);
        const bool absent = frames.slotOf(reg) >= frames.contextSlots;
        const bool notSaved = frames.frameTypeSlot >= 0 && frames.savedOnlyInFullFrame(reg);
        EXPECT_EQ(states[static_cast<std::size_t>(reg)],
                  forced || absent ? kernel::RegisterNotPresent : notSaved ? kernel::RegisterNotSaved : kernel::RegisterValid)
            << reg;
    }
    kernel::GetTaskRegisterStates(5, states.data(), 1024); // inactive: no context
    EXPECT_EQ(states[0], 3u);
    EXPECT_EQ(states[static_cast<std::size_t>(builder->contextSlots() - 1)], 3u);
    // Nothing is written beyond the registers the port has states for.
    EXPECT_EQ(states[static_cast<std::size_t>(std::max(builder->contextSlots(), frames.registersWithState))], 77u);
    EXPECT_EQ(kernel::ReadTaskRegister(5, 0, nullptr), 0u);
    EXPECT_NE(kernel::ReadTaskRegister(5, 1, nullptr), 0u); // the saved stack pointer
    const bool chained = port() == 3 || port() == 4 || port() == 6 || port() == 8 || port() == 9 || port() == 10 ||
                         port() == 13;
    EXPECT_EQ(kernel::GetBacktraceDepth(), chained ? 3u : 0u);
    kernel::BacktraceFrame trace[5];
    ASSERT_EQ(kernel::ReadBacktrace(trace, 5), chained ? 3u : 0u);
    if (chained) {
        // {frame, exception, thread, level} as the generator wrote them.
        EXPECT_EQ((std::array<uint32_t, 3>{trace[0][1], trace[0][2], trace[0][3]}), (std::array<uint32_t, 3>{3, 0, 0}));
        EXPECT_EQ((std::array<uint32_t, 3>{trace[1][1], trace[1][2], trace[1][3]}), (std::array<uint32_t, 3>{2, 2, 1}));
        EXPECT_EQ((std::array<uint32_t, 3>{trace[2][1], trace[2][2], trace[2][3]}), (std::array<uint32_t, 3>{1, 0, 0}));
    }
}

TEST_P(DemoKernel, WaitableObjects)
{
    kernel::SemaphoreRecord sem;
    kernel::ReadSemaphoreRecord(1, sem);
    EXPECT_EQ(sem, (kernel::SemaphoreRecord{0x41, 2}));
    kernel::WaiterRecord waiters[4];
    ASSERT_EQ(kernel::ReadSemaphoreWaiters(1, waiters, 4), 1u);
    EXPECT_EQ(waiters[0][0], 3u);
    EXPECT_EQ(kernel::ReadSemaphoreWaiters(1, waiters, 0), 0u);
    EXPECT_EQ(kernel::ReadMutexWaiters(1, waiters, 4), 1u);
    EXPECT_EQ(waiters[0][0], 6u);
    EXPECT_EQ(kernel::ReadMutexOwner(1), 1u);
    kernel::MutexRecord mutex;
    kernel::ReadMutexRecord(1, mutex);
    EXPECT_EQ(mutex, (kernel::MutexRecord{0x14, 1, 1, static_cast<uint32_t>(-3)}));

    kernel::MailboxMessage m;
    ASSERT_EQ(kernel::ReadMailboxMessage(1, 2, m), 1);
    EXPECT_EQ(m, (kernel::MailboxMessage{2, 2, 1, kernel::ReadMailboxMessageAddress(1, 2)}));
    EXPECT_EQ(kernel::ReadMailboxMessage(1, 3, m), 0);
    // Both messages' bodies lie in target memory.
    EXPECT_EQ(textAt(fixture->generated().memory, kernel::ReadMailboxMessageAddress(1, 1), 16), "Normal from Main");
    EXPECT_EQ(textAt(fixture->generated().memory, kernel::ReadMailboxMessageAddress(1, 2), 16), "Urgent: Sleeper!");
    EXPECT_EQ(kernel::GetMailboxNotEmptySemaphore(1), 2u);
    EXPECT_EQ(kernel::GetPartitionNotEmptySemaphore(1), 2u);
    EXPECT_EQ(kernel::GetMutexNotBusySemaphore(1), 2u);

    const uint32_t area = builder->field(K::Partition, 1, 5);
    EXPECT_EQ(kernel::ReadPartitionFreeBlock(1, 1), word(area));
    EXPECT_EQ(kernel::ReadPartitionFreeBlock(1, 3), word(area + 64));
    EXPECT_EQ(kernel::ReadPartitionFreeBlock(1, 4), 0u);
    kernel::PartitionStatistics ps;
    kernel::ResetPartitionStatistics(1);
    kernel::ReadPartitionStatistics(1, ps);
    EXPECT_EQ(ps, (kernel::PartitionStatistics{0, 8}));

    const uint32_t buffer = builder->field(K::Queue, 1, 4);
    EXPECT_EQ(kernel::ReadQueueEntryAddress(1, 1), buffer + 4);
    EXPECT_EQ(kernel::ReadQueueEntryAddress(1, 2), buffer);
    EXPECT_EQ(kernel::ReadQueueEntryAddress(1, 3), 0u);
    EXPECT_EQ(kernel::GetQueueNotEmptySemaphore(1), 3u);
    EXPECT_EQ(kernel::GetQueueNotFullSemaphore(1), 4u);

    kernel::SetSemaphoreTrace(1, 1);
    kernel::SemaphoreRecord traced;
    kernel::ReadSemaphoreRecord(1, traced);
    EXPECT_EQ(traced[0], 0x241u);
    kernel::SetSemaphoreTrace(1, 0);
    kernel::ReadSemaphoreRecord(1, traced);
    EXPECT_EQ(traced[0], 0x41u);
}

TEST_P(DemoKernel, PipesThreadsLevelsTimers)
{
    uint32_t size = 0;
    const uint32_t area = builder->field(K::Pipe, 1, 2) ? builder->structField(builder->objectLayout(K::Pipe), builder->objectAddress(K::Pipe, 1), 6) : 0;
    (void)area;
    // Full ring: index (3 - 2 + k - 1) mod 4, entries 10 + i in the size ring.
    EXPECT_NE(kernel::ReadPipeFullBuffer(1, 1, &size), 0u);
    EXPECT_EQ(size, 11u);
    EXPECT_NE(kernel::ReadPipeFullBuffer(1, 2, &size), 0u);
    EXPECT_EQ(size, 12u);
    EXPECT_EQ(kernel::ReadPipeFullBuffer(1, 3, &size), 0u);
    EXPECT_EQ(size, 0u);
    EXPECT_NE(kernel::ReadPipeFreeBuffer(1, 2), 0u);
    EXPECT_EQ(kernel::ReadPipeFreeBuffer(1, 3), 0u);
    kernel::PipeActions actions;
    kernel::ReadPipeActions(1, actions);
    EXPECT_EQ(actions, (kernel::PipeActions{1, 2, static_cast<uint32_t>(-1), 0}));

    kernel::ThreadRecord thread;
    kernel::ReadThreadRecord(4, thread);
    EXPECT_EQ(thread[1], static_cast<uint32_t>(-1));
    EXPECT_EQ(thread[4], 0x00500000u + 4 * 0x40);
    kernel::ThreadGate gate{};
    kernel::ReadThreadGate(2, gate);
    EXPECT_EQ(gate, (kernel::ThreadGate{6, 2, 4}));
    EXPECT_EQ(kernel::ReadThreadArgAddress(3), 0x20300003u);
    EXPECT_EQ(kernel::ReadThreadEnvArgAddress(3), 0x20200003u);
    kernel::ThreadRunCount runs{};
    kernel::ReadThreadRunCount(1, runs);
    EXPECT_EQ(runs[0], 101u);


    kernel::EventSourceCounter counters[4];
    ASSERT_EQ(kernel::ReadEventSourceCounters(1, counters, 4), 2u);
    EXPECT_EQ(counters[0], (kernel::EventSourceCounter{3, 1000, 0xFFF0, 1}));
    EXPECT_EQ(counters[1][3], 2u);
    kernel::CounterAlarm queued[4];
    ASSERT_EQ(kernel::ReadCounterAlarms(1, queued, 4), 2u);
    EXPECT_EQ(queued[0][0], 25u);
    EXPECT_EQ(queued[1][0], 5u);
    EXPECT_EQ(queued[1][3], 1u);
    kernel::AlarmRecord alarm;
    kernel::ReadAlarmRecord(1, alarm);
    EXPECT_EQ(alarm, (kernel::AlarmRecord{0, 25, 10, 100, 0, 0, static_cast<uint32_t>(builder->classNumber(K::Alarm)), 1, 1, 1}));
    uint32_t tasks[4];
    ASSERT_EQ(kernel::ReadAlarmWaiters(2, tasks, 4), 1u);
    EXPECT_EQ(tasks[0], 4u);
    EXPECT_EQ(kernel::GetAlarmAbortedSemaphore(3), 2u);
    kernel::ExceptionRecord exception;
    kernel::ReadExceptionRecord(2, exception);
    EXPECT_EQ(exception, (kernel::ExceptionRecord{0x8, 2, 0x42, builder->objectAddress(K::Exception, 1)}));
}

TEST_P(DemoKernel, Texts)
{
    kernel::ClassCounts counts;
    kernel::GetTaskCounts(counts);
    auto status = [&](uint32_t task) {
        kernel::TaskRecord r;
        kernel::ReadTaskRecord(task, r);
        return kernel::FormatTaskStatus(task, r, counts);
    };
    EXPECT_EQ(status(1), "(Current) <2/4 slices>");
    EXPECT_EQ(status(2), "Sleep <25 ticks:SysClk>");
    EXPECT_EQ(status(3), "Semaphore QNE1:<QNE>QueueA SemA");
    EXPECT_EQ(status(4), "Suspended");
    EXPECT_EQ(status(5), "Inactive");
    EXPECT_EQ(status(6), "Mutex MutexA");
    kernel::QueueRecord queue;
    kernel::ReadQueueRecord(1, queue);
    uint32_t listed = 0;
    EXPECT_EQ(kernel::QueueWaitersText(1, queue, &listed), "Reader<QNE>");
    EXPECT_EQ(listed, 1u);
    EXPECT_EQ(kernel::QueueSemaphoresText(1), "QNF1<QNF> QNE1<QNE>");
    kernel::MutexRecord mutex;
    kernel::ReadMutexRecord(1, mutex);
    EXPECT_EQ(kernel::MutexWaitersText(1, mutex), "Worker");
    EXPECT_EQ(kernel::MutexOwnerText(mutex), "Main");
    EXPECT_EQ(kernel::AlarmWaitersText(2), "Paused");
    kernel::AlarmRecord alarm;
    kernel::ReadAlarmRecord(1, alarm);
    EXPECT_EQ(kernel::AlarmTicksText(alarm), "25");
    EXPECT_EQ(kernel::FormatFreeBuffersText(2), "<no free buffers>");
    EXPECT_EQ(kernel::FormatFullBuffersText(2), "<no full buffers>");
    const std::string blocks = kernel::PartitionFreeBlocksText(1);
    EXPECT_EQ(std::count(blocks.begin(), blocks.end(), 'x'), 3) << blocks;
    EXPECT_EQ(kernel::ThreadGateActionText(1, 2), "ScheduleThread ThrB");
}

TEST_P(DemoKernel, TraceAndServices)
{
    EXPECT_EQ(kernel::IsTraceAvailable(), 1);
    EXPECT_EQ(kernel::GetTraceMode(), 1u);
    EXPECT_EQ(kernel::ReadServiceTraceFlag(39), 1u);
    EXPECT_EQ(kernel::ReadServiceTraceFlag(40), 0u);
    const uint32_t numbers[] = {40, 41}, flags[] = {1, 1};
    kernel::WriteServiceTraceFlags(2, numbers, flags);
    EXPECT_EQ(kernel::ReadServiceTraceFlag(40), 1u); // the highest number is read back too
    EXPECT_EQ(kernel::ReadServiceTraceFlag(41), 0u);
    EXPECT_EQ(kernel::GetTraceDataSize(), 310u);
    std::vector<uint8_t> data;
    ASSERT_TRUE(kernel::UploadTraceData(data));
    ASSERT_EQ(data.size(), 310u);
    EXPECT_EQ(data[0], 0x00);    // segment 0 (list of field 14) first
    EXPECT_EQ(data[100], 0x40);  // then segment 1 (list of field 13)
    EXPECT_EQ(data[300], 0x80);  // then the active segment 2
    EXPECT_EQ(kernel::GetTraceDataSize(), 0u); // reset after the upload
    EXPECT_EQ(kernel::GetSelectedMemoryImage(), kernel::kTargetSource);

    EXPECT_EQ(kernel::ReadServiceCount(), 10u);
    kernel::ServiceEntry entry;
    kernel::ReadServiceEntry(3, entry);
    EXPECT_EQ(entry.number, 3u);
    EXPECT_EQ(entry.name, "TaskSleep");
    EXPECT_EQ(entry.value4, 14u);
    kernel::ReadServiceEntry(11, entry);
    EXPECT_EQ(entry.name, "");
    EXPECT_EQ(entry.number, 0u);
}

// A trace of more segments than a small kernel's (4,096 and 5,000), every one of them holding data: each
// is uploaded in its list's order, byte for byte, and put back on the free list by the reset. A header
// that gives more than are followed is refused with its reason, and nothing of it is written.
TEST(TraceSegments, EverySegmentTheHeaderGivesOrARefusalThatSaysWhy)
{
    for (const uint32_t segments : {4096u, 5000u}) {
        SCOPED_TRACE(segments);
        KernelSpec spec;
        spec.port = 3;
        TargetBuilder b(spec);
        b.addClass(K::Task, 1, 0, 0);
        // Segment i records 1 to 7 bytes: the first half in the list of field 14, the rest in that of
        // field 13, the last one active.
        TraceSetup setup;
        setup.segments = segments;
        setup.segmentSize = 16;
        setup.list14.clear();
        setup.list13.clear();
        std::vector<uint8_t> expected;
        for (uint32_t i = 0; i < segments; ++i) {
            const uint32_t bytes = 1 + i % 7;
            (i < segments / 2 ? setup.list14 : setup.list13).push_back(bytes);
            for (uint32_t j = 0; j < bytes; ++j)
                expected.push_back(static_cast<uint8_t>((i * 0x40 + j) & 0xFF));
        }
        setup.active = setup.list13.back();
        setup.list13.pop_back();
        const uint32_t block = MakeTrace(b, setup);
        const GeneratedTarget generated = b.build();
        GeneratedFixture f(generated, true);
        ASSERT_EQ(f.load(), kernel::LoadOk);
        EXPECT_EQ(kernel::TraceRefusal(), "");
        EXPECT_EQ(kernel::GetTraceDataSize(), expected.size());
        std::vector<uint8_t> data;
        ASSERT_TRUE(kernel::UploadTraceData(data));
        EXPECT_TRUE(data == expected) << data.size() << " bytes of " << expected.size();
        // After the reset every segment but the active one is on the free list.
        const LayoutTable& control = b.layout(Structure::TraceControl);
        const uint32_t freeList = f.target().peek32(block + static_cast<uint32_t>(control.offsets[12]), true);
        const uint32_t count = f.target().peek32(freeList + static_cast<uint32_t>(b.layout(Structure::TraceList).offsets[1]), true);
        EXPECT_EQ(count, segments - 1);

        f.target().poke32(block + static_cast<uint32_t>(control.offsets[8]), 0x7FFFFFFF, true);
        kernel::DropTargetReadCache();
        f.target().writes.clear();
        EXPECT_EQ(kernel::TraceRefusal(), "The trace holds 2147483647 segments, more than the 65536 that are read");
        EXPECT_FALSE(kernel::UploadTraceData(data));
        kernel::ResetTraceBuffer();
        EXPECT_TRUE(f.target().writes.empty());
    }
}

std::string variantName(const ::testing::TestParamInfo<Variant>& info)
{
    return "Port" + std::to_string(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Little" : "Big") + "Seed" +
           std::to_string(std::get<2>(info.param));
}

// Level 1's table of thread pointers (f5) is a word pointer on port 8: the current thread and the
// scheduled threads are read through the same table.
TEST_P(DemoKernel, LevelScheduleAndScheduledThreads)
{
    kernel::LevelSchedule schedule;
    ASSERT_EQ(kernel::ReadLevelSchedule(1, schedule), 1);
    EXPECT_EQ(schedule, (kernel::LevelSchedule{2, 3}));
    kernel::ScheduledThread scheduled[8];
    ASSERT_EQ(kernel::ReadLevelScheduledThreads(1, scheduled, 8), 2u);
    EXPECT_EQ(scheduled[0], (kernel::ScheduledThread{1, 1, 0x10}));
    EXPECT_EQ(scheduled[1], (kernel::ScheduledThread{2, 2, 0x10}));
    EXPECT_EQ(kernel::ReadLevelScheduledThreads(2, scheduled, 8), 0u); // FIFO levels list nothing
}

// Every seed simtarget-gen documents shuffles a kernel the readers take whole: each class listed to its
// last object, with its names.
TEST(DemoSeeds, EverySeedGivesAWholeKernel)
{
    for (uint32_t seed = 0; seed <= kDocumentedSeeds; ++seed) {
        SCOPED_TRACE(seed);
        KernelSpec spec;
        spec.port = 3;
        spec.seed = seed;
        TargetBuilder builder(spec);
        BuildDemo(builder);
        GeneratedFixture fixture(builder.build(), spec.littleEndian);
        ASSERT_EQ(fixture.load(), kernel::LoadOk);
        for (int k = 0; k < kernel::kObjectKindCount; ++k) {
            const auto kind = static_cast<K>(k);
            const int cls = kernel::GetClassNumber(kind);
            ASSERT_EQ(kernel::EnsureClassRecord(cls), 1) << k;
            kernel::ClassCounts counts;
            kernel::GetClassCounts(cls, counts);
            EXPECT_EQ(counts[1] + counts[2], builder.objectCount(kind)) << k;
            EXPECT_EQ(counts[kernel::kCountsStop], kernel::StopNone) << k;
        }
        EXPECT_EQ(kernel::GetTaskName(6).value_or("?"), "Worker");
    }
}

// The bulk kernel simtarget-gen documents builds on every port and is listed whole.
TEST(BulkKernel, EveryPortGivesAWholeKernel)
{
    for (int port : {3, 4, 5, 6, 7, 8, 9, 10, 13}) {
        SCOPED_TRACE(port);
        KernelSpec spec;
        spec.port = port;
        TargetBuilder builder(spec);
        BuildBulk(builder, 1000, 1000);
        GeneratedFixture fixture(builder.build(), spec.littleEndian);
        ASSERT_EQ(fixture.load(), kernel::LoadOk);
        kernel::ClassCounts counts;
        kernel::EnsureTaskClassRecord();
        kernel::GetTaskCounts(counts);
        EXPECT_EQ(counts[1] + counts[2], 1000u);
        EXPECT_EQ(kernel::GetTaskName(1000).value_or("?"), "Task1000");
    }
}

INSTANTIATE_TEST_SUITE_P(Ports, DemoKernel,
                         ::testing::Combine(::testing::Values(3, 4, 5, 6, 7, 8, 9, 10, 13), ::testing::Bool(),
                                            ::testing::Values(0u, 29u)),
                         variantName);

} // namespace
} // namespace simtarget::test
