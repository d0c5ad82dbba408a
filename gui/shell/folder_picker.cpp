#include "folder_picker.h"

#include "engine/util/file_io.h"
#include "gui/layout/dialog_maps.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

#include <QSocketNotifier>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <set>
#include <sstream>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace shell {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kFilledRole = Qt::UserRole + 2;
constexpr int kMaxDepth = 256;

bool isPseudo(const std::string& type)
{
    static const std::set<std::string> pseudo = {
        "proc",   "sysfs",    "devtmpfs", "devpts",    "cgroup",    "cgroup2", "securityfs", "debugfs",
        "tracefs", "pstore",  "bpf",      "mqueue",    "hugetlbfs", "configfs", "fusectl",   "autofs",
        "binfmt_misc", "rpc_pipefs", "nsfs", "efivarfs", "selinuxfs", "ramfs"};
    return pseudo.count(type) != 0;
}

DriveKind kindOf(const std::string& type, const std::string& root)
{
    if (type == "nfs" || type == "nfs4" || type == "cifs" || type == "smb3" || type == "smbfs" ||
        type.rfind("fuse.sshfs", 0) == 0 || type == "9p")
        return DriveKind::Network;
    if (type == "iso9660" || type == "udf")
        return DriveKind::Cd;
    if (type == "tmpfs")
        return DriveKind::Ram;
    if (root.rfind("/media/", 0) == 0 || root.rfind("/run/media/", 0) == 0)
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

// The mount table escapes blanks and a few other characters as octal "\040".
std::string unescapeMount(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const std::string digits = text.substr(i + 1, 3);
            if (digits.size() == 3 && digits.find_first_not_of("01234567") == std::string::npos) {
                result += static_cast<char>(std::stoi(digits, nullptr, 8));
                i += 3;
                continue;
            }
        }
        result += text[i];
    }
    return result;
}

bool isFolder(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The most entries of one folder that are looked at; a folder with more lists the first of them.
constexpr int kMaxEntries = 100000;

// The folders one may enter below path, by the bytes of their names: hidden ones, those reached through
// a symbolic link, and those whose names do not decode in the locale alike. Sorted as the tree shows them.
std::vector<std::string> subFolders(const std::string& path)
{
    std::vector<std::pair<QString, std::string>> found;
    if (DIR* folder = ::opendir(path.c_str())) {
        int count = 0;
        while (const dirent* entry = ::readdir(folder)) {
            if (++count > kMaxEntries)
                break;
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            if (isFolder(joinPath(path, name)))
                found.emplace_back(platform::toQString(name), name);
        }
        ::closedir(folder);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto& [shown, name] : found)
        names.push_back(std::move(name));
    return names;
}

bool hasSubFolders(const std::string& path)
{
    return !subFolders(path).empty();
}

// A path's bytes as an item keeps them.
// The item keeps its path as text that turns back into the same bytes.
QString bytesOf(const std::string& path)
{
    return platform::toQString(path);
}

// A folder item for name (its bytes) below the folder path, not yet placed in the tree. A name that does
// not decode shows with the replacement character; the item keeps the bytes.
QTreeWidgetItem* newFolderItem(const std::string& folder, const std::string& name, const QIcon& icon)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, platform::toQString(name));
    item->setIcon(0, icon);
    item->setData(0, kPathRole, bytesOf(joinPath(folder, name)));
    return item;
}

} // namespace

std::vector<MountedDrive> ParseMountTable(const std::string& table)
{
    std::vector<MountedDrive> drives;
    std::set<std::string> seen;
    std::istringstream lines(table);
    std::string line;
    for (int count = 0; count < 4096 && std::getline(lines, line); ++count) {
        std::istringstream fields(line);
        std::string device, root, type;
        if (!(fields >> device >> root >> type))
            continue;
        root = unescapeMount(root);
        if (isPseudo(type) || root.empty() || root[0] != '/' || root.rfind("/proc", 0) == 0 ||
            root.rfind("/sys", 0) == 0 || root.rfind("/dev", 0) == 0 || !seen.insert(root).second)
            continue;
        MountedDrive drive{root, kindOf(type, root)};
        if (root == "/")
            drives.insert(drives.begin(), drive);
        else
            drives.push_back(drive);
    }
    return drives;
}

std::vector<MountedDrive> MountedDrives()
{
    std::string table;
    if (engine::ReadWholeFile("/proc/self/mounts", table) != engine::ReadResult::Ok)
        return {{"/", DriveKind::Fixed}};
    std::vector<MountedDrive> drives = ParseMountTable(table);
    if (drives.empty())
        drives.push_back({"/", DriveKind::Fixed});
    return drives;
}

} // namespace shell

