// Class readers, registers and the trace buffer over hand-made kernels: worked numbers of the kernel's
// structures, the bounds on walks over stale memory, and what is written to the target.
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/stack_scan.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"
#include "plugin/kernel/trace.h"
#include "plugin/kernel/tests/hand_kernel.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kernel::test {
namespace {

using K = ObjectKind;

uint32_t LastObjectOf(const ClassCounts& counts) { return counts[1] + counts[2]; }
constexpr uint32_t kObjects = 0x10000;

TEST(HandClasses, NumberingNamesAndUse)
{
    HandKernel k;
    // Semaphores: 3 static, 2 dynamic; names 8 long, 9 apart; dynamic records 16 bytes at 0x9000.
    k.addClass(K::Semaphore, kObjects, 0x8, 3, 5, 0x8000, 8, 0x9000);
    k.target.poke(0x8000, {'O', '\t', '\\', 't', 0, 0, 0, 0, 0, 'T', 'w', 'o', 'T', 'w', 'o', 'T', 'w', 'o', 0});
    k.target.map(0x9000, 0x40);
    k.put32(0x9000 + 4, 0);    // dynamic 4: name pointer null
    k.put32(0x9000 + 8, 1);    // in use
    k.put32(0x9010 + 4, 0x8000);
    k.put32(0x9010 + 8, 0);    // dynamic 5: not in use
    ASSERT_EQ(k.load(), LoadOk);
    ASSERT_EQ(EnsureSemaphoreClassRecord(), 1);
    const uint64_t reads = k.target.readCalls;
    EXPECT_EQ(IsSemaphoreInUse(1), 1);
    EXPECT_EQ(IsSemaphoreInUse(3), 1);
    EXPECT_EQ(k.target.readCalls, reads); // static objects are in use without a read
    EXPECT_EQ(IsSemaphoreInUse(4), 1);
    EXPECT_EQ(IsSemaphoreInUse(5), 0);
    EXPECT_EQ(IsSemaphoreInUse(6), 0);
    // A static name is read as the build wrote it, control characters and all, and shown escaped: a
    // backslash too, so a tab and a backslash followed by "t" never read alike.
    EXPECT_EQ(GetSemaphoreName(1).value_or("?"), "O\t\\t");
    EXPECT_EQ(FormatSemaName(1), "O\\t\\\\t");
    EXPECT_EQ(GetSemaphoreName(2).value_or("?"), "TwoTwoTwo"); // 9 characters: length + 1 are read
    EXPECT_EQ(GetSemaphoreName(4).value_or("?"), "");
    EXPECT_FALSE(GetSemaphoreName(5).has_value());
    EXPECT_EQ(FormatSemaName(4), "<Sema #4>");
    EXPECT_EQ(FormatSemaName(0), "<Null Sema>");
    EXPECT_EQ(FormatSemaName(9), "<Invalid Semaphore handle #9>");
    ClassCounts counts;
    GetSemaphoreCounts(counts);
    // Name 2 fills its slot without the terminator the kernel writes: the list stops before it.
    EXPECT_EQ(counts, (ClassCounts{0x8, 1, 0, 4, StopCheck}));
    // Absent classes and class numbers outside the table.
    EXPECT_EQ(EnsureMutexClassRecord(), 0);
    EXPECT_EQ(EnsureClassRecord(-1), 0);
    EXPECT_EQ(EnsureClassRecord(14), 0);
    EXPECT_EQ(LoadClassRecord(200), nullptr);
    GetMutexCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 0, 0}));
    EXPECT_FALSE(GetMutexName(1).has_value());
}

// Every name length the generator's editors configure is read whole: static names fill their slots, a
// dynamic name longer than the name length is cut at name length + 1 characters (not refused), and the
// windows show the first 32 characters. A name length past the editors' range is garbage.
TEST(HandClasses, EveryNameLengthTheEditorsAllowIsRead)
{
    for (const int32_t length : {1, 254, 255, 1024, 1025}) {
        SCOPED_TRACE(length);
        HandKernel k;
        k.addClass(K::Semaphore, kObjects, 0, 2, 4, 0x80000, length, 0x9000);
        const auto slot = static_cast<uint32_t>(length + 1);
        std::string names[2];
        for (uint32_t n = 1; n <= 2; ++n) {
            names[n - 1] = std::string(static_cast<std::size_t>(length), static_cast<char>('a' + n));
            std::vector<uint8_t> bytes(names[n - 1].begin(), names[n - 1].end());
            bytes.push_back(0);
            k.target.poke(0x80000 + (n - 1) * slot, bytes);
        }
        const std::string longer(static_cast<std::size_t>(length) + 5, 'x');
        std::vector<uint8_t> text(longer.begin(), longer.end());
        text.push_back(0);
        k.target.poke(0xA0000, text);
        k.target.map(0x9000, 0x20);
        k.put32(0x9000 + 4, 0xA0000); // dynamic 3: in use, a name longer than the name length
        k.put32(0x9000 + 8, 1);
        k.put32(0x9010 + 4, 0xA0000); // dynamic 4: not in use, its record keeps the last name
        ASSERT_EQ(k.load(), LoadOk);
        ClassCounts counts;
        GetSemaphoreCounts(counts);
        if (length > 1024) {
            EXPECT_EQ(counts, (ClassCounts{0, 0, 0, 4, StopRecord}));
            continue;
        }
        EXPECT_EQ(counts, (ClassCounts{0, 2, 2, 0, StopNone}));
        EXPECT_EQ(GetSemaphoreName(1).value_or("?"), names[0]);
        EXPECT_EQ(GetSemaphoreName(2).value_or("?"), names[1]);
        EXPECT_EQ(GetSemaphoreName(3).value_or("?"), longer.substr(0, slot));
        EXPECT_EQ(FormatSemaName(2), names[1].substr(0, 32));
        EXPECT_EQ(FormatSemaName(3), longer.substr(0, std::min<uint32_t>(slot, 32)));
    }
}

