#pragma once
// A simulated debugger bound to the SDK for one test, and a UI thread that records its messages.

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/ui_thread.h"
#include "standins/debugger/sim_kernel.h"

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

namespace dk::test {

// Messages seen by recording UI threads, across all of them.
struct UiRecord {
    std::mutex mutex;
    std::vector<plugin::ThreadMessage> messages;
    int threadsMade = 0;
    int quits = 0;
    std::vector<plugin::ThreadMessage> snapshot()
    {
        std::lock_guard lock(mutex);
        return messages;
    }
};

class RecordingUiThread final : public plugin::UiThread {
public:
    explicit RecordingUiThread(UiRecord& record) : m_record(record) {}
    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        std::lock_guard lock(m_record.mutex);
        m_record.messages.push_back({message, wParam, lParam});
        return true;
    }
    bool quitAndWait(std::chrono::milliseconds) override
    {
        std::lock_guard lock(m_record.mutex);
        ++m_record.quits;
        return true;
    }

private:
    UiRecord& m_record;
};

class SdkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kernel.activate();
        plugin::setUiThreadFactory([this] {
            std::lock_guard lock(ui.mutex);
            ++ui.threadsMade;
            return std::make_unique<RecordingUiThread>(ui);
        });
    }
    void TearDown() override
    {
        if (kernel.registered())
            PluginApiExit();
        plugin::setUiThreadFactory(nullptr);
        bindKernelTable(nullptr);
        EXPECT_TRUE(kernel.unexpectedEntries().empty()) << "first unexpected entry: "
                                                        << kernel.unexpectedEntries().front();
        EXPECT_EQ(kernel.outstandingTexts(), 0u);
        EXPECT_TRUE(kernel.ledgerErrors().empty());
    }

    simdbg::SimKernel kernel;
    UiRecord ui;
};

} // namespace dk::test
