// A plug-in written on the SDK calls back into the SDK from inside every callback the SDK makes
// (notifications on debugger threads, their replay on the IDE thread, IDE commands, breakpoint hits and
// stops, log deliveries), while other threads dispatch, hit, log, Init and Exit. No SDK lock is held
// while plug-in code runs, so nothing deadlocks; a watchdog turns a hang into a failure.

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/notify.h"
#include "plugin/sdk/plugin_object.h"
#include "plugin/sdk/subscribed.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/task_provider.h"
#include "plugin/sdk/user_breakpoints.h"
#include "plugin/sdk/tests/sdk_fixture.h"
#include "plugin/sdk/tests/watchdog.h"
#include "sdk/ide/if_command.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
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

// Built as DkSubscribed<T>: joined once whole, left before any of it goes.
class ReentrantSubscriber : public DkNotifySubscriber {
public:
    explicit ReentrantSubscriber(std::atomic<int>& calls) : m_calls(calls) {}
    void Notify(uint32_t) override { callEverySdkEntry(m_calls); }

private:
    std::atomic<int>& m_calls;
};

// Ends its partner, the other of a pair, from inside a notification once the pair is armed; the
// pair on two dispatching threads ends each other.
class PartnerEnder : public DkNotifySubscriber {
public:
    struct Pair {
        std::atomic<bool> armed{false};
        std::atomic<PartnerEnder*> members[2] = {nullptr, nullptr};
        // Ends the members not ended yet.
        void endAll()
        {
            for (auto& member : members)
                delete member.exchange(nullptr);
        }
    };
    PartnerEnder(std::shared_ptr<Pair> pair, int index) : m_pair(std::move(pair)), m_index(index) {}
    void Notify(uint32_t) override
    {
        if (m_pair->armed.load())
            delete m_pair->members[1 - m_index].exchange(nullptr);
    }

private:
    std::shared_ptr<Pair> m_pair; // outlives the members' calls
    int m_index;
};

class ReentrantLogger : public DkLoggingSubscriber {
public:
    explicit ReentrantLogger(std::atomic<int>& calls) : m_calls(calls) {}
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
    DkSubscribed<ReentrantSubscriber> subscriber(calls);
    DkSubscribed<ReentrantLogger> logger(calls);
    ReentrantBreakpoint breakpoint(calls);
    ASSERT_EQ(breakpoint.SetBreakpoint(), 0);

