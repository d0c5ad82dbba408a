// Whole simulated kernels: the demo with every class, and a bulk kernel for the benchmark.
#include "standins/debugger/simtarget/kernel_objects.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace simtarget {
namespace {

using K = ObjectKind;

void names(TargetBuilder& b, K kind, std::initializer_list<const char*> list)
{
    uint32_t n = 1;
    for (const char* name : list)
        b.setName(kind, n++, name);
}

} // namespace

void BuildDemoStacks(TargetBuilder& b, uint32_t stackSize, uint32_t stackUsed, uint32_t mainStackSize,
                     uint32_t mainStackUsed)
{
    TaskOptions stacks;
    stacks.stackSize = stackSize;
    stacks.stackUsed = stackUsed;
    b.setFieldSize(K::Counter, 8, 2); // a 16-bit accumulator, as small ports have
    b.setFieldSize(K::Alarm, 6, 2);
    b.addClass(K::Task, 5, 1, 0x4C | 0x100);
    b.addClass(K::Semaphore, 4, 0, 0x08);
    b.addClass(K::Mailbox, 2, 0, 0x0C);
    b.addClass(K::Partition, 2, 0, 0x0C);
    b.addClass(K::Queue, 2, 0, 0x0C);
    b.addClass(K::Mutex, 2, 0, 0x0C);
    b.addClass(K::Pipe, 2, 0, 0x08);
    b.addClass(K::Thread, 4, 0, 0x01 | 0x08 | 0x80 | 0x100 | 0x200);
    b.addClass(K::Level, 2, 0, 0x08);
    b.addClass(K::EventSource, 1, 0, 0);
    b.addClass(K::Counter, 2, 0, 0);
    b.addClass(K::Alarm, 3, 1, 0);
    b.addClass(K::Exception, 3, 0, 0x08, 0);
    names(b, K::Task, {"Main", "Sleeper", "Reader", "Paused", "Spare"});
    b.setName(K::Task, 6, "Worker");
    names(b, K::Semaphore, {"SemA", "SemB", "QNE1", "QNF1"});
    names(b, K::Mailbox, {"MboxA", "MboxB"});
    names(b, K::Partition, {"PartA", "PartB"});
    names(b, K::Queue, {"QueueA", "QueueB"});
    names(b, K::Mutex, {"MutexA", "MutexB"});
    names(b, K::Pipe, {"PipeA", "PipeB"});
    names(b, K::Thread, {"ThrA", "ThrB", "ThrC", "ThrD"});
    names(b, K::Level, {"LevelA", "LevelB"});
    names(b, K::EventSource, {"Tick"});
    names(b, K::Counter, {"SysClk", "Slow"});
    names(b, K::Alarm, {"Timeout2", "Blink", "Watchdog"});
    b.setName(K::Alarm, 4, ""); // a dynamic alarm without a name

    // Counters and alarms: the accumulator 0xFFF0 of SysClk wraps under the timeout alarm's 0x0009.
    AttachCounter(b, 1, 1);
    AttachCounter(b, 1, 2);
    b.setField(K::Counter, 1, 4, 1);
    b.setField(K::Counter, 2, 4, 2);
    b.setField(K::Counter, 1, 6, 3);
    b.setField(K::Counter, 1, 7, 1000);
    b.setField(K::Counter, 1, 8, 0xFFF0);
    b.setField(K::Counter, 2, 8, 0x0100);
    b.setField(K::EventSource, 1, 3, 77);
    for (uint32_t a = 1; a <= 3; ++a) {
        AttachAlarm(b, a == 3 ? 2 : 1, a);
        b.setField(K::Alarm, a, 7, 10 * a);
        b.setField(K::Alarm, a, 8, 100 * a);
        b.setField(K::Alarm, a, 9, a == 2 ? 1 : 0);
        b.setField(K::Alarm, a, 10, a == 2 ? 2 : 0);
        b.setField(K::Alarm, a, 11, static_cast<uint32_t>(b.classNumber(K::Alarm)));
        b.setField(K::Alarm, a, 14, a);
    }
    b.setField(K::Alarm, 1, 6, 0x0009); // 25 ticks left after the wrap
    b.setField(K::Alarm, 1, 13, 1);
    b.setField(K::Alarm, 2, 6, 0xFFF5);
    b.setField(K::Alarm, 2, 13, 1);
    b.setField(K::Alarm, 2, 15, 1);
    b.setField(K::Alarm, 3, 6, 0x0180);
    b.setField(K::Alarm, 3, 13, 10);
    b.setField(K::Alarm, 3, 16, 2);

    // Semaphores; queue 1's event semaphores are 3 (not empty) and 4 (not full).
    for (uint32_t s = 1; s <= 4; ++s) {
        b.setField(K::Semaphore, s, 1, s == 1 ? 0x0041 : 0x10);
        b.setField(K::Semaphore, s, 5, s == 1 ? 2 : 0);
        b.setField(K::Semaphore, s, 7, 40 + s);
    }
    MakeQueue(b, 1, 4, 4, 2, 2);
    b.setField(K::Queue, 1, 1, 0x4);
    b.setField(K::Queue, 1, 9, 3);
    b.setField(K::Queue, 1, 10, 4);
    b.setField(K::Queue, 1, 11, 5);
    b.setField(K::Queue, 1, 12, 6);
    MakeQueue(b, 2, 8, 2, 0, 0);
    b.setField(K::Mailbox, 1, 1, 0x4);
    b.setField(K::Mailbox, 1, 7, 2);
    b.setField(K::Mailbox, 1, 8, 9);
    // The two messages' bodies, 16 bytes each, in target memory.
    const uint32_t bodies = b.allocate(32);
    for (const auto& [at, text] : {std::pair<uint32_t, std::string>{bodies, "Normal from Main"}, {bodies + 16, "Urgent: Sleeper!"}})
        b.memory().putBytes(at, std::vector<uint8_t>(text.begin(), text.end()));
    AddMessage(b, 1, 1, 1, 0, bodies);       // Normal
    AddMessage(b, 1, 2, 2, 1, bodies + 16);  // Urgent
    MakePartition(b, 1, 8, 32, 3);
    b.setField(K::Partition, 1, 9, 2); // not empty: SemB
    b.setField(K::Partition, 1, 10, 5);
    b.setField(K::Partition, 1, 11, 2);
    MakePartition(b, 2, 4, 16, 0);
    MakePipe(b, 1, 4, 64, 2, 3, 2, 1);
    b.setField(K::Pipe, 1, 11, 1);
    b.setField(K::Pipe, 1, 12, 2);
    b.setField(K::Pipe, 1, 13, static_cast<uint32_t>(-1));
    b.setField(K::Pipe, 1, 15, 12);
    b.setField(K::Pipe, 1, 16, 13);
    MakePipe(b, 2, 2, 32, 0, 0, 0, 0);

    // Tasks: 1 current, 2 sleeping on SysClk, 3 waiting on queue 1's not-empty semaphore, 4 suspended,
    // 5 inactive, 6 (dynamic) waiting for mutex 1, which task 1 owns.
    TaskOptions t = stacks;
    if (mainStackSize != 0)
        t.stackSize = mainStackSize;
    if (mainStackUsed != 0)
        t.stackUsed = mainStackUsed;
    t.priority = 5;
    t.sliceCount = 2;
    t.sliceLimit = 4;
    MakeTask(b, 1, t);
    t = stacks;
    t.status = 0x8;
    MakeTask(b, 2, t);
    SetTaskTimeout(b, 2, 1);
    t = stacks;
    t.status = 0x20;
    t.waits = {{K::Semaphore, 3}, {K::Semaphore, 1}};
    t.shortFrame = true;
    MakeTask(b, 3, t);
    t = stacks;
    t.status = 0x1;
    MakeTask(b, 4, t);
    t = stacks;
    t.status = 0x800;
    t.priority = 0;
    t.basePriority = 12;
    MakeTask(b, 5, t);
    t = stacks;
    t.status = 0x400;
    t.waits = {{K::Mutex, 1}};
    MakeTask(b, 6, t);
    AddWaiter(b, K::Alarm, 2, 4);
    LinkReadyList(b, {1});
    // Each task's argument block; tasks 1 to 3 have a task semaphore.
    const uint32_t arguments = b.allocate(6 * 8);
    for (uint32_t n = 1; n <= 6; ++n) {
        b.memory().put(arguments + (n - 1) * 8, 1, 0xA0 + n);
        b.setField(K::Task, n, 15, arguments + (n - 1) * 8);
    }
    b.setField(K::Task, 1, 16, 1);
    b.setField(K::Task, 2, 16, 2);
    b.setField(K::Task, 3, 16, 1);
    b.setField(K::Mutex, 1, 1, 0x14);
    b.setField(K::Mutex, 1, 4, b.objectAddress(K::Task, 1), true);
    b.setField(K::Mutex, 1, 5, 1);
    b.setField(K::Mutex, 1, 6, static_cast<uint32_t>(-3));
    b.setField(K::Mutex, 1, 7, 2); // not busy: SemB
    b.setField(K::Mutex, 1, 8, 7);
    b.setField(K::Mutex, 1, 9, 8);

    // Threads and levels: level 1 schedules threads 1 and 2 in slots 1 and 3.
    for (uint32_t n = 1; n <= 4; ++n) {
        b.setField(K::Thread, n, 2, static_cast<uint32_t>(n == 4 ? -1 : static_cast<int32_t>(n)));
        b.setField(K::Thread, n, 3, n <= 2 ? 1 : 2);
        b.setField(K::Thread, n, 4, 1);
        b.setField(K::Thread, n, 5, 0x00500000 + n * 0x40, true);
        b.setField(K::Thread, n, 7, n);
        b.setField(K::Thread, n, 8, n * 3);
        b.setField(K::Thread, n, 9, 2);
        b.setField(K::Thread, n, 10, 0x20200000 + n);
        b.setField(K::Thread, n, 11, 0x20300000 + n);
        b.setField(K::Thread, n, 12, 100 + n);
    }
    const uint32_t table = b.allocate(9 * b.pointerSize());
    b.memory().put(table + 1 * b.pointerSize(), b.pointerSize(), b.objectAddress(K::Thread, 1));
    b.memory().put(table + 3 * b.pointerSize(), b.pointerSize(), b.objectAddress(K::Thread, 2));
    b.setField(K::Level, 1, 1, 0x10);
    b.setField(K::Level, 1, 2, 0x40 | 0x10);
    b.setField(K::Level, 1, 3, 2);
    b.setField(K::Level, 1, 4, 4);
    b.setField(K::Level, 1, 5, table, true); // the kernel keeps the table's word address on port 8
    b.setField(K::Level, 1, 7, 0x40);
    b.setField(K::Level, 1, 10, 3);
    b.setField(K::Level, 2, 1, 0x20);

    for (uint32_t n = 1; n <= 3; ++n) {
        b.setField(K::Exception, n, 1, 0x8);
        b.setField(K::Exception, n, 2, n);
        b.setField(K::Exception, n, 3, 0x40 + n);
    }
    b.setField(K::Exception, 2, 4, b.objectAddress(K::Exception, 1), true);
    // Exception 3 interrupted exception 2, which interrupted thread ThrB (level 1), which interrupted
    // exception 1, which interrupted the current task.
    MakeExceptionChain(b, {{3, 0, 0}, {2, 2, 1}, {1, 0, 0}});
    TraceSetup trace;
    trace.segments = std::max<uint32_t>(b.spec().traceSegments, 4);
    MakeTrace(b, trace);
    std::vector<ServiceSpec> services;
    const char* serviceNames[] = {"TaskCreate", "TaskDelete", "TaskSleep", "SemSignal", "SemWait",
                                  "MboxPost", "MboxPend", "QueuePut", "QueueGet", "Unused"};
    for (uint32_t i = 0; i < 10; ++i)
        services.push_back({i + 1, serviceNames[i], static_cast<uint32_t>(i < 3 ? b.classNumber(K::Task) : i < 5 ? b.classNumber(K::Semaphore) : 13), i * 7});
    MakeServicesTable(b, services);
    b.setKwsField(0, 0);
    b.setKwsField(5, 4);
}

