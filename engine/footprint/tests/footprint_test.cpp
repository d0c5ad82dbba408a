#include <gtest/gtest.h>

#include <string>

#include "engine/footprint/footprint.h"
#include "engine/footprint/symbol_table.h"
#include "engine/names/tests/record_builder.h"
#include "engine/sectioned/sectioned_file.h"
#include "platform/core/message_service.h"

namespace engine {
namespace {

using test::RecordBuilder;

// A small model: pointers of 4 bytes, every header 8 bytes, every property structure 4 bytes, the task
// control block 16, the kernel workspace 40 and the global object row 4 (so a row is 8 with its pointer).
std::string SmallModel(const char* pointerSize)
{
    std::string text = std::string("[Types]\nNumberOfTypes=4\n"
                                   "Type_1_Name=char\nType_1_Size=1\n"
                                   "Type_2_Name=int\nType_2_Size=4\n"
                                   "Type_3_Name=NEAR_DATA_PTR\nType_3_Size=") +
                       pointerSize +
                       "\n"
                       "Type_4_Name=TASK\nType_4_Size=2\n"
                       "[Structures]\n";
    const char* structures[] = {"KWS", "SYSPROP", "OCDT", "NAMELIST", "KCLASSPROP", "TASKECONTEXT", "CTX_REGS",
                                "LCHEADER", "TCHEADER", "SCHEADER", "CCHEADER", "ACHEADER", "PCHEADER", "TCB",
                                "SHEADER", "QHEADER", "LEVELPROP", "THREADPROP", "EVNTSRCPROP", "COUNTERPROP",
                                "ALARMPROP", "PIPEPROP", "TASKPROP", "SEMAPROP", "QUEUEPROP", "NAOT_SEMAPHORE"};
    const int ints[] = {10, 5, 3, 2, 1, 1, 6, 2, 2, 2, 2, 2, 2, 4, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (const char* name : structures)
        text += std::string(name) + "=\n";
    for (std::size_t i = 0; i < std::size(structures); ++i)
        text += "[Structure_" + std::string(structures[i]) + "]\nNumberOfMembers=1\nMember_1_Type=int\n"
                "Member_1_Elements=" + std::to_string(ints[i]) + "\n";
    return text;
}

class FootprintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.ParseSectionedText(SmallModel("4"));
        cpu = &b.AddCpu("C");
        cpu->modelFile = &model;
        cpu->kernel.defaultAlignment = 4;
        for (int32_t type : {ClassLevel, ClassThread, ClassEventSource, ClassCounter, ClassAlarm, ClassPipe,
                             ClassTask, ClassSemaphore, ClassQueue})
            b.AddKernelClass(*cpu, type, "k", "");
        setText(cpu->kernel.classes[7].rootName, "Semaphore");
        setText(cpu->kernel.classes[7].name, "Semaphore");
        app = &b.AddApplication(*cpu, "A");
    }

