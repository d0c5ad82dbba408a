#pragma once
// "Select Folder": a tree of the mounted file systems and their folders, filled on demand, and an edit
// for typing a folder. The tree keeps itself current: the roots of local file systems and every expanded
// folder are watched (inotify), and a change refreshes that part of the tree. Network file systems are
// read only when the user expands them. Every folder one may enter is listed, those reached through a
// symbolic link too; a name that does not decode in the locale shows with the replacement character and
// the folder is still reached by its own bytes.

#include "gui/layout/dynamic_dialog.h"
#include "platform/core/folder_watch.h"

#include <QTreeWidget>

#include <string>
#include <vector>

class QLineEdit;
class QSocketNotifier;

namespace shell {

enum class DriveKind { Fixed = 0, Removable = 1, Cd = 2, Network = 3, Ram = 4 };

struct MountedDrive {
    std::string root;
    DriveKind kind = DriveKind::Fixed;
};

// The mounted file systems worth offering, from a mount table in the /proc/self/mounts format: pseudo
// file systems are left out, "/" comes first, the rest in table order.
std::vector<MountedDrive> ParseMountTable(const std::string& table);
std::vector<MountedDrive> MountedDrives();

} // namespace shell

class FolderTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 1154;

    explicit FolderTreeCtrl(QWidget* parent = nullptr);

    // Adds the drives and starts watching them.
    void Initialize(const std::vector<shell::MountedDrive>& drives);
    // Expands the tree down to the folder and selects it; false when the path is not in the tree.
    bool SelectPath(const std::string& path);
    std::string PathOf(const QTreeWidgetItem* item) const;
    // Brings an item's children in line with the disk (the watcher calls it for a changed folder).
    void RefreshFolder(const std::string& path);
    // Whether changes of the folder (as the system names it) are watched.
    bool Watching(const std::string& path) const { return m_watch.Watching(path); }
    // The item of a folder already in the tree, or null.
    QTreeWidgetItem* findItem(const std::string& path);

signals:
    // The folder's path in its own bytes.
    void folderSelected(const QByteArray& path);

private:
    void fill(QTreeWidgetItem* item);
    void markExpandable(QTreeWidgetItem* item);
    void onExpanding(QTreeWidgetItem* item);
    void onCollapsed(QTreeWidgetItem* item);
    // Follows the disk under the item: its children and, down the open ones, theirs (depth: how far down).
    void refreshItem(QTreeWidgetItem* item, int depth);
    QTreeWidgetItem* driveOf(const std::string& path) const;
    // Follows the path down from its drive, filling and expanding on the way when asked; the last item
    // reached on the path (null when it leaves the tree).
    QTreeWidgetItem* walkTo(const std::string& path, bool fillOnTheWay);

    platform::FolderWatch m_watch;
    QSocketNotifier* m_changes = nullptr;
    std::vector<shell::MountedDrive> m_drives;
};

class CSelectFolderDialog : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 183;
    static constexpr int kFolderEditId = 1155;

    CSelectFolderDialog(QWidget* parent, const std::string& initialFolder, const std::string& purpose);

    const std::string& GetFolder() const { return m_folder; }
    FolderTreeCtrl* tree() const { return m_tree; }
    QLineEdit* folderEdit() const { return m_edit; }
    // The drives the tree offers (the mounted file systems unless a test gives others).
    void setDrives(std::vector<shell::MountedDrive> drives) { m_drives = std::move(drives); m_drivesGiven = true; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    // Shows the chosen folder in the edit.
    void showFolder();

    FolderTreeCtrl* m_tree;
    QLineEdit* m_edit;
    std::string m_folder;
    QString m_shownFolder;
    std::string m_purpose;
    bool m_initialized = false;
    std::vector<shell::MountedDrive> m_drives;
    bool m_drivesGiven = false;
};
