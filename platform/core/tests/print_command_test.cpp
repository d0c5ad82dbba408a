#include "platform/core/print_command.h"
#include "platform/core/process_group.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

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

    // Quotes keep a printer name with a blank as one word; the command reads nothing from the terminal.
    const fs::path input = fs::path(folder) / "input.log";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do echo \"[$a]\"; done >> '" << log.string()
                          << "'\ncat > '" << input.string() << "'\n";
    fs::remove(log);
    setenv(kPrintCommandVariable, (script.string() + " -d 'Office Printer' \"a\\\"b\"").c_str(), 1);
    result = printFile("x.txt");
    EXPECT_TRUE(result.ok);
    printed.str("");
    printed << std::ifstream(log).rdbuf();
    EXPECT_EQ(printed.str(), "[-d]\n[Office Printer]\n[a\"b]\n[x.txt]\n");
    EXPECT_TRUE(fs::exists(input));
    EXPECT_EQ(fs::file_size(input), 0u);

    // A command that cannot be split, or would run another command, is not run.
    for (const char* command : {"lp -d 'Office", "lp $(rm -rf x)", "lp; rm x"}) {
        setenv(kPrintCommandVariable, command, 1);
        result = printFile("x.txt");
        EXPECT_FALSE(result.ok) << command;
        EXPECT_NE(result.commandError, "") << command;
    }

    // A command that never ends holds the run up only for the wait it is given.
    setenv(kPrintCommandVariable, "sh -c 'sleep 30'", 1);
    const auto start = std::chrono::steady_clock::now();
    result = printFile("x.txt", 200);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.stillRunning);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

    unsetenv(kPrintCommandVariable);
    fs::remove_all(folder);
}

// A print command that never ends, with a child of its own, ends with the program: the print returns and
// nothing of the command's group is left.
TEST(PrintCommand, ACommandThatHangsEndsWithTheProgramAndLeavesNothingRunning)
{
    std::string folder = (fs::temp_directory_path() / "print-command-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    const fs::path script = fs::path(folder) / "print.sh";
    const fs::path group = fs::path(folder) / "group";
    std::ofstream(script) << "#!/bin/sh\nsleep 1000 &\necho $$ > '" << group.string() << ".new'\nmv '"
                          << group.string() << ".new' '" << group.string() << "'\nwait\n";
    fs::permissions(script, fs::perms::owner_all);
    setenv(kPrintCommandVariable, script.c_str(), 1);
    std::promise<PrintResult> done;
    std::future<PrintResult> result = done.get_future();
    std::thread printing([&done] { done.set_value(printFile("x.txt")); });
    int leader = 0;
    for (int i = 0; i < 3000 && leader == 0; ++i) {
        std::ifstream(group) >> leader;
        if (leader == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_GT(leader, 0);
    EXPECT_EQ(RunningGroupCount(), 1u);
    EXPECT_EQ(result.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    EndAllGroups(std::chrono::seconds(30));
    const PrintResult ended = result.get();
    printing.join();
    EXPECT_FALSE(ended.ok);
    // No process of the command's group runs any more (a zombie waiting for its reaper does not count).
    const auto liveMembers = [leader] {
        int count = 0;
        for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            if (!std::getline(stat, line))
                continue;
            const std::size_t close = line.rfind(')');
            std::istringstream fields(close == std::string::npos ? std::string() : line.substr(close + 2));
            char state = 0;
            int parent = 0;
            int processGroup = 0;
            if (fields >> state >> parent >> processGroup && processGroup == leader && state != 'Z')
                ++count;
        }
        return count;
    };
    int left = liveMembers();
    for (int i = 0; i < 1000 && left > 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        left = liveMembers();
    }
    EXPECT_EQ(left, 0);
    unsetenv(kPrintCommandVariable);
    fs::remove_all(folder);
}
