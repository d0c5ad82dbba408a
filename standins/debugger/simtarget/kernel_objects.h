#pragma once
// Builders of the kernel's linked structures on a TargetBuilder: task stacks with saved contexts and
// wait nodes, wait lists, timeouts, the ready list, messages, free blocks, rings, counters and alarms,
// exception frames, the trace buffer and the services table; and whole scenarios.

#include "standins/debugger/simtarget/target_builder.h"

#include <string>
#include <utility>
#include <vector>

namespace simtarget {

struct TaskOptions {
    uint32_t status = 0;            // 0 ready; bits of 0x7E0 block the task on `waits`
    int32_t priority = 10;
    int32_t basePriority = 10;
    uint32_t attributes = 0;        // task field 3
    uint32_t stackSize = 512;
    uint32_t stackUsed = 0;         // bytes of the stack in use at least (besides the saved context)
    std::vector<std::pair<ObjectKind, uint32_t>> waits;
    bool shortFrame = false;        // frame-type slot 0
    uint32_t entry = 0x00400000;
    uint32_t sliceCount = 0, sliceLimit = 0;
};

// The value the generator stores in context slot `slot` of task `task` (exception frame `task` when
// frames are built).
uint32_t ContextSlotValue(uint32_t task, int slot);

// Fills task n: fields, stack (pattern below the used part), context and wait nodes. Returns the context
// address (0 for an inactive task).
uint32_t MakeTask(TargetBuilder& b, uint32_t n, const TaskOptions& options);
// Gives the task a timeout alarm (task field 8).
void SetTaskTimeout(TargetBuilder& b, uint32_t task, uint32_t alarm);
// Links tasks into the ready list (KWS field 13, task field 1) in this order.
void LinkReadyList(TargetBuilder& b, const std::vector<uint32_t>& tasks);
// Puts a wait node for `task` on an object's wait list (without a node on the task's stack).
void AddWaiter(TargetBuilder& b, ObjectKind kind, uint32_t object, uint32_t task);

void AddMessage(TargetBuilder& b, uint32_t mailbox, int32_t priority, uint32_t sender, uint32_t state, uint32_t data);
// Blocks of `blockSize` bytes; the first `freeBlocks` are chained as free.
void MakePartition(TargetBuilder& b, uint32_t n, uint32_t blocks, uint32_t blockSize, uint32_t freeBlocks);
void MakeQueue(TargetBuilder& b, uint32_t n, uint32_t width, uint32_t depth, uint32_t putIndex, uint32_t count);
void MakePipe(TargetBuilder& b, uint32_t n, uint32_t buffers, uint32_t size, uint32_t fullCount, uint32_t fullIndex,
              uint32_t freeCount, uint32_t freeIndex);
void AttachCounter(TargetBuilder& b, uint32_t eventSource, uint32_t counter);
// Queues an alarm on its counter (alarm field 12, counter field 9 and alarm field 4).
void AttachAlarm(TargetBuilder& b, uint32_t counter, uint32_t alarm);
// What an exception frame records of the code it interrupted: the exception number, the thread number (0
// when it interrupted no thread) and the thread's level.
struct ExceptionFrame {
    uint32_t exception;
    uint32_t thread;
    uint32_t level;
};
// A chain of exception frames from KWS field 26, newest first. Returns the frame addresses.
std::vector<uint32_t> MakeExceptionChain(TargetBuilder& b, const std::vector<ExceptionFrame>& frames,
                                         bool cyclic = false);

struct TraceSetup {
    uint32_t segments = 4, segmentSize = 256;
    uint32_t highestService = 40;
    uint32_t mode = 1;
    // Recorded bytes of the segments in the list of field 14, of field 13, and of the active segment.
    std::vector<uint32_t> list14{100}, list13{200};
    uint32_t active = 10;
};
// Returns the control block address; segment i's data byte j is (i * 0x40 + j) & 0xFF.
uint32_t MakeTrace(TargetBuilder& b, const TraceSetup& setup);

struct ServiceSpec {
    uint32_t number;
    std::string name;
    uint32_t cls;
    uint32_t value;
};
void MakeServicesTable(TargetBuilder& b, const std::vector<ServiceSpec>& services);

// Every class with a few objects of each, linked as a running kernel would leave them.
void BuildDemo(TargetBuilder& b);
// The demo with stacks of `stackSize` bytes of which `stackUsed` are in use, for every task; task 1's
// stack is `mainStackSize` bytes when that is not 0, with `mainStackUsed` in use when that is not 0.
void BuildDemoStacks(TargetBuilder& b, uint32_t stackSize, uint32_t stackUsed, uint32_t mainStackSize = 0,
                     uint32_t mainStackUsed = 0);
// A name of exactly `length` characters: `base` cut to it, or followed by digits up to it.
std::string EdgeName(const std::string& base, std::size_t length);
// The names BuildEdgeDemo gives.
struct DemoNames {
    std::string task1, semaphore1; // static, of exactly the name length
    std::string task6;             // dynamic, 7 characters longer than the name length
    std::string alarm4;            // dynamic, of exactly the name length
};
// The demo (BuildDemoStacks) under the KernelSpec's name length (0: no names kept), with names that fill it:
// static ones of exactly the name length, a dynamic task whose name is longer and a dynamic alarm whose
// name is as long.
DemoNames BuildEdgeDemo(TargetBuilder& b, uint32_t stackSize, uint32_t stackUsed, uint32_t mainStackSize = 0,
                        uint32_t mainStackUsed = 0);
// The demo whose linked lists come back on themselves: the wait list of semaphore SemA holds a node
// linked to itself, the ready list, the alarm queue of counter SysClk and the counter list of event
// source Tick each lead back to their first entry.
void BuildCyclicDemo(TargetBuilder& b);
// A kernel whose dynamic slots are not all in use, freed as the KernelSpec's freeSlots says: tasks 1 "Main"
// and 2 "Idle" static, dynamic task slots 3, 5 and 7 free (first, middle, last), 4 "Logger" in use and 6 in
// use under the name "Work\ter" (a tab in it), waiting for mutex 1 "MutexA", which Main owns; thread 1
// "ThrA" static, dynamic thread slots 2, 4 and 6 free, 3 "ThrC" and 5 "ThrE" in use, on level 1 "LevelA".
void BuildFreeSlotDemo(TargetBuilder& b);
// Turns a built kernel into garbage that claims millions of objects in memory the target can read: every
// class entry claims `claimed` objects (by default the most a kernel can be configured with), all static,
// whose records and names lie in a 2 MB area of random bytes (records of 16 bytes in every other class, of
// their layout's length in the others). The kernel's own structures stay sound. `nameless`: every class
// keeps no names and its records are 0x60 bytes, so only what the records hold can tell them from a
// kernel's; `zeroFilled`: the area holds zeros, not random bytes. Returns the area's address.
uint32_t ClaimGarbage(TargetBuilder& b, uint32_t seed, bool nameless = false, bool zeroFilled = false,
                      uint32_t claimed = 0x7FFFFFFF);
// `tasks` tasks and `others` objects spread over the other classes.
void BuildBulk(TargetBuilder& b, uint32_t tasks, uint32_t others);
// `tasks` tasks, each blocked on a semaphore that mailboxes, partitions, queues, mutexes and alarms
// (`objects` of each) use as event semaphores: the heaviest task list to refresh.
void BuildEventBulk(TargetBuilder& b, uint32_t tasks, uint32_t objects);
// `semaphores` semaphores named "Sem1" onwards and one task, "Waiter", waiting on the last one.
void BuildManySemaphores(TargetBuilder& b, uint32_t semaphores);

} // namespace simtarget
