#include "main_dialog.h"

#include "about_dialog.h"
#include "main_panes.h"
#include "shell_dialogs.h"
#include "tree_images.h"
#include "generator_calls.h"

#include "engine/footprint/footprint.h"
#include "engine/names/project_walk.h"

#include "engine/files/config_file.h"
#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/save_lock.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/shell_execute.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QStatusBar>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CMainDialog* g_running = nullptr;
shell::ShellDialogs g_realDialogs;

// A save that finds its folders held by another program's save shows that it waits: a busy cursor and a
// status line, drawn before the wait begins, gone (the line with its strip) when it ends.
void showSaveLockWait(bool waiting)
{
    if (g_running == nullptr)
        return;
    QStatusBar* bar = g_running->statusBar();
    if (waiting) {
        // The menu the save was chosen from is closed, and the window is laid out with the line and
        // painted at once, without running the event loop: no timer or posted event may run in the middle
        // of a save.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        bar->show();
        // The window gives the line its place, then the line places its own parts (its size grip).
        for (QWidget* widget : {static_cast<QWidget*>(g_running), static_cast<QWidget*>(bar)}) {
            if (QLayout* layout = widget->layout())
                layout->activate();
        }
        bar->showMessage(QStringLiteral("Waiting for another program's save of the project's files to end..."));
        g_running->repaint();
        return;
    }
    bar->clearMessage();
    bar->hide();
    QApplication::restoreOverrideCursor();
}

} // namespace

CMainDialog::CMainDialog(QWidget* parent) : QMainWindow(parent)
{
    std::memset(&m_config, 0, sizeof m_config);
    std::memset(&m_project, 0, sizeof m_project);
    setWindowTitle(QStringLiteral("OMBAgen"));
    resize(900, 560);

    m_tree = new DragTreeCtrl;
    m_tree->setOwner(this);
    m_list = new QTreeWidget;
    m_status = new QLabel;
    platform::setControlId(m_status, kStatusId);
    m_panes = new shell::MainPanes(m_tree, m_list, m_status, this);
    setCentralWidget(m_panes);

    m_projectTree = std::make_unique<shell::ProjectTree>(m_tree);
    m_projectTree->setAfterBuild([this] {
        QMetaObject::invokeMethod(this, [this] { OnRestoreTreeState(); }, Qt::QueuedConnection);
    });
    m_manager = std::make_unique<engine::ProjectManager>(m_projectTree.get());
    m_listPane = std::make_unique<ObjectListPane>(m_list, this);
    engine::ProjectManager::ResetProject(m_project, true);

    buildMenus();

    connect(m_tree, &DragTreeCtrl::selectionChangedId, this, [this](uint32_t item) { OnTreeSelChanged(item); });
    connect(m_tree, &DragTreeCtrl::itemRightClicked, this,
            [this](uint32_t item, const QPoint& at) { ShowContextMenu(item, true, at); });
    connect(m_tree, &DragTreeCtrl::itemDoubleClickedId, this, [this](uint32_t item) {
        const bool expanded = m_tree->IsExpanded(item);
        setSelection(item);
        OnEditChange();
        m_tree->Expand(item, expanded);
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* row, int) { onListDoubleClicked(row); });
    m_list->installEventFilter(this);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* row = m_list->itemAt(at);
        const uint32_t item = m_listPane->treeItemOfRow(row);
        if (item) {
            m_listContextDepth = m_listPane->chainDepthOfRow(row);
            ShowContextMenu(item, false, m_list->viewport()->mapToGlobal(at));
            m_listContextDepth = 0;
        }
    });
    // The status line of a save's wait has its place from the start, shown only while a save waits.
    statusBar()->hide();
    g_running = this;
    engine::SetSaveLockWaitNotice(showSaveLockWait);
}

CMainDialog::~CMainDialog()
{
    if (g_running == this) {
        g_running = nullptr;
        engine::SetSaveLockWaitNotice(nullptr);
    }
    if (!m_recordsFreed) {
        engine::ProjectManager::FreeProject(m_project);
        engine::ConfigFile::FreeConfigRecord(m_config);
    }
}

