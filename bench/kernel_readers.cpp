// Reads every object of a simulated kernel with 1,000 tasks and 1,000 objects of the other classes, as
// the object windows do on a refresh, through the plug-in object and the stand-in debugger's kernel
// function table. Reports the debugger's read calls and bytes next to the minimum: one read per object
// record and per class header.
#include "bench/sim_session.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "standins/debugger/simtarget/kernel_objects.h"

#include <benchmark/benchmark.h>

namespace {

using K = kernel::ObjectKind;

// Reads the record and name of every object of every class.
void readEverything()
{
    kernel::ClassCounts counts;
    kernel::GetTaskCounts(counts);
    for (uint32_t n = 1; n <= counts[1] + counts[2]; ++n) {
        kernel::TaskRecord r;
        kernel::ReadTaskRecord(n, r);
        benchmark::DoNotOptimize(kernel::FormatTaskName(n));
    }
    auto each = [](K kind, auto read) {
        kernel::ClassCounts c;
        kernel::FillClassCounts(c, kernel::ClassOf(kind));
        for (uint32_t n = 1; n <= c[1] + c[2]; ++n)
            read(n);
    };
    each(K::Semaphore, [](uint32_t n) { kernel::SemaphoreRecord r; kernel::ReadSemaphoreRecord(n, r); benchmark::DoNotOptimize(kernel::FormatSemaName(n)); });
    each(K::Mailbox, [](uint32_t n) { kernel::MailboxRecord r; kernel::ReadMailboxRecord(n, r); benchmark::DoNotOptimize(kernel::FormatMboxName(n)); });
    each(K::Partition, [](uint32_t n) { kernel::PartitionRecord r; kernel::ReadPartitionRecord(n, r); benchmark::DoNotOptimize(kernel::FormatPartName(n)); });
    each(K::Queue, [](uint32_t n) { kernel::QueueRecord r; kernel::ReadQueueRecord(n, r); benchmark::DoNotOptimize(kernel::FormatQueueName(n)); });
    each(K::Mutex, [](uint32_t n) { kernel::MutexRecord r; kernel::ReadMutexRecord(n, r); benchmark::DoNotOptimize(kernel::FormatMutexName(n)); });
    each(K::Pipe, [](uint32_t n) { kernel::PipeRecord r; kernel::ReadPipeRecord(n, r); benchmark::DoNotOptimize(kernel::FormatPipeName(n)); });
    each(K::Thread, [](uint32_t n) { kernel::ThreadRecord r; kernel::ReadThreadRecord(n, r); benchmark::DoNotOptimize(kernel::FormatThreadName(n)); });
    each(K::Level, [](uint32_t n) { kernel::LevelRecord r; kernel::ReadLevelRecord(n, r); benchmark::DoNotOptimize(kernel::FormatLevelName(n)); });
    each(K::EventSource, [](uint32_t n) { kernel::EventSourceRecord r; kernel::ReadEventSourceRecord(n, r); benchmark::DoNotOptimize(kernel::FormatEventSourceName(n)); });
    each(K::Counter, [](uint32_t n) { kernel::CounterRecord r; kernel::ReadCounterRecord(n, r); benchmark::DoNotOptimize(kernel::FormatCounterName(n)); });
    each(K::Alarm, [](uint32_t n) { kernel::AlarmRecord r; kernel::ReadAlarmRecord(n, r); benchmark::DoNotOptimize(kernel::FormatAlarmName(n)); });
    each(K::Exception, [](uint32_t n) { kernel::ExceptionRecord r; kernel::ReadExceptionRecord(n, r); benchmark::DoNotOptimize(kernel::FormatExceptionName(n)); });
}

void BM_ReadAllObjects(benchmark::State& state)
{
    simtarget::KernelSpec spec;
    spec.port = 7;
    simtarget::TargetBuilder builder(spec);
    simtarget::BuildBulk(builder, 1000, 1000);
    bench::SimSession session(builder.build());
    if (!session.error().empty()) {
        state.SkipWithError(session.error().c_str());
        return;
    }
    simdbg::SimKernel& debugger = session.debugger();

    // The minimum: one read of each object record and of each class entry.
    uint64_t minimumReads = 0, minimumBytes = 0;
    for (int k = 0; k < kernel::kObjectKindCount; ++k) {
        const kernel::ObjectClassRecord* r = kernel::LoadClassRecord(kernel::ClassOf(static_cast<K>(k)));
        if (!r)
            continue;
        minimumReads += 1 + r->totalCount;
        minimumBytes += static_cast<uint64_t>(builder.layout(simtarget::Structure::ClassEntry).count()) * 4 +
                        static_cast<uint64_t>(r->stride) * r->totalCount;
    }
    uint64_t reads = 0, bytes = 0, rounds = 0;
    for (auto _ : state) {
        // A refresh after the class records were dropped reads them again.
        kernel::FreeKernelWorkspace();
        debugger.memory().resetCounters();
        const uint64_t before = session.readCalls();
        kernel::LoadKernelWorkspace(1, session.dataFile(), 0, session.anchor());
        const uint64_t loadReads = session.readCalls() - before;
        const uint64_t loadBytes = debugger.memory().counters().readBytes;
        for (int k = 0; k < kernel::kObjectKindCount; ++k)
            kernel::EnsureClassRecord(kernel::ClassOf(static_cast<K>(k)));
        readEverything();
        reads += session.readCalls() - before - loadReads;
        bytes += debugger.memory().counters().readBytes - loadBytes;
        ++rounds;
    }
    state.counters["read_calls"] = static_cast<double>(reads / rounds);
    state.counters["bytes_read"] = static_cast<double>(bytes / rounds);
    state.counters["minimum_reads"] = static_cast<double>(minimumReads);
    state.counters["minimum_bytes"] = static_cast<double>(minimumBytes);
    state.counters["read_ratio"] = static_cast<double>(reads / rounds) / static_cast<double>(minimumReads);
    state.counters["byte_ratio"] = static_cast<double>(bytes / rounds) / static_cast<double>(minimumBytes);
}

BENCHMARK(BM_ReadAllObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
