// Adding, removing and moving CPUs, applications and objects within the class limits.
#include <gtest/gtest.h>

#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/ops/record_arrays.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"
#include "gui/editors/model/add_remove_move.h"
#include "gui/editors/model/tests/editor_fixture.h"

namespace editors::test {
namespace {

using engine::ObjectRecord;

class AddRemoveMoveTest : public EditorFixture {
protected:
    engine::KernelClassRecord& kernelClass(int32_t type) { return *engine::FindKernelClassByType(&cpu(), type); }
    std::vector<std::string> names(int32_t count, const ObjectRecord* rows)
    {
        std::vector<std::string> out;
        for (int32_t i = 0; i < count; ++i)
            out.push_back(engine::textString(rows[i].name));
        return out;
    }
    // A second application on the same CPU, a copy of the first with no objects.
    engine::ApplicationRecord& secondApplication()
    {
        engine::ApplicationRecord copy{};
        EXPECT_TRUE(engine::ProjectManager::CloneApplication(cpu(), copy, app()));
        engine::ApplicationRecord* second = engine::AppendApplication(cpu());
        *second = copy;
        engine::setText(second->name, "second");
        engine::RepointUserTextOwners(cpu());
        return *second;
    }
    ObjectEditor answer(int result, int* calls)
    {
        return [result, calls](engine::ProjectRecord&, engine::CpuRecord&, engine::ApplicationRecord&,
                               engine::ApplicationClassEntry&, ObjectRecord& object) {
            ++*calls;
            engine::setText(object.name, "edited");
            return result;
        };
    }
};

TEST_F(AddRemoveMoveTest, ClassAdditionsKeepTheMaximumAndMarkTheRecords)
{
    engine::ApplicationClassEntry& semaphores = entry(engine::ClassSemaphore);
    int calls = 0;
    const ObjectEditor cancel = answer(2, &calls);
    const ObjectEditor ok = answer(1, &calls);
    clearDirty();

    // A cancelled dialog removes the new object again; the array is freed at count 0.
    EXPECT_EQ(AddClassObject(m_project, semaphores, &cancel), 2);
    EXPECT_EQ(semaphores.objectCount, 0);
    EXPECT_EQ(semaphores.objects, nullptr);
    EXPECT_EQ(app().edited, 0);

    EXPECT_EQ(AddClassObject(m_project, semaphores, &ok), 1);
    ASSERT_EQ(semaphores.objectCount, 1);
    EXPECT_EQ(engine::textString(semaphores.objects[0].name), "edited");
    EXPECT_EQ(semaphores.objects[0].enabled, 1);
    EXPECT_EQ(semaphores.objects[0].expanded, 1);
    EXPECT_NE(semaphores.objects[0].data, nullptr);
    EXPECT_EQ(app().edited, 1);
    EXPECT_EQ(semaphores.cFileDirty + semaphores.hFileDirty + semaphores.mFileDirty, 3);
    EXPECT_EQ(app().kernelHDirty, 0) << "only Level and Thread touch the kernel files";

    // Count = static objects + dynamics; at the Maximum the addition is refused with the message.
    kernelClass(engine::ClassSemaphore).maximum = 3;
    semaphores.numberOfDynamics = 2;
    EXPECT_EQ(AddClassObject(m_project, semaphores, nullptr), 2);
    ASSERT_EQ(m_messages->boxes().size(), 1u);
    EXPECT_EQ(m_messages->boxes()[0].text, "Object count maximum reached for this class.");
    EXPECT_EQ(m_messages->boxes()[0].caption, "Cannot add Semaphore");
    semaphores.numberOfDynamics = 1;
    EXPECT_EQ(AddClassObject(m_project, semaphores, nullptr), 1);

    // A Maximum of 0 allows no object at the top level.
    kernelClass(engine::ClassQueue).maximum = 0;
    EXPECT_EQ(AddClassObject(m_project, entry(engine::ClassQueue), nullptr), 2);

    // Level additions mark the kernel files.
    app().kernelHDirty = app().kernelMDirty = 0;
    EXPECT_EQ(AddClassObject(m_project, entry(engine::ClassLevel), nullptr), 1);
    EXPECT_EQ(app().kernelHDirty, 1);
    EXPECT_EQ(app().kernelMDirty, 1);
}

TEST_F(AddRemoveMoveTest, ChildAdditionsKeepTheClassAndPerParentLimits)
{
    ObjectRecord& level = addObject(engine::ClassLevel, "lvl");
    clearDirty();
    // A Maximum of 0 means no limit for children.
    kernelClass(engine::ClassThread).maximum = 0;
    kernelClass(engine::ClassThread).maximumPerParent = 2;
    EXPECT_EQ(AddChildObject(m_project, level, nullptr), 1);
    EXPECT_EQ(AddChildObject(m_project, app().classEntries[0].objects[0], nullptr), 1);
    ObjectRecord& parent = entry(engine::ClassLevel).objects[0];
    EXPECT_EQ(parent.childCount, 2);
    EXPECT_EQ(AddChildObject(m_project, parent, nullptr), 2);
    EXPECT_EQ(messages().back(), "Per-parent maximum reached for this class.");
    EXPECT_EQ(m_messages->boxes().back().caption, "Cannot add Thread");

    kernelClass(engine::ClassThread).maximum = 2;
    kernelClass(engine::ClassThread).maximumPerParent = 0;
    EXPECT_EQ(AddChildObject(m_project, parent, nullptr), 2);
    EXPECT_EQ(messages().back(), "Object count maximum reached for this class.");
    EXPECT_EQ(entry(engine::ClassThread).cFileDirty, 1);
    EXPECT_EQ(app().kernelMDirty, 1);

    // A class without children refuses.
    ObjectRecord& task = addObject(engine::ClassTask, "t");
    EXPECT_EQ(AddChildObject(m_project, task, nullptr), 2);
}

TEST_F(AddRemoveMoveTest, DeletionsFindTheObjectByItemAndMarkTheEntries)
{
    ObjectRecord& source = addObject(engine::ClassEventSource, "es");
    addObject(engine::ClassCounter, "c1", &source);
    ObjectRecord& es = entry(engine::ClassEventSource).objects[0];
    addObject(engine::ClassCounter, "c2", &es);
    es.children[0].treeItem = 41;
    es.children[1].treeItem = 42;
    es.treeItem = 40;
    clearDirty();

    DeleteChildObject(m_project, es, 99);  // no such item: nothing happens
    EXPECT_EQ(es.childCount, 2);
    DeleteChildObject(m_project, es, 41);
    EXPECT_EQ(names(es.childCount, es.children), std::vector<std::string>{"c2"});
    EXPECT_EQ(entry(engine::ClassEventSource).cFileDirty, 1);
    EXPECT_EQ(entry(engine::ClassCounter).mFileDirty, 1);
    EXPECT_EQ(entry(engine::ClassAlarm).cFileDirty, 0);

    DeleteClassObject(entry(engine::ClassEventSource), 40, &app());
    EXPECT_EQ(entry(engine::ClassEventSource).objectCount, 0);
    EXPECT_EQ(entry(engine::ClassEventSource).objects, nullptr);
}

TEST_F(AddRemoveMoveTest, MovesPlaceTheObjectAndCountItOnce)
{
    for (const char* name : {"a", "b", "c"})
        addObject(engine::ClassMailbox, name);
    engine::ApplicationClassEntry& mailboxes = entry(engine::ClassMailbox);
    kernelClass(engine::ClassMailbox).maximum = 3;  // at the Maximum: a reorder is still allowed
    clearDirty();

    EXPECT_EQ(MoveObjectToClass(m_project, mailboxes.objects[2], mailboxes, nullptr), 1);
    EXPECT_EQ(names(mailboxes.objectCount, mailboxes.objects), (std::vector<std::string>{"c", "a", "b"}));
    EXPECT_EQ(MoveObjectToClass(m_project, mailboxes.objects[0], mailboxes, &mailboxes.objects[1]), 1);
    EXPECT_EQ(names(mailboxes.objectCount, mailboxes.objects), (std::vector<std::string>{"a", "c", "b"}));
    ObjectRecord stranger{};
    EXPECT_EQ(MoveObjectToClass(m_project, mailboxes.objects[0], mailboxes, &stranger), 1);
    EXPECT_EQ(names(mailboxes.objectCount, mailboxes.objects), (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(app().edited, 1);
    EXPECT_EQ(mailboxes.cFileDirty, 1);

    // Objects only move within their class.
    EXPECT_EQ(MoveObjectToClass(m_project, mailboxes.objects[0], entry(engine::ClassQueue), nullptr), 2);
}

TEST_F(AddRemoveMoveTest, MovesBetweenApplicationsMarkBothAndCheckTheDestination)
{
    // Pipes of one buffer, as their dialog keeps them.
    for (const char* pipe : {"p1", "p2"})
        static_cast<engine::PipeData*>(addObject(engine::ClassPipe, pipe).data)->numberOfBuffers = 1;
    engine::ApplicationRecord& second = secondApplication();
    // The second application holds copies of p1 and p2; the source's p2 takes a name of its own.
    engine::setText(entry(engine::ClassPipe).objects[1].name, "p3");
    second.edited = 0;
    clearDirty();
    engine::ApplicationClassEntry* target = engine::FindApplicationClassEntryByType(second, engine::ClassPipe);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->objectCount, 2);

    // The destination is full: refused, nothing changed.
    kernelClass(engine::ClassPipe).maximum = 2;
    EXPECT_EQ(MoveObjectToClass(m_project, entry(engine::ClassPipe).objects[0], *target, nullptr), 2);
    EXPECT_EQ(entry(engine::ClassPipe).objectCount, 2);
    EXPECT_EQ(app().edited, 0);

    // A name the destination's file already holds would not open again: refused with the check's
    // message, put back where it was, nothing marked.
    kernelClass(engine::ClassPipe).maximum = 5;
    m_messages->clear();
    EXPECT_EQ(MoveObjectToClass(m_project, entry(engine::ClassPipe).objects[0], *target, nullptr), 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind("The change cannot be kept: the project could not be saved and opened again", 0), 0u);
    EXPECT_EQ(names(entry(engine::ClassPipe).objectCount, entry(engine::ClassPipe).objects),
              (std::vector<std::string>{"p1", "p3"}));
    EXPECT_EQ(names(target->objectCount, target->objects), (std::vector<std::string>{"p1", "p2"}));
    EXPECT_EQ(app().edited, 0);
    EXPECT_EQ(second.edited, 0);

    EXPECT_EQ(MoveObjectToClass(m_project, entry(engine::ClassPipe).objects[1], *target, &target->objects[1]), 1);
    EXPECT_EQ(names(entry(engine::ClassPipe).objectCount, entry(engine::ClassPipe).objects),
              std::vector<std::string>{"p1"});
    EXPECT_EQ(names(target->objectCount, target->objects), (std::vector<std::string>{"p1", "p2", "p3"}));
    EXPECT_EQ(app().edited, 1) << "the source application must be saved too";
    EXPECT_EQ(second.edited, 1);
}

TEST_F(AddRemoveMoveTest, MovesUnderAnotherParentKeepThePerParentMaximum)
{
    ObjectRecord& first = addObject(engine::ClassLevel, "l1");
    addObject(engine::ClassThread, "t1", &first);
    addObject(engine::ClassThread, "t2", &entry(engine::ClassLevel).objects[0]);
    addObject(engine::ClassLevel, "l2");
    ObjectRecord* levels = entry(engine::ClassLevel).objects;
    addObject(engine::ClassThread, "t3", &levels[1]);
    levels = entry(engine::ClassLevel).objects;
    kernelClass(engine::ClassThread).maximumPerParent = 1;
    clearDirty();

    // l2 has its one thread already.
    EXPECT_EQ(MoveObjectToParent(m_project, levels[0].children[0], levels[1], nullptr), 2);
    EXPECT_EQ(messages().back(), "Per-parent maximum reached for this class.");
    // A reorder under the same parent is no addition.
    EXPECT_EQ(MoveObjectToParent(m_project, levels[0].children[1], levels[0], nullptr), 1);
    EXPECT_EQ(names(levels[0].childCount, levels[0].children), (std::vector<std::string>{"t2", "t1"}));

    kernelClass(engine::ClassThread).maximumPerParent = 0;
    EXPECT_EQ(MoveObjectToParent(m_project, levels[0].children[0], levels[1], &levels[1].children[0]), 1);
    EXPECT_EQ(names(levels[1].childCount, levels[1].children), (std::vector<std::string>{"t3", "t2"}));
    EXPECT_EQ(app().kernelHDirty, 1);
}

TEST_F(AddRemoveMoveTest, CpusAndApplicationsComeAndGoWithTheirSheets)
{
    engine::ConfigRecord config{};
    int sheets = 0;
    // A cancelled CPU sheet leaves the project as it was.
    EXPECT_EQ(AddCpu(m_project, config,
                     [&](engine::CpuRecordHandler& handler, std::string&, std::string&) {
                         ++sheets;
                         EXPECT_EQ(handler.GetCpuRecord(), &m_project.cpus[1]);
                         EXPECT_EQ(handler.GetCpuRecord()->expanded, 1);
                         return 2;
                     }),
              2);
    EXPECT_EQ(m_project.cpuCount, 1);
    EXPECT_EQ(AddCpu(m_project, config,
                     [&](engine::CpuRecordHandler&, std::string& name, std::string& description) {
                         ++sheets;
                         name = "Second";
                         description = "spare";
                         return 1;
                     }),
              1);
    ASSERT_EQ(m_project.cpuCount, 2);
    EXPECT_EQ(sheets, 2);
    EXPECT_EQ(engine::textString(m_project.cpus[1].name), "Second");
    EXPECT_EQ(engine::textString(m_project.cpus[1].description), "spare");
    // A name the project file could not hold beside the other CPUs is refused where it is stored too,
    // whatever sheet gave it.
    for (const char* taken : {"second", "cpus"}) {
        m_messages->clear();
        EXPECT_EQ(AddCpu(m_project, config,
                         [&](engine::CpuRecordHandler&, std::string& name, std::string&) {
                             name = taken;
                             return 1;
                         }),
                  2)
            << taken;
        EXPECT_EQ(m_project.cpuCount, 2);
        ASSERT_EQ(m_messages->boxes().size(), 1u);
        EXPECT_EQ(m_messages->boxes()[0].text.rfind("CPU name cannot be ", 0), 0u) << m_messages->boxes()[0].text;
    }
    EXPECT_EQ(engine::textString(m_project.cpus[1].name), "Second");
    m_project.cpus[1].treeItem = 7;
    RemoveCpu(m_project, 8);
    EXPECT_EQ(m_project.cpuCount, 2);
    RemoveCpu(m_project, 7);
    EXPECT_EQ(m_project.cpuCount, 1);

    // A new application of an MP-enabled CPU starts multiprocessor and marked for every file.
    kernel().featureMask = 6;
    kernel().framework = 6;
    engine::ApplicationRecord* seen = nullptr;
    const auto sheet = [&](int result) {
        return [&seen, result](engine::ProjectRecord&, engine::ApplicationRecord& application, engine::CpuRecord&) {
            seen = &application;
            EXPECT_EQ(application.isMp, 1);
            EXPECT_EQ(application.edited + application.kernelHDirty + application.kernelMDirty +
                          application.projectHDirty + application.projectCDirty,
                      5);
            EXPECT_EQ(application.instances, 1);
            EXPECT_EQ(application.systemClockRateHz, 1000);
            EXPECT_NE(application.userTexts, nullptr);
            EXPECT_GT(application.classEntryCount, 0);
            return result;
        };
    };
    EXPECT_EQ(AddApplication(m_project, cpu(), sheet(2)), 2);
    EXPECT_EQ(cpu().applicationCount, 1);
    EXPECT_EQ(AddApplication(m_project, cpu(), sheet(1)), 1);
    ASSERT_EQ(cpu().applicationCount, 2);
    EXPECT_EQ(seen, &cpu().applications[1]);
    EXPECT_EQ(cpu().applications[1].userTexts->owner(), &cpu().applications[1]);
    cpu().applications[0].treeItem = 3;
    RemoveApplication(cpu(), 3);
    ASSERT_EQ(cpu().applicationCount, 1);
    EXPECT_EQ(cpu().applications[0].userTexts->owner(), &cpu().applications[0]);
}

} // namespace
} // namespace editors::test
