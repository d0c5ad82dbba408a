#include <gtest/gtest.h>

#include "engine/names/name_conflicts.h"
#include "engine/names/tests/record_builder.h"

namespace engine {
namespace {

using test::RecordBuilder;

class LabelConflictTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cpu = &b.AddCpu("C");
        app = &b.AddApplication(*cpu, "A");
        taskEntry = &b.AddClassEntry(*app, ClassTask, "Task");
        task = &b.AddObject(*taskEntry, "t1");
        setText(RecordBuilder::DataOf<TaskData>(*task).entryPoint, "taskMain");
        setText(RecordBuilder::DataOf<TaskData>(*task).label, "taskStack");
        levelEntry = &b.AddClassEntry(*app, ClassLevel, "Level");
        threadEntry = &b.Chain(*levelEntry, ClassThread, "Thread");
        ObjectRecord& level = b.AddObject(*levelEntry, "lv");
        thread = &b.AddChild(level, ClassThread, "th1");
        setText(RecordBuilder::DataOf<ThreadData>(*thread).entryPoint, "threadMain");
        ObjectRecord& exception = b.AddObject(b.AddClassEntry(*app, ClassException, "Exception"), "ex1");
        setText(RecordBuilder::DataOf<ExceptionData>(exception).isrAddress, "isr");
        ObjectRecord& partition = b.AddObject(b.AddClassEntry(*app, ClassPartition, "Partition"), "p1");
        setText(RecordBuilder::DataOf<PartitionData>(partition).label, "shared");
        ObjectRecord& queue = b.AddObject(b.AddClassEntry(*app, ClassQueue, "Queue"), "q1");
        setText(RecordBuilder::DataOf<QueueData>(queue).label, "shared");
        ObjectRecord& pipe = b.AddObject(b.AddClassEntry(*app, ClassPipe, "Pipe"), "pp");
        setText(RecordBuilder::DataOf<PipeData>(pipe).label, "pipeBuf");
        setText(app->kernelStackLabel, "kstack");
        setText(app->systemRamLabel, "sysram");
    }

    std::string Conflict(const std::string& name, const ObjectRecord* ignore = nullptr, bool ram = true,
                         bool stack = true)
    {
        std::string what = "<none>";
        const bool found = FindLabelConflict(*app, name, what, ignore, ram, stack);
        EXPECT_EQ(found, what != "<none>");
        return what;
    }

    RecordBuilder b;
    CpuRecord* cpu = nullptr;
    ApplicationRecord* app = nullptr;
    ApplicationClassEntry* taskEntry = nullptr;
    ApplicationClassEntry* levelEntry = nullptr;
    ApplicationClassEntry* threadEntry = nullptr;
    ObjectRecord* task = nullptr;
    ObjectRecord* thread = nullptr;
};

TEST_F(LabelConflictTest, EachKindOfLabel)
{
    EXPECT_EQ(Conflict("t1"), "Object name t1");
    EXPECT_EQ(Conflict("th1"), "Object name th1");
    EXPECT_EQ(Conflict("taskMain"), "Entry point for Task t1");
    EXPECT_EQ(Conflict("taskStack"), "Stack label for Task t1");
    EXPECT_EQ(Conflict("threadMain"), "Entry point for Thread th1");
    EXPECT_EQ(Conflict("isr"), "Entry point for Exception ex1");
    EXPECT_EQ(Conflict("pipeBuf"), "Buffer label for Pipe pp");
    EXPECT_EQ(Conflict("nothing"), "<none>");
    EXPECT_EQ(Conflict("TaskMain"), "<none>"); // case counts
}

TEST_F(LabelConflictTest, OrderDecidesTheReportedClash)
{
    // Partitions are checked before queues.
    EXPECT_EQ(Conflict("shared"), "Manual placement label for Partition p1");
    // An object name wins over an entry point.
    b.AddObject(*taskEntry, "taskMain");
    EXPECT_EQ(Conflict("taskMain"), "Object name taskMain");
}

TEST_F(LabelConflictTest, DisabledClassesAndTheIgnoredObjectAreSkipped)
{
    taskEntry->enabled = 0;
    EXPECT_EQ(Conflict("taskMain"), "<none>");
    // Object names are compared whatever the class state.
    EXPECT_EQ(Conflict("t1"), "Object name t1");
    taskEntry->enabled = 1;
    EXPECT_EQ(Conflict("t1", task), "<none>");
    EXPECT_EQ(Conflict("taskMain", task), "<none>");
    threadEntry->enabled = 0;
    EXPECT_EQ(Conflict("threadMain"), "<none>");
}

