// Breakpoints, hits delivered from the debugger's thread, and the stopper.

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/tests/sdk_fixture.h"

#include <memory>
#include <thread>

namespace dk::test {
namespace {

class SdkBreakpointTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    }
};

TEST_F(SdkBreakpointTest, SetHitAndRemoveThroughTheDebugger)
{
    TargetLocation at(MemoryZone(0), 0x1'0000'2000ull);
    {
        FunctionBreakpoint counter(at, "main");
        ASSERT_TRUE(counter.IsSet());
        EXPECT_EQ(counter.SetBreakpoint(), 0); // already set: no second request
        EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_SET), 1u);
        std::vector<simdbg::Breakpoint> set = kernel.breakpoints();
        ASSERT_EQ(set.size(), 1u);
        EXPECT_EQ(set[0].address, 0x1'0000'2000ull);
        EXPECT_EQ(set[0].accessCode, 0u);
        EXPECT_EQ(set[0].name, "DpKernelPlugin");

        std::vector<uint32_t> answers;
        std::thread debugger([&] {
            for (int i = 0; i < 3; ++i)
                for (uint32_t answer : kernel.hit(0, 0x1'0000'2000ull))
                    answers.push_back(answer);
        });
        debugger.join();
        EXPECT_EQ(counter.GetHitCount(), 3u);
        EXPECT_EQ(answers, (std::vector<uint32_t>{0, 0, 0}));
        EXPECT_EQ(DkBreakpoint::All().size(), 1u);
    }
    EXPECT_TRUE(kernel.breakpoints().empty());
    EXPECT_TRUE(DkBreakpoint::All().empty());
    EXPECT_TRUE(kernel.hit(0, 0x1'0000'2000ull).empty()); // no callback after removal
}

TEST_F(SdkBreakpointTest, ARefusedRemovalKeepsTheBreakpointRegisteredUntilTheDebuggerRemovedIt)
{
    TargetLocation at(MemoryZone(0), 0x3000);
    auto counter = std::make_unique<FunctionBreakpoint>(at, "f");
    ASSERT_TRUE(counter->IsSet());
    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x30, 1); // the target runs: the debugger refuses
    counter.reset();
    EXPECT_TRUE(DkBreakpoint::All().empty());
    ASSERT_EQ(kernel.breakpoints().size(), 1u); // still registered

    std::vector<uint32_t> answers;
    std::thread debugger([&] { answers = kernel.hit(0, 0x3000); }); // reaches nothing freed
    debugger.join();
    EXPECT_EQ(answers, (std::vector<uint32_t>{0}));

    kernel.notify(DK_NOTIFY_TARGET_STOPPED); // the target stands: asked again, and removed
    EXPECT_TRUE(kernel.breakpoints().empty());
    EXPECT_EQ(RetryRefusedBreakpointRemovals(), 0u);
    EXPECT_TRUE(kernel.hit(0, 0x3000).empty());
}

TEST_F(SdkBreakpointTest, KindFourRollsBackAndRefusedRemovalsStaySet)
{
    DkBreakpoint both(TargetLocation(MemoryZone(0), 0x40), DK_BP_KIND4);
    kernel.injectFailure(DK_BREAKPOINT_SET, 0x22, 1);
    EXPECT_EQ(both.SetBreakpoint(), 0x22); // the first request failed: answered at once
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_SET), 1u);

    EXPECT_FALSE(both.IsSet());
    EXPECT_EQ(both.SetBreakpoint(), 0);
    EXPECT_TRUE(both.IsSet());
    ASSERT_EQ(kernel.breakpoints().size(), 2u);
    EXPECT_EQ(kernel.breakpoints()[0].accessCode, 1u);
    EXPECT_EQ(kernel.breakpoints()[1].accessCode, 2u);
    EXPECT_EQ(both.SetKind(1), DK_STATUS_FAILURE);
    EXPECT_EQ(both.GetKind(), 4u);

    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x44, 1);
    both.RemoveBreakpoint();
    EXPECT_TRUE(both.IsSet());
    // The first removal was refused: the second handle was not asked for.
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), 1u);
    EXPECT_EQ(kernel.breakpoints().size(), 2u);
    both.RemoveBreakpoint();
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), 3u);
    EXPECT_FALSE(both.IsSet());
    EXPECT_TRUE(kernel.breakpoints().empty());

    DkBreakpoint odd(TargetLocation(MemoryZone(0), 0x40), 7);
    EXPECT_EQ(odd.SetBreakpoint(), DK_STATUS_FAILURE);
    odd.SetName("mine");
    EXPECT_EQ(odd.GetName(), "mine");
}

