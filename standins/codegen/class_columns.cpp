#include "class_columns.h"

#include "c_text.h"

#include <cstring>

namespace codegen {

namespace {

using namespace engine;

#define NUMBER(Block, member) \
    ClassColumn { #member, [](const void* d) -> int32_t { return static_cast<const Block*>(d)->member; }, nullptr, 0 }
#define NUMBER_AT(Block, member, index, label) \
    ClassColumn { label, [](const void* d) -> int32_t { return static_cast<const Block*>(d)->member[index]; }, nullptr, 0 }
#define TEXT(Block, member) \
    ClassColumn { #member, nullptr, [](const void* d) -> const char* { return static_cast<const Block*>(d)->member; }, \
                  sizeof(Block::member) }

const ClassColumn kLevel[] = {NUMBER(LevelData, schedulingPolicy)};
const ClassColumn kThread[] = {TEXT(ThreadData, entryPoint)};
const ClassColumn kException[] = {NUMBER(ExceptionData, interruptLevel), NUMBER(ExceptionData, vectorNumber),
                                  TEXT(ExceptionData, isrAddress)};
const ClassColumn kCounter[] = {NUMBER(CounterData, modulus), NUMBER(CounterData, systemTimebase),
                                NUMBER(CounterData, ticksliceCounter)};
const ClassColumn kAlarm[] = {NUMBER(AlarmData, initialCount), NUMBER(AlarmData, recycleCount),
                              TEXT(AlarmData, initialExpression), TEXT(AlarmData, recycleExpression)};
const ClassColumn kPipe[] = {NUMBER(PipeData, numberOfBuffers), TEXT(PipeData, numberOfBuffersExpression),
                             NUMBER(PipeData, maxBufferSize), TEXT(PipeData, maxBufferSizeExpression),
                             NUMBER(PipeData, alignment), NUMBER(PipeData, manual), TEXT(PipeData, label),
                             NUMBER(PipeData, suppressBufferAllocation)};
const ClassColumn kTask[] = {TEXT(TaskData, entryPoint),
                             NUMBER(TaskData, initialPriority),
                             NUMBER(TaskData, stackSize),
                             NUMBER(TaskData, startingOrder),
                             NUMBER_AT(TaskData, extendedContext, 0, "extendedContext0"),
                             NUMBER_AT(TaskData, extendedContext, 1, "extendedContext1"),
                             NUMBER_AT(TaskData, extendedContext, 2, "extendedContext2"),
                             NUMBER_AT(TaskData, extendedContext, 3, "extendedContext3"),
                             NUMBER(TaskData, manual),
                             TEXT(TaskData, label),
                             NUMBER_AT(TaskData, attributes, 0, "attribute0"),
                             NUMBER_AT(TaskData, attributes, 1, "attribute1"),
                             NUMBER_AT(TaskData, attributes, 2, "attribute2"),
                             NUMBER_AT(TaskData, attributes, 3, "attribute3")};
const ClassColumn kSemaphore[] = {NUMBER(SemaphoreData, signalType), NUMBER(SemaphoreData, waitingOrder)};
const ClassColumn kQueue[] = {NUMBER(QueueData, width),        TEXT(QueueData, widthExpression),
                              NUMBER(QueueData, depth),        TEXT(QueueData, depthExpression),
                              NUMBER(QueueData, waitingOrder), NUMBER(QueueData, manual),
                              NUMBER(QueueData, alignment),    TEXT(QueueData, label)};
const ClassColumn kMailbox[] = {NUMBER(MailboxData, waitingOrder)};
const ClassColumn kPartition[] = {NUMBER(PartitionData, blockSize),     TEXT(PartitionData, blockSizeExpression),
                                  NUMBER(PartitionData, numberOfBlocks), TEXT(PartitionData, numberOfBlocksExpression),
                                  NUMBER(PartitionData, waitingOrder),  NUMBER(PartitionData, manual),
                                  NUMBER(PartitionData, alignment),     TEXT(PartitionData, label)};
const ClassColumn kMutex[] = {NUMBER(MutexData, priorityInversion), NUMBER(MutexData, waitingOrder)};

#undef NUMBER
#undef NUMBER_AT
#undef TEXT

std::string textOf(const ClassColumn& column, const void* data)
{
    if (!data || !column.text)
        return {};
    const char* field = column.text(data);
    return std::string(field, strnlen(field, column.textSize));
}

} // namespace

std::span<const ClassColumn> classColumns(int32_t classType)
{
    switch (classType) {
    case ClassLevel: return kLevel;
    case ClassThread: return kThread;
    case ClassException: return kException;
    case ClassCounter: return kCounter;
    case ClassAlarm: return kAlarm;
    case ClassPipe: return kPipe;
    case ClassTask: return kTask;
    case ClassSemaphore: return kSemaphore;
    case ClassQueue: return kQueue;
    case ClassMailbox: return kMailbox;
    case ClassPartition: return kPartition;
    case ClassMutex: return kMutex;
    default: return {};
    }
}

std::string columnLiteral(const ClassColumn& column, const void* data)
{
    if (column.number)
        return data ? std::to_string(column.number(data)) : "0";
    return cStringLiteral(textOf(column, data));
}

std::string columnText(const ClassColumn& column, const void* data)
{
    if (column.number)
        return data ? std::to_string(column.number(data)) : "0";
    return textOf(column, data);
}

} // namespace codegen
