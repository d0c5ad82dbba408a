#pragma once
// The file chooser of both programs. It lists a folder as the system names its entries, byte for byte,
// so a file or folder whose name does not decode in the locale is listed (drawn with the replacement
// character) and chosen by its own bytes; Qt's own file dialog drops such names. Open asks for a file that
// exists, Save names a file (no question about replacing one: the caller asks in its own box). The name
// box starts with the file kind's pattern; a pattern typed there ("*" or "?" in the last part) lists the
// folder by it and the chooser stays open; a folder typed or double-clicked is entered.

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform {

class FileDialog : public QDialog {
    Q_OBJECT

public:
    // folder: where the chooser starts, its own bytes (the working folder when empty).
    explicit FileDialog(QWidget* parent, const QString& caption = QString(), const std::string& folder = std::string());

    // Open an existing file (the default), or name one to save.
    void setOpen(bool open);
    bool isOpen() const { return m_open; }
    // The filters offered, "Name (pattern pattern ...)" each; the first is in force.
    void setNameFilters(const QStringList& filters);
    QStringList nameFilters() const;
    // The patterns the folder is listed by now.
    const QStringList& patterns() const { return m_patterns; }
    // Added with a dot to a name typed without an extension (none when empty).
    void setDefaultSuffix(const QString& suffix) { m_suffix = suffix; }
    const QString& defaultSuffix() const { return m_suffix; }
    void setFolder(const std::string& folder);
    const std::string& folder() const { return m_folder; }
    // Puts a name or a path into the name box.
    void selectFile(const QString& name);
    // Asked about a file chosen to open before the chooser closes; false keeps it open (the check says why).
    void setOpenCheck(std::function<bool(const std::string&)> check) { m_openCheck = std::move(check); }
    // The chosen file's path, its own bytes ("" until one was chosen).
    const std::string& chosen() const { return m_chosen; }

    QLineEdit* nameBox() const { return m_name; }
    QTreeWidget* list() const { return m_list; }

    void accept() override;

private:
    void relist();
    void enter(const std::string& folder);
    void onActivated(QTreeWidgetItem* item);
    void onCurrentChanged(QTreeWidgetItem* item);
    // A name typed in the box, as the path it names (its own bytes).
    std::string pathOf(const QString& typed) const;
    // Takes the path (a listed entry's, as its bytes, or a typed one) when it is what the chooser is for.
    void acceptPath(std::string path);

    bool m_open = true;
    std::string m_folder;
    std::string m_chosen;
    QString m_suffix;
    QStringList m_patterns;
    std::function<bool(const std::string&)> m_openCheck;
    QLineEdit* m_lookIn;
    QPushButton* m_up;
    QTreeWidget* m_list;
    QLineEdit* m_name;
    QComboBox* m_types;
    QDialogButtonBox* m_buttons;
};

// Sets the chooser up to open an existing file (`open`) or to name a file to save: the filter
// "filterName (pattern)" (a ";" between patterns shown as a blank), the pattern in the name box, and
// `defaultExtension` (without or with its dot; none when empty) added to a name typed without one.
void setUpFileDialog(FileDialog& dialog, bool open, const QString& filterName, const QString& pattern,
                     const QString& defaultExtension);

// True when the last part of a typed path holds "*" or "?": the user typed a pattern, not a name.
bool isNamePattern(const QString& path);

// Shows the chooser until the user chooses a file or cancels; the chosen path, its own bytes ("" on Cancel).
std::string runFileDialog(FileDialog& dialog);

} // namespace platform
