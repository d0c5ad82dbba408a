#include "plugin/sdk/plugin_sample.h"

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/user_breakpoints.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/target_location.h"
#include "plugin/sdk/target_port_adapter.h"

#include "plugin/kernel/target_access.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace dk {
namespace {

struct SampleHooks {
    std::mutex mutex;
    PluginSample::PartFactory menuPart;
    std::vector<std::pair<std::size_t, PluginSample::FactoryRegistrar>> registrars;
    std::size_t lastNumber = 0;
};

SampleHooks& hooks()
{
    static SampleHooks* value = new SampleHooks;
    return *value;
}

} // namespace

void PluginSample::setMenuPartFactory(PartFactory factory)
{
    std::lock_guard lock(hooks().mutex);
    hooks().menuPart = std::move(factory);
}

std::size_t PluginSample::addWindowFactoryRegistrar(FactoryRegistrar registrar)
{
    std::lock_guard lock(hooks().mutex);
    hooks().registrars.emplace_back(++hooks().lastNumber, std::move(registrar));
    return hooks().lastNumber;
}

void PluginSample::removeWindowFactoryRegistrar(std::size_t number)
{
    std::lock_guard lock(hooks().mutex);
    auto& registrars = hooks().registrars;
    registrars.erase(std::remove_if(registrars.begin(), registrars.end(),
                                    [number](const auto& entry) { return entry.first == number; }),
                     registrars.end());
}

PluginSample::PluginSample() : m_targetPort(std::make_unique<PluginTargetPort>(*this))
{
    kernel::SetTargetPort(m_targetPort.get());
    PartFactory factory;
    {
        std::lock_guard lock(hooks().mutex);
        factory = hooks().menuPart;
    }
    if (factory)
        m_menuPart = factory(*this);
}

PluginSample::~PluginSample()
{
    // First out of reach: the kernel data engine's reads fail from now on (a read in progress ends
    // first), no new call through the binding comes, and the calls still running end. Windows that
    // outlive a timed-out UI-thread wait below reach nothing of this object.
    if (kernel::GetTargetPort() == m_targetPort.get())
        kernel::SetTargetPort(nullptr);
    forgetPluginObject(this);
    LeaveIde();
    releaseImpl();
    UnregisterWindowFactories();
    // One bounded wait for the UI thread. When it times out (the GUI thread is blocked), the UI
    // thread ends by itself as soon as the GUI thread runs again; nothing of it uses this object.
    std::unique_ptr<plugin::UiThread> thread;
    {
        std::lock_guard lock(m_mutex);
        thread = std::move(m_uiThread);
    }
    if (thread && !thread->quitAndWait(plugin::uiQuitTimeout()))
        logToDebugger(2, "OMBA_Z5_Plugin: the UI thread did not end in time");
    thread.reset();
    m_menuPart.reset();
}

void PluginSample::Exit() { delete this; }

void PluginSample::PostLoadModule()
{
    // A program load changes target memory: what was read before it is read afresh.
    kernel::DropTargetReadCache();
    bool first = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_uiThread)
            m_uiThread = plugin::createUiThread();
        if (m_uiThread)
            m_uiThread->post(plugin::WM_EXABS_OPEN_PANEL, 0, reinterpret_cast<intptr_t>(kOpenPanelTitle));
        first = !m_moduleLoaded;
        m_moduleLoaded = true;
    }
    if (!first)
        return; // one UI thread and one set of factories per object; a repeat only re-opens the panel
    std::vector<std::pair<std::size_t, FactoryRegistrar>> registrars;
    {
        std::lock_guard lock(hooks().mutex);
        registrars = hooks().registrars;
    }
    for (const auto& entry : registrars)
        entry.second(*this);
}

void PluginSample::TargetStarted() { postToUiThread(plugin::WM_EXABS_TARGET_STARTED); }
void PluginSample::TargetStopped()
{
    // The debugger takes breakpoint changes while the target stands: refused removals, and breakpoints
    // it refused to set again, are asked for once more.
    RetryRefusedBreakpointRemovals();
    RestoreBreakpointsOfEndedSessions();
    RetryRefusedUserBreakpointClears();
    postToUiThread(plugin::WM_EXABS_TARGET_STOPPED);
}

bool PluginSample::hasUiThread() const
{
    std::lock_guard lock(m_mutex);
    return m_uiThread != nullptr;
}

bool PluginSample::postToUiThread(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::lock_guard lock(m_mutex);
    return m_uiThread && m_uiThread->post(message, wParam, lParam);
}

DkContext PluginSample::memoryContext()
{
    // Taken at the first access: the object may have been built before the kernel table was bound.
    std::lock_guard lock(m_mutex);
    if (m_context.GetHandle() == 0)
        m_context = DkContext::Memory();
    return m_context;
}

bool PluginSample::Read(uint32_t address, uint32_t count, uint8_t* buffer)
{
    if (count == 0)
        return true;
    if (buffer == nullptr)
        return false;
    DkContext context = memoryContext();
    TargetLocation location(MemoryZone(0), address);
    bool allRead = true;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t flag = 0;
        if (context.MemoryOperation(DK_MEMORY_READ, location, 1, &buffer[i], 8, &flag) != DK_STATUS_OK) {
            buffer[i] = 0;
            allRead = false;
        }
        location.Advance(1);
    }
    return allRead;
}

bool PluginSample::Write(uint32_t address, uint32_t count, const uint8_t* buffer)
{
    if (count == 0)
        return true;
    if (buffer == nullptr)
        return false;
    TargetLocation location(MemoryZone(0), address);
    uint8_t flag = 0;
    return memoryContext().MemoryOperation(DK_MEMORY_WRITE, location, count, const_cast<uint8_t*>(buffer), 8,
                                           &flag) == DK_STATUS_OK;
}

uint32_t PluginSample::GetSymbol(const char* name)
{
    if (name == nullptr)
        return 0xFFFFFFFFu;
    DkSymbol symbol = DkSymbol::Lookup(name, DkContext::Symbols());
    if (symbol.GetHandle() == 0)
        return 0xFFFFFFFFu;
    TargetLocation location;
    if (!symbol.TryGetLocation(location))
        return 0xFFFFFFFFu;
    return static_cast<uint32_t>(location.GetAddress());
}

PluginSample* thePluginSample() { return dynamic_cast<PluginSample*>(pluginObject()); }

uint32_t GetTargetSymbol(const char* name)
{
    // A use of the object: an Exit on another thread waits until the lookup has ended.
    uint32_t address = 0xFFFFFFFFu;
    usePluginObject([&](DpPlugin& object) {
        if (auto* sample = dynamic_cast<PluginSample*>(&object))
            address = sample->GetSymbol(name);
    });
    return address;
}

} // namespace dk
