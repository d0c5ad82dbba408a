// The built plug-in library, loaded as the host loads it and bound to the simulated debugger.

#include "standins/debugger/plugin_host.h"
#include "standins/debugger/sim_kernel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

namespace simdbg {
namespace {

std::set<std::string> definedDynamicSymbols(const std::string& path)
{
    std::set<std::string> names;
    std::string command = "nm -D --defined-only '" + path + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        std::size_t space = text.rfind(' ');
        names.insert(space == std::string::npos ? text : text.substr(space + 1));
    }
    pclose(pipe);
    return names;
}

// The log lines that the UI thread traced, in order.
std::vector<std::string> uiTrace(const SimKernel& kernel)
{
    std::vector<std::string> lines;
    for (const std::string& line : kernel.logLines())
        if (line.find("ui-thread") != std::string::npos)
            lines.push_back(line.substr(line.find("ui-thread")));
    return lines;
}

// Waits (pumping Qt events when an application runs) until the UI thread traced n lines.
std::vector<std::string> waitForTrace(const SimKernel& kernel, std::size_t n)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (uiTrace(kernel).size() < n && std::chrono::steady_clock::now() < deadline) {
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return uiTrace(kernel);
}

class SimPluginLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("KORVANE_PLUGIN_TRACE", "1", 1);
        kernel.activate();
        ASSERT_TRUE(host.load(KORVANE_PLUGIN_FILE)) << host.error();
    }

    // The debugger's notifications arrive on a thread of their own.
    void notifyFromDebuggerThread(std::initializer_list<uint32_t> codes)
    {
        std::vector<uint32_t> list(codes);
        std::thread debugger([&] {
            for (uint32_t code : list)
                kernel.notify(code);
        });
        debugger.join();
    }

    void expectCleanEnd()
    {
        EXPECT_TRUE(kernel.unexpectedEntries().empty());
        EXPECT_EQ(kernel.outstandingTexts(), 0u);
        EXPECT_EQ(kernel.outstandingArrays(), 0u);
        EXPECT_TRUE(kernel.ledgerErrors().empty());
    }

    SimKernel kernel;
    PluginHost host;
};

TEST_F(SimPluginLoadTest, ExportsExactlyTheFourEntryPoints)
{
    std::set<std::string> expected{"PluginApi_3", "DpCreatePluginObject", "IfStartGuiModule", "IfShutDownGuiModule"};
    EXPECT_EQ(definedDynamicSymbols(KORVANE_PLUGIN_FILE), expected);
    const PluginEntryTable* table = host.entryTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table, host.entryTable());
    EXPECT_EQ(table->PluginApiMajorVersion(), 0u);
    EXPECT_EQ(table->PluginApiMinorVersion(), 0u);
}

TEST_F(SimPluginLoadTest, DebuggerSideFirstBindNotifyAndSurviveExitInitExit)
{
    ASSERT_EQ(host.init(kernel.table()), 0);
    ASSERT_TRUE(kernel.registered());
    const PluginCallbackTable* callbacks = kernel.callbacks();
    EXPECT_EQ(callbacks->PluginCbMajorVersion(), 1u);
    EXPECT_EQ(callbacks->PluginCbMinorVersion(), 4u);
    DkPluginInfo info{};
    callbacks->PluginCbGetPluginInfo(&info);
    ASSERT_NE(info.name, nullptr);
    EXPECT_STREQ(info.name, "DpKernelPlugin");
    EXPECT_STREQ(info.version, "1.0");

    notifyFromDebuggerThread({7, 0, 1, 25, 3});
    std::vector<std::string> trace = waitForTrace(kernel, 3);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "ui-thread 0x8069 Host IDE");
    EXPECT_EQ(trace[1], "ui-thread 0x8067");
    EXPECT_EQ(trace[2], "ui-thread 0x8066");

    uint32_t firstRegistration = kernel.registrationHandle();
    EXPECT_EQ(host.exit(), 0);
    EXPECT_FALSE(kernel.registered());
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 1u);
    EXPECT_EQ(uiTrace(kernel).back(), "ui-thread 0x12"); // the UI thread ended with the object

    ASSERT_EQ(host.init(kernel.table()), 0);
    EXPECT_NE(kernel.registrationHandle(), firstRegistration);
    callbacks->PluginCbGetPluginInfo(&info);
    EXPECT_STREQ(info.name, "DpKernelPlugin");
    EXPECT_EQ(host.exit(), 0);
    callbacks->PluginCbGetPluginInfo(&info);
    EXPECT_EQ(info.name, nullptr);
    EXPECT_EQ(host.shutDownGui(), 1u); // never started: nothing happens
    EXPECT_EQ(kernel.callCount(DK_REGISTER_PLUGIN), 2u);
    EXPECT_EQ(kernel.callCount(DK_UNREGISTER_PLUGIN), 2u);
    expectCleanEnd();
}

