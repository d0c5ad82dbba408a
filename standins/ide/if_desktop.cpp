#include "sdk/ide/if_desktop.h"

#include "sdk/ide/if_fonts.h"
#include "standins/ide/test_hooks.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// The factories by key, and the IDE's calls into them running now. A call counts from the look-up
// under the lock to its return; a factory that leaves waits for the calls of other threads.
std::mutex g_factoryMutex;
std::condition_variable g_factoryCallsEnded;
std::map<std::string, IfPersistentDockWndFactory*>& factories()
{
    static auto* map = new std::map<std::string, IfPersistentDockWndFactory*>;
    return *map;
}
struct FactoryCall {
    const IfPersistentDockWndFactory* factory;
    std::thread::id thread;
};
std::vector<FactoryCall>& factoryCalls()
{
    static auto* calls = new std::vector<FactoryCall>;
    return *calls;
}

std::function<void()>& factoryLeaveWaitHook()
{
    static auto* hook = new std::function<void()>;
    return *hook;
}

// Runs f with the factory of key while it is listed; false (and f not run) when none is.
template <typename F>
bool withFactory(const std::string& key, F&& f)
{
    IfPersistentDockWndFactory* factory = nullptr;
    {
        std::lock_guard lock(g_factoryMutex);
        auto it = factories().find(key);
        if (it == factories().end())
            return false;
        factory = it->second;
        factoryCalls().push_back(FactoryCall{factory, std::this_thread::get_id()});
    }
    struct End {
        IfPersistentDockWndFactory* factory;
        ~End()
        {
            std::lock_guard lock(g_factoryMutex);
            auto& calls = factoryCalls();
            auto it = std::find_if(calls.begin(), calls.end(), [&](const FactoryCall& call) {
                return call.factory == factory && call.thread == std::this_thread::get_id();
            });
            if (it != calls.end())
                calls.erase(it);
            g_factoryCallsEnded.notify_all();
        }
    } end{factory};
    f(*factory);
    return true;
}

IfDesktop* g_desktop = nullptr;

bool onGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

Qt::DockWidgetArea dockArea(int position)
{
    switch (position) {
    case 0: return Qt::LeftDockWidgetArea;
    case 1: return Qt::TopDockWidgetArea;
    case 3: return Qt::BottomDockWidgetArea;
    default: return Qt::RightDockWidgetArea;
    }
}

QString latin1(const std::string& text) { return QString::fromLatin1(text.c_str()); }

} // namespace

