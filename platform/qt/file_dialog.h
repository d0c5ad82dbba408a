#pragma once
// The file dialog as the programs' file choosers show it: the filter of the file kind, the file-name box
// starting with the kind's pattern, and a pattern typed there taken as a filter, never as a file name.

#include <QFileDialog>
#include <QString>

namespace platform {

// A file dialog that takes a pattern typed into its name box ("*" or "?" in the last part) as a filter
// when the user accepts it, in Open and Save alike: the folder is listed by it and the dialog stays open.
class FileDialog : public QFileDialog {
    Q_OBJECT

public:
    using QFileDialog::QFileDialog;

    void accept() override;
};

// Lists the dialog's folder (or the folder the pattern names) by the pattern in the last part of path.
void filterByTypedPattern(QFileDialog& dialog, const QString& path);

// Sets the dialog up to open an existing file (`open`) or to name a file to save: the filter
// "filterName (pattern)" (a ";" between patterns shown as a blank), the pattern in the file-name box, and
// `defaultExtension` (without or with its dot; none when empty) added to a name typed without one.
void setUpFileDialog(QFileDialog& dialog, bool open, const QString& filterName, const QString& pattern,
                     const QString& defaultExtension);

// True when the last part of a chosen path holds "*" or "?": the user typed a pattern, not a name.
bool isNamePattern(const QString& path);

// Shows the dialog until the user chooses a file or cancels, and returns the chosen path ("" on Cancel).
// A pattern typed into the file-name box lists the folder by that pattern and the dialog asks again.
QString runFileDialog(QFileDialog& dialog);

} // namespace platform