FolderTreeCtrl::FolderTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    platform::setControlId(this, kControlId);
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::itemExpanded, this, &FolderTreeCtrl::onExpanding);
    connect(this, &QTreeWidget::itemCollapsed, this, &FolderTreeCtrl::onCollapsed);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item, QTreeWidgetItem*) {
        // Only a selected item counts: on focus the view makes its first row current without selecting
        // it, and that is no choice of the user's.
        if (!item || !item->isSelected())
            return;
        const std::string path = PathOf(item);
        if (!shell::isFolder(path)) {
            delete item;
            return;
        }
        emit folderSelected(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    });
    if (m_watch.Descriptor() >= 0) {
        m_changes = new QSocketNotifier(m_watch.Descriptor(), QSocketNotifier::Read, this);
        connect(m_changes, &QSocketNotifier::activated, this, [this] {
            for (const std::string& path : m_watch.TakeChanged())
                RefreshFolder(path);
        });
    }
}

void FolderTreeCtrl::Initialize(const std::vector<shell::MountedDrive>& drives)
{
    m_drives = drives;
    clear();
    const QIcon driveIcon = style()->standardIcon(QStyle::SP_DriveHDIcon);
    const QIcon netIcon = style()->standardIcon(QStyle::SP_DriveNetIcon);
    const QIcon cdIcon = style()->standardIcon(QStyle::SP_DriveCDIcon);
    for (const shell::MountedDrive& drive : drives) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(0, platform::toQString(drive.root));
        item->setData(0, shell::kPathRole, shell::bytesOf(drive.root));
        item->setIcon(0, drive.kind == shell::DriveKind::Network ? netIcon
                         : drive.kind == shell::DriveKind::Cd    ? cdIcon
                                                                 : driveIcon);
        if (drive.kind == shell::DriveKind::Network || drive.kind == shell::DriveKind::Cd ||
            drive.kind == shell::DriveKind::Removable) {
            // Read only when expanded.
            new QTreeWidgetItem(item);
        } else {
            fill(item);
            m_watch.Add(drive.root);
        }
    }
}

std::string FolderTreeCtrl::PathOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return {};
    return platform::toBytes(item->data(0, shell::kPathRole).toString());
}

void FolderTreeCtrl::markExpandable(QTreeWidgetItem* item)
{
    const bool sub = shell::hasSubFolders(PathOf(item));
    if (sub && item->childCount() == 0)
        new QTreeWidgetItem(item);
    else if (!sub)
        qDeleteAll(item->takeChildren());
}

void FolderTreeCtrl::fill(QTreeWidgetItem* item)
{
    qDeleteAll(item->takeChildren());
    const std::string path = PathOf(item);
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const std::string& name : shell::subFolders(path)) {
        QTreeWidgetItem* child = shell::newFolderItem(path, name, folderIcon);
        item->addChild(child);
        markExpandable(child);
    }
    item->setData(0, shell::kFilledRole, true);
}

void FolderTreeCtrl::onExpanding(QTreeWidgetItem* item)
{
    const std::string path = PathOf(item);
    if (!shell::isFolder(path)) {
        delete item;
        return;
    }
    fill(item);
    if (item->childCount() == 0) {
        item->setExpanded(false);
        return;
    }
    m_watch.Add(path);
}

void FolderTreeCtrl::onCollapsed(QTreeWidgetItem* item)
{
    if (item->parent())
        m_watch.Remove(PathOf(item));
    qDeleteAll(item->takeChildren());
    if (shell::hasSubFolders(PathOf(item)))
        new QTreeWidgetItem(item);
}

QTreeWidgetItem* FolderTreeCtrl::driveOf(const std::string& path) const
{
    QTreeWidgetItem* best = nullptr;
    std::size_t bestLength = 0;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* drive = topLevelItem(i);
        const std::string root = PathOf(drive);
        const bool under = path == root || (path.rfind(root, 0) == 0 && (root.back() == '/' || path[root.size()] == '/'));
        if (under && root.size() >= bestLength) {
            best = drive;
            bestLength = root.size();
        }
    }
    return best;
}

QTreeWidgetItem* FolderTreeCtrl::walkTo(const std::string& path, bool fillOnTheWay)
{
    QTreeWidgetItem* item = driveOf(path);
    for (int depth = 0; item && PathOf(item) != path && depth < shell::kMaxDepth; ++depth) {
        if (fillOnTheWay) {
            if (!item->data(0, shell::kFilledRole).toBool())
                fill(item);
            item->setExpanded(true);
        }
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < item->childCount() && !next; ++i) {
            const std::string childPath = PathOf(item->child(i));
            if (!childPath.empty() && (path == childPath || path.rfind(childPath + "/", 0) == 0))
                next = item->child(i);
        }
        item = next;
    }
    return item;
}

QTreeWidgetItem* FolderTreeCtrl::findItem(const std::string& path)
{
    return walkTo(path, false);
}