// The debugger drops a registration's breakpoints when it is given back; the plug-in's breakpoints
// outlive the session, are set again on the next registration (also after Init twice) and count on.
TEST_F(SdkBreakpointTest, BreakpointsAreSetAgainOnTheNextSessionAndCountOn)
{
    const TargetLocation at(MemoryZone(0), 0x2000);
    auto counter = std::make_unique<FunctionBreakpoint>(at, "main");
    for (int i = 0; i < 3; ++i)
        kernel.hit(0, 0x2000);
    ASSERT_EQ(counter->GetHitCount(), 3u);

    ASSERT_EQ(PluginApiExit(), 0);
    EXPECT_TRUE(kernel.breakpoints().empty());
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::vector<simdbg::Breakpoint> held = kernel.breakpoints();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].registration, kernel.registrationHandle());
    kernel.hit(0, 0x2000);
    EXPECT_EQ(counter->GetHitCount(), 4u);

    ASSERT_EQ(PluginApiInit(kernel.table()), 0); // Init twice: the first registration goes back first
    ASSERT_EQ(kernel.breakpoints().size(), 1u);
    kernel.hit(0, 0x2000);
    EXPECT_EQ(counter->GetHitCount(), 5u);

    // Removed after Exit: the debugger no longer knows the handle, so it is not asked for, not now
    // and not at any later stop, breakpoint change or Exit.
    ASSERT_EQ(PluginApiExit(), 0);
    const uint64_t removals = kernel.callCount(DK_BREAKPOINT_REMOVE);
    counter.reset();
    EXPECT_EQ(RetryRefusedBreakpointRemovals(), 0u);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_TRUE(kernel.breakpoints().empty());
    FunctionBreakpoint other(TargetLocation(MemoryZone(0), 0x2100), "idle");
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), removals);
}

// A breakpoint the debugger refuses to set again on the next registration is not held and says so; it
// is asked for again at every stop and at the next session until the debugger takes it.
TEST_F(SdkBreakpointTest, ARefusedSetAgainIsRetriedAtTheNextStopAndSession)
{
    FunctionBreakpoint counter(TargetLocation(MemoryZone(0), 0x2000), "main");
    ASSERT_TRUE(counter.IsHeldNow());
    ASSERT_EQ(PluginApiExit(), 0);
    EXPECT_FALSE(counter.IsSet()); // its registration was given back, and the debugger dropped it

    for (const bool atStop : {true, false}) {
        SCOPED_TRACE(atStop ? "taken at the next stop" : "taken at the next session");
        kernel.injectFailure(DK_BREAKPOINT_SET, 0xFFFF, 1);
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        EXPECT_FALSE(counter.IsSet());
        EXPECT_FALSE(counter.IsHeldNow());
        EXPECT_TRUE(kernel.breakpoints().empty());
        kernel.hit(0, 0x2000);
        EXPECT_EQ(counter.GetHitCount(), 0u);
        bool logged = false;
        for (const std::string& line : kernel.logLines())
            logged = logged || line.find("refused to set the breakpoint at 0x2000") != std::string::npos;
        EXPECT_TRUE(logged);

        if (atStop) {
            kernel.injectFailure(DK_BREAKPOINT_SET, 0xFFFF, 1);
            kernel.notify(DK_NOTIFY_TARGET_STOPPED); // refused once more
            EXPECT_FALSE(counter.IsHeldNow());
            kernel.notify(DK_NOTIFY_TARGET_STOPPED);
        } else {
            ASSERT_EQ(PluginApiExit(), 0);
            ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        }
        EXPECT_TRUE(counter.IsHeldNow());
        ASSERT_EQ(kernel.breakpoints().size(), 1u);
        EXPECT_EQ(kernel.breakpoints()[0].registration, kernel.registrationHandle());
        kernel.hit(0, 0x2000);
        EXPECT_EQ(counter.GetHitCount(), 1u);
        counter.ResetHitCount();
        const uint64_t sets = kernel.callCount(DK_BREAKPOINT_SET);
        kernel.notify(DK_NOTIFY_TARGET_STOPPED); // held: nothing asked
        EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_SET), sets);
        ASSERT_EQ(PluginApiExit(), 0);
    }
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
}