engine::ProjectRecord* CMainDialog::GetCurrentProject()
{
    return g_running ? &g_running->m_project : nullptr;
}

engine::ConfigRecord* CMainDialog::GetConfigRecord()
{
    return g_running ? &g_running->m_config : nullptr;
}

void CMainDialog::setDialogs(shell::ShellDialogs* dialogs)
{
    m_dialogs = dialogs;
}

shell::ShellDialogs& CMainDialog::dialogs()
{
    return m_dialogs ? *m_dialogs : g_realDialogs;
}

QAction* CMainDialog::addCommand(QMenu* menu, const QString& text, int id)
{
    QAction* action = menu->addAction(text);
    action->setData(id);
    return action;
}

QAction* CMainDialog::action(int commandId) const
{
    for (QMenu* menu : {m_fileMenu, m_editMenu, m_helpMenu, m_utilitiesMenu}) {
        if (!menu)
            continue;
        for (QAction* item : menu->actions()) {
            if (item->data().toInt() == commandId && !item->isSeparator())
                return item;
        }
    }
    return nullptr;
}

void CMainDialog::buildMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    addCommand(m_fileMenu, QStringLiteral("&New Project..."), shell::CmdFileNewProject);
    addCommand(m_fileMenu, QStringLiteral("&Open Project..."), shell::CmdFileOpenProject);
    addCommand(m_fileMenu, QStringLiteral("Clos&e Project"), shell::CmdFileCloseProject);
    m_fileMenu->addSeparator();
    addCommand(m_fileMenu, QStringLiteral("&Save Project"), shell::CmdFileSaveProject);
    addCommand(m_fileMenu, QStringLiteral("Save Project &As..."), shell::CmdFileSaveProjectAs);
    addCommand(m_fileMenu, QStringLiteral("Save A&ll"), shell::CmdSaveAll);
    m_fileMenu->addSeparator();
    addCommand(m_fileMenu, QStringLiteral("&Generate Code"), shell::CmdGenerateCode);
    addCommand(m_fileMenu, QStringLiteral("Genera&te All"), shell::CmdGenerateAll);
    addCommand(m_fileMenu, QStringLiteral("&Print..."), shell::CmdPrint);
    m_fileMenu->addSeparator();
    QAction* recent = addCommand(m_fileMenu, QStringLiteral("&Recent File"), RecentProjectList::kFirstCommand);
    recent->setEnabled(false);
    addCommand(m_fileMenu, QStringLiteral("&Clear File History"), shell::CmdClearFileHistory);
    m_fileMenu->addSeparator();
    addCommand(m_fileMenu, QStringLiteral("E&xit"), shell::CmdFileExit);

    m_editMenu = menuBar()->addMenu(QStringLiteral("&Edit"));
    addCommand(m_editMenu, QStringLiteral("&Add "), shell::CmdEditAdd);
    addCommand(m_editMenu, QStringLiteral("&Delete "), shell::CmdEditDelete);
    addCommand(m_editMenu, QStringLiteral("&Change "), shell::CmdEditChange);
    addCommand(m_editMenu, QStringLiteral("D&ynamics"), shell::CmdEditDynamics);
    addCommand(m_editMenu, QStringLiteral("&Edit User Text"), shell::CmdEditUserText);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* contents = addCommand(m_helpMenu, QStringLiteral("&Contents"), shell::CmdHelpContents);
    contents->setShortcut(QKeySequence::HelpContents);
    addCommand(m_helpMenu, QStringLiteral("&Release Notes"), shell::CmdReleaseNotes);
    m_helpMenu->addSeparator();
    addCommand(m_helpMenu, QStringLiteral("&About OMBAgen..."), shell::CmdHelpAbout);

    for (QMenu* menu : {m_fileMenu, m_editMenu, m_helpMenu})
        connect(menu, &QMenu::triggered, this, [this](QAction* item) { OnCommand(item->data().toInt()); });
    m_recent.Attach(m_fileMenu);
}

