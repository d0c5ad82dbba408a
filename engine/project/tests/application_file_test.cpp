#include <algorithm>
#include "engine/project/application_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/files/file_chooser.h"
#include "engine/ops/project_manager.h"
#include "engine/project/project_file.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"
#include "platform/core/message_service.h"

namespace engine {
namespace {

using testing::crlf;
using testing::DemoCpu;
using testing::readFile;
using testing::ScratchFolder;
using testing::writeFile;

// The APPLICATION, MODEL OPTIONS and CLASS TYPES sections of a small application, followed by `rest`.
std::string smallApplication(const std::vector<std::string>& classTypes, const std::vector<std::string>& rest,
                             const std::vector<std::string>& applicationKeys = {})
{
    std::vector<std::string> lines = {"[APPLICATION]", "Name=Small", "Code File Path=gen\\src\\"};
    lines.insert(lines.end(), applicationKeys.begin(), applicationKeys.end());
    if (std::none_of(applicationKeys.begin(), applicationKeys.end(),
                     [](const std::string& key) { return key.starts_with("Kernel Stack Available="); }))
        lines.push_back("Kernel Stack Available=512");
    lines.insert(lines.end(), {"", "[MODEL OPTIONS]", "Trace Buffer Size=", "", "[Trace Buffer Size]", "Value=32",
                               "State=1", "", "[CLASS TYPES]"});
    lines.insert(lines.end(), classTypes.begin(), classTypes.end());
    lines.push_back("");
    lines.insert(lines.end(), rest.begin(), rest.end());
    return crlf(lines);
}

std::vector<std::string> classSection(const std::string& name, const std::vector<std::string>& extra = {})
{
    std::vector<std::string> lines = {"[" + name + "]", "Statistics=1", "Max Key Length=10"};
    lines.insert(lines.end(), extra.begin(), extra.end());
    lines.push_back("");
    return lines;
}

std::vector<std::string> join(std::vector<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const ApplicationClassEntry* entryNamed(const ApplicationRecord& app, const std::string& name)
{
    for (int32_t i = 0; i < app.classEntryCount; ++i) {
        for (const ApplicationClassEntry* e = &app.classEntries[i]; e != nullptr; e = e->chained) {
            if (textOf(e->name) == name)
                return e;
        }
    }
    return nullptr;
}

class ApplicationFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetApplicationRecord(app, demo.cpu);
        ResetApplicationRecord(other, demo.cpu);
    }
    void TearDown() override
    {
        ProjectManager::FreeApplication(app);
        ProjectManager::FreeApplication(other);
    }

    int read(ApplicationRecord& record, const std::string& path)
    {
        ApplicationFile file(nullptr, nullptr, &demo.cpu, &record);
        return file.Read(path);
    }
    int readText(const std::string& text)
    {
        writeFile(folder.file("small.app"), text);
        return read(app, folder.file("small.app"));
    }
    int write(ApplicationRecord& record, const std::string& path)
    {
        setText(record.path, path);
        ApplicationFile file(nullptr, nullptr, &demo.cpu, &record);
        return file.Write();
    }

