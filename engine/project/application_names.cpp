#include "engine/project/application_names.h"

#include <filesystem>
#include <string_view>

#include "engine/project/file_messages.h"
#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {
namespace {

// The one form of a path that two names of one file share (links and "." or ".." resolved as far as the
// path exists).
std::string fileIdentity(std::string_view path)
{
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(std::string(path), error);
    return error ? std::string(path) : resolved.string();
}

// Why the project writer would refuse `name` as a key of the list section, or "" when it would not.
std::string keyProblem(const std::string& listName, std::string_view name)
{
    SectionedFile probe({}, true, false, false);
    if (SectionedFileSection* section = probe.AddSection(listName))
        section->AddEntry(name, "");
    return probe.FindUnwritableName();
}

}  // namespace

bool applicationFilesAreDistinct(const ProjectRecord& project, int cpuIndex)
{
    const CpuRecord& cpu = project.cpus[cpuIndex];
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        const ApplicationRecord& application = cpu.applications[a];
        if (application.path[0] == '\0')
            continue;
        const std::string identity = fileIdentity(textOf(application.path));
        for (int c = 0; c <= cpuIndex; ++c) {
            const CpuRecord& earlierCpu = project.cpus[c];
            const int32_t end = c == cpuIndex ? a : earlierCpu.applicationCount;
            for (int32_t e = 0; earlierCpu.applications != nullptr && e < end; ++e) {
                const ApplicationRecord& earlier = earlierCpu.applications[e];
                if (earlier.path[0] == '\0' || fileIdentity(textOf(earlier.path)) != identity)
                    continue;
                showFileError(formatMessage("Unable to load project file %s: the application file %s is listed "
                                            "for both \"%s\" and \"%s\"",
                                            textString(project.path), textString(application.path),
                                            textString(earlier.name), textString(application.name)));
                return false;
            }
        }
    }
    return true;
}

bool applicationNamesAreSound(const ProjectRecord& project, int cpuIndex, const std::string& listName)
{
    const CpuRecord& cpu = project.cpus[cpuIndex];
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
        for (int32_t e = 0; e < a; ++e) {
            if (sectionLookupKey(textOf(cpu.applications[e].name)) != sectionLookupKey(name))
                continue;
            showFileError(formatMessage("Unable to load project file %s: CPU \"%s\" has two applications named "
                                        "\"%s\" (application files %s and %s)",
                                        textString(project.path), textString(cpu.name), name,
                                        textString(cpu.applications[e].path), textString(application.path)));
            return false;
        }
    }
    return true;
}

}  // namespace engine
