// A program with a utility running, for the crash tests of the capture modes: it sets up the ends of
// commands (the groups end with the program), then shows the output window of the command it is given
// until it is killed. The real program's own start-up is tested through OMBAgen itself.
//   endless_utility_program pipe|file COMMAND   runs COMMAND in that capture mode

#include "gui/shell/command_output_dialog.h"
#include "platform/core/process_group.h"

#include <QApplication>

#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::EndGroupsWithTheProgram();
    if (argc != 3)
        return 2;
    CommandOutputDialog window(argv[2], std::strcmp(argv[1], "pipe") == 0, nullptr);
    window.ShowModeless();
    return QApplication::exec();
}
