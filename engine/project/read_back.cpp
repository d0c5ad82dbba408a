#include "engine/project/read_back.h"

#include <memory>
#include <optional>
#include <vector>

#include "engine/files/file_message.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/name_rules.h"
#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {


// An application record of the read-back, freed however the check ends.
struct ScratchApplication {
    ApplicationRecord record{};
    ~ScratchApplication() { ProjectManager::FreeApplication(record); }
};

} // namespace

std::string ApplicationReadBackProblem(CpuRecord& cpu, const ApplicationRecord& application, const std::string& path,
                                       std::string_view bytes)
{
    ScratchApplication copy;
    ApplicationRecord& read = copy.record;
    read.userTexts = new UserTextStore(&read, cpu.kernel, false);
    read.file = new SectionedFile(path, false, false, false);
    const std::string refused = QuietReadProblem([&] {
        read.file->ParseSectionedText(bytes, true);
        return CheckParsedFile(*read.file, "application", path) && ReadApplicationSections(cpu, read, *read.file, path);
    });
    if (!refused.empty())
        return kReadBackRefused + refused;
    // What the file does not hold is the application's own: its place, and which of its classes the kernel
    // offers (kept beside the entries, computed from the kernel).
    setText(read.path, textOf(application.path));
    if (read.classEntryCount == application.classEntryCount && read.classEntries != nullptr &&
        application.classEntries != nullptr) {
        for (int32_t i = 0; i < read.classEntryCount; ++i) {
            const ApplicationClassEntry* meant = &application.classEntries[i];
            for (ApplicationClassEntry* entry = &read.classEntries[i]; entry != nullptr && meant != nullptr;
                 entry = entry->chained, meant = meant->chained)
                entry->enabled = meant->enabled;
        }
    }
    if (!ProjectManager::ApplicationsDiffer(application, read))
        return {};
    // The writer's texts of what was meant and of what was read name the first value that changed.
    SectionedFile meantFile(path, true, false, false);
    SectionedFile rewrittenFile(path, true, false, false);
    std::string meant;
    std::string rewritten;
    std::string difference;
    if (BuildApplicationText(cpu, application, meantFile, meant).empty() &&
        BuildApplicationText(cpu, read, rewrittenFile, rewritten).empty())
        difference = ReadBackDifference(meant, rewritten);
    if (difference.empty())
        difference = "application " + textString(application.name) + " reads back changed in a value its file does not hold";
    return kReadBackDiffers + difference;
}

std::string ProjectReadBackProblem(const ProjectRecord& project, const ConfigRecord& config, std::string_view bytes)
{
    const std::string path = textString(project.path);
    SectionedFile file(path, false, false, false);
    std::string differs;
    const auto expect = [&](const SectionedFileSection& section, std::string_view key, std::string_view meant) {
        if (differs.empty() && readText(section, key) != meant)
            differs = "\"" + std::string(key) + "\" of section \"" + section.GetName() + "\" reads back as \"" +
                      readText(section, key) + "\", not \"" + std::string(meant) + "\"";
    };
    const auto section = [&](std::string_view name) -> const SectionedFileSection* {
        const SectionedFileSection* found = file.FindSection(name);
        if (found == nullptr && differs.empty())
            differs = "the section \"" + std::string(name) + "\" is not found";
        return found;
    };
    const auto listed = [&](const SectionedFileSection& list, const std::vector<std::string>& meant) {
        const std::optional<std::vector<std::string>> keys = listKeys(list, "project", path);
        if (differs.empty() && (!keys || *keys != meant))
            differs = "the list \"" + list.GetName() + "\" reads back changed";
    };
    const std::string refused = QuietReadProblem([&] {
        file.ParseSectionedText(bytes, true);
        return CheckParsedFile(file, "project", path);
    });
    if (!refused.empty())
        return kReadBackRefused + refused;
    if (const SectionedFileSection* s = section("PROJECT")) {
        expect(*s, "Name", textOf(project.name));
        expect(*s, "Description", textOf(project.description));
    }
    std::vector<std::string> cpuNames;
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c)
        cpuNames.push_back(textString(project.cpus[c].name));
    if (const SectionedFileSection* s = section("CPUS"))
        listed(*s, cpuNames);
    for (int32_t c = 0; differs.empty() && project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        const SectionedFileSection* s = section(textOf(cpu.name));
        if (s == nullptr)
            break;
        expect(*s, "Description", textOf(cpu.description));
        const int32_t model = cpu.kernel.modelIndex;
        if (config.models != nullptr && model >= 0 && model < config.modelCount)
            expect(*s, "Model", textOf(config.models[model].name));
        expect(*s, "Kernel", textOf(cpu.kernel.kernelPath));
        if (cpu.applications == nullptr || cpu.applicationCount <= 0)
            continue;
        const std::string listName = applicationListSection(textOf(cpu.name));
        expect(*s, "Applications", listName);
        const SectionedFileSection* list = section(listName);
        if (list == nullptr)
            break;
        std::vector<std::string> names;
        for (int32_t a = 0; a < cpu.applicationCount; ++a) {
            names.push_back(textString(cpu.applications[a].name));
            expect(*list, names.back(), textOf(cpu.applications[a].path));
        }
        listed(*list, names);
    }
    return differs.empty() ? std::string() : kReadBackDiffers + differs;
}

} // namespace engine
