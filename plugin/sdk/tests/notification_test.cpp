// Notification dispatch, the foreign-thread queue and the plug-in object's UI-thread messages.

#include "plugin/sdk/notify.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/subscribed.h"
#include "plugin/sdk/tests/sdk_fixture.h"

#include <functional>
#include <thread>

namespace dk::test {
namespace {

class Recorder : public DkNotifySubscriber {
public:
    explicit Recorder(std::vector<uint32_t>& seen, std::function<void(uint32_t)> then = {})
        : m_seen(seen), m_then(std::move(then))
    {
    }
    void Notify(uint32_t code) override
    {
        m_seen.push_back(code);
        if (m_then)
            m_then(code);
    }

private:
    std::vector<uint32_t>& m_seen;
    std::function<void(uint32_t)> m_then;
};

TEST(SdkNotifyDispatchTest, SubscribersComingAndGoingDuringADispatch)
{
    std::size_t before = notifySubscriberEntries();
    std::vector<uint32_t> first, doomedSeen, late, last;
    std::unique_ptr<DkSubscribed<Recorder>> lateOne;
    DkSubscribed<Recorder>* doomed = nullptr;
    DkSubscribed<Recorder> a(first, [&](uint32_t code) {
        if (code == 4 && !lateOne)
            lateOne = std::make_unique<DkSubscribed<Recorder>>(late); // created inside the dispatch
    });
    doomed = new DkSubscribed<Recorder>(doomedSeen, [&](uint32_t) { delete doomed; }); // destroys itself
    DkSubscribed<Recorder> c(last);
    DispatchNotification(4);
    EXPECT_EQ(first, (std::vector<uint32_t>{4}));
    EXPECT_EQ(doomedSeen, (std::vector<uint32_t>{4}));
    EXPECT_EQ(late, (std::vector<uint32_t>{4}));
    EXPECT_EQ(last, (std::vector<uint32_t>{4}));
    EXPECT_EQ(notifySubscriberEntries(), before + 3); // the emptied entry went after the walk

    DispatchNotification(22); // ignored
    DispatchNotification(21);
    EXPECT_EQ(first, (std::vector<uint32_t>{4, 21}));
    EXPECT_EQ(last, (std::vector<uint32_t>{4, 21}));
}

class ReplayProbe final : public DpDebuggerPlugin {
public:
    DpIDEPlugin* AsIDEPlugin() override { return this; }
    DpKernelPlugin* AsKernelPlugin() override { return this; }
    void OnNotify(uint32_t code) override { delivered.push_back(code); }
    std::vector<uint32_t> delivered;
};

TEST(SdkDebuggerPluginTest, ForeignCodesAreReplayedOneRunPerIdleCall)
{
    ReplayProbe probe;
    probe.impl().Notify(9); // the constructing thread: at once
    EXPECT_EQ(probe.delivered, (std::vector<uint32_t>{9}));
    std::thread foreign([&] {
        for (uint32_t code : {3u, 3u, 3u, 5u, 3u})
            probe.impl().Notify(code);
    });
    foreign.join();
    EXPECT_EQ(probe.delivered.size(), 1u);
    EXPECT_TRUE(probe.OnIdle());
    EXPECT_TRUE(probe.OnIdle());
    EXPECT_FALSE(probe.OnIdle());
    EXPECT_FALSE(probe.OnIdle());
    EXPECT_EQ(probe.delivered, (std::vector<uint32_t>{9, 3, 5, 3}));
}

using SdkPluginSampleTest = SdkTest;

TEST_F(SdkPluginSampleTest, StopAndStartReachTheUiThreadOnlyAfterTheProgramLoaded)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.notify(0);
    kernel.notify(1);
    EXPECT_EQ(ui.threadsMade, 0); // no UI thread yet: nothing posted
    int registrations = 0;
    const std::size_t registrar = PluginSample::addWindowFactoryRegistrar([&](PluginSample& sample) {
        ++registrations;
        EXPECT_EQ(ui.snapshot().size(), 1u); // the panel request goes before the factory
        sample.RegisterWindowFactory(std::make_unique<DpWindowFactoryBase>());
    });
    std::thread debugger([&] {
        for (uint32_t code : {7u, 0u, 1u, 2u, 6u, 30u, 7u})
            kernel.notify(code);
    });
    debugger.join();
    std::vector<plugin::ThreadMessage> messages = ui.snapshot();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].message, plugin::WM_EXABS_OPEN_PANEL);
    EXPECT_STREQ(reinterpret_cast<const char*>(messages[0].lParam), "Host IDE");
    EXPECT_EQ(messages[1].message, plugin::WM_EXABS_TARGET_STOPPED);
    EXPECT_EQ(messages[2].message, plugin::WM_EXABS_TARGET_STARTED);
    EXPECT_EQ(messages[3].message, plugin::WM_EXABS_OPEN_PANEL); // a second load re-opens the panel
    EXPECT_EQ(ui.threadsMade, 1);
    EXPECT_EQ(registrations, 1);
    EXPECT_EQ(thePluginSample()->windowFactoryCount(), 1u);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(ui.quits, 1);
    PluginSample::removeWindowFactoryRegistrar(registrar); // it refers to this test's locals
}

class OrderedFactory : public DpWindowFactoryBase {
public:
    OrderedFactory(int id, std::vector<int>& deleted) : m_id(id), m_deleted(deleted) {}
    ~OrderedFactory() override { m_deleted.push_back(m_id); }

private:
    int m_id;
    std::vector<int>& m_deleted;
};

TEST_F(SdkPluginSampleTest, FactoriesAreDeletedLastFirst)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::vector<int> deleted;
    PluginSample* sample = thePluginSample();
    EXPECT_EQ(sample->RegisterWindowFactory(std::make_unique<OrderedFactory>(1, deleted)), 1u);
    EXPECT_EQ(sample->RegisterWindowFactory(std::make_unique<OrderedFactory>(2, deleted)), 2u);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(deleted, (std::vector<int>{2, 1}));
    EXPECT_EQ(GetTargetSymbol("pKWS"), 0xFFFFFFFFu); // no object any more
}

class SdkPlainThreadTest : public ::testing::Test {};

class CountingHandler : public plugin::UiMessageHandler {
public:
    CountingHandler(std::vector<uint32_t>& seen, std::thread::id& thread) : m_seen(seen), m_thread(thread) {}
    void onMessage(const plugin::ThreadMessage& message) override
    {
        m_seen.push_back(message.message);
        m_thread = std::this_thread::get_id();
    }
    void onQuit() override { m_seen.push_back(plugin::WM_QUIT_MESSAGE); }

private:
    std::vector<uint32_t>& m_seen;
    std::thread::id& m_thread;
};

TEST_F(SdkPlainThreadTest, MessagesRunInOrderOnTheUiThreadAndQuitWaits)
{
    std::vector<uint32_t> seen;
    std::thread::id handlerThread;
    auto thread = plugin::createPlainUiThread(std::make_unique<CountingHandler>(seen, handlerThread));
    EXPECT_TRUE(thread->post(plugin::WM_EXABS_OPEN_PANEL));
    EXPECT_TRUE(thread->post(plugin::WM_EXABS_TARGET_STOPPED));
    EXPECT_TRUE(thread->quitAndWait(std::chrono::seconds(60)));
    EXPECT_FALSE(thread->post(plugin::WM_EXABS_TARGET_STARTED)); // after the quit
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x8069, 0x8067, plugin::WM_QUIT_MESSAGE}));
    EXPECT_NE(handlerThread, std::this_thread::get_id());
}

} // namespace
} // namespace dk::test
