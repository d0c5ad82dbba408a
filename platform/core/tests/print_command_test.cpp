#include "platform/core/print_command.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace platform;
namespace fs = std::filesystem;

TEST(PrintCommand, RunsTheConfiguredCommandWithTheFileAndReportsFailures)
{
    std::string folder = (fs::temp_directory_path() / "print-command-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const fs::path script = fs::path(folder) / "print.sh";
    const fs::path log = fs::path(folder) / "printed.log";
    std::ofstream(script) << "#!/bin/sh\necho \"$@\" >> '" << log.string() << "'\necho chatter\n";
    fs::permissions(script, fs::perms::owner_all);

    setenv(kPrintCommandVariable, (script.string() + "  -d  office").c_str(), 1);
    PrintResult result = printFile("reports/a b.txt");
    EXPECT_TRUE(result.ok);
    std::stringstream printed;
    printed << std::ifstream(log).rdbuf();
    EXPECT_EQ(printed.str(), "-d office reports/a b.txt\n");

    setenv(kPrintCommandVariable, "no-such-print-command", 1);
    result = printFile("x.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.startError, ENOENT);
    EXPECT_EQ(result.program, "no-such-print-command");

    setenv(kPrintCommandVariable, "false", 1);
    result = printFile("x.txt");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.startError, 0);
    EXPECT_EQ(result.exitStatus, 1);

    unsetenv(kPrintCommandVariable);
    fs::remove_all(folder);
}