void BuildDemo(TargetBuilder& b) { BuildDemoStacks(b, TaskOptions{}.stackSize, 0); }

std::string EdgeName(const std::string& base, std::size_t length)
{
    std::string name = base.substr(0, std::min(base.size(), length));
    while (name.size() < length)
        name += static_cast<char>('0' + name.size() % 10);
    return name;
}

DemoNames BuildEdgeDemo(TargetBuilder& b, uint32_t stackSize, uint32_t stackUsed, uint32_t mainStackSize,
                        uint32_t mainStackUsed)
{
    BuildDemoStacks(b, stackSize, stackUsed, mainStackSize, mainStackUsed);
    const auto length = static_cast<std::size_t>(std::max(b.spec().nameLength, 0));
    DemoNames names;
    names.task1 = EdgeName("Main", length);
    names.semaphore1 = EdgeName("SemA", length);
    names.task6 = EdgeName("NetworkReceiver", length + 7);
    names.alarm4 = EdgeName("DynamicAlarm", length);
    if (length == 0)
        return names; // no names kept: every object is shown by its number
    b.setName(K::Task, 1, names.task1);
    b.setName(K::Semaphore, 1, names.semaphore1);
    b.setName(K::Task, 6, names.task6);
    b.setName(K::Alarm, 4, names.alarm4);
    return names;
}

