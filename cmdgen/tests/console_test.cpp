// OMBAgenCmd as a user runs it: a separate process on a copy of the demo, its standard output compared
// with golden files, its messages, files and calls checked.

#include "console_fixture.h"

#include "platform/core/tests/run_unprivileged.h"
#include "standins/codegen/tests/compile_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <regex>
#include <sys/stat.h>

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

    // A name the system refuses (a file taken for a folder) is refused, not folded into the file's name.
    result = fixture.run({"demo.omb/", "-x"});
    EXPECT_EQ(result.code, 4) << result.out << result.err;
    EXPECT_NE(result.err.find("Can't open project file demo.omb/: Not a directory"), std::string::npos) << result.err;

    // A configuration without its GENERAL section keeps the models read before it: the run goes on with them.
    std::ofstream(fixture.bin() / "ombagen.cfg") << "[MODELS]\r\nZ5 Standard=models/z5std.mdl\r\n"
                                                    "Z5 Multiprocessor=models/z5mp.mde\r\n";
    result = fixture.run({"demo.omb", "-cMain", "-aControl"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("Unable to locate required section \"GENERAL\" in configuration file"),
              std::string::npos)
        << result.err;
    EXPECT_NE(fixture.callLog().find("application=\"Control\""), std::string::npos);
    fs::remove(fixture.scratch() / "calls.log");

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
    // The failed application's report is still written and printed before the run ends.
    const std::string printedAfterGeneration = fixture.printLog();
    EXPECT_EQ(printedAfterGeneration, "reports/Main_Control.txt\n");

    fixture.setEnv("OMBA_CODEGEN_FAIL", "PrintSystem");
    result = expectRun({"demo.omb", "-cMain", "-aMonitor", "-p", "-s"}, 8, "report_failed.txt");
    EXPECT_NE(result.err.find("Error: Print failure.\n"), std::string::npos) << result.err;
    EXPECT_EQ(fixture.printLog(), printedAfterGeneration) << "no report is printed after a failed report";
    EXPECT_EQ(projectFiles(), before);
}

TEST_F(Console, AFailedSaveGivesItsMessageAndCode6)
{
    // A file-size limit below the application file's size makes its write fail.
    const std::string monitor = readText(fixture.project() / "monitor.app");
    const RunResult result = fixture.run({"demo.omb", "-cMain", "-aControl", "-s"}, "ulimit -f 8");
    EXPECT_EQ(result.code, 6) << result.out << result.err;
    EXPECT_EQ(compareWithGolden("save_failed.txt", result.out), "");
    EXPECT_NE(result.err.find("File I/O Error: Unable to write application file\n"), std::string::npos) << result.err;
    EXPECT_EQ(readText(fixture.project() / "monitor.app"), monitor) << "the CPU's later applications are left alone";
}

