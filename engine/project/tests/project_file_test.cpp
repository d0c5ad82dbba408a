#include "engine/project/project_file.h"
#include "engine/project/project_save.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/files/config_file.h"
#include "engine/files/file_chooser.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"
#include "engine/util/path.h"
#include "platform/core/tests/run_unprivileged.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

namespace engine {
namespace {

namespace fs = std::filesystem;
using testing::folderSnapshot;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

bool anyTemporaryFile(const std::string& folder)
{
    for (const std::string& name : testing::folderListing(folder)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, "temp") == 0)
            return true;
    }
    return false;
}

class ProjectFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setProgramDirectoryOverride(testing::programFolder());
        ASSERT_TRUE(ConfigFile().Read(config, "ombagen.cfg"));
        ProjectManager::ResetProject(project, true);
        ProjectManager::ResetProject(other, true);
        fs::create_directories(source());
        for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "monitor.app", "link.app"})
            fs::copy_file(testing::demoFolder() + "/" + name, source() + "/" + name);
    }
    void TearDown() override
    {
        ProjectManager::FreeProject(project);
        ProjectManager::FreeProject(other);
        ConfigFile::FreeConfigRecord(config);
        platform::setProgramDirectoryOverride("");
    }

    std::string source() const { return folder.file("a"); }
    std::string target() const { return folder.file("b"); }

    int open(ProjectRecord& record, const std::string& path)
    {
        std::string buffer = path;
        return manager.OpenProjectFile(record, config, buffer, true);
    }
    // Replaces the first occurrence of a text in a file of the source folder.
    void edit(const std::string& name, const std::string& from, const std::string& to)
    {
        std::string text = readFile(source() + "/" + name);
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        writeFile(source() + "/" + name, text.replace(at, from.size(), to));
    }

    platform::ScopedScriptedMessages messages;
    ScratchFolder folder;
    CurrentDirectoryGuard workingFolder{"."};
    ConfigRecord config{};
    ProjectManager manager;
    ProjectRecord project{};
    ProjectRecord other{};
};

