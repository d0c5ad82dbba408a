#include "engine/project/object_keys.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "engine/records/records.h"

namespace engine {
namespace {

using K = ObjectKeyKind;
using D = ObjectKeyDefault;

using fields::count;
using fields::flag;
using fields::integer;
using fields::size;
using fields::text;
// The order in which a task starts among the application's tasks, as the Task dialog takes it.
constexpr FieldDescription kStartingOrder{"Starting Order Number", FieldType::Signed, -99, 99, true, false};
// A counter's modulus: never 0, as the Counter dialog keeps it and a new counter starts with 1.
constexpr FieldDescription kModulus{"Modulus", FieldType::Unsigned, 1, UINT32_MAX, true, false};
// The task's rows of extended-context and attribute flags.
constexpr FieldDescription rows(const char* key) { return fields::flags(key); }

constexpr ObjectKey kLevelKeys[] = {
    {integer("Scheduling Policy"), K::Number, offsetof(LevelData, schedulingPolicy), D::Zero},
};
constexpr ObjectKey kThreadKeys[] = {
    {text("Entry Point"), K::Text, offsetof(ThreadData, entryPoint), D::Zero},
};
constexpr ObjectKey kExceptionKeys[] = {
    {integer("Interrupt Level"), K::Number, offsetof(ExceptionData, interruptLevel), D::Zero},
    {integer("Vector Number"), K::Number, offsetof(ExceptionData, vectorNumber), D::Zero},
    {text("ISR Address"), K::Text, offsetof(ExceptionData, isrAddress), D::Zero},
};
constexpr ObjectKey kCounterKeys[] = {
    {kModulus, K::Number, offsetof(CounterData, modulus), D::Zero},
    {flag("System Timebase"), K::Flag, offsetof(CounterData, systemTimebase), D::Zero},
    {flag("Tickslice Counter"), K::Flag, offsetof(CounterData, ticksliceCounter), D::Zero},
};
constexpr ObjectKey kAlarmKeys[] = {
    {count("Initial Count"), K::Number, offsetof(AlarmData, initialCount), D::Zero},
    {count("Recycle Count"), K::Number, offsetof(AlarmData, recycleCount), D::Zero},
    {text("Initial Expression"), K::Text, offsetof(AlarmData, initialExpression), D::Zero},
    {text("Recycle Expression"), K::Text, offsetof(AlarmData, recycleExpression), D::Zero},
};
constexpr ObjectKey kPipeKeys[] = {
    {count("Number of Buffers"), K::Number, offsetof(PipeData, numberOfBuffers), D::Zero},
    {count("Max Buffer Size"), K::Number, offsetof(PipeData, maxBufferSize), D::Zero},
    {text("Number of Buffers Expression"), K::Text, offsetof(PipeData, numberOfBuffersExpression), D::Zero},
    {text("Max Buffer Size Expression"), K::Text, offsetof(PipeData, maxBufferSizeExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(PipeData, alignment), D::KernelAlignment},
    {integer("Manual"), K::Number, offsetof(PipeData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(PipeData, label), D::Zero},
    {integer("Suppress Buffer Allocation"), K::Number, offsetof(PipeData, suppressBufferAllocation), D::Zero},
};
constexpr ObjectKey kTaskKeys[] = {
    {text("Entry Point"), K::Text, offsetof(TaskData, entryPoint), D::Zero},
    {integer("Initial Priority"), K::Number, offsetof(TaskData, initialPriority), D::Zero},
    {size("Stack Size"), K::Number, offsetof(TaskData, stackSize), D::Zero},
    {kStartingOrder, K::Number, offsetof(TaskData, startingOrder), D::Zero},
    {rows("Extended Context"), K::ContextFlags, offsetof(TaskData, extendedContext), D::KernelRows},
    {integer("Manual"), K::Number, offsetof(TaskData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(TaskData, label), D::Zero},
    {rows("Attribute"), K::AttributeFlags, offsetof(TaskData, attributes), D::KernelRows},
};
constexpr ObjectKey kSemaphoreKeys[] = {
    {integer("Signal Type"), K::Number, offsetof(SemaphoreData, signalType), D::Zero},
    {integer("Waiting Order"), K::Number, offsetof(SemaphoreData, waitingOrder), D::Zero},
};
constexpr ObjectKey kQueueKeys[] = {
    {size("Width"), K::Number, offsetof(QueueData, width), D::Zero},
    {size("Depth"), K::Number, offsetof(QueueData, depth), D::Zero},
    {integer("Waiting Order"), K::Number, offsetof(QueueData, waitingOrder), D::Zero},
    {text("Width Expression"), K::Text, offsetof(QueueData, widthExpression), D::Zero},
    {text("Depth Expression"), K::Text, offsetof(QueueData, depthExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(QueueData, alignment), D::KernelAlignment},
    {integer("Manual"), K::Number, offsetof(QueueData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(QueueData, label), D::Zero},
};
constexpr ObjectKey kMailboxKeys[] = {
    {integer("Waiting Order"), K::Number, offsetof(MailboxData, waitingOrder), D::Zero},
};
constexpr ObjectKey kPartitionKeys[] = {
    {count("Block Size"), K::Number, offsetof(PartitionData, blockSize), D::Zero},
    {count("Number of Blocks"), K::Number, offsetof(PartitionData, numberOfBlocks), D::Zero},
    {integer("Waiting Order"), K::Number, offsetof(PartitionData, waitingOrder), D::Zero},
    {text("Block Size Expression"), K::Text, offsetof(PartitionData, blockSizeExpression), D::Zero},
    {text("Number of Blocks Expression"), K::Text, offsetof(PartitionData, numberOfBlocksExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(PartitionData, alignment), D::KernelAlignment},
    {integer("Manual"), K::Number, offsetof(PartitionData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(PartitionData, label), D::Zero},
};
constexpr ObjectKey kMutexKeys[] = {
    {integer("Priority Inversion"), K::Number, offsetof(MutexData, priorityInversion), D::Zero},
    {integer("Waiting Order"), K::Number, offsetof(MutexData, waitingOrder), D::Zero},
};

}  // namespace

std::span<const ObjectKey> objectKeysOfClass(int32_t classType)
{
    switch (classType) {
    case ClassLevel: return kLevelKeys;
    case ClassThread: return kThreadKeys;
    case ClassException: return kExceptionKeys;
    case ClassCounter: return kCounterKeys;
    case ClassAlarm: return kAlarmKeys;
    case ClassPipe: return kPipeKeys;
    case ClassTask: return kTaskKeys;
    case ClassSemaphore: return kSemaphoreKeys;
    case ClassQueue: return kQueueKeys;
    case ClassMailbox: return kMailboxKeys;
    case ClassPartition: return kPartitionKeys;
    case ClassMutex: return kMutexKeys;
    default: return {};
    }
}

namespace {

// The word of each class by its number (none for Event Source and Special Service), with its length.
constexpr std::string_view kClassWords[] = {"",      "Level", "Thread",    "Exception", "",          "Counter",
                                            "Alarm", "Pipe",  "Task",      "Semaphore", "Queue",     "Mailbox",
                                            "Partition", "Mutex", ""};
static_assert(std::size(kClassWords) == kLastClassType + 1);

}  // namespace

int32_t classTypeOfWord(std::string_view word)
{
    for (int32_t type = kFirstClassType; type <= kLastClassType; ++type) {
        if (word == kClassWords[type])
            return type;
    }
    return 0;
}

const char* objectClassWord(int32_t classType)
{
    return classType >= kFirstClassType && classType <= kLastClassType ? kClassWords[classType].data() : "";
}

}  // namespace engine
