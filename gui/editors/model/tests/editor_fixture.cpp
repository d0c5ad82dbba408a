#include "gui/editors/model/tests/editor_fixture.h"

#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/project_file.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace editors::test {

namespace {

const char* const kClassNames[] = {"Level", "Thread",    "Exception", "Event Source", "Counter",
                                   "Alarm", "Pipe",      "Task",      "Semaphore",    "Queue",
                                   "Mailbox", "Partition", "Mutex",   "Special Service"};

engine::ApplicationClassEntry* newChained(int32_t classType)
{
    auto* entry = static_cast<engine::ApplicationClassEntry*>(std::calloc(1, sizeof(engine::ApplicationClassEntry)));
    entry->classType = classType;
    entry->enabled = 1;
    entry->systemTrace = 1;
    entry->maxKeyLength = 16;
    engine::setText(entry->name, kClassNames[classType - 1]);
    return entry;
}

} // namespace

EditorFixture::EditorFixture()
{
    engine::ProjectManager::ResetProject(m_project, true);
    engine::CpuRecord& c = *engine::appendRow(m_project.cpuCount, m_project.cpus);
    engine::KernelRecord& k = c.kernel;
    engine::CpuRecordHandler::ResetKernelRecord(k, true);
    engine::setText(c.name, "Main");
    k.enableTrace = 1;
    k.minIsrLevel = 1;
    k.maxIsrLevel = 7;
    k.minIsrVector = 0;
    k.maxIsrVector = 255;
    k.minTaskStackSize = 128;
    k.maxTaskStackSize = 4096;
    k.taskStackModulus = k.taskStackModulus2 = 8;
    k.maxQueueWidth = 64;
    k.maxQueueDepth = 32;
    k.defaultAlignment = 4;
    k.enableAlignment = 1;
    k.framework = 0x2;
    k.featureMask = 0x7;  // the model offers the variant the kernel uses
    engine::setText(k.sizeUnitName, "bytes");
    k.extendedContextCount = 2;
    engine::setText(k.extendedContexts[0].description, "Floating point");
    engine::setText(k.extendedContexts[1].description, "Signal processor");
    k.taskAttributeCount = 1;
    engine::setText(k.taskAttributes[0].name, "Privilege");
    engine::setText(k.taskAttributes[0].enabledName, "Privileged");
    engine::setText(k.taskAttributes[0].disabledName, "User");
    for (int32_t type = 1; type <= 14; ++type) {
        engine::KernelClassRecord* row = engine::appendRow(k.classCount, k.classes);
        row->classType = type;
        engine::setText(row->name, kClassNames[type - 1]);
        row->maximum = 10;
        row->available = row->selected = 1;
    }

    engine::ApplicationRecord& a = *engine::appendRow(c.applicationCount, c.applications);
    engine::ResetApplicationRecord(a, c);
    engine::setText(a.name, "control");
    a.extendedContext[0] = 1;
    for (int32_t type = 1; type <= 14; ++type) {
        if (engine::parentClassType(type) != 0)
            continue;
        engine::ApplicationClassEntry* entry = engine::appendRow(a.classEntryCount, a.classEntries);
        entry->classType = type;
        entry->enabled = 1;
        entry->systemTrace = 1;
        entry->maxKeyLength = 16;
        engine::setText(entry->name, kClassNames[type - 1]);
    }
    // Chains: Level -> Thread, Event Source -> Counter -> Alarm.
    for (int32_t i = 0; i < a.classEntryCount; ++i) {
        engine::ApplicationClassEntry* link = &a.classEntries[i];
        while (engine::dependentClassType(link->classType) != 0) {
            link->chained = newChained(engine::dependentClassType(link->classType));
            link = link->chained;
        }
    }
}

EditorFixture::~EditorFixture()
{
    engine::ProjectManager::FreeProject(m_project);
}

engine::ApplicationClassEntry& EditorFixture::entry(int32_t classType)
{
    engine::ApplicationClassEntry* found = engine::FindApplicationClassEntryByType(app(), classType);
    EXPECT_NE(found, nullptr) << classType;
    return *found;
}

engine::ObjectRecord& EditorFixture::addObject(int32_t classType, const std::string& name,
                                               engine::ObjectRecord* parent)
{
    engine::ApplicationClassEntry& classEntry = entry(classType);
    engine::ObjectRecord* object = parent ? engine::appendRow(parent->childCount, parent->children)
                                          : engine::appendRow(classEntry.objectCount, classEntry.objects);
    engine::setText(object->name, name);
    object->enabled = 1;
    EXPECT_TRUE(engine::ProjectManager::AllocateObjectData(cpu(), classEntry, *object));
    return *object;
}

void EditorFixture::clearDirty()
{
    engine::ForEachApplicationClassEntry(app(), [](engine::ApplicationClassEntry& e) {
        e.cFileDirty = e.hFileDirty = e.mFileDirty = 0;
        return 0;
    });
    app().edited = 0;
}

} // namespace editors::test
