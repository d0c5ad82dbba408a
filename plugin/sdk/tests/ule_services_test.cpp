// Program locations, user breakpoints, their category provider and the task provider over the
// simulated debugger, including the debugger's calls back through the callback slots.

#include "plugin/sdk/symbols.h"
#include "plugin/sdk/task_provider.h"
#include "plugin/sdk/tests/sdk_fixture.h"
#include "plugin/sdk/ule.h"
#include "plugin/sdk/user_breakpoints.h"

#include <cstring>
#include <memory>

namespace dk::test {
namespace {

class SdkUleTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        kernel.symbols().add({"main", true, 0, 0x100, DK_SYM_FUNCTION});
        kernel.symbols().add({"helper", true, 0, 0x200, DK_SYM_FUNCTION});
        kernel.symbols().add({"counter", true, 0, 0x4000, DK_SYM_VARIABLE});
        // One source line inlined into two functions, plus a record without a function.
        program().addRecord(simdbg::simRecord(1, {"util.h", 5, 1}, {"util.h", 9, 1}, 0x110, 0x11F, "main"));
        program().addRecord(simdbg::simRecord(1, {"util.h", 5, 1}, {"util.h", 9, 1}, 0x210, 0x21F, "helper"));
        program().addRecord(simdbg::simRecord(1, {"util.h", 5, 1}, {"util.h", 9, 1}, 0x230, 0x23F, "helper"));
        program().addRecord(simdbg::simRecord(1, {"once.c", 1, 1}, {"once.c", 3, 1}, 0x300, 0x30F, "main"));
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(program().outstandingHandles(), 0u);
        EXPECT_EQ(program().outstandingBlocks(), 0u);
        EXPECT_EQ(kernel.outstandingArrays(), 0u);
        EXPECT_TRUE(program().ledgerErrors().empty()) << program().ledgerErrors().front();
        SdkTest::TearDown();
    }
    simdbg::SimProgram& program() { return kernel.program(); }
};

TEST_F(SdkUleTest, KindsCastsAndTheSwappedKindNumbers)
{
    DkUle absolute = DkUle::FromText("0x4000", MemoryZone(0));
    DkUle expression = DkUle::FromText("counter + 1", true);
    DkUle source = DkUle::FromText("util.h:6", false);
    EXPECT_EQ(absolute.GetKind(), UleKind::Absolute);
    EXPECT_EQ(static_cast<uint32_t>(absolute.GetKind()), 2u);
    EXPECT_EQ(static_cast<uint32_t>(expression.GetKind()), 1u);
    EXPECT_EQ(source.GetKind(), UleKind::Source);

    EXPECT_NE(absolute.AsAbsoluteUle().GetHandle(), 0u);
    EXPECT_EQ(absolute.AsSourceUle().GetHandle(), 0u) << "a cast to the wrong kind holds no handle";
    EXPECT_EQ(expression.AsAbsoluteUle().GetHandle(), 0u);
    DkExpressionUle cast = expression.AsExpressionUle();
    EXPECT_NE(cast.GetHandle(), expression.GetHandle()) << "a cast holds a duplicate of its own";
    EXPECT_EQ(cast.GetText(), "counter + 1");
    EXPECT_EQ(absolute.GetText2(), "absolute 0x4000");
    EXPECT_EQ(source.GetFlagANegated(), 0u); // made with flag false: the debugger's flag is set
    EXPECT_EQ(expression.GetFlagA(), 0u);

    DkUle copy = absolute;
    copy = source; // gives the absolute duplicate back, duplicates the source handle
    EXPECT_EQ(copy.GetKind(), UleKind::Source);
    EXPECT_EQ(kernel.callCount(DK_ULE_DUPLICATE), 4u); // two casts, two copies
}

