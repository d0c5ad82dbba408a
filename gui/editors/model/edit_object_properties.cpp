#include "gui/editors/model/edit_object_properties.h"

#include <cstring>
#include <vector>

#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "gui/editors/model/object_dialog_factory.h"

namespace editors {

namespace {

// Frees the application snapshot however the edit ends.
class Snapshot {
public:
    Snapshot() { engine::ProjectManager::InitApplicationRecord(m_copy); }
    ~Snapshot() { engine::ProjectManager::FreeApplication(m_copy); }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    engine::ApplicationRecord& record() { return m_copy; }

private:
    engine::ApplicationRecord m_copy{};
};

// The entry one level above in the entry's chain, or null for an entry of the application's array.
engine::ApplicationClassEntry* parentEntryOf(engine::ApplicationRecord& application,
                                             const engine::ApplicationClassEntry& entry)
{
    engine::ClassEntryPlace place;
    if (!engine::FindClassEntryInApplication(application, entry, place) || place.depth <= 0 || !place.head)
        return nullptr;
    engine::ApplicationClassEntry* parent = place.head;
    for (int depth = 1; depth < place.depth && parent; ++depth)
        parent = parent->chained;
    return parent;
}

// A counter flag cleared by the rules, put back when a later pass is cancelled.
struct ClearedFlag {
    int32_t* flag;
    int32_t value;
};

// Clears one counter flag on every other counter under the parents' objects, one message per counter.
void keepOnOneCounter(engine::ApplicationClassEntry& parents, const engine::ObjectRecord& edited,
                      int32_t engine::CounterData::*flag, const char* format, std::vector<ClearedFlag>& cleared)
{
    const int32_t parentCount = parents.objects ? parents.objectCount : 0;
    for (int32_t i = 0; i < parentCount; ++i) {
        engine::ObjectRecord& parent = parents.objects[i];
        const int32_t childCount = parent.children ? parent.childCount : 0;
        for (int32_t j = 0; j < childCount; ++j) {
            engine::ObjectRecord& counter = parent.children[j];
            auto* data = static_cast<engine::CounterData*>(counter.data);
            if (&counter == &edited || !data || data->*flag == 0)
                continue;
            cleared.push_back({&(data->*flag), data->*flag});
            data->*flag = 0;
            showCheckMessage(engine::FormatText(format, engine::textString(counter.name).c_str()));
        }
    }
}

void applyCounterRules(engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                       engine::ObjectRecord& object, engine::ApplicationClassEntry* parents,
                       std::vector<ClearedFlag>& cleared)
{
    const auto* data = static_cast<const engine::CounterData*>(object.data);
    if (!data)
        return;
    if (!parents)
        parents = parentEntryOf(application, entry);
    if (!parents)
        return;
    if (data->systemTimebase != 0)
        keepOnOneCounter(*parents, object, &engine::CounterData::systemTimebase,
                         "The System Timebase attribute of counter \"%s\" has been disabled", cleared);
    if (data->ticksliceCounter != 0)
        keepOnOneCounter(*parents, object, &engine::CounterData::ticksliceCounter,
                         "The Tickslice Counter attribute of counter \"%s\" has been disabled", cleared);
}

// True when the edited MP name clashes with another MP-enabled object (the message is shown).
bool mpNameClashes(const engine::ProjectRecord& project, const engine::CpuRecord& cpu,
                   const engine::ApplicationRecord& application, const engine::ApplicationClassEntry& entry,
                   const engine::ObjectRecord& object)
{
    if (application.isMp == 0 || !engine::IsCpuMpEnabled(cpu) || entry.classType == engine::ClassLevel ||
        object.isMp == 0)
        return false;
    engine::ApplicationRecord* other = nullptr;
    if (!engine::FindGlobalNameConflict(project, object, &other))
        return false;
    showCheckMessage(engine::FormatText(
        "Object name \"%s\" cannot be accepted because another MP-enabled object with that name already exists "
        "under application \"%s\"",
        engine::textString(object.name).c_str(), other ? engine::textString(other->name).c_str() : ""));
    return true;
}

} // namespace

int EditObjectProperties(const engine::ProjectRecord& project, engine::CpuRecord& cpu,
                         engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                         engine::ObjectRecord& object, engine::ApplicationClassEntry* counterParents,
                         const ObjectDialogRunner& run)
{
    Snapshot snapshot;
    if (!engine::ProjectManager::CloneApplication(cpu, snapshot.record(), application))
        return ResultCancel;

    // The whole record (its size on this platform, pointers included) and the block it points to.
    const engine::ObjectRecord savedObject = object;
    const std::vector<unsigned char> savedBlock = CopyOfDataBlock(entry, object);

    std::vector<ClearedFlag> cleared;
    int result = ResultCancel;
    // Each pass runs a fresh dialog on the records as the previous pass left them.
    for (;;) {
        std::unique_ptr<ObjectDialogModel> model = makeObjectDialogModel(cpu, application, entry, object);
        if (!model || !run)
            break;
        result = run(*model) == ResultOk ? ResultOk : ResultCancel;
        if (result == ResultOk && entry.classType == engine::ClassCounter)
            applyCounterRules(application, entry, object, counterParents, cleared);
        // An edit the project could not be saved and opened again with is not kept: the dialog asks again.
        if (result != ResultOk || (!mpNameClashes(project, cpu, application, entry, object) && projectKeepsEdit(project)))
            break;
    }

    if (result == ResultCancel) {
        // A pass after an MP name clash may be cancelled: the other counters get their flags back too.
        for (auto it = cleared.rbegin(); it != cleared.rend(); ++it)
            *it->flag = it->value;
        object = savedObject;
        if (!savedBlock.empty() && object.data)
            std::memcpy(object.data, savedBlock.data(), savedBlock.size());
    } else if (application.edited == 0) {
        application.edited = engine::ProjectManager::ApplicationsDiffer(application, snapshot.record()) ? 1 : 0;
    }
    return result;
}

} // namespace editors
