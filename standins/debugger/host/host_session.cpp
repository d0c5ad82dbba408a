#include "standins/debugger/host/host_session.h"

#include "sdk/ide/if_command.h"
#include "sdk/ide/if_desktop.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QApplication>
#include <QDockWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QThread>
#include <QTreeView>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace simdbg {
namespace {

// How long an expectation that depends on the GUI thread's progress may take: generous, since a
// sanitised build on a loaded machine can stall the GUI for seconds; a met expectation returns at once.
constexpr std::chrono::seconds kExpectationDeadline{60};
// How long the GUI thread has to return from a step once its modal windows were closed (the step's
// own bound is the session's, 30 s unless a scenario sets it); after that the run ends.
constexpr std::chrono::seconds kGuiUnblockBound{10};

bool onGuiThread() { return QThread::currentThread() == qApp->thread(); }

std::optional<uint32_t> number32(const std::string& text)
{
    auto value = parseNumber(text);
    if (!value || *value > 0xFFFFFFFFu)
        return std::nullopt;
    return static_cast<uint32_t>(*value);
}

// The visible plug-in window (top-level or docked) with the title, or null. The desktop's own main
// window does not count: it may carry the same title as a plug-in window.
QWidget* findWindow(const std::string& title)
{
    QString wanted = QString::fromLatin1(title.c_str());
    QWidget* desktop = IfDesktop::Instance() != nullptr ? IfDesktop::Instance()->MainWindow() : nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        if (widget == desktop)
            continue;
        bool topOrDock = widget->isWindow() || qobject_cast<QDockWidget*>(widget) != nullptr;
        if (topOrDock && widget->isVisible() && widget->windowTitle() == wanted)
            return widget;
    }
    return nullptr;
}

bool windowShown(const std::string& title) { return findWindow(title) != nullptr; }

// Settles on the GUI thread itself (the session's end, with no event loop running).
void settleHere()
{
    for (int pass = 0; pass < 20; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (IfRunIdleChores() == 0 && pass > 2)
            break;
    }
}

// Closes what keeps a GUI step from returning: open popup menus and modal windows, innermost first.
void closeModalWindows()
{
    for (int i = 0; i < 16; ++i) {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
            continue;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
    }
}

} // namespace

HostSession::HostSession(std::ostream& out, std::string baseDirectory)
    : m_out(out), m_base(std::move(baseDirectory)), m_pluginPath(defaultPluginPath())
{
    m_kernel.activate();
}

HostSession::~HostSession() = default;

std::string HostSession::path(const std::string& name) const
{
    std::filesystem::path file(name);
    if (file.is_relative() && !m_base.empty())
        file = std::filesystem::path(m_base) / file;
    return file.string();
}

std::chrono::milliseconds HostSession::expectationDeadline() const
{
    // Once the run has failed, later expectations answer at once, so a broken scenario reports all its
    // failures well within the test's time limit.
    return m_failures == 0 ? std::chrono::milliseconds(kExpectationDeadline) : std::chrono::milliseconds(0);
}

bool HostSession::fail(const ScenarioCommand& command, const std::string& message)
{
    ++m_failures;
    m_out << "line " << command.line << ": " << command.name << ": " << message << std::endl;
    return false;
}

bool HostSession::runOnGui(const ScenarioCommand& command, const std::function<void()>& f)
{
    if (onGuiThread()) {
        f();
        return true;
    }
    // Queued, and waited for with a bound. A call that has not started when the bound passes never
    // runs; one that started and does not return (a modal window's loop inside it) gets its modal
    // windows closed, and when even that does not help the run ends here with the step's line.
    struct Call {
        std::mutex mutex;
        std::condition_variable finished;
        bool started = false;
        bool done = false;
        bool cancelled = false;
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(qApp, [call, f] {
        {
            std::lock_guard lock(call->mutex);
            if (call->cancelled)
                return;
            call->started = true;
        }
        f();
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
        }
        call->finished.notify_all();
    }, Qt::QueuedConnection);
    std::unique_lock lock(call->mutex);
    if (call->finished.wait_for(lock, m_guiStepBound, [&] { return call->done; }))
        return true;
    if (!call->started) {
        call->cancelled = true;
        lock.unlock();
        return fail(command, "the GUI thread did not take the step up in time");
    }
    lock.unlock();
    fail(command, "the GUI thread did not finish the step in time; its modal windows are closed");
    QMetaObject::invokeMethod(qApp, closeModalWindows, Qt::QueuedConnection);
    lock.lock();
    if (call->finished.wait_for(lock, kGuiUnblockBound, [&] { return call->done; }))
        return false;
    m_out << "line " << command.line << ": " << command.name << ": the GUI thread is stuck; the run ends" << std::endl;
    std::_Exit(1);
}

