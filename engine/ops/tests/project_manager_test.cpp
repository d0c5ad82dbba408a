#include "engine/ops/attached_objects.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/ops/record_arrays.h"
#include "engine/ops/tests/record_builders.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"
#include "platform/core/message_service.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

using namespace engine;
using namespace engine::testing;

namespace {

// A project of one CPU with two applications, each with entries for every kernel class, objects with
// data blocks, children and grandchildren, option rows, user texts and a sectioned file.
class ProjectFixture : public ::testing::Test {
protected:
    void SetUp() override { buildProject(project); }

    static void buildProject(ProjectRecord& p)
    {
        ProjectManager::ResetProject(p, true);
        CpuRecord* cpu = AppendCpu(p);
        ASSERT_NE(cpu, nullptr);
        buildKernel(cpu->kernel);
        for (const char* name : {"alpha", "beta"})
            buildApplication(p.cpus[0], *AppendApplication(p.cpus[0]), name);
    }
    void TearDown() override { ProjectManager::FreeProject(project); }

    CpuRecord& cpu() { return project.cpus[0]; }
    ApplicationRecord& app() { return cpu().applications[0]; }

    static void buildApplication(CpuRecord& cpu, ApplicationRecord& application, std::string_view name)
    {
        setText(application.name, name);
        setText(application.path, std::string(name) + ".app");
        application.instances = 1;
        application.userTexts = new UserTextStore(&application, cpu.kernel, false);
        application.file = new SectionedFile(std::string(name) + ".app");
        application.file->FindOrAddSection("APPLICATION");
        ASSERT_TRUE(BuildApplicationOptionList(cpu, application));
        ProjectManager::AddDependentClassEntries(application, cpu);
        RepointUserTextOwners(cpu);

        ApplicationClassEntry* level = ProjectManager::FindClassEntryByName("Level", application);
        ApplicationClassEntry* source = ProjectManager::FindClassEntryByName("Event Source", application);
        ApplicationClassEntry* task = ProjectManager::FindClassEntryByName("Task", application);
        ASSERT_TRUE(level && source && task && level->chained && source->chained && source->chained->chained);
        addObject(cpu, *level, ObjectsOf(*level), "L1");
        addObject(cpu, *level->chained, ChildrenOf(level->objects[0]), "T1");
        addObject(cpu, *level->chained, ChildrenOf(level->objects[0]), "T2");
        addObject(cpu, *source, ObjectsOf(*source), "ES1");
        addObject(cpu, *source->chained, ChildrenOf(source->objects[0]), "C1");
        addObject(cpu, *source->chained->chained, ChildrenOf(source->objects[0].children[0]), "A1");
        addObject(cpu, *task, ObjectsOf(*task), "Task1");
        addObject(cpu, *task, ObjectsOf(*task), "Task2");
    }

    static void addObject(const CpuRecord& cpu, const ApplicationClassEntry& entry, ObjectArray array,
                          std::string_view name)
    {
        ObjectRecord* object = appendRow(*array.count, *array.rows);
        setText(object->name, name);
        object->enabled = 1;
        EXPECT_TRUE(ProjectManager::AllocateObjectData(cpu, entry, *object));
    }

