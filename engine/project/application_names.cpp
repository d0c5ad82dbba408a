#include "engine/project/application_names.h"

#include <filesystem>
#include <string_view>

#include "engine/files/file_chooser.h"
#include "engine/project/file_messages.h"
#include "engine/project/name_rules.h"
#include "engine/project/project_check.h"
#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/path.h"

namespace engine {
namespace {

// Why the project writer would refuse `name` as a key of the list section, or "" when it would not.
std::string keyProblem(const std::string& listName, std::string_view name)
{
    // The rule every road that names an application keeps (the pages, the writers).
    if (const std::string problem = nameSyntaxProblem(name); !problem.empty())
        return "it cannot " + problem;
    SectionedFile probe({}, true, false, false);
    if (SectionedFileSection* section = probe.AddSection(listName))
        section->AddEntry(name, "");
    return probe.FindUnwritableName();
}

}  // namespace

bool applicationFilesAreDistinct(const ProjectRecord& project, int cpuIndex, ListedApplicationFiles& listed)
{
    const CpuRecord& cpu = project.cpus[cpuIndex];
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        const ApplicationRecord& application = cpu.applications[a];
        if (application.path[0] == '\0')
            continue;
        const auto [earlier, added] = listed.emplace(ProjectFileIdentity(project, textString(application.path)), &application);
        if (added)
            continue;
        showFileError(formatMessage("Unable to load project file %s: the application file %s is listed for both "
                                    "\"%s\" and \"%s\"",
                                    textString(project.path), textString(application.path),
                                    textString(earlier->second->name), textString(application.name)));
        return false;
    }
    return true;
}

bool applicationNamesAreSound(const ProjectRecord& project, int cpuIndex, const std::string& listName)
{
    const CpuRecord& cpu = project.cpus[cpuIndex];
    std::unordered_map<std::string, const ApplicationRecord*> names;  // by the name as the reader folds it
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        const ApplicationRecord& application = cpu.applications[a];
        const std::string name = textString(application.name);
        if (name.empty()) {
            showFileError(formatMessage("Unable to load project file %s: application file %s gives an application "
                                        "of CPU \"%s\" an empty name",
                                        textString(project.path), textString(application.path),
                                        textString(cpu.name)));
            return false;
        }
        const std::string problem = keyProblem(listName, name);
        if (!problem.empty()) {
            showFileError(formatMessage("Unable to load project file %s: the application name \"%s\" of CPU \"%s\" "
                                        "could not be saved: %s",
                                        textString(project.path), name, textString(cpu.name), problem));
            return false;
        }
        const auto [earlier, added] = names.emplace(sectionLookupKey(name), &application);
        if (!added) {
            showFileError(formatMessage("Unable to load project file %s: CPU \"%s\" has two applications named "
                                        "\"%s\" (application files %s and %s)",
                                        textString(project.path), textString(cpu.name), name,
                                        textString(earlier->second->path), textString(application.path)));
            return false;
        }
    }
    return true;
}

bool loadedApplicationIsSound(const ProjectRecord& project, const CpuRecord& cpu, const ApplicationRecord& loaded,
                              const std::string& path)
{
    if (!fileIsFreeFor(&project, path, nullptr, &loaded, "load application file"))
        return false;
    const std::string name = textString(loaded.name);
    if (name.empty()) {
        showFileError(formatMessage("Unable to load application file %s: it gives the application of CPU \"%s\" an "
                                    "empty name",
                                    path, textString(cpu.name)));
        return false;
    }
    const std::string problem = keyProblem("APPS " + textString(cpu.name), name);
    if (!problem.empty()) {
        showFileError(formatMessage("Unable to load application file %s: the application name \"%s\" of CPU \"%s\" "
                                    "could not be saved: %s",
                                    path, name, textString(cpu.name), problem));
        return false;
    }
    const std::string key = sectionLookupKey(name);
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        const ApplicationRecord& other = cpu.applications[a];
        if (&other == &loaded || sectionLookupKey(textString(other.name)) != key)
            continue;
        showFileError(formatMessage("Unable to load application file %s: CPU \"%s\" has another application named "
                                    "\"%s\" (application file %s)",
                                    path, textString(cpu.name), name, textString(other.path)));
        return false;
    }
    return true;
}

std::string fileListedElsewhere(const ProjectRecord& project, std::string_view path, const CpuRecord* selfCpu,
                                const ApplicationRecord* selfApplication, bool selfProject)
{
    if (path.empty())
        return {};
    const std::string identity = ProjectFileIdentity(project, std::string(path));
    if (!selfProject && project.path[0] != '\0' && ProjectFileIdentity(project, textString(project.path)) == identity)
        return "the project file";
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        if (&cpu != selfCpu && cpu.kernel.kernelPath[0] != '\0' &&
            ProjectFileIdentity(project, textString(cpu.kernel.kernelPath)) == identity)
            return formatMessage("the kernel file of CPU \"%s\"", textString(cpu.name));
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            const ApplicationRecord& application = cpu.applications[a];
            if (&application != selfApplication && application.path[0] != '\0' &&
                ProjectFileIdentity(project, textString(application.path)) == identity)
                return formatMessage("the application file of \"%s\" of CPU \"%s\"", textString(application.name),
                                     textString(cpu.name));
        }
    }
    return {};
}

namespace {

// The refusal of a file the project keeps for something else, or "" when it keeps nothing else there.
std::string listedFileRefusal(const ProjectRecord* project, const std::string& path, const CpuRecord* selfCpu,
                              const ApplicationRecord* selfApplication, std::string_view action,
                              bool selfProject = false)
{
    if (project == nullptr)
        return {};
    const std::string listed = fileListedElsewhere(*project, path, selfCpu, selfApplication, selfProject);
    return listed.empty() ? listed : formatMessage("Unable to %s %s: the project lists it as %s", action, path, listed);
}

}  // namespace

bool fileIsFreeFor(const ProjectRecord* project, const std::string& path, const CpuRecord* selfCpu,
                   const ApplicationRecord* selfApplication, std::string_view action)
{
    const std::string refusal = listedFileRefusal(project, path, selfCpu, selfApplication, action);
    if (!refusal.empty())
        showFileError(refusal);
    return refusal.empty();
}

bool fileIsFreeToWrite(const ProjectRecord* project, const std::string& path, const CpuRecord* selfCpu,
                       const ApplicationRecord* selfApplication, std::string_view what, bool selfProject)
{
    const std::string refusal =
        listedFileRefusal(project, path, selfCpu, selfApplication, "write " + std::string(what), selfProject);
    if (!refusal.empty())
        showSaveError(refusal);
    return refusal.empty();
}

std::string chooseFileToSaveAs(const ProjectRecord* project, int kind, const std::string& title,
                               const CpuRecord* selfCpu, const ApplicationRecord* selfApplication,
                               std::string_view what, bool selfProject, bool* refused)
{
    if (refused != nullptr)
        *refused = false;
    const auto isFree = [&](const std::string& chosen) {
        return fileIsFreeToWrite(project, MakeNativePath(chosen), selfCpu, selfApplication, what, selfProject);
    };
    std::string chosen;
    {
        const ScopedChosenFileCheck check(isFree);
        chosen = BrowseForFile(false, kind, title);
    }
    if (chosen.empty())
        return chosen;
    if (!isFree(chosen)) {
        if (refused != nullptr)
            *refused = true;
        return {};
    }
    return MakeNativePath(chosen);
}

}  // namespace engine