TEST_F(LabelConflictTest, PlacementLabelsOnlyWhenAskedAndManual)
{
    EXPECT_EQ(Conflict("kstack"), "<none>");
    app->kernelStackManual = 1;
    app->systemRamManual = 1;
    EXPECT_EQ(Conflict("kstack"), "Kernel Stack placement label");
    EXPECT_EQ(Conflict("sysram"), "System RAM placement label");
    EXPECT_EQ(Conflict("kstack", nullptr, true, false), "<none>");
    EXPECT_EQ(Conflict("sysram", nullptr, false, true), "<none>");
}

TEST_F(LabelConflictTest, ObjectNamesUniqueAmongAllObjectsWhateverTheirState)
{
    ObjectRecord& twin = b.AddObject(*taskEntry, "TH1");
    EXPECT_FALSE(IsObjectNameUnique(*app, twin));
    EXPECT_FALSE(IsObjectNameUnique(b.project, *thread));
    // The file holds disabled objects and classes too.
    thread->enabled = 0;
    EXPECT_FALSE(IsObjectNameUnique(*app, twin));
    thread->enabled = 1;
    threadEntry->enabled = 0;
    EXPECT_FALSE(IsObjectNameUnique(*app, twin));
    setText(twin.name, "th2");
    EXPECT_TRUE(IsObjectNameUnique(*app, twin));
    ObjectRecord loose{};
    EXPECT_TRUE(IsObjectNameUnique(b.project, loose));
}

TEST(GlobalNames, ConflictsNeedEveryGlobalCondition)
{
    RecordBuilder b;
    CpuRecord& mp = b.AddCpu("MP");
    mp.kernel.featureMask = 6;
    mp.kernel.framework = 4;
    ApplicationRecord& a1 = b.AddApplication(mp, "A1");
    ApplicationRecord& a2 = b.AddApplication(mp, "A2");
    a1.isMp = a2.isMp = 1;
    ObjectRecord& mine = b.AddObject(b.AddClassEntry(a1, ClassSemaphore, "Semaphore"), "s");
    ApplicationClassEntry& otherEntry = b.AddClassEntry(a2, ClassSemaphore, "Semaphore");
    ObjectRecord& other = b.AddObject(otherEntry, "s");
    mine.isMp = other.isMp = 1;

    ApplicationRecord* where = nullptr;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine, &where), &other);
    EXPECT_EQ(where, &a2);

    other.enabled = 0;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    other.enabled = 1;
    other.isMp = 0;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    other.isMp = 1;
    otherEntry.enabled = 0;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    otherEntry.enabled = 1;
    a2.isMp = 0;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    a2.isMp = 1;
    mp.kernel.framework = 2;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    mp.kernel.framework = 4;
    otherEntry.classType = ClassLevel;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), nullptr);
    otherEntry.classType = ClassSemaphore;
    EXPECT_EQ(FindGlobalNameConflict(b.project, mine), &other);
}

TEST(GlobalNames, NodeNamesAndDisplayNames)
{
    RecordBuilder b;
    CpuRecord& cpu = b.AddCpu("C");
    ApplicationRecord& a1 = b.AddApplication(cpu, "A1");
    ApplicationRecord& a2 = b.AddApplication(cpu, "A2");
    setText(a1.nodeName, "node");
    setText(a2.nodeName, "node");
    a2.isMp = 1;
    EXPECT_FALSE(IsNodeNameUnique(b.project, a1, "node"));
    EXPECT_TRUE(IsNodeNameUnique(b.project, a2, "node")); // a1 is not multiprocessor
    EXPECT_TRUE(IsNodeNameUnique(b.project, a1, "Node"));

    ObjectRecord object{};
    setText(object.name, "obj");
    EXPECT_EQ(ObjectDisplayName(object, true), "obj");
    object.isMp = 1;
    EXPECT_EQ(ObjectDisplayName(object, true), "*obj");
    EXPECT_EQ(ObjectDisplayName(object, false), "obj");
}

} // namespace
} // namespace engine