void IfRunOnGuiThread(std::function<void()> f)
{
    if (onGuiThread()) {
        f();
        return;
    }
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

// ---- docking frame and factories ----

IfDockableFrame::IfDockableFrame(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void IfDockableFrame::SetDockingWnd(QWidget* view)
{
    if (view == nullptr || view == m_view)
        return;
    delete m_view;
    m_view = view;
    layout()->addWidget(view);
}

IfPersistentDockWndFactory::IfPersistentDockWndFactory(const std::string& key, const std::string& title)
    : m_key(key), m_title(title)
{
    std::lock_guard lock(g_factoryMutex);
    factories()[key] = this;
}

void IfPersistentDockWndFactory::SaveOpenWindow()
{
    auto save = [this] {
        QWidget* view = g_desktop != nullptr ? g_desktop->FindWnd(m_key) : nullptr;
        if (view == nullptr)
            return;
        IfContentStorage storage(m_key);
        SaveContent(view, storage);
    };
    if (onGuiThread()) {
        save();
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // A call that has not started when the bound passes never runs (this factory is gone by then);
    // one that started is waited for, as it only reads the window.
    struct Call {
        std::mutex mutex;
        std::condition_variable changed;
        bool started = false;
        bool done = false;
        bool cancelled = false;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(app, [call, save] {
        {
            std::lock_guard lock(call->mutex);
            if (call->cancelled)
                return;
            call->started = true;
        }
        call->changed.notify_all();
        save();
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
        }
        call->changed.notify_all();
    }, Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    if (!call->changed.wait_for(lock, std::chrono::seconds(5), [&] { return call->started; })) {
        call->cancelled = true;
        return;
    }
    call->changed.wait(lock, [&] { return call->done; });
}

// Tells the font handlers when the application's font changes.
class FontWatch : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ApplicationFontChange && watched == qApp)
            IfFontDbEvent::Emit(IfFontDbEvent::FontsChanged);
        return false;
    }
};

struct IfDesktop::Impl {
    QPointer<QMainWindow> window;
    FontWatch fontWatch;
    QTimer idleTimer;
    std::map<std::string, QPointer<QDockWidget>> docks;
    std::mutex statusMutex;
    std::string status;

    void runIdle()
    {
        if (IfRunIdleChores() > 0)
            QTimer::singleShot(0, [] {
                if (g_desktop != nullptr)
                    g_desktop->impl()->runIdle();
            });
    }
};

void IfSetFactoryLeaveWaitHook(std::function<void()> hook)
{
    std::lock_guard lock(g_factoryMutex);
    factoryLeaveWaitHook() = std::move(hook);
}

void IfPersistentDockWndFactory::LeaveDesktop()
{
    std::unique_lock lock(g_factoryMutex);
    auto it = factories().find(m_key);
    if (it != factories().end() && it->second == this)
        factories().erase(it);
    auto othersDone = [this] {
        return std::none_of(factoryCalls().begin(), factoryCalls().end(), [this](const FactoryCall& call) {
            return call.factory == this && call.thread != std::this_thread::get_id();
        });
    };
    if (othersDone())
        return;
    if (std::function<void()> hook = factoryLeaveWaitHook()) {
        lock.unlock();
        hook();
        lock.lock();
    }
    g_factoryCallsEnded.wait(lock, othersDone);
}

IfPersistentDockWndFactory::~IfPersistentDockWndFactory()
{
    StopCommandRouting();
    LeaveDesktop();
    std::string key = m_key;
    IfRunOnGuiThread([key] {
        if (g_desktop == nullptr)
            return;
        auto it = g_desktop->impl()->docks.find(key);
        if (it != g_desktop->impl()->docks.end()) {
            delete it->second.data();
            g_desktop->impl()->docks.erase(it);
        }
    });
}

// ---- menu parts ----

struct IfMenuPartImpl::State {
    std::mutex mutex;
    IfMenu menu;
    QPointer<QMenu> built;
    bool visible = true;
    bool gone = false;
};

namespace {

void fillMenu(QMenu* menu, const IfMenu& source)
{
    for (const IfMenu& item : source.items) {
        if (item.separator) {
            menu->addSeparator();
        } else if (!item.items.empty()) {
            fillMenu(menu->addMenu(latin1(item.text)), item);
        } else {
            QAction* action = menu->addAction(latin1(item.text));
            unsigned id = item.id;
            action->setData(id);
            action->setObjectName(QString::number(id));
            QObject::connect(action, &QAction::triggered, [id] { IfRouteCommand(id); });
        }
    }
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->menu() != nullptr)
                continue;
            IfCmdUi ui;
            IfQueryCommand(action->data().toUInt(), ui);
            action->setEnabled(ui.handled && ui.enabled);
            action->setCheckable(ui.checked);
            action->setChecked(ui.checked);
        }
    });
}

void applyMenuState(const std::shared_ptr<IfMenuPartImpl::State>& state)
{
    IfRunOnGuiThread([state] {
        std::lock_guard lock(state->mutex);
        if (state->gone) {
            delete state->built.data();
            return;
        }
        if (!state->built && g_desktop != nullptr)
            state->built = g_desktop->AddMenu(state->menu);
        if (state->built)
            state->built->menuAction()->setVisible(state->visible);
    });
}

} // namespace

IfMenuPartImpl::IfMenuPartImpl(IfResourceModule* module, const std::string& name, unsigned menuId)
    : m_name(name), m_state(std::make_shared<State>())
{
    IfMenu menu;
    if (module != nullptr && module->GetMenu(menuId, menu))
        m_state->menu = menu;
    applyMenuState(m_state);
}

IfMenuPartImpl::IfMenuPartImpl(IfResourceModule*, const std::string& name, const IfMenu& menu)
    : m_name(name), m_state(std::make_shared<State>())
{
    m_state->menu = menu;
    applyMenuState(m_state);
}

IfMenuPartImpl::IfMenuPartImpl(IfResourceModule* module, const std::string& name, const std::string& menuName)
    : m_name(name), m_state(std::make_shared<State>())
{
    IfMenu menu;
    if (module != nullptr && module->GetNamedMenu(menuName, menu))
        m_state->menu = menu;
    applyMenuState(m_state);
}

IfMenuPartImpl::~IfMenuPartImpl()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->gone = true;
    }
    applyMenuState(m_state);
}