namespace {

bool configurationReadable()
{
    const std::string path = engine::ProgramDirectory() + "/" + engine::ConfigFile::kDefaultFileName;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    char byte = 0;
    const bool readable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::read(fd, &byte, 1) >= 0;
    ::close(fd);
    return readable;
}

} // namespace

void CMainDialog::Initialize(const std::vector<std::string>& arguments, const StartOptions& options)
{
    setWindowTitle(QStringLiteral("OMBAgen"));
    if (options.splashSeconds > 0) {
        m_splash = std::make_unique<SplashController>();
        connect(m_splash.get(), &SplashController::splashClosed, this, [this] { OnSplashClosed(); });
        m_splash->start(options.splashSeconds, this);
    }
    m_panes->setRatio(0.3);
    clearSelection();
    // One start-up road: everything that may show a box (the configuration, the project) runs inside it,
    // so the boxes come one after the other and the splash's end waits for the last of them.
    m_startingUp = true;
    engine::ConfigFile::ResetConfigRecord(m_config, false);
    // A configuration file that is missing or cannot be read leaves the configuration empty, without a word
    // at start-up; one that can be read but is damaged says what is wrong with it.
    if (configurationReadable())
        engine::ConfigFile::Read(m_config);
    m_tree->setImages(shell::TreeImages());
    ParseCommandLine(arguments);
    std::string path = engine::TrimText(GetCommandLineArg(1), true, true);
    // A project the user named on the command line that cannot be read is reported, as File > Open does;
    // the most recent project, opened unasked, is passed over without a word when it is gone or damaged.
    const bool named = !path.empty();
    const bool newProjectPending = m_newProjectPending;
    if (named)
        m_newProjectPending = false; // the user asked for a project, not for a new one
    else
        path = m_recent.GetFirst();
    // A named project that cannot be read has been reported; then New Project is offered, as when none
    // was named.
    if (!path.empty() && !OpenProjectFile(path, named) && named)
        m_newProjectPending = newProjectPending;
    m_startingUp = false;
    if (!m_splash)
        endStartUp();
    if (m_splashEndedWhileStarting)
        OnSplashClosed();
    UpdateMenus(0);
}

void CMainDialog::ParseCommandLine(const std::vector<std::string>& arguments)
{
    // The arguments come split already (quotes grouping words are the shell's business here), as the bytes
    // the system passed: a path names its file whatever its spelling.
    m_arguments = arguments;
}

std::string CMainDialog::GetCommandLineArg(int n) const
{
    return n >= 0 && static_cast<std::size_t>(n) < m_arguments.size() ? m_arguments[static_cast<std::size_t>(n)]
                                                                        : std::string();
}

// ---------------------------------------------------------------------------------------------------
// Selection

engine::TreeNode CMainDialog::currentNode()
{
    engine::TreeNode node;
    if (m_selectedItem)
        engine::FindNodeByTreeItem(m_project, m_selectedItem, node);
    return node;
}

int CMainDialog::nodeKind()
{
    return currentNode().kind;
}

void CMainDialog::setSelection(uint32_t item)
{
    m_selectedItem = item;
}

void CMainDialog::clearSelection()
{
    m_selectedItem = 0;
    m_state = shell::CommandState();
}

void CMainDialog::fillList(bool keepRows)
{
    const engine::TreeNode node = currentNode();
    shell::ListSource source;
    source.project = &m_project;
    source.cpu = node.cpu;
    source.application = node.application;
    source.entry = node.entry;
    const int kind = node.kind == engine::NodeChildObject ? engine::NodeObject : node.kind;
    if (node.kind == engine::NodeChildObject) {
        // A child object's list shows the objects of its own class.
        source.entry = node.entry;
    }
    // Texts only when the rows stay, so the user's selection and scroll position stay too.
    if (keepRows && shell::ListRows(kind, source).size() ==
                        static_cast<std::size_t>(m_listPane->list()->topLevelItemCount())) {
        m_listPane->Fill(kind, source, true);
        return;
    }
    m_listPane->SetView(kind, source);
    m_listPane->Fill(kind, source, false);
}