TEST_F(SimPluginLoadTest, IdeSideFirstThenDebuggerSide)
{
    EXPECT_EQ(host.startGui(), 1u);
    void* object = host.createObject();
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(host.init(kernel.table()), 0);
    EXPECT_EQ(host.createObject(), object); // Init adopted the object the IDE side built

    notifyFromDebuggerThread({7, 0, 1, 22});
    std::vector<std::string> trace = waitForTrace(kernel, 3);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "ui-thread 0x8069 Host IDE");
    EXPECT_EQ(trace[1], "ui-thread 0x8067");
    EXPECT_EQ(trace[2], "ui-thread 0x8066");

    EXPECT_EQ(host.exit(), 0);
    EXPECT_EQ(host.shutDownGui(), 1u);
    ASSERT_EQ(host.init(kernel.table()), 0);
    EXPECT_EQ(host.exit(), 0);
    expectCleanEnd();
}

TEST_F(SimPluginLoadTest, RefusedRegistrationBuildsNothing)
{
    kernel.injectFailure(DK_REGISTER_PLUGIN, 0x10005);
    EXPECT_EQ(host.init(kernel.table()), 5); // the low 16 bits
    EXPECT_EQ(kernel.callCount(DK_ZONE_COUNT), 0u);
    EXPECT_FALSE(kernel.notify(7));
    ASSERT_EQ(host.init(kernel.table()), 0);
    EXPECT_EQ(host.exit(), 0);
    expectCleanEnd();
}

TEST_F(SimPluginLoadTest, UnderQtTheUiThreadIsTheGuiThread)
{
    int argc = 1;
    char name[] = "plugin_load_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    ASSERT_EQ(host.init(kernel.table()), 0);
    notifyFromDebuggerThread({7, 0, 1});
    std::vector<std::string> trace = waitForTrace(kernel, 3);
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "ui-thread 0x8069 Host IDE");

    // Exit on a debugger thread while the GUI thread keeps its event loop running.
    std::atomic<bool> done{false};
    DkStatus status = DK_STATUS_FAILURE;
    std::thread debugger([&] {
        status = host.exit();
        done = true;
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents();
    debugger.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(uiTrace(kernel).back(), "ui-thread 0x12");

    // Exit on the GUI thread itself: the quit runs at once, with the queued messages first.
    ASSERT_EQ(host.init(kernel.table()), 0);
    notifyFromDebuggerThread({7, 0});
    EXPECT_EQ(host.exit(), 0);
    trace = uiTrace(kernel);
    ASSERT_GE(trace.size(), 3u);
    EXPECT_EQ(trace[trace.size() - 3], "ui-thread 0x8069 Host IDE");
    EXPECT_EQ(trace[trace.size() - 2], "ui-thread 0x8067");
    EXPECT_EQ(trace.back(), "ui-thread 0x12");
    QCoreApplication::processEvents();
    expectCleanEnd();
}

} // namespace
} // namespace simdbg