TEST_F(SdkUleTest, LocationsResolveToTargetAddresses)
{
    DkAbsoluteUle one(TargetLocation(MemoryZone(0), 0x4000));
    EXPECT_EQ(kernel.callCount(DK_ULE_VALUE_B), 0u) << "a count of 1 is not set";
    DkAbsoluteUle two(TargetLocation(MemoryZone(0), 0x4000), 2);
    EXPECT_EQ(two.GetValueBDefault(), 2u);
    std::vector<TargetLocation> places = DkSourceUle(SourcePosition("util.h", 6, 1)).Resolve(false);
    ASSERT_EQ(places.size(), 3u);
    EXPECT_EQ(places[2].GetAddress(), 0x230u);
    EXPECT_TRUE(DkUle::FromText("nothing", true).Resolve(true).empty());

    TargetLocation location;
    ASSERT_TRUE(DkUle::FromText("counter", true).GetTargetLocation(location));
    EXPECT_EQ(location.GetAddress(), 0x4000u);
    SourcePosition position;
    EXPECT_FALSE(one.GetSourcePosition(position));
    ASSERT_TRUE(DkUle::FromText("util.h:7", true).GetSourcePosition(position));
    EXPECT_EQ(position, SourcePosition("util.h", 7, 1));
    DkValue value;
    EXPECT_EQ(one.GetValue(value), DK_STATUS_OK);
    EXPECT_NE(value.GetHandle(), 0u);
    std::vector<DebugInfoRecord> records;
    EXPECT_TRUE(DkSourceUle(SourcePosition("util.h", 6, 1)).GetRecords(records));
    EXPECT_EQ(records.size(), 3u);
    EXPECT_FALSE(one.GetRecords(records));
}

TEST_F(SdkUleTest, ExpandingASourcePositionGivesOneLocationPerFunction)
{
    std::vector<DkUle> list;
    EXPECT_EQ(ExpandSourcePosition(SourcePosition("util.h", 6, 1), list), 2u); // helper twice adds one
    std::string function;
    ASSERT_TRUE(list[0].GetFunctionText(function));
    EXPECT_EQ(function, "main");
    ASSERT_TRUE(list[1].GetFunctionText(function));
    EXPECT_EQ(function, "helper");
    EXPECT_EQ(list[1].GetFunctionSymbol().GetName(), "helper");
    ASSERT_EQ(list[1].Resolve(false).size(), 2u);
    EXPECT_TRUE(list[1].MatchesSymbol(Lookup<DkFunctionSymbol>("helper", DkContext::Symbols())));

    // A single function: the one element becomes the plain location, without a function text.
    std::vector<DkUle> single;
    EXPECT_EQ(ExpandSourcePosition(SourcePosition("once.c", 2, 1), single), 1u);
    EXPECT_FALSE(single[0].GetFunctionText(function));
    // No records at all: the plain location.
    std::vector<DkUle> none;
    EXPECT_EQ(ExpandSourcePosition(SourcePosition("none.c", 2, 1), none), 1u);
    EXPECT_EQ(none[0].GetKind(), UleKind::Source);

    DkSourceUle modelled(SourcePosition("util.h", 8, 1), list[1]);
    ASSERT_TRUE(modelled.GetFunctionText(function));
    EXPECT_EQ(function, "helper");
}

class Category : public DkUserBreakCategoryProvider {
public:
    uint32_t Op2(uint32_t argument) override { return argument * 2; }
    std::string Text(uint32_t argument) override { return "category " + std::to_string(argument); }
};

class WatchBreakpoint : public DkUleUserBreakpointBase {
public:
    explicit WatchBreakpoint(DkUle location) : m_location(std::move(location)) {}
    DkUle GetLocation() const override { return m_location; }
    std::string Text1() override { return "watch"; }
    std::string Text2() override { return "counter changes"; }
    uint32_t Op3(uint16_t argument) override { return argument + 1u; }
    uint32_t Op4(const DkUle& location, uint16_t) override
    {
        seenText = location.GetText();
        return GetId();
    }
    uint32_t Op5() override { return 5; }
    uint32_t Op8(const DkUle& location) override { return static_cast<uint32_t>(location.GetKind()); }
    uint32_t BaseOp5() override { return 0x105; }
    uint32_t BaseOp6(bool flag) override { return flag ? 6 : 0; }
    std::string seenText;

private:
    DkUle m_location;
};

