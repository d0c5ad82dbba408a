#include "plugin/kernel/fuzz/fuzz_readers.h"

#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/trace.h"

#include <algorithm>
#include <vector>

namespace kernel::fuzz {
namespace {

// Object numbers to try: 0, 1..objects, and the first beyond the class's count.
std::vector<uint32_t> numbers(ObjectKind kind, uint32_t objects)
{
    ClassCounts counts;
    FillClassCounts(counts, ClassOf(kind));
    const uint32_t total = counts[1] + counts[2];
    std::vector<uint32_t> out{0};
    for (uint32_t n = 1; n <= std::min(total, objects); ++n)
        out.push_back(n);
    out.push_back(total + 1);
    return out;
}

} // namespace

void ExerciseReaders(uint32_t objects)
{
    DataFileHeader header;
    ReadDataFileHeader(header);
    KernelProperties props;
    GetSystemProperties(props);
    KernelInfo info;
    ReadKernelInfo(info);
    GetKernelStackSpare();
    for (int k = 0; k < kObjectKindCount; ++k)
        EnsureClassRecord(ClassOf(static_cast<ObjectKind>(k)));
    EnsureThreadClassRecords();

    ClassCounts taskCounts;
    GetTaskCounts(taskCounts);
    std::vector<uint32_t> states(1024);
    WaiterRecord waiters[8];
    uint32_t words[8];
    for (uint32_t n : numbers(ObjectKind::Task, objects)) {
        TaskRecord r;
        ReadTaskRecord(n, r);
        FormatTaskStatus(n, r, taskCounts);
        FormatTaskName(n);
        TaskStackInfo stack;
        ReadTaskStackInfo(n, stack);
        ReadTaskArgAddress(n);
        ReadTaskSemaphore(n);
        GetTaskRegisterStates(n, states.data(), static_cast<uint32_t>(states.size()));
        for (int reg = 0; reg < 100; reg += 7)
            TaskRegisterText(n, 8, reg, 0, true, 1);
        ReadTaskMultipleWaitList(n, words, 8);
    }
    ReadyEntry ready[8];
    ReadReadyList(ready, 8);
    GetCurrentTask();
    for (uint32_t n : numbers(ObjectKind::Semaphore, objects)) {
        SemaphoreRecord r;
        ReadSemaphoreRecord(n, r);
        SemaphoreWaitersText(n, "<S>");
        ReadSemaphoreWaiters(n, waiters, 8);
    }
    for (uint32_t n : numbers(ObjectKind::Mailbox, objects)) {
        MailboxRecord r;
        ReadMailboxRecord(n, r);
        MailboxWaitersText(n, r);
        MailboxMessage m;
        for (uint32_t i = 1; i <= 3; ++i)
            ReadMailboxMessage(n, i, m);
    }
    for (uint32_t n : numbers(ObjectKind::Partition, objects)) {
        PartitionRecord r;
        ReadPartitionRecord(n, r);
        PartitionWaitersText(n, r);
        PartitionFreeBlocksText(n);
    }
    for (uint32_t n : numbers(ObjectKind::Queue, objects)) {
        QueueRecord r;
        ReadQueueRecord(n, r);
        QueueWaitersText(n, r);
        QueueEntriesText(n);
        QueueSemaphoresText(n);
    }
    for (uint32_t n : numbers(ObjectKind::Mutex, objects)) {
        MutexRecord r;
        ReadMutexRecord(n, r);
        MutexWaitersText(n, r);
        MutexOwnerText(r);
    }
    for (uint32_t n : numbers(ObjectKind::Pipe, objects)) {
        PipeRecord r;
        ReadPipeRecord(n, r);
        FormatFullBuffersText(n);
        FormatFreeBuffersText(n);
        FormatPipeName(n);
    }
    for (uint32_t n : numbers(ObjectKind::Thread, objects)) {
        ThreadRecord r;
        ReadThreadRecord(n, r);
        ThreadGate g{};
        ReadThreadGate(n, g);
        FormatThreadName(n);
    }
    for (uint32_t n : numbers(ObjectKind::Level, objects)) {
        LevelSchedule s;
        ReadLevelSchedule(n, s);
        ScheduledThread t[8];
        ReadLevelScheduledThreads(n, t, 8);
        FormatLevelName(n);
    }
    for (uint32_t n : numbers(ObjectKind::EventSource, objects)) {
        EventSourceCounter c[8];
        ReadEventSourceCounters(n, c, 8);
        FormatEventSourceName(n);
    }
    for (uint32_t n : numbers(ObjectKind::Counter, objects)) {
        CounterAlarm a[8];
        ReadCounterAlarms(n, a, 8);
        CounterRecord r;
        ReadCounterRecord(n, r);
    }
    for (uint32_t n : numbers(ObjectKind::Alarm, objects)) {
        AlarmRecord r;
        ReadAlarmRecord(n, r);
        AlarmTicksText(r);
        AlarmWaitersText(n);
        FormatAlarmName(n);
    }
    for (uint32_t n : numbers(ObjectKind::Exception, objects)) {
        ExceptionRecord r;
        ReadExceptionRecord(n, r);
        FormatExceptionName(n);
    }
    GetBacktraceDepth();
    BacktraceFrame frames[16];
    ReadBacktrace(frames, 16);
    IsTraceAvailable();
    GetTraceMode();
    ReadServiceTraceFlag(3);
    GetTraceDataSize();
    std::vector<uint8_t> trace;
    UploadTraceData(trace);
    const uint32_t services = std::min<uint32_t>(ReadServiceCount(), 8);
    ServiceEntry entry;
    for (uint32_t n = 0; n <= services + 1; ++n)
        ReadServiceEntry(n, entry);
}

} // namespace kernel::fuzz
