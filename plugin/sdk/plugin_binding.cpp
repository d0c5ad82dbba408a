#include "plugin/sdk/plugin_binding.h"

#include "plugin/sdk/registered_object.h"

#include "plugin/sdk/breakpoints.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/user_breakpoints.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/zone_registry.h"
#include "sdk/ide/if_command.h"
#include "sdk/ide/if_resources.h"

#include "plugin/sdk/notify.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace dk {
namespace {

// The object and its interfaces are set and cleared under g_useMutex, and every call through an
// interface counts as a use; the object's destructor waits until the uses of other threads ended.
// Creation has a lock of its own: the object's constructor joins the notification list, whose
// dispatches take g_useMutex.
std::mutex g_creationMutex;
std::mutex g_useMutex;
std::condition_variable g_usesEnded;
int g_uses = 0;
thread_local int t_uses = 0;
// Serialises Init and Exit, which the debugger may call on different threads.
std::mutex g_sessionMutex;
std::atomic<DpPlugin*> g_object{nullptr};
std::atomic<DpKernelPlugin*> g_kernelSide{nullptr};
std::atomic<DpIDEPlugin*> g_ideSide{nullptr};
std::atomic<void*> g_resourceModule{nullptr};
std::atomic<bool> g_resourceModuleSet{false};

std::mutex g_hookMutex;
std::function<void(BindingPoint)>& bindingHook()
{
    static auto* hook = new std::function<void(BindingPoint)>;
    return *hook;
}

void reach(BindingPoint point)
{
    std::function<void(BindingPoint)> hook;
    {
        std::lock_guard lock(g_hookMutex);
        hook = bindingHook();
    }
    if (hook)
        hook(point);
}

// Under g_useMutex.
void countUse()
{
    ++g_uses;
    ++t_uses;
}

template <typename T>
T* acquire(const std::atomic<T*>& side)
{
    std::lock_guard lock(g_useMutex);
    T* value = side.load();
    if (value != nullptr)
        countUse();
    return value;
}

// A call that begins once the object is out of reach cannot reach it and is not waited for, so a
// debugger that keeps calling cannot hold Exit up.
bool acquireEntry()
{
    std::lock_guard lock(g_useMutex);
    if (g_object.load() == nullptr)
        return false;
    countUse();
    return true;
}

void release()
{
    {
        std::lock_guard lock(g_useMutex);
        --g_uses;
        --t_uses;
    }
    g_usesEnded.notify_all();
}

template <typename T>
bool use(const std::atomic<T*>& side, const std::function<void(T&)>& f)
{
    T* value = acquire(side);
    if (value == nullptr)
        return false;
    struct Release {
        ~Release() { release(); }
    } releaseOnReturn;
    f(*value);
    return true;
}

uint32_t apiVersion() { return 0; }

DkStatus apiInit(const DkKernelFunctions_1* table) noexcept
{
    try {
        return PluginApiInit(table);
    } catch (...) {
        return DK_STATUS_FAILURE;
    }
}

DkStatus apiExit() noexcept
{
    try {
        return PluginApiExit();
    } catch (...) {
        return DK_STATUS_FAILURE;
    }
}

const PluginEntryTable kEntries = {apiVersion, apiVersion, apiInit, apiExit};

DkStatus DkConnectKernel(const DkKernelFunctions_1* table)
{
    bindKernelTable(table);
    uint32_t handle = 0;
    uint32_t result = callKernel<DkRegisterPluginFn>(uint32_t{DK_STATUS_FAILURE}, DK_REGISTER_PLUGIN,
                                                     GetPluginCallbackTable(), &handle);
    DkStatus status = static_cast<DkStatus>(result & 0xFFFFu);
    if (status == DK_STATUS_OK)
        setRegistrationHandle(handle);
    return status;
}

DkStatus DkDisconnectKernel()
{
    const uint32_t handle = registrationHandle();
    const uint64_t session = sessionNumber();
    if (handle == 0)
        return DK_STATUS_OK; // nothing registered
    uint32_t result = callKernel<DkStatusOfHandleFn>(uint32_t{DK_STATUS_FAILURE}, DK_UNREGISTER_PLUGIN, handle);
    setRegistrationHandle(0);
    DkStatus status = static_cast<DkStatus>(result & 0xFFFFu);
    // The debugger drops the breakpoints of a registration it gave back: their handles are dead, and
    // refused removals and clears among them are forgotten.
    if (status == DK_STATUS_OK) {
        NoteSessionEnded(session);
        RetryRefusedBreakpointRemovals();
        RetryRefusedUserBreakpointClears();
        dropAnchorsOfEndedSessions();
    }
    return status;
}

// The object as the creating thread's counted use: a new object counts the use in the same step that
// makes it reachable, so no Exit can take it away before its creator is done with it.
DpPlugin* acquireOrCreateObject()
{
    std::lock_guard creation(g_creationMutex);
    {
        std::lock_guard lock(g_useMutex);
        if (DpPlugin* object = g_object.load()) {
            countUse();
            return object;
        }
    }
    DpPlugin* object = nullptr;
    try {
        IfConstructionScope scope; // the IDE calls the object once it is whole
        object = static_cast<DpDebuggerPlugin*>(new PluginSample);
    } catch (...) {
        return nullptr;
    }
    std::lock_guard lock(g_useMutex);
    g_object.store(object);
    countUse();
    return object;
}

DkStatus DpKernelPluginInit()
{
    const PluginObjectUse use;
    DpPlugin* object = use.get();
    DpKernelPlugin* kernel = object != nullptr ? object->AsKernelPlugin() : nullptr;
    {
        std::lock_guard lock(g_useMutex);
        g_kernelSide.store(kernel);
    }
    DkStatus status = DK_STATUS_NO_KERNEL_INTERFACE;
    useKernelSide([&](DpKernelPlugin& side) { status = side.Init(); });
    return status;
}

} // namespace