// Live records that do not hold what the kernel writes end the list, whatever else reads: a task whose
// number field is not its number, a link that points outside its class's objects, a wait list that
// starts in memory the target does not have. A free dynamic slot is not in use whatever its records hold:
// all zero (never created: first, middle and last), or a deleted object's number and a name in no memory.
// A dynamic name of any bytes is read, its control characters shown visible, and an in-use one ends at its
// first byte the target does not give.
TEST(HandClasses, RecordsAreCheckedByWhatTheyHold)
{
    HandKernel k;
    k.addClass(K::Task, 0x100000, 0, 4, 4);
    k.addClass(K::Semaphore, 0x200000, 0, 3, 5, 0, 0, 0x9000);
    k.addClass(K::Counter, 0x300000, 0, 3, 3);
    // Threads: 1 static, dynamic 2 to 6 with 2, 4 and 6 free and never written (all zero).
    k.addClass(K::Thread, 0x400000, 0, 1, 6, 0x500000, 15, 0x9100);
    k.target.map(0x100000, 0x100 * 5);
    k.target.map(0x200000, 0x100 * 6);
    k.target.map(0x300000, 0x100 * 4);
    k.target.map(0x400000, 0x100 * 7);
    k.target.poke(0x500000, {'T', 0});
    k.target.poke(0x510000, {'W', 'o', 'r', 'k', '\t', 'e', 'r', 0x7F, 0});
    k.target.map(0x9000, 0x20); // dynamic semaphores 4 and 5, not in use
    k.target.map(0x9100, 0x50);
    for (uint32_t n = 1; n <= 4; ++n)
        k.set(K::Task, n, 5, n == 3 ? 7 : n);                 // task 3 claims another number
    k.set(K::Semaphore, 2, 2, 0x7FF00000);                       // a wait list in no memory
    k.set(K::Counter, 1, 2, k.object(K::Counter, 2));            // counter links: to counter 2, sound,
    k.set(K::Counter, 2, 2, k.object(K::Counter, 2) + 4);        // into the middle of a record: garbage
    k.put32(0x9010 + 4, 0x7FF00000);                             // free record 5 names no memory
    k.set(K::Semaphore, 5, 2, 0x7FF00000);                       // and its object a wait list in none
    k.set(K::Thread, 1, 7, 1);
    for (uint32_t n : {3u, 5u}) {
        k.set(K::Thread, n, 7, n);
        k.put32(0x9100 + (n - 2) * 16 + 4, n == 3 ? 0x510000 : 0x7FF00000); // 5: a name the target refuses
        k.put32(0x9100 + (n - 2) * 16 + 8, 1);
    }
    ASSERT_EQ(k.load(), LoadOk);
    ClassCounts counts;
    GetTaskCounts(counts);
    EXPECT_EQ(LastObjectOf(counts), 2u);
    GetSemaphoreCounts(counts);
    EXPECT_EQ(LastObjectOf(counts), 1u);
    k.set(K::Semaphore, 2, 2, 0);
    DropTargetReadCache();
    GetSemaphoreCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 3, 2, 0, StopNone}));
    EXPECT_EQ(IsSemaphoreInUse(5), 0);
    GetCounterCounts(counts);
    EXPECT_EQ(LastObjectOf(counts), 1u);
    EXPECT_EQ(counts[kCountsStop], StopCheck);
    GetThreadCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 1, 5, 0, StopNone}));
    for (uint32_t n = 2; n <= 6; ++n)
        EXPECT_EQ(IsThreadInUse(n), n % 2) << n;
    EXPECT_EQ(FormatThreadName(3), "Work\\ter\\x7F");
    EXPECT_EQ(FormatThreadName(5), "<Thread #5>"); // in use: its name ends at the first byte not given
    EXPECT_EQ(FormatHandleText(ClassOf(K::Thread), 6), "<Thread #6>");
}

