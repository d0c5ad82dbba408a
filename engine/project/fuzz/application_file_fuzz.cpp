// Feeds arbitrary bytes to the application-file reader as the file of an application of a CPU shaped like
// the demo model's. Whatever it accepts must save, read back to the same records and write the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/name_rules.h"
#include "engine/project/project_file.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/text_field.h"
#include "platform/core/fuzz/silent_messages.h"

namespace {

using platform::fuzzing::SilentMessages;

struct Setup {
    SilentMessages messages;
    engine::testing::DemoCpu demo;
    engine::testing::ScratchFolder folder;
    Setup() { platform::setMessageService(&messages); }
};

bool readInto(Setup& setup, engine::ApplicationRecord& app, const std::string& path)
{
    engine::ResetApplicationRecord(app, setup.demo.cpu);
    engine::ApplicationFile file(nullptr, nullptr, &setup.demo.cpu, &app);
    return file.Read(path) != 0;
}

bool writeTo(Setup& setup, engine::ApplicationRecord& app, const std::string& path)
{
    engine::setText(app.path, path);
    engine::ApplicationFile file(nullptr, nullptr, &setup.demo.cpu, &app);
    return file.Write() != 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Setup setup;
    const std::string input = setup.folder.file("input.app");
    const std::string first = setup.folder.file("first.app");
    const std::string second = setup.folder.file("second.app");
    engine::testing::writeFile(input, std::string(reinterpret_cast<const char*>(data), size));

    engine::ApplicationRecord app{};
    engine::ApplicationRecord again{};
    // Accepted as the open of a project accepts it: the file read, and the name it gives one the project can
    // list (the names are the project's check).
    if (readInto(setup, app, input) && engine::applicationNameProblem(setup.demo.cpu, &app, engine::textOf(app.name)).empty()) {
        // Whatever is accepted is saved without failure, opens again to the same records and writes the same
        // bytes.
        if (!writeTo(setup, app, first) || !readInto(setup, again, first) ||
            engine::ProjectManager::ApplicationsDiffer(app, again) || !writeTo(setup, again, second))
            std::abort();
        if (engine::testing::readFile(first) != engine::testing::readFile(second))
            std::abort();
    }
    engine::ProjectManager::FreeApplication(app);
    engine::ProjectManager::FreeApplication(again);
    return 0;
}
