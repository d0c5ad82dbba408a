#include "plugin/views/control_panel.h"

#include "plugin/views/commands.h"
#include "plugin/views/data_log.h"
#include "plugin/views/object_window.h"
#include "plugin/views/settings_dialog.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/target_access.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/plugin_sample.h"

#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>

namespace views {
namespace {

const QEvent::Type kPanelCommandEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class PanelCommandEvent final : public QEvent {
public:
    explicit PanelCommandEvent(int command) : QEvent(kPanelCommandEvent), m_command(command) {}
    int command() const { return m_command; }

private:
    int m_command;
};

ControlPanel::SettingsPrompt& settingsPrompt()
{
    static auto* prompt = new ControlPanel::SettingsPrompt;
    return *prompt;
}

SymbolLookup& symbolLookup()
{
    static auto* lookup = new SymbolLookup;
    return *lookup;
}

bool runSettingsDialog(std::string& dataPath, bool& littleEndian)
{
    SettingsDialog dialog(dataPath);
    if (dialog.exec() != platform::DialogBase::IdOk)
        return false;
    dataPath = dialog.dataPath();
    littleEndian = dialog.littleEndian();
    return true;
}

} // namespace

void ControlPanel::setSettingsPrompt(SettingsPrompt prompt) { settingsPrompt() = std::move(prompt); }
void ControlPanel::setSymbolLookup(SymbolLookup lookup) { symbolLookup() = std::move(lookup); }

ControlPanel::ControlPanel(uint32_t panelId, const std::string& title, QWidget* parent)
    : CDynamicDialog(kDialogId, parent), m_panelId(panelId)
{
    ModifyFlags(CDynamicWnd::FlagCopyBits, 0);
    setWindowTitle(QStringLiteral("Korvane Control Panel"));
    setWindowIcon(KernelWindowIcon());
    m_manager.setOwner(this);
    resize(300, 330);

    auto* connection = new QLabel(QStringLiteral("Connection:"), this);
    connection->setGeometry(12, 10, 76, 20);
    auto* connectionTitle = new QLabel(platform::toQString(title), this);
    platform::setControlId(connectionTitle, ConnectionTitle);
    connectionTitle->setGeometry(90, 10, 198, 20);

    m_initialize = new QPushButton(QStringLiteral("Initialize"), this);
    platform::setControlId(m_initialize, Initialize);
    m_initialize->setGeometry(12, 36, 86, 26);
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    platform::setControlId(m_stop, Stop);
    m_stop->setGeometry(106, 36, 86, 26);
    auto* about = new QPushButton(QStringLiteral("About"), this);
    platform::setControlId(about, About);
    about->setGeometry(200, 36, 86, 26);
    m_autoRefreshBox = new QCheckBox(QStringLiteral("Auto Refresh"), this);
    platform::setControlId(m_autoRefreshBox, AutoRefresh);
    m_autoRefreshBox->setGeometry(12, 68, 150, 22);
    m_autoRefreshBox->setChecked(m_autoRefresh);

    auto* frame = new QGroupBox(QStringLiteral("Displays"), this);
    platform::setControlId(frame, DisplaysFrame);
    frame->setGeometry(12, 94, 276, 224);
    m_list = new QListWidget(this);
    platform::setControlId(m_list, DisplayList);
    m_list->setGeometry(22, 116, 256, 192);

    // Buttons act once the click has returned, as a posted command would: a dialog they open runs its
    // own loop without the click on the stack.
    connect(m_initialize, &QPushButton::clicked, this,
            [this] { QMetaObject::invokeMethod(this, [this] { OnInitialize(); }, Qt::QueuedConnection); });
    connect(m_stop, &QPushButton::clicked, this,
            [this] { QMetaObject::invokeMethod(this, [this] { OnStop(); }, Qt::QueuedConnection); });
    connect(about, &QPushButton::clicked, this,
            [this] { QMetaObject::invokeMethod(this, [this] { OnAbout(); }, Qt::QueuedConnection); });
    connect(m_autoRefreshBox, &QCheckBox::clicked, this, [this] { OnAutoRefresh(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OnDblclkDisplayList(); });
}

ControlPanel::~ControlPanel()
{
    // The manager deletes its windows before the panel's widgets go.
    m_manager.CloseServiceTrace();
    m_manager.OnDisplayCommand(kCommandCloseAll);
}

const layout::DynamicMapEntry* ControlPanel::GetDynamicMap() const
{
    static const layout::DynamicMapEntry kMap[] = {
        layout::mapModes(DisplayList, 1, 1),
        layout::mapModes(DisplaysFrame, 1, 1),
        layout::mapEnd(),
    };
    return kMap;
}

bool ControlPanel::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    UpdateState();
    return true;
}

void ControlPanel::OnOK() { hide(); }
void ControlPanel::OnCancel() { hide(); }

void ControlPanel::postCommand(int command) { QCoreApplication::postEvent(this, new PanelCommandEvent(command)); }

bool ControlPanel::event(QEvent* event)
{
    if (event->type() == kPanelCommandEvent) {
        int command = static_cast<PanelCommandEvent*>(event)->command();
        if (command == kRefreshCommand)
            OnTargetStopped();
        else if (command == kDisableCommand)
            OnTargetRunning();
        return true;
    }
    return CDynamicDialog::event(event);
}

void ControlPanel::UpdateState()
{
    platform::ScopedWaitCursor wait;
    uint32_t mask = m_initialized ? ComputeClassMask() : 0;
    m_initialize->setEnabled(!m_initialized && !m_running);
    m_stop->setEnabled(m_initialized && !m_running);
    m_list->setEnabled(m_initialized && !m_running);
    FillDisplayList(mask);
    m_autoRefreshBox->setChecked(m_autoRefresh);
}

void ControlPanel::FillDisplayList(uint32_t classMask)
{
    platform::ScopedWaitCursor wait;
    m_list->clear();
    for (QAction* action : m_list->actions()) {
        m_list->removeAction(action);
        delete action;
    }
    const auto& table = DisplayTable();
    for (const ListedDisplay& display : ListedDisplays(m_initialized, classMask)) {
        auto* item = new QListWidgetItem(platform::toQString(display.name), m_list);
        item->setData(Qt::UserRole, display.row);
        // Each listed display can also be opened by name ("display<command>"), as a double click on its
        // row does; the headless host drives the panel this way.
        auto* open = new QAction(item->text(), m_list);
        open->setObjectName(QStringLiteral("display%1").arg(table[static_cast<std::size_t>(display.row)].command));
        connect(open, &QAction::triggered, this, [this, item] {
            m_list->setCurrentItem(item);
            OnDblclkDisplayList();
        });
        m_list->addAction(open);
    }
}

void ControlPanel::OnInitialize()
{
    std::string path;
    bool little = true;
    QPointer<ControlPanel> self(this);
    const SettingsPrompt& prompt = settingsPrompt();
    bool confirmed = prompt ? prompt(path, little) : runSettingsDialog(path, little);
    if (!self || !confirmed)
        return; // cancelled, or the panel went while the dialog ran
    kernel::SetLittleEndian(little ? 1 : 0);
    kernel::SetAddressUnitBits(8);
    kernel::BindTargetAccess();
    kernel::FreeKernelWorkspace();
    kernel::DropTargetReadCache(); // a connection reads the target anew
    const SymbolLookup& lookup = symbolLookup();
    uint32_t anchor = FindKernelAnchor(lookup ? lookup : SymbolLookup([](const std::string& name) {
        return dk::GetTargetSymbol(name.c_str());
    }));
    int code = 0;
    {
        platform::ScopedWaitCursor wait;
        code = kernel::LoadKernelWorkspace(1, path, 0, anchor);
    }
    if (code != 0) {
        platform::messageBox(kernel::DescribeWorkspaceLoadError(code), dk::kPluginAppTitle, platform::MbOk);
        return;
    }
    if (const std::string problem = LoadServicesImage(path); !problem.empty())
        platform::messageBox(problem, dk::kPluginAppTitle, platform::MbOk);
    m_initialized = true;
    UpdateState();
}

void ControlPanel::OnStop()
{
    ClearLogFile();
    m_manager.CloseAllWindows();
    m_initialized = false;
    UpdateState();
}

void ControlPanel::OnAbout() { m_manager.OnDisplayCommand(kCommandAbout); }

void ControlPanel::OnTargetStopped()
{
    m_running = false;
    kernel::DropTargetReadCache(); // also when the windows are not refreshed now
    UpdateState();
    if (m_autoRefresh)
        m_manager.OnTargetStopped();
}

void ControlPanel::OnTargetRunning()
{
    m_running = true;
    UpdateState();
    m_manager.OnTargetRunning();
}

void ControlPanel::OnDblclkDisplayList()
{
    QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    int row = item->data(Qt::UserRole).toInt();
    const auto& table = DisplayTable();
    if (row < 0 || static_cast<std::size_t>(row) >= table.size())
        return;
    m_manager.OnDisplayCommand(table[static_cast<std::size_t>(row)].command);
}

void ControlPanel::OnAutoRefresh() { m_autoRefresh = m_autoRefreshBox->isChecked(); }

} // namespace views
