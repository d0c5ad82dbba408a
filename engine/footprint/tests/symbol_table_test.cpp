#include <gtest/gtest.h>

#include "engine/footprint/estimator_messages.h"
#include "engine/footprint/symbol_table.h"
#include "engine/names/tests/record_builder.h"
#include "platform/core/message_service.h"

namespace engine {
namespace {

using test::RecordBuilder;

const char* const kPredefined[] = {
    "HAS_Alarms", "HAS_Counters", "HAS_EventSources", "HAS_Exceptions", "HAS_Levels", "HAS_Mailboxes",
    "HAS_Mutexes", "HAS_Partitions", "HAS_Pipes", "HAS_Queues", "HAS_Semaphores", "HAS_Tasks", "HAS_Threads",
    "HAS_AlarmActions", "HAS_AlarmSemaphores", "HAS_AlarmWaiters", "HAS_AlarmStaticNames",
    "HAS_CounterStaticNames", "HAS_EventSourceStaticNames", "HAS_ExceptionStaticNames", "HAS_LevelStaticNames",
    "HAS_MailboxStaticNames", "HAS_MboxSemaphores", "HAS_MboxWaiters", "HAS_MutxSemaphores", "HAS_MutxWaiters",
    "HAS_MutexStaticNames", "HAS_PartSemaphores", "HAS_PartWaiters", "HAS_PartitionStaticNames",
    "HAS_PipeActions", "HAS_PipeStaticNames", "HAS_QueueSemaphores", "HAS_QueueWaiters", "HAS_QueueStaticNames",
    "HAS_RoundRobinScheduling", "HAS_SemaphoreStaticNames", "HAS_TaskEnvironmentArgs", "HAS_TaskSemaphores",
    "HAS_TaskTickSlice", "HAS_TaskStaticNames", "HAS_ThreadArg", "HAS_ThreadEnvArg", "HAS_ThreadGates",
    "HAS_ThreadStaticNames", "HAS_ExceptionStatistics", "HAS_LevelStatistics", "HAS_MailboxStatistics",
    "HAS_MutexStatistics", "HAS_PartitionStatistics", "HAS_PipeStatistics", "HAS_QueueStatistics",
    "HAS_SemaphoreStatistics", "HAS_ThreadStatistics", "HAS_ThreadDynamics", "HAS_KernelTraceMode",
    "HAS_ClassTickouts", "HAS_CSF", "HAS_OMBAmp", "HAS_OMBAms", "HAS_OMBAss", "NUM_KCLASSES", "NTHREADS",
    "NLEVELS", "NEVNTSRCS", "NCOUNTERS", "NALRMS", "NPIPES", "NEXCPTNS", "NTASKS", "NSEMAS", "NMBOXES", "NPARTS",
    "NQUEUES", "NMUTXES", "DNTHREADS", "DNLEVELS", "DNEVNTSRCS", "DNCOUNTERS", "DNALRMS", "DNPIPES", "DNEXCPTNS",
    "DNTASKS", "DNSEMAS", "DNMBOXES", "DNPARTS", "DNQUEUES", "DNMUTXES",
};

TEST(SymbolTable, EveryPredefinedSymbolExists)
{
    SymbolTable table;
    table.DefinePredefined();
    EXPECT_EQ(std::size(kPredefined), 88u);
    EXPECT_EQ(table.Size(), 88u);
    for (const char* name : kPredefined)
        EXPECT_NE(table.Find(name), nullptr) << name;
    EXPECT_EQ(ProgramSymbols().Find("HAS_CSF")->name, "HAS_CSF");
}

// A CPU with a few kernel classes and attributes, two extended contexts and an application using them.
class SymbolValuesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cpu = &b.AddCpu("C");
        cpu->kernel.framework = 6;
        KernelClassRecord& taskClass = b.AddKernelClass(*cpu, ClassTask, "Task", "Task");
        b.AddAttribute(taskClass, "Slice", "HAS_TaskTickSlice");
        KernelClassAttribute& names = b.AddAttribute(taskClass, "Names", "HAS_TaskStaticNames");
        names.selected = 0;
        KernelClassRecord& queueClass = b.AddKernelClass(*cpu, ClassQueue, "Queue", "Queue");
        queueClass.available = 0;
        b.AddKernelClass(*cpu, ClassThread, "Thread", "Thread");
        b.AddKernelClass(*cpu, ClassLevel, "Level", "Level");
        b.AddOption(*cpu, "TICKS", 1, 250, 0);
        b.AddOption(*cpu, "USE_FPU", 0, 77, 1);
        setText(b.AddOption(*cpu, "Kernel Heap", 1, 2048, 1).tag, "OPT_KHEAP");
        cpu->kernel.extendedContextCount = 2;
        setText(cpu->kernel.extendedContexts[0].name, "FPU");
        setText(cpu->kernel.extendedContexts[1].name, "DSP");

