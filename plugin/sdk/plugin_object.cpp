#include "plugin/sdk/plugin_object.h"

#include "plugin/sdk/plugin_binding.h"

#include <algorithm>

namespace dk {

void DpNotifySubscriber::Notify(uint32_t code)
{
    // The object cannot be destroyed while the interface is in use.
    useKernelSide([code](DpKernelPlugin& kernel) {
        switch (code) {
        case DK_NOTIFY_TARGET_STOPPED: kernel.TargetStopped(); break;
        case DK_NOTIFY_TARGET_STARTED: kernel.TargetStarted(); break;
        case DK_NOTIFY_CODE6: kernel.OnCode6(); break;
        case DK_NOTIFY_PROGRAM_LOADED: kernel.PostLoadModule(); break;
        default: kernel.Notify(code); break;
        }
    });
}

DpKernelPlugin::DpKernelPlugin() : m_subscriber(std::make_unique<DpNotifySubscriber>()) {}
DpKernelPlugin::~DpKernelPlugin() { m_subscriber->leave(); }

void DpKernelPlugin::GetInfo(DkPluginInfo& info)
{
    info.name = kPluginInfoName;
    info.version = kPluginInfoVersion;
}

DpIDEPlugin::~DpIDEPlugin() { UnregisterWindowFactories(); }

void* DpIDEPlugin::GetResourceHandle() { return DpGetResourceModule(); }

bool DpIDEPlugin::OnIdle()
{
    IdleHook();
    return false;
}

std::size_t DpIDEPlugin::RegisterWindowFactory(std::unique_ptr<DpWindowFactoryBase> factory)
{
    std::lock_guard lock(m_factoryMutex);
    m_factories.push_back(std::move(factory));
    return m_factories.size();
}

void DpIDEPlugin::UnregisterWindowFactories()
{
    std::vector<std::unique_ptr<DpWindowFactoryBase>> factories;
    {
        std::lock_guard lock(m_factoryMutex);
        factories.swap(m_factories);
    }
    while (!factories.empty())
        factories.pop_back(); // last registered first
}

std::size_t DpIDEPlugin::windowFactoryCount() const
{
    std::lock_guard lock(m_factoryMutex);
    return m_factories.size();
}

DpDebuggerPlugin::DpDebuggerPlugin() : m_impl(std::make_unique<Impl>(*this)) {}
DpDebuggerPlugin::~DpDebuggerPlugin() { releaseImpl(); }

bool DpDebuggerPlugin::OnIdle()
{
    IdleHook();
    return m_impl != nullptr && m_impl->replayOne();
}

DpDebuggerPlugin::Impl::Impl(DpDebuggerPlugin& owner)
    : DkNotifySubscriber(Deferred{}), m_owner(owner), m_constructingThread(std::this_thread::get_id())
{
    Subscribe(); // whole now: a dispatch may reach it
}

namespace {
// The Impl whose replay runs on this thread, if any (a dispatch from inside that replay's handler
// does not wait for itself).
thread_local const DpDebuggerPlugin::Impl* t_replaying = nullptr;
} // namespace

void DpDebuggerPlugin::Impl::Notify(uint32_t code)
{
    if (std::this_thread::get_id() == m_constructingThread) {
        m_owner.OnNotify(code);
        return;
    }
    // A foreign thread waits until a replay's handler has returned; the handler runs with no lock
    // held, so it may subscribe, unsubscribe or call into the debugger meanwhile.
    std::unique_lock lock(m_mutex);
    if (t_replaying != this)
        m_replayEnded.wait(lock, [this] { return m_replays == 0; });
    m_queue.push_back(code);
    m_count.store(m_queue.size());
}

bool DpDebuggerPlugin::Impl::replayOne()
{
    if (m_count.load() == 0)
        return false;
    uint32_t code = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.empty())
            return false;
        code = m_queue.front();
        m_queue.pop_front();
        while (!m_queue.empty() && m_queue.front() == code)
            m_queue.pop_front();
        m_count.store(m_queue.size());
        ++m_replays;
    }
    struct EndReplay {
        Impl& impl;
        const Impl* outer = t_replaying;
        ~EndReplay()
        {
            t_replaying = outer;
            std::lock_guard lock(impl.m_mutex);
            --impl.m_replays;
            impl.m_replayEnded.notify_all();
        }
    } endReplay{*this};
    t_replaying = this;
    m_owner.OnNotify(code);
    return m_count.load() != 0;
}

uint32_t TranslateExecutorResult(uint32_t result)
{
    if (result == 0)
        return 0;
    if (result >= 2 && result <= 7)
        return result + 1;
    return 1;
}

} // namespace dk
