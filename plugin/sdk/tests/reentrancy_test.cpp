// A plug-in written on the SDK calls back into the SDK from inside every callback the SDK makes
// (notifications on debugger threads, their replay on the IDE thread, IDE commands, breakpoint hits and
// stops, log deliveries), while other threads dispatch, hit, log, Init and Exit. No SDK lock is held
// while plug-in code runs, so nothing deadlocks; a watchdog turns a hang into a failure.

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/notify.h"
#include "plugin/sdk/plugin_object.h"
#include "plugin/sdk/tests/sdk_fixture.h"
#include "plugin/sdk/tests/watchdog.h"
#include "sdk/ide/if_command.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dk::test {
namespace {

// Subscribers join the list once whole: a dispatch on another thread may reach them at once.
class QuietSubscriber final : public DkNotifySubscriber {
public:
    QuietSubscriber() : DkNotifySubscriber(Deferred{}) { Subscribe(); }
    ~QuietSubscriber() override { Unsubscribe(); }
    void Notify(uint32_t) override {}
};

class QuietLogger final : public DkLoggingSubscriber {
public:
    QuietLogger() : DkLoggingSubscriber(Deferred{}) { JoinLog(); }
    ~QuietLogger() override { LeaveLog(); }
    void Log(uint32_t, const std::string&) override {}
};

constexpr unsigned kCommand = 0x7A31;
constexpr uint64_t kHitAddress = 0x6000;

// Every SDK entry a plug-in may call from a callback that runs on any thread: subscribe and
// unsubscribe, set and remove breakpoints of each kind (and let one go while set), read memory, join
// and leave the log.
void callEverySdkEntry(std::atomic<int>& calls)
{
    calls.fetch_add(1);
    {
        QuietSubscriber subscriber;
        QuietLogger logger;
        DkBreakpoint one(TargetLocation(MemoryZone(0), 0x6100), DK_BP_KIND1);
        DkBreakpoint both(TargetLocation(MemoryZone(0), 0x6200), DK_BP_KIND4);
        one.SetBreakpoint();
        both.SetBreakpoint();
        both.RemoveBreakpoint();
        (void)one.IsSet();
        uint8_t buffer[4] = {};
        uint8_t flag = 0;
        DkContext::Memory().MemoryOperation(DK_MEMORY_READ, TargetLocation(MemoryZone(0), 0x1000), sizeof buffer,
                                            buffer, 8, &flag);
        RetryRefusedBreakpointRemovals();
    } // `one` goes while set
}

// A breakpoint whose hits call into the SDK.
class ReentrantBreakpoint final : public DkBreakpoint {
public:
    explicit ReentrantBreakpoint(std::atomic<int>& calls)
        : DkBreakpoint(TargetLocation(MemoryZone(0), kHitAddress), DK_BP_KIND1), m_calls(calls)
    {
    }
    ~ReentrantBreakpoint() override { Retire(); }
    uint32_t OnHit() override
    {
        callEverySdkEntry(m_calls);
        return 0;
    }

private:
    std::atomic<int>& m_calls;
};

// A plug-in object of its own: its notifications, replays and commands call into the SDK.
class ReentrantPlugin final : public DpDebuggerPlugin {
public:
    explicit ReentrantPlugin(std::atomic<int>& calls) : m_calls(calls) {}
    ~ReentrantPlugin() override
    {
        LeaveIde();
        releaseImpl();
    }
    DpIDEPlugin* AsIDEPlugin() override { return this; }
    DpKernelPlugin* AsKernelPlugin() override { return this; }
    void OnNotify(uint32_t) override { callEverySdkEntry(m_calls); }
    bool OnCmdMsg(unsigned id, int code, void* extra, void* handlerInfo) override
    {
        if (id != kCommand)
            return DpDebuggerPlugin::OnCmdMsg(id, code, extra, handlerInfo);
        callEverySdkEntry(m_calls);
        return true;
    }

private:
    std::atomic<int>& m_calls;
};

class ReentrantSubscriber final : public DkNotifySubscriber {
public:
    explicit ReentrantSubscriber(std::atomic<int>& calls) : DkNotifySubscriber(Deferred{}), m_calls(calls)
    {
        Subscribe();
    }
    ~ReentrantSubscriber() override { Unsubscribe(); }
    void Notify(uint32_t) override { callEverySdkEntry(m_calls); }

private:
    std::atomic<int>& m_calls;
};

class ReentrantLogger final : public DkLoggingSubscriber {
public:
    explicit ReentrantLogger(std::atomic<int>& calls) : DkLoggingSubscriber(Deferred{}), m_calls(calls)
    {
        JoinLog();
    }
    ~ReentrantLogger() override { LeaveLog(); }
    void Log(uint32_t, const std::string& text) override
    {
        if (text.rfind("stress", 0) == 0) // not the SDK's own log lines: those come from inside
            callEverySdkEntry(m_calls);
    }

private:
    std::atomic<int>& m_calls;
};

using SdkReentrancyTest = SdkTest;

TEST_F(SdkReentrancyTest, EveryCallbackMayCallEverySdkEntryWhileOthersDispatchInitAndExit)
{
    Watchdog watchdog("the re-entrancy stress");
    const uint8_t bytes[] = {1, 2, 3, 4};
    kernel.memory().store(0, 0x1000, bytes, 4);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);

