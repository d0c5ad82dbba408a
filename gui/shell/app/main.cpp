// OMBAgen: the desktop generator.

#include "ombagen_app.h"
#include "platform/core/process_signals.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::ignoreFileSizeLimitSignal();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(COMBAgenApp::kApplicationName));
    COMBAgenApp app;
    return app.InitInstance(QApplication::arguments());
}
