#pragma once
// The plug-in's UI thread. Debugger threads only post thread messages to it and return; its handler
// (the control panel's message map) does every window and target-reading job on that one thread.
// Under Qt the UI thread is a dispatcher on the GUI thread; without a Qt application it is a plain
// thread with its own queue. The queue exists before any message is posted, so none is lost.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace plugin {

enum ThreadMessageId : uint32_t {
    WM_QUIT_MESSAGE = 18,
    WM_EXABS_TARGET_STARTED = 0x8066,
    WM_EXABS_TARGET_STOPPED = 0x8067,
    WM_EXABS_TARGET_STARTED2 = 0x8068,
    WM_EXABS_OPEN_PANEL = 0x8069, // lParam: the panel title, a constant text
    WM_EXABS_DELETE_PANEL = 0x806A,
};

struct ThreadMessage {
    uint32_t message = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

// The UI thread's message map. Every call runs on the UI thread.
class UiMessageHandler {
public:
    virtual ~UiMessageHandler() = default;
    virtual void onMessage(const ThreadMessage& message) = 0;
    // The quit message: close modal dialogs and windows; the handler is destroyed right after.
    virtual void onQuit() {}
};

class UiThread {
public:
    virtual ~UiThread() = default;
    // Safe from any thread. False once the thread has been told to quit.
    virtual bool post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) = 0;
    // Posts the quit message and waits until the thread has handled it, at most timeout; on the UI
    // thread itself the quit runs at once. False when the wait timed out.
    virtual bool quitAndWait(std::chrono::milliseconds timeout) = 0;
};

// The handler that new UI threads get (the control panel installs its own). The factory may answer
// null; the thread then only traces its messages.
using UiHandlerFactory = std::function<std::unique_ptr<UiMessageHandler>()>;
void setUiHandlerFactory(UiHandlerFactory factory);
std::unique_ptr<UiMessageHandler> createUiHandler();

// Makes the UI thread: the Qt dispatcher when a Qt application runs, else a plain thread.
using UiThreadFactory = std::function<std::unique_ptr<UiThread>()>;
void setUiThreadFactory(UiThreadFactory factory); // tests; null restores the default
std::unique_ptr<UiThread> createUiThread();

std::unique_ptr<UiThread> createPlainUiThread(std::unique_ptr<UiMessageHandler> handler);
bool qtUiAvailable(); // a Qt application object exists
std::unique_ptr<UiThread> createQtUiThread(std::unique_ptr<UiMessageHandler> handler); // null without one

// With KORVANE_PLUGIN_TRACE set, each message the UI thread handles is reported to the debugger's
// log (entry 201, severity 0) as "ui-thread 0x8069 Host IDE".
void traceUiMessage(const ThreadMessage& message);

// The one wait for the UI thread at the end of a session. A UI thread that did not end in time ends
// by itself, and frees its handler, as soon as it runs again.
constexpr std::chrono::milliseconds kUiQuitTimeout{10000};
std::chrono::milliseconds uiQuitTimeout();
void setUiQuitTimeout(std::chrono::milliseconds timeout); // tests; zero restores kUiQuitTimeout

} // namespace plugin
