#include "qt_file_chooser.h"

#include "platform/qt/file_dialog.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include "platform/core/message_service.h"

#include <QApplication>

#include <unistd.h>

namespace shell {

std::string QtFileChooser::Choose(bool open, int kind, const std::string& title)
{
    const engine::FileKindFilter filter = engine::FileKindFilterOf(kind);
    platform::ScopedArrowCursor arrow; // never a busy cursor over the question
    // The chooser belongs to the window the user works in: a sheet or dialog open over the main window
    // stays above it, under the chooser, rather than the window manager raising the main window with it.
    QWidget* owner = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : m_parent;
    platform::FileDialog dialog(owner, platform::toQString(title));
    platform::setUpFileDialog(dialog, open, platform::toQString(filter.name), platform::toQString(filter.pattern),
                              platform::toQString(filter.defaultExtension ? filter.defaultExtension : ""));
    // The question whether to replace a file is asked in a box of the program's own, whose caption reads
    // whole. A read-only file cannot take the save; the user is told and asked again (a bounded number of
    // times), as after answering No to the replacement.
    for (int round = 0; round < 100; ++round) {
        const std::string chosen = platform::runFileDialog(dialog);
        if (chosen.empty())
            return {};
        const std::string refusal = open ? std::string() : RefusedSaveTarget(chosen);
        if (!refusal.empty()) {
            platform::messageBox(refusal, title, platform::MbOk | platform::MbIconWarning);
            continue;
        }
        // A file the caller refuses (it says why) is not offered for replacing: the user chooses again.
        if (!open && !engine::ChosenFileAccepted(chosen))
            continue;
        if (open || ::access(chosen.c_str(), F_OK) != 0 ||
            platform::messageBox(chosen + " already exists.\nDo you want to replace it?", title,
                                 platform::MbYesNo | platform::MbIconWarning) == platform::IdYes)
            return chosen;
    }
    return {};
}

std::string QtFileChooser::RefusedSaveTarget(const std::string& path)
{
    if (::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0)
        return {};
    return path + "\nThis file is set to read-only.\nTry again with a different file name.";
}

} // namespace shell
