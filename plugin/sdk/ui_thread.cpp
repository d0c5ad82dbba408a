#include "plugin/sdk/ui_thread.h"

#include "plugin/sdk/kernel.h"

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

// A plain thread with a blocking queue.
class PlainUiThread final : public UiThread {
public:
    explicit PlainUiThread(std::unique_ptr<UiMessageHandler> handler) : m_handler(std::move(handler))
    {
        m_thread = std::thread([this] { run(); });
    }

    ~PlainUiThread() override
    {
        quitAndWait(kUiQuitTimeout);
        if (m_thread.joinable()) {
            if (m_thread.get_id() == std::this_thread::get_id())
                m_thread.detach();
            else
                m_thread.join();
        }
    }

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_quitPosted)
                return false;
            m_queue.push_back(ThreadMessage{message, wParam, lParam});
            if (message == WM_QUIT_MESSAGE)
                m_quitPosted = true;
        }
        m_wake.notify_all();
        return true;
    }

    bool quitAndWait(std::chrono::milliseconds timeout) override
    {
        post(WM_QUIT_MESSAGE, 0, 0);
        if (std::this_thread::get_id() == m_thread.get_id())
            return true; // the loop ends after this message
        std::unique_lock lock(m_mutex);
        return m_done.wait_for(lock, timeout, [this] { return m_finished; });
    }

private:
    void run()
    {
        for (;;) {
            ThreadMessage message;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_queue.empty(); });
                message = m_queue.front();
                m_queue.pop_front();
            }
            traceUiMessage(message);
            if (message.message == WM_QUIT_MESSAGE)
                break;
            if (m_handler)
                m_handler->onMessage(message);
        }
        if (m_handler)
            m_handler->onQuit();
        m_handler.reset();
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
    }

    std::unique_ptr<UiMessageHandler> m_handler;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::deque<ThreadMessage> m_queue;
    bool m_quitPosted = false;
    bool m_finished = false;
    std::thread m_thread;
};

bool traceEnabled()
{
    const char* value = std::getenv("KORVANE_PLUGIN_TRACE");
    return value != nullptr && *value != '\0' && *value != '0';
}

} // namespace

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
