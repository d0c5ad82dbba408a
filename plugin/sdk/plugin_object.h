#pragma once
// The plug-in object's interfaces: the debugger side (DpKernelPlugin), the IDE side (DpIDEPlugin)
// and their union DpDebuggerPlugin, which hands notifications from foreign threads to the IDE
// thread through a queue replayed when the IDE is idle.

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/notify.h"
#include "sdk/ide/if_command.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace dk {

class DpIDEPlugin;
class DpKernelPlugin;

class DpPlugin {
public:
    virtual ~DpPlugin() = default;
    virtual DpIDEPlugin* AsIDEPlugin() = 0;
    virtual DpKernelPlugin* AsKernelPlugin() = 0;
    virtual void* FurtherInterface() { return nullptr; }
};

// Routes notification codes to the debugger-side interface that the binding holds (none before Init).
class DpNotifySubscriber final : public DkNotifySubscriber {
public:
    DpNotifySubscriber() : DkNotifySubscriber(Deferred{}) { Subscribe(); }
    ~DpNotifySubscriber() override { Unsubscribe(); }
    // Leaves the list, waiting for a call on another thread: its owner ends it so, not by a deferred delete.
    void leave() { Unsubscribe(); }
    void Notify(uint32_t code) override;
};

class DpKernelPlugin : public virtual DpPlugin {
public:
    DpKernelPlugin();
    ~DpKernelPlugin() override;
    virtual DkStatus Init() { return DK_STATUS_OK; }
    virtual void Exit() {}
    virtual void GetInfo(DkPluginInfo& info);
    virtual void OnCode6() {}
    virtual void PostLoadModule() {}
    virtual void TargetStarted() {}
    virtual void TargetStopped() {}
    virtual void Notify(uint32_t /*code*/) {}

private:
    std::unique_ptr<DpNotifySubscriber> m_subscriber;
};

// A window factory registered by the plug-in object; the object owns it.
class DpWindowFactoryBase {
public:
    virtual ~DpWindowFactoryBase() = default;
};

// A part of the plug-in object built with it and destroyed with it (the menu part).
class DpPluginPart {
public:
    virtual ~DpPluginPart() = default;
};

// The IDE side: a global command target and an idle chore of the IDE framework.
class DpIDEPlugin : public IfGlobalCmdTarget, public IfIdleChore, public virtual DpPlugin {
public:
    DpIDEPlugin() : IfIdleChore(false) {}
    ~DpIDEPlugin() override;
    virtual void* GetResourceHandle();
    virtual uint32_t Start() { return 1; }
    virtual uint32_t ShutDown() { return 1; }
    virtual void IdleHook() {}
    // The IDE framework's idle call; true asks for another call.
    bool OnIdle() override;

    // Appends a factory (taking it over) and answers the new count.
    std::size_t RegisterWindowFactory(std::unique_ptr<DpWindowFactoryBase> factory);
    // Deletes every factory, last registered first.
    void UnregisterWindowFactories();
    std::size_t windowFactoryCount() const;

protected:
    // Leaves the IDE's command routing and idle list, waiting for a call running on the GUI thread;
    // the most derived destructor calls it first so that no IDE call meets a half-destroyed object.
    void LeaveIde()
    {
        StopIdleChore();
        StopCommandRouting();
    }

private:
    mutable std::mutex m_factoryMutex;
    std::vector<std::unique_ptr<DpWindowFactoryBase>> m_factories;
};

class DpDebuggerPlugin : public DpIDEPlugin, public DpKernelPlugin {
public:
    DpDebuggerPlugin();
    ~DpDebuggerPlugin() override;
    virtual void OnNotify(uint32_t /*code*/) {}
    bool OnIdle() override;

    // The queue of notifications from foreign threads.
    class Impl final : public DkNotifySubscriber {
    public:
        explicit Impl(DpDebuggerPlugin& owner);
        ~Impl() override { Unsubscribe(); }
        // Leaves the list, waiting for a call on another thread: its owner ends it so, not by a
        // deferred delete, since a call in progress reaches the owner.
        void leave() { Unsubscribe(); }
        void Notify(uint32_t code) override;
        bool replayOne(); // one run of equal codes; true when codes remain
        std::size_t queued() const { return m_count.load(); }

    private:
        DpDebuggerPlugin& m_owner;
        std::thread::id m_constructingThread;
        std::mutex m_mutex; // guards the queue and the replay count; never held while OnNotify runs
        std::condition_variable m_replayEnded;
        std::deque<uint32_t> m_queue;
        std::atomic<std::size_t> m_count{0};
        int m_replays = 0; // OnNotify calls of replays running
    };

    Impl& impl() { return *m_impl; }

protected:
    // Ends notification delivery, waiting for a dispatch running on another thread; called early by
    // the destructor of the most derived object, after it has left the IDE.
    void releaseImpl()
    {
        if (m_impl)
            m_impl->leave();
        m_impl.reset();
    }

private:
    std::unique_ptr<Impl> m_impl;
};

// Executor results are translated for the debugger: 0 stays 0, 2..7 become 3..8, anything else 1.
uint32_t TranslateExecutorResult(uint32_t result);

} // namespace dk