TEST_F(ProjectFileTest, TheDemoOpensSavesElsewhereAndOpensAgainUnchanged)
{
    const auto untouched = folderSnapshot(source());
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_TRUE(messages->texts().empty());
    EXPECT_EQ(folderSnapshot(source()), untouched);
    EXPECT_EQ(fs::current_path(), fs::path(source()));

    ASSERT_EQ(project.cpuCount, 2);
    const CpuRecord& main = project.cpus[0];
    const CpuRecord& comms = project.cpus[1];
    EXPECT_EQ(textOf(project.name), "Demo");
    EXPECT_EQ(textOf(main.kernel.modelName), "Z5 Standard");
    EXPECT_EQ(comms.kernel.modelIndex, 1);  // the enciphered model
    EXPECT_EQ(textOf(comms.kernel.modelName), "Z5 Multiprocessor");
    EXPECT_EQ(main.applicationCount, 2);
    EXPECT_EQ(comms.applicationCount, 1);
    EXPECT_EQ(textOf(main.applications[1].name), "Monitor");
    EXPECT_EQ(main.applications[0].classEntryCount, 11);
    EXPECT_EQ(main.applications[0].userTexts->owner(), &main.applications[0]);
    EXPECT_EQ(main.applications[0].classEntries[0].enabled, 1);
    EXPECT_EQ(main.applications[0].classEntries[10].enabled, 0);  // Special Service is off in main.cpu

    // Save every file into another folder: the relative names in the project now resolve there.
    fs::create_directories(target());
    fs::current_path(target());
    setText(project.path, target() + "/demo.omb");
    ASSERT_EQ(SaveProjectFiles(manager, project, config), true) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(testing::folderListing(target()),
              (std::vector<std::string>{"comms.cpu", "control.app", "demo.omb", "link.app", "main.cpu", "monitor.app"}));
    EXPECT_EQ(folderSnapshot(source()), untouched);

    ASSERT_EQ(open(other, target() + "/demo.omb"), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_FALSE(ProjectsDiffer(project, other, false));

    // A second save writes the same bytes.
    const auto saved = folderSnapshot(target());
    ASSERT_EQ(SaveProjectFiles(manager, other, config), true);
    EXPECT_EQ(folderSnapshot(target()), saved);
    EXPECT_TRUE(messages->texts().empty());
}

TEST_F(ProjectFileTest, BadProjectsFailWithTheirMessageAndChangeNoFile)
{
    struct Case {
        const char* name;
        const char* file;
        const char* from;
        const char* to;
        std::string message;
    };
    const Case cases[] = {
        {"unknown model", "demo.omb", "Model=Z5 Standard", "Model=Z5 Gizmo",
         "Model \"Z5 Gizmo\" of CPU \"Main\" is not defined in the configuration file"},
        {"missing application file", "demo.omb", "Monitor=monitor.app", "Monitor=absent.app",
         "Unable to open application file absent.app for reading"},
        {"application with a wrong section", "link.app", "[MODEL OPTIONS]", "[MODEL OPTION]",
         "Unable to locate required section MODEL OPTIONS in application file link.app"},
        {"duplicate object name", "control.app", "[OBJS Mutex]\r\nmtxBus=", "[OBJS Mutex]\r\nsemTxDone=",
         "Unable to load application file control.app: the name \"semTxDone\" is used for more than one section"},
        {"empty application list", "demo.omb", "Link=link.app", "", "No applications listed in project file"},
        {"missing CPU section", "demo.omb", "[Comms]", "[Kommunikation]", "Can't find section Comms in project file"},
        {"missing project section", "demo.omb", "[PROJECT]", "[PROJEKT]", "Can't find section PROJECT in project file"},
        {"empty model", "demo.omb", "Model=Z5 Standard", "Model=",
         "CPU \"Main\" names no model in project file " + source() + "/demo.omb"},
        {"no model key", "demo.omb", "Model=Z5 Multiprocessor\r\n", "",
         "CPU \"Comms\" names no model in project file " + source() + "/demo.omb"},
        {"application listed twice in another case", "demo.omb", "Monitor=monitor.app", "Monitor=monitor.app\r\nCONTROL=x.app",
         "Unable to load project file " + source() + "/demo.omb: the key \"CONTROL\" is listed twice in section \"APPS Main\""},
        {"CPU listed twice in another case", "demo.omb", "Comms=\r\n", "Comms=\r\nMAIN=\r\n",
         "Unable to load project file " + source() + "/demo.omb: the key \"MAIN\" is listed twice in section \"CPUS\""},
        {"CPU named like the project section", "demo.omb", "Comms=", "project=",
         "Unable to load project file " + source() + "/demo.omb: the name \"project\" is used for more than one section"},
        {"application name the project file cannot list", "control.app", "Name=Control", "Name=Con]trol",
         "Unable to load project file " + source() + "/demo.omb: the application name \"Con]trol\" of CPU \"Main\" "
         "could not be saved: it cannot contain any of the following texts: = ; // /* ]"},
        {"application name with a control character", "control.app", "Name=Control", "Name=Con\x01trol",
         "Unable to load project file " + source() + "/demo.omb: the application name \"Con\x01trol\" of CPU "
         "\"Main\" could not be saved: it cannot contain control characters"},
        {"two CPUs sharing one list", "demo.omb", "Applications=APPS Comms", "Applications=APPS Main",
         "Unable to load project file " + source() + "/demo.omb: the name \"APPS Main\" is used for more than one section"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* name : {"demo.omb", "control.app", "link.app"})
            fs::copy_file(testing::demoFolder() + "/" + name, source() + "/" + name, fs::copy_options::overwrite_existing);
        edit(c.file, c.from, c.to);
        const auto before = folderSnapshot(source());
        messages->clear();
        ProjectManager::ResetProject(project, false);
        EXPECT_EQ(open(project, source() + "/demo.omb"), 0);
        EXPECT_EQ(messages->texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(folderSnapshot(source()), before);
        // The working folder is the project's even after a failed open.
        EXPECT_EQ(fs::current_path(), fs::path(source()));
    }
    messages->clear();
    EXPECT_EQ(open(project, source() + "/absent.omb"), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Can't open project file " + source() + "/absent.omb"});
}

TEST_F(ProjectFileTest, ACpuListLongerThanTheFileIsRefusedBeforeRecordsAreSetUp)
{
    std::string cpus = "Comms=\r\n";
    for (int i = 0; i < 20000; ++i)
        cpus += "c" + std::to_string(i) + "=\r\n";
    edit("demo.omb", "Comms=\r\n", cpus);
    EXPECT_EQ(open(project, source() + "/demo.omb"), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Can't find section c0 in project file"});
    EXPECT_EQ(project.cpuCount, 0);
}

TEST_F(ProjectFileTest, AnApplicationWithoutAFileTakesItsOptionsFromTheCpu)
{
    edit("demo.omb", "Monitor=monitor.app", "Scratch=");
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const ApplicationRecord& scratch = project.cpus[0].applications[1];
    EXPECT_EQ(textOf(scratch.name), "Scratch");
    EXPECT_EQ(scratch.optionCount, 3);
    EXPECT_EQ(scratch.classEntryCount, 0);
    EXPECT_EQ(textOf(scratch.codePath), "./");
    EXPECT_EQ(scratch.systemClockRateHz, 1000);
    EXPECT_EQ(scratch.extendedContext[0], 1);  // FPU's application default
    // Saving skips it (it has no file) and lists it without a path.
    ASSERT_EQ(SaveProjectFiles(manager, project, config), true);
    EXPECT_NE(readFile(source() + "/demo.omb").find("Scratch=\r\n"), std::string::npos);
}

TEST_F(ProjectFileTest, AFailureInTheMiddleOfTheSaveLeavesEveryFileAsItWasAndTellsTheUser)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const auto before = folderSnapshot(source());
    ApplicationRecord& control = project.cpus[0].applications[0];
    ApplicationRecord& monitor = project.cpus[0].applications[1];
    ApplicationRecord& link = project.cpus[1].applications[0];
    setText(monitor.description, "changed");
    setText(link.description, "changed too");
    setText(project.description, "edited");
    monitor.edited = link.edited = project.edited = 1;
    project.cpus[0].kernel.edited = 1;
    // Two objects whose names differ only in case would be merged by the reader.
    setText(control.classEntries[5].objects[1].name, "SEMTXDONE");
    control.edited = 1;
    EXPECT_FALSE(SaveProjectFiles(manager, project, config));
    EXPECT_EQ(messages->texts(), (std::vector<std::string>{"Unable to write application file control.app: the name "
                                                           "\"SEMTXDONE\" is used twice",
                                                           "Unable to write application file"}));
    // The files are saved as one: the files written before the refusal and after it are not put in place
    // either, and every edited mark stays.
    EXPECT_EQ(folderSnapshot(source()), before);
    EXPECT_FALSE(anyTemporaryFile(source()));
    EXPECT_EQ(control.edited, 1);
    EXPECT_EQ(monitor.edited, 1);
    EXPECT_EQ(project.cpus[0].kernel.edited, 1);
    EXPECT_EQ(link.edited, 1);
    EXPECT_EQ(project.edited, 1);

    // A project file that would not read back (two CPUs differing only in case) is refused whole.
    setText(control.classEntries[5].objects[1].name, "semRxReady");
    setText(project.cpus[1].name, "MAIN");
    messages->clear();
    const auto second = folderSnapshot(source());
    EXPECT_FALSE(WriteProjectFile(manager, project, config));
    EXPECT_EQ(messages->texts().size(), 2u);
    EXPECT_EQ(folderSnapshot(source()), second);
}

// A temporary file that opens but cannot be written whole (here: past the process's file size limit, as
// on a full disk) is reported as a failed write with the system's reason, not as a failed open.
TEST_F(ProjectFileTest, ATemporaryFileThatCannotBeWrittenWholeSaysSo)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const auto before = folderSnapshot(source());
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 256;
    void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool application = WriteApplicationFile(manager, project, project.cpus[0], project.cpus[0].applications[0]);
    const bool projectFile = WriteProjectFile(manager, project, config);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(application);
    EXPECT_FALSE(projectFile);
    EXPECT_EQ(messages->texts(),
              (std::vector<std::string>{"Unable to write application file control.apptemp: File too large",
                                        "Unable to write application file",
                                        "Unable to write project file " + source() + "/demo.ombtemp: File too large",
                                        "Error writing project"}));
    // The file's own message carries the program's title; the summary of the save step is a file error.
    ASSERT_EQ(messages->boxes().size(), 4u);
    EXPECT_EQ(messages->boxes()[0].caption, "OMBAgen");
    EXPECT_EQ(messages->boxes()[1].caption, "File I/O Error");
    EXPECT_EQ(folderSnapshot(source()), before);
}

TEST_F(ProjectFileTest, FilesTheUserMayNotWriteAreRefusedAlikeAndKeepTheirBytesAndMode)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    korvane::testing::OpenFolderToEveryone(source());
    for (const char* name : {"demo.omb", "control.app", "main.cpu"}) {
        SCOPED_TRACE(name);
        const std::string path = source() + "/" + name;
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        const auto before = folderSnapshot(source());
        // Root may write any file, so the save runs as a user without special rights.
        const int result = korvane::testing::RunUnprivileged([&] {
            messages->clear();
            const bool saved = SaveProjectFiles(manager, project, config);
            const std::vector<std::string> texts = messages->texts();
            if (saved)
                return 1;
            // The project's own path is absolute; the others are as the project lists them.
            const std::string shown = std::string(name) == "demo.omb" ? path : name;
            if (texts.empty() || texts[0] != "Unable to delete old version of file " + shown)
                return 2;
            return anyTemporaryFile(source()) ? 3 : 0;
        });
        EXPECT_EQ(result, 0);
        for (const auto& [file, bytes] : before) {
            if (file == name) {
                EXPECT_EQ(readFile(path), bytes);
            }
        }
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0444u);
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    }
}

