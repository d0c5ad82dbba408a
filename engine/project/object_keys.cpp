#include "engine/project/object_keys.h"

#include <cstddef>

#include "engine/records/records.h"

namespace engine {
namespace {

using K = ObjectKeyKind;
using D = ObjectKeyDefault;

constexpr ObjectKey kLevelKeys[] = {
    {"Scheduling Policy", K::Integer, offsetof(LevelData, schedulingPolicy), D::Zero},
};
constexpr ObjectKey kThreadKeys[] = {
    {"Entry Point", K::Text, offsetof(ThreadData, entryPoint), D::Zero},
};
constexpr ObjectKey kExceptionKeys[] = {
    {"Interrupt Level", K::Integer, offsetof(ExceptionData, interruptLevel), D::Zero},
    {"Vector Number", K::Integer, offsetof(ExceptionData, vectorNumber), D::Zero},
    {"ISR Address", K::Text, offsetof(ExceptionData, isrAddress), D::Zero},
};
constexpr ObjectKey kCounterKeys[] = {
    {"Modulus", K::Integer, offsetof(CounterData, modulus), D::Zero},
    {"System Timebase", K::Flag, offsetof(CounterData, systemTimebase), D::Zero},
    {"Tickslice Counter", K::Flag, offsetof(CounterData, ticksliceCounter), D::Zero},
};
constexpr ObjectKey kAlarmKeys[] = {
    {"Initial Count", K::Integer, offsetof(AlarmData, initialCount), D::Zero},
    {"Recycle Count", K::Integer, offsetof(AlarmData, recycleCount), D::Zero},
    {"Initial Expression", K::Text, offsetof(AlarmData, initialExpression), D::Zero},
    {"Recycle Expression", K::Text, offsetof(AlarmData, recycleExpression), D::Zero},
};
constexpr ObjectKey kPipeKeys[] = {
    {"Number of Buffers", K::Size, offsetof(PipeData, numberOfBuffers), D::Zero},
    {"Max Buffer Size", K::Size, offsetof(PipeData, maxBufferSize), D::Zero},
    {"Number of Buffers Expression", K::Text, offsetof(PipeData, numberOfBuffersExpression), D::Zero},
    {"Max Buffer Size Expression", K::Text, offsetof(PipeData, maxBufferSizeExpression), D::Zero},
    {"Alignment", K::Size, offsetof(PipeData, alignment), D::KernelAlignment},
    {"Manual", K::Integer, offsetof(PipeData, manual), D::Zero},
    {"Label", K::Text, offsetof(PipeData, label), D::Zero},
    {"Suppress Buffer Allocation", K::Integer, offsetof(PipeData, suppressBufferAllocation), D::Zero},
};
constexpr ObjectKey kTaskKeys[] = {
    {"Entry Point", K::Text, offsetof(TaskData, entryPoint), D::Zero},
    {"Initial Priority", K::Integer, offsetof(TaskData, initialPriority), D::Zero},
    {"Stack Size", K::Size, offsetof(TaskData, stackSize), D::Zero},
    {"Starting Order Number", K::Integer, offsetof(TaskData, startingOrder), D::Zero},
    {"Extended Context", K::ContextFlags, offsetof(TaskData, extendedContext), D::KernelRows},
    {"Manual", K::Integer, offsetof(TaskData, manual), D::Zero},
    {"Label", K::Text, offsetof(TaskData, label), D::Zero},
    {"Attribute", K::AttributeFlags, offsetof(TaskData, attributes), D::KernelRows},
};
constexpr ObjectKey kSemaphoreKeys[] = {
    {"Signal Type", K::Integer, offsetof(SemaphoreData, signalType), D::Zero},
    {"Waiting Order", K::Integer, offsetof(SemaphoreData, waitingOrder), D::Zero},
};
constexpr ObjectKey kQueueKeys[] = {
    {"Width", K::Size, offsetof(QueueData, width), D::Zero},
    {"Depth", K::Size, offsetof(QueueData, depth), D::Zero},
    {"Waiting Order", K::Integer, offsetof(QueueData, waitingOrder), D::Zero},
    {"Width Expression", K::Text, offsetof(QueueData, widthExpression), D::Zero},
    {"Depth Expression", K::Text, offsetof(QueueData, depthExpression), D::Zero},
    {"Alignment", K::Size, offsetof(QueueData, alignment), D::KernelAlignment},
    {"Manual", K::Integer, offsetof(QueueData, manual), D::Zero},
    {"Label", K::Text, offsetof(QueueData, label), D::Zero},
};
constexpr ObjectKey kMailboxKeys[] = {
    {"Waiting Order", K::Integer, offsetof(MailboxData, waitingOrder), D::Zero},
};
constexpr ObjectKey kPartitionKeys[] = {
    {"Block Size", K::Size, offsetof(PartitionData, blockSize), D::Zero},
    {"Number of Blocks", K::Size, offsetof(PartitionData, numberOfBlocks), D::Zero},
    {"Waiting Order", K::Integer, offsetof(PartitionData, waitingOrder), D::Zero},
    {"Block Size Expression", K::Text, offsetof(PartitionData, blockSizeExpression), D::Zero},
    {"Number of Blocks Expression", K::Text, offsetof(PartitionData, numberOfBlocksExpression), D::Zero},
    {"Alignment", K::Size, offsetof(PartitionData, alignment), D::KernelAlignment},
    {"Manual", K::Integer, offsetof(PartitionData, manual), D::Zero},
    {"Label", K::Text, offsetof(PartitionData, label), D::Zero},
};
constexpr ObjectKey kMutexKeys[] = {
    {"Priority Inversion", K::Integer, offsetof(MutexData, priorityInversion), D::Zero},
    {"Waiting Order", K::Integer, offsetof(MutexData, waitingOrder), D::Zero},
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

const char* objectClassWord(int32_t classType)
{
    switch (classType) {
    case ClassLevel: return "Level";
    case ClassThread: return "Thread";
    case ClassException: return "Exception";
    case ClassCounter: return "Counter";
    case ClassAlarm: return "Alarm";
    case ClassPipe: return "Pipe";
    case ClassTask: return "Task";
    case ClassSemaphore: return "Semaphore";
    case ClassQueue: return "Queue";
    case ClassMailbox: return "Mailbox";
    case ClassPartition: return "Partition";
    case ClassMutex: return "Mutex";
    default: return "";
    }
}

}  // namespace engine
