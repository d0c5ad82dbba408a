// Opening and saving a large project (20 applications of 500 objects each on one CPU), next to two copies
// of the same files: a plain copy, and a durable one that flushes each file as a save does. The open-and-save
// run's "x_copy" and "x_durable" counters are its time over each copy's, measured in the same run.

#include <benchmark/benchmark.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "engine/ops/project_manager.h"
#include "engine/project/project_save.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "platform/core/message_service.h"

namespace fs = std::filesystem;

namespace {

constexpr int kApplications = 20;
constexpr int kObjectsPerApplication = 500;

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct Lines {
    std::string text;
    Lines& operator<<(const std::string& line)
    {
        text += line + "\r\n";
        return *this;
    }
};

void classSection(Lines& out, const std::string& name, bool chained, const std::string& dependent, bool objects)
{
    out << "[" + name + "]";
    if (chained)
        out << name + "=2";
    out << "Statistics=1" << "Diagnostics=0" << "System Trace=0" << "Dynamics Allowed=0" << "Number of Dynamics=0"
        << "Max Key Length=12" << "c file dirty=1" << "h file dirty=1" << "m file dirty=0";
    if (!dependent.empty())
        out << "Dependent Class=" + dependent;
    if (objects)
        out << "Objects=OBJS " + name;
    out << "";
}

void objectHead(Lines& out, const std::string& name, const std::string& className)
{
    out << "[" + name + "]" << "Description=Object " + name << "Dynamics Allowed=0" << "Number of Dynamics=0"
        << "Is MP=0" << "Trace Object=0" << "Trace Actor=0" << "Enabled=1" << "Class Name=" + className;
}

// One application: 10 levels with 4 threads each, 150 tasks, 100 semaphores, 100 queues, 50 mailboxes and
// 50 mutexes: 500 objects.
std::string application(int number)
{
    const std::string id = std::string("a").append(std::to_string(number)).append("_");
    Lines out;
    out << "[APPLICATION]" << "Name=App" + std::to_string(number) << "Description=Generated application"
        << "Code File Path=gen/" << "Header File Path=gen/" << "Option File Path=gen/" << "Report File Path=gen/"
        << "Kernel Stack Available=512" << "System Clock Rate Hz=1000" << "Instances=1" << "";
    out << "[kproject.c_user_incl]" << "0=\"#include \\\"board.h\\\"\"" << "";
    out << "[MODEL OPTIONS]" << "Application Heap=" << "" << "[Application Heap]" << "Value=4096" << "State=1" << "";
    out << "[CLASS TYPES]" << "Level=1" << "Task=8" << "Semaphore=9" << "Queue=10" << "Mailbox=11" << "Mutex=13" << "";

    classSection(out, "Level", false, "Thread", true);
    out << "[OBJS Level]";
    for (int i = 0; i < 10; ++i)
        out << id + "lvl" + std::to_string(i) + "=";
    out << "";
    for (int i = 0; i < 10; ++i) {
        const std::string level = id + "lvl" + std::to_string(i);
        objectHead(out, level, "Level");
        out << "Scheduling Policy=0" << "Objects=OBJS " + level << "" << "[OBJS " + level + "]";
        for (int t = 0; t < 4; ++t)
            out << level + "_thr" + std::to_string(t) + "=";
        out << "";
        for (int t = 0; t < 4; ++t) {
            objectHead(out, level + "_thr" + std::to_string(t), "Thread");
            out << "Entry Point=ThreadEntry" + std::to_string(t) << "";
        }
    }
    classSection(out, "Thread", true, "", false);

    struct Block {
        const char* className;
        const char* prefix;
        int count;
        std::vector<std::string> keys;
    };
    const Block blocks[] = {
        {"Task", "tsk", 150, {"Entry Point=TaskEntry", "Initial Priority=10", "Stack Size=1024",
                              "Starting Order Number=1", "Extended Context0=0", "Extended Context1=0", "Manual=0",
                              "Label=", "Attribute0=0", "Attribute1=1"}},
        {"Semaphore", "sem", 100, {"Signal Type=0", "Waiting Order=1"}},
        {"Queue", "que", 100, {"Width=4", "Depth=16", "Waiting Order=0", "Width Expression=",
                               "Depth Expression=QUEUE_DEPTH", "Alignment=4", "Manual=0", "Label="}},
        {"Mailbox", "mbx", 50, {"Waiting Order=0"}},
        {"Mutex", "mtx", 50, {"Priority Inversion=1", "Waiting Order=0"}},
    };
    for (const Block& block : blocks) {
        classSection(out, block.className, false, "", true);
        out << std::string("[OBJS ") + block.className + "]";
        for (int i = 0; i < block.count; ++i)
            out << id + block.prefix + std::to_string(i) + "=";
        out << "";
        for (int i = 0; i < block.count; ++i) {
            objectHead(out, id + block.prefix + std::to_string(i), block.className);
            for (const std::string& key : block.keys)
                out << key;
            out << "";
        }
    }
    return out.text;
}

// Opens `path` with `flags` and flushes it to the disk; false when either fails.
bool flush(const char* path, int flags)
{
    const int fd = ::open(path, flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return (::close(fd) == 0) && result == 0;
}

struct LargeProject {
    fs::path folder;
    fs::path copyFolder;
    std::vector<fs::path> files;
    engine::ConfigRecord config{};

    LargeProject()
    {
        folder = fs::temp_directory_path() / ("korvane-bench-" + std::to_string(::getpid()));
        copyFolder = folder / "copy";
        fs::create_directories(copyFolder);
        Lines project;
        project << "[PROJECT]" << "Name=Large" << "Description=Benchmark project" << "" << "[CPUS]" << "Main=" << ""
                << "[Main]" << "Description=Main processor" << "Model=Z5 Standard" << "Kernel=main.cpu"
                << "Applications=APPS Main" << "" << "[APPS Main]";
        for (int a = 1; a <= kApplications; ++a) {
            const std::string name = "app" + std::to_string(a) + ".app";
            project << "App" + std::to_string(a) + "=" + name;
            writeText(folder / name, application(a));
            files.push_back(folder / name);
        }
        writeText(folder / "large.omb", project.text);
        files.push_back(folder / "large.omb");
        fs::copy_file(fs::path(KORVANE_DEMO_DIR) / "main.cpu", folder / "main.cpu", fs::copy_options::overwrite_existing);
        files.push_back(folder / "main.cpu");

        config.modelCount = 1;
        config.models = static_cast<engine::ModelEntry*>(std::calloc(1, sizeof(engine::ModelEntry)));
        engine::setText(config.models[0].name, "Z5 Standard");
        engine::setText(config.models[0].path, std::string(KORVANE_DEMO_DIR) + "/models/z5std.mdl");
    }
    ~LargeProject()
    {
        std::free(config.models);
        std::error_code error;
        fs::remove_all(folder, error);
    }

    void copyAll() const
    {
        for (const fs::path& file : files)
            fs::copy_file(file, copyFolder / file.filename(), fs::copy_options::overwrite_existing);
    }

    // Copies every file the way a save replaces one: a new temporary beside the copy, flushed, renamed
    // over the copy, then the folder flushed. False when a step fails.
    bool durableCopyAll() const
    {
        std::error_code error;
        for (const fs::path& file : files) {
            const fs::path target = copyFolder / file.filename();
            const fs::path temporary = target.string() + "temp";
            fs::remove(temporary, error);
            if (!fs::copy_file(file, temporary, error) || !flush(temporary.c_str(), O_WRONLY))
                return false;
            fs::rename(temporary, target, error);
            if (error || !flush(copyFolder.c_str(), O_RDONLY | O_DIRECTORY))
                return false;
        }
        return true;
    }

    // Opens and saves the project, adding the seconds each step took to `steps` (open, save, free).
    bool openAndSave(double* steps)
    {
        using Clock = std::chrono::steady_clock;
        const auto since = [](Clock::time_point start) {
            return std::chrono::duration<double>(Clock::now() - start).count();
        };
        engine::ProjectManager manager;
        engine::ProjectRecord project{};
        engine::ProjectManager::ResetProject(project, true);
        std::string path = (folder / "large.omb").string();
        auto start = Clock::now();
        bool ok = manager.OpenProjectFile(project, config, path, true) != 0;
        steps[0] += since(start);
        start = Clock::now();
        ok = ok && engine::SaveProjectFiles(manager, project, config);
        steps[1] += since(start);
        start = Clock::now();
        engine::ProjectManager::FreeProject(project);
        steps[2] += since(start);
        return ok;
    }
};

LargeProject& largeProject()
{
    static LargeProject project;
    return project;
}

// The processor time the process has spent in its own code so far, in seconds.
double userSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec) + static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
}

