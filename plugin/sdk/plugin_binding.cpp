#include "plugin/sdk/plugin_binding.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/zone_registry.h"
#include "standins/ide/if_resources.h"

#include <atomic>
#include <mutex>

namespace dk {
namespace {

std::mutex g_objectMutex; // creation of the one object
std::atomic<DpPlugin*> g_object{nullptr};
std::atomic<DpKernelPlugin*> g_kernelSide{nullptr};
std::atomic<DpIDEPlugin*> g_ideSide{nullptr};
std::atomic<void*> g_resourceModule{nullptr};
std::atomic<bool> g_resourceModuleSet{false};

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
    uint32_t result = callKernel<DkStatusOfHandleFn>(uint32_t{DK_STATUS_FAILURE}, DK_UNREGISTER_PLUGIN,
                                                     registrationHandle());
    setRegistrationHandle(0);
    return static_cast<DkStatus>(result & 0xFFFFu);
}

DkStatus DpKernelPluginInit()
{
    DpPlugin* object = CreatePluginObject();
    DpKernelPlugin* kernel = object != nullptr ? object->AsKernelPlugin() : nullptr;
    g_kernelSide.store(kernel);
    if (kernel == nullptr)
        return DK_STATUS_NO_KERNEL_INTERFACE;
    return kernel->Init();
}

} // namespace

DpPlugin* CreatePluginObject()
{
    std::lock_guard lock(g_objectMutex);
    DpPlugin* object = g_object.load();
    if (object == nullptr) {
        try {
            object = static_cast<DpDebuggerPlugin*>(new PluginSample);
        } catch (...) {
            object = nullptr;
        }
        g_object.store(object);
    }
    return object;
}

DpPlugin* pluginObject() { return g_object.load(); }
DpKernelPlugin* kernelSideInterface() { return g_kernelSide.load(); }
DpIDEPlugin* ideSideInterface() { return g_ideSide.load(); }

void forgetPluginObject(DpPlugin* object)
{
    DpPlugin* expected = object;
    if (g_object.compare_exchange_strong(expected, nullptr)) {
        g_kernelSide.store(nullptr);
        g_ideSide.store(nullptr);
    }
}

const PluginEntryTable* GetPluginEntryTable() { return &kEntries; }

DkStatus PluginApiInit(const DkKernelFunctions_1* table)
{
    DkStatus status = DkConnectKernel(table);
    if (status != DK_STATUS_OK)
        return status;
    BuildZoneRegistry();
    status = DpKernelPluginInit();
    if (status != DK_STATUS_OK)
        DkDisconnectKernel(); // the debugger must not keep the callbacks of a plug-in that failed
    return status;
}

DkStatus PluginApiExit()
{
    if (DpKernelPlugin* kernel = g_kernelSide.load())
        kernel->Exit();
    g_kernelSide.store(nullptr);
    return DkDisconnectKernel();
}

uint32_t StartGuiModule()
{
    DpPlugin* object = CreatePluginObject();
    DpIDEPlugin* ide = object != nullptr ? object->AsIDEPlugin() : nullptr;
    g_ideSide.store(ide);
    if (ide != nullptr)
        ide->Start();
    return 1;
}

uint32_t ShutDownGuiModule()
{
    if (DpIDEPlugin* ide = g_ideSide.load())
        ide->ShutDown();
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