// A healthy class of any size is listed whole; a class that claims more objects than its memory holds or a
// kernel can be configured with, or whose records are narrower than their fields, lists none, and says
// which. What is left out is counted, and numbers the target holds stay valid handles.
TEST(HandClasses, CountsAreBoundedByTheMemoryTheyClaim)
{
    HandKernel k;
    k.addClass(K::Semaphore, kObjects, 0, 5000, 5000, 0, 0, 0, 0x20);
    k.addClass(K::Task, 0x100000, 0, 0x7FFFFFF0, 0x7FFFFFFF);   // garbage
    k.target.map(0x100000, 0x100 * 301);                         // the target holds tasks 0 to 300
    for (uint32_t n = 1; n <= 300; ++n)
        k.set(K::Task, n, 5, n);                                 // each numbered, as the kernel writes them
    k.addClass(K::Mailbox, 0x200000, 0, 100000, 100000, 0, 0, 0, 0x24); // healthy and large
    k.addClass(K::Queue, 0x600000, 0, 1000, 1000, 0, 0, 0, 16);     // records narrower than a queue's fields
    ASSERT_EQ(k.load(), LoadOk);
    ClassCounts counts;
    GetSemaphoreCounts(counts); // loads the record on first use
    EXPECT_EQ(counts, (ClassCounts{0, 5000, 0}));
    EXPECT_EQ(counts[kCountsNotRead], 0u);
    EXPECT_EQ(FormatSemaName(5000), "<Sema #5000>");
    EXPECT_EQ(FormatSemaName(5001), "<Invalid Semaphore handle #5001>");

    GetTaskCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 0, 0, 0x7FFFFFFFu, StopClaim}));
    EXPECT_EQ(FormatTaskName(1).find("<Invalid"), 0u) << FormatTaskName(1);

    GetMailboxCounts(counts);
    EXPECT_EQ(counts[1], 100000u);
    EXPECT_EQ(counts[kCountsNotRead], 0u);
    // Every handle the target holds is valid, by every road that names it.
    const int mailboxes = ClassOf(K::Mailbox);
    for (uint32_t n : {1u, 70000u, 100000u}) {
        EXPECT_EQ(FormatHandleText(mailboxes, n), FormatMboxName(n)) << n;
        EXPECT_EQ(FormatMboxName(n).find("<Invalid"), std::string::npos) << n;
    }
    EXPECT_EQ(FormatHandleText(mailboxes, 100001), "<Invalid Mailbox handle #100001>");
    EXPECT_EQ(FormatHandleText(mailboxes, 0), "<Invalid Mailbox handle #0>");

    GetQueueCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 0, 0, 1000, StopRecord}));

    // One more object than the model's signed Maximum can hold, in memory that holds them all.
    HandKernel over;
    over.addClass(K::Semaphore, 0x100000, 0, 0x80000000u, 0x80000000u, 0, 0, 0, 0x10);
    over.target.map(0x100000, 0x1000);
    over.target.setFailUnmapped(false);
    ASSERT_EQ(over.load(), LoadOk);
    GetSemaphoreCounts(counts);
    EXPECT_EQ(counts, (ClassCounts{0, 0, 0, 0x80000000u, StopClaim}));
}

// A kernel workspace read that the target refuses keeps the values read before (the SYSPROP address, the
// kernel stack's end) and says it could not read; a later read replaces them again.
TEST(HandReaders, ARefusedKernelInfoReadKeepsTheValuesHeld)
{
    class RefusingPort : public TargetPort {
    public:
        bool read(uint32_t, uint32_t count, uint8_t* buffer) override { return std::fill_n(buffer, count, 0), false; }
        bool write(uint32_t, uint32_t, const uint8_t*) override { return false; }
        std::optional<uint32_t> symbolAddress(const std::string&) override { return std::nullopt; }
    };
    HandKernel k;
    ASSERT_EQ(k.load(), LoadOk);
    KernelInfo first{};
    ASSERT_TRUE(ReadKernelInfo(first));
    ASSERT_NE(first[22], 0u);
    RefusingPort refusing;
    TargetPort* previous = SetTargetPort(&refusing);
    KernelInfo refused{};
    EXPECT_FALSE(ReadKernelInfo(refused));
    EXPECT_EQ(refused, first);
    EXPECT_EQ(KernelWorkspaceValues(), first);
    SetTargetPort(previous);
    KernelInfo again{};
    EXPECT_TRUE(ReadKernelInfo(again));
    EXPECT_EQ(again, first);
}

TEST(HandReaders, WorkedNumbers)
{
    HandKernel k(7, true);
    k.addClass(K::Semaphore, kObjects, 0, 2, 2);
    k.addClass(K::Queue, 0x20000, 0, 1, 1);
    k.addClass(K::Counter, 0x30000, 0, 1, 1);
    k.addClass(K::Alarm, 0x40000, 0, 1, 1);
    k.set(K::Semaphore, 1, 1, 0x0041);
    k.set(K::Queue, 1, 4, 0x50000);
    k.set(K::Queue, 1, 5, 8);
    k.set(K::Queue, 1, 6, 4);
    k.set(K::Queue, 1, 7, 1);
    k.set(K::Queue, 1, 8, 3);
    k.set(K::Counter, 1, 8, 0xFFF0);
    k.set(K::Alarm, 1, 6, 0x0010);
    k.set(K::Alarm, 1, 12, k.object(K::Counter, 1));
    k.set(K::Alarm, 1, 13, 1);
    ASSERT_EQ(k.load(), LoadOk);
    for (K kind : {K::Semaphore, K::Queue, K::Counter, K::Alarm})
        ASSERT_EQ(EnsureClassRecord(GetClassNumber(kind)), 1);

    SetSemaphoreTrace(1, 1);
    ASSERT_FALSE(k.target.writes.empty());
    EXPECT_EQ(k.target.writes.back().address, k.object(K::Semaphore, 1) + 4);
    EXPECT_EQ(k.target.writes.back().bytes, (std::vector<uint8_t>{0x41, 0x02, 0, 0}));
    SetSemaphoreTrace(1, 0);
    EXPECT_EQ(k.target.writes.back().bytes, (std::vector<uint8_t>{0x41, 0x00, 0, 0}));

    EXPECT_EQ(ReadQueueEntryAddress(1, 2), 0x50000u + 3 * 8); // index 1 - 2 + depth 4
    EXPECT_EQ(ReadQueueEntryAddress(1, 1), 0x50000u);
    EXPECT_EQ(ReadQueueEntryAddress(1, 4), 0u);

    AlarmRecord alarm;
    ReadAlarmRecord(1, alarm);
    EXPECT_EQ(alarm[1], 0x20u); // 0x0010 + 0x10000 - 0xFFF0
    EXPECT_EQ(AlarmTicksText(alarm), "32");
}

