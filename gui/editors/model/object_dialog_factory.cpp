#include "gui/editors/model/object_dialog_factory.h"

#include "gui/editors/model/object_models.h"

namespace editors {

namespace {

// Indexed by class type - 1. The Alarm dialog's template stands apart from the others.
const ObjectDialogKind kKinds[] = {
    {engine::ClassLevel, 135, "Level"},
    {engine::ClassThread, 136, "Thread"},
    {engine::ClassException, 137, "Exception"},
    {engine::ClassEventSource, 138, "Event Source"},
    {engine::ClassCounter, 139, "Counter"},
    {engine::ClassAlarm, 212, "Alarm"},
    {engine::ClassPipe, 141, "Pipe"},
    {engine::ClassTask, 142, "Task"},
    {engine::ClassSemaphore, 143, "Semaphore"},
    {engine::ClassQueue, 144, "Queue"},
    {engine::ClassMailbox, 145, "Mailbox"},
    {engine::ClassPartition, 146, "Partition"},
    {engine::ClassMutex, 147, "Mutex"},
    {engine::ClassSpecialService, 148, "Special Service"},
};

template <typename Model>
std::unique_ptr<ObjectDialogModel> make(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                        engine::ApplicationClassEntry& entry, engine::ObjectRecord& object,
                                        unsigned templateId)
{
    return std::make_unique<Model>(cpu, application, entry, object, templateId);
}

} // namespace

const ObjectDialogKind* objectDialogKind(int32_t classType)
{
    if (classType < engine::kFirstClassType || classType > engine::kLastClassType)
        return nullptr;
    return &kKinds[classType - engine::kFirstClassType];
}

std::string objectDialogTitle(const ObjectDialogKind& kind)
{
    return std::string(kind.className) + " Object Properties";
}

std::unique_ptr<ObjectDialogModel> makeObjectDialogModel(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                                         engine::ApplicationClassEntry& entry,
                                                         engine::ObjectRecord& object)
{
    const ObjectDialogKind* kind = objectDialogKind(entry.classType);
    if (!kind)
        return nullptr;
    const unsigned id = kind->templateId;
    switch (entry.classType) {
    case engine::ClassLevel: return make<LevelModel>(cpu, application, entry, object, id);
    case engine::ClassThread: return make<ThreadModel>(cpu, application, entry, object, id);
    case engine::ClassException: return make<ExceptionModel>(cpu, application, entry, object, id);
    case engine::ClassEventSource: return make<EventSourceModel>(cpu, application, entry, object, id);
    case engine::ClassCounter: return make<CounterModel>(cpu, application, entry, object, id);
    case engine::ClassAlarm: return make<AlarmModel>(cpu, application, entry, object, id);
    case engine::ClassPipe: return make<PipeModel>(cpu, application, entry, object, id);
    case engine::ClassTask: return make<TaskModel>(cpu, application, entry, object, id);
    case engine::ClassSemaphore: return make<SemaphoreModel>(cpu, application, entry, object, id);
    case engine::ClassQueue: return make<QueueModel>(cpu, application, entry, object, id);
    case engine::ClassMailbox: return make<MailboxModel>(cpu, application, entry, object, id);
    case engine::ClassPartition: return make<PartitionModel>(cpu, application, entry, object, id);
    case engine::ClassMutex: return make<MutexModel>(cpu, application, entry, object, id);
    case engine::ClassSpecialService: return make<SpecialServiceModel>(cpu, application, entry, object, id);
    default: return nullptr;
    }
}

} // namespace editors
