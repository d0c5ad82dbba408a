// The UI thread under Qt: a dispatcher object living on the GUI thread. Posting is
// QCoreApplication::postEvent, which is safe from any thread; the dispatcher's event handler is the
// UI thread's message map.

#include "plugin/sdk/ui_thread.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace plugin {
namespace {

const QEvent::Type kThreadMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class ThreadMessageEvent final : public QEvent {
public:
    explicit ThreadMessageEvent(const ThreadMessage& message) : QEvent(kThreadMessageEvent), m_message(message) {}
    const ThreadMessage& message() const { return m_message; }

private:
    ThreadMessage m_message;
};

// Completion of the quit, shared by the dispatcher and the waiter.
struct QuitState {
    std::mutex mutex;
    std::condition_variable done;
    bool quitPosted = false;
    bool finished = false;
};

class Dispatcher final : public QObject {
public:
    Dispatcher(std::unique_ptr<UiMessageHandler> handler, std::shared_ptr<QuitState> state)
        : m_handler(std::move(handler)), m_state(std::move(state))
    {
    }

    bool event(QEvent* event) override
    {
        if (event->type() != kThreadMessageEvent)
            return QObject::event(event);
        adopt();
        const ThreadMessage& message = static_cast<ThreadMessageEvent*>(event)->message();
        if (m_ended || m_quitting)
            return true;
        traceUiMessage(message);
        if (message.message == WM_QUIT_MESSAGE) {
            end();
            return true;
        }
        if (m_handler) {
            ++m_depth;
            try {
                m_handler->onMessage(message);
            } catch (...) {
                // a failing window must not take the GUI event loop down
            }
            --m_depth;
            if (m_depth == 0 && m_quitting)
                finish();
        }
        return true;
    }

    // Ends the UI thread: the handler closes its windows (modal ones included), then, once no
    // handler call is left on the stack, the handler goes and the waiter is released.
    void end()
    {
        adopt();
        if (m_ended || m_quitting)
            return;
        m_quitting = true;
        if (m_handler) {
            try {
                m_handler->onQuit();
            } catch (...) {
            }
        }
        if (m_depth == 0)
            finish();
    }

private:
    // Built on a debugger thread, it becomes the application's child once it runs on the GUI thread:
    // a dispatcher whose deferred deletion no event loop ran goes with the application object.
    void adopt()
    {
        QCoreApplication* app = QCoreApplication::instance();
        if (parent() == nullptr && app != nullptr && app->thread() == thread() && QThread::currentThread() == thread())
            setParent(app);
    }

    void finish()
    {
        m_ended = true;
        m_handler.reset();
        {
            std::lock_guard lock(m_state->mutex);
            m_state->finished = true;
        }
        m_state->done.notify_all();
        deleteLater();
    }

    std::unique_ptr<UiMessageHandler> m_handler;
    std::shared_ptr<QuitState> m_state;
    int m_depth = 0;
    bool m_quitting = false;
    bool m_ended = false;
};

class QtUiThread final : public UiThread {
public:
    explicit QtUiThread(std::unique_ptr<UiMessageHandler> handler) : m_state(std::make_shared<QuitState>())
    {
        auto* dispatcher = new Dispatcher(std::move(handler), m_state);
        QCoreApplication* app = QCoreApplication::instance();
        if (dispatcher->thread() != app->thread())
            dispatcher->moveToThread(app->thread());
        m_dispatcher = dispatcher;
    }

    ~QtUiThread() override
    {
        {
            std::lock_guard lock(m_state->mutex);
            if (m_state->quitPosted)
                return; // waited for once already; the dispatcher ends by itself
        }
        quitAndWait(uiQuitTimeout());
    }

    bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override
    {
        // Posting under the lock: the dispatcher goes only after the quit message, and nothing is
        // posted after that one.
        std::lock_guard lock(m_state->mutex);
        if (m_state->quitPosted)
            return false;
        if (message == WM_QUIT_MESSAGE)
            m_state->quitPosted = true;
        QCoreApplication::postEvent(m_dispatcher, new ThreadMessageEvent(ThreadMessage{message, wParam, lParam}));
        return true;
    }

    bool quitAndWait(std::chrono::milliseconds timeout) override
    {
        QCoreApplication* app = QCoreApplication::instance();
        bool onGuiThread = app == nullptr || QThread::currentThread() == app->thread();
        if (onGuiThread) {
            // The dispatcher's own thread cannot wait for itself: end it here, after the messages
            // already queued have been handled.
            {
                std::lock_guard lock(m_state->mutex);
                if (m_state->finished)
                    return true;
                m_state->quitPosted = true;
            }
            if (app != nullptr)
                QCoreApplication::sendPostedEvents(m_dispatcher, kThreadMessageEvent);
            traceUiMessage(ThreadMessage{WM_QUIT_MESSAGE, 0, 0});
            static_cast<Dispatcher*>(m_dispatcher)->end();
            return true;
        }
        post(WM_QUIT_MESSAGE, 0, 0);
        std::unique_lock lock(m_state->mutex);
        return m_state->done.wait_for(lock, timeout, [this] { return m_state->finished; });
    }

private:
    std::shared_ptr<QuitState> m_state;
    QObject* m_dispatcher = nullptr;
};

} // namespace

bool qtUiAvailable() { return QCoreApplication::instance() != nullptr; }

std::unique_ptr<UiThread> createQtUiThread(std::unique_ptr<UiMessageHandler> handler)
{
    if (!qtUiAvailable())
        return nullptr;
    return std::make_unique<QtUiThread>(std::move(handler));
}

} // namespace plugin
