// Start-up and shut-down of the binding, and the callback table's slots.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/executor.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/subscribed.h"
#include "plugin/sdk/zone_registry.h"
#include "plugin/sdk/tests/sdk_fixture.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace dk::test {
namespace {

using SdkBindingTest = SdkTest;

TEST_F(SdkBindingTest, InitExitInitKeepsOneZoneListAndGivesTheRegistrationBack)
{
    kernel.setZones({{0, "Memory", 0, 0xFFFF, 0, 0, 0, 0}, {7, "Data", 0, 0xFF, 1, 0, 0, 3}});
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    uint32_t first = kernel.registrationHandle();
    EXPECT_EQ(registrationHandle(), first);
    EXPECT_EQ(ZoneRegistry::instance().ids(), (std::vector<uint32_t>{0, 7}));
    EXPECT_NE(pluginObject(), nullptr);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(pluginObject(), nullptr);
    EXPECT_EQ(kernelSideInterface(), nullptr);
    EXPECT_EQ(registrationHandle(), 0u);

    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_NE(kernel.registrationHandle(), first);
    EXPECT_EQ(ZoneRegistry::instance().ids(), (std::vector<uint32_t>{0, 7})); // not doubled
    EXPECT_TRUE(ZoneRegistry::instance().flagA(7));
    EXPECT_EQ(ZoneRegistry::instance().attribute(7), 3);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 2u);
}

TEST_F(SdkBindingTest, IdeSideFirstIsAdoptedByInit)
{
    EXPECT_EQ(StartGuiModule(), 1u);
    DpPlugin* object = pluginObject();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(ideSideInterface(), object->AsIDEPlugin());
    // Reading before Init must not call through a missing table.
    uint8_t byte = 0x77;
    EXPECT_FALSE(thePluginSample()->Read(0x10, 1, &byte));
    EXPECT_EQ(byte, 0);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(pluginObject(), object);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(ideSideInterface(), nullptr);
    EXPECT_EQ(ShutDownGuiModule(), 1u);
}

TEST_F(SdkBindingTest, RefusedRegistrationStopsInit)
{
    kernel.injectFailure(DK_REGISTER_PLUGIN, 0xFFF3);
    EXPECT_EQ(PluginApiInit(kernel.table()), 0xFFF3);
    EXPECT_EQ(pluginObject(), nullptr);
    EXPECT_EQ(kernel.callCount(DK_ZONE_COUNT), 0u);
    EXPECT_EQ(GetPluginEntryTable(), GetPluginEntryTable());
    EXPECT_EQ(GetPluginEntryTable()->PluginApiExit(), 0); // nothing registered: nothing done
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 0u);
}

// A refused Init leaves no half session. A live session (started by either side, its program loaded
// so that a UI thread runs) ends whole: object, UI thread and registration go, Exit then has nothing
// left to do, and the next Init starts afresh. An object the IDE made without a session stays as it was.
TEST_F(SdkBindingTest, ARefusedInitEndsALiveSessionWholeAndKeepsAnIdeOnlyObject)
{
    for (const bool ideFirst : {false, true}) {
        SCOPED_TRACE(ideFirst ? "IDE side first" : "debugger side first");
        if (ideFirst) {
            ASSERT_EQ(StartGuiModule(), 1u);
        }
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        kernel.notify(DK_NOTIFY_PROGRAM_LOADED);
        ASSERT_EQ(thePluginSample() != nullptr && thePluginSample()->hasUiThread(), true);
        const int quits = ui.quits;
        const uint64_t unregistrations = kernel.callCount(DK_UNREGISTER_PLUGIN);

        kernel.injectFailure(DK_REGISTER_PLUGIN, 0x12);
        EXPECT_EQ(PluginApiInit(kernel.table()), 0x12);
        EXPECT_EQ(pluginObject(), nullptr);
        EXPECT_EQ(kernelSideInterface(), nullptr);
        EXPECT_EQ(ideSideInterface(), nullptr);
        EXPECT_EQ(ui.quits, quits + 1);
        EXPECT_FALSE(kernel.registered());
        EXPECT_EQ(registrationHandle(), 0u);
        EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), unregistrations + 1);
        EXPECT_EQ(GetTargetSymbol("main"), 0xFFFFFFFFu);

        EXPECT_EQ(PluginApiExit(), 0);
        EXPECT_EQ(ShutDownGuiModule(), 1u);
        EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), unregistrations + 1);
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        EXPECT_NE(pluginObject(), nullptr);
        ASSERT_EQ(PluginApiExit(), 0);
    }

    ASSERT_EQ(StartGuiModule(), 1u);
    DpPlugin* object = pluginObject();
    kernel.injectFailure(DK_REGISTER_PLUGIN, 0x12);
    EXPECT_EQ(PluginApiInit(kernel.table()), 0x12);
    EXPECT_EQ(pluginObject(), object);
    EXPECT_EQ(ideSideInterface(), object->AsIDEPlugin());
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(pluginObject(), object);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(ShutDownGuiModule(), 1u);
}

