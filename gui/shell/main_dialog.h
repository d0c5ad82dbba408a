#pragma once
// The generator program's main window: the project tree, the object list beside it, the status line, and
// the File, Edit, Utilities and Help menus. It owns the configuration and project records, the project
// manager (whose tree host is the project tree) and the object list pane.
//
// The selection is kept as a tree item id and re-derived from the records whenever it is used, so no
// record pointer outlives a change of the project's arrays.
//
// The command handlers are spread over files by concern: main_dialog.cpp (start-up, menus, selection,
// closing), main_dialog_project.cpp (project commands and save prompts), main_dialog_edit.cpp (edit
// commands and context menus), main_dialog_generate.cpp (code generation and printing) and
// main_dialog_utilities.cpp (the utility scripts).

#include "gui/shell/command_state.h"
#include "gui/shell/drag_tree_ctrl.h"
#include "gui/shell/object_list_pane.h"
#include "gui/shell/project_tree.h"
#include "gui/shell/recent_project_list.h"
#include "gui/shell/utility_script.h"

#include "engine/names/tree_items.h"
#include "engine/ops/project_manager.h"
#include "engine/project/save_with_one_message.h"
#include "engine/records/records.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMenu;
class QAction;
class SplashController;

namespace shell {
class MainPanes;
class ShellDialogs;
} // namespace shell

class CMainDialog : public QMainWindow, public DragTreeOwner {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 102;
    static constexpr int kStatusId = 1119;

    struct StartOptions {
        unsigned splashSeconds = 5; // 0: no splash
    };

    explicit CMainDialog(QWidget* parent = nullptr);
    ~CMainDialog() override;

    // The start-up of the window: configuration, image list, command line, first project, splash.
    void Initialize(const std::vector<std::string>& arguments, const StartOptions& options);

    // ---- records and parts
    engine::ProjectRecord& GetProject() { return m_project; }
    engine::ConfigRecord& config() { return m_config; }
    engine::ProjectManager& manager() { return *m_manager; }
    shell::ProjectTree& GetProjectView() { return *m_projectTree; }
    DragTreeCtrl* tree() const { return m_tree; }
    ObjectListPane& listPane() { return *m_listPane; }
    QLabel* statusLine() const { return m_status; }
    RecentProjectList& recentList() { return m_recent; }
    QMenu* utilitiesMenu() const { return m_utilitiesMenu; }
    QAction* action(int commandId) const;
    // The dialogs the commands run (null restores the real ones; not owned).
    void setDialogs(shell::ShellDialogs* dialogs);
    shell::ShellDialogs& dialogs();

    // The running main window's records (null before one runs).
    static engine::ProjectRecord* GetCurrentProject();
    static engine::ConfigRecord* GetConfigRecord();

    // ---- command line
    void ParseCommandLine(const std::vector<std::string>& arguments);
    std::string GetCommandLineArg(int n) const;

    // ---- selection and command state
    engine::TreeNode currentNode();
    int nodeKind();
    uint32_t selectedItem() const { return m_selectedItem; }
    const shell::CommandState& commandState() const { return m_state; }
    void OnTreeSelChanged(uint32_t item);
    void UpdateMenus(int kind = 0);
    void SetStatusText(const std::string& text);
    void UpdateFootprintStatus(engine::ApplicationRecord* application, bool show);
    void OnCommand(int commandId);

    // ---- splash and closing
    SplashController* splash() const { return m_splash.get(); }
    void OnSplashClosed();
    // The save prompts; true when the window may close (the records are then freed).
    bool OnCancel();
    void OnAbout();
    void OnHelpContents();
    void OnReleaseNotes();
    void OnClearFileHistory();

    // ---- project commands
    int PromptSaveChanges(bool ask, bool saveWhenNotAsking);
    int CloseProject(bool ask);
    void OnFileNewProject();
    void OnFileOpenProject();
    bool OpenProjectFile(const std::string& path, bool ask);
    // A later start's request, taken when the window is free: no start-up, box, dialog or menu is up.
    bool IsFreeForRequest() const;
    // Comes forward, and opens `path` (when not empty) as File > Open does.
    void TakeRequest(const std::string& path);
signals:
    // The start-up has ended, the splash too: the requests of later starts may be taken from now on.
    void startUpEnded();

public:
    void OnFileSaveProject();
    void OnFileSaveProjectAs();
    void OnFileCloseProject();
    void OnFileSaveAll();
    // Queues one rebuild of the tree (several requests before it runs give one rebuild).
    void PostProjectChanged();
    void ReloadProjectTree();
    void OnRestoreTreeState();
    // The MP attribute of an application, with its checks and node-name prompts; 1 when changed.
    int SetApplicationMp(engine::ApplicationRecord& application, bool enable, bool interactive);