    platform::ScopedScriptedMessages messages;
    DemoCpu demo;
    ScratchFolder folder;
    ApplicationRecord app{};
    ApplicationRecord other{};
};

TEST_F(ApplicationFileTest, ReadsEveryPartOfTheDemoApplication)
{
    ASSERT_EQ(read(app, testing::demoFolder() + "/control.app"), 1);
    EXPECT_TRUE(messages->texts().empty());
    EXPECT_EQ(app.edited, 0);
    EXPECT_EQ(textOf(app.name), "Control");
    EXPECT_EQ(textOf(app.codePath), "gen/control/src/");
    EXPECT_EQ(app.kernelStackManual, 1);
    EXPECT_EQ(app.userVersion, 3);
    EXPECT_EQ(app.extendedContext[0], 1);
    ASSERT_EQ(app.optionCount, 3);
    EXPECT_EQ(textOf(app.options[0].name), "Application Heap");
    EXPECT_EQ(app.options[0].value, 4096);
    EXPECT_EQ(app.options[2].state, 0);
    ASSERT_EQ(app.classEntryCount, 11);

    const ApplicationClassEntry& level = app.classEntries[0];
    ASSERT_NE(level.chained, nullptr);
    EXPECT_EQ(level.chained->classType, ClassThread);
    EXPECT_EQ(level.chained->numberOfDynamics, 4);
    ASSERT_EQ(level.objectCount, 2);
    ASSERT_EQ(level.objects[0].childCount, 2);
    EXPECT_EQ(textOf(static_cast<ThreadData*>(level.objects[0].children[0].data)->entryPoint), "MotorThread");
    EXPECT_EQ(level.objects[1].children[0].enabled, 0);
    EXPECT_EQ(static_cast<LevelData*>(level.objects[1].data)->schedulingPolicy, 1);

    const ApplicationClassEntry* counter = entryNamed(app, "Counter");
    ASSERT_NE(counter, nullptr);
    ASSERT_NE(counter->chained, nullptr);
    EXPECT_EQ(counter->chained->classType, ClassAlarm);
    const ObjectRecord& timer = entryNamed(app, "Event Source")->objects[0];
    EXPECT_EQ(timer.data, nullptr);
    ASSERT_EQ(timer.childCount, 2);
    EXPECT_EQ(static_cast<CounterData*>(timer.children[0].data)->systemTimebase, 1);
    ASSERT_EQ(timer.children[0].childCount, 2);
    EXPECT_EQ(textOf(static_cast<AlarmData*>(timer.children[0].children[1].data)->recycleExpression), "BLINK_PERIOD");

    const auto* task = static_cast<TaskData*>(entryNamed(app, "Task")->objects[0].data);
    EXPECT_EQ(task->stackSize, 1024);
    EXPECT_EQ(task->extendedContext[0], 1);
    EXPECT_EQ(task->attributes[1], 1);
    EXPECT_EQ(task->attributes[2], 0);
    EXPECT_EQ(textOf(static_cast<QueueData*>(entryNamed(app, "Queue")->objects[0].data)->depthExpression),
              "EVENT_QUEUE_DEPTH * 2");
    EXPECT_EQ(static_cast<PartitionData*>(entryNamed(app, "Partition")->objects[0].data)->alignment, 8);
    EXPECT_EQ(entryNamed(app, "Special Service")->objects[0].data, nullptr);

    ASSERT_NE(app.userTexts, nullptr);
    EXPECT_EQ(app.userTexts->block(0).include,
              (std::vector<std::string>{"#include \"board.h\"", "#include \"motor.h\"  /* drive constants */"}));
    EXPECT_EQ(app.userTexts->block(8).revisionBottom, std::vector<std::string>{"; end of exception table"});
}

TEST_F(ApplicationFileTest, OlderKeysAndMissingKeysTakeTheirDefaults)
{
    // An older file: "Project m file dirty" and "Global" in place of today's keys.
    ASSERT_EQ(readText(smallApplication({"Task=8"},
                                        join({classSection("Task", {"Objects=OBJS Task"}), {"[OBJS Task]", "t1=", ""},
                                              {"[t1]", "Class Name=Task", "Entry Point=T1Entry", "Initial Priority=1", "Stack Size=256", ""}}),
                                        {"Project m file dirty=1", "Global=1"})),
              1);
    EXPECT_EQ(app.projectCDirty, 1);
    EXPECT_EQ(app.isMp, 1);
    EXPECT_EQ(app.instances, 1);
    EXPECT_EQ(textOf(app.codePath), "gen/src/");  // stored backslashes read as this system's separators
    EXPECT_EQ(textOf(app.asmHeaderExtension), "inc");  // from the kernel
    const ObjectRecord& t1 = app.classEntries[0].objects[0];
    EXPECT_EQ(t1.enabled, 1);
    const auto* task = static_cast<TaskData*>(t1.data);
    EXPECT_EQ(task->extendedContext[1], 1);  // the kernel's task default for the context
    EXPECT_EQ(task->attributes[1], 1);
    EXPECT_EQ(task->attributes[3], 0);
}

TEST_F(ApplicationFileTest, CounterSwitchesAreFlagsReadAsTruthAndWrittenAsZeroOrOne)
{
    ASSERT_EQ(readText(smallApplication({"Counter=5"},
                                        join({classSection("Counter", {"Objects=OBJS Counter"}), {"[OBJS Counter]", "c1=", ""},
                                              {"[c1]", "Class Name=Counter", "Modulus=7", "System Timebase=2",
                                               "Tickslice Counter=-1", ""}}))),
              1);
    const auto* counter = static_cast<CounterData*>(app.classEntries[0].objects[0].data);
    EXPECT_EQ(counter->modulus, 7);
    EXPECT_EQ(counter->systemTimebase, 1);
    EXPECT_EQ(counter->ticksliceCounter, 1);
    ASSERT_EQ(write(app, folder.file("out.app")), 1);
    EXPECT_NE(readFile(folder.file("out.app")).find("Modulus=7\r\nSystem Timebase=1\r\nTickslice Counter=1\r\n"),
              std::string::npos);
}

TEST_F(ApplicationFileTest, WriteThenReadGivesTheSameApplicationAndTheSameBytes)
{
    ASSERT_EQ(read(app, testing::demoFolder() + "/control.app"), 1);
    app.edited = 1;
    ASSERT_EQ(write(app, folder.file("first.app")), 1);
    EXPECT_EQ(app.edited, 0);
    ASSERT_EQ(read(other, folder.file("first.app")), 1);
    EXPECT_FALSE(ProjectManager::ApplicationsDiffer(app, other));
    ASSERT_EQ(write(other, folder.file("second.app")), 1);
    EXPECT_EQ(readFile(folder.file("first.app")), readFile(folder.file("second.app")));
    EXPECT_EQ(testing::folderListing(folder.path()), (std::vector<std::string>{"first.app", "second.app"}));
    // Every user text section is written, empty or not.
    EXPECT_NE(readFile(folder.file("first.app")).find("[kmutx.inc_rev_bot]\r\n\r\n"), std::string::npos);
    EXPECT_TRUE(messages->texts().empty());
}

TEST_F(ApplicationFileTest, TheDemoLinkApplicationIsWrittenAsItStands)
{
    const std::string original = readFile(testing::demoFolder() + "/link.app");
    ASSERT_EQ(read(app, testing::demoFolder() + "/link.app"), 1);
    ASSERT_EQ(write(app, folder.file("link.app")), 1);
    // The file leaves out the user text sections that are empty; everything else is in the writer's order.
    std::string written = readFile(folder.file("link.app"));
    for (const std::string& name : app.userTexts->SectionNames()) {
        const std::string empty = "[" + name + "]\r\n\r\n";
        if (const std::size_t at = written.find(empty); at != std::string::npos)
            written.erase(at, empty.size());
    }
    EXPECT_EQ(written, original);
}

struct BadFile {
    const char* name;
    std::string text;
    const char* message;  // part of the one message expected
};

TEST_F(ApplicationFileTest, BadFilesFailWithTheirMessage)
{
    const std::vector<std::string> twoLists =
        join({classSection("Task", {"Objects=OBJS Task"}), {"[OBJS Task]", "worker=", ""},
              {"[worker]", "Class Name=Task", "Stack Size=256", ""}, classSection("Semaphore", {"Objects=OBJS Semaphore"})});
    const BadFile cases[] = {
        {"no class types", crlf({"[APPLICATION]", "Kernel Stack Available=512", "", "[MODEL OPTIONS]"}),
         "Unable to locate required section CLASS TYPES in application file "},
        {"child list missing",
         smallApplication({"Level=1"}, join({classSection("Level", {"Dependent Class=Thread", "Objects=OBJS Level"}),
                                             {"[OBJS Level]", "lvl=", "", "[lvl]", "Class Name=Level", "Objects=OBJS lvl", ""},
                                             classSection("Thread", {"Thread=2"})})),
         "Unable to locate required section OBJS lvl in application file "},
        {"object listed twice in another case",
         smallApplication({"Task=8"}, join({classSection("Task", {"Objects=OBJS Task"}),
                                            {"[OBJS Task]", "worker=", "WORKER=", "", "[worker]", "Class Name=Task", ""}})),
         "the key \"WORKER\" is listed twice in section \"OBJS Task\""},
        {"class type listed twice in another case", smallApplication({"Task=8", "TASK=8"}, classSection("Task")),
         "the key \"TASK\" is listed twice in section \"CLASS TYPES\""},
        {"no application section", crlf({"[MODEL OPTIONS]", "", "[CLASS TYPES]"}),
         "Unable to locate required section APPLICATION in application file "},
        {"option without its section", crlf({"[APPLICATION]", "Kernel Stack Available=512", "[MODEL OPTIONS]",
                                             "Verbose Asserts=", "[CLASS TYPES]"}),
         "Unable to locate required section Verbose Asserts in application file "},
        {"class missing from the kernel", smallApplication({"Gizmo=27"}, classSection("Gizmo")),
         "the class \"Gizmo\" is not a kernel class of CPU \"Main\""},
        {"class without its section", smallApplication({"Task=8"}, {}),
         "Unable to locate required section Task in application file "},
        {"object name used twice", smallApplication({"Task=8", "Semaphore=9"}, join({twoLists, {"[OBJS Semaphore]", "Worker=", ""}})),
         "the name \"Worker\" is used for more than one section"},
        {"object named like a class", smallApplication({"Task=8", "Semaphore=9"}, join({twoLists, {"[OBJS Semaphore]", "task=", ""}})),
         "the name \"task\" is used for more than one section"},
        {"object without its section", smallApplication({"Task=8"}, join({classSection("Task", {"Objects=OBJS Task"}), {"[OBJS Task]", "ghost=", ""}})),
         "Unable to locate required section ghost in application file "},
        {"children list naming the parent",
         smallApplication({"Level=1"}, join({classSection("Level", {"Dependent Class=Thread", "Objects=OBJS Level"}),
                                             {"[OBJS Level]", "lvl=", "", "[lvl]", "Class Name=Level", "Objects=OBJS Level", ""},
                                             classSection("Thread", {"Thread=2"})})),
         "the name \"OBJS Level\" is used for more than one section"},
        {"class listed under two names", smallApplication({"Task=8", "Tasks=8"}, join({classSection("Task"), classSection("Tasks")})),
         "the class \"Task\" is listed more than once"},
        {"class chained to itself", smallApplication({"Level=1"}, classSection("Level", {"Dependent Class=Level"})),
         "the name \"Level\" is used for more than one section"},
        // A value the reader fills in meets its range like a written one.
        {"task without its stack size",
         smallApplication({"Task=8"}, join({classSection("Task", {"Objects=OBJS Task"}), {"[OBJS Task]", "worker=", ""},
                                            {"[worker]", "Class Name=Task", "Initial Priority=1", ""}})),
         "the value 0 of \"Stack Size\" in section \"worker\" (the key is missing) is outside the range 128 to 32768 the "
         "model gives"},
        {"kernel stack below the model's", smallApplication({}, {}, {"Kernel Stack Available=1"}),
         "the value 1 of \"Kernel Stack Available\" in section \"APPLICATION\" is outside the range 256 to 65536 the "
         "model gives"},
        {"kernel stack above the model's", smallApplication({}, {}, {"Kernel Stack Available=100000"}),
         "the value 100000 of \"Kernel Stack Available\" in section \"APPLICATION\" is outside the range 256 to 65536"},
        {"kernel stack off the model's modulus", smallApplication({}, {}, {"Kernel Stack Available=260"}),
         "the value 260 of \"Kernel Stack Available\" in section \"APPLICATION\" is not a multiple of 8"},
        {"kernel stack missing", crlf({"[APPLICATION]", "[MODEL OPTIONS]", "[CLASS TYPES]"}),
         "the value 0 of \"Kernel Stack Available\" in section \"APPLICATION\" (the key is missing) is outside the range "
         "256 to 65536 the model gives"},
    };
    for (const BadFile& c : cases) {
        SCOPED_TRACE(c.name);
        messages->clear();
        EXPECT_EQ(readText(c.text), 0);
        const std::vector<std::string> texts = messages->texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(c.message), std::string::npos) << texts[0];
    }
    messages->clear();
    EXPECT_EQ(read(app, folder.file("missing.app")), 0);
    EXPECT_EQ(messages->texts(),
              std::vector<std::string>{"Unable to open application file " + folder.file("missing.app") + " for reading"});

