// A project whose CPUs name one model: the model file is read once, each CPU still gets a kernel record
// of its own, and a model file changed on disk is read again.

#include "engine/files/config_file.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/records.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/path.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;
using testing::writeFile;

// Counts the times a file is opened, through inotify.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& path) : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd >= 0)
            m_watch = ::inotify_add_watch(m_fd, path.c_str(), IN_OPEN);
    }
    ~OpenCounter()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ready() const { return m_fd >= 0 && m_watch >= 0; }
    // The opens since the last call.
    int opens()
    {
        int count = 0;
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return count;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                count += (event->mask & IN_OPEN) != 0;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
    int m_watch = -1;
};

std::string threeCpuProject()
{
    std::string text = "[PROJECT]\r\nName=Three\r\n\r\n[CPUS]\r\nA=\r\nB=\r\nC=\r\n\r\n";
    for (const char* cpu : {"A", "B", "C"})
        text += std::string("[") + cpu + "]\r\nModel=Z5 Standard\r\nKernel=main" + cpu + ".cpu\r\nApplications=APPS " + cpu +
                "\r\n\r\n[APPS " + cpu + "]\r\nMonitor=monitor" + cpu + ".app\r\n\r\n";
    return text;
}

// The records of the test, freed however it ends.
struct Records {
    ConfigRecord config{};
    ProjectRecord first{};
    ProjectRecord second{};
    Records()
    {
        ProjectManager::ResetProject(first, true);
        ProjectManager::ResetProject(second, true);
    }
    ~Records()
    {
        ProjectManager::FreeProject(first);
        ProjectManager::FreeProject(second);
        ConfigFile::FreeConfigRecord(config);
        platform::setProgramDirectoryOverride("");
    }
};

TEST(ProjectModels, CpusNamingOneModelReadItOnceAndEachKeepsItsOwnKernelRecord)
{
    // A program folder of its own, so that no earlier read of the same model file counts.
    ScratchFolder folder;
    Records records;
    ConfigRecord& config = records.config;
    ProjectRecord& first = records.first;
    ProjectRecord& second = records.second;
    const std::string program = folder.file("program");
    fs::create_directories(program + "/models");
    fs::copy_file(testing::programFolder() + "/ombagen.cfg", program + "/ombagen.cfg");
    fs::copy_file(testing::programFolder() + "/models/z5std.mdl", program + "/models/z5std.mdl");
    platform::setProgramDirectoryOverride(program);
    platform::ScopedScriptedMessages messages;
    CurrentDirectoryGuard workingFolder{"."};
    ASSERT_TRUE(ConfigFile().Read(config, "ombagen.cfg"));
    const std::string project = folder.file("three.omb");
    writeFile(project, threeCpuProject());
    // Each CPU has its own kernel file, as a project that saves must.
    for (const char* cpu : {"A", "B", "C"}) {
        fs::copy_file(testing::demoFolder() + "/main.cpu", folder.file(std::string("main") + cpu + ".cpu"));
        fs::copy_file(testing::demoFolder() + "/monitor.app", folder.file(std::string("monitor") + cpu + ".app"));
    }

    OpenCounter model(program + "/models/z5std.mdl");
    ASSERT_TRUE(model.ready());
    ProjectManager manager;
    std::string path = project;
    ASSERT_NE(manager.OpenProjectFile(first, config, path, true), 0) << ::testing::PrintToString(messages->texts());
    ASSERT_EQ(first.cpuCount, 3);
    EXPECT_EQ(model.opens(), 1);
    for (int i = 1; i < 3; ++i) {
        EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(first.cpus[0].kernel, first.cpus[i].kernel));
        EXPECT_NE(first.cpus[0].kernel.classes, first.cpus[i].kernel.classes);
        ASSERT_NE(first.cpus[i].modelFile, nullptr);
        EXPECT_NE(first.cpus[0].modelFile, first.cpus[i].modelFile);
        EXPECT_EQ(first.cpus[0].modelFile->ToText(), first.cpus[i].modelFile->ToText());
    }
    // A CPU's change stays its own.
    first.cpus[1].kernel.classes[0].selected ^= 1;
    EXPECT_TRUE(CpuRecordHandler::KernelRecordsDiffer(first.cpus[0].kernel, first.cpus[1].kernel));
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(first.cpus[0].kernel, first.cpus[2].kernel));

    // A model file changed on disk (here only its time) is read again, once for all CPUs.
    struct timespec times[2] = {{0, UTIME_NOW}, {1234567890, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (program + "/models/z5std.mdl").c_str(), times, 0), 0);
    path = project;
    ASSERT_NE(manager.OpenProjectFile(second, config, path, true), 0);
    EXPECT_EQ(model.opens(), 1);
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(first.cpus[0].kernel, second.cpus[2].kernel));
}

} // namespace
} // namespace engine