void BuildFreeSlotDemo(TargetBuilder& b)
{
    b.addClass(K::Task, 2, 5, 0x4C);
    b.addClass(K::Mutex, 1, 0, 0x0C);
    b.addClass(K::Thread, 1, 5, 0x01 | 0x08);
    b.addClass(K::Level, 1, 0, 0x08);
    names(b, K::Task, {"Main", "Idle", "Spare3", "Logger", "Spare5", "Work\ter", "Spare7"});
    names(b, K::Mutex, {"MutexA"});
    names(b, K::Thread, {"ThrA", "ThrB", "ThrC", "ThrD", "ThrE", "ThrF"});
    names(b, K::Level, {"LevelA"});
    // Every slot first holds an object, so a freed one keeps a whole record when its slots are stale.
    TaskOptions t;
    t.priority = 5;
    MakeTask(b, 1, t);
    t.priority = 10;
    for (uint32_t n : {2u, 3u, 4u, 5u, 7u}) {
        t.status = n == 4 ? 0x8 : 0;
        MakeTask(b, n, t);
    }
    t.status = 0x400;
    t.waits = {{K::Mutex, 1}};
    MakeTask(b, 6, t);
    LinkReadyList(b, {1, 2});
    b.setField(K::Mutex, 1, 1, 0x14);
    b.setField(K::Mutex, 1, 4, b.objectAddress(K::Task, 1), true);
    b.setField(K::Mutex, 1, 5, 1);
    for (uint32_t n = 1; n <= 6; ++n) {
        b.setField(K::Thread, n, 2, n);
        b.setField(K::Thread, n, 3, 1);
        b.setField(K::Thread, n, 4, 1);
        b.setField(K::Thread, n, 5, 0x00500000 + n * 0x40, true);
        b.setField(K::Thread, n, 12, 100 + n);
    }
    for (uint32_t n : {3u, 5u, 7u})
        b.setInUse(K::Task, n, false);
    for (uint32_t n : {2u, 4u, 6u})
        b.setInUse(K::Thread, n, false);
    b.setKwsField(0, 0);
    b.setKwsField(5, 4);
}