    // A named pipe in place of the file is refused at once instead of waiting for a writer.
    const std::string fifo = folder.file("pipe.app");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    messages->clear();
    EXPECT_EQ(read(app, fifo), 0);
    EXPECT_EQ(messages->texts(),
              std::vector<std::string>{"Unable to read application file " + fifo + ": it is a named pipe"});
}

TEST_F(ApplicationFileTest, AnObjectListLongerThanTheFileIsRefusedBeforeRecordsAreSetUp)
{
    std::vector<std::string> list = {"[OBJS Task]"};
    for (int i = 0; i < 20000; ++i)
        list.push_back("t" + std::to_string(i) + "=");
    list.push_back("");
    EXPECT_EQ(readText(smallApplication({"Task=8"}, join({classSection("Task", {"Objects=OBJS Task"}), list}))), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Unable to locate required section t0 in application file " +
                                                          folder.file("small.app")});
    EXPECT_EQ(app.classEntries[0].objectCount, 0);
    EXPECT_EQ(app.classEntries[0].objects, nullptr);
}

TEST_F(ApplicationFileTest, AnEmptyClassTypesSectionLoadsWithoutEntries)
{
    ASSERT_EQ(readText(smallApplication({}, {})), 1);
    EXPECT_EQ(app.classEntryCount, 0);
    EXPECT_EQ(app.classEntries, nullptr);
}

