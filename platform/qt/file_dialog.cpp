#include "platform/qt/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

namespace platform {

namespace {

// A dialog that keeps asking after patterns still ends: a person does not type this many of them.
constexpr int kMaxPatternRounds = 100;

} // namespace

void setUpFileDialog(QFileDialog& dialog, bool open, const QString& filterName, const QString& pattern,
                     const QString& defaultExtension)
{
    const QString shownPattern = QString(pattern).replace(u';', u' ');
    dialog.setNameFilter(filterName + QStringLiteral(" (") + shownPattern + QStringLiteral(")"));
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!defaultExtension.isEmpty())
        dialog.setDefaultSuffix(QString(defaultExtension).remove(u'.'));
    dialog.selectFile(shownPattern);
}

bool isNamePattern(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.contains(u'*') || name.contains(u'?');
}

void filterByTypedPattern(QFileDialog& dialog, const QString& path)
{
    const QFileInfo typed(path);
    dialog.setDirectory(typed.absolutePath());
    dialog.setNameFilter(typed.fileName());
    dialog.selectFile(typed.fileName());
}

void FileDialog::accept()
{
    // The pattern is caught before the dialog checks that the file exists (which an Open dialog would
    // report as a file not found).
    const QStringList files = selectedFiles();
    if (!files.isEmpty() && isNamePattern(files.first())) {
        filterByTypedPattern(*this, files.first());
        return;
    }
    QFileDialog::accept();
}

QString runFileDialog(QFileDialog& dialog)
{
    for (int round = 0; round < kMaxPatternRounds; ++round) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString chosen = dialog.selectedFiles().first();
        if (!isNamePattern(chosen))
            return chosen;
        filterByTypedPattern(dialog, chosen);
    }
    return {};
}

} // namespace platform
