// The display-free parts of the shell: utility scripts and their answers, list columns and cells, tree
// labels and images, command state and context menus, pane geometry, the mount table and the footprint
// line.

#include "gui/shell/command_state.h"
#include "gui/shell/folder_picker.h"
#include "gui/shell/generator_calls.h"
#include "gui/shell/list_content.h"
#include "gui/shell/main_panes.h"
#include "gui/shell/project_tree.h"
#include "gui/shell/utility_params_dialog.h"
#include "gui/shell/utility_script.h"

#include "engine/records/text_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>

namespace shell {
namespace {

// ---- utility scripts

EnvironmentLookup fixedLookup(std::map<std::string, std::string> values)
{
    return [values](const std::string& name) {
        const auto found = values.find(name);
        return found == values.end() ? std::string() : found->second;
    };
}

TEST(UtilityScript, UnderscoresBecomeBlanksExceptDoubledOnes)
{
    EXPECT_EQ(UnderscoresToSpaces("Make__all_files"), "Make_all files");
    EXPECT_EQ(UnderscoresToSpaces("a___b"), "a_ b");
    EXPECT_EQ(UnderscoresToSpaces(""), "");
}

TEST(UtilityScript, RequestsAreReadWithTheirFieldsAndAnsweredInPlace)
{
    ParsedUtility parsed = ParseUtilityCommand("cp $Source%f@in.txt $Target%f out", fixedLookup({}));
    ASSERT_EQ(parsed.requests.size(), 2u);
    EXPECT_EQ(parsed.requests[0].prompt, "Source");
    EXPECT_EQ(parsed.requests[0].type, "f");
    EXPECT_EQ(parsed.requests[0].value, "in.txt");
    EXPECT_EQ(parsed.requests[1].value, "");
    EXPECT_EQ(parsed.displayText, "cp <Source> <Target> out");
    parsed.requests[0].value = "a.txt";
    parsed.requests[1].value = "b.txt";
    EXPECT_EQ(FinishUtilityCommand(parsed, fixedLookup({})), "cp a.txt b.txt out");

    parsed = ParseUtilityCommand("run $Width%x#2,4@1F $Bad_type%q", fixedLookup({}));
    ASSERT_EQ(parsed.requests.size(), 2u);
    EXPECT_EQ(parsed.requests[0].minimum, 2u);
    EXPECT_EQ(parsed.requests[0].maximum, 4u);
    EXPECT_EQ(parsed.requests[1].prompt, "Bad type");
    EXPECT_EQ(parsed.requests[1].type, "s");
}

TEST(UtilityScript, DollarSignsMarkersAndModes)
{
    ParsedUtility parsed = ParseUtilityCommand("echo $$HOME", fixedLookup({}));
    EXPECT_TRUE(parsed.requests.empty());
    EXPECT_EQ(parsed.command, "echo $HOME");
    EXPECT_TRUE(parsed.pipeMode);

    parsed = ParseUtilityCommand("&make all", fixedLookup({}));
    EXPECT_FALSE(parsed.pipeMode);
    EXPECT_EQ(parsed.command, "make all");

    // Early markers are escaped for request defaults; late ones are raw. A marker at the very start counts.
    const auto lookup = fixedLookup({{"pd", "/my projects/a_b"}});
    parsed = ParseUtilityCommand("ls &{pd} ${pd}", lookup);
    EXPECT_EQ(FinishUtilityCommand(parsed, lookup), "ls /my_projects/a__b /my projects/a_b");
    parsed = ParseUtilityCommand("${pd}/run.sh", lookup);
    EXPECT_EQ(FinishUtilityCommand(parsed, lookup), "/my projects/a_b/run.sh");
    parsed = ParseUtilityCommand("cat ${pd", lookup);
    EXPECT_EQ(FinishUtilityCommand(parsed, lookup), "cat /my projects/a_b");
    // An escaped default comes back with its blanks.
    parsed = ParseUtilityCommand("ls $Folder%d@&{pd}", lookup);
    ASSERT_EQ(parsed.requests.size(), 1u);
    EXPECT_EQ(parsed.requests[0].value, "/my projects/a_b");
}

TEST(UtilityScript, YesNoRequestsChooseTheirTexts)
{
    ParsedUtility parsed = ParseUtilityCommand("build $Debug%bOFF|ON@y", fixedLookup({}));
    ASSERT_EQ(parsed.requests.size(), 1u);
    EXPECT_EQ(parsed.requests[0].value, "1");
    EXPECT_EQ(RequestReplacement(parsed.requests[0]), "ON");
    parsed.requests[0].value = "0";
    EXPECT_EQ(FinishUtilityCommand(parsed, fixedLookup({})), "build OFF");
    UtilityRequest noBar{"p", "b", 0, 0, "1", 0, 0};
    EXPECT_EQ(RequestReplacement(noBar), "");
    noBar.value = "nonsense";
    EXPECT_EQ(ParseUtilityCommand("x $P%b@nonsense", fixedLookup({})).requests[0].value, "0");
}

TEST(UtilityScript, TheScanStopsAfterTenRequests)
{
    std::string command = "tool";
    for (int i = 0; i < 11; ++i)
        command += " $P" + std::to_string(i);
    command += " $$x";
    const ParsedUtility parsed = ParseUtilityCommand(command, fixedLookup({}));
    EXPECT_EQ(parsed.requests.size(), 10u);
    EXPECT_NE(parsed.command.find("$P10 $$x"), std::string::npos);
    EXPECT_EQ(parsed.displayText.find("P10"), std::string::npos);
}

TEST(UtilityScript, AnswersAreCheckedRowByRow)
{
    std::vector<UtilityRequest> requests = {{"Hex", "x", 0, 0, "", 0, 0}, {"Oct", "o", 0, 0, "", 0, 0},
                                            {"Name", "s", 1, 8, "", 0, 0}};
    int row = -1;
    EXPECT_EQ(CheckUtilityAnswers(requests, {"1aF", "17", "a"}, &row), "");
    EXPECT_EQ(CheckUtilityAnswers(requests, {"0x1F", "", "a"}, &row), "");
    EXPECT_EQ(CheckUtilityAnswers(requests, {"0X1F", "8", ""}, &row),
              "Entry for \"Hex\" can contain only hexadecimal digits (0-9,a-f,A-F)");
    EXPECT_EQ(row, 0);
    EXPECT_EQ(CheckUtilityAnswers(requests, {"1", "8", ""}, &row), "Entry for \"Oct\" can contain only octal digits (0-7)");
    EXPECT_EQ(row, 1);
    EXPECT_EQ(CheckUtilityAnswers(requests, {"1", "7", ""}, &row),
              "Entry for \"Name\" must be at least 1 characters in length");
    EXPECT_EQ(CheckUtilityAnswers(requests, {"1", "7", "123456789"}, &row),
              "Entry for \"Name\" cannot be more than 8 characters in length");
    EXPECT_EQ(row, 2);
}

// ---- records for the tests below

struct Records {
    engine::ProjectRecord project{};
    std::deque<engine::CpuRecord> cpus;
    std::deque<engine::ApplicationRecord> applications;
    std::deque<engine::ApplicationClassEntry> entries;
    std::deque<engine::KernelClassRecord> classes;