TEST_F(ApplicationFileTest, AnObjectTakesTheClassOfTheEntryThatHoldsIt)
{
    ASSERT_EQ(readText(smallApplication(
                  {"Level=1"}, join({classSection("Level", {"Objects=OBJS Level"}), {"[OBJS Level]", "lvlOdd=", "lvlBare=", ""},
                                     {"[lvlOdd]", "Class Name=Task", "Scheduling Policy=0", "Stack Size=4096", ""},
                                     {"[lvlBare]", "Scheduling Policy=1", ""}}))),
              1);
    // One warning for the file, however many objects disagree.
    ASSERT_EQ(messages->texts().size(), 1u);
    EXPECT_NE(messages->texts()[0].find("it is read as an object of class \"Level\""), std::string::npos);
    EXPECT_EQ(messages->boxes()[0].caption, "Warning");
    EXPECT_EQ(app.edited, 1);
    EXPECT_EQ(static_cast<LevelData*>(app.classEntries[0].objects[0].data)->schedulingPolicy, 0);
    EXPECT_EQ(static_cast<LevelData*>(app.classEntries[0].objects[1].data)->schedulingPolicy, 1);

    messages->clear();
    ASSERT_EQ(write(app, folder.file("out.app")), 1);
    const std::string written = readFile(folder.file("out.app"));
    EXPECT_NE(written.find("Class Name=Level\r\nScheduling Policy=0\r\n\r\n"), std::string::npos);
    EXPECT_EQ(written.find("Stack Size"), std::string::npos);
}

