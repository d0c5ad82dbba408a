// The UI thread under Qt: messages handled on the GUI thread, and Exit while the panel runs a modal
// dialog.

#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/tests/sdk_fixture.h"
#include "sdk/ide/if_command.h"

#include <QApplication>
#include <QDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace dk::test {
namespace {

struct ModalLog {
    std::atomic<bool> dialogOpen{false};
    std::atomic<bool> dialogReturned{false};
    std::atomic<bool> handlerGone{false};
    std::atomic<bool> onGuiThread{false};
};
ModalLog g_log;

class ModalHandler : public plugin::UiMessageHandler {
public:
    ~ModalHandler() override { g_log.handlerGone = true; }
    void onMessage(const plugin::ThreadMessage& message) override
    {
        g_log.onGuiThread = QThread::currentThread() == qApp->thread();
        if (message.message != plugin::WM_EXABS_OPEN_PANEL)
            return;
        QDialog dialog;
        m_dialog = &dialog;
        QTimer::singleShot(0, [] { g_log.dialogOpen = true; });
        dialog.exec(); // the settings dialog's modal loop
        m_dialog = nullptr;
        g_log.dialogReturned = true;
    }
    void onQuit() override
    {
        if (m_dialog != nullptr)
            m_dialog->reject();
    }

private:
    QDialog* m_dialog = nullptr;
};

class SdkQtUiThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "plugin_sdk_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            new QApplication(argc, argv);
        kernel.activate();
        plugin::setUiHandlerFactory([] { return std::make_unique<ModalHandler>(); });
    }
    void TearDown() override
    {
        plugin::setUiHandlerFactory(nullptr);
        bindKernelTable(nullptr);
    }
    simdbg::SimKernel kernel;
};

TEST_F(SdkQtUiThreadTest, ExitWhileAModalDialogRunsNeitherHangsNorCrashes)
{
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::atomic<bool> exited{false};
    DkStatus status = DK_STATUS_FAILURE;
    std::thread debugger([&] {
        kernel.notify(7);
        while (!g_log.dialogOpen)
            std::this_thread::yield();
        status = PluginApiExit(); // waits for the GUI thread to end the UI thread
        exited = true;
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!exited && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    debugger.join();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(g_log.dialogReturned);
    EXPECT_TRUE(g_log.handlerGone);
    EXPECT_TRUE(g_log.onGuiThread);
    EXPECT_EQ(pluginObject(), nullptr);
    QCoreApplication::processEvents();
}

TEST_F(SdkQtUiThreadTest, IdeIdleReplaysForeignNotificationsOnTheGuiThread)
{
    EXPECT_EQ(StartGuiModule(), 1u); // built on the GUI thread
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    std::thread debugger([&] {
        kernel.notify(3);
        kernel.notify(3);
    });
    debugger.join();
    auto* sample = thePluginSample();
    EXPECT_EQ(sample->impl().queued(), 2u);
    EXPECT_TRUE(IfRunIdleUntilDone());
    EXPECT_EQ(sample->impl().queued(), 0u);
    EXPECT_EQ(PluginApiExit(), 0);
    EXPECT_EQ(ShutDownGuiModule(), 1u);
}

} // namespace
} // namespace dk::test

namespace dk::test {
namespace {

std::atomic<bool> g_plainHandlerGone{false};

class PlainHandler final : public plugin::UiMessageHandler {
public:
    ~PlainHandler() override { g_plainHandlerGone = true; }
    void onMessage(const plugin::ThreadMessage&) override {}
};

TEST_F(SdkQtUiThreadTest, ExitWhileTheGuiThreadIsBlockedWaitsOnceAndTheUiThreadEndsLater)
{
    using namespace std::chrono;
    plugin::setUiHandlerFactory([] { return std::make_unique<PlainHandler>(); });
    // Two waits would take at least twice the wait: the bound between one and two holds on a busy machine.
    plugin::setUiQuitTimeout(milliseconds(2000));
    g_plainHandlerGone = false;
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    kernel.notify(DK_NOTIFY_PROGRAM_LOADED); // the UI thread starts on this, the GUI thread
    const auto start = steady_clock::now();
    DkStatus status = DK_STATUS_FAILURE;
    std::thread debugger([&] { status = PluginApiExit(); });
    debugger.join(); // the GUI thread runs no events meanwhile
    const auto elapsed = steady_clock::now() - start;
    plugin::setUiQuitTimeout(milliseconds(0));
    EXPECT_EQ(status, 0);
    EXPECT_GE(elapsed, milliseconds(2000));
    EXPECT_LT(elapsed, milliseconds(4000)); // one wait, not two
    EXPECT_EQ(pluginObject(), nullptr);
    EXPECT_FALSE(g_plainHandlerGone);
    QCoreApplication::processEvents(); // the GUI thread runs again: the UI thread ends
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(g_plainHandlerGone);
}

} // namespace
} // namespace dk::test