    // The debugger delivers a hit from inside every set and removal (once per request, not from the
    // requests the hit's own code makes).
    static simdbg::SimKernel* sim = nullptr;
    sim = &kernel;
    static thread_local bool delivering = false;
    static auto deliver = [] {
        if (delivering)
            return;
        delivering = true;
        sim->hit(0, kHitAddress);
        delivering = false;
    };
    DkBreakpointSetFn setWithHit = [](const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                      uint32_t* handle) -> DkStatus {
        deliver();
        return sim->setBreakpoint(request, registration, executor, handle);
    };
    DkStatusOfU32Fn removeWithHit = [](uint32_t handle) -> DkStatus {
        deliver();
        return sim->removeBreakpoint(handle);
    };
    kernel.overrideEntry(DK_BREAKPOINT_SET, reinterpret_cast<DkEntry>(setWithHit));
    kernel.overrideEntry(DK_BREAKPOINT_REMOVE, reinterpret_cast<DkEntry>(removeWithHit));

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
    // Subscribers and breakpoints come and go while the threads above call them: built whole and
    // ended by delete while their calls run; pairs end each other from inside their calls.
    start([&] {
        for (int round = 0; round < kRounds; ++round) {
            delete new DkSubscribed<ReentrantSubscriber>(calls);
            delete new DkSubscribed<ReentrantLogger>(calls);
            auto* breakpoint = new ReentrantBreakpoint(calls);
            breakpoint->SetBreakpoint();
            delete breakpoint;
            auto pair = std::make_shared<PartnerEnder::Pair>();
            for (int index : {0, 1})
                pair->members[index].store(new DkSubscribed<PartnerEnder>(pair, index));
            pair->armed.store(true);
            DispatchNotification(5); // the one reached first ends the other, unless both end each other
            pair->endAll();
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

// A dispatch runs to its end on another thread while a subscriber's middle class is built and while
// it is destroyed: it never reaches the object then, only while the object is whole.
template <typename Base>
struct Middle : Base {
    explicit Middle(std::function<void()> during) : m_during(std::move(during)) { m_during(); }
    ~Middle() override { m_during(); }
    std::function<void()> m_during;
};
struct NotifyLeaf : Middle<DkNotifySubscriber> {
    using Middle::Middle;
    void Notify(uint32_t) override { ++seen; }
    int seen = 0;
};
struct LogLeaf : Middle<DkLoggingSubscriber> {
    using Middle::Middle;
    void Log(uint32_t, const std::string&) override { ++seen; }
    int seen = 0;
};

// A plug-in's subscriber and logger written the plain way: they join when built.
struct PlainSubscriber : DkNotifySubscriber {
    void Notify(uint32_t code) override { codes.push_back(code); }
    std::vector<uint32_t> codes;
};
struct FinalSubscriber final : DkNotifySubscriber {
    void Notify(uint32_t code) override { codes.push_back(code); }
    std::vector<uint32_t> codes;
};
struct PlainLogger : DkLoggingSubscriber {
    void Log(uint32_t, const std::string& text) override { lines.push_back(text); }
    std::vector<std::string> lines;
};

TEST(SdkReentrancyForcedTest, NoDispatchReachesAHalfBuiltOrHalfDestroyedSubscriber)
{
    Watchdog watchdog("a dispatch racing a subscriber's building");
    {
        const PluginCallbackTable* slots = GetPluginCallbackTable();
        PlainSubscriber subscriber;
        PlainLogger logger;
        auto* built = new PlainSubscriber;
        DkSubscribed<PlainSubscriber> whole; // joins once, not twice
        DkSubscribed<FinalSubscriber> held;
        slots->PluginCbNotify(4);
        slots->PluginCbLog(1, "line");
        EXPECT_EQ(subscriber.codes, std::vector<uint32_t>{4});
        EXPECT_EQ(built->codes, std::vector<uint32_t>{4});
        EXPECT_EQ(whole.codes, std::vector<uint32_t>{4});
        EXPECT_EQ(held->codes, std::vector<uint32_t>{4});
        EXPECT_EQ(logger.lines, std::vector<std::string>{"line"});
        delete built;
    }
    auto dispatchElsewhere = [] {
        std::thread([] {
            DispatchNotification(2);
            DeliverLog(1, "x");
        }).join();
    };
    auto* notified = new DkSubscribed<NotifyLeaf>(dispatchElsewhere);
    EXPECT_EQ(notified->seen, 0); // not reached while its middle class was built
    DkSubscribed<LogLeaf> logged(dispatchElsewhere);
    EXPECT_EQ(logged.seen, 0);
    EXPECT_EQ(notified->seen, 1); // whole then
    dispatchElsewhere();
    EXPECT_EQ(notified->seen, 2);
    EXPECT_EQ(logged.seen, 1);
    delete notified; // its middle class dispatches while it is destroyed: nothing reaches it
}

// Two objects end each other from inside their calls on two threads: each is inside its own call when
// it ends the other, so neither may wait for the other's call.
class Ender : public DkNotifySubscriber {
public:
    Ender(uint32_t code, std::latch& inside) : m_code(code), m_inside(inside) {}
    Ender* other = nullptr;
    void Notify(uint32_t code) override
    {
        if (code != m_code)
            return;
        m_inside.arrive_and_wait();
        delete other;
    }

private:
    uint32_t m_code;
    std::latch& m_inside;
};

class EndingBreakpoint final : public DkBreakpoint {
public:
    EndingBreakpoint(uint64_t address, std::latch& inside)
        : DkBreakpoint(TargetLocation(MemoryZone(0), address), DK_BP_KIND1), m_inside(inside)
    {
    }
    ~EndingBreakpoint() override { Retire(); }
    EndingBreakpoint* other = nullptr;
    uint32_t OnHit() override
    {
        m_inside.arrive_and_wait();
        delete other;
        return 0;
    }

private:
    std::latch& m_inside;
};

using SdkReentrancyForcedBreakpointTest = SdkTest;

TEST_F(SdkReentrancyForcedBreakpointTest, PairsEndEachOtherFromInsideTheirCallsOnTwoThreads)
{
    Watchdog watchdog("a pair ending each other");
    const std::size_t entries = notifySubscriberEntries();
    {
        std::latch inside(2);
        auto* three = new DkSubscribed<Ender>(3u, inside);
        auto* four = new DkSubscribed<Ender>(4u, inside);
        three->other = four;
        four->other = three;
        std::thread a([] { DispatchNotification(3); });
        std::thread b([] { DispatchNotification(4); });
        a.join();
        b.join();
        EXPECT_EQ(notifySubscriberEntries(), entries); // both ended
    }

    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::latch inside(2);
    auto* first = new EndingBreakpoint(0x7100, inside);
    auto* second = new EndingBreakpoint(0x7200, inside);
    first->other = second;
    second->other = first;
    ASSERT_EQ(first->SetBreakpoint(), 0);
    ASSERT_EQ(second->SetBreakpoint(), 0);
    std::vector<simdbg::Breakpoint> held = kernel.breakpoints();
    ASSERT_EQ(held.size(), 2u);
    // Two debugger threads deliver the two hits at once.
    const PluginCallbackTable* slots = GetPluginCallbackTable();
    std::thread a([&] { EXPECT_EQ(slots->PluginCbExecutorHit(held[0].executor), 0u); });
    std::thread b([&] { EXPECT_EQ(slots->PluginCbExecutorHit(held[1].executor), 0u); });
    a.join();
    b.join();
    EXPECT_TRUE(DkBreakpoint::All().empty());
    EXPECT_TRUE(kernel.breakpoints().empty());
}

// The debugger delivers a hit on a kind-4 breakpoint's first half while it is asked for the second,
// and on both while they are removed; the hit's code removes and sets the breakpoint.
class HitDuringRequests final : public DkBreakpoint {
public:
    HitDuringRequests() : DkBreakpoint(TargetLocation(MemoryZone(0), 0x7300), DK_BP_KIND4) {}
    ~HitDuringRequests() override { Retire(); }
    uint32_t OnHit() override
    {
        ++hits;
        RemoveBreakpoint();
        EXPECT_NE(SetBreakpoint(), 0); // refused while its own requests run
        return 0;
    }
    int hits = 0;
};

TEST_F(SdkReentrancyForcedBreakpointTest, AHitDeliveredDuringASetOrARemovalMayRemoveTheBreakpoint)
{
    Watchdog watchdog("a hit during a set");
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    static simdbg::SimKernel* sim = nullptr;
    static bool hitOnSecond;
    static bool hitOnRemove;
    hitOnSecond = true;
    hitOnRemove = false;
    sim = &kernel;
    DkBreakpointSetFn setWithHit = [](const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                      uint32_t* handle) -> DkStatus {
        if (request->accessCode == 2 && std::exchange(hitOnSecond, false))
            sim->hit(0, 0x7300);
        return sim->setBreakpoint(request, registration, executor, handle);
    };
    DkStatusOfU32Fn removeWithHit = [](uint32_t handle) -> DkStatus {
        if (std::exchange(hitOnRemove, false))
            sim->hit(0, 0x7300);
        return sim->removeBreakpoint(handle);
    };
    kernel.overrideEntry(DK_BREAKPOINT_SET, reinterpret_cast<DkEntry>(setWithHit));
    kernel.overrideEntry(DK_BREAKPOINT_REMOVE, reinterpret_cast<DkEntry>(removeWithHit));

    HitDuringRequests breakpoint;
    EXPECT_EQ(breakpoint.SetBreakpoint(), 0);
    EXPECT_EQ(breakpoint.hits, 1);
    EXPECT_FALSE(breakpoint.IsSet()); // removed, as its hit asked
    EXPECT_TRUE(kernel.breakpoints().empty());

    ASSERT_EQ(breakpoint.SetBreakpoint(), 0);
    ASSERT_EQ(kernel.breakpoints().size(), 2u);
    hitOnRemove = true;
    breakpoint.RemoveBreakpoint();
    EXPECT_EQ(breakpoint.hits, 3); // both halves were hit
    EXPECT_FALSE(breakpoint.IsSet());
    EXPECT_TRUE(kernel.breakpoints().empty());
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

// Every SDK class whose objects the debugger or another thread calls, each with an operation that runs
// a hook: built whole and ended by delete while other threads call it, pairs ending each other from
// inside their calls on two threads (ended by delete and ended in place), and, where the class has
// them, ended during its own set and removal.
using Hook = std::function<void()>;
struct NotifyProbe : DkNotifySubscriber {
    explicit NotifyProbe(Hook hook) : hook(std::move(hook)) {}
    void Notify(uint32_t) override { hook(); }
    Hook hook;
};
struct LogProbe : DkLoggingSubscriber {
    explicit LogProbe(Hook hook) : hook(std::move(hook)) {}
    void Log(uint32_t, const std::string&) override { hook(); }
    Hook hook;
};
struct BreakpointProbe : DkBreakpoint {
    explicit BreakpointProbe(Hook hook) : DkBreakpoint(TargetLocation(MemoryZone(0), 0x7400), DK_BP_KIND4), hook(std::move(hook)) {}
    uint32_t OnHit() override
    {
        hook();
        return 0;
    }
    Hook hook;
};
struct UserBreakpointProbe : DkUserBreakpointBase {
    explicit UserBreakpointProbe(Hook hook) : hook(std::move(hook)) {}
    std::string Text1() override
    {
        hook();
        return "probe";
    }
    std::string Text2() override { return {}; }
    uint32_t Op3(uint16_t) override { return 0; }
    uint32_t Op4(const DkUle&, uint16_t) override { return 0; }
    uint32_t Op5() override { return 0; }
    uint32_t DuplicateUle() override { return 0; }
    uint32_t Op8(const DkUle&) override { return 0; }
    uint32_t BaseOp5() override { return 0; }
    uint32_t BaseOp6(bool) override { return 0; }
    Hook hook;
};
struct TaskProbe : DkTaskProvider {
    explicit TaskProbe(Hook hook) : hook(std::move(hook)) {}
    DkStatus TaskIds(std::vector<uint32_t>&) override { return 0; }
    std::string TaskName(uint32_t) override
    {
        hook();
        return "task";
    }
    uint32_t TaskOp3(uint32_t, uint32_t) override { return 0; }
    uint32_t TaskOp4(uint32_t) override { return 0; }
    Hook hook;
};
struct CategoryProbe : DkUserBreakCategoryProvider {
    explicit CategoryProbe(Hook hook) : hook(std::move(hook)) {}
    uint32_t Op2(uint32_t) override { return 0; }
    std::string Text(uint32_t) override
    {
        hook();
        return "category";
    }
    Hook hook;
};
struct ResolverProbe : DkSymbolResolver {
    explicit ResolverProbe(Hook hook) : hook(std::move(hook)) {}
    DkStatus Resolve1(const TargetLocation&, uint32_t, uint32_t, uint32_t) override { return 0; }
    DkStatus Resolve2(const TargetLocation&, uint32_t, uint32_t, uint32_t) override { return 0; }
    DkStatus Resolve3(TargetLocation&) override { return 0; }
    DkStatus Resolve4(const TargetLocation&) override { return 0; }
    uint32_t Resolve5() override
    {
        hook();
        return 0;
    }
    Hook hook;
};

// A window of the plug-in: the IDE calls it on its one GUI thread, once it is built (under a construction
// scope on another thread) and until it leaves the idle list first in its destructor.
struct WindowProbe final : IfIdleChore {
    explicit WindowProbe(Hook hook) : IfIdleChore(false), hook(std::move(hook)) {}
    ~WindowProbe() override { StopIdleChore(); }
    bool OnIdle() override
    {
        hook();
        return false;
    }
    Hook hook;
};

// The debugger's side of each class: what it was handed for an object, and one call of it.
std::atomic<void*> g_resolver{nullptr};
std::atomic<void*> g_lastRegistered{nullptr}; // by entry 16 or 202
// What a task provider or resolver was registered with, by object (written on the building thread).
std::map<const void*, void*>& registeredWith()
{
    static std::map<const void*, void*> map;
    return map;
}
void noteRegistered(const void* object) { registeredWith()[object] = g_lastRegistered.load(); }
std::atomic<bool> g_deliver{false}; // the debugger calls the probe breakpoints from inside their requests
simdbg::SimKernel* g_sim = nullptr;

struct Kind {
    const char* name;
    std::function<void*(Hook)> make;  // built whole, with new, and handed to the debugger
    std::function<void(void*)> end;   // delete
    std::function<void*(Hook)> place; // built whole in place (a member of a holder), ended by endPlaced
    std::function<void(void*)> endPlaced;
    std::function<void*(void*)> handed;    // what the debugger holds for the object
    std::function<void(void*)> call;       // the debugger calls what it holds (null: every object)
    std::function<void(void*, int)> setRemove; // step 0: its own removal, 1: its own set, when it has them
    int callingThreads = 2; // 1: only the IDE's GUI thread calls it, so no pair ends each other on two
};

template <typename P>
struct Placed {
    explicit Placed(Hook hook) : object(std::move(hook)) {}
    DkWhole<P> object; // a member: ended in place
    // The holders of the members handed out.
    static std::map<void*, Placed*>& holders()
    {
        static std::map<void*, Placed*> map;
        return map;
    }
};

template <typename P>
Kind kindOf(const char* name, std::function<void(P&)> handOver, std::function<void*(P&)> handed,
            std::function<void(void*)> call, std::function<void(void*, int)> setRemove = nullptr)
{
    return Kind{name,
                [handOver](Hook hook) -> void* {
                    auto* object = new DkWhole<P>(std::move(hook));
                    handOver(*object);
                    return object;
                },
                [](void* object) { delete static_cast<DkWhole<P>*>(object); },
                [handOver](Hook hook) -> void* {
                    auto* holder = new Placed<P>(std::move(hook));
                    handOver(holder->object);
                    Placed<P>::holders()[&holder->object] = holder; // read only after both are built
                    return &holder->object;
                },
                [](void* object) { delete Placed<P>::holders().at(object); },
                [handed](void* object) { return handed(*static_cast<DkWhole<P>*>(object)); },
                std::move(call), std::move(setRemove)};
}

std::vector<Kind> everyCalledClass(DkUserBreakCategoryProvider& category)
{
    const PluginCallbackTable* slots = GetPluginCallbackTable();
    auto none = [](auto&) {};
    return {
        kindOf<NotifyProbe>("notification subscriber", none, [](auto&) -> void* { return nullptr; },
                            [](void*) { DispatchNotification(5); }),
        kindOf<LogProbe>("logging subscriber", none, [](auto&) -> void* { return nullptr; },
                         [](void*) { DeliverLog(1, "probe"); }),
        kindOf<BreakpointProbe>(
            "breakpoint",
            [](BreakpointProbe& b) {
                b.SetName(std::to_string(reinterpret_cast<uintptr_t>(&b)));
                b.SetBreakpoint();
            },
            [](BreakpointProbe& b) -> void* {
                for (const simdbg::Breakpoint& held : g_sim->breakpoints())
                    if (held.name == b.GetName())
                        return held.executor;
                return nullptr;
            },
            [slots](void* executor) {
                if (executor != nullptr)
                    slots->PluginCbExecutorHit(executor);
                else
                    g_sim->hit(0, 0x7400);
            },
            [](void* object, int step) {
                auto* b = static_cast<DkWhole<BreakpointProbe>*>(object);
                if (step == 1) {
                    g_deliver.store(false);
                    b->RemoveBreakpoint();
                    g_deliver.store(true);
                    b->SetBreakpoint();
                } else {
                    b->RemoveBreakpoint();
                }
            }),
        kindOf<UserBreakpointProbe>(
            "user breakpoint", [&category](UserBreakpointProbe& b) { b.Set(category); },
            [](UserBreakpointProbe& b) -> void* {
                for (const simdbg::SimUserBreakpoint& held : g_sim->program().userBreakpoints())
                    if (held.id == b.GetId())
                        return held.object;
                return nullptr;
            },
            [slots](void* object) {
                char text[16];
                if (object != nullptr)
                    return slots->PluginCbUserBreakpoint1(object, text, sizeof text);
                for (const simdbg::SimUserBreakpoint& held : g_sim->program().userBreakpoints())
                    slots->PluginCbUserBreakpoint1(held.object, text, sizeof text);
            },
            [&category](void* object, int step) {
                auto* b = static_cast<DkWhole<UserBreakpointProbe>*>(object);
                if (step == 1) {
                    g_deliver.store(false);
                    b->Clear();
                    g_deliver.store(true);
                    b->Set(category);
                } else {
                    b->Clear();
                }
            }),
        kindOf<TaskProbe>("task provider", [](TaskProbe& t) { noteRegistered(&t); },
                          [](TaskProbe& t) { return registeredWith().at(&t); },
                          [slots](void* object) {
                              char text[16];
                              slots->PluginCbTaskProvider3(object != nullptr ? object : g_sim->program().taskProviderObject(),
                                                           1, text, sizeof text);
                          }),
        kindOf<CategoryProbe>("category provider", none,
                              [](CategoryProbe& c) { return g_sim->program().categoryObject(c.GetHandle()); },
                              [slots](void* object) {
                                  char text[16];
                                  slots->PluginCbUserBreakpoint14(object, text, sizeof text, 1);
                              }),
        kindOf<ResolverProbe>("symbol resolver", [](ResolverProbe& r) { noteRegistered(&r); },
                              [](ResolverProbe& r) { return registeredWith().at(&r); },
                              [slots](void* object) {
                                  slots->PluginCbSymbolResolver5(object != nullptr ? object : g_resolver.load());
                              }),
        Kind{"window",
             [](Hook hook) -> void* {
                 IfConstructionScope scope;
                 return new WindowProbe(std::move(hook));
             },
             [](void* object) { delete static_cast<WindowProbe*>(object); }, nullptr, nullptr, nullptr,
             [](void*) { IfRunIdleChores(); }, nullptr, 1},
    };
}

using SdkReentrancyLifetimeTest = SdkTest;

TEST_F(SdkReentrancyLifetimeTest, EveryClassTheDebuggerCallsIsCalledOnlyWholeAndEndsWithoutWaitingInACircle)
{
    Watchdog watchdog("the lifetime of every class the debugger calls");
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    g_sim = &kernel;
    DkRegisterObjectFn registerResolver = [](uint32_t, void* object) -> uint32_t {
        g_resolver.store(object);
        g_lastRegistered.store(object);
        return 0;
    };
    DkRegisterObjectFn registerTasks = [](uint32_t registration, void* object) -> uint32_t {
        g_lastRegistered.store(object);
        return g_sim->program().registerTaskProvider(registration, object);
    };
    kernel.overrideEntry(DK_TASK_PROVIDER_REGISTER, reinterpret_cast<DkEntry>(registerTasks));
    DkUnregisterObjectFn unregisterResolver = [](void* object) -> uint32_t {
        g_resolver.compare_exchange_strong(object, nullptr);
        return 0;
    };
    kernel.overrideEntry(DK_RESOLVER_REGISTER, reinterpret_cast<DkEntry>(registerResolver));
    kernel.overrideEntry(DK_RESOLVER_UNREGISTER, reinterpret_cast<DkEntry>(unregisterResolver));
    DkBreakpointSetFn setWithHit = [](const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                      uint32_t* handle) -> DkStatus {
        // Once the first half is held, before its request returns.
        const DkStatus status = g_sim->setBreakpoint(request, registration, executor, handle);
        if (request->accessCode == 1 && g_deliver.load())
            g_sim->hit(0, 0x7400);
        return status;
    };
    DkStatusOfU32Fn removeWithHit = [](uint32_t handle) -> DkStatus {
        if (g_deliver.load())
            g_sim->hit(0, 0x7400);
        return g_sim->removeBreakpoint(handle);
    };
    kernel.overrideEntry(DK_BREAKPOINT_SET, reinterpret_cast<DkEntry>(setWithHit));
    kernel.overrideEntry(DK_BREAKPOINT_REMOVE, reinterpret_cast<DkEntry>(removeWithHit));
    DkBreakpointObjectFn setWithCall = [](DkHandle provider, void* object) -> uint32_t {
        char text[16];
        if (g_deliver.load())
            GetPluginCallbackTable()->PluginCbUserBreakpoint1(object, text, sizeof text);
        return g_sim->program().setUserBreakpoint(false, provider, object);
    };
    kernel.overrideEntry(DK_USER_BREAKPOINT_SET, reinterpret_cast<DkEntry>(setWithCall));
    DkStatusOfU32Fn clearWithCall = [](uint32_t id) -> DkStatus {
        char text[16];
        for (const simdbg::SimUserBreakpoint& held : g_sim->program().userBreakpoints())
            if (held.id == id && g_deliver.load())
                GetPluginCallbackTable()->PluginCbUserBreakpoint1(held.object, text, sizeof text);
        return g_sim->program().clearUserBreakpoint(false, id);
    };
    kernel.overrideEntry(DK_USER_BREAKPOINT_CLEAR, reinterpret_cast<DkEntry>(clearWithCall));
    CategoryProbe category([] {});
    const std::vector<Kind> kinds = everyCalledClass(category);
    int covered = 0;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Built and ended while two debugger threads call whatever is there.
        std::atomic<bool> stop{false};
        std::vector<std::thread> callers;
        for (int i = 0; i < kind.callingThreads; ++i)
            callers.emplace_back([&] {
                while (!stop.load())
                    kind.call(nullptr);
            });
        for (int round = 0; round < 300; ++round)
            kind.end(kind.make([] {}));
        stop.store(true);
        for (std::thread& caller : callers)
            caller.join();

        // Pairs end each other from inside their calls on two threads, by delete and in place.
        for (bool inPlace : {false, true}) {
            if (kind.callingThreads < 2)
                break;
            std::latch inside(2);
            void* objects[2] = {};
            std::atomic<bool> fired[2] = {false, false}; // a dispatch reaches both: each acts once
            for (int i : {0, 1}) {
                Hook hook = [&, i] {
                    if (fired[i].exchange(true))
                        return;
                    inside.arrive_and_wait();
                    (inPlace ? kind.endPlaced : kind.end)(objects[1 - i]);
                };
                objects[i] = (inPlace ? kind.place : kind.make)(std::move(hook));
            }
            void* held[2] = {kind.handed(objects[0]), kind.handed(objects[1])};
            std::thread a([&] { kind.call(held[0]); });
            std::thread b([&] { kind.call(held[1]); });
            a.join();
            b.join();
        }

        // Ended by its own hook during a set and a removal it makes, while another thread calls it.
        if (kind.setRemove) {
            for (int step = 0; step < 2; ++step) {
                std::atomic<void*> self{nullptr};
                std::atomic<int> reached{0};
                void* object = kind.make([&] {
                    if (reached.fetch_add(1) == 0)
                        kind.end(self.exchange(nullptr));
                });
                self.store(object);
                g_deliver.store(true);
                kind.setRemove(object, step);
                g_deliver.store(false);
                EXPECT_EQ(self.load(), nullptr) << "ended during step " << step;
                if (void* left = self.exchange(nullptr))
                    kind.end(left);
            }
        }
        ++covered;
    }
    EXPECT_EQ(covered, 8) << "classes the debugger or the IDE calls";
    EXPECT_TRUE(kernel.breakpoints().empty());
    EXPECT_TRUE(kernel.program().userBreakpoints().empty());
}

} // namespace
} // namespace dk::test
