// Feeds arbitrary bytes to the open of a project as its project file, in a copy of the demo's folder. What
// opens must save, and what is saved must open again to the same records and save the same bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/files/config_file.h"
#include "engine/ops/project_manager.h"
#include "engine/project/round_trip.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/records.h"
#include "platform/core/fuzz/silent_messages.h"
#include "platform/core/program_path.h"

namespace {

using platform::fuzzing::SilentMessages;

struct Setup {
    SilentMessages messages;
    engine::testing::ScratchFolder folder;
    engine::ConfigRecord config{};
    bool ready = false;
    Setup()
    {
        platform::setMessageService(&messages);
        // A program folder of its own: the demo's models, in plain text, named by a configuration.
        const std::string program = folder.file("program");
        std::filesystem::create_directories(program + "/models");
        for (const char* model : {"z5std.mdl", "z5mp.mdl"})
            std::filesystem::copy_file(engine::testing::demoFolder() + "/models/" + model,
                                       program + "/models/" + model);
        engine::testing::writeFile(program + "/ombagen.cfg",
                                   "[MODELS]\r\nZ5 Standard=models/z5std.mdl\r\nZ5 Multiprocessor=models/z5mp.mdl\r\n"
                                   "[GENERAL]\r\n");
        platform::setProgramDirectoryOverride(program);
        ready = engine::ConfigFile::Read(config, "ombagen.cfg");
        for (const char* name : {"main.cpu", "comms.cpu", "control.app", "monitor.app", "link.app"})
            std::filesystem::copy_file(engine::testing::demoFolder() + "/" + name, folder.file(name));
    }
};

// Opens the project file at `path` into `project`; the project's files are restored first, so that every
// run starts from the demo's own kernel and application files.
bool open(Setup& setup, engine::ProjectManager& manager, engine::ProjectRecord& project, const std::string& path)
{
    engine::ProjectManager::ResetProject(project, true);
    std::string name = path;
    return manager.OpenProjectFile(project, setup.config, name, true) != 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Setup setup;
    if (!setup.ready)
        return 0;
    const std::string input = setup.folder.file("input.omb");
    engine::testing::writeFile(input, std::string(reinterpret_cast<const char*>(data), size));
    engine::ProjectManager manager;
    engine::ProjectRecord project{};
    engine::ProjectRecord again{};
    // An open moves into the project's folder; the fuzzer reads its inputs from where it started.
    const std::filesystem::path start = std::filesystem::current_path();
    if (open(setup, manager, project, input)) {
        // Every kernel and application file would save as it opened and read back the same.
        if (!engine::ProjectRoundTripProblem(project).empty())
            std::abort();
        // Saved as it opened: the project file alone, so the demo's other files stay as they are.
        if (manager.SaveProjectFile(project, setup.config) == 0)
            std::abort();
        const std::string first = engine::testing::readFile(input);
        if (!open(setup, manager, again, input) || engine::ProjectsDiffer(project, again))
            std::abort();
        if (manager.SaveProjectFile(again, setup.config) == 0 || engine::testing::readFile(input) != first)
            std::abort();
    }
    engine::ProjectManager::FreeProject(project);
    engine::ProjectManager::FreeProject(again);
    std::filesystem::current_path(start);
    return 0;
}