TEST_F(ApplicationFileTest, ClassNamesFollowTheKernelAndChainedTypesComeFromTheKernelWhenMissing)
{
    ASSERT_EQ(readText(smallApplication({"Levels=1"}, join({classSection("Levels", {"Dependent Class=Thread"}),
                                                            classSection("Thread")}))),
              1);
    EXPECT_EQ(textOf(app.classEntries[0].name), "Level");
    EXPECT_EQ(app.edited, 1);
    ASSERT_NE(app.classEntries[0].chained, nullptr);
    EXPECT_EQ(app.classEntries[0].chained->classType, ClassThread);
    EXPECT_EQ(app.classEntries[0].maxKeyLength, 10);
    EXPECT_TRUE(messages->texts().empty());
}

TEST_F(ApplicationFileTest, NamesThatWouldCollideAreRefusedAndTheOldFileStays)
{
    ASSERT_EQ(readText(smallApplication(
                  {"Semaphore=9", "Mutex=13"},
                  join({classSection("Semaphore", {"Objects=OBJS Semaphore"}), {"[OBJS Semaphore]", "abc=", "", "[abc]", "Class Name=Semaphore", ""},
                        classSection("Mutex", {"Objects=OBJS Mutex"}), {"[OBJS Mutex]", "abd=", "", "[abd]", "Class Name=Mutex", ""}}))),
              1);
    const std::string before = readFile(folder.file("small.app"));
    setText(app.classEntries[1].objects[0].name, "ABC");
    app.edited = 1;
    ASSERT_EQ(write(app, folder.file("small.app")), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Unable to write application file " + folder.file("small.app") +
                                                          ": the name \"ABC\" is used twice"});
    EXPECT_EQ(readFile(folder.file("small.app")), before);
    EXPECT_EQ(testing::folderListing(folder.path()), std::vector<std::string>{"small.app"});
    EXPECT_EQ(app.edited, 1);
}

