#include "engine/project/object_keys.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "engine/names/identifier.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/records/text_field.h"
#include "engine/records/model_bounds.h"
#include "engine/records/records.h"

namespace engine {
namespace {

using K = ObjectKeyKind;
using D = ObjectKeyDefault;
using B = ObjectKeyBound;
using S = ObjectKeySymbol;

using fields::count;
using fields::flag;
using fields::integer;
using fields::size;
using fields::text;
// The order in which a task starts among the application's tasks, as the Task dialog takes it.
constexpr FieldDescription kStartingOrder{"Starting Order Number", FieldType::Signed, -99, 99, true, false};
// A counter's modulus: never 0, as the Counter dialog keeps it and a new counter starts with 1.
constexpr FieldDescription kModulus{"Modulus", FieldType::Unsigned, 1, UINT32_MAX, true, false};
// A size or a count the dialogs hold to at least 1.
constexpr FieldDescription positive(const char* key) { return {key, FieldType::Unsigned, 1, UINT32_MAX, true, false}; }
// A task's priority, as the Task dialog takes it.
constexpr FieldDescription kInitialPriority{"Initial Priority", FieldType::Signed, 1, 126, true, false};
// A choice between two radio buttons: 0 for the first, 1 for the second.
constexpr FieldDescription choice(const char* key) { return {key, FieldType::Signed, 0, 1, true, false}; }
// The task's rows of extended-context and attribute flags.
constexpr FieldDescription rows(const char* key) { return fields::flags(key); }

constexpr ObjectKey kLevelKeys[] = {
    {choice("Scheduling Policy"), K::Number, offsetof(LevelData, schedulingPolicy), D::Zero},
};
constexpr ObjectKey kThreadKeys[] = {
    {text("Entry Point"), K::Text, offsetof(ThreadData, entryPoint), D::Zero, B::Fixed, S::EntryPoint},
};
constexpr ObjectKey kExceptionKeys[] = {
    {integer("Interrupt Level"), K::Number, offsetof(ExceptionData, interruptLevel), D::Zero, B::IsrLevel},
    {integer("Vector Number"), K::Number, offsetof(ExceptionData, vectorNumber), D::Zero, B::IsrVector},
    {text("ISR Address"), K::Text, offsetof(ExceptionData, isrAddress), D::Zero, B::Fixed, S::EntryPoint},
};
constexpr ObjectKey kCounterKeys[] = {
    {kModulus, K::Number, offsetof(CounterData, modulus), D::Zero},
    {flag("System Timebase"), K::Flag, offsetof(CounterData, systemTimebase), D::Zero},
    {flag("Tickslice Counter"), K::Flag, offsetof(CounterData, ticksliceCounter), D::Zero},
};
constexpr ObjectKey kAlarmKeys[] = {
    {positive("Initial Count"), K::Number, offsetof(AlarmData, initialCount), D::Zero},
    {count("Recycle Count"), K::Number, offsetof(AlarmData, recycleCount), D::Zero},
    {text("Initial Expression"), K::Text, offsetof(AlarmData, initialExpression), D::Zero},
    {text("Recycle Expression"), K::Text, offsetof(AlarmData, recycleExpression), D::Zero},
};
constexpr ObjectKey kPipeKeys[] = {
    {positive("Number of Buffers"), K::Number, offsetof(PipeData, numberOfBuffers), D::Zero},
    {count("Max Buffer Size"), K::Number, offsetof(PipeData, maxBufferSize), D::Zero},
    {text("Number of Buffers Expression"), K::Text, offsetof(PipeData, numberOfBuffersExpression), D::Zero},
    {text("Max Buffer Size Expression"), K::Text, offsetof(PipeData, maxBufferSizeExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(PipeData, alignment), D::KernelAlignment, B::Alignment},
    {choice("Manual"), K::Number, offsetof(PipeData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(PipeData, label), D::Zero, B::Fixed, S::Label},
    {choice("Suppress Buffer Allocation"), K::Number, offsetof(PipeData, suppressBufferAllocation), D::Zero},
};
constexpr ObjectKey kTaskKeys[] = {
    {text("Entry Point"), K::Text, offsetof(TaskData, entryPoint), D::Zero, B::Fixed, S::EntryPoint},
    {kInitialPriority, K::Number, offsetof(TaskData, initialPriority), D::Zero},
    {size("Stack Size"), K::Number, offsetof(TaskData, stackSize), D::Zero, B::TaskStack},
    {kStartingOrder, K::Number, offsetof(TaskData, startingOrder), D::Zero},
    {rows("Extended Context"), K::ContextFlags, offsetof(TaskData, extendedContext), D::KernelRows},
    {choice("Manual"), K::Number, offsetof(TaskData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(TaskData, label), D::Zero, B::Fixed, S::Label},
    {rows("Attribute"), K::AttributeFlags, offsetof(TaskData, attributes), D::KernelRows},
};
constexpr ObjectKey kSemaphoreKeys[] = {
    {choice("Signal Type"), K::Number, offsetof(SemaphoreData, signalType), D::Zero},
    {choice("Waiting Order"), K::Number, offsetof(SemaphoreData, waitingOrder), D::Zero, B::WaitingOrder},
};
constexpr ObjectKey kQueueKeys[] = {
    {size("Width"), K::Number, offsetof(QueueData, width), D::Zero, B::QueueWidth},
    {size("Depth"), K::Number, offsetof(QueueData, depth), D::Zero, B::QueueDepth},
    {choice("Waiting Order"), K::Number, offsetof(QueueData, waitingOrder), D::Zero},
    {text("Width Expression"), K::Text, offsetof(QueueData, widthExpression), D::Zero},
    {text("Depth Expression"), K::Text, offsetof(QueueData, depthExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(QueueData, alignment), D::KernelAlignment, B::Alignment},
    {choice("Manual"), K::Number, offsetof(QueueData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(QueueData, label), D::Zero, B::Fixed, S::Label},
};
constexpr ObjectKey kMailboxKeys[] = {
    {choice("Waiting Order"), K::Number, offsetof(MailboxData, waitingOrder), D::Zero},
};
constexpr ObjectKey kPartitionKeys[] = {
    {positive("Block Size"), K::Number, offsetof(PartitionData, blockSize), D::Zero},
    {positive("Number of Blocks"), K::Number, offsetof(PartitionData, numberOfBlocks), D::Zero},
    {choice("Waiting Order"), K::Number, offsetof(PartitionData, waitingOrder), D::Zero},
    {text("Block Size Expression"), K::Text, offsetof(PartitionData, blockSizeExpression), D::Zero},
    {text("Number of Blocks Expression"), K::Text, offsetof(PartitionData, numberOfBlocksExpression), D::Zero},
    {count("Alignment"), K::Number, offsetof(PartitionData, alignment), D::KernelAlignment, B::Alignment},
    {choice("Manual"), K::Number, offsetof(PartitionData, manual), D::Zero},
    {text("Label"), K::Text, offsetof(PartitionData, label), D::Zero, B::Fixed, S::Label},
};
constexpr ObjectKey kMutexKeys[] = {
    {choice("Priority Inversion"), K::Number, offsetof(MutexData, priorityInversion), D::Zero},
    {choice("Waiting Order"), K::Number, offsetof(MutexData, waitingOrder), D::Zero, B::WaitingOrder},
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


namespace {

// The number the class's key `name` holds in the object's data block; 0 without one.
int32_t keyValueOf(int32_t classType, const void* block, std::string_view name)
{
    int32_t value = 0;
    for (const ObjectKey& key : objectKeysOfClass(classType)) {
        if (block != nullptr && std::string_view(key.field.key) == name)
            std::memcpy(&value, static_cast<const char*>(block) + key.offset, sizeof value);
    }
    return value;
}

// The class's "Manual" key in the object's data block; 0 without one.
int32_t manualOf(int32_t classType, const void* block)
{
    return keyValueOf(classType, block, "Manual");
}

}  // namespace

int objectSymbolLimit(int32_t classType, const ObjectKey& key)
{
    return key.symbol == ObjectKeySymbol::Label && classType != ClassTask ? kPlacementLabelLimit : INT32_MAX;
}

bool objectSymbolApplies(int32_t classType, const ObjectKey& key, const void* block)
{
    return key.symbol == ObjectKeySymbol::EntryPoint ||
           (key.symbol == ObjectKeySymbol::Label && manualOf(classType, block) != 0);
}

std::string objectSymbolProblem(ApplicationRecord& application, int32_t classType, const ObjectRecord& object,
                                const ObjectKey& key)
{
    if (!objectSymbolApplies(classType, key, object.data))
        return {};
    const std::string text(textOf(static_cast<const char*>(object.data) + key.offset, kNameSize));
    std::string identifier = text;
    if (MakeValidIdentifier(identifier, objectSymbolLimit(classType, key)) != IdentifierValid)
        return "is not an identifier" + std::string(key.symbol == ObjectKeySymbol::Label && classType != ClassTask
                                                        ? " of at most " + std::to_string(kPlacementLabelLimit) +
                                                              " characters"
                                                        : "");
    if (text == textOf(object.name))
        return "is the object's own name";
    // Another object's name or symbol, whether or not its class is enabled now.
    std::string clash;
    VisitApplicationObjects(application, [&](const ObjectPlace& place) {
        if (place.object == &object)
            return 0;
        if (textOf(place.object->name) == text) {
            clash = "is also the name of object \"" + text + "\"";
            return 1;
        }
        for (const ObjectKey& other : objectKeysOfClass(place.entry->classType)) {
            if (place.object->data == nullptr || !objectSymbolApplies(place.entry->classType, other, place.object->data) ||
                textOf(static_cast<const char*>(place.object->data) + other.offset, kNameSize) != text)
                continue;
            clash = "is also the \"" + std::string(other.field.key) + "\" of object \"" +
                    std::string(textOf(place.object->name)) + "\"";
            return 1;
        }
        return 0;
    });
    return clash;
}

const ObjectKey* objectKeyAt(int32_t classType, std::size_t offset)
{
    for (const ObjectKey& key : objectKeysOfClass(classType)) {
        if (key.offset == offset)
            return &key;
    }
    return nullptr;
}

ObjectKeyRange objectKeyRange(const CpuRecord& cpu, int32_t classType, const ObjectKey& key, const void* block)
{
    const KernelRecord& kernel = cpu.kernel;
    ObjectKeyRange range{key.field.minimum, key.field.maximum};
    switch (key.bound) {
    case ObjectKeyBound::Fixed:
        break;
    case ObjectKeyBound::QueueWidth:
        range.minimum = 1;
        range.maximum = kernel.maxQueueWidth;
        break;
    case ObjectKeyBound::QueueDepth:
        range.minimum = 1;
        range.maximum = kernel.maxQueueDepth;
        break;
    case ObjectKeyBound::IsrLevel:
        range.minimum = kernel.minIsrLevel;
        range.maximum = kernel.maxIsrLevel;
        break;
    case ObjectKeyBound::IsrVector:
        range.minimum = kernel.minIsrVector;
        range.maximum = kernel.maxIsrVector;
        range.none = true;
        break;
    case ObjectKeyBound::TaskStack:
        range.minimum = kernel.minTaskStackSize;
        range.maximum = kernel.maxTaskStackSize >= kernel.minTaskStackSize ? kernel.maxTaskStackSize : INT32_MAX;
        range.modulus = static_cast<std::uint32_t>(kernel.taskStackModulus);
        break;
    case ObjectKeyBound::Alignment: {
        // A positive signed number, where it applies.
        range.minimum = 1;
        range.maximum = INT32_MAX;
        range.applies = manualOf(classType, block) == 0 && CpuSupportsPlacementOption(&cpu);
        break;
    }
    case ObjectKeyBound::WaitingOrder:
        if (classType == ClassMutex && keyValueOf(classType, block, "Priority Inversion") != 0)
            range.maximum = 0;
        else if (classType == ClassSemaphore && keyValueOf(classType, block, "Signal Type") == 1)
            range.minimum = 1;
        break;
    }
    return range;
}

bool objectKeyValueInRange(const ObjectKeyRange& range, const FieldDescription& field, std::int32_t value)
{
    if (!range.applies || (range.none && value == -1))
        return true;
    const std::int64_t read = field.type == FieldType::Unsigned ? std::int64_t{static_cast<std::uint32_t>(value)}
                                                                 : std::int64_t{value};
    return read >= range.minimum && read <= range.maximum;
}

bool objectKeyValueMeetsModulus(const ObjectKeyRange& range, std::int32_t value)
{
    return !range.applies || stackMeetsModulus(value, static_cast<int32_t>(range.modulus));
}

std::string objectKeyRangeText(const ObjectKeyRange& range)
{
    return std::to_string(range.minimum) + " to " + std::to_string(range.maximum) + (range.none ? ", or -1" : "");
}

}  // namespace engine