TEST_F(SdkUleTest, UserBreakpointsAreSetUnderTheirCategoryAndCalledBack)
{
    Category category;
    ASSERT_NE(category.GetHandle(), 0u);
    WatchBreakpoint watch(DkUle::FromText("counter", true));
    ASSERT_TRUE(watch.Set(category));
    EXPECT_EQ(watch.Describe(), "watch @ counter");
    EXPECT_EQ(GetUserBreakpointIds(), std::vector<uint32_t>{watch.GetId()});
    EXPECT_EQ(GetUserBreakpointIds(category.GetHandle()).size(), 1u);
    EXPECT_EQ(watch.Refresh(), DK_STATUS_OK);
    EXPECT_EQ(kernel.callCount(DK_ULE_BREAKPOINT_REFRESH), 1u);
    EXPECT_EQ(GetUserBreakpointStatus(), DK_STATUS_OK);

    // The debugger calls back with the object it was given.
    auto set = program().userBreakpoints();
    ASSERT_EQ(set.size(), 1u);
    EXPECT_TRUE(set[0].atLocation);
    const PluginCallbackTable* table = kernel.callbacks();
    char text[32];
    table->PluginCbUserBreakpoint1(set[0].object, text, sizeof text);
    EXPECT_STREQ(text, "watch");
    EXPECT_EQ(table->PluginCbUserBreakpoint3(set[0].object, 0x1FF), 0x00) << "low byte of 0x200";
    EXPECT_EQ(table->PluginCbUserBreakpoint6(set[0].object), watch.GetId());
    EXPECT_EQ(table->PluginCbUserBreakpoint9(set[0].object), 0x05);
    // Slot 28 wraps the debugger's location for the call and gives it back afterwards.
    DkAbsoluteUle passed(TargetLocation(MemoryZone(0), 0x10));
    DkHandle handed = callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_ULE_DUPLICATE, passed.GetHandle());
    EXPECT_EQ(table->PluginCbUserBreakpoint4(set[0].object, handed, 1), watch.GetId());
    EXPECT_EQ(watch.seenText, "0x10");
    // Slot 31 hands a duplicate the debugger owns.
    DkHandle duplicate = table->PluginCbUserBreakpoint7(set[0].object);
    ASSERT_NE(duplicate, 0u);
    callKernelVoid<DkHandleFn>(DK_ULE_RELEASE, duplicate);

    void* provider = program().categoryObject(category.GetHandle());
    ASSERT_NE(provider, nullptr);
    EXPECT_STREQ(table->PluginCbUserBreakpoint12(provider, 0), "DEFAULT");
    EXPECT_EQ(table->PluginCbUserBreakpoint11(provider, 21), 42u);
    char one[1] = {'x'};
    table->PluginCbUserBreakpoint14(provider, one, 1, 3);
    EXPECT_EQ(one[0], '\0');

    EXPECT_EQ(watch.Clear(), DK_STATUS_OK);
    EXPECT_EQ(watch.GetId(), 0u);
    EXPECT_TRUE(GetUserBreakpointIds().empty());
    EXPECT_EQ(watch.Clear(), DK_STATUS_FAILURE) << "not set any more";
}

