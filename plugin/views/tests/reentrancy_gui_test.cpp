// The window and list callbacks of the SDK, on the GUI thread, call every SDK entry a plug-in may call
// there (subscribe and unsubscribe, set and remove breakpoints, open windows, add and delete columns,
// read memory) while debugger threads dispatch notifications, hit breakpoints, Init and Exit. No SDK
// lock is held while the callbacks run; a watchdog turns a hang into a failure.

#include "plugin/views/listwin/list_window.h"
#include "plugin/views/listwin/window_factory.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/notify.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/tests/watchdog.h"
#include "sdk/ide/if_desktop.h"
#include "standins/debugger/sim_kernel.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace views::test {
namespace {

class QuietSubscriber final : public dk::DkNotifySubscriber {
public:
    QuietSubscriber() : DkNotifySubscriber(Deferred{}) { Subscribe(); }
    ~QuietSubscriber() override { Unsubscribe(); }
    void Notify(uint32_t) override {}
};

constexpr const char* kOtherKey = "REENTRANT_OTHER";

// Every SDK entry a GUI callback may call; the list's own columns are added and deleted when given.
void callEverySdkEntry(DpListWindow* list, std::atomic<int>& calls)
{
    calls.fetch_add(1);
    QuietSubscriber subscriber;
    dk::DkBreakpoint one(dk::TargetLocation(dk::MemoryZone(0), 0x6100), dk::DK_BP_KIND1);
    one.SetBreakpoint();
    dk::DkBreakpoint both(dk::TargetLocation(dk::MemoryZone(0), 0x6200), dk::DK_BP_KIND4);
    both.SetBreakpoint();
    both.RemoveBreakpoint();
    uint8_t buffer[4] = {};
    uint8_t flag = 0;
    dk::DkContext::Memory().MemoryOperation(DK_MEMORY_READ, dk::TargetLocation(dk::MemoryZone(0), 0x1000),
                                            sizeof buffer, buffer, 8, &flag);
    if (IfDesktop* desktop = IfDesktop::Instance())
        desktop->CreateWnd(kOtherKey, false);
    if (list != nullptr) {
        const int column = list->AddColumn("extra", 40, 0);
        list->DeleteColumn(column);
    }
}

class ReentrantList : public DpListWindow {
public:
    static std::atomic<int>* calls;
    bool OnCellEdited(int, int, const std::string&) override
    {
        callEverySdkEntry(this, *calls);
        return true;
    }
    void OnSelectionChanged(int) override { callEverySdkEntry(this, *calls); }
    void OnDoubleClick(int) override { callEverySdkEntry(this, *calls); }
    bool SaveContent(IfContentStorage& storage) override
    {
        callEverySdkEntry(this, *calls);
        return DpListWindow::SaveContent(storage);
    }
    bool RestoreContent(IfContentStorage& storage) override
    {
        callEverySdkEntry(this, *calls);
        return DpListWindow::RestoreContent(storage);
    }
};
std::atomic<int>* ReentrantList::calls = nullptr;

TEST(SdkGuiReentrancy, WindowAndListCallbacksCallEverySdkEntryWhileTheDebuggerRuns)
{
    dk::test::Watchdog watchdog("the GUI callbacks");
    const bool ownDesktop = IfDesktop::Instance() == nullptr;
    IfDesktop* desktop = ownDesktop ? IfDesktop::Create() : IfDesktop::Instance();
    simdbg::SimKernel kernel;
    kernel.activate();
    const uint8_t bytes[] = {1, 2, 3, 4};
    kernel.memory().store(0, 0x1000, bytes, 4);
    ASSERT_EQ(dk::PluginApiInit(kernel.table()), 0);

    std::atomic<int> calls{0};
    ReentrantList::calls = &calls;
    WindowFactorySettings settings;
    settings.command = 4712;
    settings.key = "REENTRANT";
    settings.title = "Re-entrant";
    auto factory = std::make_unique<DpWindowFactory<ReentrantList>>(settings);
    settings.command = 4713;
    settings.key = kOtherKey;
    auto other = std::make_unique<DpWindowFactory<DpListWindow>>(settings);
    ASSERT_TRUE(desktop->CreateWnd("REENTRANT", true)); // RestoreContent calls in
    auto* list = dynamic_cast<ReentrantList*>(desktop->FindWnd("REENTRANT"));
    ASSERT_NE(list, nullptr);
    list->AddColumn("Name", 80, 0);
    list->InsertRowAt("a", 0);
    list->InsertRowAt("b", 1);

    const PluginCallbackTable* callbacks = dk::GetPluginCallbackTable();
    constexpr int kRounds = 200;
    std::atomic<int> running{3};
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int round = 0; round < kRounds; ++round)
            callbacks->PluginCbNotify(static_cast<uint32_t>(round % 22));
        running.fetch_sub(1);
    });
    threads.emplace_back([&] {
        for (int round = 0; round < kRounds; ++round)
            kernel.hit(0, 0x6100);
        running.fetch_sub(1);
    });
    threads.emplace_back([&] {
        for (int round = 0; round < kRounds / 4; ++round) {
            dk::PluginApiExit();
            dk::PluginApiInit(kernel.table());
        }
        running.fetch_sub(1);
    });
    int row = 0;
    while (running.load() > 0) {
        list->setCurrentItem(list->topLevelItem(row));
        row = 1 - row;
        list->OpenEditBox(row, 0);
        if (QLineEdit* edit = list->editBox()) {
            edit->setText(edit->text() + "x");
            list->CommitEdit();
        }
        list->OnDoubleClick(row);
        desktop->SaveAll();
        drainEvents();
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_GT(calls.load(), 4);
    other.reset();
    factory.reset();
    drainEvents();
    ReentrantList::calls = nullptr;
    if (kernel.registered())
        dk::PluginApiExit();
    dk::bindKernelTable(nullptr);
    if (ownDesktop)
        IfDesktop::Destroy();
}

} // namespace
} // namespace views::test
