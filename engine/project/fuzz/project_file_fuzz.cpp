// Feeds arbitrary bytes to the open of a project as its project file, in a copy of the demo's folder. What
// opens must save, and what is saved must open again to the same records and save the same bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/files/config_file.h"
#include "engine/ops/project_manager.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/records.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

namespace {

class SilentMessages : public platform::MessageService {
public:
    int show(const std::string&, const std::string&, unsigned style) override { return platform::defaultAnswer(style); }
};

struct Setup {
    SilentMessages messages;
    engine::testing::ScratchFolder folder;
    engine::ConfigRecord config{};
    bool ready = false;
    Setup()
    {
        platform::setMessageService(&messages);
        platform::setProgramDirectoryOverride(engine::testing::programFolder());
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
    if (open(setup, manager, project, input)) {
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
    return 0;
}
