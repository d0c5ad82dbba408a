#include "plugin/views/window_manager.h"

#include "plugin/views/commands.h"
#include "plugin/views/object_window.h"
#include "plugin/views/windows/builtin_windows.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>
#include <map>

namespace views {
namespace {

std::map<uint32_t, WindowManager::Creator>& creators()
{
    static auto* table = new std::map<uint32_t, WindowManager::Creator>;
    return *table;
}

std::map<uint32_t, WindowManager::Creator>& detailCreators()
{
    static auto* table = new std::map<uint32_t, WindowManager::Creator>;
    return *table;
}

WindowManager::TraceControlRunner& traceControlRunner()
{
    static auto* runner = new WindowManager::TraceControlRunner;
    return *runner;
}

} // namespace

void WindowManager::RegisterDisplayWindow(uint32_t command, Creator creator) { creators()[command] = std::move(creator); }

void WindowManager::RegisterDetailWindow(uint32_t dialogId, Creator creator)
{
    detailCreators()[dialogId] = std::move(creator);
}

ObjectWindow* WindowManager::CreateDetailWindow(WindowManager& manager, uint32_t dialogId)
{
    auto it = detailCreators().find(dialogId);
    return it != detailCreators().end() && it->second ? it->second(manager) : nullptr;
}

void WindowManager::setTraceControlRunner(TraceControlRunner runner) { traceControlRunner() = std::move(runner); }

WindowManager::WindowManager() : ServiceTraceParent("Miscellaneous", 100, nullptr) {}

WindowManager::~WindowManager()
{
    CloseServiceTrace();
    deleteWindows();
}

void WindowManager::AddMiscServiceClasses()
{
    if (serviceTraceWindow() == nullptr)
        return;
    AddServiceClass(101);
    AddServiceClass(13);
}

void WindowManager::RegisterWindow(ObjectWindow* window)
{
    if (window != nullptr && std::find(m_windows.begin(), m_windows.end(), window) == m_windows.end())
        m_windows.push_back(window);
}

void WindowManager::UnregisterWindow(ObjectWindow* window)
{
    auto it = std::find(m_windows.begin(), m_windows.end(), window);
    if (it != m_windows.end())
        m_windows.erase(it);
}

ObjectWindow* WindowManager::FindOpenWindow(uint32_t dialogId) const
{
    for (ObjectWindow* window : m_windows)
        if (window->dialogId() == dialogId)
            return window;
    return nullptr;
}

bool WindowManager::ShowOpenWindow(uint32_t dialogId)
{
    ObjectWindow* window = FindOpenWindow(dialogId);
    if (window == nullptr)
        return false;
    if (window->isOpen()) {
        window->showNormal();
        window->raise();
        window->activateWindow();
        window->postCommand(kRefreshCommand);
    }
    return true;
}

ObjectWindow* WindowManager::CreateDisplayWindow(uint32_t command)
{
    if (DialogIdForCommand(command) == 0)
        return nullptr;
    RegisterBuiltinWindows();
    auto it = creators().find(command);
    if (it == creators().end() || !it->second)
        return nullptr;
    ObjectWindow* window = it->second(*this);
    if (window == nullptr)
        return nullptr;
    window->ShowModeless();
    window->raise();
    return window;
}

void WindowManager::deleteWindows()
{
    // A window's destruction unregisters it; take the list first.
    std::vector<ObjectWindow*> windows = m_windows;
    for (ObjectWindow* window : windows)
        delete window;
    m_windows.clear();
}

void WindowManager::CloseAllWindows()
{
    CloseServiceTrace();
    deleteWindows();
    kernel::FreeKernelWorkspace();
}

void WindowManager::OnTargetStopped()
{
    // The target may have changed everything while it ran: what the refreshes read is read afresh.
    kernel::DropTargetReadCache();
    RefreshServiceTrace();
    for (ObjectWindow* window : m_windows)
        if (window->isOpen())
            window->postCommand(kRefreshCommand);
}

void WindowManager::OnTargetRunning()
{
    kernel::DropTargetReadCache();
    DisableServiceTrace();
    for (ObjectWindow* window : m_windows)
        if (window->isOpen())
            window->postCommand(kDisableCommand);
}

int WindowManager::OnDisplayCommand(uint32_t command)
{
    switch (command) {
    case kCommandServicesTrace:
        if (serviceTraceWindow() != nullptr)
            serviceTraceWindow()->showAndRaise();
        return 0;
    case kCommandTraceControl:
        if (traceControlRunner())
            traceControlRunner()(*this);
        return 0;
    case kCommandProfiles:
        return 0;
    case kCommandCloseAll:
        CloseServiceTrace();
        deleteWindows();
        return 0;
    default:
        break;
    }
    uint32_t dialogId = DialogIdForCommand(command);
    ObjectWindow* window = FindOpenWindow(dialogId);
    if (window != nullptr && window->isOpen())
        ShowOpenWindow(dialogId);
    else
        CreateDisplayWindow(command);
    return 0;
}

} // namespace views
