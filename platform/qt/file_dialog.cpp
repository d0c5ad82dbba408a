#include "platform/qt/file_dialog.h"

#include "platform/core/folder_entries.h"
#include "platform/core/message_service.h"
#include "platform/qt/locale_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include <fnmatch.h>
#include <sys/stat.h>

namespace platform {

namespace {

constexpr int kNameRole = Qt::UserRole;       // the entry's name, its own bytes
constexpr int kFolderRole = Qt::UserRole + 1; // whether the entry is a folder

QByteArray bytesOf(const std::string& text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytesOf(const QByteArray& data)
{
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

// The patterns of a filter "Name (a b)": the words between its last parentheses, or the whole text.
QStringList patternsOf(const QString& filter)
{
    const qsizetype open = filter.lastIndexOf(u'(');
    const qsizetype close = filter.lastIndexOf(u')');
    const QString words = open >= 0 && close > open ? filter.mid(open + 1, close - open - 1) : filter;
    return words.split(u' ', Qt::SkipEmptyParts);
}

// The folder a path lies in and its last part ("/" for a path right under the root).
std::pair<std::string, std::string> splitPath(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {slash == 0 ? std::string("/") : path.substr(0, slash), path.substr(slash + 1)};
}

std::string joined(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

FileDialog::FileDialog(QWidget* parent, const QString& caption, const std::string& folder)
    : QDialog(parent)
    , m_lookIn(new QLineEdit(this))
    , m_up(new QPushButton(this))
    , m_list(new QTreeWidget(this))
    , m_name(new QLineEdit(this))
    , m_types(new QComboBox(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(captionText(caption));
    m_lookIn->setObjectName(QStringLiteral("lookInEdit"));
    m_lookIn->setReadOnly(true);
    m_up->setObjectName(QStringLiteral("upButton"));
    m_up->setIcon(style()->standardIcon(QStyle::SP_FileDialogToParent));
    m_up->setToolTip(QStringLiteral("Up One Level"));
    m_up->setAutoDefault(false);
    m_list->setObjectName(QStringLiteral("fileList"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Name")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_name->setObjectName(QStringLiteral("fileNameEdit"));
    m_types->setObjectName(QStringLiteral("fileTypeCombo"));

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Look in:"), this), 0, 0);
    grid->addWidget(m_lookIn, 0, 1);
    grid->addWidget(m_up, 0, 2);
    grid->addWidget(m_list, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("File name:"), this), 2, 0);
    grid->addWidget(m_name, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Files of type:"), this), 3, 0);
    grid->addWidget(m_types, 3, 1, 1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_buttons);
    resize(560, 380);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &FileDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &FileDialog::reject);
    connect(m_up, &QPushButton::clicked, this, [this] { enter(splitPath(m_folder).first); });
    connect(m_list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) { onActivated(item); });
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { onCurrentChanged(item); });
    connect(m_types, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) {
            m_patterns = patternsOf(m_types->itemText(index));
            relist();
        }
    });
    setOpen(true);
    setFolder(folder.empty() ? WorkingFolder() : folder);
    m_name->setFocus();
}

void FileDialog::setOpen(bool open)
{
    m_open = open;
    m_buttons->button(QDialogButtonBox::Open)->setText(open ? QStringLiteral("&Open") : QStringLiteral("&Save"));
}

void FileDialog::setNameFilters(const QStringList& filters)
{
    const QSignalBlocker block(m_types);
    m_types->clear();
    m_types->addItems(filters);
    m_types->setCurrentIndex(filters.isEmpty() ? -1 : 0);
    m_patterns = filters.isEmpty() ? QStringList() : patternsOf(filters.front());
    relist();
}

QStringList FileDialog::nameFilters() const
{
    QStringList filters;
    for (int i = 0; i < m_types->count(); ++i)
        filters << m_types->itemText(i);
    return filters;
}

void FileDialog::setFolder(const std::string& folder)
{
    m_folder = folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
    m_lookIn->setText(toQString(m_folder));
    m_up->setEnabled(m_folder != "/");
    relist();
}

void FileDialog::selectFile(const QString& name)
{
    m_list->setCurrentItem(nullptr);
    m_name->setText(name);
}

void FileDialog::enter(const std::string& folder)
{
    if (folder.empty() || !IsFolder(folder))
        return;
    setFolder(folder);
}

void FileDialog::relist()
{
    const QSignalBlocker block(m_list);
    m_list->clear();
    std::vector<FolderEntry> entries;
    if (!ListFolder(m_folder, entries))
        return;
    std::vector<std::string> patterns;
    for (const QString& pattern : m_patterns)
        patterns.push_back(toBytes(pattern));
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    // Folders first, then the files the patterns take; hidden entries (a leading dot) are not offered.
    for (const bool folders : {true, false}) {
        for (const FolderEntry& entry : entries) {
            if (entry.folder != folders || entry.name.front() == '.')
                continue;
            if (!folders && !patterns.empty() &&
                std::none_of(patterns.begin(), patterns.end(), [&](const std::string& pattern) {
                    return ::fnmatch(pattern.c_str(), entry.name.c_str(), 0) == 0;
                }))
                continue;
            auto* item = new QTreeWidgetItem(m_list);
            item->setText(0, toQString(entry.name));
            item->setIcon(0, folders ? folderIcon : fileIcon);
            item->setData(0, kNameRole, bytesOf(entry.name));
            item->setData(0, kFolderRole, folders);
        }
    }
}

void FileDialog::onCurrentChanged(QTreeWidgetItem* item)
{
    if (item && !item->data(0, kFolderRole).toBool())
        m_name->setText(toQString(bytesOf(item->data(0, kNameRole).value<QByteArray>())));
}

void FileDialog::onActivated(QTreeWidgetItem* item)
{
    if (!item)
        return;
    const std::string name = bytesOf(item->data(0, kNameRole).value<QByteArray>());
    if (item->data(0, kFolderRole).toBool()) {
        enter(joined(m_folder, name));
        return;
    }
    // A listed file is chosen by its bytes, whatever its name holds (a '*' or '?' included).
    m_name->setText(toQString(name));
    acceptPath(joined(m_folder, name));
}

std::string FileDialog::pathOf(const QString& typed) const
{
    // The file chosen in the list, when the name box still shows its name: its own bytes.
    if (QTreeWidgetItem* item = m_list->currentItem(); item && !item->data(0, kFolderRole).toBool()) {
        const std::string name = bytesOf(item->data(0, kNameRole).value<QByteArray>());
        if (toQString(name) == typed)
            return joined(m_folder, name);
    }
    const std::string bytes = toBytes(typed);
    if (!bytes.empty() && bytes.front() == '/')
        return bytes;
    return joined(m_folder, bytes);
}

void FileDialog::accept()
{
    const QString typed = m_name->text();
    if (typed.isEmpty()) {
        // Nothing typed: a folder chosen in the list is entered.
        if (QTreeWidgetItem* item = m_list->currentItem(); item && item->data(0, kFolderRole).toBool())
            onActivated(item);
        return;
    }
    const std::string path = pathOf(typed);
    // A name with '*' or '?' is a filter only when no entry has that name.
    struct stat info {};
    if (isNamePattern(typed) && ::lstat(path.c_str(), &info) != 0) {
        // A pattern lists its folder by it; the chooser stays open.
        const auto [folder, pattern] = splitPath(path);
        m_patterns = QStringList{toQString(pattern)};
        if (IsFolder(folder) && folder != m_folder)
            setFolder(folder);
        else
            relist();
        m_name->setText(toQString(pattern));
        return;
    }
    acceptPath(path);
}

void FileDialog::acceptPath(std::string path)
{
    if (IsFolder(path)) {
        enter(path);
        m_name->clear();
        return;
    }
    if (!m_open && !m_suffix.isEmpty() && splitPath(path).second.find('.') == std::string::npos)
        path += "." + toBytes(m_suffix);
    if (m_open) {
        if (m_openCheck) {
            if (!m_openCheck(path))
                return;
        } else if (!IsRegularFile(path)) {
            messageBox(path + "\nFile not found.\nCheck the file name and try again.", toBytes(windowTitle()),
                       MbOk | MbIconWarning);
            return;
        }
    }
    m_chosen = path;
    QDialog::accept();
}

void setUpFileDialog(FileDialog& dialog, bool open, const QString& filterName, const QString& pattern,
                     const QString& defaultExtension)
{
    const QString shownPattern = QString(pattern).replace(u';', u' ');
    dialog.setOpen(open);
    dialog.setNameFilters({filterName + QStringLiteral(" (") + shownPattern + QStringLiteral(")")});
    dialog.setDefaultSuffix(QString(defaultExtension).remove(u'.'));
    dialog.selectFile(shownPattern);
}

bool isNamePattern(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    return name.contains(u'*') || name.contains(u'?');
}

std::string runFileDialog(FileDialog& dialog)
{
    // A pattern typed into the name box is taken by the chooser itself: it lists the folder and stays.
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : std::string();
}

} // namespace platform