void HostSession::settle(const ScenarioCommand& command)
{
    // Pass by pass, each a call of its own: the events posted in between run in the event loop (or
    // a modal window's), never inside a call the debugger thread waits for.
    for (int pass = 0; pass < 20; ++pass) {
        int chores = 0;
        if (!runOnGui(command, [&chores] { chores = IfRunIdleChores(); }))
            return;
        if (chores == 0 && pass > 2)
            break;
    }
}

bool HostSession::findNoteRows(const ScenarioCommand& command, NoteRowsFound& found)
{
    settle(command);
    return runOnGui(command, [&found] { found = FindNoteRows(); });
}

bool HostSession::ensurePlugin(const ScenarioCommand& command)
{
    if (m_plugin.loaded())
        return true;
    if (!m_plugin.load(m_pluginPath))
        return fail(command, m_plugin.error());
    return true;
}

bool HostSession::resolveLocation(const std::string& text, uint32_t& zone, uint64_t& address)
{
    if (auto value = parseNumber(text)) {
        zone = 0;
        address = *value;
        return true;
    }
    const SymbolTable& symbols = m_kernel.symbols();
    const Symbol* symbol = symbols.byHandle(symbols.find(text, 0));
    if (symbol == nullptr || !symbol->hasLocation)
        return false;
    zone = symbol->zone;
    address = symbol->address;
    return true;
}