TEST_F(SdkBreakpointTest, ARemovalRefusedBeforeExitIsNotRetriedAfterIt)
{
    auto counter = std::make_unique<FunctionBreakpoint>(TargetLocation(MemoryZone(0), 0x3000), "f");
    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x30, 2); // refused when it goes and again at Exit
    counter.reset();
    ASSERT_EQ(PluginApiExit(), 0);
    EXPECT_TRUE(kernel.breakpoints().empty());
    const uint64_t removals = kernel.callCount(DK_BREAKPOINT_REMOVE);
    EXPECT_EQ(removals, 2u);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_TRUE(kernel.breakpoints().empty()); // gone: not set again
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    EXPECT_EQ(RetryRefusedBreakpointRemovals(), 0u);
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), removals);
}

// A removal made while no session runs is a removal: the next session does not set it again.
TEST_F(SdkBreakpointTest, ABreakpointRemovedBetweenSessionsStaysRemoved)
{
    DkBreakpoint at(TargetLocation(MemoryZone(0), 0x2400), DK_BP_KIND1);
    ASSERT_EQ(at.SetBreakpoint(), 0);
    ASSERT_EQ(PluginApiExit(), 0);
    at.RemoveBreakpoint();
    const uint64_t removals = kernel.callCount(DK_BREAKPOINT_REMOVE);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    EXPECT_FALSE(at.IsSet());
    EXPECT_TRUE(kernel.breakpoints().empty());
    EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), removals); // its handle died with the session

    ASSERT_EQ(at.SetBreakpoint(), 0); // set again by its owner: held by the new registration
    EXPECT_TRUE(at.IsSet());
    ASSERT_EQ(kernel.breakpoints().size(), 1u);
    EXPECT_EQ(kernel.breakpoints()[0].registration, kernel.registrationHandle());
}

// A removal the debugger refuses changes nothing: the breakpoint stays set and wanted, so the next
// session sets it again.
TEST_F(SdkBreakpointTest, ARefusedRemovalKeepsTheBreakpointWantedInTheNextSession)
{
    DkBreakpoint at(TargetLocation(MemoryZone(0), 0x2800), DK_BP_KIND1);
    ASSERT_EQ(at.SetBreakpoint(), 0);
    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x30, 1);
    at.RemoveBreakpoint();
    EXPECT_TRUE(at.IsSet());
    ASSERT_EQ(PluginApiExit(), 0);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.notify(DK_NOTIFY_TARGET_STOPPED);
    EXPECT_TRUE(at.IsSet());
    ASSERT_EQ(kernel.breakpoints().size(), 1u);
    EXPECT_EQ(kernel.breakpoints()[0].registration, kernel.registrationHandle());
}

