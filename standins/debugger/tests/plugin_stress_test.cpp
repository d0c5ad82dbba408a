// The built plug-in under a host of its own: Exit races a debugger thread that keeps notifying, an
// IDE thread that keeps shutting its side down, and Init with the exports that create the plug-in
// object, round after round. Under the sanitizers any access to a destroyed object fails the run.

#include "standins/debugger/plugin_host.h"
#include "standins/debugger/sim_kernel.h"
#include "sdk/ide/if_command.h"

#include <gtest/gtest.h>

#include <pthread.h>
#include <sched.h>

#include <memory>

#include <atomic>
#include <barrier>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace simdbg {
namespace {

constexpr int kRounds = 300;

// Runs body on a thread of its own, over and over, until stopped.
class Repeater {
public:
    template <typename F>
    explicit Repeater(F body)
        : m_thread([this, body] {
              while (!m_stop.load())
                  body();
          })
    {
    }
    ~Repeater()
    {
        m_stop.store(true);
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

class SimPluginStressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kernel.activate();
        ASSERT_TRUE(host.load(KORVANE_PLUGIN_FILE)) << host.error();
    }

    SimKernel kernel;
    PluginHost host;
};

TEST_F(SimPluginStressTest, ExitRacesNotificationsAndTheIdeShutDown)
{
    for (int round = 0; round < kRounds; ++round) {
        const bool ideFirst = round % 2 == 0;
        if (ideFirst)
            host.startGui();
        ASSERT_EQ(host.init(kernel.table()), 0) << "round " << round;
        if (!ideFirst)
            host.startGui();
        std::atomic<int> delivered{0};
        {
            // The program-loaded code starts the UI thread; the others are posted or ignored.
            Repeater debugger([&] {
                for (uint32_t code : {7u, 3u, 0u, 1u, 6u, 7u})
                    if (kernel.notify(code))
                        delivered.fetch_add(1);
            });
            Repeater ide([&] { host.shutDownGui(); });
            while (delivered.load() < 4 + round % 7)
                std::this_thread::yield();
            ASSERT_EQ(host.exit(), 0) << "round " << round;
        }
        EXPECT_FALSE(kernel.registered());
        EXPECT_EQ(host.shutDownGui(), 1u);
    }
    EXPECT_EQ(kernel.callCount(DK_REGISTER_PLUGIN), static_cast<uint64_t>(kRounds));
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), static_cast<uint64_t>(kRounds));
    EXPECT_TRUE(kernel.unexpectedEntries().empty());
    EXPECT_TRUE(kernel.ledgerErrors().empty());
}

// The IDE runs its idle passes on its own thread while the debugger thread builds and ends the
// plug-in object: a pass never reaches the object before it is whole or after it is gone.
TEST_F(SimPluginStressTest, InitAndExitRaceTheIdesIdlePasses)
{
    std::atomic<int> passes{0};
    Repeater ide([&] {
        IfRunIdleChores();
        passes.fetch_add(1);
    });
    for (int round = 0; round < kRounds; ++round) {
        const int before = passes.load();
        ASSERT_EQ(host.init(kernel.table()), 0) << "round " << round;
        while (passes.load() < before + 2)
            std::this_thread::yield();
        ASSERT_EQ(host.exit(), 0) << "round " << round;
    }
    EXPECT_FALSE(kernel.registered());
    EXPECT_TRUE(kernel.unexpectedEntries().empty());
}

// Every callback slot and export that needs no host object, called from several threads while the
// debugger binds and ends the plug-in round after round: a slot that began before Exit ends before
// the object goes, one that begins after it finds no object and answers its neutral result.
TEST_F(SimPluginStressTest, ExitRacesEverySlotThatNeedsNoHostObject)
{
    ASSERT_EQ(host.init(kernel.table()), 0);
    // The table stays the plug-in's own after Exit: the debugger may still hold it.
    const PluginCallbackTable* slots = kernel.callbacks();
    ASSERT_NE(slots, nullptr);
    ASSERT_EQ(host.exit(), 0);

    std::atomic<int> calls{0};
    std::atomic<int> badInfo{0};
    std::atomic<int> badVersion{0};
    std::vector<std::unique_ptr<Repeater>> callers;
    for (int copy = 0; copy < 2; ++copy) {
        callers.push_back(std::make_unique<Repeater>([&] {
            DkPluginInfo info{"x", "y"};
            slots->PluginCbGetPluginInfo(&info);
            const bool none = info.name == nullptr && info.version == nullptr;
            const bool ours = info.name != nullptr && info.version != nullptr &&
                              std::strcmp(info.name, "DpKernelPlugin") == 0 && std::strcmp(info.version, "1.0") == 0;
            if (!none && !ours)
                badInfo.fetch_add(1);
            calls.fetch_add(1);
        }));
    }
    callers.push_back(std::make_unique<Repeater>([&] {
        if (slots->PluginCbMajorVersion() != 1 || slots->PluginCbMinorVersion() != 4)
            badVersion.fetch_add(1);
        slots->PluginCbLog(1, "stress");
        slots->PluginCbTaskProvider2(nullptr);
        slots->PluginCbRegisterFunctions();
        slots->PluginCbUnregisterFunctions();
        calls.fetch_add(1);
    }));
    callers.push_back(std::make_unique<Repeater>([&] {
        for (uint32_t code : {0u, 1u, 3u, 6u, 22u})
            slots->PluginCbNotify(code);
        calls.fetch_add(1);
    }));
    callers.push_back(std::make_unique<Repeater>([&] {
        host.entryTable();
        host.shutDownGui();
        calls.fetch_add(1);
    }));
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(host.init(kernel.table()), 0) << "round " << round;
        const int before = calls.load();
        while (calls.load() < before + 5 + round % 11)
            std::this_thread::yield();
        ASSERT_EQ(host.exit(), 0) << "round " << round;
    }
    callers.clear();
    EXPECT_EQ(badInfo.load(), 0);
    EXPECT_EQ(badVersion.load(), 0);
    EXPECT_FALSE(kernel.registered());
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), static_cast<uint64_t>(kRounds) + 1);
    EXPECT_TRUE(kernel.unexpectedEntries().empty());
    EXPECT_TRUE(kernel.ledgerErrors().empty());
}

