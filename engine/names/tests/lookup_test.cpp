#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/names/tree_items.h"
#include "engine/names/tests/record_builder.h"

namespace engine {
namespace {

using test::RecordBuilder;

// Two CPUs; the first has two applications. App "A" chains Level -> Thread and Event Source -> Counter ->
// Alarm, with objects at every depth; tree item ids are set on a few records.
class LookupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cpu0 = &b.AddCpu("C0");
        cpu1 = &b.AddCpu("C1");
        appA = &b.AddApplication(*cpu0, "A");
        appB = &b.AddApplication(*cpu0, "B");
        appC = &b.AddApplication(*cpu1, "C");

        levels = &b.AddClassEntry(*appA, ClassLevel, "Level");
        threads = &b.Chain(*levels, ClassThread, "Thread");
        sources = &b.AddClassEntry(*appA, ClassEventSource, "Event Source");
        counters = &b.Chain(*sources, ClassCounter, "Counter");
        alarms = &b.Chain(*counters, ClassAlarm, "Alarm");
        tasks = &b.AddClassEntry(*appB, ClassTask, "Task");

        ObjectRecord& l1 = b.AddObject(*levels, "L1");
        ObjectRecord& l2 = b.AddObject(*levels, "L2");
        b.AddChild(l1, ClassThread, "T1");
        b.AddChild(l1, ClassThread, "T2");
        b.AddChild(l2, ClassThread, "T3");
        ObjectRecord& s1 = b.AddObject(*sources, "S1");
        ObjectRecord& c1 = b.AddChild(s1, ClassCounter, "Ctr1");
        ObjectRecord& c2 = b.AddChild(s1, ClassCounter, "Ctr2");
        b.AddChild(c1, ClassAlarm, "Al1");
        b.AddChild(c2, ClassAlarm, "Al2");
        b.AddChild(c2, ClassAlarm, "Al3");
        b.AddObject(*tasks, "Tk1");
        b.AddObject(b.AddClassEntry(*appC, ClassSemaphore, "Semaphore"), "Sem");
    }

    RecordBuilder b;
    CpuRecord* cpu0 = nullptr;
    CpuRecord* cpu1 = nullptr;
    ApplicationRecord* appA = nullptr;
    ApplicationRecord* appB = nullptr;
    ApplicationRecord* appC = nullptr;
    ApplicationClassEntry* levels = nullptr;
    ApplicationClassEntry* threads = nullptr;
    ApplicationClassEntry* sources = nullptr;
    ApplicationClassEntry* counters = nullptr;
    ApplicationClassEntry* alarms = nullptr;
    ApplicationClassEntry* tasks = nullptr;
};

TEST_F(LookupTest, WalksVisitInArrayOrderDepthFirst)
{
    std::vector<std::string> names;
    std::vector<int> depths;
    VisitProjectObjects(b.project, [&](const ObjectPlace& place) {
        names.push_back(place.object->name);
        depths.push_back(place.depth);
        return 0;
    });
    EXPECT_EQ(names, (std::vector<std::string>{"L1", "T1", "T2", "L2", "T3", "S1", "Ctr1", "Al1", "Ctr2", "Al2",
                                               "Al3", "Tk1", "Sem"}));
    EXPECT_EQ(depths, (std::vector<int>{0, 1, 1, 0, 1, 0, 1, 2, 1, 2, 2, 0, 0}));

    std::vector<std::string> entries;
    VisitProjectClassEntries(b.project, [&](const ClassEntryPlace& place) {
        entries.push_back(std::string(place.entry->name) + "@" + std::to_string(place.depth));
        return 0;
    });
    EXPECT_EQ(entries, (std::vector<std::string>{"Level@0", "Thread@1", "Event Source@0", "Counter@1", "Alarm@2",
                                                 "Task@0", "Semaphore@0"}));
}

TEST_F(LookupTest, WalkStopsAtFirstNonZeroResult)
{
    int calls = 0;
    const int result = VisitProjectObjects(b.project, [&](const ObjectPlace& place) {
        ++calls;
        return std::string(place.object->name) == "Ctr1" ? 42 : 0;
    });
    EXPECT_EQ(result, 42);
    EXPECT_EQ(calls, 7);
    EXPECT_EQ(VisitProjectCpus(b.project, [](CpuRecord&) { return 0; }), 0);
}

