// Reads every object of a simulated kernel with 1,000 tasks and 1,000 objects of the other classes, as
// the object windows do on a refresh, through the plug-in object and the stand-in debugger's kernel
// function table. Reports the debugger's read calls and bytes next to the minimum: one read per object
// record and per class header.
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"
#include "plugin/sdk/dk_abi.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/ui_thread.h"
#include "standins/debugger/sim_kernel.h"
#include "standins/debugger/simtarget/kernel_objects.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using K = kernel::ObjectKind;

class QuietUiThread final : public plugin::UiThread {
public:
    bool post(uint32_t, uintptr_t, intptr_t) override { return true; }
    bool quitAndWait(std::chrono::milliseconds) override { return true; }
};

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
    const simtarget::GeneratedTarget target = builder.build();

    simdbg::SimKernel debugger;
    debugger.activate();
    plugin::setUiThreadFactory([] { return std::make_unique<QuietUiThread>(); });
    for (const auto& block : target.memory)
        debugger.memory().store(0, block.address, block.data.data(), block.data.size());
    debugger.symbols().add({"pKWS", true, 0, target.anchor, 5});
    if (dk::PluginApiInit(debugger.table()) != 0) {
        state.SkipWithError("the plug-in did not bind to the stand-in debugger");
        return;
    }
    const std::string path = (std::filesystem::temp_directory_path() / "kernel_readers_z5data.a79").string();
    std::ofstream(path) << kernel::WriteSRecords(target.dataFile, "z5data");
    kernel::SetLittleEndian(1);
    kernel::SetAddressUnitBits(8);
    kernel::BindTargetAccess();
    const uint32_t anchor = kernel::GetTargetPort()->symbolAddress("pKWS").value_or(0);
    if (kernel::LoadKernelWorkspace(1, path, 0, anchor) != kernel::LoadOk) {
        state.SkipWithError("the layout did not load");
        return;
    }
    for (int k = 0; k < kernel::kObjectKindCount; ++k)
        kernel::EnsureClassRecord(kernel::ClassOf(static_cast<K>(k)));

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
        const uint64_t before = debugger.callCount(DK_MEMORY_READ);
        debugger.memory().resetCounters();
        kernel::FreeKernelWorkspace(); // a refresh after the class records were dropped reads them again
        kernel::LoadKernelWorkspace(1, path, 0, anchor);
        const uint64_t loadReads = debugger.callCount(DK_MEMORY_READ) - before;
        const uint64_t loadBytes = debugger.memory().counters().readBytes;
        for (int k = 0; k < kernel::kObjectKindCount; ++k)
            kernel::EnsureClassRecord(kernel::ClassOf(static_cast<K>(k)));
        readEverything();
        reads += debugger.callCount(DK_MEMORY_READ) - before - loadReads;
        bytes += debugger.memory().counters().readBytes - loadBytes;
        ++rounds;
    }
    state.counters["read_calls"] = static_cast<double>(reads / rounds);
    state.counters["bytes_read"] = static_cast<double>(bytes / rounds);
    state.counters["minimum_reads"] = static_cast<double>(minimumReads);
    state.counters["minimum_bytes"] = static_cast<double>(minimumBytes);
    state.counters["read_ratio"] = static_cast<double>(reads / rounds) / static_cast<double>(minimumReads);
    state.counters["byte_ratio"] = static_cast<double>(bytes / rounds) / static_cast<double>(minimumBytes);
    dk::PluginApiExit();
    plugin::setUiThreadFactory(nullptr);
    dk::bindKernelTable(nullptr);
    std::filesystem::remove(path);
}

BENCHMARK(BM_ReadAllObjects)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