    ProjectRecord project{};
};

// A copy of an application for the duration of a test.
struct AppCopy {
    ApplicationRecord record{};
    ~AppCopy() { ProjectManager::FreeApplication(record); }
};

TEST_F(ProjectFixture, DependentClassEntriesChainUnderTheirParents)
{
    ApplicationRecord& a = app();
    // Level, Event Source and Task at the top; Thread under Level, Counter and Alarm under Event Source.
    ASSERT_EQ(a.classEntryCount, 3);
    EXPECT_EQ(textOf(a.classEntries[0].name), "Level");
    EXPECT_EQ(textOf(a.classEntries[0].chained->name), "Thread");
    EXPECT_EQ(a.classEntries[1].classType, ClassEventSource);
    EXPECT_EQ(a.classEntries[1].chained->classType, ClassCounter);
    EXPECT_EQ(a.classEntries[1].chained->chained->classType, ClassAlarm);
    EXPECT_EQ(a.classEntries[2].classType, ClassTask);
    EXPECT_EQ(ProjectManager::FindClassEntryByName("Special Service", a), nullptr);
    const ApplicationClassEntry& thread = *a.classEntries[0].chained;
    EXPECT_EQ(thread.dynamicsAllowed, 1);  // a nested attribute carries ATTR_DYNAMICS
    EXPECT_EQ(a.classEntries[0].dynamicsAllowed, 0);
    EXPECT_EQ(thread.maxKeyLength, 8);
    EXPECT_EQ(thread.cFileDirty + thread.hFileDirty + thread.mFileDirty, 3);
    EXPECT_EQ(thread.enabled, 1);

    ProjectManager::AddDependentClassEntries(a, cpu());  // nothing left to add
    EXPECT_EQ(a.classEntryCount, 3);
    EXPECT_EQ(a.classEntries[1].chained->chained->chained, nullptr);

    classNamed(cpu().kernel, "Alarm").selected = 0;
    ProjectManager::UpdateClassEntryFlags(cpu());
    EXPECT_EQ(a.classEntries[1].chained->chained->enabled, 0);
    EXPECT_EQ(cpu().applications[1].classEntries[1].chained->chained->enabled, 0);
    EXPECT_EQ(a.classEntries[1].chained->enabled, 1);
    EXPECT_EQ(FindChainedClassEntryByName("Alarm", &a.classEntries[1]), a.classEntries[1].chained->chained);
}

TEST_F(ProjectFixture, ObjectDataTakesClassAndKernelDefaults)
{
    const ApplicationClassEntry* task = ProjectManager::FindClassEntryByName("Task", app());
    const auto* data = static_cast<const TaskData*>(task->objects[0].data);
    EXPECT_EQ(data->stackSize, 256);
    EXPECT_EQ(data->extendedContext[0], 1);
    EXPECT_EQ(data->extendedContext[1], 0);
    EXPECT_EQ(data->attributes[0], 1);
    EXPECT_EQ(static_cast<const CounterData*>(app().classEntries[1].objects[0].children[0].data)->modulus, 1);

    const std::pair<int32_t, int32_t> expected[] = {{ClassPipe, 404}, {ClassQueue, 404}, {ClassPartition, 404},
                                                    {ClassAlarm, 264}, {ClassEventSource, 0}, {99, 0}};
    for (const auto& [type, size] : expected) {
        ApplicationClassEntry entry{};
        entry.classType = type;
        ObjectRecord object{};
        int32_t reported = -1;
        ASSERT_TRUE(ProjectManager::AllocateObjectData(cpu(), entry, object, &reported));
        EXPECT_EQ(reported, size);
        EXPECT_EQ(ProjectManager::GetObjectDataSize(entry), size);
        if (type == ClassPipe) {
            EXPECT_EQ(static_cast<PipeData*>(object.data)->alignment, 4);
        } else if (type == ClassQueue) {
            EXPECT_EQ(static_cast<QueueData*>(object.data)->alignment, 4);
        } else if (type == ClassPartition) {
            EXPECT_EQ(static_cast<PartitionData*>(object.data)->alignment, 4);
        } else if (type == ClassAlarm) {
            EXPECT_EQ(static_cast<AlarmData*>(object.data)->recycleCount, 1);
        }
        EXPECT_EQ(object.data == nullptr, size == 0);
        ProjectManager::FreeObject(object);
    }
}

TEST_F(ProjectFixture, OptionRowsComeFromApplicationOptions)
{
    ASSERT_EQ(app().optionCount, 2);
    EXPECT_EQ(textOf(app().options[0].name), "APP_FLAG");  // matched by section name
    EXPECT_EQ(app().options[0].value, 0);
    EXPECT_EQ(app().options[0].state, 1);
    EXPECT_EQ(textOf(app().options[1].name), "APP_COUNT");
    EXPECT_EQ(app().options[1].value, 42);
    EXPECT_EQ(app().options[1].state, 1);

    // Options start from their defaults: an on/off option is on when its default is not 0, even with both
    // bounds 0 (as a model without "Minimum" and "Maximum" gives it); a number is held within its bounds.
    ModelOptionRow& flagRow = cpu().kernel.options[1];
    flagRow.maximum = 0;
    flagRow.value = 0;
    ModelOptionRow& countRow = cpu().kernel.options[2];
    countRow.defaultValue = 2000;
    ASSERT_TRUE(BuildApplicationOptionListAt(cpu(), 0));
    EXPECT_EQ(app().options[0].state, 1);
    EXPECT_EQ(app().options[0].value, 0);
    EXPECT_EQ(app().options[1].value, 1000);
    flagRow.defaultValue = 0;
    flagRow.value = 1;
    ASSERT_TRUE(BuildApplicationOptionListAt(cpu(), 0));
    EXPECT_EQ(app().options[0].state, 0);
    EXPECT_FALSE(BuildApplicationOptionListAt(cpu(), 2));

    for (int32_t i = 0; i < cpu().kernel.optionCount; ++i)
        cpu().kernel.options[i].forApplications = 0;
    ASSERT_TRUE(BuildApplicationOptionList(cpu(), app()));
    EXPECT_EQ(app().optionCount, 0);
    EXPECT_EQ(app().options, nullptr);
}

TEST_F(ProjectFixture, CloneIsEqualIndependentAndOwnsItsUserTexts)
{
    AppCopy copy;
    ASSERT_TRUE(ProjectManager::CloneApplication(cpu(), copy.record, app()));
    EXPECT_FALSE(ProjectManager::ApplicationsDiffer(app(), copy.record));
    EXPECT_FALSE(ProjectManager::ApplicationsDiffer(copy.record, app()));
    EXPECT_NE(copy.record.userTexts, app().userTexts);
    EXPECT_EQ(copy.record.userTexts->owner(), &copy.record);
    EXPECT_NE(copy.record.file, app().file);
    EXPECT_NE(copy.record.classEntries[0].chained, app().classEntries[0].chained);
    EXPECT_NE(copy.record.classEntries[0].objects[0].children[0].data, app().classEntries[0].objects[0].children[0].data);

    // The copy survives the original (ASan reports any block they shared).
    ProjectManager::FreeApplication(app());
    EXPECT_EQ(textOf(copy.record.classEntries[1].objects[0].children[0].children[0].name), "A1");
    EXPECT_EQ(static_cast<AlarmData*>(copy.record.classEntries[1].objects[0].children[0].children[0].data)->recycleCount, 1);
}

using AppEdit = std::function<void(ApplicationRecord&)>;

ObjectRecord& topTask(ApplicationRecord& a) { return a.classEntries[2].objects[0]; }
ObjectRecord& childThread(ApplicationRecord& a) { return a.classEntries[0].objects[0].children[1]; }

TEST_F(ProjectFixture, EveryComparedFieldIsSeen)
{
    const std::vector<std::pair<const char*, AppEdit>> edits = {
        {"kernel h dirty", [](ApplicationRecord& a) { a.kernelHDirty = 1; }},
        {"project c dirty", [](ApplicationRecord& a) { a.projectCDirty = 1; }},
        {"description", [](ApplicationRecord& a) { setText(a.description, "changed"); }},
        {"report path", [](ApplicationRecord& a) { setText(a.reportPath, "out/"); }},
        {"system ram label", [](ApplicationRecord& a) { setText(a.systemRamLabel, "SYSRAM"); }},
        {"kernel stack manual", [](ApplicationRecord& a) { a.kernelStackManual = 1; }},
        {"anchor label", [](ApplicationRecord& a) { a.anchorAddressLabel = 0x100; }},
        {"is mp", [](ApplicationRecord& a) { a.isMp = 1; }},
        {"instances", [](ApplicationRecord& a) { a.instances = 3; }},
        {"extension", [](ApplicationRecord& a) { setText(a.asmSourceExtension, "s"); }},
        {"cpp comments", [](ApplicationRecord& a) { a.generateCppComments = 1; }},
        {"node name", [](ApplicationRecord& a) { setText(a.nodeName, "node2"); }},
        {"suffix", [](ApplicationRecord& a) { setText(a.suffix, "_b"); }},
        {"user text line", [](ApplicationRecord& a) { a.userTexts->block(0).include.push_back("/* more */"); }},
        {"dos files", [](ApplicationRecord& a) { a.generateDosFiles = 1; }},
        {"user version", [](ApplicationRecord& a) { a.userVersion = 2; }},
        {"extended context", [](ApplicationRecord& a) { a.extendedContext[3] = 1; }},
        {"option value", [](ApplicationRecord& a) { a.options[1].value = 43; }},
        {"option override", [](ApplicationRecord& a) { a.options[0].overrideBinary = 1; }},
        {"entry statistics", [](ApplicationRecord& a) { a.classEntries[2].statistics ^= 1; }},
        {"entry m dirty", [](ApplicationRecord& a) { a.classEntries[0].mFileDirty = 0; }},
        {"chained entry dynamics", [](ApplicationRecord& a) { a.classEntries[1].chained->chained->numberOfDynamics = 4; }},
        {"object name", [](ApplicationRecord& a) { setText(topTask(a).name, "TaskX"); }},
        {"object data", [](ApplicationRecord& a) { static_cast<TaskData*>(topTask(a).data)->initialPriority = 5; }},
        {"object data gone", [](ApplicationRecord& a) { std::free(topTask(a).data); topTask(a).data = nullptr; }},
        {"top-level object mp", [](ApplicationRecord& a) { topTask(a).isMp = 1; }},
        {"top-level trace object", [](ApplicationRecord& a) { topTask(a).traceObject = 1; }},
        {"top-level trace actor", [](ApplicationRecord& a) { topTask(a).traceActor = 1; }},
        {"top-level enabled", [](ApplicationRecord& a) { topTask(a).enabled = 0; }},
        {"child enabled", [](ApplicationRecord& a) { childThread(a).enabled = 0; }},
        {"child data", [](ApplicationRecord& a) { setText(static_cast<ThreadData*>(childThread(a).data)->entryPoint, "run"); }},
        {"grandchild data", [](ApplicationRecord& a) {
             static_cast<AlarmData*>(a.classEntries[1].objects[0].children[0].children[0].data)->initialCount = 9;
         }},
        {"child removed", [](ApplicationRecord& a) { RemoveChildObjectAt(a.classEntries[0].objects[0], 0); }},
        {"object added", [](ApplicationRecord& a) { InsertClassObject(a.classEntries[2], 0); }},
    };
    for (const auto& [what, edit] : edits) {
        AppCopy copy;
        ASSERT_TRUE(ProjectManager::CloneApplication(cpu(), copy.record, app()));
        edit(copy.record);
        EXPECT_TRUE(ProjectManager::ApplicationsDiffer(app(), copy.record)) << what;
        EXPECT_TRUE(ProjectManager::ApplicationsDiffer(copy.record, app())) << what;
    }
}

TEST_F(ProjectFixture, RunTimeFieldsTakeNoPart)
{
    AppCopy copy;
    ASSERT_TRUE(ProjectManager::CloneApplication(cpu(), copy.record, app()));
    ApplicationRecord& c = copy.record;
    c.treeItem = 7;
    c.expanded = c.selected = c.edited = c.regenerate = 1;
    c.footprint.Set(1, 2, 3);
    c.classEntries[0].maxKeyLength = 31;
    c.classEntries[0].treeItem = 9;
    c.classEntries[0].footprint.Set(4, 5, 6);
    topTask(c).treeItem = 11;
    topTask(c).expanded = 1;
    app().isMp = 1;
    c.isMp = 2;  // truth values
    topTask(app()).traceObject = 1;
    topTask(c).traceObject = 5;
    EXPECT_FALSE(ProjectManager::ApplicationsDiffer(app(), c));
}

TEST_F(ProjectFixture, AssignRestoresAReshapedApplication)
{
    AppCopy snapshot;
    ASSERT_TRUE(ProjectManager::CloneApplication(cpu(), snapshot.record, app()));
    ApplicationRecord& a = app();
    a.footprint.Set(10, 20, 30);
    // The editor reshapes the application: objects added and removed, a chain cut, texts and options.
    InsertClassObject(a.classEntries[2], 1);
    RemoveClassObjectAt(a.classEntries[0], 0);
    ProjectManager::FreeClassEntry(*a.classEntries[1].chained, 1);
    a.classEntries[1].chained = nullptr;
    a.userTexts->block(0).include.clear();
    ProjectManager::FreeApplication(a);  // even a freed record can take a restore
    ASSERT_TRUE(ProjectManager::AssignApplication(cpu(), a, snapshot.record));

    EXPECT_FALSE(ProjectManager::ApplicationsDiffer(a, snapshot.record));
    EXPECT_EQ(a.userTexts->owner(), &a);
    EXPECT_EQ(a.footprint.UserRom(), 20u);
    EXPECT_NE(a.classEntries, snapshot.record.classEntries);
}

TEST_F(ProjectFixture, FreeingTwiceIsHarmless)
{
    ProjectManager::FreeApplication(app());
    EXPECT_EQ(app().optionCount, 0);
    EXPECT_EQ(app().classEntryCount, 0);
    EXPECT_EQ(app().userTexts, nullptr);
    EXPECT_EQ(app().file, nullptr);
    ProjectManager::FreeApplication(app());
    ProjectManager::FreeProject(project);
    EXPECT_EQ(project.cpuCount, 0);
    ProjectManager::FreeProject(project);
    ProjectManager::ResetProject(project, false);
    EXPECT_EQ(project.expanded, 1);
    EXPECT_EQ(project.cpus, nullptr);
}

TEST_F(ProjectFixture, UserTextOwnersFollowTheApplicationArray)
{
    for (int i = 0; i < 6; ++i) {  // several reallocations
        ApplicationRecord* added = AppendApplication(cpu());
        ASSERT_NE(added, nullptr);
        added->userTexts = new UserTextStore(added);
    }
    auto ownersRight = [&] {
        for (int32_t i = 0; i < cpu().applicationCount; ++i)
            if (cpu().applications[i].userTexts->owner() != &cpu().applications[i])
                return false;
        return true;
    };
    EXPECT_TRUE(ownersRight());
    ASSERT_TRUE(RemoveApplicationAt(cpu(), 0));
    EXPECT_EQ(textOf(cpu().applications[0].name), "beta");
    EXPECT_TRUE(ownersRight());
    EXPECT_FALSE(RemoveApplicationAt(cpu(), 99));
    while (cpu().applicationCount > 0)
        ASSERT_TRUE(RemoveApplicationAt(cpu(), cpu().applicationCount - 1));
    EXPECT_EQ(cpu().applications, nullptr);
}

std::vector<std::string> namesOf(ObjectArray array)
{
    std::vector<std::string> names;
    for (int32_t i = 0; i < *array.count; ++i)
        names.push_back(textString((*array.rows)[i].name));
    return names;
}

TEST_F(ProjectFixture, ObjectsMoveWithinAndBetweenArrays)
{
    ApplicationClassEntry& task = app().classEntries[2];
    for (const char* name : {"Task3", "Task4"})
        setText(InsertClassObject(task, 99)->name, name);
    using Names = std::vector<std::string>;
    ASSERT_NE(MoveObject(ObjectsOf(task), 0, ObjectsOf(task), 3), nullptr);
    EXPECT_EQ(namesOf(ObjectsOf(task)), (Names{"Task2", "Task3", "Task1", "Task4"}));
    ASSERT_NE(MoveObject(ObjectsOf(task), 3, ObjectsOf(task), 0), nullptr);
    EXPECT_EQ(namesOf(ObjectsOf(task)), (Names{"Task4", "Task2", "Task3", "Task1"}));
    ASSERT_NE(MoveObject(ObjectsOf(task), 1, ObjectsOf(task), -1), nullptr);
    EXPECT_EQ(namesOf(ObjectsOf(task)), (Names{"Task4", "Task3", "Task1", "Task2"}));

    // A thread moves from one level to another, with its data block.
    ApplicationClassEntry& level = app().classEntries[0];
    setText(InsertClassObject(level, 1)->name, "L2");
    ObjectRecord* moved = MoveObject(ChildrenOf(level.objects[0]), 0, ChildrenOf(level.objects[1]), 0);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(textOf(moved->name), "T1");
    EXPECT_NE(moved->data, nullptr);
    EXPECT_EQ(namesOf(ChildrenOf(level.objects[0])), (Names{"T2"}));
    EXPECT_EQ(namesOf(ChildrenOf(level.objects[1])), (Names{"T1"}));

    // An object never moves under itself or its descendants; bad indexes change nothing.
    ApplicationClassEntry& source = app().classEntries[1];
    EXPECT_EQ(MoveObject(ObjectsOf(source), 0, ChildrenOf(source.objects[0].children[0]), 0), nullptr);
    EXPECT_EQ(MoveObject(ObjectsOf(task), 4, ObjectsOf(task), 0), nullptr);
    EXPECT_EQ(task.objectCount, 4);
    EXPECT_TRUE(RemoveClassObjectAt(level, 0));
    EXPECT_FALSE(RemoveClassObjectAt(level, 5));
    EXPECT_EQ(namesOf(ObjectsOf(level)), (Names{"L2"}));
}

TEST_F(ProjectFixture, CpusAddAndRemoveWithEverythingTheyOwn)
{
    CpuRecord* second = AppendCpu(project);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(textOf(second->kernel.sizeUnitName), "bytes");
    buildKernel(second->kernel);
    buildApplication(project.cpus[1], *AppendApplication(project.cpus[1]), "gamma");
    EXPECT_TRUE(RemoveCpuAt(project, 0));
    ASSERT_EQ(project.cpuCount, 1);
    EXPECT_EQ(textOf(project.cpus[0].applications[0].name), "gamma");
    EXPECT_FALSE(RemoveCpuAt(project, 1));
}

TEST_F(ProjectFixture, ProjectsCompareWithOrWithoutFileLocations)
{
    ProjectRecord other{};
    buildProject(other);
    EXPECT_FALSE(ProjectsDiffer(project, other));

    setText(other.path, "/elsewhere/demo.omb");
    setText(other.cpus[0].kernel.kernelPath, "/elsewhere/main.cpu");
    setText(other.cpus[0].applications[1].path, "/elsewhere/beta.app");
    other.cpus[0].applications[0].edited = 1;
    EXPECT_TRUE(ProjectsDiffer(project, other));
    EXPECT_FALSE(ProjectsDiffer(project, other, false));
    ProjectManager::FreeProject(other);

    const std::vector<std::pair<const char*, std::function<void(ProjectRecord&)>>> edits = {
        {"project name", [](ProjectRecord& p) { setText(p.name, "renamed"); }},
        {"cpu description", [](ProjectRecord& p) { setText(p.cpus[0].description, "other"); }},
        {"model", [](ProjectRecord& p) { p.cpus[0].kernel.modelIndex = 1; }},
        {"kernel selection", [](ProjectRecord& p) { classNamed(p.cpus[0].kernel, "Task").selected = 0; }},
        {"application object", [](ProjectRecord& p) { topTask(p.cpus[0].applications[1]).enabled = 0; }},
        {"application removed", [](ProjectRecord& p) { RemoveApplicationAt(p.cpus[0], 1); }},
        {"cpu added", [](ProjectRecord& p) { AppendCpu(p); }},
    };
    for (const auto& [what, edit] : edits) {
        ProjectRecord edited{};
        buildProject(edited);
        edit(edited);
        EXPECT_TRUE(ProjectsDiffer(project, edited, false)) << what;
        EXPECT_TRUE(ProjectsDiffer(edited, project, false)) << what;
        ProjectManager::FreeProject(edited);
    }
}

}  // namespace
