#pragma once
// Readers of the kernel objects of each class, for the object windows. Records are arrays of 32-bit
// words in the order given beside each type; "fK" is field K of the class's object layout.
//
// Record words whose meaning the windows fix (one mapping, used the same way by the simulated target):
// - counter: f5 event source number, f6 count, f7 modulus, f8 accumulator.
// - alarm: f7 initial period, f8 cyclic period, f9 action code, f10 action object (thread number),
//   f11 class number of the queued entry, f13 state, f14 object number of the queued entry.
// - a counter's queued entry (ReadCounterAlarms): {ticks left, initial, cyclic, action, action object,
//   class number, state, object number, expired semaphore, aborted semaphore}.
// The wait-list readers (ReadTaskMultipleWaitList, ReadAlarmWaiters, ReadWaitingTasks) take a null `out`
// to count the entries, up to `maximum`, reading only the list's links.

#include "plugin/kernel/object_classes.h"

#include <array>
#include <cstdint>
#include <functional>

namespace kernel {

// {f3 attributes, status, priority, f12 base priority, context address, stack base + size, program
//  counter, entry, stack base, stack size}
using TaskRecord = std::array<uint32_t, 10>;
// {base, size, used, spare, how the scan ended (a ScanEnd of stack_scan.h)}: with ScanBound, used is at
// most and spare at least the value; with ScanRefused, both are unknown (0).
using TaskStackInfo = std::array<uint32_t, 5>;
// {alarm f8, alarm f9, alarm f13, ticks left, alarm f11, counter f4, counter f5}
using TaskAlarmInfo = std::array<uint32_t, 7>;
// {task number, priority}
using ReadyEntry = std::array<uint32_t, 2>;

void ReadTaskRecord(uint32_t n, TaskRecord& out);
uint32_t ReadTaskStatus(uint32_t n);
int32_t ReadTaskPriority(uint32_t n);
uint32_t ReadTaskSliceCount(uint32_t n);
uint32_t ReadTaskSliceLimit(uint32_t n);
uint32_t ReadTaskArgAddress(uint32_t n);
uint32_t ReadTaskSemaphore(uint32_t n);
void ReadTaskStackInfo(uint32_t n, TaskStackInfo& out);
// 0 when the task has no timeout alarm; else 1 and the info.
int ReadTaskAlarmInfo(uint32_t n, TaskAlarmInfo& out);
uint32_t ReadTaskWaitObject(uint32_t n);
uint32_t ReadTaskMultipleWaitList(uint32_t n, uint32_t* out, uint32_t maximum);
uint32_t ReadReadyList(ReadyEntry* out, uint32_t maximum);
// The number of the task at the ready-list head, 0 when the list is empty.
uint32_t GetCurrentTask();

uint32_t ReadSemaphoreCount(uint32_t n);
using SemaphoreRecord = std::array<uint32_t, 2>;      // {f1, f5 count}
void ReadSemaphoreRecord(uint32_t n, SemaphoreRecord& out);
using SemaphoreStatistics = std::array<uint32_t, 1>;  // {f7}
void ReadSemaphoreStatistics(uint32_t n, SemaphoreStatistics& out);

uint32_t ReadMailboxMessageCount(uint32_t n);
using MailboxRecord = std::array<uint32_t, 2>;        // {f1, f6 messages}
void ReadMailboxRecord(uint32_t n, MailboxRecord& out);
using MailboxStatistics = std::array<uint32_t, 1>;    // {f8}
void ReadMailboxStatistics(uint32_t n, MailboxStatistics& out);
using MailboxMessage = std::array<uint32_t, 4>;       // {priority, envelope f6, envelope f7, data address}
int ReadMailboxMessage(uint32_t n, uint32_t k, MailboxMessage& out);
uint32_t ReadMailboxMessageAddress(uint32_t n, uint32_t k);
// Visits the messages of mailbox n in chain order, walking the envelope chain once (reading message k
// on its own walks k envelopes, so a window listing every message that way costs the square of the
// count). Stops after the count, at the first envelope that cannot be reached, or when visit returns
// false. visit gets the message number, the message and its data address read a second time.
using MailboxMessageVisitor = std::function<bool(uint32_t k, const MailboxMessage& message, uint32_t address)>;
uint32_t ForEachMailboxMessage(uint32_t n, const MailboxMessageVisitor& visit);

uint32_t ReadPartitionAvailable(uint32_t n);
uint32_t ReadPartitionFreeBlock(uint32_t n, uint32_t k);
// The first free blocks (at most `maximum` and the available count), in one walk of the free list that
// stops at a null pointer or a block it passed before. Returns their number.
uint32_t ReadPartitionFreeBlocks(uint32_t n, uint32_t* out, uint32_t maximum);
using PartitionRecord = std::array<uint32_t, 5>;      // {f1, f5 block area, f6 available, f8 block size, f7 blocks}
void ReadPartitionRecord(uint32_t n, PartitionRecord& out);
using PartitionStatistics = std::array<uint32_t, 2>;  // {f10, f11}
void ReadPartitionStatistics(uint32_t n, PartitionStatistics& out);

uint32_t ReadQueueCount(uint32_t n);
uint32_t ReadQueueEntryAddress(uint32_t n, uint32_t k);
using QueueRecord = std::array<uint32_t, 5>;          // {f1, f4 buffer, f5 width, f6 depth, f8 count}
void ReadQueueRecord(uint32_t n, QueueRecord& out);
using QueueStatistics = std::array<uint32_t, 2>;      // {f11, f12}
void ReadQueueStatistics(uint32_t n, QueueStatistics& out);

uint32_t ReadMutexOwner(uint32_t n);
uint32_t ReadMutexCount(uint32_t n);
using MutexRecord = std::array<uint32_t, 4>;          // {f1, owner task number, f5, f6}
void ReadMutexRecord(uint32_t n, MutexRecord& out);
using MutexStatistics = std::array<uint32_t, 2>;      // {f8, f9}
void ReadMutexStatistics(uint32_t n, MutexStatistics& out);

using PipeActions = std::array<uint32_t, 4>;          // {f11, f12, f13, f14}
void ReadPipeActions(uint32_t n, PipeActions& out);
uint32_t ReadPipeFreeCount(uint32_t n);
uint32_t ReadPipeFullCount(uint32_t n);
using PipeRecord = std::array<uint32_t, 6>;           // {f1, f2 buffers, f3 size, f4 full, f6 full ring, f8 free}
void ReadPipeRecord(uint32_t n, PipeRecord& out);
using PipeStatistics = std::array<uint32_t, 2>;       // {f15, f16}
void ReadPipeStatistics(uint32_t n, PipeStatistics& out);
uint32_t ReadPipeFreeBuffer(uint32_t n, uint32_t k);
uint32_t ReadPipeFullBuffer(uint32_t n, uint32_t k, uint32_t* size);

uint32_t ReadThreadArgAddress(uint32_t n);
uint32_t ReadThreadEnvArgAddress(uint32_t n);
using ThreadGate = std::array<uint32_t, 3>;           // {f8, f9, size of f8 in bytes}
void ReadThreadGate(uint32_t n, ThreadGate& out);
int32_t ReadThreadOrder(uint32_t n);
using ThreadRunCount = std::array<uint32_t, 1>;
void ReadThreadRunCount(uint32_t n, ThreadRunCount& out);
using ThreadRecord = std::array<uint32_t, 5>;         // {f1, f2 order, f3 level, f4 base level, f5 entry}
void ReadThreadRecord(uint32_t n, ThreadRecord& out);

uint32_t ReadEventSourceAccumulator(uint32_t n);
using EventSourceRecord = std::array<uint32_t, 2>;    // {f1, f3 accumulator}
void ReadEventSourceRecord(uint32_t n, EventSourceRecord& out);
using EventSourceCounter = std::array<uint32_t, 4>;   // {count, modulus, accumulator, counter number}
uint32_t ReadEventSourceCounters(uint32_t n, EventSourceCounter* out, uint32_t maximum);

using CounterRecord = std::array<uint32_t, 5>;        // {f1, f5, f6, f7, f8}
void ReadCounterRecord(uint32_t n, CounterRecord& out);
using CounterAlarm = std::array<uint32_t, 10>;
uint32_t ReadCounterAlarms(uint32_t n, CounterAlarm* out, uint32_t maximum);

// {f1, ticks left, f7, f8, f9, f10, f11, counter number (counter f4), f13 state, f14}
using AlarmRecord = std::array<uint32_t, 10>;
void ReadAlarmRecord(uint32_t n, AlarmRecord& out);
uint32_t ReadAlarmWaiters(uint32_t n, uint32_t* out, uint32_t maximum);

using ExceptionRecord = std::array<uint32_t, 4>;      // {f1, f2 level, f3 vector, f4 previous}
void ReadExceptionRecord(uint32_t n, ExceptionRecord& out);

using LevelRecord = std::array<uint32_t, 3>;          // {f1, f3, f4}
void ReadLevelRecord(uint32_t n, LevelRecord& out);
// Both level readers take field 5 (the thread table) as a word pointer: doubled on port 8.
using LevelSchedule = std::array<uint32_t, 2>;        // {thread number, f10}
int ReadLevelSchedule(uint32_t n, LevelSchedule& out);
using ScheduledThread = std::array<uint32_t, 3>;      // {thread number, its current level, mode}
uint32_t ReadLevelScheduledThreads(uint32_t n, ScheduledThread* out, uint32_t maximum);

} // namespace kernel