bool HostSession::execute(const ScenarioCommand& c)
{
    const auto& a = c.args;
    auto need = [&](std::size_t n) { return a.size() >= n ? true : fail(c, "missing arguments"); };
    std::string message;

    if (c.name == "plugin") {
        if (!need(1))
            return false;
        m_pluginPath = path(a[0]);
        return true;
    }
    if (c.name == "zones") {
        std::vector<Zone> zones;
        for (const std::string& word : a) {
            std::size_t colon = word.find(':');
            auto id = number32(word.substr(0, colon));
            if (colon == std::string::npos || !id)
                return fail(c, "expected id:name, got \"" + word + "\"");
            Zone zone;
            zone.id = *id;
            zone.name = word.substr(colon + 1);
            zones.push_back(zone);
        }
        m_kernel.setZones(zones);
        return true;
    }
    if (c.name == "memory") {
        if (!need(1))
            return false;
        auto zone = a.size() > 1 ? number32(a[1]) : std::optional<uint32_t>(0);
        auto address = a.size() > 2 ? parseNumber(a[2]) : std::optional<uint64_t>(0);
        if (!zone || !address)
            return fail(c, "bad zone or address");
        std::string file = path(a[0]);
        std::ifstream probe(file, std::ios::binary);
        bool srecord = probe && probe.peek() == 'S';
        bool ok = srecord ? m_kernel.memory().loadSRecordFile(*zone, *address, file, message)
                          : m_kernel.memory().loadBinaryFile(*zone, *address, file, message);
        return ok ? true : fail(c, message);
    }
    if (c.name == "symbols") {
        if (!need(1))
            return false;
        return m_kernel.symbols().loadFile(path(a[0]), message) ? true : fail(c, message);
    }
    if (c.name == "symbol") {
        if (!need(2))
            return false;
        std::string line = c.args[0];
        for (std::size_t i = 1; i < a.size(); ++i)
            line += " " + a[i];
        return m_kernel.symbols().parse(line, message) ? true : fail(c, message);
    }
    if (c.name == "reset-reads") {
        m_kernel.memory().resetCounters();
        return true;
    }
    if (c.name == "expect-reads" || c.name == "expect-writes") {
        // expect-reads <= N, expect-writes <= N: the target memory read or write calls since reset-reads
        // (printed either way).
        settle(c);
        auto bound = a.size() == 2 && a[0] == "<=" ? number32(a[1]) : std::nullopt;
        if (!bound)
            return fail(c, "expected <= and a number");
        const bool reads = c.name == "expect-reads";
        const uint64_t calls = reads ? m_kernel.memory().counters().readCalls : m_kernel.memory().counters().writeCalls;
        const std::string what = std::to_string(calls) + (reads ? " target read calls" : " target write calls");
        m_out << "line " << c.line << ": " << what << std::endl;
        return calls <= *bound ? true : fail(c, what);
    }
    if (c.name == "open-every-window") {
        // Every display the control panel lists, then every detail window their buttons open.
        int displays = 0, details = 0;
        if (!runOnGui(c, [&] { displays = OpenEveryDisplay(); }))
            return false;
        settle(c);
        if (!runOnGui(c, [&] { details = OpenEveryDetail(); }))
            return false;
        settle(c);
        std::size_t windows = 0;
        if (!runOnGui(c, [&] { windows = PluginWindows().size(); }))
            return false;
        m_out << "line " << c.line << ": " << displays << " displays and " << details << " detail buttons opened, "
              << windows << " windows shown" << std::endl;
        return displays > 0 ? true : fail(c, "the control panel lists no display");
    }
    if (c.name == "expect-notes-readable") {
        // Every shown window with a list has a note row, and each note row's text fits the width the list
        // shows of it at the window's size: it reads whole without hovering.
        NoteRowsFound found;
        if (!findNoteRows(c, found))
            return false;
        const std::vector<NoteRow>& notes = found.notes;
        for (const std::string& title : found.windowsWithoutNote)
            fail(c, "\"" + title + "\" has no note row");
        int whole = 0;
        for (const NoteRow& note : notes) {
            if (note.needed <= note.visible)
                ++whole;
            else
                fail(c, "\"" + note.window + "\" row " + std::to_string(note.row) + " \"" + note.text + "\" needs " +
                            std::to_string(note.needed) + " pixels, " + std::to_string(note.visible) + " are shown");
        }
        m_out << "line " << c.line << ": " << whole << " of " << notes.size() << " note rows read whole in "
              << found.windowsWithList << " windows with a list" << std::endl;
        return found.windowsWithoutNote.empty() && whole == static_cast<int>(notes.size()) && found.windowsWithList > 0;
    }
    if (c.name == "popup-notes") {
        // A right click on every note row of every window: no menu may open (a note row is no object).
        NoteRowsFound found;
        if (!findNoteRows(c, found))
            return false;
        const std::vector<NoteRow>& notes = found.notes;
        int quiet = 0;
        for (const NoteRow& note : notes) {
            bool posted = false;
            if (!runOnGui(c, [&] {
                    if (note.view == nullptr)
                        return;
                    QWidget* viewport = note.view->viewport();
                    QCoreApplication::postEvent(viewport, new QContextMenuEvent(QContextMenuEvent::Mouse, note.centre,
                                                                                viewport->mapToGlobal(note.centre)));
                    posted = true;
                }))
                return false;
            settle(c);
            bool open = false;
            if (!runOnGui(c, [&] { open = QApplication::activePopupWidget() != nullptr; }))
                return false;
            if (open) {
                fail(c, "a menu opened on \"" + note.window + "\" row " + std::to_string(note.row));
                runOnGui(c, closeModalWindows);
                settle(c);
            } else if (posted) {
                ++quiet;
            }
        }
        m_out << "line " << c.line << ": " << quiet << " of " << notes.size() << " note rows right-clicked without a menu in "
              << found.windowsWithList << " windows with a list" << std::endl;
        return !notes.empty() && quiet == static_cast<int>(notes.size());
    }
    if (c.name == "refuse-reads") {
        if (!need(1) || (a[0] != "on" && a[0] != "off"))
            return fail(c, "expected on or off");
        m_kernel.memory().setRefuseReads(a[0] == "on");
        return true;
    }
    if (c.name == "fail") {
        if (!need(2))
            return false;
        auto entry = number32(a[0]);
        auto status = number32(a[1]);
        int times = a.size() > 2 ? std::atoi(a[2].c_str()) : 1;
        if (!entry || !status)
            return fail(c, "bad entry or status");
        m_kernel.injectFailure(static_cast<int>(*entry), *status, times);
        return true;
    }
    if (c.name == "gui-start" || c.name == "gui-shutdown") {
        if (!ensurePlugin(c))
            return false;
        bool start = c.name == "gui-start";
        uint32_t answer = 0;
        if (!runOnGui(c, [&] { answer = start ? m_plugin.startGui() : m_plugin.shutDownGui(); }))
            return false;
        m_guiStarted = start;
        return answer == 1 ? true : fail(c, "answered " + std::to_string(answer));
    }
    if (c.name == "init") {
        if (!ensurePlugin(c))
            return false;
        auto expected = a.empty() ? std::optional<uint32_t>(0) : number32(a[0]);
        DkStatus status = m_plugin.init(m_kernel.table());
        m_bound = m_bound || status == DK_STATUS_OK;
        if (!expected || status != *expected)
            return fail(c, "status " + std::to_string(status));
        return true;
    }
    if (c.name == "exit" || c.name == "exit-gui") {
        if (!ensurePlugin(c))
            return false;
        auto expected = a.empty() ? std::optional<uint32_t>(0) : number32(a[0]);
        DkStatus status = DK_STATUS_FAILURE;
        if (c.name == "exit")
            status = m_plugin.exit();
        else if (!runOnGui(c, [&] { status = m_plugin.exit(); }))
            return false;
        m_bound = false;
        if (!expected || status != *expected)
            return fail(c, "status " + std::to_string(status));
        return true;
    }
    if (c.name == "loaded" || c.name == "run" || c.name == "stop" || c.name == "notify") {
        uint32_t code = c.name == "loaded" ? 7 : c.name == "run" ? 1 : 0;
        if (c.name == "notify") {
            auto value = a.empty() ? std::nullopt : number32(a[0]);
            if (!value)
                return fail(c, "bad code");
            code = *value;
        }
        return m_kernel.notify(code) ? true : fail(c, "no plug-in is registered");
    }
    if (c.name == "hit") {
        if (!need(1))
            return false;
        uint32_t zone = 0;
        uint64_t address = 0;
        if (!resolveLocation(a[0], zone, address))
            return fail(c, "unknown location \"" + a[0] + "\"");
        int count = a.size() > 1 ? std::atoi(a[1].c_str()) : 1;
        for (int i = 0; i < count; ++i)
            m_kernel.hit(zone, address);
        return true;
    }
    if (c.name == "poke" || c.name == "expect-memory") {
        if (!need(2))
            return false;
        auto address = parseNumber(a[0]);
        std::vector<uint8_t> bytes;
        for (std::size_t i = 1; i < a.size(); ++i) {
            auto value = parseNumber(a[i]);
            if (!value || *value > 0xFF)
                return fail(c, "bad byte \"" + a[i] + "\"");
            bytes.push_back(static_cast<uint8_t>(*value));
        }
        if (!address)
            return fail(c, "bad address");
        if (c.name == "poke") {
            m_kernel.memory().store(0, *address, bytes.data(), bytes.size());
            return true;
        }
        std::vector<uint8_t> actual(bytes.size());
        if (!m_kernel.memory().load(0, *address, actual.data(), actual.size()) || actual != bytes)
            return fail(c, "memory differs");
        return true;
    }
    if (c.name == "step-bound") {
        // How long a step may keep the GUI thread, in seconds (30 unless set).
        auto seconds = a.empty() ? std::nullopt : number32(a[0]);
        if (!seconds || *seconds == 0)
            return fail(c, "expected a number of seconds");
        m_guiStepBound = std::chrono::seconds(*seconds);
        return true;
    }
    if (c.name == "modal-box") {
        // A step of the host that cannot finish by itself: a modal box of its own, open until closed.
        return runOnGui(c, [] {
            QDialog box;
            box.setWindowTitle("dkhost");
            box.exec();
        });
    }
    if (c.name == "wait-idle") {
        settle(c);
        return true;
    }
    if (c.name == "expect-window" || c.name == "expect-no-window") {
        if (!need(1))
            return false;
        // The window's state may follow a message still on its way under load: look again until the
        // deadline; a run that meets the expectation at once does not wait.
        bool wanted = c.name == "expect-window";
        bool shown = !wanted;
        auto deadline = std::chrono::steady_clock::now() + expectationDeadline();
        for (;;) {
            settle(c);
            if (!runOnGui(c, [&] { shown = windowShown(a[0]); }))
                return false;
            if (shown == wanted || std::chrono::steady_clock::now() > deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return shown == wanted ? true : fail(c, wanted ? "no such window" : "the window is shown");
    }
    if (c.name == "close-window" || c.name == "close-ide") {
        // As the user closes a plug-in window, or the host's own IDE window (which ends the session).
        if (c.name == "close-window" && !need(1))
            return false;
        bool closed = false;
        bool ran = runOnGui(c, [&] {
            QWidget* window = c.name == "close-ide"
                                  ? (IfDesktop::Instance() != nullptr ? IfDesktop::Instance()->MainWindow() : nullptr)
                                  : findWindow(a[0]);
            if (window != nullptr && window->isVisible())
                closed = window->close();
        });
        if (!ran)
            return false;
        return closed ? true : fail(c, "no such window, or it stayed open");
    }
    if (c.name == "column-width") {
        // As the user drags a column's edge in a window's list: the column's new width in pixels.
        if (!need(3))
            return false;
        auto column = number32(a[1]);
        auto width = number32(a[2]);
        bool set = false;
        bool ran = runOnGui(c, [&] {
            QWidget* window = findWindow(a[0]);
            auto* view = window != nullptr ? window->findChild<QTreeView*>() : nullptr;
            if (view == nullptr || !column || !width || static_cast<int>(*column) >= view->header()->count())
                return;
            view->header()->resizeSection(static_cast<int>(*column), static_cast<int>(*width));
            set = true;
        });
        if (!ran)
            return false;
        return set ? true : fail(c, "no such window or column");
    }
    if (c.name == "expect-cell") {
        // The text of a cell of a window's list: title, row, column, text (rows and columns from 0).
        if (!need(4))
            return false;
        auto row = number32(a[1]);
        auto column = number32(a[2]);
        if (!row || !column)
            return fail(c, "bad row or column");
        std::string text;
        bool found = false;
        auto deadline = std::chrono::steady_clock::now() + expectationDeadline();
        for (;;) {
            settle(c);
            bool ran = runOnGui(c, [&] {
                QWidget* window = findWindow(a[0]);
                auto* view = window != nullptr ? window->findChild<QAbstractItemView*>() : nullptr;
                QModelIndex index = view != nullptr && view->model() != nullptr
                                        ? view->model()->index(static_cast<int>(*row), static_cast<int>(*column))
                                        : QModelIndex();
                found = index.isValid();
                QByteArray bytes = index.data().toString().toLatin1();
                text.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
            });
            if (!ran)
                return false;
            if ((found && text == a[3]) || std::chrono::steady_clock::now() > deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!found)
            return fail(c, "no such window or cell");
        return text == a[3] ? true : fail(c, "the cell reads \"" + text + "\"");
    }
    if (c.name == "expect-column-in-view") {
        if (!need(2))
            return false;
        auto column = number32(a[1]);
        int end = -1, view = -1;
        settle(c);
        bool ran = runOnGui(c, [&] {
            QWidget* window = findWindow(a[0]);
            auto* list = window != nullptr ? window->findChild<QTreeView*>() : nullptr;
            if (list == nullptr || !column || static_cast<int>(*column) >= list->header()->count())
                return;
            end = list->header()->sectionViewportPosition(static_cast<int>(*column)) +
                  list->header()->sectionSize(static_cast<int>(*column));
            view = list->viewport()->width();
        });
        if (!ran)
            return false;
        if (end < 0)
            return fail(c, "no such window or column");
        return end <= view ? true
                           : fail(c, "the column ends at " + std::to_string(end) + ", the view at " + std::to_string(view));
    }
    if (c.name == "expect-uncovered") {
        if (!need(1))
            return false;
        bool found = false, uncovered = false;
        std::string frames;
        settle(c);
        bool ran = runOnGui(c, [&] {
            QWidget* window = findWindow(a[0]);
            if (window == nullptr)
                return;
            found = true;
            const QRect frame = window->frameGeometry();
            auto text = [](const QRect& r) {
                return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
                       std::to_string(r.height());
            };
            frames = text(frame) + " under";
            std::vector<QRect> others;
            // The plug-in's windows; the host's own main window is not one of them.
            QWidget* desktop = IfDesktop::Instance() != nullptr ? IfDesktop::Instance()->MainWindow() : nullptr;
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (widget != window && widget != desktop && widget->isVisible() && widget->isWindow()) {
                    others.push_back(widget->frameGeometry());
                    if (others.back().intersects(frame))
                        frames += " " + text(others.back());
                }
            // Points 4 pixels apart over the frame: one that no other window covers.
            for (int y = frame.top(); y <= frame.bottom() && !uncovered; y += 4)
                for (int x = frame.left(); x <= frame.right() && !uncovered; x += 4)
                    uncovered = std::none_of(others.begin(), others.end(),
                                             [x, y](const QRect& r) { return r.contains(x, y); });
        });
        if (!ran)
            return false;
        if (!found)
            return fail(c, "no such window");
        return uncovered ? true : fail(c, "other windows cover it wholly: " + frames);
    }
    if (c.name == "expect-layout") {
        // A value the IDE keeps in its per-window storage: window key, value name, value.
        if (!need(3))
            return false;
        int value = 0;
        const bool found = IfContentStorage(a[0]).Restore(a[1], value, 0);
        if (!found)
            return fail(c, "no " + a[1] + " is kept for " + a[0]);
        return std::to_string(value) == a[2] ? true : fail(c, a[1] + " is " + std::to_string(value));
    }
    if (c.name == "end-session") {
        endSession();
        return true;
    }
    if (c.name == "popup") {
        // A right click on the first row of the window's list; the menu's loop runs on the GUI
        // thread while the scenario goes on.
        if (!need(1))
            return false;
        bool posted = false;
        bool ran = runOnGui(c, [&] {
            QWidget* window = findWindow(a[0]);
            auto* view = window != nullptr ? window->findChild<QAbstractItemView*>() : nullptr;
            if (view == nullptr || view->model() == nullptr)
                return;
            QModelIndex first = view->model()->index(0, 0);
            QPoint point = first.isValid() ? view->visualRect(first).center() : QPoint(4, 4);
            QCoreApplication::postEvent(view->viewport(),
                                        new QContextMenuEvent(QContextMenuEvent::Mouse, point,
                                                              view->viewport()->mapToGlobal(point)));
            posted = true;
        });
        if (!ran)
            return false;
        return posted ? true : fail(c, "no list in that window");
    }
    if (c.name == "edit-last") {
        // As the user types into a list: a click on the first cell of the last row opens its edit
        // box, the text goes in and Return commits it.
        if (!need(2))
            return false;
        bool typed = false;
        bool ran = runOnGui(c, [&] {
            QWidget* window = findWindow(a[0]);
            auto* view = window != nullptr ? window->findChild<QAbstractItemView*>() : nullptr;
            const int rows = view != nullptr && view->model() != nullptr ? view->model()->rowCount() : 0;
            if (rows == 0)
                return;
            const QPoint point = view->visualRect(view->model()->index(rows - 1, 0)).center();
            const QPointF global = view->viewport()->mapToGlobal(QPointF(point));
            QMouseEvent press(QEvent::MouseButtonPress, QPointF(point), global, Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(point), global, Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QCoreApplication::sendEvent(view->viewport(), &press);
            QCoreApplication::sendEvent(view->viewport(), &release);
            auto* box = view->viewport()->findChild<QLineEdit*>();
            if (box == nullptr || !box->isVisible())
                return;
            box->setText(QString::fromLatin1(a[1].c_str()));
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QCoreApplication::sendEvent(box, &enter);
            typed = true;
        });
        if (!ran)
            return false;
        return typed ? true : fail(c, "no editable last row in that window");
    }
    if (c.name == "expect-popup" || c.name == "expect-no-popup") {
        bool wanted = c.name == "expect-popup";
        bool open = !wanted;
        auto deadline = std::chrono::steady_clock::now() + expectationDeadline();
        for (;;) {
            if (!runOnGui(c, [&] { open = QApplication::activePopupWidget() != nullptr; }))
                return false;
            if (open == wanted || std::chrono::steady_clock::now() > deadline)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return open == wanted ? true : fail(c, wanted ? "no popup menu is open" : "a popup menu is open");
    }
    if (c.name == "expect-trace") {
        if (!need(1))
            return false;
        auto deadline = std::chrono::steady_clock::now() + expectationDeadline();
        for (;;) {
            for (const std::string& line : m_kernel.logLines())
                if (line.find(a[0]) != std::string::npos)
                    return true;
            if (std::chrono::steady_clock::now() > deadline)
                return fail(c, "no log line contains \"" + a[0] + "\"");
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (c.name == "expect-calls") {
        if (!need(2))
            return false;
        bool atLeast = a.size() > 2 && a[1] == ">=";
        auto entry = number32(a[0]);
        auto count = number32(atLeast ? a[2] : a[1]);
        if (!entry || !count)
            return fail(c, "bad entry or count");
        uint64_t calls = m_kernel.callCount(static_cast<int>(*entry));
        bool ok = atLeast ? calls >= *count : calls == *count;
        return ok ? true : fail(c, "entry " + a[0] + " was called " + std::to_string(calls) + " times");
    }
    if (c.name == "expect-breakpoints") {
        auto count = a.empty() ? std::nullopt : number32(a[0]);
        if (!count)
            return fail(c, "bad count");
        std::size_t held = m_kernel.breakpoints().size();
        return held == *count ? true : fail(c, "the debugger holds " + std::to_string(held));
    }
    if (c.name == "click" || c.name == "command") {
        if (!need(1))
            return false;
        bool done = false;
        if (c.name == "command") {
            auto id = number32(a[0]);
            if (!runOnGui(c, [&] { done = id && IfRouteCommand(*id); }))
                return false;
        } else {
            QString name = QString::fromLatin1(a[0].c_str());
            bool ran = runOnGui(c, [&] {
                for (QWidget* widget : QApplication::allWidgets()) {
                    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->objectName() == name) {
                        button->click();
                        done = true;
                        return;
                    }
                    for (QAction* action : widget->actions())
                        if (action->objectName() == name) {
                            action->trigger();
                            done = true;
                            return;
                        }
                }
            });
            if (!ran)
                return false;
        }
        return done ? true : fail(c, "nothing handled it");
    }
    return fail(c, "unknown command");
}

void HostSession::endSession()
{
    if (m_bound && m_plugin.loaded()) {
        m_plugin.exit();
        m_bound = false;
    }
    if (m_guiStarted && m_plugin.loaded()) {
        m_plugin.shutDownGui();
        m_guiStarted = false;
    }
}

int HostSession::finish()
{
    endSession();
    settleHere();
    std::vector<int> unexpected = m_kernel.unexpectedEntries();
    m_out << "unexpected entries:";
    for (int entry : unexpected)
        m_out << " " << entry;
    m_out << (unexpected.empty() ? " none" : "") << std::endl;
    m_out << "outstanding host texts: " << m_kernel.outstandingTexts()
          << ", arrays: " << m_kernel.outstandingArrays() << std::endl;
    for (const std::string& error : m_kernel.ledgerErrors())
        m_out << error << std::endl;
    bool clean = unexpected.empty() && m_kernel.outstandingTexts() == 0 && m_kernel.outstandingArrays() == 0 &&
                 m_kernel.ledgerErrors().empty();
    return m_failures == 0 && clean ? 0 : 1;
}

DebuggerThread::DebuggerThread(HostSession& session) : m_session(session)
{
    m_thread = std::thread([this] { run(); });
}

DebuggerThread::~DebuggerThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void DebuggerThread::post(ScenarioCommand command)
{
    post([this, command = std::move(command)] { m_session.execute(command); });
}

void DebuggerThread::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void DebuggerThread::postNext(ScenarioCommand command)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_front([this, command = std::move(command)] { m_session.execute(command); });
    }
    m_wake.notify_all();
}

void DebuggerThread::whenDone(std::function<void()> f) { post(std::move(f)); }

void DebuggerThread::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
}

} // namespace simdbg
