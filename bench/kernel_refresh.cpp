// One refresh of the Tasks window, the Task Stack window and the Semaphores, Mailboxes and Queues windows
// on a simulated kernel of 2,000 tasks, each blocked on an event semaphore, and 2,000 objects of each
// event class (mailboxes, partitions, queues, mutexes, alarms), read through the plug-in object and the
// stand-in debugger. Reports each window's debugger read calls and time, and the ratio of the Tasks
// refresh to the Semaphores, Mailboxes and Queues refreshes together; and the Task Stack window's read
// calls on stacks of two sizes with the same spare part.
#include "bench/sim_session.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/views/classes/pool_rows.h"
#include "plugin/views/kit/list_sheet.h"
#include "plugin/views/windows/mailbox_windows.h"
#include "plugin/views/windows/semaphore_window.h"
#include "plugin/views/windows/task_rows.h"
#include "standins/debugger/simtarget/kernel_objects.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace {

using K = kernel::ObjectKind;

constexpr uint32_t kTasks = 2000;
constexpr uint32_t kObjects = 2000;

struct Window {
    const char* name;
    K kind;
    std::vector<views::ColumnSpec> (*columns)();
    void (*fill)(views::ListSheet&, const kernel::ClassCounts&);
    uint64_t reads = 0;
    double seconds = 0;
};

// One refresh as the window makes it: counts, columns, then the rows.
void refresh(bench::SimSession& session, Window& w)
{
    const uint64_t before = session.readCalls();
    const auto start = std::chrono::steady_clock::now();
    kernel::ClassCounts counts;
    kernel::FillClassCounts(counts, kernel::ClassOf(w.kind));
    views::ListSheet sheet;
    sheet.setColumns(w.columns(), views::ColumnContext{counts[0], true, true, 0});
    w.fill(sheet, counts);
    benchmark::DoNotOptimize(sheet.rowCount());
    w.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    w.reads += session.readCalls() - before;
}

void BM_RefreshEventKernel(benchmark::State& state)
{
    simtarget::KernelSpec spec;
    spec.port = 7;
    simtarget::TargetBuilder builder(spec);
    simtarget::BuildEventBulk(builder, kTasks, kObjects);
    bench::SimSession session(builder.build());
    if (!session.error().empty()) {
        state.SkipWithError(session.error().c_str());
        return;
    }
    Window windows[] = {
        {"tasks", K::Task, &views::TaskColumns, &views::FillTaskRows},
        {"task_stack", K::Task, &views::TaskStackColumns, &views::FillTaskStackRows},
        {"semaphores", K::Semaphore, &views::SemaphoreColumns, &views::FillSemaphoreRows},
        {"mailboxes", K::Mailbox, &views::MailboxColumns, &views::FillMailboxRows},
        {"queues", K::Queue, &views::QueueColumns, &views::FillQueueRows},
    };
    uint64_t rounds = 0;
    for (auto _ : state) {
        for (Window& w : windows)
            refresh(session, w);
        ++rounds;
    }
    double others = 0;
    uint64_t otherReads = 0;
    for (const Window& w : windows) {
        state.counters[std::string(w.name) + "_reads"] = static_cast<double>(w.reads / rounds);
        state.counters[std::string(w.name) + "_ms"] = 1000 * w.seconds / static_cast<double>(rounds);
        if (w.kind != K::Task) {
            others += w.seconds;
            otherReads += w.reads;
        }
    }
    state.counters["tasks_vs_sem_mbox_queue_time"] = windows[0].seconds / others;
    state.counters["tasks_vs_sem_mbox_queue_reads"] =
        static_cast<double>(windows[0].reads) / static_cast<double>(otherReads);
}

BENCHMARK(BM_RefreshEventKernel)->Unit(benchmark::kMillisecond)->Iterations(3);

// The Task Stack window on 20 ready tasks whose stacks (of the size given) have 64 spare bytes: its
// read calls follow the spare bytes it shows, so they stay the same whatever the stack size.
void BM_TaskStackSpare(benchmark::State& state)
{
    constexpr uint32_t kStackTasks = 20, kSpare = 64;
    const auto size = static_cast<uint32_t>(state.range(0));
    simtarget::KernelSpec spec;
    spec.port = 7;
    simtarget::TargetBuilder builder(spec);
    builder.addClass(K::Task, kStackTasks, 0, 0x4C);
    for (uint32_t n = 1; n <= kStackTasks; ++n) {
        simtarget::TaskOptions task;
        task.stackSize = size;
        simtarget::MakeTask(builder, n, task);
        // Every unit above the spare ones is used.
        const uint32_t base = builder.field(K::Task, n, 10);
        builder.memory().fill(base + kSpare, size - kSpare - builder.contextSize(), 0x11);
    }
    bench::SimSession session(builder.build());
    if (!session.error().empty()) {
        state.SkipWithError(session.error().c_str());
        return;
    }
    Window window{"task_stack", K::Task, &views::TaskStackColumns, &views::FillTaskStackRows};
    uint64_t rounds = 0;
    for (auto _ : state) {
        refresh(session, window);
        ++rounds;
    }
    state.counters["task_stack_reads"] = static_cast<double>(window.reads / rounds);
    state.counters["task_stack_ms"] = 1000 * window.seconds / static_cast<double>(rounds);
}

BENCHMARK(BM_TaskStackSpare)->Arg(8192)->Arg(65536)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