    std::atomic<int> calls{0};
    std::unique_ptr<ReentrantPlugin> plugin;
    {
        IfConstructionScope scope; // the IDE calls the object once it is whole
        plugin = std::make_unique<ReentrantPlugin>(calls);
    }
    ReentrantSubscriber subscriber(calls);
    ReentrantLogger logger(calls);
    ReentrantBreakpoint breakpoint(calls);
    ASSERT_EQ(breakpoint.SetBreakpoint(), 0);

    const PluginCallbackTable* slots = GetPluginCallbackTable();
    constexpr int kRounds = 300;
    std::atomic<int> running{0};
    std::vector<std::thread> threads;
    auto start = [&](auto body) {
        running.fetch_add(1);
        threads.emplace_back([&, body] {
            body();
            running.fetch_sub(1);
        });
    };
    for (int dispatcher = 0; dispatcher < 2; ++dispatcher)
        start([&, dispatcher] {
            for (int round = 0; round < kRounds; ++round)
                slots->PluginCbNotify(static_cast<uint32_t>((round + dispatcher * 7) % (DK_NOTIFY_LAST_CODE + 2)));
        });
    start([&] {
        for (int round = 0; round < kRounds; ++round)
            kernel.hit(0, kHitAddress);
    });
    start([&] {
        for (int round = 0; round < kRounds; ++round)
            slots->PluginCbLog(1, "stress");
    });
    start([&] {
        for (int round = 0; round < kRounds / 3; ++round) {
            PluginApiExit();
            PluginApiInit(kernel.table());
        }
    });
    // The IDE thread: commands and idle chores (the replay of foreign notifications) until the others end.
    while (running.load() > 0) {
        IfRouteCommand(kCommand);
        IfRunIdleChores();
        plugin->impl().Notify(3); // on the constructing thread: at once
    }
    for (std::thread& thread : threads)
        thread.join();
    while (plugin->OnIdle()) {
    }
    EXPECT_GT(calls.load(), kRounds);
    plugin.reset();
}

// The replay of a foreign notification runs its handler on the IDE thread with no lock held: the
// handler subscribes and unsubscribes while a debugger thread's dispatch is in the middle of its walk
// and about to queue a code for the same object.
TEST(SdkReplayTest, AHandlerSubscribesWhileADebuggerThreadDispatches)
{
    Watchdog watchdog("a replay racing a dispatch");
    std::mutex mutex;
    std::condition_variable changed;
    bool walking = false;

    class Marker final : public DkNotifySubscriber {
    public:
        explicit Marker(std::function<void()> f) : DkNotifySubscriber(Deferred{}), m_f(std::move(f))
        {
            Subscribe();
        }
        ~Marker() override { Unsubscribe(); }
        void Notify(uint32_t code) override
        {
            if (code == 5)
                m_f();
        }

    private:
        std::function<void()> m_f;
    } marker([&] {
        {
            std::lock_guard lock(mutex);
            walking = true;
        }
        changed.notify_all();
    });

    class Handler final : public DpDebuggerPlugin {
    public:
        explicit Handler(std::function<void(uint32_t)> f) : m_f(std::move(f)) {}
        ~Handler() override
        {
            LeaveIde();
            releaseImpl();
        }
        DpIDEPlugin* AsIDEPlugin() override { return this; }
        DpKernelPlugin* AsKernelPlugin() override { return this; }
        void OnNotify(uint32_t code) override { m_f(code); }

    private:
        std::function<void(uint32_t)> m_f;
    };
    std::vector<uint32_t> handled;
    std::thread debugger;
    Handler handler([&](uint32_t code) {
        handled.push_back(code);
        if (code != 3)
            return;
        debugger = std::thread([] { DispatchNotification(5); });
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return walking; }); // the dispatch is inside its walk now
        lock.unlock();
        QuietSubscriber joined; // joins and leaves the list the dispatch walks
    });

    std::thread([] { DispatchNotification(3); }).join(); // queued for the IDE thread
    EXPECT_FALSE(handler.OnIdle());
    // The dispatch of 5 queues its code once the handler has returned.
    while (handled.size() < 2)
        handler.OnIdle();
    debugger.join();
    EXPECT_EQ(handled, (std::vector<uint32_t>{3, 5}));
}

} // namespace
} // namespace dk::test