// The GUI start holds the object of a live session when Exit comes: Exit takes the object out of
// reach and then waits for the start, which sees that and leaves the object alone. The order is forced:
// the start goes on only once Exit waits for it (or, were the start not counted, once Exit is over).
TEST_F(SdkBindingTest, AGuiStartHoldingTheObjectWhenExitComesIsWaitedFor)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::mutex mutex;
    std::condition_variable changed;
    bool exitWaits = false;
    bool exitOver = false;
    std::thread exiting;
    setBindingHook([&](BindingPoint point) {
        if (point == BindingPoint::ExitWaitsForCalls) {
            {
                std::lock_guard lock(mutex);
                exitWaits = true;
            }
            changed.notify_all();
            return;
        }
        exiting = std::thread([&] {
            EXPECT_EQ(PluginApiExit(), 0);
            {
                std::lock_guard lock(mutex);
                exitOver = true;
            }
            changed.notify_all();
        });
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return exitWaits || exitOver; });
    });
    EXPECT_EQ(StartGuiModule(), 1u);
    setBindingHook(nullptr);
    exiting.join();
    EXPECT_TRUE(exitWaits);
    EXPECT_EQ(pluginObject(), nullptr);
    EXPECT_EQ(ideSideInterface(), nullptr); // not kept for an object that is gone
    EXPECT_FALSE(kernel.registered());
    EXPECT_EQ(ShutDownGuiModule(), 1u);
}

TEST_F(SdkBindingTest, ExitWithoutASessionDoesNothing)
{
    EXPECT_EQ(PluginApiExit(), 0);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(PluginApiExit(), 0); // twice
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 1u);
    EXPECT_TRUE(kernel.unexpectedEntries().empty());
}

TEST_F(SdkBindingTest, InitWithoutATableIsRefusedAndKeepsTheSession)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    const uint32_t handle = kernel.registrationHandle();
    DpPlugin* object = pluginObject();
    EXPECT_EQ(PluginApiInit(nullptr), DK_STATUS_FAILURE);
    EXPECT_TRUE(kernel.registered());
    EXPECT_EQ(kernel.registrationHandle(), handle);
    EXPECT_EQ(registrationHandle(), handle);
    EXPECT_EQ(kernelTable(), kernel.table());
    EXPECT_EQ(pluginObject(), object);
    EXPECT_NE(kernelSideInterface(), nullptr);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 0u);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 1u);
    EXPECT_FALSE(kernel.registered());
}

TEST_F(SdkBindingTest, ExitStatusIsTheUnregistrationStatus)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.injectFailure(DK_UNREGISTER_PLUGIN, 0x1234);
    EXPECT_EQ(PluginApiExit(), 0x1234);
    EXPECT_EQ(pluginObject(), nullptr);
    kernel.clearFailures();
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
}

class CountingExecutor : public DkExecutor {
public:
    explicit CountingExecutor(uint32_t answer) : m_answer(answer) {}
    uint32_t OnHit() override
    {
        if (m_answer == 99)
            throw std::runtime_error("broken executor");
        return m_answer;
    }
    uint32_t OnStop() override { return 0; }

private:
    uint32_t m_answer;
};