TEST_F(ProjectFileTest, SavingALinkWritesItsTargetAndKeepsTheLink)
{
    const std::string real = folder.file("real");
    fs::create_directories(real);
    for (const char* name : {"control.app", "main.cpu"}) {
        fs::rename(source() + "/" + name, real + "/" + name);
        fs::create_symlink("../real/" + std::string(name), source() + "/" + name);
    }
    ASSERT_EQ(::chmod((real + "/control.app").c_str(), 0640), 0);
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    setText(project.cpus[0].applications[0].description, "through the link");
    ASSERT_TRUE(SaveProjectFiles(manager, project, config)) << ::testing::PrintToString(messages->texts());
    for (const char* name : {"control.app", "main.cpu"})
        EXPECT_TRUE(fs::is_symlink(source() + "/" + name)) << name;
    EXPECT_NE(readFile(real + "/control.app").find("Description=through the link"), std::string::npos);
    EXPECT_EQ(fs::status(real + "/control.app").permissions(), static_cast<fs::perms>(0640));
    EXPECT_FALSE(anyTemporaryFile(source()));
    EXPECT_FALSE(anyTemporaryFile(real));
}

TEST_F(ProjectFileTest, SaveAsIntoAnotherFolderReopensEqual)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const std::string copy = target() + "/deeper/demo.omb";
    fs::create_directories(target() + "/deeper");
    PresetFileChooser chooser({copy});
    ScopedFileChooser installed(&chooser);
    std::string chosen;
    ASSERT_EQ(manager.SaveProjectFileAs(project, config, &chosen), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(textOf(project.cpus[0].kernel.kernelPath), "../../a/main.cpu");
    EXPECT_EQ(textOf(project.cpus[1].applications[0].path), "../../a/link.app");
    // Later saves of the kernel and application files still reach the files in the first folder.
    ASSERT_TRUE(SaveProjectFiles(manager, project, config)) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(testing::folderListing(target() + "/deeper"), std::vector<std::string>{"demo.omb"});

    ASSERT_EQ(open(other, copy), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_FALSE(ProjectsDiffer(project, other, false));
}

// The new folder is reached through a link that stands one level higher than the folder it leads to: the
// paths must lead from the real folder to the files, not from the folder the link's name suggests.
TEST_F(ProjectFileTest, SaveAsIntoAFolderReachedThroughALinkReopensEqual)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    fs::create_directories(target() + "/deeper");
    fs::create_directory_symlink("b/deeper", folder.file("shortcut"));
    const std::string copy = folder.file("shortcut/demo.omb");
    PresetFileChooser chooser({copy});
    ScopedFileChooser installed(&chooser);
    ASSERT_EQ(manager.SaveProjectFileAs(project, config, nullptr), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(textOf(project.cpus[0].kernel.kernelPath), "../../a/main.cpu");
    EXPECT_EQ(textOf(project.cpus[0].applications[1].path), "../../a/monitor.app");
    EXPECT_TRUE(fs::exists(target() + "/deeper/demo.omb"));

    ASSERT_EQ(open(other, copy), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_FALSE(ProjectsDiffer(project, other, false));
}

// A kernel path through a linked folder and ".." reaches the file the system reaches (the link's target's
// parent), and Save As keeps it reaching that file from the new folder.
TEST_F(ProjectFileTest, SaveAsReexpressesPathsByTheFileTheSystemReaches)
{
    fs::create_directories(source() + "/sub/deeper");
    fs::rename(source() + "/main.cpu", source() + "/sub/main.cpu");
    fs::create_directory_symlink("sub/deeper", source() + "/lnk");
    edit("demo.omb", "Kernel=main.cpu", "Kernel=lnk/../main.cpu");
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1) << ::testing::PrintToString(messages->texts());
    fs::create_directories(target());
    PresetFileChooser chooser({target() + "/demo.omb"});
    ScopedFileChooser installed(&chooser);
    ASSERT_EQ(manager.SaveProjectFileAs(project, config, nullptr), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(textOf(project.cpus[0].kernel.kernelPath), "../a/sub/main.cpu");
    ASSERT_EQ(open(other, target() + "/demo.omb"), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_FALSE(ProjectsDiffer(project, other, false));
}

TEST_F(ProjectFileTest, ProjectsTheWriterCouldNotReadBackAreNeverWritten)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const auto before = folderSnapshot(source());
    project.cpus[1].kernel.modelIndex = 7;  // no such model
    EXPECT_EQ(manager.SaveProjectFile(project, config), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Unable to write project file " + source() +
                                                          "/demo.omb: CPU \"Comms\" has no model"});
    EXPECT_EQ(folderSnapshot(source()), before);
}

// Names a page would refuse are refused by the writers too, before any file is written: the name rules
// are one check for every road.
TEST_F(ProjectFileTest, NamesThePagesRefuseAreNeverWritten)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const auto before = folderSnapshot(source());
    const std::string projectPath = source() + "/demo.omb";
    const struct {
        int cpu;
        int application;  // -1: the CPU is renamed
        const char* name;
        const char* message;
    } cases[] = {
        {0, 1, "CONTROL",
         "Unable to write application file monitor.app: the application name \"CONTROL\" cannot be the name of "
         "another application of CPU \"Main\""},
        {0, 1, "[x", "Unable to write application file monitor.app: the application name \"[x\" cannot start with "
                     "\"[\""},
        {0, 1, "a\tb", "Unable to write application file monitor.app: the application name \"a\tb\" cannot contain "
                       "control characters"},
        {1, -1, "main", "CPU name \"Main\" cannot be the name of CPU \"main\""},
        {1, -1, "Project", "CPU name \"Project\" cannot be \"PROJECT\", the name of a section of the project file"},
        {1, -1, "APPS Main", "CPU name \"Main\" cannot be a name whose application list \"APPS Main\" is the name "
                             "of CPU \"APPS Main\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages->clear();
        CpuRecord& cpu = project.cpus[c.cpu];
        const std::string cpuName = textString(cpu.name);
        if (c.application >= 0) {
            ApplicationRecord& application = cpu.applications[c.application];
            const std::string name = textString(application.name);
            setText(application.name, c.name);
            EXPECT_EQ(ApplicationFile(&manager, &project, &cpu, &application).Write(), 0);
            EXPECT_EQ(manager.SaveProjectFile(project, config), 0);
            setText(application.name, name);
            ASSERT_EQ(messages->texts().size(), 2u);
            EXPECT_EQ(messages->texts()[0], c.message);
            EXPECT_NE(messages->texts()[1].find("Unable to write project file " + projectPath + ": application name"),
                      std::string::npos);
        } else {
            setText(cpu.name, c.name);
            EXPECT_EQ(manager.SaveProjectFile(project, config), 0);
            setText(cpu.name, cpuName);
            ASSERT_EQ(messages->texts().size(), 1u);
            EXPECT_EQ(messages->texts()[0], "Unable to write project file " + projectPath + ": " + c.message);
        }
    }
    EXPECT_EQ(folderSnapshot(source()), before);
    messages->clear();
    EXPECT_EQ(manager.SaveProjectFile(project, config), 1) << ::testing::PrintToString(messages->texts());
}

TEST_F(ProjectFileTest, OddButReadableFilesOpenWithNothingDropped)
{
    // A byte-order mark before the first section, and an application file without a name.
    writeFile(source() + "/demo.omb", "\xEF\xBB\xBF" + readFile(source() + "/demo.omb"));
    edit("monitor.app", "Name=Monitor\r\n", "");
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(textOf(project.cpus[0].applications[1].name), "Monitor");
}

TEST_F(ProjectFileTest, ClassesWithoutOrSharingATagSaveAndReadBackTheirUserTexts)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    CpuRecord& main = project.cpus[0];
    ApplicationRecord& control = main.applications[0];
    // Without tags every class's generated files share one name, and so their user text sections.
    for (int32_t i = 0; i < main.kernel.classCount; ++i)
        setText(main.kernel.classes[i].tag, "");
    control.userTexts->Build(&control, main.kernel);
    control.userTexts->block(0).include = {"#include \"board.h\""};
    ApplicationFile(&manager, &project, &main, &control).Read("control.app");
    UserTextStore before(*control.userTexts);
    control.userTexts->block(0).include = {"#include \"kept.h\""};
    control.edited = 1;
    ASSERT_TRUE(WriteApplicationFile(manager, project, main, control)) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(control.edited, 0);

    ApplicationRecord reread{};
    ResetApplicationRecord(reread, main);
    ASSERT_EQ(ApplicationFile(&manager, &project, &main, &reread).Read("control.app"), 1);
    EXPECT_EQ(reread.userTexts->block(0).include, std::vector<std::string>{"#include \"kept.h\""});
    EXPECT_FALSE(reread.userTexts->Differs(*control.userTexts));
    EXPECT_TRUE(reread.userTexts->Differs(before));
    ProjectManager::FreeApplication(reread);
}

