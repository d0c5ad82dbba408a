// The built plug-in under a host of its own: Exit races a debugger thread that keeps notifying and
// an IDE thread that keeps shutting its side down, round after round. Under the sanitizers any
// access to a destroyed object fails the run.

#include "standins/debugger/plugin_host.h"
#include "standins/debugger/sim_kernel.h"
#include "sdk/ide/if_command.h"

#include <gtest/gtest.h>

#include <memory>

#include <atomic>
#include <cstring>
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