// The second request of a kind-4 breakpoint fails. The first half goes back; when the debugger keeps
// it, IsSet() stays false, the caller is told, and the half is asked for again at the next set (which
// sets nothing while the debugger keeps it) or removal, and at the breakpoint's end.
TEST_F(SdkBreakpointTest, KindFourWhoseSecondRequestFailsIsNeverHalfSet)
{
    static simdbg::SimKernel* sim = nullptr;
    static int calls = 0;
    static int failing = 0;
    sim = &kernel;
    calls = 0;
    failing = 2;
    DkBreakpointSetFn failSecond = [](const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                      uint32_t* handle) -> DkStatus {
        if (++calls == failing)
            return 0x55;
        return sim->setBreakpoint(request, registration, executor, handle);
    };
    kernel.overrideEntry(DK_BREAKPOINT_SET, reinterpret_cast<DkEntry>(failSecond));

    {
        DkBreakpoint both(TargetLocation(MemoryZone(0), 0x80), DK_BP_KIND4);
        EXPECT_EQ(both.SetBreakpoint(), 0x55);
        EXPECT_FALSE(both.IsSet());
        EXPECT_TRUE(kernel.breakpoints().empty()); // the first was removed
        EXPECT_EQ(kernel.callCount(DK_BREAKPOINT_REMOVE), 1u);
    }

    DkBreakpoint both(TargetLocation(MemoryZone(0), 0x90), DK_BP_KIND4);
    calls = 0;
    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x44, 1); // the rollback is refused
    EXPECT_EQ(both.SetBreakpoint(), 0x55);
    EXPECT_FALSE(both.IsSet());
    ASSERT_EQ(kernel.breakpoints().size(), 1u); // the debugger holds the access-code-1 half only
    EXPECT_EQ(kernel.breakpoints()[0].accessCode, 1u);
    bool told = false;
    for (const std::string& line : kernel.logLines())
        told = told || line.find("refused to remove the first half") != std::string::npos;
    EXPECT_TRUE(told);

    // Refused once more at the next set: nothing is asked for, and the caller hears of it.
    kernel.injectFailure(DK_BREAKPOINT_REMOVE, 0x44, 1);
    EXPECT_EQ(both.SetBreakpoint(), DK_STATUS_FAILURE);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(both.IsSet());
    EXPECT_EQ(kernel.breakpoints().size(), 1u);

    // Taken back now: the set asks for both halves again.
    calls = 0;
    failing = 0;
    EXPECT_EQ(both.SetBreakpoint(), 0);
    EXPECT_TRUE(both.IsSet());
    std::vector<simdbg::Breakpoint> held = kernel.breakpoints();
    ASSERT_EQ(held.size(), 2u);
    EXPECT_EQ(held[0].accessCode, 1u);
    EXPECT_EQ(held[1].accessCode, 2u);

    // A removal whose second half is refused leaves that half, not a set breakpoint; the next
    // removal takes it.
    both.RemoveBreakpoint();
    EXPECT_TRUE(kernel.breakpoints().empty());
    ASSERT_EQ(both.SetBreakpoint(), 0);
    static int removals = 0;
    removals = 0;
    DkStatusOfU32Fn refuseSecond = [](uint32_t handle) -> DkStatus {
        if (++removals == 2)
            return 0x44;
        return sim->removeBreakpoint(handle);
    };
    kernel.overrideEntry(DK_BREAKPOINT_REMOVE, reinterpret_cast<DkEntry>(refuseSecond));
    both.RemoveBreakpoint();
    EXPECT_FALSE(both.IsSet());
    ASSERT_EQ(kernel.breakpoints().size(), 1u);
    EXPECT_EQ(kernel.breakpoints()[0].accessCode, 2u);
    both.RemoveBreakpoint();
    EXPECT_TRUE(kernel.breakpoints().empty());
}

TEST_F(SdkBreakpointTest, StopperWaitsInSteps)
{
    int sleeps = 0;
    SyncronousStopper::SetSleeper([&](std::chrono::milliseconds) { ++sleeps; });
    kernel.overrideEntry(DK_EXEC_STOP, reinterpret_cast<DkEntry>(+[](uint32_t, void*) -> DkStatus { return 0; }));
    auto stopper = SyncronousStopper::Create();
    EXPECT_EQ(stopper->WaitForStop(250), -1);
    EXPECT_EQ(sleeps, 3);

    // The stop arrives through slot 9 on the debugger's thread.
    sleeps = 0;
    auto stopped = SyncronousStopper::Create();
    std::thread debugger([&] {
        EXPECT_EQ(GetPluginCallbackTable()->PluginCbExecutorStop(static_cast<DkExecutor*>(stopped.get())), 1u);
    });
    debugger.join();
    EXPECT_EQ(stopped->WaitForStop(1000), 0);
    EXPECT_EQ(sleeps, 0);

    // A refused stop request is a failure, not a success.
    kernel.overrideEntry(DK_EXEC_STOP, reinterpret_cast<DkEntry>(+[](uint32_t, void*) -> DkStatus { return 0xFFFF; }));
    EXPECT_EQ(SyncronousStopper::Create()->WaitForStop(1000), -1);
    SyncronousStopper::SetSleeper(nullptr);
    EXPECT_TRUE(CanSetBreakpoint(DK_BP_KIND4));
    EXPECT_FALSE(CanSetBreakpoint(9));
}

} // namespace
} // namespace dk::test
