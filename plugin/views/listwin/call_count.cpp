#include "plugin/views/listwin/call_count.h"

#include "plugin/views/listwin/plugin_resources.h"
#include "plugin/views/listwin/window_factory.h"
#include "plugin/views/kit/popup_menu.h"

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/symbols.h"
#include "platform/qt/locale_text.h"

#include <boost/format.hpp>

#include <list>
#include <memory>
#include <mutex>

namespace views {
namespace {

struct Store {
    std::mutex mutex;
    std::list<std::unique_ptr<dk::FunctionBreakpoint>> breakpoints;
};

// Kept for the life of the process: breakpoints stay counted until the user removes them.
Store& store()
{
    static Store* s = new Store;
    return *s;
}

} // namespace

bool CallCountStore::AddFunction(const std::string& name)
{
    dk::DkSymbol symbol = dk::DkSymbol::Lookup(name, dk::DkContext::Symbols());
    dk::TargetLocation location;
    if (symbol.GetHandle() == 0 || !symbol.TryGetLocation(location))
        return false;
    auto breakpoint = std::make_unique<dk::FunctionBreakpoint>(location, name);
    if (!breakpoint->IsSet())
        return false;
    std::lock_guard lock(store().mutex);
    store().breakpoints.push_back(std::move(breakpoint));
    return true;
}

bool CallCountStore::RemoveFunction(const std::string& name)
{
    std::unique_ptr<dk::FunctionBreakpoint> removed;
    {
        std::lock_guard lock(store().mutex);
        for (auto it = store().breakpoints.begin(); it != store().breakpoints.end(); ++it) {
            if ((*it)->GetFunctionName() == name) {
                removed = std::move(*it);
                store().breakpoints.erase(it);
                break;
            }
        }
    }
    return removed != nullptr; // the breakpoint is cleared outside the lock
}

void CallCountStore::ResetCounter(const std::string& name)
{
    std::lock_guard lock(store().mutex);
    for (auto& breakpoint : store().breakpoints)
        if (breakpoint->GetFunctionName() == name) {
            breakpoint->ResetHitCount();
            return;
        }
}

void CallCountStore::ResetAllCounters()
{
    std::lock_guard lock(store().mutex);
    for (auto& breakpoint : store().breakpoints)
        breakpoint->ResetHitCount();
}

std::vector<CallCount> CallCountStore::Snapshot()
{
    std::lock_guard lock(store().mutex);
    std::vector<CallCount> counts;
    for (const auto& breakpoint : store().breakpoints)
        counts.push_back({breakpoint->GetFunctionName(), breakpoint->GetHitCount(), breakpoint->IsHeldNow()});
    return counts;
}

std::vector<bool> CallCountStore::CountingStates()
{
    std::lock_guard lock(store().mutex);
    std::vector<bool> states;
    for (const auto& breakpoint : store().breakpoints)
        states.push_back(breakpoint->IsHeldNow());
    return states;
}

CallCountWindow::CallCountWindow(QWidget* parent) : DpListWindow(parent) { setObjectName(kKey); }

void CallCountWindow::appendEntryRow()
{
    m_entryRow = InsertRow(kEntryText, 1);
    SetCellEditable(m_entryRow, m_functionColumn, true);
}

void CallCountWindow::InitColumns()
{
    m_contextRow = -1;
    m_functionColumn = AddColumn("Function", 250, 0);
    m_callsColumn = AddColumn("Calls", 60, 0);
    appendEntryRow();
}

bool CallCountWindow::OnCellEdited(int row, int, const std::string& text)
{
    if (!CallCountStore::AddFunction(text))
        return false;
    SetItemText(row, m_callsColumn, "0");
    SetCellEditable(row, m_functionColumn, false);
    m_shownStates.push_back(true); // added only when the debugger holds its breakpoint
    appendEntryRow();
    return true;
}

bool CallCountWindow::ShowContextMenu(int row, const QPoint& screenPoint)
{
    m_contextRow = row;
    IfMenu menu;
    if (!ActiveResources().GetMenu(kCallCountMenu, menu))
        return true;
    std::vector<PopupItem> items;
    for (const IfMenu& item : menu.items)
        items.push_back({item.separator ? std::string() : item.text, item.separator ? 0 : static_cast<int>(item.id)});
    // The item under the mouse shows its prompt in the IDE's status bar. The command is 0 also when the
    // window went while the menu was open (the session ended).
    const auto prompt = [](int command) { ShowCommandPrompt(static_cast<unsigned>(command)); };
    if (const int command = RunPopupMenu(this, items, screenPoint, prompt))
        OnCommand(static_cast<unsigned>(command));
    return true;
}

void CallCountWindow::Update()
{
    DeleteAllRows();
    m_shownStates.clear();
    for (const CallCount& count : CallCountStore::Snapshot()) {
        m_shownStates.push_back(count.counting);
        const int row = InsertRow(count.function, 1);
        std::string calls = (boost::format("%d") % count.hits).str();
        if (!count.counting) {
            calls += kNotCountedText;
            SetRowTextColour(row, kNotCountedColour);
        }
        SetItemText(row, m_callsColumn, calls);
    }
    appendEntryRow();
}

void CallCountWindow::AfterIdle()
{
    if (IsReady() && !UpdatePending() && CallCountStore::CountingStates() != m_shownStates)
        RequestUpdate();
}

void CallCountWindow::OnCommand(unsigned id)
{
    if (id == kResetAllCountersCommand) {
        CallCountStore::ResetAllCounters();
        RequestUpdate();
        return;
    }
    if (id != kResetCounterCommand && id != kRemoveFunctionCommand)
        return;
    if (m_contextRow < 0 || m_contextRow == m_entryRow)
        return;
    std::string function;
    if (!GetItemText(m_contextRow, m_functionColumn, function))
        return;
    if (id == kResetCounterCommand) {
        CallCountStore::ResetCounter(function);
    } else {
        CallCountStore::RemoveFunction(function);
        DeleteRow(m_contextRow);
    }
    RequestUpdate();
    m_contextRow = -1;
}

namespace {

// The plug-in object builds its menu part with itself and registers the Call Count window factory once
// the program is loaded.
const bool g_registered = [] {
    dk::PluginSample::setMenuPartFactory([](dk::PluginSample&) -> std::unique_ptr<dk::DpPluginPart> {
        auto part = std::make_unique<IfMenuPart>(ActiveResources(), "IP_MAIN", kMainMenu);
        part->Show();
        return part;
    });
    dk::PluginSample::addWindowFactoryRegistrar([](dk::PluginSample& sample) {
        WindowFactorySettings settings;
        settings.flag = 1;
        settings.command = kCallCountCommand;
        settings.key = CallCountWindow::kKey;
        settings.title = CallCountWindow::kTitle;
        settings.option = 1;
        settings.position = 3;
        sample.RegisterWindowFactory(std::make_unique<DpWindowFactory<CallCountWindow>>(settings));
    });
    return true;
}();

} // namespace

} // namespace views