// Each round releases three threads together on a plug-in without an object: one calls an export
// that creates the object (or reaches the one just made), one calls Init, one calls Exit after a spin
// of 0 to 2,000 steps. Whichever order they take, no call touches the object after Exit freed it,
// every call answers as it should, and every registration is given back.
enum class Creator { StartGui, CreateObject, Init };

class SimPluginCreationRaceTest : public SimPluginStressTest, public ::testing::WithParamInterface<Creator> {};

constexpr int kCreationRounds = 3000;

void spin(int steps)
{
    std::atomic<int> counter{0};
    while (counter.fetch_add(1, std::memory_order_relaxed) < steps) {
    }
}

// The processors a thread may run on. Racers kept on one processor preempt each other at every lock
// they hand over, where a wrong order shows; on processors of their own they run truly at once.
class Processors {
public:
    Processors() { m_valid = pthread_getaffinity_np(pthread_self(), sizeof m_all, &m_all) == 0; }

    void keepOnOne() const
    {
        for (int cpu = 0; m_valid && cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &m_all)) {
                cpu_set_t one;
                CPU_ZERO(&one);
                CPU_SET(cpu, &one);
                pthread_setaffinity_np(pthread_self(), sizeof one, &one);
                return;
            }
    }
    void allowAll() const
    {
        if (m_valid)
            pthread_setaffinity_np(pthread_self(), sizeof m_all, &m_all);
    }

private:
    cpu_set_t m_all;
    bool m_valid = false;
};

TEST_P(SimPluginCreationRaceTest, ExitRacesInitAndAnExportThatCreatesTheObject)
{
    const Creator creator = GetParam();
    std::atomic<int> exitSpin{0};
    std::atomic<bool> sharedProcessor{false};
    std::atomic<bool> stop{false};
    std::atomic<int> wrongAnswers{0};
    // Three racers and the test's own thread meet at the start and at the end of every round.
    std::barrier start(4);
    std::barrier done(4);
    auto racer = [&](std::function<bool()> call) {
        return std::thread([&, call] {
            const Processors processors;
            bool onOne = false;
            for (;;) {
                start.arrive_and_wait();
                if (stop.load())
                    return;
                if (onOne != sharedProcessor.load()) {
                    onOne = !onOne;
                    onOne ? processors.keepOnOne() : processors.allowAll();
                }
                if (!call())
                    wrongAnswers.fetch_add(1);
                done.arrive_and_wait();
            }
        });
    };
    std::vector<std::thread> threads;
    threads.push_back(racer([&] {
        switch (creator) {
        case Creator::StartGui:
            return host.startGui() == 1;
        case Creator::CreateObject:
            return host.createObject() != nullptr;
        case Creator::Init:
            return host.init(kernel.table()) == DK_STATUS_OK;
        }
        return false;
    }));
    threads.push_back(racer([&] { return host.init(kernel.table()) == DK_STATUS_OK; }));
    threads.push_back(racer([&] {
        spin(exitSpin.load());
        return host.exit() == DK_STATUS_OK;
    }));
    for (int round = 0; round < kCreationRounds; ++round) {
        exitSpin.store(round * 7919 % 2001);
        sharedProcessor.store(round % 3 != 2);
        start.arrive_and_wait();
        done.arrive_and_wait();
        // Whatever the round left (a session, or an object the IDE side made) ends here, so that the
        // next round begins without an object.
        ASSERT_EQ(host.init(kernel.table()), DK_STATUS_OK) << "round " << round;
        ASSERT_EQ(host.exit(), DK_STATUS_OK) << "round " << round;
        ASSERT_FALSE(kernel.registered()) << "round " << round;
    }
    stop.store(true);
    start.arrive_and_wait();
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrongAnswers.load(), 0);
    EXPECT_EQ(host.shutDownGui(), 1u);
    EXPECT_EQ(kernel.callCount(DK_REGISTER_PLUGIN), kernel.callCount(DK_UNREGISTER_PLUGIN));
    EXPECT_TRUE(kernel.unexpectedEntries().empty());
    EXPECT_TRUE(kernel.ledgerErrors().empty());
}

INSTANTIATE_TEST_SUITE_P(EveryCreatingExport, SimPluginCreationRaceTest,
                         ::testing::Values(Creator::StartGui, Creator::CreateObject, Creator::Init),
                         [](const ::testing::TestParamInfo<Creator>& info) {
                             switch (info.param) {
                             case Creator::StartGui:
                                 return "IfStartGuiModule";
                             case Creator::CreateObject:
                                 return "DpCreatePluginObject";
                             case Creator::Init:
                                 return "PluginApiInit";
                             }
                             return "unknown";
                         });

TEST_F(SimPluginStressTest, RepeatedInitGivesEveryRegistrationBack)
{
    ASSERT_EQ(host.init(kernel.table()), 0);
    const uint32_t first = kernel.registrationHandle();
    ASSERT_EQ(host.init(kernel.table()), 0);
    EXPECT_NE(kernel.registrationHandle(), first);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 1u); // the first one, before registering again
    EXPECT_EQ(host.exit(), 0);
    EXPECT_EQ(kernel.callCount(DK_REGISTER_PLUGIN), 2u);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 2u);
    EXPECT_FALSE(kernel.registered());
}

} // namespace
} // namespace simdbg