        app = &b.AddApplication(*cpu, "A");
        app->extendedContext[1] = 1;
        tasks = &b.AddClassEntry(*app, ClassTask, "Task");
        b.AddObject(*tasks, "t1");
        b.AddObject(*tasks, "t2");
        tasks->dynamicsAllowed = 1;
        tasks->numberOfDynamics = 4;
        ApplicationClassEntry& levels = b.AddClassEntry(*app, ClassLevel, "Level");
        levels.statistics = 1;
        threads = &b.Chain(levels, ClassThread, "Thread");
        ObjectRecord& level = b.AddObject(levels, "l");
        b.AddChild(level, ClassThread, "th1");
        b.AddChild(level, ClassThread, "th2");
        b.AddChild(level, ClassThread, "th3");
        threads->dynamicsAllowed = 1;
        threads->numberOfDynamics = 2;
        ApplicationClassEntry& queues = b.AddClassEntry(*app, ClassQueue, "Queue");
        b.AddObject(queues, "q");
        queues.enabled = 0;
    }

    uint32_t Value(const char* name) { return ProgramSymbols().Value(name).value_or(999); }

    RecordBuilder b;
    CpuRecord* cpu = nullptr;
    ApplicationRecord* app = nullptr;
    ApplicationClassEntry* tasks = nullptr;
    ApplicationClassEntry* threads = nullptr;
};

TEST_F(SymbolValuesTest, ValuesFollowTheCpuAndApplication)
{
    UpdateSymbolsForApplication(*cpu, *app);
    EXPECT_EQ(Value("HAS_Tasks"), 1u);
    EXPECT_EQ(Value("HAS_Queues"), 0u); // not available
    EXPECT_EQ(Value("HAS_Mutexes"), 0u); // no such kernel class
    EXPECT_EQ(Value("HAS_TaskTickSlice"), 1u);
    EXPECT_EQ(Value("HAS_TaskStaticNames"), 0u); // not selected
    EXPECT_EQ(Value("HAS_PipeActions"), 0u);
    EXPECT_EQ(Value("HAS_LevelStatistics"), 1u);
    EXPECT_EQ(Value("HAS_ThreadStatistics"), 0u);
    EXPECT_EQ(Value("HAS_ThreadDynamics"), 1u);
    EXPECT_EQ(Value("HAS_KernelTraceMode"), 1u);
    EXPECT_EQ(Value("HAS_OMBAmp"), 1u);
    EXPECT_EQ(Value("HAS_OMBAms"), 1u);
    EXPECT_EQ(Value("HAS_OMBAss"), 0u);
    EXPECT_EQ(Value("NUM_KCLASSES"), 14u);
    EXPECT_EQ(Value("NTASKS"), 2u);
    EXPECT_EQ(Value("DNTASKS"), 4u);
    EXPECT_EQ(Value("NTHREADS"), 3u); // children of the level, through the chain
    EXPECT_EQ(Value("DNTHREADS"), 2u);
    EXPECT_EQ(Value("NLEVELS"), 1u);
    EXPECT_EQ(Value("DNLEVELS"), 0u); // dynamics not allowed
    EXPECT_EQ(Value("NQUEUES"), 0u);  // entry not enabled
    EXPECT_EQ(Value("NMUTXES"), 0u);  // no entry
    EXPECT_EQ(Value("HAS_FPU_CONTEXT"), 0u);
    EXPECT_EQ(Value("HAS_DSP_CONTEXT"), 1u);

    tasks->dynamicsAllowed = 0;
    threads->numberOfDynamics = 0;
    UpdateSymbolsForApplication(*cpu, *app);
    EXPECT_EQ(Value("DNTASKS"), 0u);
    EXPECT_EQ(Value("HAS_ThreadDynamics"), 0u);
}

