// OMBAgenCmd as a user runs it: a separate process on a copy of the demo, its standard output compared
// with golden files, its messages, files and calls checked.

#include "console_fixture.h"

#include "standins/codegen/tests/compile_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <regex>

using namespace cmdgen::test;
namespace fs = std::filesystem;

namespace {

class Console : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(fixture.ready()) << "the program or the demo could not be copied"; }

    // Runs and checks the code and the golden standard output.
    RunResult expectRun(const std::vector<std::string>& arguments, int code, const std::string& golden)
    {
        RunResult result = fixture.run(arguments);
        EXPECT_EQ(result.code, code) << result.out << result.err;
        EXPECT_EQ(compareWithGolden(golden, result.out), "");
        return result;
    }

    std::vector<std::string> writtenFiles() const
    {
        std::vector<std::string> files;
        const std::string log = fixture.callLog();
        const std::regex wrote("^  wrote (.*)$", std::regex::multiline);
        for (auto it = std::sregex_iterator(log.begin(), log.end(), wrote); it != std::sregex_iterator(); ++it)
            files.push_back((*it)[1].str());
        return files;
    }

    std::map<std::string, std::string> projectFiles() const
    {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(fixture.project())) {
            if (entry.is_regular_file())
                files[entry.path().filename().string()] = readText(entry.path());
        }
        return files;
    }

    ConsoleFixture fixture;
};

} // namespace

TEST_F(Console, UsageErrorsAndHelp)
{
    expectRun({"-h"}, 0, "help.txt");
    expectRun({"/?", "-x"}, 0, "help.txt");
    expectRun({}, 2, "no_arguments.txt");
    expectRun({"demo.omb", "-x", "-q"}, 2, "unknown_switch.txt");
    expectRun({"demo.omb", "x", "y"}, 2, "stray_arguments.txt");
    EXPECT_EQ(fixture.callLog(), "") << "nothing is processed after a usage error or help";
}

TEST_F(Console, MissingConfigurationAndProject)
{
    RunResult result = expectRun({"missing.omb", "-x"}, 4, "project_missing.txt");
    EXPECT_NE(result.err.find("missing.omb"), std::string::npos) << result.err;

    // A path that does not fit the project record is refused, not cut.
    result = fixture.run({std::string(300, 'p') + ".omb", "-x"});
    EXPECT_EQ(result.code, 4);
    EXPECT_NE(result.err.find("is longer than 259 characters"), std::string::npos) << result.err;

    // A configuration that offers no model cannot open any CPU.
    std::ofstream(fixture.bin() / "ombagen.cfg") << "[MODELS]\r\n[GENERAL]\r\n";
    result = fixture.run({"demo.omb", "-x"});
    EXPECT_EQ(result.code, 3) << result.out << result.err;
    EXPECT_NE(result.err.find("No models defined in configuration file"), std::string::npos) << result.err;
    EXPECT_EQ(fixture.callLog(), "");

    fs::remove(fixture.bin() / "ombagen.cfg");
    expectRun({"demo.omb", "-x"}, 3, "config_missing.txt");
}

TEST_F(Console, UnknownCpuOrApplication)
{
    expectRun({"demo.omb", "-cNone", "-aControl"}, 5, "cpu_missing.txt");
    expectRun({"demo.omb", "-cMain", "-aNone"}, 5, "application_missing.txt");
    expectRun({"demo.omb", "-cmain", "-aControl", "-s"}, 5, "cpu_case_differs.txt");
    EXPECT_EQ(fixture.callLog(), "");
}

TEST_F(Console, LibraryThatCannotBeLoadedOrHasNoEntry)
{
    const auto before = projectFiles();
    fs::remove(fixture.bin() / "libombacodegen_standin.so");
    RunResult result = expectRun({"demo.omb", "-cMain", "-aControl", "-s"}, 8, "library_missing.txt");
    EXPECT_NE(result.err.find("Error: Unable to load code generator DLL\n"), std::string::npos) << result.err;

    // A loadable library without the entries.
    fs::copy_file("/lib/x86_64-linux-gnu/libm.so.6", fixture.bin() / "libombacodegen_standin.so");
    result = expectRun({"demo.omb", "-cMain", "-aControl", "-s"}, 8, "entry_missing.txt");
    EXPECT_NE(result.err.find("Error: Missing entry point in code generator\n"), std::string::npos) << result.err;
    EXPECT_EQ(projectFiles(), before) << "nothing is saved after a failure";
}

TEST_F(Console, FailingLibraryStopsTheRunAndNothingIsSaved)
{
    const auto before = projectFiles();
    fixture.setEnv("OMBA_CODEGEN_FAIL", "GenerateCode:Control");
    RunResult result = expectRun({"demo.omb", "-x", "-p", "-s"}, 8, "generation_failed.txt");
    EXPECT_NE(result.err.find("Error: Code generation failure.\n"), std::string::npos) << result.err;
    EXPECT_EQ(projectFiles(), before);

    fixture.setEnv("OMBA_CODEGEN_FAIL", "PrintSystem");
    result = expectRun({"demo.omb", "-cMain", "-aMonitor", "-p", "-s"}, 8, "report_failed.txt");
    EXPECT_NE(result.err.find("Error: Print failure.\n"), std::string::npos) << result.err;
    EXPECT_EQ(fixture.printLog(), "") << "no report is printed after a failed report";
    EXPECT_EQ(projectFiles(), before);
}

