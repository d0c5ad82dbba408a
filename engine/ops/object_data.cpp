// The class-specific data block of an object, created with its class defaults.

#include "engine/ops/project_manager.h"
#include "engine/records/counted_array.h"

#include <cstdlib>

namespace engine {

int32_t ProjectManager::GetObjectDataSize(const ApplicationClassEntry& entry)
{
    return objectDataSize(entry.classType);
}

// The object's data pointer must not hold a block of its own: it is overwritten, not freed.
bool ProjectManager::AllocateObjectData(const CpuRecord& cpu, const ApplicationClassEntry& entry, ObjectRecord& object,
                                        int32_t* sizeOut)
{
    const int32_t size = objectDataSize(entry.classType);
    if (sizeOut)
        *sizeOut = size;
    object.data = nullptr;
    if (size == 0)
        return true;
    void* block = std::calloc(1, static_cast<std::size_t>(size));
    if (!block)
        return false;
    const KernelRecord& kernel = cpu.kernel;
    switch (entry.classType) {
    case ClassCounter:
        static_cast<CounterData*>(block)->modulus = 1;
        break;
    case ClassAlarm:
        static_cast<AlarmData*>(block)->recycleCount = 1;
        break;
    case ClassPipe:
        static_cast<PipeData*>(block)->alignment = kernel.defaultAlignment;
        break;
    case ClassQueue:
        static_cast<QueueData*>(block)->alignment = kernel.defaultAlignment;
        break;
    case ClassPartition:
        static_cast<PartitionData*>(block)->alignment = kernel.defaultAlignment;
        break;
    case ClassTask: {
        auto* task = static_cast<TaskData*>(block);
        task->stackSize = kernel.minTaskStackSize;
        for (int i = 0; i < kMaxExtendedContexts; ++i)
            task->extendedContext[i] = kernel.extendedContexts[i].taskDefault;
        for (int i = 0; i < kMaxTaskAttributes; ++i)
            task->attributes[i] = kernel.taskAttributes[i].defaultEnable;
        break;
    }
    default:  // every other field of every block starts at zero or empty
        break;
    }
    object.data = block;
    return true;
}

}  // namespace engine
