#include "plugin/views/object_list_window.h"

#include "plugin/views/commands.h"
#include "plugin/views/data_log.h"
#include "plugin/views/kit/popup_menu.h"

#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/trace.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QCursor>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <optional>

namespace views {
namespace {

constexpr int kMargin = 7;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 6;

// The client width at which every column of the list is in view and every note the window may show
// reads whole.
int widthForColumns(const QWidget& window, const ReportList& list)
{
    return window.width() - list.width() + list.widthToShow(ListNoteSamples());
}

// The row that ends a window one of whose linked lists came back to an entry it had passed (or ran past
// the hard limit of a walk), in the first column after "#".
void addRepeatRow(ListSheet& sheet) { sheet.addNoteRow(kRepeatedListText); }

// The reads of one window refresh: whether the target refused some of them (a failed read while the
// kernel workspace itself cannot be read), so what they gave says nothing of the kernel.
class RefreshReads {
public:
    RefreshReads() : m_before(kernel::TargetReadFailures()) {}
    bool refused() const { return kernel::TargetReadFailures() != m_before && kernel::TargetReadsRefused(); }

private:
    uint64_t m_before;
};

// After a refresh: when its reads were refused, the rows last read whole come back (a refused read
// never replaces a value held) with a row that says so; with nothing read before, no row of the refresh
// is shown (what refused reads gave is no value), only the row that says the reads were refused. Else
// the rows are kept as the last read.
void holdRefusedRows(ListSheet& sheet, std::optional<ListSheet>& lastRead, bool refused)
{
    // A class whose counts the target refused says so in a row of its own: the refresh was refused too.
    for (int row = 0; row < sheet.rowCount() && !refused; ++row)
        for (int column : sheet.shownColumns())
            if (sheet.isNote(row) &&
                (sheet.cell(row, column) == kReadsRefusedText || sheet.cell(row, column) == kReadsRefusedNothingText))
                refused = true;
    if (!refused) {
        lastRead = sheet;
        return;
    }
    if (lastRead)
        sheet = *lastRead;
    else
        sheet.clearRows();
    sheet.addNoteRow(lastRead ? kReadsRefusedText : kReadsRefusedNothingText);
}

} // namespace

ObjectListWindow::ObjectListWindow(WindowManager* manager, ListWindowSpec spec)
    : ObjectWindow(manager, spec.dialogId), ServiceTraceParent(spec.traceTitle, spec.traceClass, nullptr),
      m_spec(std::move(spec))
{
    setWindowTitle(platform::captionText(platform::toQString(m_spec.title)));
    // Buttons in one row above the list, kept at the right edge.
    const QFontMetrics metrics(font());
    int width = kMargin;
    std::vector<int> widths;
    for (const ButtonSpec& b : m_spec.buttons) {
        widths.push_back(std::max(80, metrics.horizontalAdvance(platform::toQString(b.text)) + 24));
        width += widths.back() + kButtonGap;
    }
    const int windowWidth = std::max(560, width + kMargin);
    resize(windowWidth, 300);
    int x = windowWidth - width + kButtonGap;
    for (std::size_t i = 0; i < m_spec.buttons.size(); ++i) {
        const ButtonSpec& b = m_spec.buttons[i];
        auto* push = new QPushButton(platform::toQString(b.text), this);
        platform::setControlId(push, b.id);
        push->setGeometry(x, kMargin, widths[i], kButtonHeight);
        push->setEnabled(b.initiallyEnabled);
        push->setAutoDefault(false);
        x += widths[i] + kButtonGap;
        const int id = b.id;
        connect(push, &QPushButton::clicked, this, [this, id] { postCommand(id); });
        m_buttons.push_back(push);
        m_map.push_back(layout::mapModes(static_cast<uint32_t>(id), 2, 0));
        if (id == kServicesTraceButton)
            setServiceTraceButton(push);
    }
    m_list = new ReportList(this);
    platform::setControlId(m_list, m_spec.listId);
    const int top = kMargin + kButtonHeight + kMargin;
    m_list->setGeometry(kMargin, top, windowWidth - 2 * kMargin, 300 - top - kMargin);
    m_map.push_back(layout::mapModes(static_cast<uint32_t>(m_spec.listId), 1, 1));
    m_map.push_back(layout::mapEnd());
    connect(m_list, &QWidget::customContextMenuRequested, this, &ObjectListWindow::showPopup);
}

ObjectListWindow::~ObjectListWindow() { runCloseSteps(); }

const layout::DynamicMapEntry* ObjectListWindow::GetDynamicMap() const { return m_map.data(); }

QPushButton* ObjectListWindow::button(int id) const
{
    for (QPushButton* b : m_buttons)
        if (platform::controlId(b) == id)
            return b;
    return nullptr;
}

void ObjectListWindow::Refresh()
{
    platform::ScopedWaitCursor wait;
    const kernel::RefreshWalks walks;
    const RefreshReads reads;
    if (!IsLogInitialized())
        if (QPushButton* log = button(m_spec.logButtonId))
            log->setEnabled(false);
    m_traceAvailable = m_spec.trace != TraceKind::None && kernel::IsTraceAvailable() != 0;
    ColumnContext context = readContext();
    context.traceAvailable = m_traceAvailable;
    m_sheet.setColumns(columns(), context);
    fillRows(m_sheet);
    if (walks.repeated())
        addRepeatRow(m_sheet);
    holdRefusedRows(m_sheet, m_lastRead, reads.refused());
    m_list->showSheet(m_sheet);
    m_list->setEnabled(true);
    fitFirstOpen(widthForColumns(*this, *m_list));
    if (QPushButton* trace = button(kServicesTraceButton))
        trace->setEnabled(false);
    endOfRefreshEnables();
    RefreshServiceTrace();
}

void ObjectListWindow::DisableControls()
{
    m_list->setEnabled(false);
    for (QPushButton* b : m_buttons)
        if (platform::controlId(b) != m_spec.logButtonId)
            b->setEnabled(false);
    DisableServiceTrace();
}

void ObjectListWindow::onCommand(int command)
{
    if (command == kRefreshCommand || command == kDisableCommand) {
        ObjectWindow::onCommand(command);
    } else if (command >= kTraceObject && command <= kTraceNone) {
        runTraceCommand(command);
    } else if (command == m_spec.logButtonId) {
        ExportListToLog(*m_list, m_spec.title);
    } else if (command == kServicesTraceButton) {
        if (m_traceAvailable || !m_spec.serviceTraceNeedsTrace)
            OpenServiceTrace();
    } else {
        onButton(command);
    }
}

std::vector<PopupItem> ObjectListWindow::popupForRow(int row)
{
    // A note row says something of the list and is no object: it has no menu.
    if (!m_traceAvailable || row < 0 || row >= m_sheet.rowCount() || m_sheet.isNote(row))
        return {};
    platform::ScopedWaitCursor wait;
    const uint32_t n = objectOfRow(row);
    if (!objectInUse(n))
        return {};
    const uint32_t word = traceWord(n);
    if (m_spec.trace == TraceKind::Single)
        return BuildSinglePopup(m_sheet, traceObjectColumn(), word);
    return BuildObjectActorPopup(m_sheet, traceObjectColumn(), traceActorColumn(), word);
}

void ObjectListWindow::showPopup(const QPoint& point)
{
    if (!m_traceAvailable)
        return;
    m_selectedRow = m_list->rowAt(point);
    std::vector<PopupItem> items = popupForRow(m_selectedRow);
    if (items.empty())
        return;
    // The window may be gone when the menu returns (the menu's loop runs posted commands, or the
    // session ends): then the answer is 0.
    if (const int command = RunPopupMenu(this, items, m_list->viewport()->mapToGlobal(point)))
        onCommand(command);
}

void ObjectListWindow::openRegisteredDetail(uint32_t dialogId)
{
    if (manager() == nullptr || manager()->ShowOpenWindow(dialogId))
        return;
    if (ObjectWindow* window = WindowManager::CreateDetailWindow(*manager(), dialogId)) {
        window->ShowModeless();
        window->raise();
    }
}

void ObjectListWindow::resetStatistics(uint32_t last, bool inUseOnly, void (*reset)(uint32_t), int (*inUse)(uint32_t))
{
    // Only objects the list shows, and that still pass their checks (objects 1 to `last`), are written:
    // never what a garbage class record claims beyond them.
    std::vector<uint32_t> shown;
    for (int row = 0; row < m_sheet.rowCount(); ++row)
        if (const uint32_t n = m_sheet.itemData(row); n >= 1 && n <= last)
            shown.push_back(n);
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    for (const uint32_t n : shown)
        if (!inUseOnly || inUse(n) != 0)
            reset(n);
    Refresh();
}

TraceAccess ObjectListWindow::traceAccess()
{
    return TraceAccess{[this](uint32_t n) { return traceWord(n); },
                       [this](uint32_t n, bool actor, bool on) { setTrace(n, actor, on); }};
}

void ObjectListWindow::runTraceCommand(int command)
{
    if (!m_traceAvailable)
        return;
    const int objectColumn = traceObjectColumn();
    const int actorColumn = m_spec.trace == TraceKind::ObjectActor ? traceActorColumn() : -1;
    const TraceAccess access = traceAccess();
    auto objectOf = [this](int row) { return objectOfRow(row); };
    platform::ScopedWaitCursor wait;
    bool changed = false;
    switch (command) {
    case kTraceObject:
    case kTraceActor:
        if (m_selectedRow < 0 || m_selectedRow >= m_sheet.rowCount() || m_sheet.isNote(m_selectedRow))
            return;
        if (command == kTraceActor && actorColumn < 0)
            return;
        ToggleTrace(m_sheet, m_selectedRow, objectOfRow(m_selectedRow), command == kTraceObject ? objectColumn : actorColumn,
                    command == kTraceActor, access);
        changed = true;
        break;
    case kTraceAllObjects:
    case kTraceNoObjects:
        changed = SwitchTraceColumn(m_sheet, objectColumn, false, command == kTraceAllObjects, objectOf, access);
        break;
    case kTraceAllActors:
    case kTraceNoActors:
        if (actorColumn >= 0)
            changed = SwitchTraceColumn(m_sheet, actorColumn, true, command == kTraceAllActors, objectOf, access);
        break;
    case kTraceAll:
    case kTraceNone:
        if (actorColumn >= 0)
            changed = SwitchTraceColumn(m_sheet, actorColumn, true, command == kTraceAll, objectOf, access);
        changed = SwitchTraceColumn(m_sheet, objectColumn, false, command == kTraceAll, objectOf, access) || changed;
        break;
    default:
        return;
    }
    if (changed) {
        const bool enabled = m_list->isEnabled();
        m_list->showSheet(m_sheet);
        m_list->setEnabled(enabled);
    }
    m_selectedRow = -1;
}

DetailListWindow::DetailListWindow(WindowManager* manager, uint32_t dialogId, const std::string& title, int listId)
    : ObjectWindow(manager, dialogId)
{
    setWindowTitle(platform::captionText(platform::toQString(title)));
    resize(420, 260);
    m_list = new ReportList(this);
    platform::setControlId(m_list, listId);
    m_list->setGeometry(kMargin, kMargin, 420 - 2 * kMargin, 260 - 2 * kMargin);
    m_map[0] = layout::mapModes(static_cast<uint32_t>(listId), 1, 1);
    m_map[1] = layout::mapEnd();
}

const layout::DynamicMapEntry* DetailListWindow::GetDynamicMap() const { return m_map; }

void DetailListWindow::Refresh()
{
    platform::ScopedWaitCursor wait;
    const kernel::RefreshWalks walks;
    const RefreshReads reads;
    m_sheet.setColumns(columns(), readContext());
    fillRows(m_sheet);
    if (walks.repeated() && !saysWalkCuts())
        addRepeatRow(m_sheet);
    holdRefusedRows(m_sheet, m_lastRead, reads.refused());
    m_list->showSheet(m_sheet);
    m_list->setEnabled(true);
    fitFirstOpen(widthForColumns(*this, *m_list));
}

void DetailListWindow::DisableControls() { m_list->setEnabled(false); }

CountedDetailWindow::CountedDetailWindow(WindowManager* manager, const CountedDetailSpec& spec)
    : DetailListWindow(manager, spec.dialogId, spec.title, spec.listId), m_spec(spec)
{
}

ColumnContext CountedDetailWindow::readContext()
{
    m_counts = m_spec.counts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

RegisterListWindow::RegisterListWindow(WindowManager* manager, uint32_t dialogId, const std::string& title, int listId,
                                       int notValidId, const std::string& notValidText, int neverValidId)
    : DetailListWindow(manager, dialogId, title, listId), m_notValidText(notValidText)
{
    resize(620, 300);
    list()->setGeometry(kMargin, kMargin, 620 - 2 * kMargin, 236);
    m_notValid = new QLineEdit(this);
    platform::setControlId(m_notValid, notValidId);
    m_notValid->setReadOnly(true);
    m_notValid->setGeometry(130, 250, 180, 22);
    m_neverValid = new QLineEdit(this);
    platform::setControlId(m_neverValid, neverValidId);
    m_neverValid->setReadOnly(true);
    m_neverValid->setGeometry(320, 250, 170, 22);
    m_registerMap[0] = layout::mapModes(static_cast<uint32_t>(listId), 1, 1);
    m_registerMap[1] = layout::mapModes(static_cast<uint32_t>(notValidId), 3, 2);
    m_registerMap[2] = layout::mapModes(static_cast<uint32_t>(neverValidId), 3, 2);
    m_registerMap[3] = layout::mapEnd();
}

void RegisterListWindow::Refresh()
{
    if (m_firstRefresh) {
        list()->useFixedFont();
        m_notValid->setText(platform::toQString(m_notValidText));
        m_neverValid->setText(QStringLiteral("******: Never Valid"));
        m_firstRefresh = false;
    }
    DetailListWindow::Refresh();
}

} // namespace views