TEST_F(SymbolValuesTest, CpuAloneGivesZeroForApplicationSymbols)
{
    UpdateSymbolsForApplication(*cpu, *app);
    UpdateSymbolsForCpu(*cpu);
    EXPECT_EQ(Value("HAS_Tasks"), 1u);
    EXPECT_EQ(Value("NTASKS"), 0u);
    EXPECT_EQ(Value("HAS_LevelStatistics"), 0u);
    EXPECT_EQ(Value("HAS_DSP_CONTEXT"), 0u);

    // A context no application has named yet (as on the CPU sheet in a fresh session) is defined too.
    setText(cpu->kernel.extendedContexts[0].name, "VECTOR");
    ASSERT_FALSE(ProgramSymbols().Value("HAS_VECTOR_CONTEXT").has_value());
    UpdateSymbolsForCpu(*cpu);
    EXPECT_EQ(ProgramSymbols().Value("HAS_VECTOR_CONTEXT"), 0u);
}

TEST_F(SymbolValuesTest, NamesResolveThroughAttributesAndOptions)
{
    UpdateSymbolsForApplication(*cpu, *app);
    b.AddAttribute(cpu->kernel.classes[0], "Custom", "MY_TAG");
    EXPECT_EQ(ResolveExpressionName("MY_TAG", cpu), 1u);
    EXPECT_EQ(ResolveExpressionName("TICKS", cpu), 250u);  // a number option gives its value
    EXPECT_EQ(ResolveExpressionName("USE_FPU", cpu), 1u);  // an on/off option gives its state
    EXPECT_EQ(ResolveExpressionName("OPT_KHEAP", cpu), 2048u); // found by its tag
    EXPECT_FALSE(ResolveExpressionName("NOPE", cpu).has_value());
    EXPECT_FALSE(ResolveExpressionName("TICKS", nullptr).has_value());
    EXPECT_EQ(EvaluateExpression("TICKS && HAS_Tasks", cpu), 1u);
    EXPECT_EQ(EvaluateExpression("NTASKS", cpu), 2u);
}

TEST_F(SymbolValuesTest, ExpressionMessagesShowOncePerModel)
{
    platform::ScopedScriptedMessages messages;
    ClearEstimatorMessages();
    UpdateSymbolsForApplication(*cpu, *app);
    EXPECT_EQ(EvaluateExpression("HAS_Tasks && NOPE", cpu), 1u);
    EXPECT_EQ(EvaluateExpression("HAS_Tasks && NOPE", cpu), 1u);
    EXPECT_EQ(EvaluateExpression("1 + 1", cpu), 1u);
    ASSERT_EQ(messages->boxes().size(), 2u);
    EXPECT_EQ(messages->boxes()[0].text, "Undefined symbol \"NOPE\" referenced in expression");
    EXPECT_EQ(messages->boxes()[0].caption, "Error");
    EXPECT_EQ(messages->boxes()[1].text, "Invalid character '+' (0x2b) encountered in expression");
    ClearEstimatorMessages();
    EvaluateExpression("NOPE", cpu);
    EXPECT_EQ(messages->boxes().size(), 3u);
}

} // namespace
} // namespace engine