    Records() { std::memset(&project, 0, sizeof project); }
    ~Records()
    {
        for (engine::CpuRecord& cpu : cpus)
            std::free(cpu.kernel.classes);
    }

    engine::CpuRecord& cpu(const char* name)
    {
        engine::CpuRecord& record = cpus.emplace_back();
        std::memset(&record, 0, sizeof record);
        engine::setText(record.name, name);
        return record;
    }
    engine::ApplicationClassEntry& entry(int32_t type, const char* name)
    {
        engine::ApplicationClassEntry& record = entries.emplace_back();
        std::memset(&record, 0, sizeof record);
        record.classType = type;
        record.enabled = 1;
        engine::setText(record.name, name);
        return record;
    }
    void kernelClass(engine::CpuRecord& cpu, int32_t type, const char* name, const char* plural)
    {
        auto* grown = static_cast<engine::KernelClassRecord*>(
            std::realloc(cpu.kernel.classes, sizeof(engine::KernelClassRecord) * static_cast<std::size_t>(cpu.kernel.classCount + 1)));
        ASSERT_NE(grown, nullptr);
        cpu.kernel.classes = grown;
        engine::KernelClassRecord& record = grown[cpu.kernel.classCount++];
        std::memset(&record, 0, sizeof record);
        record.classType = type;
        record.available = record.selected = 1;
        engine::setText(record.name, name);
        engine::setText(record.pluralName, plural);
    }
};

TEST(ProjectTreeTexts, ClassLabelsJoinTheChain)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    r.kernelClass(cpu, engine::ClassEventSource, "Event Source", "Event Sources");
    r.kernelClass(cpu, engine::ClassCounter, "Counter", "Counters");
    r.kernelClass(cpu, engine::ClassAlarm, "Alarm", "Alarms");
    r.kernelClass(cpu, engine::ClassLevel, "Level", "Levels");
    r.kernelClass(cpu, engine::ClassThread, "Thread", "Threads");
    engine::ApplicationClassEntry& events = r.entry(engine::ClassEventSource, "Event Source");
    engine::ApplicationClassEntry& counters = r.entry(engine::ClassCounter, "Counter");
    engine::ApplicationClassEntry& alarms = r.entry(engine::ClassAlarm, "Alarm");
    events.chained = &counters;
    counters.chained = &alarms;
    EXPECT_EQ(ClassLabel(cpu, events), "Event Sources, Counters, and Alarms");
    engine::ApplicationClassEntry& levels = r.entry(engine::ClassLevel, "Level");
    engine::ApplicationClassEntry& threads = r.entry(engine::ClassThread, "Thread");
    levels.chained = &threads;
    EXPECT_EQ(ClassLabel(cpu, levels), "Levels and Threads");
    EXPECT_EQ(ClassLabel(cpu, alarms), "Alarms");
    EXPECT_EQ(ClassEntryImage(events), ImageClass);
    alarms.mFileDirty = 1;
    EXPECT_EQ(ClassEntryImage(events), ImageClassDirty);
}

TEST(ProjectTreeTexts, ImagesFollowEditedAndDirtyFlags)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    EXPECT_EQ(CpuImage(cpu), ImageCpu);
    cpu.kernel.hFileDirty = 1;
    EXPECT_EQ(CpuImage(cpu), ImageCpuDirty);
    cpu.kernel.edited = 1;
    EXPECT_EQ(CpuImage(cpu), ImageCpuEditedDirty);
    cpu.kernel.framework = cpu.kernel.featureMask = 4;
    EXPECT_EQ(CpuTreeText(cpu), "*Main");
    engine::ApplicationRecord application{};
    std::memset(&application, 0, sizeof application);
    EXPECT_EQ(ApplicationImage(application), ImageApplication);
    application.regenerate = 1;
    application.edited = 1;
    EXPECT_EQ(ApplicationImage(application), ImageApplicationEditedDirty);
}

