#pragma once
// Texts of kernel objects for the object windows: names, task states, waiter lists, buffers, register
// values, enumerated attributes and the layout loader's error texts. Qt-free; the windows convert.

#include "plugin/kernel/object_readers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace kernel {

// Lists of buffers, blocks and entries show at most this many items, then "...".
constexpr uint32_t kListedItems = 16;
// Waiter lists read at most this many waiters.
constexpr uint32_t kListedWaiters = 32;
// Names are shown with at most this many characters.
constexpr std::size_t kShownNameLength = 32;

std::string SchedulingMethodText(uint32_t attributes);
std::string PipeActionText(int32_t action);
std::string WaitOrderText(uint32_t attributes);
std::string MultipleSingleText(uint32_t attributes);
std::string YesNoText(uint32_t attributes);
std::string ThreadGateActionText(uint32_t action, uint32_t thread);
std::string AlarmStateText(uint32_t state);
// The ticks left while the alarm is active (state, record word 8, is 1), else "".
std::string AlarmTicksText(const AlarmRecord& record);
std::string MutexOwnerText(const MutexRecord& record);
std::string ClassNameText(int cls);

// "<Word #n>" when the object has no name, "*" appended for attribute bit 0x400. An object number
// beyond the class's count (stale or garbage memory) gives "<Invalid Class handle #n>".
std::string FormatObjectName(int cls, uint32_t n, uint32_t attributes, const std::string& classWord);
std::string FormatTaskName(uint32_t n);
// The same with the task's attribute word (task field 3) already read.
std::string FormatTaskName(uint32_t n, uint32_t attributes);
std::string FormatSemaName(uint32_t n);
std::string FormatMboxName(uint32_t n);
std::string FormatPartName(uint32_t n);
std::string FormatQueueName(uint32_t n);
std::string FormatMutexName(uint32_t n);
std::string FormatPipeName(uint32_t n);
std::string FormatThreadName(uint32_t n);
std::string FormatExceptionName(uint32_t n);
std::string FormatLevelName(uint32_t n);
std::string FormatEventSourceName(uint32_t n);
std::string FormatCounterName(uint32_t n);
std::string FormatAlarmName(uint32_t n);
std::string FormatHandleText(int cls, uint32_t n);

// What one refresh of a task list reads once for all its rows: the current task, and the owners of the
// event semaphores (every mailbox, partition, queue, mutex and alarm), gathered when a row first needs
// them. Made afresh for each refresh.
class TaskStatusContext {
public:
    struct Owner {
        ObjectKind kind;
        uint32_t object;
        const char* tag; // "<MNE>"
    };
    uint32_t currentTask();
    // The owners of an event semaphore, in the order the status lists them.
    const std::vector<Owner>& ownersOf(uint32_t semaphore);
    // True when the scan for owners was cut (stale counts, or more owner objects than one refresh reads).
    bool ownersCut() const { return m_ownersCut; }

private:
    void gatherOwners();
    std::optional<uint32_t> m_current;
    bool m_ownersGathered = false;
    bool m_ownersCut = false;
    std::unordered_map<uint32_t, std::vector<Owner>> m_owners;
};

std::string FormatTaskStatus(uint32_t task, const TaskRecord& record, const ClassCounts& taskCounts);
std::string FormatTaskStatus(uint32_t task, const TaskRecord& record, const ClassCounts& taskCounts,
                             TaskStatusContext& context);
// The waiter lists give the number of waiters listed through `count` when it is not null.
std::string SemaphoreWaitersText(uint32_t semaphore, const std::string& tag, uint32_t* count = nullptr);
std::string MailboxWaitersText(uint32_t mailbox, const MailboxRecord& record, uint32_t* count = nullptr);
std::string MutexWaitersText(uint32_t mutex, const MutexRecord& record, uint32_t* count = nullptr);
std::string PartitionWaitersText(uint32_t partition, const PartitionRecord& record, uint32_t* count = nullptr);
std::string QueueWaitersText(uint32_t queue, const QueueRecord& record, uint32_t* count = nullptr);
std::string AlarmWaitersText(uint32_t alarm);
std::string FormatFullBuffersText(uint32_t pipe);
std::string FormatFreeBuffersText(uint32_t pipe);
std::string PartitionFreeBlocksText(uint32_t partition);
std::string QueueEntriesText(uint32_t queue);
std::string QueueSemaphoresText(uint32_t queue);

std::string RegisterValueText(uint32_t value, int digits, int secondRegister, bool placeholderWanted, int placeholderKind);
std::string TaskRegisterText(uint32_t task, int digits, int reg, int secondRegister, bool placeholderWanted,
                             int placeholderKind);
std::string FrameRegisterText(uint32_t context, int digits, int reg, int secondRegister, bool placeholderWanted,
                              int placeholderKind);

std::string DescribeDataFileError(int code);
// The text shown for a failed LoadKernelWorkspace: the data file reader's own message, naming the file
// and line, whenever the reader refused the file's content (codes 2 to 4 with no image loaded: not
// S-records, a bad line, too large); a missing file, a folder, a device or a FIFO is "file not found"
// (1); every other code as DescribeDataFileError.
std::string DescribeWorkspaceLoadError(int code);

} // namespace kernel
