// OMBAgenCmd's save as a user meets it: files named like temporaries, a rename that fails midway, two
// saves of one project at once, one file under two names, and interrupts during a save or generation.

#include "console_fixture.h"

#include "platform/core/tests/run_unprivileged.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace cmdgen::test;
namespace fs = std::filesystem;

namespace {

void replaceIn(const fs::path& file, const std::string& from, const std::string& to)
{
    std::string text = readText(file);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// The names in a folder that a save's temporary would have ("temp." and a random part after the name).
std::vector<std::string> temporaries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().find("temp.") != std::string::npos)
            names.push_back(entry.path().filename().string());
    }
    return names;
}

bool startsWith(const std::string& text, const std::string& start)
{
    return text.rfind(start, 0) == 0;
}

// The process running `program` that has `folder` open (a save waiting for, or holding, its lock): 0
// while there is none.
pid_t processWithFolderOpen(const fs::path& program, const fs::path& folder)
{
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string commandLine = readText(entry.path() / "cmdline");
        if (commandLine.find(program.string()) == std::string::npos)
            continue;
        for (const fs::directory_entry& fd : fs::directory_iterator(entry.path() / "fd", error)) {
            if (fs::read_symlink(fd.path(), error) == folder)
                return static_cast<pid_t>(std::stol(name));
        }
    }
    return 0;
}

} // namespace

// A listed file whose name is another listed file's name with "temp" after it is saved as itself; nothing
// else is removed or replaced, and the project opens again.
TEST(ConsoleSave, ListedFilesNamedLikeTemporariesAreSavedAsThemselves)
{
    {
        SCOPED_TRACE("a kernel file named like the project file's temporary");
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        fs::rename(fixture.project() / "comms.cpu", fixture.project() / "demo.ombtemp");
        replaceIn(fixture.project() / "demo.omb", "Kernel=comms.cpu", "Kernel=demo.ombtemp");
        RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 0) << result.out << result.err;
        EXPECT_TRUE(startsWith(readText(fixture.project() / "demo.omb"), "[PROJECT]\r\n"));
        EXPECT_TRUE(startsWith(readText(fixture.project() / "demo.ombtemp"), "[KERNEL]\r\n"));
        EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
        result = fixture.run({"demo.omb", "-x"});
        EXPECT_EQ(result.code, 0) << result.out << result.err;
    }
    const auto listedBefore = [](ConsoleFixture& fixture) {
        fs::rename(fixture.project() / "monitor.app", fixture.project() / "control.apptemp");
        replaceIn(fixture.project() / "demo.omb", "Control=control.app\r\nMonitor=monitor.app",
                  "Monitor=control.apptemp\r\nControl=control.app");
    };
    {
        SCOPED_TRACE("an application file named like the next one's temporary");
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        listedBefore(fixture);
        RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 0) << result.out << result.err;
        EXPECT_NE(readText(fixture.project() / "control.app").find("\r\nName=Control\r\n"), std::string::npos);
        EXPECT_NE(readText(fixture.project() / "control.apptemp").find("\r\nName=Monitor\r\n"), std::string::npos);
        result = fixture.run({"demo.omb", "-x"});
        EXPECT_EQ(result.code, 0) << result.out << result.err;
    }
    {
        SCOPED_TRACE("the same with the project file write-protected");
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        listedBefore(fixture);
        korvane::testing::OpenFolderToEveryone(fixture.scratch());
        ASSERT_EQ(::chmod((fixture.project() / "demo.omb").c_str(), 0444), 0);
        const auto before = filesAndModes(fixture.project());
        const int code = korvane::testing::RunUnprivileged([&] { return fixture.run({"demo.omb", "-x", "-s"}).code; });
        EXPECT_EQ(code, 6);
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
    }
}

