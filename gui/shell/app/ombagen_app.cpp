#include "ombagen_app.h"

#include "gui/shell/about_dialog.h"
#include "gui/shell/capture_runner.h"
#include "gui/shell/instance_requests.h"
#include "gui/shell/main_dialog.h"
#include "gui/shell/qt_file_chooser.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/text_printer.h"
#include "gui/shell/tree_images.h"
#include "gui/shell/project_tree.h"

#include "engine/names/report_texts.h"
#include "engine/util/program_title.h"
#include "engine/util/text.h"
#include "platform/core/folder_entries.h"
#include "platform/core/process_group.h"
#include "platform/core/profile_store.h"
#include "platform/qt/caption_fit.h"
#include "platform/qt/qt_message_service.h"

#include <QApplication>

#include <string>
#include <vector>

namespace {
CMainDialog* g_mainDialog = nullptr;

// What this start asks of a running instance: the project it names, as a path that does not depend on
// the folder this start runs in (empty: only come forward).
std::string requestOf(const std::vector<std::string>& arguments)
{
    const std::string named = arguments.size() > 1 ? engine::TrimText(arguments[1], true, true) : std::string();
    if (named.empty() || named[0] == '/')
        return named;
    return platform::WorkingFolder() + "/" + named;
}
} // namespace

CMainDialog* COMBAgenApp::GetMainDialog()
{
    return g_mainDialog;
}

void COMBAgenApp::OnHelp()
{
    if (g_mainDialog)
        g_mainDialog->OnHelpContents();
}

int COMBAgenApp::InitInstance(const std::vector<std::string>& arguments)
{
    // The project named is made absolute first, against the folder this start runs in: opening a
    // project changes that folder.
    std::vector<std::string> absolute = arguments;
    if (absolute.size() > 1)
        absolute[1] = requestOf(arguments);
    shell::SingleInstanceGuard guard(shell::SingleInstanceGuard::DefaultName());
    // A later start, while an instance lives, leaves its project to that one and ends without a word.
    switch (guard.Start(absolute.size() > 1 ? absolute[1] : std::string())) {
    case shell::SingleInstanceGuard::Outcome::HandedOver: return 0;
    case shell::SingleInstanceGuard::Outcome::NotHandedOver: return 1;
    case shell::SingleInstanceGuard::Outcome::First:
    case shell::SingleInstanceGuard::Outcome::Unguarded: break;
    }

    // Commands started from utilities end with the program, however it ends.
    platform::EndGroupsWithTheProgram();
    // Output files of utilities a killed run left behind go now.
    shell::RemoveLeftOutputFiles();
    platform::ProfileStore profile(platform::ProfileStore::pathForKey(kProfileKey));
    platform::ScopedApplicationProfile useProfile(&profile);
    platform::ScopedQtMessageService boxes;
    // Qt's own boxes (a file dialog's questions) are as wide as their captions too.
    platform::FitCaptionsOfEveryDialog();
    engine::SetProgramTitle(kApplicationName);
    AboutDialog::setErrorTextProvider([](int code) { return engine::ShellExecuteErrorText(code); });
    shell::InstallTextPrinter();
    // Every window of the program shows the project image as its icon.
    QApplication::setWindowIcon(shell::TreeImages()[shell::ImageProject]);

    CMainDialog window;
    g_mainDialog = &window;
    shell::QtFileChooser chooser(&window);
    engine::ScopedFileChooser useChooser(&chooser);
    shell::InstanceRequests requests(guard, window);
    window.show();
    window.Initialize(absolute, CMainDialog::StartOptions{});
    const int result = QApplication::exec();
    g_mainDialog = nullptr;
    // Commands still running from utilities end with the program, with everything they started.
    platform::EndAllGroups();
    return result;
}
