#include "console_texts.h"

namespace cmdgen {

void printBanner(std::ostream& out, int year)
{
    out << "\nOMBAgenCmd Version " << kVersion << ", Build " << kBuild;
    out << "\n";
    out << "Copyright (c) " << year << " Korvane Systems, Inc. All rights reserved.\n\n";
}

void printUsage(std::ostream& out)
{
    static const char* const kLines[] = {
        "Usage:\n\n",
        "     OMBAgenCmd ProjectFileName.omb { -x | -cCpuName -aApplicationName }\n",
        "                                    [-f] [-p] [-s] [ { -h | -? } ]\n\n",
        "     Causes code to be generated for one or more Applications\n",
        "     within a Project\n\n",
        "     Arguments and Switches:\n\n",
        "        ProjectFileName.omb is the name of the Project file\n\n",
        "        -x                  specifies that code is to be generated\n",
        "                            for all Applications in the Project,\n",
        "                            in which case the -c and -a switches\n",
        "                            are ignored.\n\n",
        "        -cCpuName           specifies that the desired Application\n",
        "                            is defined within CPU \"CpuName\"\n\n",
        "        -aApplicationName   specifies that the name of the desired\n",
        "                            Application is \"ApplicationName\", which\n",
        "                            must be contained within CPU \"CpuName\"\n\n",
        "        -f                  forces all code to be generated, not just\n",
        "                            code for application components which are\n",
        "                            marked as having been changed since the\n",
        "                            last code generation\n\n",
        "        -p                  writes a report summarizing the Application(s)\n",
        "                            to the file \"CpuName_AppName.txt\"\n\n",
        "        -s                  saves project files after code generation\n\n",
        "        -h or -?            displays this help text, and skips processing\n",
        "                            all other options\n\n",
    };
    for (const char* line : kLines)
        out << line;
}

void printCompletion(std::ostream& out, int code)
{
    out << "\nOMBAgenCmd execution complete, return code " << code << "\n";
    out.flush();
}

} // namespace cmdgen