TEST_F(Console, FailedKernelAndProjectWritesGiveTheirMessagesAndCode6)
{
    // The application files lie in a folder of their own; no new file can be made beside the kernel and
    // project files (the run goes as a user without special rights, as root may write any folder).
    fs::create_directories(fixture.project() / "apps");
    fs::create_directories(fixture.project() / "gen"); // where the generated sources go
    for (const char* name : {"control.app", "monitor.app", "link.app"})
        fs::rename(fixture.project() / name, fixture.project() / "apps" / name);
    std::string project = readText(fixture.project() / "demo.omb");
    for (const char* name : {"=control.app", "=monitor.app", "=link.app"})
        project.replace(project.find(name), 1, "=apps/");
    std::ofstream(fixture.project() / "demo.omb", std::ios::binary) << project;
    const fs::file_time_type longAgo = fs::last_write_time(fixture.project() / "comms.cpu") - std::chrono::hours(24 * 365);
    fs::last_write_time(fixture.project() / "comms.cpu", longAgo);
    korvane::testing::OpenFolderToEveryone(fixture.scratch());
    ASSERT_EQ(::chmod(fixture.project().c_str(), 0555), 0);
    RunResult result;
    const int code = korvane::testing::RunUnprivileged([&] {
        result = fixture.run({"demo.omb", "-cMain", "-aControl", "-s"});
        return result.code;
    });
    ::chmod(fixture.project().c_str(), 0777);
    EXPECT_EQ(code, 6);
    // The child's findings reach this process through the files it wrote.
    result.out = readText(fixture.scratch() / "stdout.txt");
    result.err = readText(fixture.scratch() / "stderr.txt");
    const std::string folder = fixture.project().string();
    EXPECT_NE(result.err.find("OMBAgenCmd: Can't open kernel file main.cpu: its folder " + folder +
                              " does not allow new files (Permission denied)\n"),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("File I/O Error: Error writing project\n"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Unable to write application file"), std::string::npos) << result.err;
    // The files are saved as one: with one refused, the next CPU's kernel file is not put in place either.
    EXPECT_EQ(fs::last_write_time(fixture.project() / "comms.cpu"), longAgo);
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

namespace {

void replaceIn(const fs::path& file, const std::string& from, const std::string& to)
{
    std::string text = readText(file);
    if (from.empty()) {
        std::ofstream(file, std::ios::binary) << text + to;
        return;
    }
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    std::ofstream(file, std::ios::binary) << text.replace(at, from.size(), to);
}

} // namespace

// A user's journey over damaged copies of the demo: each run ends with the right code and a message
// that says what is wrong, and where the run refuses, no file of the project changes, bytes or mode.
TEST(ConsoleJourney, DamagedProjectsAreRefusedWithTheirCodeAndMessageAndNoFileChanges)
{
    struct Edit {
        std::string file; // in the project folder, or "models/..." in the program folder
        std::string from; // the first occurrence is changed; "" appends
        std::string to;
    };
    struct Damage {
        const char* name;
        std::vector<Edit> edits;
        int code;
        std::string message;
    };
    const std::string lost = "Unable to load project file <PROJECT>/demo.omb: ";
    const Damage damages[] = {
        {"empty model", {{"demo.omb", "Model=Z5 Standard", "Model="}}, 4, "CPU \"Main\" names no model"},
        {"no model key", {{"demo.omb", "Model=Z5 Standard\r\n", ""}}, 4, "CPU \"Main\" names no model"},
        {"application listed twice", {{"demo.omb", "Monitor=monitor.app", "Monitor=monitor.app\r\nCONTROL=control.app"}},
         4, "the key \"CONTROL\" is listed twice in section \"APPS Main\""},
        {"no class types", {{"link.app", "[CLASS TYPES]", "[CLASS TYPO]"}}, 4,
         "Unable to locate required section CLASS TYPES in application file link.app"},
        {"no child object list", {{"link.app", "[OBJS cntLinkTick]", "[OBJS cntLinkTock]"}}, 4,
         "Unable to locate required section OBJS cntLinkTick in application file link.app"},
        {"model class out of range", {{"models/z5std.mdl", "Task=8", "Task=15"}}, 4,
         "has the number 15, not one of 1 to 14"},
        // The project check: what could not be saved as it stands does not open.
        // Main's model offers none of the frameworks Comms's kernel holds: the kernel file is refused when
        // Main reads it, before the project finds it listed twice.
        {"kernel file of two CPUs", {{"demo.omb", "Kernel=main.cpu", "Kernel=./comms.cpu"}}, 4,
         "Unable to load kernel file ./comms.cpu: the value 6 of \"Framework\" in section \"KERNEL\" is not a "
         "non-zero part of the mask 1 the model gives"},
        // A value the reader fills in for a missing section meets its range like a written one.
        {"kernel file without a section its model asks for", {{"demo.omb", "Kernel=comms.cpu", "Kernel=./main.cpu"}}, 4,
         "Unable to load kernel file ./main.cpu: the value 0 of \"Value\" in section \"Node Count\" (the section is "
         "missing) is outside the range 2 to 16 the model gives"},
        {"application file of another CPU", {{"demo.omb", "Link=link.app", "Link=./monitor.app"}}, 4,
         "the application file ./monitor.app is listed for both \"Monitor\" and \"Link\""},
        {"CPU named after another CPU's list",
         {{"demo.omb", "Comms=\r\n", "APPS Main=\r\n"}, {"demo.omb", "[Comms]", "[APPS Main]"}}, 4,
         "\"APPS Main\""},
        {"application name that makes a path",
         {{"demo.omb", "Control=control.app", "a/../../../pwn=control.app"},
          {"control.app", "Name=Control", "Name=a/../../../pwn"}},
         4,
         lost + "application name \"a/../../../pwn\" of CPU \"Main\" cannot contain any of the following "
                "characters: \\/:*?\"<>|"},
        // What a hand-edited file holds is never dropped.
        {"zero byte in an application file", {{"monitor.app", "Raised", std::string("Raised\0", 7)}}, 4,
         "Unable to load application file monitor.app: line 153 holds a zero byte"},
        {"zero byte in a kernel file", {{"main.cpu", "Writeable=1", std::string("Writeable=1\0", 12)}}, 4,
         "Unable to load kernel file main.cpu: line "},
        {"kernel section again in other letters", {{"main.cpu", "", "\r\n[Kernel]\r\nWriteable=0\r\n"}}, 4,
         "Unable to load kernel file main.cpu: sections \"KERNEL\" and \"Kernel\" differ only in case"},
        {"kernel key again in other letters", {{"main.cpu", "Value=500\r\n", "Value=500\r\nvalue=5\r\n"}}, 4,
         "Unable to load kernel file main.cpu: keys \"Value\" and \"value\" in section \"Tick Rate\" differ only in "
         "case"},
        // The model's own numbers go through the one number reader.
        {"type size beyond 32 bits", {{"models/z5std.mdl", "Type_4_Size=4", "Type_4_Size=4294967296"}}, 4,
         "Unable to load model file models/z5std.mdl: the value 4294967296 of \"Type_4_Size\" in section \"Types\" "
         "is outside the range 0 to 2147483647"},
        {"type size below zero", {{"models/z5std.mdl", "Type_1_Size=1", "Type_1_Size=-1"}}, 4,
         "the value -1 of \"Type_1_Size\" in section \"Types\" is outside the range 0 to 2147483647"},
        {"structure count below zero", {{"models/z5std.mdl", "NumberOfStructures=35", "NumberOfStructures=-1"}}, 4,
         "the value -1 of \"NumberOfStructures\" in section \"Structures\" is outside the range 0 to 2147483647"},
        {"attribute bit that is no number", {{"models/z5std.mdl", "ATTR_WAITERS=2", "ATTR_WAITERS=abc"}}, 4,
         "Unable to load model file models/z5std.mdl: the value abc of \"ATTR_WAITERS\" in section \"CLASS "
         "PROPERTIES\" is not a whole number in the range 0 to 31"},
        {"option value above the model's maximum", {{"control.app", "Value=128", "Value=99999"}}, 4,
         "Unable to load application file control.app: the value 99999 of \"Value\" in section \"Trace Buffer Size\" "
         "is outside the range 16 to 1024 the model gives"},
        {"kernel option above the model's maximum", {{"main.cpu", "Value=500", "Value=99999"}}, 4,
         "Unable to load kernel file main.cpu: the value 99999 of \"Value\" in section \"Tick Rate\" is outside the "
         "range 10 to 10000 the model gives"},
        {"kernel option's section deleted", {{"main.cpu", "[Tick Rate]\r\nValue=500\r\nState=1\r\n", ""}}, 4,
         "Unable to load kernel file main.cpu: the value 0 of \"Value\" in section \"Tick Rate\" (the section is "
         "missing) is outside the range 10 to 10000 the model gives"},
        {"task without its stack size", {{"monitor.app", "Stack Size=512\r\n", ""}}, 4,
         "Unable to load application file monitor.app: the value 0 of \"Stack Size\" in section \"tskMon\" (the key "
         "is missing) is outside the range 128 to 32768 the model gives"},
        {"kernel stack below the model's", {{"control.app", "Kernel Stack Available=512", "Kernel Stack Available=1"}}, 4,
         "Unable to load application file control.app: the value 1 of \"Kernel Stack Available\" in section "
         "\"APPLICATION\" is outside the range 256 to 65536 the model gives"},
        {"kernel stack above the model's",
         {{"control.app", "Kernel Stack Available=512", "Kernel Stack Available=100000"}}, 4,
         "Unable to load application file control.app: the value 100000 of \"Kernel Stack Available\" in section "
         "\"APPLICATION\" is outside the range 256 to 65536 the model gives"},
        {"extension that makes a path",
         {{"control.app", "C Source Extension=c", "C Source Extension=c/../../../../../esc/pwn"}}, 4,
         lost + "\"C Source Extension\" of application \"Control\" cannot contain any of the following characters: "
                "\\/:*?\"<>|"},
        {"stack below the model's minimum", {{"monitor.app", "Stack Size=512", "Stack Size=1"}}, 4,
         "Unable to load application file monitor.app: the value 1 of \"Stack Size\" in section \"tskMon\" is outside "
         "the range 128 to 32768 the model gives"},
        {"option sharing a kernel section", {{"models/z5std.mdl", "Idle Hook=\r\n", "Task=\r\n"}}, 4,
         "Unable to load model file models/z5std.mdl: the kernel file section \"Task\" would hold both the option "
         "\"Task\" and the class \"Task\""},
        {"user text line after a gap", {{"control.app", "1=\"#include \\\"motor.h", "2=\"#include \\\"motor.h"}}, 4,
         "Unable to load application file control.app: the line \"2\" of section \"kproject.c_user_incl\" follows a "
         "gap in its numbering (line 1 is missing), and a gap ends the block"},
        {"script command longer than its field", {{"models/z5std.mdl", "=cat kernel.map", "=" + std::string(1024, 'c')}},
         4,
         "Unable to load model file models/z5std.mdl: the command of script \"Show kernel map\" in section "
         "\"SCRIPTS\" is longer than 1023 characters"},
        {"CPU name that makes a path",
         {{"demo.omb", "Comms=\r\n", "C:x=\r\n"}, {"demo.omb", "[Comms]", "[C:x]"}}, 4,
         lost + "the CPU name \"C:x\" cannot contain any of the following characters: \\/:*?\"<>|"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        for (const Edit& edit : damage.edits)
            replaceIn(edit.file.rfind("models/", 0) == 0 ? fixture.bin() / edit.file : fixture.project() / edit.file,
                      edit.from, edit.to);
        const auto before = filesAndModes(fixture.project());
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, damage.code) << result.out << result.err;
        EXPECT_NE(result.err.find(damage.message), std::string::npos) << result.err;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(fixture.callLog(), "");
    }

    // A byte-order mark and an application file without a name open, generate and save.
    {
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const std::string project = readText(fixture.project() / "demo.omb");
        std::ofstream(fixture.project() / "demo.omb", std::ios::binary) << "\xEF\xBB\xBF" + project;
        replaceIn(fixture.project() / "monitor.app", "Name=Monitor\r\n", "");
        const RunResult result = fixture.run({"demo.omb", "-cMain", "-aMonitor", "-s"});
        EXPECT_EQ(result.code, 0) << result.out << result.err;
        EXPECT_NE(readText(fixture.project() / "demo.omb").find("Monitor=monitor.app"), std::string::npos);
    }

    // A starting folder deleted under the run, and an empty project name, stop with a message.
    {
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const auto before = filesAndModes(fixture.project());
        RunResult result = fixture.run({"demo.omb", "-x", "-s"}, "mkdir gone && cd gone && rmdir ../gone");
        EXPECT_EQ(result.code, 7) << result.out << result.err;
        EXPECT_NE(result.out.find("The current folder cannot be found"), std::string::npos) << result.out;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        // An absolute project name needs no starting folder.
        result = fixture.run({(fixture.project() / "demo.omb").string(), "-cMain", "-aControl"},
                             "mkdir gone && cd gone && rmdir ../gone");
        EXPECT_EQ(result.code, 0) << result.out << result.err;
        EXPECT_NE(fixture.callLog().find("application=\"Control\""), std::string::npos);
        fs::remove_all(fixture.project() / "gen");
        fs::remove_all(fixture.project() / "reports");
        result = fixture.run({"", "-x", "-s"});
        EXPECT_EQ(result.code, 4) << result.out << result.err;
        EXPECT_NE(result.out.find("No project file is named"), std::string::npos) << result.out;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
    }
}

// Files the user may not write are refused with the message and code 6 and keep bytes and mode; the run
// goes as a user without special rights, as root may write any file.
TEST(ConsoleJourney, ReadOnlyFilesAreRefusedWithCode6AndKeepTheirBytesAndMode)
{
    for (const char* name : {"control.app", "main.cpu", "demo.omb"}) {
        SCOPED_TRACE(name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        korvane::testing::OpenFolderToEveryone(fixture.scratch());
        ASSERT_EQ(::chmod((fixture.project() / name).c_str(), 0444), 0);
        const auto before = filesAndModes(fixture.project());
        std::string err;
        const int code = korvane::testing::RunUnprivileged([&] {
            const RunResult result = fixture.run({"demo.omb", "-cMain", "-aControl", "-s"});
            const std::string shown = std::string(name) == "demo.omb" ? "<PROJECT>/demo.omb" : name;
            if (result.err.find("Unable to delete old version of file " + shown + ": the file is read-only\n") ==
                std::string::npos)
                return 100;
            return result.code;
        });
        EXPECT_EQ(code, 6);
        EXPECT_EQ(filesAndModes(fixture.project()).at(name), before.at(name));
    }
}

// Damaged copies that would open but could not be saved as they stand, or would lose text on the way, are
// refused at open with a message that names the file and what is wrong; nothing is generated or written.
TEST(ConsoleJourney, ProjectsThatCouldNotBeSavedAsTheyStandAreRefusedAtOpen)
{
    struct Damage {
        const char* name;
        const char* file;  // in the project folder, or "models/..." in the program folder
        std::string from;
        std::string to;
        std::string message;  // a whole line of standard error: "caption: text"
    };
    const std::string longText(200, 'd');
    const std::string tooLong = " is longer than 127 characters\n";
    const Damage damages[] = {
        {"long project description", "demo.omb", "Description=Motor controller with a communications processor",
         "Description=" + longText,
         "OMBAgenCmd: Value of \"Description\" in section \"PROJECT\" of project file <PROJECT>/demo.omb" + tooLong},
        {"long object description", "control.app", "Description=Control loop priority level",
         "Description=" + std::string(180, 'o'),
         "OMBAgenCmd: Value of \"Description\" in section \"lvlControl\" of application file control.app" + tooLong},
        {"long entry point", "control.app", "Entry Point=MotorThread", "Entry Point=" + std::string(180, 'e'),
         "OMBAgenCmd: Value of \"Entry Point\" in section \"thrMotor\" of application file control.app" + tooLong},
        {"long application name", "monitor.app", "Name=Monitor", "Name=" + std::string(140, 'm'),
         "OMBAgenCmd: Value of \"Name\" in section \"APPLICATION\" of application file monitor.app" + tooLong},
        {"long CPU name", "demo.omb", "[CPUS]\r\nMain=", "[CPUS]\r\n" + std::string(130, 'C') + "=",
         "OMBAgenCmd: The name \"" + std::string(40, 'C') + "...\" in section \"CPUS\" of project file "
         "<PROJECT>/demo.omb" + tooLong},
        {"empty application name", "monitor.app", "Name=Monitor", "Name=",
         "OMBAgenCmd: Unable to load project file <PROJECT>/demo.omb: application file monitor.app gives an "
         "application of CPU \"Main\" an empty name\n"},
        {"two applications of one name", "monitor.app", "Name=Monitor", "Name=control",
         "OMBAgenCmd: Unable to load project file <PROJECT>/demo.omb: CPU \"Main\" has two applications named "
         "\"control\" (application files control.app and monitor.app)\n"},
        {"one file listed twice", "demo.omb", "Monitor=monitor.app", "Monitor=./control.app",
         "OMBAgenCmd: Unable to load project file <PROJECT>/demo.omb: the application file ./control.app is listed "
         "for both \"Control\" and \"Monitor\"\n"},
        {"framework outside the model's mask", "main.cpu", "Framework=1", "Framework=4",
         "OMBAgenCmd: Unable to load kernel file main.cpu: the value 4 of \"Framework\" in section \"KERNEL\" is not "
         "a non-zero part of the mask 1 the model gives\n"},
        {"framework 0", "main.cpu", "Framework=1", "Framework=0",
         "OMBAgenCmd: Unable to load kernel file main.cpu: the value 0 of \"Framework\" in section \"KERNEL\" is not "
         "a non-zero part of the mask 1 the model gives\n"},
        {"framework -1", "main.cpu", "Framework=1", "Framework=-1", "is not a non-zero part of the mask 1"},
        {"framework missing", "main.cpu", "Framework=1\r\n", "",
         "OMBAgenCmd: Unable to load kernel file main.cpu: the value 0 of \"Framework\" in section \"KERNEL\" (the "
         "key is missing) is not a non-zero part of the mask 1 the model gives\n"},
        {"single-stack framework on a model without it", "comms.cpu", "Framework=6", "Framework=1",
         "OMBAgenCmd: Unable to load kernel file comms.cpu: the value 1 of \"Framework\" in section \"KERNEL\" is not "
         "a non-zero part of the mask 6 the model gives\n"},
        {"class numbers that repeat", "models/z5std.mdl", "Semaphore=9", "Semaphore=8",
         "OMBAgenCmd: Model file models/z5std.mdl: classes \"Task\" and \"Semaphore\" have the same number 8\n"},
        {"member count beyond 32 bits", "models/z5std.mdl", "NumberOfMembers=3", "NumberOfMembers=99999999999",
         "OMBAgenCmd: Unable to load model file models/z5std.mdl: the value 99999999999 of \"NumberOfMembers\" in "
         "section \"Structure_KWSHDR\" is outside the range 0 to 2147483647\n"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const std::string file = damage.file;
        replaceIn(file.rfind("models/", 0) == 0 ? fixture.bin() / file : fixture.project() / file, damage.from, damage.to);
        const auto before = filesAndModes(fixture.project());
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 4) << result.out << result.err;
        EXPECT_NE(result.err.find(damage.message), std::string::npos) << result.err;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(fixture.callLog(), "");
    }

    // A file too large to be read is named as such, not taken for a file without sections.
    const std::pair<const char*, const char*> largeFiles[] = {
        {"demo.omb", "OMBAgenCmd: Unable to read project file <PROJECT>/demo.omb: it is larger than 1073741824 bytes\n"},
        {"link.app", "OMBAgenCmd: Unable to read application file link.app: it is larger than 1073741824 bytes\n"},
    };
    for (const auto& [name, message] : largeFiles) {
        SCOPED_TRACE(name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const fs::path large = fixture.project() / name;
        fs::resize_file(large, (1ull << 30) + 1);
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 4) << result.out << result.err;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
        EXPECT_EQ(fs::file_size(large), (1ull << 30) + 1);
        EXPECT_EQ(fixture.callLog(), "");
    }
}

// A save never writes through, nor removes, a link or a file whose name looks like a temporary's: the
// saved files are regular files with the new text and nothing else changes.
TEST(ConsoleJourney, ASaveNeverTouchesAFileNamedLikeATemporary)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const fs::path victim = fixture.scratch() / "victim.txt";
    std::ofstream(victim, std::ios::binary) << "not the program's\n";
    fs::create_symlink("../victim.txt", fixture.project() / "monitor.apptemp");
    std::ofstream(fixture.project() / "control.apptemp", std::ios::binary) << "left from an earlier run\n";
    const RunResult result = fixture.run({"demo.omb", "-cMain", "-aControl", "-s"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_EQ(readText(victim), "not the program's\n");
    for (const char* name : {"monitor.app", "control.app"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(fs::is_symlink(fixture.project() / name));
        EXPECT_EQ(readText(fixture.project() / name).rfind("[APPLICATION]\r\n", 0), 0u);
    }
    EXPECT_TRUE(fs::is_symlink(fixture.project() / "monitor.apptemp"));
    EXPECT_EQ(readText(fixture.project() / "control.apptemp"), "left from an earlier run\n");
}

// A starting folder the run cannot enter again gives a message and code 7 for a relative project name,
// never a project found elsewhere; an absolute name needs no starting folder. The run goes as a user
// without special rights, as root may enter any folder.
TEST(ConsoleJourney, AStartingFolderThatCannotBeEnteredAgainStopsARelativeName)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    // A project of the same name in the program's folder must not be the one taken.
    fs::copy_file(fixture.project() / "demo.omb", fixture.bin() / "demo.omb");
    korvane::testing::OpenFolderToEveryone(fixture.scratch());
    // The user makes a folder, goes into it and takes away every right to it.
    const auto lock = [](const std::string& folder) { return "mkdir " + folder + " && cd " + folder + " && chmod 000 ."; };
    const int relative = korvane::testing::RunUnprivileged([&] {
        const RunResult result = fixture.run({"demo.omb", "-x"}, lock("first"));
        if (result.out.find("Unable to change folder to <PROJECT>/first\n") == std::string::npos)
            return 100;
        return result.code;
    });
    EXPECT_EQ(relative, 7);
    EXPECT_EQ(fixture.callLog(), "");
    const int absolute = korvane::testing::RunUnprivileged([&] {
        return fixture.run({(fixture.project() / "demo.omb").string(), "-x"}, lock("second")).code;
    });
    EXPECT_EQ(absolute, 0);
    EXPECT_NE(fixture.callLog().find("GenerateCode"), std::string::npos);
    for (const char* folder : {"first", "second"}) {
        std::error_code ignored;
        fs::permissions(fixture.project() / folder, fs::perms::owner_all, ignored);
    }
}

// A print command that cannot be started for a reason the shell has no text for gives the system's own.
TEST(ConsoleJourney, APrintCommandThatCannotStartGivesTheSystemsReason)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    fixture.setEnv("OMBAGEN_PRINT_COMMAND", "/etc/passwd/lp");
    const RunResult result = fixture.run({"demo.omb", "-cMain", "-aControl", "-p"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("Error: Unable to execute command \"print reports/Main_Control.txt\"\n"
                              "Reason: Not a directory\n"),
              std::string::npos)
        << result.err;
}

// A print command that is not there is named as such, and what a print command writes to the error stream
// stands on a line of its own, after the report's line, in a log that holds both streams.
TEST(ConsoleJourney, APrintCommandsOwnErrorAndAMissingCommandStandOnLinesOfTheirOwn)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const std::string report = "Writing report  for CPU \"Main\", Application \"Control\"... Succeeded\n";
    fixture.setEnv("OMBAGEN_PRINT_COMMAND", "no-such-print-command -d office");
    RunResult result = fixture.run({"demo.omb", "-cMain", "-aControl", "-p"}, {}, true);
    EXPECT_EQ(result.code, 0) << result.out;
    EXPECT_NE(result.out.find(report + "Error: Unable to execute command \"print reports/Main_Control.txt\"\n"
                                       "Reason: The print command \"no-such-print-command\" was not found.\n"),
              std::string::npos)
        << result.out;

    const fs::path printer = fixture.scratch() / "complaining-printer";
    std::ofstream(printer) << "#!/bin/sh\necho 'printer: no default destination' >&2\nexit 1\n";
    fs::permissions(printer, fs::perms::owner_all);
    fixture.setEnv("OMBAGEN_PRINT_COMMAND", printer.string());
    result = fixture.run({"demo.omb", "-cMain", "-aControl", "-p"}, {}, true);
    EXPECT_EQ(result.code, 0) << result.out;
    EXPECT_NE(result.out.find(report + "printer: no default destination\n"
                                       "Error: Unable to execute command \"print reports/Main_Control.txt\"\n"),
              std::string::npos)
        << result.out;
}

// With both streams in one log, as CI jobs keep them, every line stands where it happened: a message of
// the open after the banner, a save failure after the last generation and before the last line.
TEST(ConsoleJourney, MessagesStandInALogInTheOrderTheyHappened)
{
    const auto inOrder = [](const std::string& log, const std::vector<std::string>& lines) {
        std::size_t from = 0;
        for (const std::string& line : lines) {
            const std::size_t at = log.find(line, from);
            if (at == std::string::npos)
                return "\"" + line + "\" is missing or out of order in:\n" + log;
            from = at + line.size();
        }
        return std::string();
    };
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    RunResult result = fixture.run({"missing.omb", "-x"}, {}, true);
    EXPECT_EQ(result.code, 4);
    EXPECT_EQ(inOrder(result.out, {"OMBAgenCmd Version", "Copyright", "OMBAgenCmd: Can't open project file",
                                   "execution complete, return code 4\n"}),
              "");

    // A file-size limit below the first application file's size makes its save fail.
    result = fixture.run({"demo.omb", "-x", "-s"}, "ulimit -f 8", true);
    EXPECT_EQ(result.code, 6);
    EXPECT_EQ(inOrder(result.out, {"OMBAgenCmd Version", "Application \"Control\"", "Succeeded",
                                   "Application \"Link\"", "Succeeded",
                                   "OMBAgenCmd: Unable to write application file control.app: its new version "
                                   "cannot be written (File too large)\n",
                                   "File I/O Error: Unable to write application file\n",
                                   "execution complete, return code 6\n"}),
              "");
}

// A project named through a linked folder and ".." is the file the system names there, not the one the
// name would give with ".." taken off as text.
TEST(ConsoleJourney, DotDotAfterALinkedFolderOpensTheFileTheSystemNames)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const fs::path b = fixture.project() / "b";
    fs::create_directories(b / "deeper");
    for (const fs::directory_entry& entry : fs::directory_iterator(fixture.project())) {
        if (entry.is_regular_file())
            fs::rename(entry.path(), b / entry.path().filename());
    }
    fs::rename(b / "demo.omb", b / "viaparent.omb");
    fs::create_directory_symlink("b/deeper", fixture.project() / "shortcut");
    const RunResult result = fixture.run({"shortcut/../viaparent.omb", "-cMain", "-aControl", "-s"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    EXPECT_NE(fixture.callLog().find("project=\"Demo\""), std::string::npos);
    EXPECT_TRUE(fs::exists(b / "viaparent.omb"));
    EXPECT_FALSE(fs::exists(fixture.project() / "viaparent.omb"));
}

// Under a file-size limit smaller than an application file, the save reports "File too large" with the
// file, removes its temporary, keeps the old file whole and ends with the save-failure code. The signal
// such a write raises is left as the system sets it in this test process, so the program itself must
// stand it.
TEST(ConsoleJourney, AWriteBeyondTheFileSizeLimitIsReportedAndLeavesNoTemporary)
{
    struct sigaction current {};
    ASSERT_EQ(::sigaction(SIGXFSZ, nullptr, &current), 0);
    ASSERT_EQ(current.sa_handler, SIG_DFL);
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const auto before = filesAndModes(fixture.project());
    ASSERT_GT(before.at("control.app").first.size(), 8u * 1024u);
    const RunResult result = fixture.run({"demo.omb", "-x", "-s"}, "ulimit -f 8");
    EXPECT_EQ(result.code, 6) << result.out << result.err;
    EXPECT_NE(result.err.find("OMBAgenCmd: Unable to write application file control.app: its new version cannot be "
                              "written (File too large)\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(filesAndModes(fixture.project()).size(), before.size()) << "no temporary is left";
    EXPECT_EQ(filesAndModes(fixture.project()).at("control.app"), before.at("control.app"));
}

// A second multiprocessor CPU whose global application repeats the first one's global object names:
// the open warns once for each shared name of the application read second, and goes on.
TEST(ConsoleJourney, GlobalObjectNamesSharedByTwoCpusAreWarnedAboutOnceEach)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const fs::path folder = fixture.project();
    fs::copy_file(folder / "comms.cpu", folder / "comms2.cpu");
    std::string link = readText(folder / "link.app");
    ASSERT_NE(link.find("Node Name=comms\r\n"), std::string::npos);
    link.replace(link.find("Node Name=comms\r\n"), 17, "Node Name=comms2\r\n");
    std::ofstream(folder / "link2.app", std::ios::binary) << link;
    replaceIn(folder / "demo.omb", "Comms=\r\n", "Comms=\r\nComms2=\r\n");
    std::ofstream(folder / "demo.omb", std::ios::binary | std::ios::app)
        << "\r\n[Comms2]\r\nDescription=Second link\r\nModel=Z5 Multiprocessor\r\nKernel=comms2.cpu\r\n"
           "Applications=APPS Comms2\r\n\r\n[APPS Comms2]\r\nLink=link2.app\r\n";
    const RunResult result = fixture.run({"demo.omb", "-cComms2", "-aLink"});
    EXPECT_EQ(result.code, 0) << result.out << result.err;
    std::string expected;
    for (const char* name : {"almLinkTimeout", "tskLinkRx", "tskLinkTx", "semLinkUp", "queFrames"})
        expected += std::string("Warning: Warning, application \"Link\" contains an object named \"") + name +
                    "\" which duplicates an object name in another global application.  Change it to a unique "
                    "name before generating code.\n";
    EXPECT_EQ(result.err, expected);
}

// A report whose name the system cannot create (a CPU and an application of 127 characters each) is named
// with the reason; the other applications still get their reports, and the run ends with code 8.
TEST(ConsoleJourney, AReportNameTooLongForTheSystemIsNamedAndTheOthersAreWritten)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    const std::string cpu(127, 'M');
    const std::string application(127, 'C');
    replaceIn(fixture.project() / "demo.omb", "Main=\r\n", cpu + "=\r\n");
    replaceIn(fixture.project() / "demo.omb", "[Main]", "[" + cpu + "]");
    replaceIn(fixture.project() / "demo.omb", "Control=control.app", application + "=control.app");
    replaceIn(fixture.project() / "control.app", "Name=Control", "Name=" + application);
    const RunResult result = fixture.run({"demo.omb", "-x", "-p"});
    EXPECT_EQ(result.code, 8) << result.out << result.err;
    const std::string report = "reports/" + cpu + "_" + application + ".txt";
    EXPECT_NE(result.err.find("Error: Unable to write report file " + report +
                              ": its name is 259 characters long, longer than the 255 a file name may have"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(fixture.printLog(), "reports/" + cpu + "_Monitor.txt\nreports/Comms_Link.txt\n");
}
