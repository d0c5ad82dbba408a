#include "qt_file_chooser.h"

#include "platform/qt/latin1.h"
#include "platform/qt/wait_cursor.h"

#include <QFileDialog>

namespace shell {

std::string QtFileChooser::Choose(bool open, int kind, const std::string& title)
{
    const engine::FileKindFilter filter = engine::FileKindFilterOf(kind);
    QString filterText = QString::fromLatin1(filter.name) + QStringLiteral(" (") +
                         QString::fromLatin1(filter.pattern).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                         QStringLiteral(")");
    platform::ScopedArrowCursor arrow; // never a busy cursor over the question
    QFileDialog dialog(m_parent, platform::toQString(title), QString(), filterText);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (filter.defaultExtension && filter.defaultExtension[0])
        dialog.setDefaultSuffix(QString::fromLatin1(filter.defaultExtension).remove(QLatin1Char('.')));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return platform::fromFileName(dialog.selectedFiles().first());
}

} // namespace shell