    RecordBuilder b;
    SectionedFile model;
    CpuRecord* cpu = nullptr;
    ApplicationRecord* app = nullptr;
};

TEST_F(FootprintTest, KernelShareAndKernelStack)
{
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    // No class entries: pointer, SYSPROP and KWS only.
    EXPECT_EQ(app->footprint.UserRam(), 4u);
    EXPECT_EQ(app->footprint.UserRom(), 20u);
    EXPECT_EQ(app->footprint.SystemRam(), 40u);
    EXPECT_TRUE(app->footprint.IsValid());

    app->kernelStackAvailable = 300;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(app->footprint.SystemRam(), 40u); // single-stack variant: no kernel stack
    cpu->kernel.framework = 2;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(app->footprint.SystemRam(), 340u);
    app->kernelStackManual = 1;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(app->footprint.UserRam(), 304u);
    EXPECT_EQ(app->footprint.SystemRam(), 40u);
}

TEST_F(FootprintTest, MultiprocessorShareCountsGlobalObjectsOfTheWholeProject)
{
    cpu->kernel.featureMask = 6;
    cpu->kernel.framework = 6;
    app->isMp = 1;
    ApplicationClassEntry& semaphores = b.AddClassEntry(*app, ClassSemaphore, "Semaphore");
    b.AddObject(semaphores, "local");
    b.AddObject(semaphores, "shared").isMp = 1;
    ApplicationRecord& other = b.AddApplication(*cpu, "B");
    other.isMp = 1;
    ApplicationClassEntry& otherEntry = b.AddClassEntry(other, ClassSemaphore, "Semaphore");
    b.AddObject(otherEntry, "remote").isMp = 1;
    b.AddObject(otherEntry, "off").isMp = 1;
    otherEntry.objects[1].enabled = 0;

    ComputeApplicationFootprint(&b.project, *cpu, *app);
    const uint32_t base = 3u * 4u + 4u; // (S + 1) * SEMAPROP + KCLASSPROP
    // Two global semaphores in the project: (2 + 1) * (pointer 4 + NAOT_SEMAPHORE 4); no names kept.
    EXPECT_EQ(semaphores.footprint.UserRom(), base + 24u);

    // With static names kept: (Max Key Length 8 + 1) per static object, and each global name with its
    // terminator ("shared" and "remote").
    b.AddAttribute(cpu->kernel.classes[7], "Names", "HAS_SemaphoreStaticNames");
    const uint32_t names = 2u * 9u;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(semaphores.footprint.UserRom(), base + names + 24u + 7u + 7u);

    // Without the project only the application's own globals count.
    ComputeApplicationFootprint(nullptr, *cpu, *app);
    EXPECT_EQ(semaphores.footprint.UserRom(), base + names + 16u + 7u);

    app->isMp = 0;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(semaphores.footprint.UserRom(), base + names);
}

TEST_F(FootprintTest, TablesBelongToEachCpusModel)
{
    SectionedFile wideModel;
    wideModel.ParseSectionedText(SmallModel("8"));
    CpuRecord& wide = b.AddCpu("Wide");
    wide.modelFile = &wideModel;
    ApplicationRecord& wideApp = b.AddApplication(wide, "W");

    EXPECT_EQ(GetTypeSize("NEAR_DATA_PTR", *cpu), 4u);
    EXPECT_EQ(GetTypeSize("NEAR_DATA_PTR", wide), 8u);
    ComputeApplicationFootprint(&b.project, wide, wideApp);
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(wideApp.footprint.UserRam(), 8u);
    EXPECT_EQ(app->footprint.UserRam(), 4u);

    // A CPU without a model file has no tables: sizes are 0.
    CpuRecord& bare = b.AddCpu("Bare");
    EXPECT_EQ(GetStructureSize("KWS", bare), 0u);
    EXPECT_TRUE(ComputeApplicationFootprint(b.project, wideApp));
    ApplicationRecord stray{};
    EXPECT_FALSE(ComputeApplicationFootprint(b.project, stray));
}

TEST_F(FootprintTest, NegativeCountsAreEmptyAndHugeOnesHoldAtTheMaximum)
{
    // A class the CPU has deselected counts nothing.
    ApplicationClassEntry& queues = b.AddClassEntry(*app, ClassQueue, "Queue");
    RecordBuilder::DataOf<QueueData>(b.AddObject(queues, "q1")) = QueueData{16, "", 10, "", 0, 0, 0, ""};
    RecordBuilder::DataOf<QueueData>(b.AddObject(queues, "q2")) = QueueData{-4, "", 10, "", 0, 0, 0, ""};
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(queues.footprint.UserRam(), 160u); // a negative width counts as 0
    cpu->kernel.classes[8].selected = 0;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(queues.footprint.Total(), 0u);
    EXPECT_TRUE(queues.footprint.IsValid());

    ApplicationClassEntry& tasks = b.AddClassEntry(*app, ClassTask, "Task");
    RecordBuilder::DataOf<TaskData>(b.AddObject(tasks, "t1")).stackSize = 0x7FFFFFFF;
    RecordBuilder::DataOf<TaskData>(b.AddObject(tasks, "t2")).stackSize = 0x7FFFFFFF;
    RecordBuilder::DataOf<TaskData>(b.AddObject(tasks, "t3")).stackSize = 0x7FFFFFFF;
    tasks.dynamicsAllowed = 1;
    tasks.numberOfDynamics = 0x7FFFFFFF;
    ComputeApplicationFootprint(&b.project, *cpu, *app);
    EXPECT_EQ(tasks.footprint.UserRam(), 0xFFFFFFFFu);
    EXPECT_EQ(tasks.footprint.SystemRam(), 0xFFFFFFFFu);
    EXPECT_EQ(app->footprint.Total(), 0xFFFFFFFFu);
}

} // namespace
} // namespace engine