TEST(HandReaders, WaitListsStopAtMaximumAndCycles)
{
    HandKernel k;
    k.addClass(K::Task, kObjects, 0, 2, 2);
    k.addClass(K::Semaphore, 0x20000, 0, 1, 1);
    k.set(K::Task, 1, 5, 1);
    k.target.map(0x60000, 0x100);
    // Two wait nodes at 0x60000 and 0x60020 that point at each other.
    k.set(K::Semaphore, 1, 2, 0x60000);
    k.put32(0x60000 + 4, 0x60020);
    k.put32(0x60000 + 24, k.object(K::Task, 1));
    k.put32(0x60020 + 4, 0x60000);
    k.put32(0x60020 + 24, k.object(K::Task, 1));
    ASSERT_EQ(k.load(), LoadOk);
    ASSERT_EQ(EnsureTaskClassRecord(), 1);
    ASSERT_EQ(EnsureSemaphoreClassRecord(), 1);
    WaiterRecord waiters[8];
    EXPECT_EQ(ReadSemaphoreWaiters(1, waiters, 0), 0u);
    EXPECT_EQ(ReadSemaphoreWaiters(1, waiters, 1), 1u);
    EXPECT_EQ(ReadSemaphoreWaiters(1, waiters, 8), 2u); // the cycle is noticed
    EXPECT_EQ(waiters[1][0], 1u);
    EXPECT_EQ(SemaphoreWaitersText(1, "<X>"), "<Task #1><X> <Task #1><X>");
}