TEST_F(SdkBindingTest, ExecutorResultsAreTranslated)
{
    const PluginCallbackTable* table = GetPluginCallbackTable();
    const std::pair<uint32_t, uint32_t> cases[] = {{0, 0}, {1, 1}, {2, 3}, {7, 8}, {8, 1}, {0xFFFFFFFF, 1}, {99, 1}};
    for (auto [answer, expected] : cases) {
        CountingExecutor executor(answer);
        EXPECT_EQ(table->PluginCbExecutorHit(static_cast<DkExecutor*>(&executor)), expected) << answer;
    }
    CountingExecutor executor(1);
    EXPECT_EQ(table->PluginCbExecutorStop(static_cast<DkExecutor*>(&executor)), 0u);
    EXPECT_EQ(table->PluginCbExecutorEvent(static_cast<DkExecutor*>(&executor)), 1u);
    EXPECT_EQ(table->PluginCbExecutorHit(nullptr), 1u);
}

class LongAlias : public DkAliasResolver, public DkPathExpander {
public:
    bool ResolveAlias(const std::string& text, std::string& result) override
    {
        result = text + "-resolved";
        return text != "no";
    }
    bool ExpandPath(const std::string&, std::string&) override { throw 1; }
    uint32_t ExpandPath2(const std::string& a, const std::string& b, std::string& result) override
    {
        result = a + "/" + b;
        return 0x1FF;
    }
};

TEST_F(SdkBindingTest, TextSlotsCopyWithinTheBuffer)
{
    const PluginCallbackTable* table = GetPluginCallbackTable();
    LongAlias alias;
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(table->PluginCbResolveAlias(static_cast<DkAliasResolver*>(&alias), "abc", buffer, 6), 1u);
    EXPECT_STREQ(buffer, "abc-r"); // five characters and the terminator
    EXPECT_EQ(buffer[6], 'x');
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(table->PluginCbResolveAlias(static_cast<DkAliasResolver*>(&alias), "no", buffer, 8), 0u);
    EXPECT_EQ(buffer[0], 'x'); // left as it was
    EXPECT_EQ(table->PluginCbExpandPath1(static_cast<DkPathExpander*>(&alias), "a", buffer, 8), 0u); // threw
    EXPECT_EQ(table->PluginCbExpandPath2(static_cast<DkPathExpander*>(&alias), "a", "b", buffer, 8), 0xFF);
    EXPECT_STREQ(buffer, "a/b");
    EXPECT_EQ(table->PluginCbExpandPath2(static_cast<DkPathExpander*>(&alias), "a", "b", buffer, 0), 0xFF);
}

class RecordingLogger : public DkLoggingSubscriber {
public:
    void Log(uint32_t severity, const std::string& text) override { lines.push_back(std::to_string(severity) + text); }
    std::vector<std::string> lines;
};

TEST_F(SdkBindingTest, LogSlotReachesEverySubscriberInOrder)
{
    DkSubscribed<RecordingLogger> first;
    {
        DkSubscribed<RecordingLogger> gone;
    }
    RecordingLogger plain; // joins when built
    DkSubscribed<RecordingLogger> second;
    GetPluginCallbackTable()->PluginCbLog(2, "hello");
    GetPluginCallbackTable()->PluginCbLog(9, nullptr);
    EXPECT_EQ(first.lines, (std::vector<std::string>{"2hello", "9"}));
    EXPECT_EQ(second.lines, first.lines);
    EXPECT_EQ(plain.lines, first.lines);
}

TEST_F(SdkBindingTest, InfoSlotWithoutObjectAnswersNulls)
{
    DkPluginInfo info{"x", "y"};
    GetPluginCallbackTable()->PluginCbGetPluginInfo(&info);
    EXPECT_EQ(info.name, nullptr);
    EXPECT_EQ(info.version, nullptr);
    // No functions are registered: slots 17 and 18 call nothing.
    GetPluginCallbackTable()->PluginCbRegisterFunctions();
    GetPluginCallbackTable()->PluginCbUnregisterFunctions();
    EXPECT_EQ(kernel.callCount(DK_REGISTER_FUNCTION), 0u);
}

} // namespace
} // namespace dk::test
