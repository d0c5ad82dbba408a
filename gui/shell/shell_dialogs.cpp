#include "shell_dialogs.h"

#include "about_dialog.h"
#include "command_output_dialog.h"
#include "file_viewer.h"
#include "status_dialog.h"
#include "utility_params_dialog.h"

namespace shell {

void ShellDialogs::ShowStatus(QWidget* parent, const std::string& message, const std::string& title, unsigned seconds)
{
    CStatusDialog dialog(parent, seconds, message, title);
    dialog.exec();
}

int ShellDialogs::ShowFile(QWidget* parent, const std::string& path)
{
    ShowFileDialog dialog(path, parent);
    return dialog.exec();
}

int ShellDialogs::AskParameters(QWidget* parent, std::vector<UtilityRequest>& requests, const std::string& displayText,
                                const std::string& label)
{
    UtilityParamsDialog dialog(requests, displayText, label, parent);
    return dialog.exec();
}

void ShellDialogs::RunCommand(QWidget* parent, const std::string& label, const std::string& command, bool pipeMode,
                              const std::vector<std::string>& environment)
{
    (void)label;
    CommandOutputDialog dialog(command, pipeMode, parent, environment);
    dialog.exec();
}

void ShellDialogs::ShowAbout(QWidget* parent)
{
    AboutDialog dialog(0, parent);
    dialog.exec();
}

} // namespace shell