// ---- list columns and cells

TEST(ListContent, ObjectColumnsDependOnTraceFeaturesAndContexts)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    engine::ApplicationRecord application{};
    std::memset(&application, 0, sizeof application);
    engine::ApplicationClassEntry& tasks = r.entry(engine::ClassTask, "Task");
    ListSource source{&r.project, &cpu, &application, &tasks};
    auto titles = [&](int kind) {
        std::vector<std::string> result;
        for (const ListColumn& column : ListColumns(kind, source))
            result.push_back(column.title);
        return result;
    };
    EXPECT_EQ(titles(4), (std::vector<std::string>{"Name", "Entry Point", "Initial Priority", "Stack Size", "Start Order",
                                                   "Description"}));
    tasks.systemTrace = 1;
    cpu.kernel.extendedContextCount = 2;
    engine::setText(cpu.kernel.extendedContexts[1].abbreviation, "FPU");
    application.extendedContext[1] = 1;
    cpu.kernel.taskAttributeCount = 1;
    engine::setText(cpu.kernel.taskAttributes[0].name, "Privileged");
    EXPECT_EQ(titles(5), (std::vector<std::string>{"Name", "Trace Object", "Trace Actor", "Entry Point", "Initial Priority",
                                                   "Stack Size", "Start Order", "FPU", "Privileged", "Description"}));
    engine::ApplicationClassEntry& counters = r.entry(engine::ClassCounter, "Counter");
    counters.systemTrace = 1;
    source.entry = &counters;
    EXPECT_EQ(titles(4), (std::vector<std::string>{"Name", "Trace", "Modulus", "System Timebase", "Description"}));
    cpu.kernel.featureMask = 2;
    EXPECT_EQ(titles(4).size(), 6u);
    EXPECT_TRUE(ListColumns(4, source)[2].rightAligned);
    EXPECT_TRUE(ListColumns(9, source).empty());
}