TEST_F(Console, AFailedSaveGivesItsMessageAndCode6)
{
    // A folder where the application file's temporary file should go makes that write fail.
    fs::create_directories(fixture.project() / "control.apptemp" / "blocker");
    const std::string monitor = readText(fixture.project() / "monitor.app");
    const RunResult result = expectRun({"demo.omb", "-cMain", "-aControl", "-s"}, 6, "save_failed.txt");
    EXPECT_NE(result.err.find("File I/O Error: Unable to write application file\n"), std::string::npos) << result.err;
    EXPECT_EQ(readText(fixture.project() / "monitor.app"), monitor) << "the CPU's later applications are left alone";
}

TEST_F(Console, FailedKernelAndProjectWritesGiveTheirMessagesAndCode6)
{
    fs::create_directories(fixture.project() / "main.cputemp" / "blocker");
    fs::create_directories(fixture.project() / "demo.ombtemp" / "blocker");
    const fs::file_time_type longAgo = fs::last_write_time(fixture.project() / "comms.cpu") - std::chrono::hours(24 * 365);
    fs::last_write_time(fixture.project() / "comms.cpu", longAgo);
    const RunResult result = expectRun({"demo.omb", "-cMain", "-aControl", "-s"}, 6, "save_failed.txt");
    EXPECT_NE(result.err.find("File I/O Error: Unable to write kernel file "), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("File I/O Error: Error writing project\n"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Unable to write application file"), std::string::npos) << result.err;
    EXPECT_GT(fs::last_write_time(fixture.project() / "comms.cpu"), longAgo) << "the next CPU's kernel file is written";
}

TEST_F(Console, AKernelFileThatMayNotBeWrittenIsSkipped)
{
    std::string kernel = readText(fixture.project() / "main.cpu");
    kernel.replace(kernel.find("Writeable=1"), 11, "Writeable=0");
    std::ofstream(fixture.project() / "main.cpu", std::ios::binary) << kernel;
    // The other CPU's kernel file is still written: its time moves on from a day long past.
    const fs::file_time_type longAgo = fs::last_write_time(fixture.project() / "comms.cpu") - std::chrono::hours(24 * 365);
    fs::last_write_time(fixture.project() / "comms.cpu", longAgo);
    const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readText(fixture.project() / "main.cpu"), kernel);
    EXPECT_GT(fs::last_write_time(fixture.project() / "comms.cpu"), longAgo);
    EXPECT_NE(readText(fixture.project() / "link.app").find("Kernel h file dirty=0"), std::string::npos);
}

TEST_F(Console, FullRunGeneratesReportsPrintsAndSaves)
{
    RunResult result = expectRun({"demo.omb", "-x", "-f", "-p", "-s"}, 0, "full_run.txt");
    EXPECT_EQ(result.err, "");

    // The parameter block of the console: caller 0, "major.minor.binding", operation 0, force as given
    // to GenerateCode and 0 to PrintSystem; the footprint is computed before each call.
    const std::string log = fixture.callLog();
    for (const char* application : {"Control", "Monitor", "Link"}) {
        const std::string names = std::string("application=\"") + application + "\"";
        EXPECT_TRUE(std::regex_search(log, std::regex("GenerateCode caller=0 version=\"1\\.12\\.414\" operation=0 "
                                                      "force=1 project=\"Demo\" cpu=\"\\w+\" " + names +
                                                      " regenerate=\\d footprint=valid result=0\n")))
            << application << "\n" << log;
        EXPECT_TRUE(std::regex_search(log, std::regex("PrintSystem caller=0 version=\"1\\.12\\.414\" operation=0 "
                                                      "force=0 project=\"Demo\" cpu=\"\\w+\" " + names +
                                                      " regenerate=\\d footprint=valid result=0\n")))
            << application << "\n" << log;
    }
    // The print command gets each report's path, as the report name rule gives it.
    EXPECT_EQ(fixture.printLog(), "reports/Main_Control.txt\nreports/Main_Monitor.txt\nreports/Comms_Link.txt\n");

    // Saved through temporary files: none is left, and the dirty flags the library cleared are stored.
    for (const auto& [name, text] : projectFiles())
        EXPECT_EQ(name.find("temp"), std::string::npos) << name;
    EXPECT_NE(readText(fixture.project() / "control.app").find("Kernel h file dirty=0"), std::string::npos);
}

TEST_F(Console, GeneratedSourcesOfTheDemoCompile)
{
    expectRun({"demo.omb", "-x", "-f"}, 0, "generate_all.txt");
    const std::vector<std::string> files = writtenFiles();
    EXPECT_GE(files.size(), 20u);
    // The application's user text blocks are in place: includes as written, revisions as comments.
    const std::string project = readText(fixture.project() / "gen/control/src/kproject.c");
    EXPECT_NE(project.find("\n#include \"motor.h\"  /* drive constants */\n"), std::string::npos) << project;
    EXPECT_NE(project.find(" * / * Revision 3: keypad scan added. * /\n"), std::string::npos) << project;
    const fs::path objects = fixture.scratch() / "objects";
    fs::create_directories(objects);
    for (const std::string& file : files) {
        const fs::path path = fixture.project() / file;
        EXPECT_EQ(codegen::test::compileGeneratedFile(path, objects, fixture.scratch() / "stubs"), "") << file;
    }
}