bool FolderTreeCtrl::SelectPath(const std::string& rawPath)
{
    std::string path = rawPath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    QTreeWidgetItem* item = walkTo(path, true);
    if (!item)
        return false;
    setCurrentItem(item);
    scrollToItem(item);
    return true;
}

void FolderTreeCtrl::refreshItem(QTreeWidgetItem* item, int depth)
{
    const std::string path = PathOf(item);
    if (!item->isExpanded() || item->childCount() == 0) {
        if (item->parent())
            markExpandable(item);
        return;
    }
    // Children are matched by their bytes: two names that do not decode may show alike.
    const std::vector<std::string> names = shell::subFolders(path);
    std::set<std::string> wanted;
    for (const std::string& name : names)
        wanted.insert(shell::joinPath(path, name));
    std::set<std::string> kept;
    for (int i = item->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* child = item->child(i);
        const std::string childPath = PathOf(child);
        if (!childPath.empty() && wanted.count(childPath) && kept.insert(childPath).second) {
            // A kept folder may have gained or lost folders of its own: its mark, or its open list, follows.
            if (depth < shell::kMaxDepth)
                refreshItem(child, depth + 1);
            continue;
        }
        delete child;
    }
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (std::size_t n = 0; n < names.size(); ++n) {
        const std::string childPath = shell::joinPath(path, names[n]);
        if (kept.count(childPath))
            continue;
        QTreeWidgetItem* child = shell::newFolderItem(path, names[n], folderIcon);
        // Every name before it in the listing is in the tree by now, in the same order.
        item->insertChild(std::min(static_cast<int>(n), item->childCount()), child);
        kept.insert(childPath);
        markExpandable(child);
    }
}

void FolderTreeCtrl::RefreshFolder(const std::string& path)
{
    if (QTreeWidgetItem* item = findItem(path)) {
        if (PathOf(item) == path)
            refreshItem(item, 0);
    }
}

CSelectFolderDialog::CSelectFolderDialog(QWidget* parent, const std::string& initialFolder, const std::string& purpose)
    : CDynamicDialog(kTemplateId, parent), m_folder(initialFolder), m_purpose(purpose)
{
    ModifyFlags(FlagCopyBits, 0);
    setWindowTitle(QStringLiteral("Select Folder"));
    resize(360, 420);
    m_tree = new FolderTreeCtrl(this);
    m_tree->setGeometry(8, 8, 344, 334);
    m_edit = new QLineEdit(this);
    m_edit->setGeometry(8, 350, 344, 24);
    platform::setControlId(m_edit, kFolderEditId);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(80, 384, 90, 26);
    ok->setDefault(true);
    platform::setControlId(ok, IdOk);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setGeometry(190, 384, 90, 26);
    platform::setControlId(cancel, IdCancel);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_tree, &FolderTreeCtrl::folderSelected, this, [this](const QByteArray& path) {
        m_folder = std::string(path.constData(), static_cast<std::size_t>(path.size()));
        if (m_initialized)
            showFolder();
    });
}

const layout::DynamicMapEntry* CSelectFolderDialog::GetDynamicMap() const
{
    return layout::kSelectFolderDialogMap;
}

bool CSelectFolderDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    if (!m_purpose.empty())
        setWindowTitle(platform::captionText(windowTitle() + QStringLiteral(" for ") + platform::toQString(m_purpose)));
    const std::string initial = m_folder;
    m_tree->Initialize(m_drivesGiven ? m_drives : shell::MountedDrives());
    m_folder = initial;
    if (!m_folder.empty() && !shell::isFolder(m_folder)) {
        const int answer = platform::messageBox("Folder '" + m_folder + "' does not exist.\nCreate?", "",
                                                platform::MbYesNo | platform::MbIconQuestion);
        if (answer == platform::IdYes) {
            ::mkdir(m_folder.c_str(), 0777); // the folder's own bytes; the umask decides its mode
            if (!shell::isFolder(m_folder)) {
                platform::messageBox("Folder '" + m_folder + "' could not be created. It will be ignored.", "",
                                     platform::MbOk | platform::MbIconInformation);
                m_folder.clear();
            }
        } else {
            platform::messageBox("Folder '" + m_folder + "' will be ignored.", "",
                                 platform::MbOk | platform::MbIconInformation);
            m_folder.clear();
        }
    }
    if (!m_folder.empty())
        m_tree->SelectPath(m_folder);
    m_initialized = true;
    showFolder();
    return true;
}

void CSelectFolderDialog::showFolder()
{
    m_shownFolder = platform::toQString(m_folder);
    m_edit->setText(m_shownFolder);
}

void CSelectFolderDialog::OnOK()
{
    // A folder shown as chosen keeps its own bytes (its name may not decode); a typed one is taken as
    // the file system spells it.
    if (m_edit->text() != m_shownFolder)
        m_folder = platform::toBytes(m_edit->text());
    CDynamicDialog::OnOK();
}