TEST_F(LookupTest, ChildObjectsCarryTheirChainedEntry)
{
    ObjectPlace place;
    ObjectRecord& alarm = sources->objects[0].children[1].children[0];
    ASSERT_TRUE(FindObjectPlace(b.project, alarm, place));
    EXPECT_EQ(place.entry, alarms);
    EXPECT_EQ(place.parent, &sources->objects[0].children[1]);
    EXPECT_EQ(place.application, appA);
    EXPECT_EQ(place.cpu, cpu0);
    EXPECT_EQ(FindApplicationOfObject(b.project, alarm), appA);
    EXPECT_EQ(FindCpuOfObject(b.project, cpu1->applications[0].classEntries[0].objects[0]), cpu1);
}

TEST_F(LookupTest, FindersOfOwners)
{
    EXPECT_EQ(FindCpuOfApplication(b.project, *appC), cpu1);
    EXPECT_EQ(FindCpuOfClassEntry(b.project, *counters), cpu0);
    EXPECT_EQ(FindApplicationOfClassEntry(b.project, *tasks), appB);
    ApplicationRecord stray{};
    EXPECT_EQ(FindCpuOfApplication(b.project, stray), nullptr);
    ObjectRecord loose{};
    EXPECT_EQ(FindApplicationOfObject(b.project, loose), nullptr);
    EXPECT_EQ(FindObjectByName(b.project, "Al3"), &sources->objects[0].children[1].children[1]);
    EXPECT_EQ(FindObjectByName(b.project, "al3"), nullptr);
    EXPECT_EQ(FindApplicationClassEntryByType(*appA, ClassAlarm), alarms);
    EXPECT_EQ(FindApplicationClassEntryByType(*appA, ClassTask), nullptr);
}

TEST_F(LookupTest, CountsObjectsAtTheEntrysChainDepth)
{
    EXPECT_EQ(CountClassEntryObjects(*appA, *levels), 2);
    EXPECT_EQ(CountClassEntryObjects(*appA, *threads), 3);
    EXPECT_EQ(CountClassEntryObjects(*appA, *sources), 1);
    EXPECT_EQ(CountClassEntryObjects(*appA, *counters), 2);
    EXPECT_EQ(CountClassEntryObjects(*appA, *alarms), 3);
    // An entry the application does not hold counts its own objects.
    EXPECT_EQ(CountClassEntryObjects(*appB, *levels), 2);
}

TEST_F(LookupTest, TreeItemsMapBackToTheirRecords)
{
    b.project.treeItem = 1;
    cpu1->treeItem = 2;
    appB->treeItem = 3;
    levels->treeItem = 4;
    threads->treeItem = 4; // merged onto the head's item
    sources->objects[0].treeItem = 5;
    sources->objects[0].children[1].children[0].treeItem = 6;

    TreeNode node;
    EXPECT_EQ(FindNodeByTreeItem(b.project, 1, node), NodeProject);
    EXPECT_EQ(node.project, &b.project);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 2, node), NodeCpu);
    EXPECT_EQ(node.cpu, cpu1);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 3, node), NodeApplication);
    EXPECT_EQ(node.application, appB);
    EXPECT_EQ(node.cpu, cpu0);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 4, node), NodeClassEntry);
    EXPECT_EQ(node.entry, levels);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 5, node), NodeObject);
    EXPECT_EQ(node.entry, sources);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 6, node), NodeChildObject);
    EXPECT_EQ(node.entry, alarms);
    EXPECT_EQ(node.parent, &sources->objects[0].children[1]);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 0, node), NodeNone);
    EXPECT_EQ(FindNodeByTreeItem(b.project, 99, node), NodeNone);
    EXPECT_EQ(node.object, nullptr);

    EXPECT_EQ(ClassEntryOfTreeItem(b.project, 4), levels);
    EXPECT_EQ(ClassEntryOfTreeItem(b.project, 6), alarms);
    EXPECT_EQ(ClassEntryOfTreeItem(b.project, 3), nullptr);
    EXPECT_EQ(ChildClassEntryOfTreeItem(b.project, sources->objects[0].children[0]), counters);
}

