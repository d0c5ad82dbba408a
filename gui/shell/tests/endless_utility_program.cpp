// A stand-in for the program with a utility running, for the crash tests: it sets up the program's ends of
// commands as OMBAgen does at its start (the groups end with the program; output files a killed run left
// behind are removed), then shows the output window of the command it is given until it is killed.
//   endless_utility_program pipe|file COMMAND   runs COMMAND in that capture mode
//   endless_utility_program start               only the start-up, then ends

#include "gui/shell/capture_runner.h"
#include "gui/shell/command_output_dialog.h"
#include "platform/core/process_group.h"

#include <QApplication>

#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    platform::EndGroupsWithTheProgram();
    shell::RemoveLeftOutputFiles();
    if (argc == 2 && std::strcmp(argv[1], "start") == 0)
        return 0;
    if (argc != 3)
        return 2;
    CommandOutputDialog window(argv[2], std::strcmp(argv[1], "pipe") == 0, nullptr);
    window.ShowModeless();
    return QApplication::exec();
}