TEST(ListContent, NumbersShowTheirExpressions)
{
    EXPECT_EQ(NumberWithExpression("5", "N+1", 4), "5 (N+1)");
    EXPECT_EQ(NumberWithExpression("5", "   ", 4), "5");
    EXPECT_EQ(NumberWithExpression("-3", "", 1), "-3");
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    engine::ApplicationRecord application{};
    std::memset(&application, 0, sizeof application);
    engine::ApplicationClassEntry& queues = r.entry(engine::ClassQueue, "Queue");
    engine::QueueData data{};
    data.width = 4;
    engine::setText(data.depthExpression, "DEPTH");
    data.depth = 8;
    data.waitingOrder = 1;
    engine::ObjectRecord object{};
    object.data = &data;
    EXPECT_EQ(ObjectClassCells(cpu, application, queues, object), (std::vector<std::string>{"4", "8 (DEPTH)", "FIFO"}));
    object.data = nullptr; // a block that is missing gives no cells, never a crash
    EXPECT_TRUE(ObjectClassCells(cpu, application, queues, object).empty());
}

// ---- command state and context menus

TEST(CommandState, LabelsAndFlagsByNodeKind)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    engine::TreeNode node;
    node.kind = engine::NodeProject;
    node.project = &r.project;
    CommandState state = ComputeCommandState(r.project, node);
    EXPECT_EQ(state.addWord, "CPU");
    EXPECT_TRUE(state.add);
    EXPECT_FALSE(state.remove);
    EXPECT_FALSE(state.save); // no project name
    EXPECT_FALSE(state.close);
    engine::setText(r.project.name, "P");
    EXPECT_TRUE(ComputeCommandState(r.project, node).save);
    node.kind = engine::NodeCpu;
    node.cpu = &cpu;
    state = ComputeCommandState(r.project, node);
    EXPECT_EQ(state.deleteWord, "CPU");
    EXPECT_EQ(state.cpu, &cpu);
    EXPECT_FALSE(state.editUserText);
    node.kind = engine::NodeNone;
    state = ComputeCommandState(r.project, node);
    EXPECT_FALSE(state.add || state.remove || state.change || state.save || state.generate || state.print);
}

std::vector<std::string> menuTexts(const std::vector<MenuItem>& items)
{
    std::vector<std::string> texts;
    for (const MenuItem& item : items)
        texts.push_back(item.separator() ? "-" : item.text);
    return texts;
}

TEST(CommandState, ContextMenusByNodeKind)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    engine::TreeNode node;
    node.kind = engine::NodeCpu;
    node.cpu = &cpu;
    auto items = BuildContextMenu(node, true);
    EXPECT_EQ(menuTexts(items), (std::vector<std::string>{"E&xpand/Collapse", "-", "&Add Application", "&Delete CPU",
                                                          "CPU P&roperties", "-", "&Save CPU", "-", "&Mark Dirty",
                                                          "&Generate Code", "Generate A&ll", "-", "&Print CPU"}));
    EXPECT_TRUE(items[8].enabled);
    cpu.kernel.hFileDirty = 1;
    EXPECT_FALSE(BuildContextMenu(node, true)[8].enabled);
    EXPECT_EQ(BuildContextMenu(node, false)[2].id, CmdListAdd);

    engine::ApplicationRecord application{};
    std::memset(&application, 0, sizeof application);
    application.isMp = 1;
    node.kind = engine::NodeApplication;
    node.application = &application;
    const std::vector<std::string> plain = menuTexts(BuildContextMenu(node, true));
    EXPECT_EQ(std::count(plain.begin(), plain.end(), "E&nable MP"), 0);
    cpu.kernel.framework = cpu.kernel.featureMask = 4;
    items = BuildContextMenu(node, true);
    const auto mp = std::find_if(items.begin(), items.end(), [](const MenuItem& item) { return item.text == "E&nable MP"; });
    ASSERT_NE(mp, items.end());
    EXPECT_TRUE(mp->checked);

    engine::ApplicationClassEntry& levels = r.entry(engine::ClassLevel, "Level");
    levels.dynamicsAllowed = 1;
    cpu.kernel.framework = 2;
    node.kind = engine::NodeClassEntry;
    node.entry = &levels;
    items = BuildContextMenu(node, true);
    EXPECT_EQ(items[2].text, "&Add Level");
    EXPECT_FALSE(items[5].enabled); // Dynamics: never for Levels in the menu
    EXPECT_TRUE(ComputeCommandState(r.project, node).dynamics); // the Edit menu allows it
    node.kind = engine::NodeNone;
    EXPECT_TRUE(BuildContextMenu(node, true).empty());
}

