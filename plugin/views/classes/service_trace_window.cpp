#include "plugin/views/classes/service_trace_window.h"

#include "plugin/views/commands.h"
#include "plugin/views/kit/popup_menu.h"
#include "plugin/views/object_window.h"
#include "plugin/views/report_list.h"

#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QCloseEvent>
#include <QPushButton>

namespace views {
namespace {

constexpr int kMargin = 7;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 24;

} // namespace

ServiceTraceDialog::ServiceTraceDialog(ServiceTraceParent& owner)
    : CDynamicDialog(kDialogId, nullptr), m_owner(&owner), m_title(owner.serviceTraceTitle())
{
    setWindowTitle(QStringLiteral("Service Trace Flags"));
    setWindowIcon(KernelWindowIcon());
    resize(360, 300);
    m_list = new ReportList(this);
    platform::setControlId(m_list, List);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setGeometry(kMargin, kMargin, 360 - 3 * kMargin - kButtonWidth, 300 - 2 * kMargin);
    connect(m_list, &QWidget::customContextMenuRequested, this, &ServiceTraceDialog::showPopup);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { onCommand(kServiceToggle); });
    const std::pair<int, const char*> buttons[] = {{ToggleAll, "&Toggle All"}, {EnableAll, "&Enable All"},
                                                   {DisableAll, "&Disable All"}};
    int y = kMargin;
    for (const auto& [id, text] : buttons) {
        auto* push = new QPushButton(platform::toQString(text), this);
        platform::setControlId(push, id);
        push->setAutoDefault(false);
        push->setGeometry(360 - kMargin - kButtonWidth, y, kButtonWidth, kButtonHeight);
        y += kButtonHeight + kMargin;
        const int command = id;
        connect(push, &QPushButton::clicked, this, [this, command] { onCommand(command); });
        m_buttons.push_back(push);
    }
    m_table.AddServicesOfClass(owner.serviceTraceClass());
}

ServiceTraceDialog::~ServiceTraceDialog()
{
    if (m_owner != nullptr)
        m_owner->OnServiceTraceClosed();
}

const layout::DynamicMapEntry* ServiceTraceDialog::GetDynamicMap() const
{
    static const layout::DynamicMapEntry kMap[] = {
        layout::mapModes(List, 1, 1),
        layout::mapModes(ToggleAll, 2, 0),
        layout::mapModes(EnableAll, 2, 0),
        layout::mapModes(DisableAll, 2, 0),
        layout::mapEnd(),
    };
    return kMap;
}

bool ServiceTraceDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    FillList();
    return true;
}

QPushButton* ServiceTraceDialog::button(int id) const
{
    for (QPushButton* b : m_buttons)
        if (platform::controlId(b) == id)
            return b;
    return nullptr;
}

// Posted, never run inside the owner's refresh.
void ServiceTraceDialog::postRefresh()
{
    QMetaObject::invokeMethod(this, [this] { FillList(); }, Qt::QueuedConnection);
}

void ServiceTraceDialog::postDisable()
{
    QMetaObject::invokeMethod(this, [this] { DisableControls(); }, Qt::QueuedConnection);
}

void ServiceTraceDialog::showAndRaise()
{
    ShowModeless();
    raise();
}

void ServiceTraceDialog::destroyWindow()
{
    m_owner = nullptr;
    hide();
    deleteLater();
}

void ServiceTraceDialog::closeEvent(QCloseEvent* event)
{
    // Closed by the user: leave the owner, then go.
    if (m_owner != nullptr) {
        ServiceTraceParent* owner = m_owner;
        m_owner = nullptr;
        owner->OnServiceTraceClosed();
    }
    event->accept();
    if (isLive())
        DestroyWindow();
    deleteLater();
}

void ServiceTraceDialog::FillList()
{
    platform::ScopedWaitCursor wait;
    setWindowTitle(platform::captionText(platform::toQString(m_title + " Services Trace Settings")));
    m_rows = ReadServiceRows(m_table);
    showRows();
    m_list->setEnabled(true);
}

void ServiceTraceDialog::showRows()
{
    ListSheet sheet;
    sheet.setColumns({{"Name", Align::Left, 100}, {"Trace", Align::Left, 50}}, ColumnContext{});
    for (const ServiceRow& row : m_rows) {
        const int r = sheet.addRow(row.number);
        sheet.set(r, 0, row.name);
        sheet.set(r, 1, YesNo(row.traced));
    }
    m_list->showSheet(sheet);
    const ServiceButtons states = ServiceButtonStates(m_rows);
    button(EnableAll)->setEnabled(states.enableAll);
    button(DisableAll)->setEnabled(states.disableAll);
    button(ToggleAll)->setEnabled(states.toggleAll);
}

void ServiceTraceDialog::DisableControls()
{
    m_list->setEnabled(false);
    for (QPushButton* b : m_buttons)
        b->setEnabled(false);
}

std::vector<int> ServiceTraceDialog::selectedRows() const
{
    std::vector<int> rows;
    for (int r = 0; r < m_list->rowCount(); ++r)
        if (m_list->topLevelItem(r)->isSelected())
            rows.push_back(r);
    return rows;
}

void ServiceTraceDialog::selectRows(const std::vector<int>& rows)
{
    m_list->clearSelection();
    for (int r : rows)
        if (r >= 0 && r < m_list->rowCount())
            m_list->topLevelItem(r)->setSelected(true);
}

void ServiceTraceDialog::apply(std::optional<bool> wanted)
{
    platform::ScopedWaitCursor wait;
    const std::vector<int> selected = selectedRows();
    if (ApplyServiceTrace(m_rows, selected, wanted) == 0)
        return;
    showRows();
    selectRows(selected); // the switch keeps the selection; only a refill drops it
}

void ServiceTraceDialog::onCommand(int command)
{
    std::vector<int> all(static_cast<std::size_t>(m_list->rowCount()));
    for (std::size_t r = 0; r < all.size(); ++r)
        all[r] = static_cast<int>(r);
    switch (command) {
    case kServiceEnable:
        apply(true);
        break;
    case kServiceDisable:
        apply(false);
        break;
    case kServiceToggle:
        apply(std::nullopt);
        break;
    case EnableAll:
        selectRows(all);
        apply(true);
        break;
    case DisableAll:
        selectRows(all);
        apply(false);
        break;
    case ToggleAll:
        selectRows(all);
        apply(std::nullopt);
        break;
    default:
        break;
    }
}

void ServiceTraceDialog::showPopup(const QPoint& point)
{
    if (m_list->rowAt(point) < 0)
        return;
    const std::vector<PopupItem> items = popupForSelection();
    std::vector<PopupItem> menuItems;
    for (const PopupItem& item : items)
        menuItems.push_back({item.text, item.command, item.greyed, false});
    if (const int command = RunPopupMenu(this, menuItems, m_list->viewport()->mapToGlobal(point)))
        onCommand(command);
}

} // namespace views
