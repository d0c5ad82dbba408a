#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    // A width kept as -4 is the unsigned 4294967292 the editors took: the sum holds at the maximum.
    EXPECT_EQ(queues.footprint.UserRam(), 0xFFFFFFFFu);
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

// Every size and count the editors accept, at the ends of its range, one at a time and all together: each
// class's User RAM and the application's are the exact sums (worked out in 128 bits), held at 2^32 - 1
// when they pass it, never wrapped or lost.
TEST_F(FootprintTest, AcceptedAmountsAtTheEndsOfTheirRangesAreCountedWithoutWrapping)
{
    b.AddKernelClass(*cpu, ClassPartition, "k", "");
    ApplicationClassEntry& pipes = b.AddClassEntry(*app, ClassPipe, "Pipe");
    ApplicationClassEntry& queues = b.AddClassEntry(*app, ClassQueue, "Queue");
    ApplicationClassEntry& partitions = b.AddClassEntry(*app, ClassPartition, "Partition");
    ApplicationClassEntry& tasks = b.AddClassEntry(*app, ClassTask, "Task");
    // Two objects of each, so a sum over objects passes the maximum as well as a product does.
    std::vector<int32_t*> fields;
    for (const char* name : {"o1", "o2"}) {
        auto& pipe = RecordBuilder::DataOf<PipeData>(b.AddObject(pipes, name));
        auto& queue = RecordBuilder::DataOf<QueueData>(b.AddObject(queues, name));
        auto& partition = RecordBuilder::DataOf<PartitionData>(b.AddObject(partitions, name));
        auto& task = RecordBuilder::DataOf<TaskData>(b.AddObject(tasks, name));
        fields.insert(fields.end(), {&pipe.numberOfBuffers, &pipe.maxBufferSize, &queue.depth, &queue.width,
                                     &partition.blockSize, &partition.numberOfBlocks, &task.stackSize});
    }
    constexpr std::size_t kPerObject = 7;
    // The lowest each editor takes (a buffer size may be 0, every other amount at least 1), and 2^32 - 1.
    const uint32_t lowest[kPerObject] = {1, 0, 1, 1, 1, 1, 1};
    constexpr uint32_t kHighest = 0xFFFFFFFFu;
    constexpr uint32_t kMiddle = 1000;
    using Wide = unsigned __int128;
    const auto held = [](Wide exact) { return exact > kHighest ? kHighest : static_cast<uint32_t>(exact); };
    const auto check = [&](const std::vector<uint32_t>& values) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            *fields[i] = static_cast<int32_t>(values[i]);
        Wide pipe = 0, queue = 0, partition = 0, task = 0;
        for (std::size_t o = 0; o < 2; ++o) {
            const uint32_t* v = &values[o * kPerObject];
            pipe += Wide(v[0]) * (Wide(v[1]) + 2 * 4 + 4); // buffers x (size + 2 pointers + an int)
            queue += Wide(v[2]) * v[3];
            partition += Wide(v[4]) * v[5];
            task += v[6];
        }
        ComputeApplicationFootprint(&b.project, *cpu, *app);
        EXPECT_EQ(pipes.footprint.UserRam(), held(pipe));
        EXPECT_EQ(queues.footprint.UserRam(), held(queue));
        EXPECT_EQ(partitions.footprint.UserRam(), held(partition));
        EXPECT_EQ(tasks.footprint.UserRam(), held(task));
        EXPECT_EQ(app->footprint.UserRam(), held(pipe + queue + partition + task + 4)); // + the kernel's pointer
    };
    for (std::size_t field = 0; field < fields.size(); ++field) {
        for (const bool high : {false, true}) {
            SCOPED_TRACE("field " + std::to_string(field) + (high ? " highest" : " lowest"));
            std::vector<uint32_t> values(fields.size(), kMiddle);
            values[field] = high ? kHighest : lowest[field % kPerObject];
            check(values);
        }
    }
    for (const bool high : {false, true}) {
        SCOPED_TRACE(high ? "all highest" : "all lowest");
        std::vector<uint32_t> values(fields.size());
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = high ? kHighest : lowest[i % kPerObject];
        check(values);
    }
    EXPECT_EQ(FootprintAmountText(kHighest), "4294967295 or more");
    EXPECT_EQ(FootprintAmountText(kHighest - 1), "4294967294");
}

} // namespace
} // namespace engine
