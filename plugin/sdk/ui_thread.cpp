#include "plugin/sdk/ui_thread.h"

#include "plugin/sdk/kernel.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace plugin {
namespace {

std::mutex g_factoryMutex;
UiHandlerFactory& handlerFactory()
{
    static UiHandlerFactory* factory = new UiHandlerFactory;
    return *factory;
}
UiThreadFactory& threadFactory()
{
    static UiThreadFactory* factory = new UiThreadFactory;
    return *factory;
}

std::atomic<int64_t> g_quitTimeoutMs{kUiQuitTimeout.count()};

// A plain thread with a blocking queue. The queue and the handler live in a state the thread shares,
// so a thread that did not end in time is left to end by itself.
class PlainUiThread final : public UiThread {
public:
    explicit PlainUiThread(std::unique_ptr<UiMessageHandler> handler) : m_state(std::make_shared<State>())
    {
        m_state->handler = std::move(handler);
        m_thread = std::thread([state = m_state] { run(*state); });
    }

    ~PlainUiThread() override
    {
        bool posted = false;
        {
            std::lock_guard lock(m_state->mutex);
            posted = m_state->quitPosted;
        }
        bool ended = posted ? finished() : quitAndWait(uiQuitTimeout());
        if (m_thread.get_id() == std::this_thread::get_id() || !ended)
            m_thread.detach();
        else
            m_thread.join();
    }

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        {
            std::lock_guard lock(m_state->mutex);
            if (m_state->quitPosted)
                return false;
            m_state->queue.push_back(ThreadMessage{message, wParam, lParam});
            if (message == WM_QUIT_MESSAGE)
                m_state->quitPosted = true;
        }
        m_state->wake.notify_all();
        return true;
    }

    bool quitAndWait(std::chrono::milliseconds timeout) override
    {
        post(WM_QUIT_MESSAGE, 0, 0);
        if (std::this_thread::get_id() == m_thread.get_id())
            return true; // the loop ends after this message
        std::unique_lock lock(m_state->mutex);
        return m_state->done.wait_for(lock, timeout, [this] { return m_state->finished; });
    }

private:
    struct State {
        std::unique_ptr<UiMessageHandler> handler;
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable done;
        std::deque<ThreadMessage> queue;
        bool quitPosted = false;
        bool finished = false;
    };

    bool finished()
    {
        std::lock_guard lock(m_state->mutex);
        return m_state->finished;
    }

    static void run(State& state)
    {
        for (;;) {
            ThreadMessage message;
            {
                std::unique_lock lock(state.mutex);
                state.wake.wait(lock, [&] { return !state.queue.empty(); });
                message = state.queue.front();
                state.queue.pop_front();
            }
            traceUiMessage(message);
            if (message.message == WM_QUIT_MESSAGE)
                break;
            if (state.handler)
                state.handler->onMessage(message);
        }
        if (state.handler)
            state.handler->onQuit();
        state.handler.reset();
        {
            std::lock_guard lock(state.mutex);
            state.finished = true;
        }
        state.done.notify_all();
    }

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

bool traceEnabled()
{
    const char* value = std::getenv("KORVANE_PLUGIN_TRACE");
    return value != nullptr && *value != '\0' && *value != '0';
}

} // namespace

std::chrono::milliseconds uiQuitTimeout() { return std::chrono::milliseconds(g_quitTimeoutMs.load()); }

void setUiQuitTimeout(std::chrono::milliseconds timeout)
{
    g_quitTimeoutMs.store(timeout.count() > 0 ? timeout.count() : kUiQuitTimeout.count());
}

void setUiHandlerFactory(UiHandlerFactory factory)
{
    std::lock_guard lock(g_factoryMutex);
    handlerFactory() = std::move(factory);
}

std::unique_ptr<UiMessageHandler> createUiHandler()
{
    UiHandlerFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = handlerFactory();
    }
    return factory ? factory() : nullptr;
}

void setUiThreadFactory(UiThreadFactory factory)
{
    std::lock_guard lock(g_factoryMutex);
    threadFactory() = std::move(factory);
}

std::unique_ptr<UiThread> createUiThread()
{
    UiThreadFactory factory;
    {
        std::lock_guard lock(g_factoryMutex);
        factory = threadFactory();
    }
    if (factory)
        return factory();
    if (qtUiAvailable())
        return createQtUiThread(createUiHandler());
    return createPlainUiThread(createUiHandler());
}

std::unique_ptr<UiThread> createPlainUiThread(std::unique_ptr<UiMessageHandler> handler)
{
    return std::make_unique<PlainUiThread>(std::move(handler));
}

void traceUiMessage(const ThreadMessage& message)
{
    if (!traceEnabled())
        return;
    char text[160];
    if (message.message == WM_EXABS_OPEN_PANEL && message.lParam != 0)
        std::snprintf(text, sizeof text, "ui-thread 0x%X %.100s", message.message,
                      reinterpret_cast<const char*>(message.lParam));
    else
        std::snprintf(text, sizeof text, "ui-thread 0x%X", message.message);
    dk::logToDebugger(0, text);
}

} // namespace plugin