void IfMenuPartImpl::Show()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->visible = true;
    }
    applyMenuState(m_state);
}

void IfMenuPartImpl::Hide()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->visible = false;
    }
    applyMenuState(m_state);
}

// ---- desktop ----

IfDesktop::IfDesktop() : m_impl(std::make_unique<Impl>())
{
    m_impl->window = new QMainWindow;
    m_impl->window->setObjectName("IfDesktop");
    m_impl->window->setWindowTitle("Host IDE");
    m_impl->window->menuBar();
    m_impl->window->statusBar();
    m_impl->idleTimer.setInterval(25);
    QObject::connect(&m_impl->idleTimer, &QTimer::timeout, [this] { m_impl->runIdle(); });
    m_impl->idleTimer.start();
    qApp->installEventFilter(&m_impl->fontWatch);
}

IfDesktop::~IfDesktop()
{
    qApp->removeEventFilter(&m_impl->fontWatch);
    m_impl->idleTimer.stop();
    delete m_impl->window.data();
}

IfDesktop* IfDesktop::Create()
{
    if (g_desktop == nullptr)
        g_desktop = new IfDesktop;
    return g_desktop;
}

void IfDesktop::Destroy()
{
    IfDesktop* desktop = g_desktop;
    g_desktop = nullptr;
    delete desktop;
}

IfDesktop* IfDesktop::Instance() { return g_desktop; }

QMainWindow* IfDesktop::MainWindow() const { return m_impl->window; }
QStatusBar* IfDesktop::StatusBar() const { return m_impl->window ? m_impl->window->statusBar() : nullptr; }

QMenu* IfDesktop::AddMenu(const IfMenu& menu)
{
    if (!m_impl->window)
        return nullptr;
    QMenu* built = m_impl->window->menuBar()->addMenu(latin1(menu.text));
    fillMenu(built, menu);
    return built;
}

bool IfDesktop::CreateWnd(const std::string& key, bool show)
{
    if (!onGuiThread()) {
        IfRunOnGuiThread([key, show] {
            if (g_desktop != nullptr)
                g_desktop->CreateWnd(key, show);
        });
        return true;
    }
    auto existing = m_impl->docks.find(key);
    if (existing != m_impl->docks.end() && existing->second) {
        if (show) {
            existing->second->show();
            existing->second->raise();
        }
        return true;
    }
    if (!m_impl->window)
        return false;
    bool created = false;
    withFactory(key, [&](IfPersistentDockWndFactory& factory) {
        auto* dock = new QDockWidget(latin1(factory.Title()), m_impl->window);
        dock->setObjectName(latin1(key));
        auto* frame = new IfDockableFrame(dock);
        dock->setWidget(frame);
        if (!factory.CreateDockingWindow(*frame) || frame->DockingWnd() == nullptr) {
            delete dock;
            return;
        }
        IfDockPlacement placement;
        factory.GetPreferedPosition(placement);
        m_impl->window->addDockWidget(dockArea(placement.position), dock);
        m_impl->docks[key] = dock;
        IfContentStorage storage(key);
        factory.RestoreContent(frame->DockingWnd(), storage);
        if (show)
            dock->show();
        created = true;
    });
    return created;
}

QWidget* IfDesktop::FindWnd(const std::string& key) const
{
    auto it = m_impl->docks.find(key);
    if (it == m_impl->docks.end() || !it->second)
        return nullptr;
    auto* frame = static_cast<IfDockableFrame*>(it->second->widget());
    return frame != nullptr ? frame->DockingWnd() : nullptr;
}

void IfDesktop::SaveAll()
{
    for (auto& [key, dock] : m_impl->docks) {
        if (!dock)
            continue;
        QWidget* view = static_cast<IfDockableFrame*>(dock->widget())->DockingWnd();
        withFactory(key, [&](IfPersistentDockWndFactory& factory) {
            IfContentStorage storage(key);
            factory.SaveContent(view, storage);
        });
    }
}

void IfDesktop::SetStatusText(const std::string& text)
{
    {
        std::lock_guard lock(m_impl->statusMutex);
        m_impl->status = text;
    }
    IfRunOnGuiThread([text] {
        if (g_desktop != nullptr && g_desktop->StatusBar() != nullptr)
            g_desktop->StatusBar()->showMessage(latin1(text));
    });
}

std::string IfDesktop::StatusText() const
{
    std::lock_guard lock(m_impl->statusMutex);
    return m_impl->status;
}
