// Opening a project of many CPUs, each with its own kernel file and one application file (250, 2,000 and
// 4,000 CPUs): the demo's single-processor CPU, or its multiprocessor one whose application's global objects
// have names of their own on every CPU. The "x_read" counter is the open's time over the time to read
// every file of the project once, measured in the same run: it stays level as the project grows when the
// open grows with it.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/ops/project_manager.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"
#include "platform/core/message_service.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A project of `cpus` CPUs "Cpu<n>", each with the kernel file cpu<n>.cpu and the application file
// cpu<n>.app: copies of the demo's main.cpu and monitor.app, or with `multiprocessor` of comms.cpu and
// link.app, whose objects and node get the CPU's number in their names.
struct ManyCpuProject {
    fs::path folder;
    std::vector<fs::path> files;
    engine::ConfigRecord config{};

    ManyCpuProject(int cpus, bool multiprocessor)
    {
        folder = fs::temp_directory_path() / ("korvane-bench-cpus-" + std::to_string(::getpid()) + "-" +
                                              std::to_string(cpus) + (multiprocessor ? "-mp" : ""));
        fs::create_directories(folder);
        const std::string kernel = readText(fs::path(KORVANE_DEMO_DIR) / (multiprocessor ? "comms.cpu" : "main.cpu"));
        const std::string application = readText(fs::path(KORVANE_DEMO_DIR) / (multiprocessor ? "link.app" : "monitor.app"));
        const char* const objects[] = {"almLinkTimeout", "cntLinkTick", "esLinkTimer", "queFrames",
                                       "semLinkUp",      "ssLinkReset", "tskLinkRx",   "tskLinkTx"};
        const std::string model = multiprocessor ? "Z5 Multiprocessor" : "Z5 Standard";
        std::string list = "[PROJECT]\r\nName=Many\r\nDescription=Benchmark project\r\n\r\n[CPUS]\r\n";
        std::string sections;
        for (int c = 1; c <= cpus; ++c) {
            const std::string n = std::to_string(c);
            list += "Cpu" + n + "=\r\n";
            sections += "[Cpu" + n + "]\r\nDescription=Processor " + n + "\r\nModel=" + model + "\r\nKernel=cpu" + n +
                        ".cpu\r\nApplications=APPS Cpu" + n + "\r\n\r\n[APPS Cpu" + n + "]\r\nMonitor=cpu" + n +
                        ".app\r\n\r\n";
            writeText(folder / ("cpu" + n + ".cpu"), kernel);
            std::string own = application;
            if (multiprocessor) {
                for (const char* object : objects)
                    own = replaceAll(own, object, object + n);
                own = replaceAll(own, "Node Name=comms", "Node Name=comms" + n);
            }
            writeText(folder / ("cpu" + n + ".app"), own);
            files.push_back(folder / ("cpu" + n + ".cpu"));
            files.push_back(folder / ("cpu" + n + ".app"));
        }
        writeText(folder / "many.omb", list + "\r\n" + sections);
        files.push_back(folder / "many.omb");

        config.modelCount = 1;
        config.models = static_cast<engine::ModelEntry*>(std::calloc(1, sizeof(engine::ModelEntry)));
        engine::setText(config.models[0].name, model);
        engine::setText(config.models[0].path,
                        std::string(KORVANE_DEMO_DIR) + (multiprocessor ? "/models/z5mp.mdl" : "/models/z5std.mdl"));
    }
    ~ManyCpuProject()
    {
        std::free(config.models);
        std::error_code error;
        fs::remove_all(folder, error);
    }
    ManyCpuProject(const ManyCpuProject&) = delete;
    ManyCpuProject& operator=(const ManyCpuProject&) = delete;

    // Reads every file of the project once; false when one cannot be read.
    bool readAll() const
    {
        std::string bytes;
        for (const fs::path& file : files) {
            if (engine::ReadWholeFile(file.string(), bytes) != engine::ReadResult::Ok)
                return false;
        }
        return true;
    }

    bool open()
    {
        engine::ProjectManager manager;
        engine::ProjectRecord project{};
        engine::ProjectManager::ResetProject(project, true);
        std::string path = (folder / "many.omb").string();
        const bool ok = manager.OpenProjectFile(project, config, path, true) != 0 && project.cpuCount > 0;
        engine::ProjectManager::FreeProject(project);
        return ok;
    }
};

double secondsOf(const std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_OpenManyCpus(benchmark::State& state)
{
    const int cpus = static_cast<int>(state.range(0));
    ManyCpuProject project(cpus, state.range(1) != 0);
    platform::ScopedScriptedMessages messages;
    const fs::path before = fs::current_path();
    double reading = 0;
    double opening = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!project.readAll()) {
            state.SkipWithError("the files could not be read");
            break;
        }
        reading += secondsOf(start);
        start = std::chrono::steady_clock::now();
        if (!project.open()) {
            state.SkipWithError(messages->texts().empty() ? "the open failed" : messages->texts()[0].c_str());
            break;
        }
        opening += secondsOf(start);
    }
    fs::current_path(before);
    if (state.iterations() > 0 && reading > 0) {
        const double runs = static_cast<double>(state.iterations());
        state.counters["open_ms"] = opening / runs * 1000;
        state.counters["read_ms"] = reading / runs * 1000;
        state.counters["open_us_per_cpu"] = opening / runs / cpus * 1e6;
        state.counters["x_read"] = opening / reading;
    }
}
// Arguments: the number of CPUs, and 1 for multiprocessor CPUs.
BENCHMARK(BM_OpenManyCpus)
    ->Args({250, 0})
    ->Args({2000, 0})
    ->Args({4000, 0})
    ->Args({250, 1})
    ->Args({2000, 1})
    ->Args({4000, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace
