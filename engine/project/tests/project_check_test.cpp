// The one project check on a project held in memory, as an editor asks it before keeping an edit: names,
// files listed twice and values outside their field.

#include "engine/project/project_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "project_fixtures.h"

using namespace engine;

namespace {

// Two CPUs, "Main" with "Control" and "Monitor", "Comms" with "Link", each with its own files, and one
// task in "Control".
struct SmallProject {
    ProjectRecord project{};
    std::vector<CpuRecord> cpus = std::vector<CpuRecord>(2);
    std::vector<ApplicationRecord> main = std::vector<ApplicationRecord>(2);
    std::vector<ApplicationRecord> comms = std::vector<ApplicationRecord>(1);
    ApplicationClassEntry tasks{};
    ObjectRecord task{};
    TaskData taskData{};

    explicit SmallProject(const std::string& folder)
    {
        setText(project.path, folder + "/demo.omb");
        project.cpus = cpus.data();
        project.cpuCount = 2;
        name(cpus[0], "Main", "main.cpu", main, {{"Control", "control.app"}, {"Monitor", "monitor.app"}});
        name(cpus[1], "Comms", "comms.cpu", comms, {{"Link", "link.app"}});
        tasks.classType = ClassTask;
        setText(tasks.name, "Task");
        tasks.objects = &task;
        tasks.objectCount = 1;
        setText(task.name, "tskMain");
        task.data = &taskData;
        taskData.stackSize = 512;
        taskData.initialPriority = 1;
        main[0].classEntries = &tasks;
        main[0].classEntryCount = 1;
    }

    static void name(CpuRecord& cpu, const char* cpuName, const char* kernel, std::vector<ApplicationRecord>& apps,
                     const std::vector<std::pair<const char*, const char*>>& names)
    {
        setText(cpu.name, cpuName);
        setText(cpu.kernel.kernelPath, kernel);
        cpu.applications = apps.data();
        cpu.applicationCount = static_cast<int32_t>(apps.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            setText(apps[i].name, names[i].first);
            setText(apps[i].path, names[i].second);
            apps[i].instances = 1;
        }
    }
};

struct Case {
    const char* name;
    std::function<void(SmallProject&)> edit;
    std::string problem;
};

TEST(ProjectCheckTest, RefusesWhatCouldNotBeSavedAndOpenedAgain)
{
    const std::string cannot = " cannot contain any of the following characters: \\/:*?\"<>|";
    const Case cases[] = {
        {"sound", [](SmallProject&) {}, ""},
        {"kernel file of two CPUs", [](SmallProject& p) { setText(p.cpus[1].kernel.kernelPath, "main.cpu"); },
         "the file main.cpu is both the kernel file of CPU \"Main\" and the kernel file of CPU \"Comms\""},
        {"kernel file by another spelling",
         [](SmallProject& p) { setText(p.cpus[1].kernel.kernelPath, "sub/../main.cpu"); },
         "the file sub/../main.cpu is both the kernel file of CPU \"Main\" and the kernel file of CPU \"Comms\""},
        {"application file of another CPU", [](SmallProject& p) { setText(p.comms[0].path, "control.app"); },
         "the file control.app is both the file of application \"Control\" of CPU \"Main\" and the file of "
         "application \"Link\" of CPU \"Comms\""},
        {"kernel file listed as an application", [](SmallProject& p) { setText(p.comms[0].path, "comms.cpu"); },
         "the file comms.cpu is both the kernel file of CPU \"Comms\" and the file of application \"Link\" of CPU "
         "\"Comms\""},
        {"CPU named after another CPU's list", [](SmallProject& p) { setText(p.cpus[1].name, "APPS Main"); },
         "CPU name \"Main\" cannot be a name whose application list \"APPS Main\" is the name of CPU "
         "\"APPS Main\""},
        {"CPU name with a path", [](SmallProject& p) { setText(p.cpus[1].name, "a/b"); },
         "CPU name \"a/b\"" + cannot},
        {"application name with a path", [](SmallProject& p) { setText(p.main[0].name, "a/../../../pwn"); },
         "application name \"a/../../../pwn\" of CPU \"Main\"" + cannot},
        {"application names alike", [](SmallProject& p) { setText(p.main[1].name, "CONTROL"); },
         "application name \"Control\" of CPU \"Main\" cannot be the name of another application of CPU "
         "\"Main\""},
        {"a size below zero", [](SmallProject& p) { p.taskData.stackSize = -1; },
         "the value -1 of \"Stack Size\" of object \"tskMain\" of application \"Control\" is outside the range 0 "
         "to 2147483647"},
        {"an unsigned count past the signed range", [](SmallProject& p) { p.main[1].systemRamAvailable = -1; }, ""},
    };
    engine::testing::ScratchFolder folder;
    std::filesystem::create_directory(folder.file("sub"));
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        SmallProject project(folder.path());
        row.edit(project);
        EXPECT_EQ(ProjectCheckProblem(project.project), row.problem);
    }
}

TEST(ProjectCheckTest, AProjectCheckedOnceIsNotCheckedAgainByEachWriter)
{
    engine::testing::ScratchFolder folder;
    SmallProject project(folder.path());
    setText(project.cpus[1].kernel.kernelPath, "main.cpu");
    EXPECT_NE(ProjectWriteProblem(project.project), "");
    {
        const ProjectCheckedScope checked(project.project);
        EXPECT_EQ(ProjectWriteProblem(project.project), "");
    }
    EXPECT_NE(ProjectWriteProblem(project.project), "");
}

} // namespace