TEST_F(SdkUleTest, AClearTheDebuggerRefusesKeepsTheBreakpointRegisteredUntilItIsCleared)
{
    Category category;
    auto watch = std::make_unique<WatchBreakpoint>(DkUle::FromText("counter", true));
    ASSERT_TRUE(watch->Set(category));
    const uint32_t id = watch->GetId();
    kernel.injectFailure(DK_ULE_BREAKPOINT_CLEAR, 0x31, 2);
    EXPECT_EQ(watch->Clear(), 0x31);
    EXPECT_EQ(watch->GetId(), id); // still set
    watch.reset(); // refused again
    auto set = program().userBreakpoints();
    ASSERT_EQ(set.size(), 1u);
    // The debugger may still call it: neutral answers, nothing freed is reached.
    const PluginCallbackTable* table = kernel.callbacks();
    char text[16] = "x";
    table->PluginCbUserBreakpoint1(set[0].object, text, sizeof text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(table->PluginCbUserBreakpoint6(set[0].object), id);
    kernel.notify(DK_NOTIFY_TARGET_STOPPED); // asked again, and cleared
    EXPECT_TRUE(program().userBreakpoints().empty());
    EXPECT_EQ(RetryRefusedUserBreakpointClears(), 0u);
}

// The debugger drops a registration's category providers and user breakpoints when it is given
// back: a clear refused before Exit, a breakpoint still set at Exit and its provider are not asked
// for again, not after Exit and not at a stop of the next session.
TEST_F(SdkUleTest, UserBreakpointsOfAnEndedSessionAreForgottenNotCleared)
{
    auto category = std::make_unique<Category>();
    auto refused = std::make_unique<WatchBreakpoint>(DkUle::FromText("counter", true));
    WatchBreakpoint kept(DkUle::FromText("counter", true));
    ASSERT_TRUE(refused->Set(*category));
    ASSERT_TRUE(kept.Set(*category));
    kernel.injectFailure(DK_ULE_BREAKPOINT_CLEAR, 0x31, 2); // when it goes and again at Exit
    refused.reset();
    ASSERT_EQ(PluginApiExit(), 0);
    EXPECT_TRUE(program().userBreakpoints().empty());
    const uint64_t clears = kernel.callCount(DK_ULE_BREAKPOINT_CLEAR);
    EXPECT_EQ(clears, 2u);
    EXPECT_EQ(RetryRefusedUserBreakpointClears(), 0u);

    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    EXPECT_EQ(kept.Clear(), DK_STATUS_OK); // gone with its registration
    EXPECT_EQ(kept.GetId(), 0u);
    category.reset();
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(kernel.callCount(DK_ULE_BREAKPOINT_CLEAR), clears);
    EXPECT_EQ(kernel.callCount(DK_CATEGORY_UNREGISTER), 0u);
    EXPECT_EQ(RetryRefusedUserBreakpointClears(), 0u);
}

TEST_F(SdkUleTest, ABreakpointThatGoesWhileSetIsClearedFirst)
{
    Category category;
    {
        WatchBreakpoint watch(DkUle::FromText("counter", true));
        ASSERT_TRUE(watch.Set(category));
    }
    EXPECT_TRUE(program().userBreakpoints().empty());
    EXPECT_EQ(kernel.callCount(DK_ULE_BREAKPOINT_CLEAR), 1u);
    EXPECT_EQ(kernel.callCount(DK_USER_BREAKPOINT_CLEAR), 0u);
}

class Tasks : public DkTaskProvider {
public:
    DkStatus TaskIds(std::vector<uint32_t>& ids) override
    {
        ids = {4, 5};
        return 0;
    }
    std::string TaskName(uint32_t task) override { return "task " + std::to_string(task); }
    uint32_t TaskOp3(uint32_t task, uint32_t argument) override { return task * argument; }
    uint32_t TaskOp4(uint32_t) override { return 1; }
};

TEST_F(SdkUleTest, TaskProviderHoldsTheOneSlotAndTheQueriesGiveEverythingBack)
{
    program().addTask({3, "Idle", false, 1, 0, {}});
    program().addTask({4, "Worker", true, 7, 0, {{0, 0, 0x800}, {0, 0, 0x900}}});
    {
        Tasks first;
        EXPECT_EQ(DkTaskProvider::Current(), &first);
        void* object = program().taskProviderObject();
        char name[16];
        kernel.callbacks()->PluginCbTaskProvider3(object, 9, name, sizeof name);
        EXPECT_STREQ(name, "task 9");
        {
            Tasks second;
            EXPECT_EQ(DkTaskProvider::Current(), &second);
        }
        EXPECT_EQ(DkTaskProvider::Current(), nullptr);
        EXPECT_EQ(kernel.callCount(DK_TASK_PROVIDER_UNREGISTER), 1u);
    }
    EXPECT_EQ(kernel.callCount(DK_TASK_PROVIDER_UNREGISTER), 1u) << "a replaced provider leaves the slot alone";

    std::vector<uint32_t> ids{99};
    ASSERT_EQ(GetTaskIds(ids), DK_STATUS_OK);
    EXPECT_EQ(ids, (std::vector<uint32_t>{3, 4}));
    kernel.injectFailure(DK_TASK_IDS, 0x22);
    EXPECT_EQ(GetTaskIds(ids), 0x22);
    EXPECT_EQ(ids.size(), 2u);
    EXPECT_EQ(GetTaskName(4), "Worker");
    EXPECT_EQ(GetTaskName(8), "");
    EXPECT_TRUE(GetTaskFlag(4));
    EXPECT_FALSE(GetTaskFlag(3));

    DkTaskHandle worker = DkTaskHandle::OfKind(4, DkContext::Memory());
    ASSERT_NE(worker.GetHandle(), 0u);
    EXPECT_EQ(worker.GetState(), 0u) << "state 7 reads as 0";
    EXPECT_EQ(DkTaskHandle::OfKind(3, DkContext::Memory()).GetState(), 1u);
    EXPECT_EQ(DkTaskHandle::OfKind(9, DkContext::Memory()).GetHandle(), 0u);
    worker.Set264(12);
    EXPECT_EQ(worker.Query265(), 12u);
    std::vector<TargetLocation> places = worker.GetLocations();
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[1].GetAddress(), 0x900u);
}

} // namespace
} // namespace dk::test