// The mean time of a piece of work over a number of runs.
double meanSeconds(const std::function<void()>& work, int runs)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / runs;
}

void BM_PlainCopy(benchmark::State& state)
{
    LargeProject& project = largeProject();
    for (auto _ : state)
        project.copyAll();
}
BENCHMARK(BM_PlainCopy)->Unit(benchmark::kMillisecond);

void BM_DurableCopy(benchmark::State& state)
{
    LargeProject& project = largeProject();
    for (auto _ : state) {
        if (!project.durableCopyAll()) {
            state.SkipWithError("durable copy failed");
            break;
        }
    }
}
BENCHMARK(BM_DurableCopy)->Unit(benchmark::kMillisecond);

void BM_OpenAndSaveProject(benchmark::State& state)
{
    LargeProject& project = largeProject();
    platform::ScopedScriptedMessages messages;
    const double copy = meanSeconds([&] { project.copyAll(); }, 50);
    bool durableOk = true;
    const double durable = meanSeconds([&] { durableOk = project.durableCopyAll() && durableOk; }, 10);
    if (!durableOk) {
        state.SkipWithError("durable copy failed");
        return;
    }
    double total = 0;
    double steps[3] = {};
    const double userStart = userSeconds();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!project.openAndSave(steps)) {
            state.SkipWithError(messages->texts().empty() ? "open or save failed" : messages->texts()[0].c_str());
            break;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    if (state.iterations() > 0 && copy > 0 && durable > 0) {
        const double runs = static_cast<double>(state.iterations());
        state.counters["x_copy"] = total / runs / copy;
        state.counters["x_durable"] = total / runs / durable;
        state.counters["copy_ms"] = copy * 1000;
        state.counters["durable_ms"] = durable * 1000;
        state.counters["open_ms"] = steps[0] / runs * 1000;
        state.counters["save_ms"] = steps[1] / runs * 1000;
        state.counters["free_ms"] = steps[2] / runs * 1000;
        state.counters["user_ms"] = (userSeconds() - userStart) / runs * 1000;
    }
}
BENCHMARK(BM_OpenAndSaveProject)->Unit(benchmark::kMillisecond);

}  // namespace