TEST_F(LookupTest, BrokenCountsAndCyclicChainsAreBounded)
{
    // A count without its block, and a negative count, walk nothing.
    appB->classEntries[0].objects[0].childCount = 5;
    cpu1->applications[0].classEntryCount = -3;
    // A chain that loops back on itself is followed a bounded number of steps.
    alarms->chained = sources;
    int entries = 0;
    VisitProjectClassEntries(b.project, [&](const ClassEntryPlace&) {
        ++entries;
        return 0;
    });
    EXPECT_EQ(entries, 2 + kMaxChainDepth + 1);
    int objects = 0;
    VisitProjectObjects(b.project, [&](const ObjectPlace&) {
        ++objects;
        return 0;
    });
    EXPECT_GT(objects, 0);
    EXPECT_LT(objects, 1000);
}

TEST(KernelLookup, KernelTypeComesFromModeOrModelNumber)
{
    RecordBuilder b;
    CpuRecord& cpu = b.AddCpu("C");
    EXPECT_EQ(GetCpuKernelType(nullptr), 0);
    cpu.kernel.mode = 0x53;
    EXPECT_EQ(GetCpuKernelType(&cpu), 3);
    EXPECT_TRUE(CpuSupportsPlacementOption(&cpu));
    cpu.kernel.mode = 0x8F; // low nibble 15: the model number decides
    cpu.kernel.modelNumber = 21;
    EXPECT_EQ(GetCpuKernelType(&cpu), 21);
    EXPECT_TRUE(CpuSupportsPlacementOption(&cpu));
    cpu.kernel.modelNumber = 9;
    EXPECT_FALSE(CpuSupportsPlacementOption(&cpu));
    cpu.kernel.enableAlignment = 1;
    EXPECT_TRUE(CpuSupportsPlacementOption(&cpu));

    // Multiprocessor needs bit value 4 in both the feature word and the variant mask.
    cpu.kernel.featureMask = 6;
    cpu.kernel.framework = 2;
    EXPECT_FALSE(IsCpuMpEnabled(cpu));
    cpu.kernel.framework = 4;
    EXPECT_TRUE(IsCpuMpEnabled(cpu));
}

TEST(KernelLookup, ClassesAndAttributeTags)
{
    RecordBuilder b;
    CpuRecord& cpu = b.AddCpu("C");
    KernelClassRecord& tasks = b.AddKernelClass(cpu, ClassTask, "Task");
    KernelClassRecord& first = b.AddKernelClass(cpu, ClassQueue, "Queue");
    b.AddKernelClass(cpu, ClassQueue, "Queue2");
    KernelClassAttribute& waiters = b.AddAttribute(first, "Waiters", "HAS_QueueWaiters");
    KernelClassAttribute& nested = b.AddChildAttribute(waiters, "Sems", "HAS_QueueSemaphores");
    b.AddAttribute(tasks, "Slice", "HAS_TaskTickSlice");

    EXPECT_EQ(FindKernelClassByType(&cpu, ClassQueue), &first);
    EXPECT_EQ(FindKernelClassByTypeRev(ClassTask, &cpu), &tasks);
    EXPECT_EQ(FindKernelClassByType(&cpu, ClassMutex), nullptr);
    EXPECT_EQ(FindKernelClassByType(nullptr, ClassTask), nullptr);
    EXPECT_EQ(FindClassAttributeByTag(&cpu, "HAS_QueueSemaphores"), &nested);
    EXPECT_EQ(FindClassAttributeByTag(&cpu, "HAS_TaskTickSlice"), &tasks.attributes[0]);
    EXPECT_EQ(FindClassAttributeByTag(&cpu, "HAS_Nothing"), nullptr);
    EXPECT_EQ(FindClassAttributeByTag(&cpu, ""), nullptr);
}

} // namespace
} // namespace engine