TEST(HandRegisters, ContextsStatesAndPort7Map)
{
    HandKernel k(7);
    k.addClass(K::Task, kObjects, 0, 2, 2);
    k.target.map(0x70000, 0x400);
    for (uint32_t slot = 0; slot < 18; ++slot)
        k.put32(0x70100 + 4 * slot, 0xAA00 + slot);
    k.set(K::Task, 1, 6, 0);         // ready: the context is at the saved stack pointer
    k.set(K::Task, 1, 7, 0x70100);
    k.set(K::Task, 1, 10, 0x70000);
    k.set(K::Task, 2, 6, 0x800);     // inactive: no context
    k.set(K::Task, 2, 7, 0x70300);
    ASSERT_EQ(k.load(), LoadOk);
    ASSERT_EQ(EnsureTaskClassRecord(), 1);
    uint32_t size = 0;
    EXPECT_EQ(ReadFrameRegister(0x2000, 0, 1, &size), 0x2000u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(ReadTaskRegister(1, 0, &size), 0xAA00u + 17); // port 7: the program counter is slot 17
    EXPECT_EQ(ReadTaskRegister(1, 17, &size), 0xAA00u);     // and register 17 is slot 0
    EXPECT_EQ(ReadTaskRegister(1, 2, &size), 0xAA02u);
    EXPECT_EQ(ReadTaskRegister(1, 19, &size), 0u);
    EXPECT_EQ(TaskRegisterText(1, 8, 0, 0, false, 0), "0x0000AA10"); // bit 0 of the program counter cleared
    EXPECT_EQ(ReadTaskRegister(2, 3, nullptr), 0u);
    EXPECT_EQ(ReadTaskRegister(2, 1, nullptr), 0x70300u);
    uint32_t states[64];
    std::fill(std::begin(states), std::end(states), 9u);
    GetTaskRegisterStates(2, states, 64);
    EXPECT_EQ(states[0], 3u);
    EXPECT_EQ(states[17], 3u);
    EXPECT_EQ(states[18], 9u);
    GetTaskRegisterStates(1, states, 64);
    EXPECT_EQ(std::count(states, states + 18, 0u), 18);
}

TEST(HandRegisters, Port4ForcedStatesAndPort3Backtrace)
{
    {
        HandKernel k(4);
        k.addClass(K::Task, kObjects, 0, 1, 1);
        k.target.map(0x70000, 0x400);
        k.put32(0x70000 + 4 * 44, 1); // frame type: a full frame
        k.set(K::Task, 1, 7, 0x70000);
        ASSERT_EQ(k.load(), LoadOk);
        ASSERT_EQ(EnsureTaskClassRecord(), 1);
        uint32_t states[64] = {};
        GetTaskRegisterStates(1, states, 64);
        EXPECT_EQ(states[4], 2u);
        EXPECT_EQ(states[15], 2u);
        EXPECT_EQ(states[5], 0u);
        k.put32(0x70000 + 4 * 44, 0); // a short frame: flagged rows are not saved
        GetTaskRegisterStates(1, states, 64);
        EXPECT_EQ(states[5], 1u);
        EXPECT_EQ(states[16], 0u);
    }
    HandKernel k(3);
    k.addClass(K::Task, kObjects, 0, 1, 1);
    k.target.map(0x80000, 20 * 0x200);
    // 20 exception frames; register 69 (slot 72) links to the older frame.
    for (uint32_t i = 0; i < 20; ++i) {
        const uint32_t frame = 0x80000 + i * 0x200;
        k.put32(frame + 4 * 72, i + 1 < 20 ? frame + 0x200 : 0);
        k.put32(frame + 4 * 71, 0xF000 + i); // register 68
    }
    k.kws(26, 0x80000);
    k.set(K::Task, 1, 7, 0x80000);
    ASSERT_EQ(k.load(), LoadOk);
    ASSERT_EQ(EnsureTaskClassRecord(), 1);
    EXPECT_EQ(GetBacktraceDepth(), 16u);
    BacktraceFrame frames[20];
    ASSERT_EQ(ReadBacktrace(frames, 20), 20u);
    EXPECT_EQ(frames[19], (BacktraceFrame{0x80000 + 19 * 0x200, 0xF000 + 19, 0, 0}));
    for (int reg : {89, 90, 91})
        EXPECT_EQ(ReadTaskRegister(1, reg, nullptr), 0u) << reg;
    k.put32(0x80000 + 19 * 0x200 + 4 * 72, 0x80000); // now a cycle
    EXPECT_EQ(ReadBacktrace(frames, 20), 20u);
    bool cut = false;
    EXPECT_EQ(GetBacktraceDepth(&cut), 16u);
    EXPECT_TRUE(cut);
    k.put32(0x80000 + 2 * 0x200 + 4 * 72, 0x80000); // a cycle at its third frame
    EXPECT_EQ(GetBacktraceDepth(&cut), 3u);
    EXPECT_TRUE(cut) << "the window says the chain repeats";
    k.put32(0x80000 + 2 * 0x200 + 4 * 72, 0); // three frames, ended
    EXPECT_EQ(GetBacktraceDepth(&cut), 3u);
    EXPECT_FALSE(cut);
}

TEST(HandReaders, MultipleWaitsOnDownAndUpPorts)
{
    // Wait nodes are 28 bytes; node field 4 (offset 16) holds the object waited on.
    for (int port : {3, 7}) {
        SCOPED_TRACE(port);
        HandKernel k(port);
        k.addClass(K::Task, kObjects, 0, 2, 2);
        k.target.map(0x70000, 0x400);
        const uint32_t p = 0x70200;
        uint32_t out[8];
        if (port == 3) {
            // Below p down to the context: one node exactly at the limit, then three ending at it.
            k.set(K::Task, 1, 7, p);
            k.put32(p, p - 28);
            k.put32(p - 28 + 16, 5);
            k.set(K::Task, 2, 7, p + 0x100);
            k.put32(p + 0x100, p + 0x100 - 3 * 28);
            for (uint32_t i = 1; i <= 3; ++i)
                k.put32(p + 0x100 - i * 28 + 16, 10 + i);
        } else {
            // Above p up to the context, strictly below it.
            k.set(K::Task, 1, 7, p);
            k.put32(p, p + 4 + 28);
            k.put32(p + 4 + 16, 5);
            k.set(K::Task, 2, 7, p + 0x100);
            k.put32(p + 0x100, p + 0x100 + 4 + 3 * 28);
            for (uint32_t i = 0; i < 3; ++i)
                k.put32(p + 0x100 + 4 + i * 28 + 16, 11 + i);
        }
        ASSERT_EQ(k.load(), LoadOk);
        ASSERT_EQ(ReadTaskMultipleWaitList(1, out, 8), 1u);
        EXPECT_EQ(out[0], 5u);
        EXPECT_EQ(ReadTaskWaitObject(1), 5u);
        ASSERT_EQ(ReadTaskMultipleWaitList(2, out, 8), 3u);
        EXPECT_EQ(out[0], 11u);
        EXPECT_EQ(out[2], 13u);
        EXPECT_EQ(ReadTaskMultipleWaitList(2, out, 2), 2u);
    }
}

TEST(HandInfo, KernelStackSpare)
{
    HandKernel k(7);
    k.addClass(K::Task, kObjects, 0, 1, 1);
    k.target.map(0x7000, 0x200, 0x33);
    for (uint32_t i = 0; i < 40; ++i)
        k.put32(0x7000 + 4 * i, 0x5A5A5A5A);
    k.kws(1, 0x7200);
    k.put32(0x3000 + 24, 512);
    ASSERT_EQ(k.load(), LoadOk);
    EXPECT_EQ(GetKernelStackSpare().bytes, 160u);
}

TEST(HandLevels, ManyLevelsSelectNoBitBeyond32)
{
    HandKernel k(7);
    k.addClass(K::Thread, kObjects, 0, 1, 1);
    k.addClass(K::Level, 0x20000, 0, 1, 1);
    k.target.map(0x60000, 0x100);
    k.set(K::Level, 1, 1, 0);
    k.set(K::Level, 1, 2, 0xFFFFFFFF);
    k.set(K::Level, 1, 5, 0x60000);
    k.put32(0x60000 + 4 * 1, k.object(K::Thread, 1));
    k.set(K::Thread, 1, 7, 1);
    ASSERT_EQ(k.load(0x5A5A, 40), LoadOk);
    ASSERT_EQ(EnsureThreadClassRecords(), 1);
    ScheduledThread out[64];
    const uint32_t n = ReadLevelScheduledThreads(1, out, 64);
    EXPECT_LE(n, 31u);
    EXPECT_EQ(out[0][0], 1u);
}

// Port 8 keeps the level's thread table (field 5) as a word address: the level's current thread and its
// scheduled threads are both read from the doubled address, so they agree.
TEST(HandLevels, Port8ThreadTableIsAWordAddress)
{
    for (const bool little : {false, true}) {
        SCOPED_TRACE(little ? "little-endian" : "big-endian");
        HandKernel k(8, little);
        k.addClass(K::Thread, kObjects, 0, 2, 2);
        k.addClass(K::Level, 0x20000, 0, 1, 1);
        k.target.map(0x60000, 0x100);
        k.set(K::Level, 1, 1, 0);          // mode 0: every level
        k.set(K::Level, 1, 2, 0x20);       // level 2 (of 8) in use
        k.set(K::Level, 1, 5, 0x30000);    // the table at byte address 0x60000
        k.set(K::Level, 1, 10, 2);         // the current level
        k.put32(0x60000 + 4 * 2, k.object(K::Thread, 2));
        k.set(K::Thread, 2, 7, 2);
        ASSERT_EQ(k.load(), LoadOk);
        ASSERT_EQ(EnsureThreadClassRecords(), 1);
        LevelSchedule schedule;
        ASSERT_EQ(ReadLevelSchedule(1, schedule), 1);
        EXPECT_EQ(schedule, (LevelSchedule{2, 2}));
        ScheduledThread out[8];
        ASSERT_EQ(ReadLevelScheduledThreads(1, out, 8), 1u);
        EXPECT_EQ(out[0][0], 2u);
    }
}

TEST(HandTrace, ResetUploadAndServices)
{
    HandKernel k(7, true);
    k.addClass(K::Task, kObjects, 0, 1, 1);
    // Control block at 0x90000: 4 segments of 256 bytes; segment structs, tables, lists and data.
    const uint32_t cb = 0x90000, segs = 0x90100, table = 0x90200, data = 0x90300, lists = 0x90280;
    k.target.map(cb, 0x1000);
    k.target.map(0xA0000, 0x1000, 0x5C);
    k.kws(27, cb);
    for (uint32_t i = 0; i < 4; ++i) {
        k.put32(table + 4 * i, segs + 0x20 * i);
        k.put32(table + 0x40 + 4 * i, 0xA0000 + 0x100 * i);
    }
    k.put32(cb + 4 * 8, 4);
    k.put32(cb + 4 * 9, 256);
    k.put32(cb + 4 * 10, table);
    k.put32(cb + 4 * 11, table + 0x40);
    k.put32(cb + 4 * 12, lists);
    k.put32(cb + 4 * 13, lists + 0x10);
    k.put32(cb + 4 * 14, lists + 0x20);
    k.put32(cb + 4 * 7, 9);
    (void)data;
    ASSERT_EQ(k.load(), LoadOk);
    ResetTraceBuffer();
    EXPECT_EQ(k.target.peek32(lists + 4, true), 3u);          // three segments on the free list
    EXPECT_EQ(k.target.peek32(cb + 4 * 5, true), segs);       // the first is active
    EXPECT_EQ(k.target.peek32(segs + 8, true), 256u);         // with 256 bytes free
    EXPECT_EQ(k.target.peek32(cb + 4 * 7, true), 3u);
    std::vector<uint32_t> field7;
    for (const auto& w : k.target.writes)
        if (w.address == cb + 4 * 7)
            field7.push_back(AssembleValue(w.bytes.data(), 4, true));
    EXPECT_EQ(field7, (std::vector<uint32_t>{4, 3}));
    EXPECT_EQ(GetTraceDataSize(), 0u);

    // 10 bytes in the active segment; an upload gives them and resets.
    k.put32(segs + 8, 246);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(UploadTraceData(bytes));
    EXPECT_EQ(bytes, std::vector<uint8_t>(10, 0x5C));
    // A segment whose data cannot be read: the upload fails and the target keeps its trace.
    k.put32(segs + 8, 200);
    k.put32(segs + 16, 0xB0000);
    const std::size_t writes = k.target.writes.size();
    EXPECT_FALSE(UploadTraceData(bytes));
    EXPECT_EQ(k.target.writes.size(), writes);
    EXPECT_EQ(GetTraceDataSize(), 56u);
    EXPECT_EQ(GetTraceMode(), 0u);

    // The services table of the second image: a 40-character name is cut to 31.
    std::vector<uint8_t> image(0x400, 0);
    auto p32 = [&](uint32_t at, uint32_t v) { StoreValue(image.data() + at, 4, v, true); };
    p32(0x20, 0x100);   // field 4 -> the count
    p32(0x100, 2);
    p32(0x24, 0x200);   // field 5 -> the entries
    p32(0x28, 20);      // field 6: entry size
    p32(0x200 + 4, 7);
    p32(0x200 + 8, 0x300);
    const std::string longName(40, 'N');
    std::copy(longName.begin(), longName.end(), image.begin() + 0x300);
    ScratchDir dir;
    ASSERT_EQ(LoadSecondImage(dir.write("i2.a79", WriteSRecords({{0, image}})), 0), 0);
    EXPECT_EQ(ReadServiceCount(), 2u);
    ServiceEntry entry;
    ReadServiceEntry(1, entry);
    EXPECT_EQ(entry.number, 7u);
    EXPECT_EQ(entry.name, std::string(31, 'N'));
    ReadServiceEntry(0, entry);
    EXPECT_EQ(entry.name, "");
    ReadServiceEntry(3, entry);
    EXPECT_EQ(entry.number, 0u);
}

TEST(HandTrace, NothingWithoutAWorkspace)
{
    FreeKernelWorkspace();
    EXPECT_EQ(IsTraceAvailable(), 0);
    EXPECT_EQ(GetTraceMode(), kTraceModeNone);
    EXPECT_EQ(GetTraceDataSize(), 0u);
    std::vector<uint8_t> bytes{1};
    EXPECT_FALSE(UploadTraceData(bytes));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(ReadServiceTraceFlag(1), 0u);
}

TEST(HandTexts, PipeBufferListsStopAfterSixteen)
{
    HandKernel k(7, true);
    k.addClass(K::Pipe, kObjects, 0, 2, 2);
    k.target.map(0x60000, 0x400);
    for (uint32_t n : {1u, 2u}) {
        k.set(K::Pipe, n, 2, 20);
        k.set(K::Pipe, n, 4, n == 1 ? 16 : 17);
        k.set(K::Pipe, n, 5, n == 1 ? 16 : 17);
        k.set(K::Pipe, n, 6, 0x60000);
        k.set(K::Pipe, n, 7, 0x60100);
    }
    for (uint32_t i = 0; i < 20; ++i) {
        k.put32(0x60000 + 4 * i, 0x1000 * (i + 1));
        k.put32(0x60100 + 4 * i, i);
    }
    ASSERT_EQ(k.load(), LoadOk);
    ASSERT_EQ(EnsurePipeClassRecord(), 1);
    const std::string sixteen = FormatFullBuffersText(1);
    const std::string seventeen = FormatFullBuffersText(2);
    EXPECT_EQ(std::count(sixteen.begin(), sixteen.end(), '/'), 16);
    EXPECT_EQ(sixteen.substr(0, 13), "0x00001000/0 ");
    EXPECT_EQ(sixteen.substr(sixteen.size() - 3), "...");
    EXPECT_EQ(std::count(seventeen.begin(), seventeen.end(), '/'), 16);
    EXPECT_EQ(seventeen.substr(seventeen.size() - 3), "...");
}

// Stale memory: a name length of 0x7FFFFFFF, rings of mailbox envelopes and of free blocks. Every value
// is used in arithmetic wide enough for it, and every element of a ring is shown once.
TEST(HandHostile, HugeNameLengthAndRings)
{
    HandKernel k(7, true);
    k.wideNameLength = true;
    k.addClass(K::Semaphore, kObjects, 0, 3, 3, 0x8000, 0x7FFFFFFF);
    k.addClass(K::Mailbox, 0x20000, 0x8, 1, 1);
    k.addClass(K::Partition, 0x30000, 0x8, 1, 1);
    k.target.poke(0x8000, {'S', 'e', 'm', 0});
    // Mailbox 1 claims 3 messages, held in two envelopes that point at each other.
    k.target.map(0x60000, 0x100);
    k.set(K::Mailbox, 1, 4, 0x60000);
    k.set(K::Mailbox, 1, 6, 3);
    k.put32(0x60000 + 4, 0x60040);
    k.put32(0x60000 + 12, 1);
    k.put32(0x60000 + 32, 0xA000);
    k.put32(0x60040 + 4, 0x60000);
    k.put32(0x60040 + 12, 2);
    k.put32(0x60040 + 32, 0xB000);
    // Partition 1 claims 16 free blocks, two blocks that point at each other.
    k.target.map(0x70000, 0x100);
    k.set(K::Partition, 1, 4, 0x70000);
    k.set(K::Partition, 1, 6, 16);
    k.put32(0x70000, 0x70080);
    k.put32(0x70080, 0x70000);
    ASSERT_EQ(k.load(), LoadOk);

    EXPECT_EQ(GetSemaphoreName(1).value_or("?"), "Sem");
    EXPECT_EQ(GetSemaphoreName(2).value_or("?"), ""); // 2 GiB beyond the pool: nothing readable
    // A static object whose name cannot be read fails its record's checks: not a handle the target holds.
    EXPECT_EQ(FormatSemaName(2), "<Invalid Semaphore handle #2>");

    MailboxMessage m{};
    ASSERT_EQ(ReadMailboxMessage(1, 1, m), 1);
    EXPECT_EQ(m[3], 0xA000u);
    ASSERT_EQ(ReadMailboxMessage(1, 2, m), 1);
    EXPECT_EQ(m[3], 0xB000u);
    EXPECT_EQ(ReadMailboxMessage(1, 3, m), 0);
    EXPECT_EQ(ReadMailboxMessageAddress(1, 3), 0u);
    std::vector<uint32_t> listed;
    EXPECT_EQ(ForEachMailboxMessage(1, [&](uint32_t, const MailboxMessage& message, uint32_t) {
                  listed.push_back(message[3]);
                  return true;
              }),
              2u);
    EXPECT_EQ(listed, (std::vector<uint32_t>{0xA000, 0xB000}));

    EXPECT_EQ(ReadPartitionFreeBlock(1, 1), 0x70000u);
    EXPECT_EQ(ReadPartitionFreeBlock(1, 2), 0x70080u);
    EXPECT_EQ(ReadPartitionFreeBlock(1, 3), 0u);
    uint32_t blocks[16];
    EXPECT_EQ(ReadPartitionFreeBlocks(1, blocks, 16), 2u);
    EXPECT_EQ(PartitionFreeBlocksText(1), "0x00070000 0x00070080");
}

// A refresh of the task list gathers the owners of event semaphores once, whatever the number of rows,
// and a stack check reads the stack in a few growing blocks.
TEST(HandCost, OwnersOncePerRefreshAndStackAsOneBlock)
{
    HandKernel k(7);
    k.addClass(K::Task, kObjects, 0x8, 2, 2);
    k.addClass(K::Semaphore, 0x20000, 0, 1, 1);
    k.addClass(K::Mailbox, 0x30000, 0x4, 3, 3);
    for (uint32_t m = 1; m <= 3; ++m)
        k.set(K::Mailbox, m, 7, 1); // every mailbox's not-empty semaphore is semaphore 1
    k.target.map(0x50000, 0x200);
    k.target.map(0x60000, 0x200, 0x5A);
    k.target.poke(0x60000 + 448, std::vector<uint8_t>(64, 0x11));
    for (uint32_t t = 1; t <= 2; ++t) {
        // Blocked on semaphore 1: the saved stack pointer p holds the context address e; one wait node
        // lies between them.
        const uint32_t p = 0x50000 + 0x100 * (t - 1);
        k.set(K::Task, t, 5, t);
        k.set(K::Task, t, 6, 0x20);
        k.set(K::Task, t, 7, p);
        k.set(K::Task, t, 10, 0x60000);
        k.set(K::Task, t, 11, 512);
        k.put32(p, p + 4 + 28);
        k.put32(p + 4 + 16, 1);
    }
    ASSERT_EQ(k.load(), LoadOk);
    ClassCounts counts;
    GetTaskCounts(counts);
    GetMailboxCounts(counts);
    GetSemaphoreCounts(counts);
    GetTaskCounts(counts);

    TaskStatusContext refresh;
    TaskRecord record;
    uint64_t reads[2];
    for (uint32_t t = 1; t <= 2; ++t) {
        ReadTaskRecord(t, record);
        const uint64_t before = k.target.readCalls;
        EXPECT_EQ(FormatTaskStatus(t, record, counts, refresh),
                  "Semaphore <Sema #1>:<MNE><Mbox #1>:<MNE><Mbox #2>:<MNE><Mbox #3>");
        reads[t - 1] = k.target.readCalls - before;
    }
    // The three mailboxes were read for the first row only, and every byte once.
    EXPECT_LT(reads[1], reads[0]);

    TaskStackInfo stack;
    const uint64_t before = k.target.bytesRead;
    ReadTaskStackInfo(1, stack);
    EXPECT_EQ(stack, (TaskStackInfo{0x60000, 512, 64, 448, 0}));
    // Base and size (read for the status already), the 224 spare units and the first used one, no more.
    EXPECT_LE(k.target.bytesRead - before, 448u + 4u);
}

// The stack check reads from the unused end and stops at the first used unit: what it reads grows with
// the spare part, not with the stack's size (the debugger may read byte by byte).
TEST(HandCost, StackCheckReadsTheSparePartOnly)
{
    HandKernel k(7);
    k.addClass(K::Task, kObjects, 0x8, 2, 2);
    const uint32_t sizes[2] = {8192, 256u << 10};
    const uint32_t bases[2] = {0x100000, 0x200000};
    for (uint32_t t = 1; t <= 2; ++t) {
        const uint32_t base = bases[t - 1], size = sizes[t - 1];
        k.target.map(base, size, 0x11);
        k.target.poke(base, std::vector<uint8_t>(64, 0x5A)); // 64 spare bytes at the low end
        k.set(K::Task, t, 6, 0x1);
        k.set(K::Task, t, 10, base);
        k.set(K::Task, t, 11, size);
    }
    ASSERT_EQ(k.load(), LoadOk);
    ClassCounts counts;
    GetTaskCounts(counts);
    uint64_t bytes[2];
    for (uint32_t t = 1; t <= 2; ++t) {
        TaskStackInfo stack;
        const uint64_t before = k.target.bytesRead;
        ReadTaskStackInfo(t, stack);
        bytes[t - 1] = k.target.bytesRead - before;
        EXPECT_EQ(stack[3], 64u) << "task " << t;
        EXPECT_EQ(stack[2], sizes[t - 1] - 64) << "task " << t;
    }
    EXPECT_EQ(bytes[0], bytes[1]);
    EXPECT_LE(bytes[0], 64u + 4u + 8u); // the spare units, the first used one, base and size
}

// A stack is scanned to its size (2, 6 and 8 MB, more than the read cache keeps), each byte once between
// two runs and the cache's other bytes kept; one larger than a kernel can be configured with is not
// scanned and shown as a bound, even where memory reads everywhere; a read refused inside the stack ends
// the scan as unknown, never as a used unit.
TEST(HandCost, AStackScanEndsAtTheStackItsBoundOrARefusedRead)
{
    HandKernel k(7);
    k.addClass(K::Task, kObjects, 0x8, 5, 5);
    const uint32_t bases[5] = {0x1000000, 0x2000000, 0x3000000, 0x40000000, 0x50000000};
    // Tasks 4 and 5: larger than a kernel can configure; in no memory.
    const uint32_t sizes[5] = {2u << 20, 6u << 20, 8u << 20, 0x80000000, 0x1000};
    for (uint32_t t = 1; t <= 5; ++t) {
        k.set(K::Task, t, 5, t);
        k.set(K::Task, t, 10, bases[t - 1]);
        k.set(K::Task, t, 11, sizes[t - 1]);
        if (t <= 3) {
            k.target.map(bases[t - 1], sizes[t - 1], 0x5A);
            k.target.poke(bases[t - 1] + sizes[t - 1] - 1024, std::vector<uint8_t>(1024, 0x11)); // the top 1 KB in use
        }
    }
    ASSERT_EQ(k.load(), LoadOk);
    const uint64_t generation = TargetReadGeneration();
    TaskStackInfo stack;
    for (uint32_t t = 1; t <= 3; ++t) {
        SCOPED_TRACE(sizes[t - 1]);
        const uint64_t before = k.target.bytesRead;
        ReadTaskStackInfo(t, stack);
        EXPECT_EQ(stack, (TaskStackInfo{bases[t - 1], sizes[t - 1], 1024, sizes[t - 1] - 1024, ScanUsed}));
        EXPECT_LE(k.target.bytesRead - before, uint64_t{sizes[t - 1]} + 256); // and the task's record
        const uint64_t again = k.target.bytesRead;
        ReadTaskStackInfo(t, stack);
        EXPECT_EQ(stack[3], sizes[t - 1] - 1024);
        EXPECT_EQ(k.target.bytesRead, again);
    }
    EXPECT_EQ(TargetReadGeneration(), generation);
    ReadTaskStackInfo(5, stack); // unmapped: the read is refused
    EXPECT_EQ(stack, (TaskStackInfo{0x50000000, 0x1000, 0, 0, ScanRefused}));
    k.target.setFailUnmapped(false);
    k.target.setUnmappedFill(0x5A); // every address reads, and holds the pattern
    ReadTaskStackInfo(4, stack);
    EXPECT_EQ(stack, (TaskStackInfo{0x40000000, 0x80000000, 0x80000000, 0, ScanBound}));
}

} // namespace
} // namespace kernel::test