// ---- geometry, mount table, footprint line

TEST(MainPanes, TreeShareGapAndLimits)
{
    const PaneGeometry geometry = LayoutPanes(1000, 600, 20, 0.3);
    EXPECT_EQ(geometry.tree, QRect(0, 0, 300, 580));
    EXPECT_EQ(geometry.list, QRect(304, 0, 696, 580));
    EXPECT_EQ(geometry.status, QRect(0, 580, 1000, 20));
    EXPECT_DOUBLE_EQ(SplitterRatio(10, 1000), 0.05);
    EXPECT_DOUBLE_EQ(SplitterRatio(990, 1000), 0.95);
    EXPECT_DOUBLE_EQ(SplitterRatio(500, 1000), 0.5);
    EXPECT_DOUBLE_EQ(SplitterRatio(5, 0), 0.05);
}

TEST(FolderPicker, MountTableGivesTheRealFileSystems)
{
    const std::string table = "proc /proc proc rw 0 0\n"
                              "/dev/sda2 /home ext4 rw 0 0\n"
                              "/dev/sda1 / ext4 rw 0 0\n"
                              "server:/x /mnt/net nfs4 rw 0 0\n"
                              "/dev/sr0 /media/cd iso9660 ro 0 0\n"
                              "tmpfs /run/my\\040space tmpfs rw 0 0\n"
                              "garbage\n";
    const std::vector<MountedDrive> drives = ParseMountTable(table);
    ASSERT_EQ(drives.size(), 5u);
    EXPECT_EQ(drives[0].root, "/");
    EXPECT_EQ(drives[1].root, "/home");
    EXPECT_EQ(drives[2].kind, DriveKind::Network);
    EXPECT_EQ(drives[3].kind, DriveKind::Cd);
    EXPECT_EQ(drives[4].root, "/run/my space");
    EXPECT_EQ(drives[4].kind, DriveKind::Ram);
}

TEST(GeneratorCalls, FootprintLineAndKernelFlags)
{
    Records r;
    engine::CpuRecord& cpu = r.cpu("Main");
    engine::setText(cpu.kernel.sizeUnitName, "bytes");
    engine::ApplicationRecord application{};
    std::memset(&application, 0, sizeof application);
    engine::setText(application.name, "App");
    application.footprint.Set(10, 20, 300);
    application.systemRamAvailable = 200;
    EXPECT_EQ(FootprintStatusText(cpu, application), "For application App, System RAM=300, User RAM=10, User ROM=20 bytes");
    application.systemRamManual = 1;
    EXPECT_EQ(FootprintStatusText(cpu, application), "For application App, System RAM=300*, User RAM=10, User ROM=20 bytes");
    // A counter held at its largest says it stands for that much or more.
    application.footprint.Set(0xFFFFFFFFu, 20, 300);
    EXPECT_EQ(FootprintStatusText(cpu, application),
              "For application App, System RAM=300*, User RAM=4294967295 or more, User ROM=20 bytes");

    engine::ApplicationRecord applications[2]{};
    std::memset(applications, 0, sizeof applications);
    cpu.applications = applications;
    cpu.applicationCount = 2;
    cpu.kernel.hFileDirty = cpu.kernel.mFileDirty = 1;
    applications[1].projectHDirty = 1;
    ClearKernelDirtyFlags(cpu);
    EXPECT_EQ(cpu.kernel.hFileDirty, 1);
    EXPECT_EQ(cpu.kernel.mFileDirty, 0);
    EXPECT_EQ(cpu.kernel.edited, 1);
    applications[1].projectHDirty = 0;
    ClearKernelDirtyFlags(cpu);
    EXPECT_EQ(cpu.kernel.hFileDirty, 0);
    cpu.applications = nullptr;
    cpu.applicationCount = 0;
}

} // namespace
} // namespace shell