TEST_F(ApplicationFileTest, WritingWithoutAPathOrIntoAMissingFolderChangesNothing)
{
    ASSERT_EQ(readText(smallApplication({}, {})), 1);
    app.edited = 1;
    ASSERT_EQ(write(app, ""), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Application \"Small\" has no file to be written to"});
    messages->clear();
    ASSERT_EQ(write(app, folder.file("no/such/folder.app")), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Unable to open application file " +
                                                          folder.file("no/such/folder.app") + " for writing: its folder " +
                                                          folder.file("no/such") + " does not exist"});
    EXPECT_EQ(app.edited, 1);
    EXPECT_EQ(testing::folderListing(folder.path()), std::vector<std::string>{"small.app"});
}

TEST_F(ApplicationFileTest, GlobalApplicationsAreWarnedAboutSharedNamesTheyHaveInCommon)
{
    demo.cpu.kernel.featureMask = 6;
    demo.cpu.kernel.framework = 4;
    ProjectRecord project{};
    project.cpus = &demo.cpu;
    project.cpuCount = 1;
    demo.cpu.applications = static_cast<ApplicationRecord*>(std::calloc(2, sizeof(ApplicationRecord)));
    demo.cpu.applicationCount = 2;
    const std::string text = crlf({"[APPLICATION]", "Name=%", "Is MP=1", "Kernel Stack Available=512", "[MODEL OPTIONS]", "[CLASS TYPES]", "Semaphore=9",
                                   "[Semaphore]", "Objects=OBJS Semaphore", "[OBJS Semaphore]", "semShared=", "semOwn%=",
                                   "[semShared]", "Is MP=1", "Class Name=Semaphore", "[semOwn%]", "Is MP=1",
                                   "Class Name=Semaphore"});
    for (int i = 0; i < 2; ++i) {
        ApplicationRecord& record = demo.cpu.applications[i];
        ResetApplicationRecord(record, demo.cpu);
        std::string own = text;
        for (std::size_t at; (at = own.find('%')) != std::string::npos;)
            own.replace(at, 1, i == 0 ? "A" : "B");
        writeFile(folder.file("g.app"), own);
        ApplicationFile file(nullptr, &project, &demo.cpu, &record);
        ASSERT_EQ(file.Read(folder.file("g.app")), 1);
    }
    EXPECT_EQ(messages->texts(),
              std::vector<std::string>{"Warning, application \"A\" contains an object named \"semShared\" which "
                                       "duplicates an object name in another global application.  Change it to a "
                                       "unique name before generating code."});
}

TEST_F(ApplicationFileTest, ChoosingAFileAsksWithTheTitlesAndCancelChangesNothing)
{
    PresetFileChooser chooser({"", folder.file("chosen.app"), folder.file("no/such/folder.app")});
    ScopedFileChooser installed(&chooser);
    ASSERT_EQ(readText(smallApplication({}, {})), 1);
    ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
    std::string chosen = "unchanged";
    EXPECT_EQ(file.ChooseAndRead(&chosen), 1);  // Cancel
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(textOf(app.name), "Small");
    EXPECT_EQ(file.ChooseAndWrite(&chosen), 1);
    EXPECT_EQ(chosen, folder.file("chosen.app"));
    EXPECT_EQ(textOf(app.path), folder.file("chosen.app"));
    EXPECT_EQ(testing::folderListing(folder.path()), (std::vector<std::string>{"chosen.app", "small.app"}));
    // A write that fails keeps the file the application had.
    app.edited = 1;
    EXPECT_EQ(file.ChooseAndWrite(&chosen), 0);
    EXPECT_EQ(messages->texts(), std::vector<std::string>{"Unable to open application file " +
                                                          folder.file("no/such/folder.app") + " for writing: its folder " +
                                                          folder.file("no/such") + " does not exist"});
    EXPECT_EQ(textOf(app.path), folder.file("chosen.app"));
    EXPECT_EQ(app.edited, 1);
    const std::vector<PresetFileChooser::Request> requests = chooser.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(requests[0].open);
    EXPECT_EQ(requests[0].kind, FileKindApplication);
    EXPECT_EQ(requests[0].title, "Choose Appliction File");
    EXPECT_FALSE(requests[1].open);
    EXPECT_EQ(requests[1].title, "Choose File for Application \"Small\"");
}

}  // namespace
}  // namespace engine