void CMainDialog::OnTreeSelChanged(uint32_t item)
{
    setSelection(item);
    const engine::TreeNode node = currentNode();
    if (node.kind != engine::NodeNone)
        fillList();
    UpdateMenus(0);
}

void CMainDialog::UpdateMenus(int kind)
{
    (void)kind; // the state always follows the current node
    const engine::TreeNode node = currentNode();
    m_state = shell::ComputeCommandState(m_project, node);
    if (node.kind == engine::NodeCpu && node.cpu)
        engine::ForEachCpuApplication(*node.cpu, [this](engine::ApplicationRecord& application) {
            UpdateFootprintStatus(&application, false);
            return 0;
        });
    auto set = [this](int id, bool enabled, const std::string* label = nullptr, const char* prefix = nullptr) {
        if (QAction* item = action(id)) {
            item->setEnabled(enabled);
            if (label)
                item->setText(platform::toQString(prefix) + platform::toQString(*label));
        }
    };
    set(shell::CmdEditAdd, m_state.add, &m_state.addWord, "&Add ");
    set(shell::CmdEditDelete, m_state.remove, &m_state.deleteWord, "&Delete ");
    set(shell::CmdEditChange, m_state.change, &m_state.changeWord, "&Change ");
    set(shell::CmdEditDynamics, m_state.dynamics);
    set(shell::CmdEditUserText, m_state.editUserText);
    set(shell::CmdFileCloseProject, m_state.close);
    set(shell::CmdFileSaveProject, m_state.save);
    set(shell::CmdFileSaveProjectAs, m_state.save);
    set(shell::CmdSaveAll, m_state.save);
    set(shell::CmdGenerateCode, m_state.generate);
    set(shell::CmdGenerateAll, m_state.generate);
    set(shell::CmdPrint, m_state.print);
    RebuildUtilitiesMenu();
    UpdateFootprintStatus(nullptr, true);
}

void CMainDialog::SetStatusText(const std::string& text)
{
    m_status->setText(platform::toQString(text));
}

void CMainDialog::UpdateFootprintStatus(engine::ApplicationRecord* application, bool show)
{
    if (!application)
        application = currentNode().application;
    engine::CpuRecord* cpu = application ? engine::FindCpuOfApplication(m_project, *application) : nullptr;
    if (application && cpu)
        engine::ComputeApplicationFootprint(&m_project, *cpu, *application);
    if (!show)
        return;
    SetStatusText(application && cpu ? shell::FootprintStatusText(*cpu, *application) : std::string());
}

void CMainDialog::OnCommand(int id)
{
    if (id >= RecentProjectList::kFirstCommand && id < RecentProjectList::kFirstCommand + RecentProjectList::kMaxEntries) {
        const std::string path = m_recent.GetEntry(id);
        if (!path.empty())
            OpenProjectFile(path, true);
        return;
    }
    if (id >= shell::CmdFirstUtility && id <= shell::CmdLastUtility) {
        RunUtility(id - shell::CmdFirstUtility);
        return;
    }
    switch (id) {
    case shell::CmdFileNewProject: OnFileNewProject(); break;
    case shell::CmdFileOpenProject: OnFileOpenProject(); break;
    case shell::CmdFileCloseProject: OnFileCloseProject(); break;
    case shell::CmdFileSaveProject: OnFileSaveProject(); break;
    case shell::CmdFileSaveProjectAs: OnFileSaveProjectAs(); break;
    case shell::CmdSaveAll: OnFileSaveAll(); break;
    case shell::CmdGenerateCode: OnFileGenerateCode(); break;
    case shell::CmdGenerateAll: OnFileGenerateAll(); break;
    case shell::CmdPrint: OnFilePrint(); break;
    case shell::CmdClearFileHistory: OnClearFileHistory(); break;
    case shell::CmdFileExit: close(); break;
    case shell::CmdEditAdd: OnEditAdd(); break;
    case shell::CmdEditDelete: OnEditDelete(); break;
    case shell::CmdEditChange: OnEditChange(); break;
    case shell::CmdEditDynamics: OnEditDynamics(); break;
    case shell::CmdEditUserText: OnEditUserText(); break;
    case shell::CmdTreeSaveNode: OnTreeSaveNode(); break;
    case shell::CmdTreeMarkDirty: OnTreeMarkDirty(); break;
    case shell::CmdTreeExpand: OnTreeExpand(); break;
    case shell::CmdObjectEnableMp: OnObjectEnableMp(); break;
    case shell::CmdApplicationEnableMp: OnApplicationEnableMp(); break;
    case shell::CmdObjectToggleEnable: OnObjectToggleEnable(); break;
    case shell::CmdHelpContents: OnHelpContents(); break;
    case shell::CmdReleaseNotes: OnReleaseNotes(); break;
    case shell::CmdHelpAbout: OnAbout(); break;
    default:
        if (shell::IsListCommand(id))
            OnListCommand(id);
        break;
    }
}