    // ---- edit commands
    void OnEditAdd() override;
    void OnEditDelete() override;
    void OnEditChange() override;
    void OnEditDynamics();
    void OnEditUserText();
    void OnTreeSaveNode();
    void OnTreeMarkDirty();
    void OnTreeExpand();
    void OnObjectEnableMp();
    void OnApplicationEnableMp();
    void OnObjectToggleEnable();
    int SetObjectGlobal(engine::ObjectRecord& object, bool enable, bool interactive);
    // The context menu items of a node (tree: the tree's ids; else the list's).
    std::vector<shell::MenuItem> ContextMenuItems(uint32_t item, bool tree);
    void ShowContextMenu(uint32_t item, bool tree, const QPoint& globalPos);
    void OnListCommand(int commandId);
    void setListContextItem(uint32_t item, int chainDepth = 0)
    {
        m_listContextItem = item;
        m_listContextDepth = chainDepth;
    }
    bool CanDragTreeItem(uint32_t item) override;
    bool CanDropTreeItem(uint32_t target, uint32_t dragged) override;
    void DropTreeItem(uint32_t target, uint32_t dragged) override;
    void RecordTreeExpansion(uint32_t item, bool expanded) override;
    // Marks every enabled class entry of that type on a CPU with bit value 2 in both words.
    void MarkGlobalClass(int32_t classType);

    // ---- code generation and printing
    void OnFileGenerateCode();
    void OnFileGenerateAll();
    void OnFilePrint();
    void GenerateProject(bool all);
    void GenerateCpu(engine::CpuRecord& cpu, bool all);
    void GenerateApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application, bool all);
    void PrintNode(engine::CpuRecord& cpu, engine::ApplicationRecord& application);

    // ---- utilities
    void RebuildUtilitiesMenu();
    const std::vector<std::string>& utilityCommands() const { return m_utilityCommands; }
    void RunUtility(int index);
    void RunUtilityScript(int index, const std::string& command);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void endStartUp();
    void buildMenus();
    QAction* addCommand(QMenu* menu, const QString& text, int id);
    void setSelection(uint32_t item);
    // Makes `item` the current node again after a command ran on another one, refilling the list for it.
    void restoreSelection(uint32_t item);
    void clearSelection();
    // Shows the selected node's children; keepRows only brings the texts of the rows up to date.
    void fillList(bool keepRows = false);
    void openHelpFile(const char* path);
    void refreshLabels();
    void applyMpChecksAfterOpen(bool interactive);
    using SaveResult = engine::SaveEnd;
    // Writes one file (asking for a name when it has none); Cancelled when no name was chosen.
    SaveResult writeApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application);
    SaveResult writeKernel(engine::CpuRecord& cpu);
    // True when written, or when a name was not chosen outside a prompt.
    bool saveApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application, bool fromPrompt);
    bool saveKernel(engine::CpuRecord& cpu, bool fromPrompt);
    // The save prompts; with failed given, a file that cannot be written is listed there and the next one
    // is written all the same.
    int saveChanges(bool ask, bool saveWhenNotAsking, std::vector<std::string>* failed);
    void onListDoubleClicked(QTreeWidgetItem* row);
    bool eventFilter(QObject* watched, QEvent* event) override;
public:
    // The list's keys: Ctrl (Change), Insert (Add), Delete (Delete) on the row's node with the tree's
    // selection put back after, Space (select and toggle), Home (the root); true when handled.
    bool OnListKeyDown(int key);
    // Change on a list row of a class entry chained to another: that entry's class options. False when
    // the row is no such entry.
    bool changeChainedClassEntry(uint32_t item, int depth);
private:
    bool addByKind(const engine::TreeNode& node);
    // Selects the item again after a list command (or the parent of the selection when the item went in a
    // rebuild) and keeps that selection for the next rebuild.
    void reselect(uint32_t item);
    // Generates the applications the selected node stands for (all of them for the project or none).
    void generateForNode(bool all);

    engine::ConfigRecord m_config;
    engine::ProjectRecord m_project;
    DragTreeCtrl* m_tree;
    QTreeWidget* m_list;
    QLabel* m_status;
    shell::MainPanes* m_panes;
    std::unique_ptr<shell::ProjectTree> m_projectTree;
    std::unique_ptr<engine::ProjectManager> m_manager;
    std::unique_ptr<ObjectListPane> m_listPane;
    RecentProjectList m_recent;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_utilitiesMenu = nullptr;
    std::vector<std::string> m_utilityCommands;
    std::vector<std::string> m_arguments;
    std::unique_ptr<SplashController> m_splash;
    shell::ShellDialogs* m_dialogs = nullptr;

    uint32_t m_selectedItem = 0;
    uint32_t m_listContextItem = 0;
    int m_listContextDepth = 0; // the context row's place in a chain of class entries
    shell::CommandState m_state;
    bool m_reloadQueued = false;
    bool m_closed = false;
    bool m_recordsFreed = false;
    // The automatic New Project after the splash is offered once (the program has one main window), and
    // only when no project was named on the command line.
    bool m_newProjectPending = true;
    // The start-up (configuration and first project) is under way: its boxes hold the splash's end back.
    bool m_startingUp = false;
    bool m_splashEndedWhileStarting = false;
    // The start-up has ended, the splash too: the requests of later starts may be taken.
    bool m_startUpEnded = false;
};
