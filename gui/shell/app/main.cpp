// OMBAgen: the desktop generator.

#include "ombagen_app.h"
#include "engine/util/save_test_hooks.h"
#include "platform/core/process_signals.h"
#include "platform/qt/locale_text.h"

#include <QApplication>

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    platform::ignoreFileSizeLimitSignal();
    engine::TakeSaveTestHooks();
    QApplication application(argc, argv);
    QApplication::setApplicationName(platform::toQString(COMBAgenApp::kApplicationName));
    COMBAgenApp app;
    // The arguments as the system passed them (Qt has taken out its own): a project's path keeps its bytes.
    const std::vector<std::string> arguments(argv, argv + argc);
    return app.InitInstance(arguments);
}