// ---------------------------------------------------------------------------------------------------
// Splash, help and closing

void CMainDialog::endStartUp()
{
    // A project a later start asked for meanwhile is taken now, before New Project would be offered.
    m_startUpEnded = true;
    emit startUpEnded();
}

void CMainDialog::OnSplashClosed()
{
    // The splash ended while a box of the start-up was up: New Project must not start inside the
    // start-up (over its box, or before the named project opened). It waits for the start-up's end,
    // which also says whether it is still wanted (a named project that could not be read).
    if (m_startingUp) {
        m_splashEndedWhileStarting = true;
        return;
    }
    endStartUp();
    if (!m_newProjectPending)
        return;
    m_newProjectPending = false;
    if (m_project.cpuCount == 0 && m_project.name[0] == 0)
        OnFileNewProject();
}

void CMainDialog::refreshLabels()
{
    if (m_project.treeItem)
        m_projectTree->RefreshTreeLabels(m_project);
    // The list's rows carry the same marks ("*" before an edited application) and footprints.
    if (!m_recordsFreed && currentNode().kind != engine::NodeNone)
        fillList(true);
}

bool CMainDialog::OnCancel()
{
    if (m_recordsFreed)
        return true;
    refreshLabels();
    if (!PromptSaveChanges(true, false)) {
        refreshLabels();
        return false;
    }
    m_tree->DeleteAllItems();
    m_listPane->Clear();
    engine::ConfigFile::FreeConfigRecord(m_config);
    engine::ProjectManager::FreeProject(m_project);
    m_recordsFreed = true;
    clearSelection();
    return true;
}

void CMainDialog::closeEvent(QCloseEvent* event)
{
    if (!OnCancel()) {
        event->ignore();
        return;
    }
    if (m_splash && m_splash->dialog())
        m_splash->dialog()->DestroyWindow();
    event->accept();
}

void CMainDialog::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc never close the main window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void CMainDialog::OnAbout()
{
    dialogs().ShowAbout(this);
}

void CMainDialog::openHelpFile(const char* path)
{
    const std::string file(path);
    const int result = platform::shellExecute("open", file);
    if (result <= 32)
        platform::messageBox("Unable to execute command \"open " + file + "\"\nReason: " +
                                 engine::ShellExecuteErrorText(result),
                             "Error", platform::MbOk | platform::MbIconError);
}

void CMainDialog::OnHelpContents()
{
    openHelpFile(m_config.helpFile);
}

void CMainDialog::OnReleaseNotes()
{
    openHelpFile(m_config.releaseNotesFile);
}

void CMainDialog::OnClearFileHistory()
{
    if (platform::messageBox("Are you sure you want to clear the File History?", "OMBAgen",
                             platform::MbYesNo | platform::MbIconError) == platform::IdYes)
        m_recent.Clear();
}