void BuildCyclicDemo(TargetBuilder& b)
{
    BuildDemo(b);
    // SemA's waiters: a node linked to itself.
    const uint32_t node = b.allocate(b.waitNodeSize());
    const LayoutTable& wait = b.layout(Structure::WaitNode);
    b.setStructField(wait, node, 4, 1);
    b.setStructField(wait, node, 6, b.objectAddress(K::Task, 1), true);
    b.setStructField(wait, node, 1, node, true);
    b.setStructField(b.layout(Structure::WaitHeader), b.objectAddress(K::Semaphore, 1), 2, node, true);
    // Ready list 1 -> 2 -> 1, the alarm queue of SysClk 1 -> 2 -> 1, the counters of Tick 1 -> 2 -> 1.
    LinkReadyList(b, {1, 2});
    b.setField(K::Task, 2, 1, b.objectAddress(K::Task, 1), true);
    b.setField(K::Alarm, 2, 4, b.objectAddress(K::Alarm, 1), true);
    b.setField(K::Counter, 2, 2, b.objectAddress(K::Counter, 1), true);
}

void BuildBulk(TargetBuilder& b, uint32_t tasks, uint32_t others)
{
    const K kinds[] = {K::Semaphore, K::Mailbox, K::Partition, K::Queue, K::Mutex, K::Pipe, K::Thread,
                       K::Level, K::EventSource, K::Counter, K::Alarm, K::Exception};
    const uint32_t per = others / 12;
    b.addClass(K::Task, tasks, 0, 0x4C);
    for (K kind : kinds)
        b.addClass(kind, per, 0, 0x08);
    std::vector<uint32_t> ready;
    for (uint32_t n = 1; n <= tasks; ++n) {
        b.setName(K::Task, n, "Task" + std::to_string(n));
        TaskOptions t;
        t.stackSize = 256;
        t.status = n % 3 == 0 ? 0x8 : 0;
        t.priority = static_cast<int32_t>(n % 32);
        MakeTask(b, n, t);
        if (t.status == 0)
            ready.push_back(n);
    }
    LinkReadyList(b, ready);
    for (K kind : kinds)
        for (uint32_t n = 1; n <= per; ++n) {
            b.setName(kind, n, "Obj" + std::to_string(n));
            b.setField(kind, n, 1, n);
        }
}