TEST_F(ProjectFileTest, SaveAsWithCancelWritesNothingAndAFailedSaveAsKeepsThePath)
{
    ASSERT_EQ(open(project, source() + "/demo.omb"), 1);
    const auto before = folderSnapshot(source());
    std::string chosen = "unchanged";
    EXPECT_EQ(manager.SaveProjectFileAs(project, config, &chosen), 1);
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(folderSnapshot(source()), before);
    EXPECT_EQ(textOf(project.path), source() + "/demo.omb");

    PresetFileChooser chooser({folder.file("no/such/demo.omb")});
    ScopedFileChooser installed(&chooser);
    project.edited = 1;
    EXPECT_EQ(manager.SaveProjectFileAs(project, config, &chosen), 0);
    EXPECT_EQ(chosen, folder.file("no/such/demo.omb"));
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Can't open file " + folder.file("no/such/demo.ombtemp")});
    EXPECT_EQ(textOf(project.path), source() + "/demo.omb");
    EXPECT_EQ(project.edited, 1);
    EXPECT_EQ(folderSnapshot(source()), before);
    ASSERT_EQ(chooser.Requests().size(), 1u);
    EXPECT_EQ(chooser.Requests()[0].title, "Choose File for Project \"Demo\"");
    EXPECT_EQ(chooser.Requests()[0].kind, FileKindProject);
}

}  // namespace
}  // namespace engine