// A rename refused after others were made (a file the user may write in a folder with the sticky bit, owned
// by another user) puts back every file already replaced: a failed save has changed no file.
TEST(ConsoleSave, ARenameFailingMidwayLeavesEveryFileAsItWas)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another owner is made only as root";
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    fs::create_directories(fixture.project() / "shared");
    fs::rename(fixture.project() / "monitor.app", fixture.project() / "shared" / "monitor.app");
    replaceIn(fixture.project() / "demo.omb", "Monitor=monitor.app", "Monitor=shared/monitor.app");
    fs::create_directories(fixture.project() / "gen");
    korvane::testing::OpenFolderToEveryone(fixture.scratch());
    ASSERT_EQ(::chmod((fixture.project() / "shared").c_str(), 01777), 0);
    ASSERT_EQ(::chmod((fixture.project() / "shared" / "monitor.app").c_str(), 0666), 0);
    const auto before = filesAndModes(fixture.project());
    const auto sharedBefore = filesAndModes(fixture.project() / "shared");
    const int code = korvane::testing::RunUnprivileged([&] { return fixture.run({"demo.omb", "-x", "-s"}).code; });
    EXPECT_EQ(code, 6);
    const std::string err = readText(fixture.scratch() / "stderr.txt");
    EXPECT_NE(err.find("OMBAgenCmd: Unable to rename file shared/monitor.apptemp."), std::string::npos) << err;
    EXPECT_NE(err.find(" to shared/monitor.app: its new version cannot take its place (Operation not permitted)\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(filesAndModes(fixture.project()), before) << "control.app, renamed before, is put back";
    EXPECT_EQ(filesAndModes(fixture.project() / "shared"), sharedBefore);
    EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
    EXPECT_EQ(temporaries(fixture.project() / "shared"), std::vector<std::string>{});
}

// A second save of the project waits while another holds the project's folder and writes nothing
// meanwhile; it saves whole once the first has ended. Saves started together always end whole.
TEST(ConsoleSave, TwoSavesOfOneProjectNeverInterleave)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const fs::path demo = fixture.project() / "demo.omb";
    replaceIn(demo, "Name=Demo", "Name=Saved by the second");
    {
        SCOPED_TRACE("a save that starts while another holds the folder");
        const int folder = ::open(fixture.project().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
        ASSERT_EQ(::flock(folder, LOCK_EX), 0);
        const auto before = filesAndModes(fixture.project());
        std::atomic<bool> ended{false};
        RunResult second;
        std::thread run([&] {
            second = fixture.run({"demo.omb", "-x", "-s"});
            ended = true;
        });
        pid_t waiting = 0;
        while (waiting == 0 && !ended)
            waiting = processWithFolderOpen(fixture.bin() / "OMBAgenCmd", fixture.project());
        EXPECT_NE(waiting, 0) << "the second save ended before it reached the lock";
        // It is at the lock: nothing of it is written while the folder is held.
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
        ::close(folder);
        run.join();
        EXPECT_EQ(second.code, 0) << second.out << second.err;
        EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
        EXPECT_NE(readText(demo).find("Name=Saved by the second\r\n"), std::string::npos);
    }
    for (int round = 0; round < 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        RunResult first;
        std::thread other([&] { first = fixture.run({"demo.omb", "-x", "-s"}); });
        const RunResult second = fixture.run({"demo.omb", "-x", "-s"});
        other.join();
        EXPECT_EQ(first.code, 0) << first.err;
        EXPECT_EQ(second.code, 0) << second.err;
        EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
        const RunResult reopened = fixture.run({"demo.omb", "-x"});
        ASSERT_EQ(reopened.code, 0) << reopened.err;
    }
}

// One file under two names, through a hard link, is one file listed twice: the open refuses it.
TEST(ConsoleSave, AFileListedUnderTwoHardLinkedNamesIsListedTwice)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    fs::create_hard_link(fixture.project() / "control.app", fixture.project() / "twin.app");
    replaceIn(fixture.project() / "demo.omb", "Monitor=monitor.app", "Monitor=twin.app");
    const auto before = filesAndModes(fixture.project());
    const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
    EXPECT_EQ(result.code, 4) << result.out << result.err;
    EXPECT_NE(result.err.find("OMBAgenCmd: Unable to load project file <PROJECT>/demo.omb: the application file "
                              "twin.app is listed for both \"Control\" and \"Monitor\"\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(filesAndModes(fixture.project()), before);
}

namespace {

// The demo made a project of 20 applications: 17 more copies of Monitor under CPU Main.
void makeTwentyApplications(const fs::path& project)
{
    std::string list;
    for (int i = 1; i <= 17; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        std::string text = readText(project / "monitor.app");
        const std::size_t at = text.find("Name=Monitor\r\n");
        ASSERT_NE(at, std::string::npos);
        text.replace(at, 14, "Name=Mon" + number + "\r\n");
        std::ofstream(project / ("mon" + number + ".app"), std::ios::binary) << text;
        list += "Mon" + number + "=mon" + number + ".app\r\n";
    }
    replaceIn(project / "demo.omb", "Monitor=monitor.app\r\n", "Monitor=monitor.app\r\n" + list);
}

}  // namespace

// An interrupt (SIGINT, SIGTERM, SIGHUP) at any step of a save of a 20-application project ends the program
// with every file as it was or as saved, and no file of the save's own left: its temporaries have no name
// until the commit, which no interrupt cuts short.
TEST(ConsoleSave, AnInterruptAtAnyStepOfASaveLeavesEveryFileAsBeforeOrAsSaved)
{
#ifndef KORVANE_TEST_HOOKS
    GTEST_SKIP() << "the program reads its test hooks only in the test build";
#endif
    const std::vector<std::string> arguments = {"demo.omb", "-cMain", "-aControl", "-s"};
    std::map<std::string, std::pair<std::string, unsigned>> before;
    std::map<std::string, std::pair<std::string, unsigned>> saved;
    {
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        makeTwentyApplications(fixture.project());
        before = filesAndModes(fixture.project());
        const RunResult result = fixture.run(arguments);
        ASSERT_EQ(result.code, 0) << result.out << result.err;
        saved = filesAndModes(fixture.project());
    }
    // Each signal at every twentieth step, the three starting apart, until a save ends before its step.
    const struct {
        int signal;
        int first;
    } interrupts[] = {{SIGTERM, 1}, {SIGINT, 8}, {SIGHUP, 15}};
    int interrupted = 0;
    for (const auto& interrupt : interrupts) {
        for (int step = interrupt.first;; step += 20) {
            SCOPED_TRACE("signal " + std::to_string(interrupt.signal) + " at step " + std::to_string(step));
            ConsoleFixture fixture;
            ASSERT_TRUE(fixture.ready());
            makeTwentyApplications(fixture.project());
            fixture.setEnv("KORVANE_SAVE_SIGNAL_AT", std::to_string(interrupt.signal) + ":" + std::to_string(step));
            const RunResult result = fixture.run(arguments);
            const auto found = filesAndModes(fixture.project());
            for (const auto& [name, file] : found) {
                const auto old = before.find(name);
                const auto now = saved.find(name);
                EXPECT_TRUE((old != before.end() && old->second == file) || (now != saved.end() && now->second == file))
                    << name << " is neither as before nor as saved";
            }
            EXPECT_TRUE(temporaries(fixture.project()).empty());
            if (result.code == 0)
                break;
            ++interrupted;
            ASSERT_LT(step, 1000) << "the save never ends";
        }
    }
    EXPECT_GT(interrupted, 10);
}

namespace {

// Every regular file below a folder, by its path relative to the folder, with its bytes.
std::map<std::string, std::string> filesBelow(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = readText(entry.path());
    }
    return files;
}

// Starts the program in the project folder with its streams on /dev/null; returns its process.
pid_t startProgram(const ConsoleFixture& fixture, const std::vector<std::string>& arguments)
{
    const std::string program = (fixture.bin() / "OMBAgenCmd").string();
    std::vector<std::string> words = {program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0 || ::chdir(fixture.project().c_str()) != 0)
            ::_exit(127);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    return child;
}

// The 20-application project with an output folder for each application, so each file is generated once.
void makeTwentyApplicationsApart(const fs::path& project)
{
    makeTwentyApplications(project);
    for (int i = 1; i <= 17; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        const fs::path file = project / ("mon" + number + ".app");
        for (int path = 0; path < 3; ++path)
            replaceIn(file, "=gen/monitor/", "=gen/mon" + number + "/");
    }
}

}  // namespace

// An interrupt at any moment of a generation of 20 applications ends the program with each file as it was
// or as generated, and none of the code generator's temporaries left.
TEST(ConsoleSave, AnInterruptDuringGenerationLeavesEveryFileAsBeforeOrAsGenerated)
{
    std::map<std::string, std::string> before;
    std::map<std::string, std::string> generated;
    std::chrono::steady_clock::duration whole{};
    {
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        makeTwentyApplicationsApart(fixture.project());
        before = filesBelow(fixture.project());
        const auto start = std::chrono::steady_clock::now();
        const RunResult result = fixture.run({"demo.omb", "-x"});
        whole = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(result.code, 0) << result.out << result.err;
        generated = filesBelow(fixture.project());
        ASSERT_GT(generated.size(), before.size() + 20);
    }
    // The interrupts spread over the length of a whole run, the three signals in turn.
    const int signals[] = {SIGINT, SIGTERM, SIGHUP};
    constexpr int kRuns = 15;
    int interrupted = 0;
    for (int run = 0; run < kRuns; ++run) {
        const int signal = signals[run % 3];
        SCOPED_TRACE("signal " + std::to_string(signal) + " in run " + std::to_string(run));
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        makeTwentyApplicationsApart(fixture.project());
        const pid_t child = startProgram(fixture, {"demo.omb", "-x"});
        ASSERT_GT(child, 0);
        std::this_thread::sleep_for(whole * run / kRuns);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status))
            ++interrupted;
        for (const auto& [name, bytes] : filesBelow(fixture.project())) {
            const auto old = before.find(name);
            const auto now = generated.find(name);
            EXPECT_TRUE((old != before.end() && old->second == bytes) || (now != generated.end() && now->second == bytes))
                << name << " is neither as before nor as generated";
        }
    }
    EXPECT_GT(interrupted, kRuns / 2);
}

// A save held up by another program's save waits once for all its folders, within one bound, and says so
// once; it writes nothing.
TEST(ConsoleSave, ASaveHeldUpByAnotherWaitsOnceAndSaysSoOnce)
{
#ifndef KORVANE_TEST_HOOKS
    GTEST_SKIP() << "the program reads its test hooks only in the test build";
#endif
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    makeTwentyApplications(fixture.project());
    const auto before = filesAndModes(fixture.project());
    const int folder = ::open(fixture.project().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    fixture.setEnv("KORVANE_SAVE_LOCK_WAIT_MS", "200");
    const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
    ::close(folder);
    EXPECT_EQ(result.code, 6) << result.out << result.err;
    const std::string held = "the project is being saved by another program";
    const std::size_t first = result.err.find(held);
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(held, first + 1), std::string::npos) << "said more than once: " << result.err;
    // Nothing but that line: no summary that names no file.
    EXPECT_EQ(result.err.find("File I/O Error"), std::string::npos) << result.err;
    EXPECT_EQ(temporaries(fixture.project()), std::vector<std::string>{});
    for (const auto& [name, file] : before)
        EXPECT_EQ(filesAndModes(fixture.project()).at(name), file) << name;
}