void BuildEventBulk(TargetBuilder& b, uint32_t tasks, uint32_t objects)
{
    const K owners[] = {K::Mailbox, K::Partition, K::Queue, K::Mutex, K::Alarm};
    const uint32_t semaphores = 2 * objects;
    b.addClass(K::Task, tasks, 0, 0x4C);
    b.addClass(K::Semaphore, semaphores, 0, 0x08);
    for (K kind : owners)
        b.addClass(kind, objects, 0, 0x0C);
    // Each owner's event semaphores, spread over the semaphores in turn.
    uint32_t next = 0;
    auto semaphore = [&next, semaphores] { return 1 + next++ % semaphores; };
    for (K kind : owners)
        for (uint32_t n = 1; n <= objects; ++n) {
            b.setName(kind, n, "Obj" + std::to_string(n));
            b.setField(kind, n, 1, 0x4);
            switch (kind) {
            case K::Mailbox: b.setField(kind, n, 7, semaphore()); break;
            case K::Partition: b.setField(kind, n, 9, semaphore()); break;
            case K::Queue: b.setField(kind, n, 9, semaphore()); b.setField(kind, n, 10, semaphore()); break;
            case K::Mutex: b.setField(kind, n, 7, semaphore()); break;
            default: b.setField(kind, n, 15, semaphore()); b.setField(kind, n, 16, semaphore()); break;
            }
        }
    for (uint32_t n = 1; n <= semaphores; ++n)
        b.setName(K::Semaphore, n, "Sem" + std::to_string(n));
    for (uint32_t n = 1; n <= tasks; ++n) {
        b.setName(K::Task, n, "Task" + std::to_string(n));
        TaskOptions t;
        t.stackSize = 256;
        t.status = 0x20;
        t.waits = {{K::Semaphore, 1 + (n - 1) % semaphores}};
        MakeTask(b, n, t);
    }
}

void BuildManySemaphores(TargetBuilder& b, uint32_t semaphores)
{
    b.addClass(K::Task, 1, 0, 0x4C);
    b.addClass(K::Semaphore, semaphores, 0, 0x08);
    for (uint32_t n = 1; n <= semaphores; ++n)
        b.setName(K::Semaphore, n, "Sem" + std::to_string(n));
    b.setName(K::Task, 1, "Waiter");
    TaskOptions task;
    task.status = 0x20;
    task.waits = {{K::Semaphore, semaphores}};
    MakeTask(b, 1, task);
}

} // namespace simtarget
