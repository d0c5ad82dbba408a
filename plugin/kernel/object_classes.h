#pragma once
// Kernel object classes: the class records loaded from the kernel's class table, object numbering, names,
// in-use tests and wait lists, and the per-class family of small wrappers the object windows call.
// Class numbers are the target kernel's (GetClassNumber); object numbers are 1-based, static objects
// first. A class lists the objects that pass their record's checks, up to the first that does not; list
// walks are bounded by their maximum, a hard limit and a repeat check.

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/class_record.h"
#include "plugin/kernel/layout.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kernel {

// No list walk reads more than this many entries, whatever the target claims.
constexpr uint32_t kMaxWalk = kMaxWalkSteps;
// Object attribute bits written by the trace setters.
constexpr uint32_t kTraceObjectBit = 0x200;
constexpr uint32_t kTraceActorBit = 0x100;

// {attributes, static count, dynamic count} of the objects a list shows (those that pass their record's
// checks, up to the first that does not), how many more the class claims that are not read, at
// kCountsNotRead, and why they are not read (a ListStop), at kCountsStop.
using ClassCounts = std::array<uint32_t, 5>;
constexpr std::size_t kCountsNotRead = 3;
constexpr std::size_t kCountsStop = 4;
enum ListStop : uint32_t {
    StopNone = 0,    // every object the class claims is listed
    StopCheck = 1,   // the next object fails its record's checks
    StopClaim = 2,   // the class claims more objects than a kernel holds or its memory has: none is read
    StopRefused = 3, // the target refused the reads (the count is the one last read)
    StopRecord = 4,  // the class record fails its checks (record size, name length): none is read
};
// {task number, ticks left, timeout state}
using WaiterRecord = std::array<uint32_t, 3>;

// The class record, loading it on first use (null: class absent, or a class number outside 0..13). Every
// reader below loads the records it needs this way.
const ObjectClassRecord* LoadClassRecord(int cls);
// 1 when the record exists or could be loaded, else 0.
int EnsureClassRecord(int cls);
void FillClassCounts(ClassCounts& out, int cls);
void GetClassCounts(int cls, ClassCounts& out);
uint32_t GetObjectAddress(int cls, uint32_t n);
int32_t GetClassNameLength(int cls);
int IsObjectInUse(uint32_t n, int cls);
// Object n is one the target holds: its class record and its own record pass their checks.
// Handles are valid by this, whatever part of the class a list shows.
bool IsObjectHeld(int cls, uint32_t n);
// The object's name: no value for a dynamic object not in use, an absent class or a bad number; an
// empty string when the class keeps no names or the name pointer is null.
std::optional<std::string> GetObjectName(uint32_t n, int cls);
// The event semaphore number of kind 1 or 2 (mailbox, partition, queue, mutex, alarm), else 0.
uint32_t GetObjectEventSemaphore(int kind, int cls, uint32_t n);
// Walks the object's wait list; returns the number of records filled (with a null `out`, the number of
// waiters up to `maximum`, reading only the links).
uint32_t ReadWaitingTasks(uint32_t n, int cls, WaiterRecord* out, uint32_t maximum);

// Ticks left of an alarm: alarm field 6 less the accumulator of its counter, with the 16-bit wrap.
uint32_t AlarmTicksLeft(uint32_t alarmAddress);

// The class number of a kind, -1 when absent.
int ClassOf(ObjectKind kind);
// Configuration-word test of a kind's bit.
bool IsKindConfigured(ObjectKind kind);

// Per-class family.
#define KERNEL_CLASS_FAMILY(C)                                                                           \
    bool Is##C##ClassConfigured();                                                                       \
    void Get##C##Counts(ClassCounts& out);                                                               \
    int Ensure##C##ClassRecord();                                                                        \
    std::optional<std::string> Get##C##Name(uint32_t n);                                                 \
    int Is##C##InUse(uint32_t n);
KERNEL_CLASS_FAMILY(Task)
KERNEL_CLASS_FAMILY(Semaphore)
KERNEL_CLASS_FAMILY(Mailbox)
KERNEL_CLASS_FAMILY(Partition)
KERNEL_CLASS_FAMILY(Queue)
KERNEL_CLASS_FAMILY(Mutex)
KERNEL_CLASS_FAMILY(Pipe)
KERNEL_CLASS_FAMILY(Thread)
KERNEL_CLASS_FAMILY(EventSource)
KERNEL_CLASS_FAMILY(Counter)
KERNEL_CLASS_FAMILY(Alarm)
KERNEL_CLASS_FAMILY(Exception)
#undef KERNEL_CLASS_FAMILY
// Loads the thread record and, when that succeeded, the level record.
int EnsureThreadClassRecords();
void GetLevelCounts(ClassCounts& out);
std::optional<std::string> GetLevelName(uint32_t n);

uint32_t ReadSemaphoreWaiters(uint32_t n, WaiterRecord* out, uint32_t maximum);
uint32_t ReadMailboxWaiters(uint32_t n, WaiterRecord* out, uint32_t maximum);
uint32_t ReadPartitionWaiters(uint32_t n, WaiterRecord* out, uint32_t maximum);
uint32_t ReadQueueWaiters(uint32_t n, WaiterRecord* out, uint32_t maximum);
uint32_t ReadMutexWaiters(uint32_t n, WaiterRecord* out, uint32_t maximum);

uint32_t GetMailboxNotEmptySemaphore(uint32_t n);
uint32_t GetPartitionNotEmptySemaphore(uint32_t n);
uint32_t GetQueueNotEmptySemaphore(uint32_t n);
uint32_t GetQueueNotFullSemaphore(uint32_t n);
uint32_t GetMutexNotBusySemaphore(uint32_t n);
uint32_t GetAlarmExpiredSemaphore(uint32_t n);
uint32_t GetAlarmAbortedSemaphore(uint32_t n);

// Trace flags: read the attribute field, write it back with the bit set (on 1) or cleared.
void SetTaskTraceObject(uint32_t n, int on);
void SetTaskTraceActor(uint32_t n, int on);
void SetThreadTraceObject(uint32_t n, int on);
void SetThreadTraceActor(uint32_t n, int on);
void SetExceptionTraceObject(uint32_t n, int on);
void SetExceptionTraceActor(uint32_t n, int on);
void SetSemaphoreTrace(uint32_t n, int on);
void SetMailboxTrace(uint32_t n, int on);
void SetPartitionTrace(uint32_t n, int on);
void SetQueueTrace(uint32_t n, int on);
void SetMutexTrace(uint32_t n, int on);
void SetPipeTrace(uint32_t n, int on);
void SetEventSourceTrace(uint32_t n, int on);
void SetCounterTrace(uint32_t n, int on);
void SetAlarmTrace(uint32_t n, int on);

// Statistics resets.
void ResetSemaphoreStatistics(uint32_t n);
void ResetMailboxStatistics(uint32_t n);
void ResetPartitionStatistics(uint32_t n);
void ResetQueueStatistics(uint32_t n);
void ResetMutexStatistics(uint32_t n);
void ResetPipeStatistics(uint32_t n);
void ResetThreadStatistics(uint32_t n);

// Internal helpers shared by the readers: the kind's layout (empty when not loaded) and the address of
// object n of the kind (0 without a record).
const LayoutTable& KindLayout(ObjectKind kind);
uint32_t KindObjectAddress(ObjectKind kind, uint32_t n);
uint32_t ReadKindField(ObjectKind kind, uint32_t n, int field);
int32_t ReadKindSignedField(ObjectKind kind, uint32_t n, int field);

} // namespace kernel
