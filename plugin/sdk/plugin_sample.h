#pragma once
// PluginSample: the one plug-in object. Debugger side, IDE side, owner of the UI thread and of the
// registered window factories, and the gateway for every target memory access and symbol lookup.

#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/plugin_object.h"
#include "plugin/sdk/ui_thread.h"

#include "plugin/kernel/target_port.h"

#include <functional>
#include <memory>
#include <mutex>

namespace dk {

class PluginSample final : public DpDebuggerPlugin {
public:
    PluginSample();
    ~PluginSample() override;

    DpIDEPlugin* AsIDEPlugin() override { return this; }
    DpKernelPlugin* AsKernelPlugin() override { return this; }

    DkStatus Init() override { return DK_STATUS_OK; }
    void Exit() override; // deletes the whole plug-in object
    void PostLoadModule() override;
    void TargetStarted() override;
    void TargetStopped() override;

    // Reads count bytes at address of zone 0, one byte per debugger call. A byte whose read fails is
    // stored as 0; the answer is false when any byte failed.
    bool Read(uint32_t address, uint32_t count, uint8_t* buffer);
    // Writes count bytes at address of zone 0 in one debugger call; false when it failed.
    bool Write(uint32_t address, uint32_t count, const uint8_t* buffer);
    // The low 32 bits of the symbol's address, or 0xFFFFFFFF when it is unknown or has no location.
    uint32_t GetSymbol(const char* name);

    bool hasUiThread() const;
    // Posts a thread message to the UI thread; false when there is none.
    bool postToUiThread(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

    // Parts other subsystems add to the plug-in object: the menu part built with the object, and the
    // window factories registered when the program has been loaded.
    using PartFactory = std::function<std::unique_ptr<DpPluginPart>(PluginSample&)>;
    using FactoryRegistrar = std::function<void(PluginSample&)>;
    static void setMenuPartFactory(PartFactory factory);
    // Answers a number that removes the registrar again (tests).
    static std::size_t addWindowFactoryRegistrar(FactoryRegistrar registrar);
    static void removeWindowFactoryRegistrar(std::size_t number);

private:
    DkContext memoryContext();

    mutable std::mutex m_mutex;
    DkContext m_context;
    std::unique_ptr<DpPluginPart> m_menuPart;
    std::unique_ptr<plugin::UiThread> m_uiThread;
    std::unique_ptr<kernel::TargetPort> m_targetPort; // the kernel data engine's way to the target
    bool m_moduleLoaded = false;
};

// The plug-in object as a PluginSample, or null.
PluginSample* thePluginSample();

// The free lookup the kernel windows use: 0xFFFFFFFF without a plug-in object.
uint32_t GetTargetSymbol(const char* name);

inline constexpr const char* kOpenPanelTitle = "Host IDE";

} // namespace dk