DpPlugin* pluginObject() { return g_object.load(); }
DpKernelPlugin* kernelSideInterface() { return g_kernelSide.load(); }
DpIDEPlugin* ideSideInterface() { return g_ideSide.load(); }

void forgetPluginObject(DpPlugin* object)
{
    std::unique_lock lock(g_useMutex);
    if (g_object.load() == object) {
        g_object.store(nullptr);
        g_kernelSide.store(nullptr);
        g_ideSide.store(nullptr);
    }
    // Uses of this thread are further up its own stack; only the others are waited for.
    if (g_uses != t_uses) {
        lock.unlock();
        reach(BindingPoint::ExitWaitsForCalls);
        lock.lock();
    }
    g_usesEnded.wait(lock, [] { return g_uses == t_uses; });
}

void setBindingHook(std::function<void(BindingPoint)> hook)
{
    std::lock_guard lock(g_hookMutex);
    bindingHook() = std::move(hook);
}

bool useKernelSide(const std::function<void(DpKernelPlugin&)>& f) { return use(g_kernelSide, f); }
bool useIdeSide(const std::function<void(DpIDEPlugin&)>& f) { return use(g_ideSide, f); }
bool usePluginObject(const std::function<void(DpPlugin&)>& f) { return use(g_object, f); }

PluginObjectUse::PluginObjectUse() : m_object(acquireOrCreateObject()) {}

PluginObjectUse::~PluginObjectUse()
{
    if (m_object != nullptr)
        release();
}

EntryUse::EntryUse() : m_counted(acquireEntry()) {}

EntryUse::~EntryUse()
{
    if (m_counted)
        release();
}

const PluginEntryTable* GetPluginEntryTable() { return &kEntries; }

namespace {

// Ends what there is of a session, under g_sessionMutex: the plug-in object goes (its windows, menu and
// UI thread with it) and then the registration is given back. An object that only the IDE side made,
// with no session, stays.
DkStatus endSession()
{
    DpKernelPlugin* kernel = nullptr;
    {
        // Taken out, so that a concurrent Exit cannot reach the object a second time.
        std::lock_guard lock(g_useMutex);
        kernel = g_kernelSide.exchange(nullptr);
    }
    // No session (never bound, or ended by an earlier Exit): nothing to end and nothing to give back.
    if (kernel == nullptr && registrationHandle() == 0)
        return DK_STATUS_OK;
    if (kernel != nullptr)
        kernel->Exit(); // the object's destructor waits for the calls still using it
    WaitForDispatches();
    RetryRefusedBreakpointRemovals();
    RetryRefusedUserBreakpointClears();
    return DkDisconnectKernel();
}

} // namespace

DkStatus PluginApiInit(const DkKernelFunctions_1* table)
{
    std::lock_guard session(g_sessionMutex);
    // Without a table there is no debugger to bind to: a live session stays as it is.
    if (table == nullptr)
        return DK_STATUS_FAILURE;
    // A second Init without Exit gives the earlier registration back first, so that every
    // registration is given back once.
    if (registrationHandle() != 0)
        DkDisconnectKernel();
    DkStatus status = DkConnectKernel(table);
    if (status == DK_STATUS_OK) {
        BuildZoneRegistry();
        status = DpKernelPluginInit();
    }
    if (status != DK_STATUS_OK) {
        // A refused Init leaves no half session: the object of a live session, whose registration is
        // gone, ends with it, and the debugger keeps no callbacks of a plug-in that failed.
        endSession();
        return status;
    }
    // Breakpoints that outlived the previous registration count on with this one.
    RestoreBreakpointsOfEndedSessions();
    return status;
}

DkStatus PluginApiExit()
{
    std::lock_guard session(g_sessionMutex);
    return endSession();
}

uint32_t StartGuiModule()
{
    const PluginObjectUse use; // an Exit meanwhile waits until the object is no longer touched here
    DpPlugin* object = use.get();
    if (object == nullptr)
        return 1;
    reach(BindingPoint::GuiStartHoldsObject);
    DpIDEPlugin* ide = object->AsIDEPlugin();
    {
        std::lock_guard lock(g_useMutex);
        if (g_object.load() != object)
            return 1; // ended by an Exit in the meantime: the interface is not kept
        g_ideSide.store(ide);
    }
    if (ide != nullptr)
        ide->Start();
    return 1;
}

uint32_t ShutDownGuiModule()
{
    useIdeSide([](DpIDEPlugin& side) { side.ShutDown(); });
    return 1;
}

void* DpGetResourceModule() { return g_resourceModule.load(); }

void DpSetModuleHandle(void* module)
{
    g_resourceModule.store(module);
    g_resourceModuleSet.store(true);
    IfCompareStubFrameworkGeneration(module, 7);
}

} // namespace dk
