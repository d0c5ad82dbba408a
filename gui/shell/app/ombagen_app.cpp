#include "ombagen_app.h"

#include "gui/shell/about_dialog.h"
#include "gui/shell/capture_runner.h"
#include "gui/shell/main_dialog.h"
#include "gui/shell/qt_file_chooser.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/text_printer.h"
#include "gui/shell/tree_images.h"
#include "gui/shell/project_tree.h"

#include "engine/names/report_texts.h"
#include "engine/util/program_title.h"
#include "platform/core/process_group.h"
#include "platform/core/profile_store.h"
#include "platform/qt/caption_fit.h"
#include "platform/qt/qt_message_service.h"

#include <QApplication>

namespace {
CMainDialog* g_mainDialog = nullptr;
}

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
    shell::SingleInstanceGuard guard(shell::SingleInstanceGuard::DefaultName());
    // A second instance brings the running one forward and ends without a word.
    if (guard.Start() == shell::SingleInstanceGuard::Outcome::Activated)
        return 0;

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
    QObject::connect(&guard, &shell::SingleInstanceGuard::activationRequested, &window, [&window] {
        if (window.isMinimized())
            window.showNormal();
        window.raise();
        window.activateWindow();
    });
    window.show();
    window.Initialize(arguments, CMainDialog::StartOptions{});
    const int result = QApplication::exec();
    g_mainDialog = nullptr;
    // Commands still running from utilities end with the program, with everything they started.
    platform::EndAllGroups();
    return result;
}
