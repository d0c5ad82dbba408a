#include "engine/project/project_check.h"

#include <cstring>
#include <filesystem>
#include <unordered_map>

#include <sys/stat.h>

#include "engine/names/project_walk.h"
#include "engine/project/name_rules.h"
#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"

namespace engine {
namespace {

std::string inQuotes(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string namesProblem(const ProjectRecord& project)
{
    const CpuNameKeys cpuNames(project);
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        const std::string cpuName = textString(cpu.name);
        if (const std::string problem = cpuNames.problem(&cpu, cpuName); !problem.empty())
            return "CPU name " + inQuotes(cpuName) + " cannot " + problem;
        const ApplicationNameKeys applicationNames(cpu);
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            const ApplicationRecord& application = cpu.applications[a];
            const std::string name = textString(application.name);
            if (const std::string problem = applicationNames.problem(&application, name); !problem.empty())
                return "application name " + inQuotes(name) + " of CPU " + inQuotes(cpuName) + " cannot " + problem;
        }
    }
    return {};
}

// Who lists a file, in words: "the kernel file of CPU "Main"", "the file of application "Control" of CPU "Main"".
struct Listing {
    std::string path;
    std::string owner;
};

std::string filesProblem(const ProjectRecord& project)
{
    std::unordered_map<std::string, Listing> listed;
    const auto list = [&](const std::string& path, std::string owner) -> std::string {
        if (path.empty())
            return {};
        const auto [earlier, added] = listed.emplace(ProjectFileIdentity(project, path), Listing{path, owner});
        if (added)
            return {};
        return "the file " + path + " is both " + earlier->second.owner + " and " + owner;
    };
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        const std::string cpuName = inQuotes(textOf(cpu.name));
        if (std::string problem = list(textString(cpu.kernel.kernelPath), "the kernel file of CPU " + cpuName);
            !problem.empty())
            return problem;
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            const ApplicationRecord& application = cpu.applications[a];
            if (std::string problem = list(textString(application.path), "the file of application " +
                                                                             inQuotes(textOf(application.name)) +
                                                                             " of CPU " + cpuName);
                !problem.empty())
                return problem;
        }
    }
    return {};
}

std::string outsideRange(const FieldDescription& field, std::int32_t stored, const std::string& where)
{
    return "the value " + FieldDisplayText(field, stored) + " of " + inQuotes(field.key) + " of " + where +
           " is outside the range " + FieldRangeBounds(field);
}

std::string applicationValuesProblem(ApplicationRecord& application)
{
    const std::string where = "application " + inQuotes(textOf(application.name));
    const struct {
        const char* key;
        std::int32_t value;
    } numbers[] = {
        {"System RAM Available", application.systemRamAvailable},
        {"Kernel Stack Available", application.kernelStackAvailable},
        {"Instances", application.instances},
    };
    for (const auto& number : numbers) {
        const FieldDescription* field = FindFieldDescription(FieldFile::Application, "APPLICATION", number.key);
        if (field != nullptr && !FieldValueFits(*field, number.value))
            return outsideRange(*field, number.value, where);
    }
    std::string problem;
    VisitApplicationObjects(application, [&](const ObjectPlace& place) {
        const ObjectRecord& object = *place.object;
        if (object.data == nullptr)
            return 0;
        for (const ObjectKey& key : objectKeysOfClass(place.entry->classType)) {
            if (key.kind != ObjectKeyKind::Number)
                continue;
            std::int32_t value = 0;
            std::memcpy(&value, static_cast<const char*>(object.data) + key.offset, sizeof value);
            if (!FieldValueFits(key.field, value)) {
                problem = outsideRange(key.field, value, "object " + inQuotes(textOf(object.name)) + " of " + where);
                return 1;
            }
        }
        return 0;
    });
    return problem;
}

// The code-generation extensions end the names of generated files, which stay in the application's folders.
std::string extensionsProblem(const ApplicationRecord& application)
{
    const struct {
        const char* key;
        const char* text;
    } extensions[] = {
        {"C Source Extension", application.cSourceExtension},
        {"C Header Extension", application.cHeaderExtension},
        {"Assembler Source Extension", application.asmSourceExtension},
        {"Assembler Header Extension", application.asmHeaderExtension},
    };
    for (const auto& extension : extensions) {
        if (const std::string problem = namePathProblem(textOf(extension.text, kPathSize)); !problem.empty())
            return inQuotes(extension.key) + " of application " + inQuotes(textOf(application.name)) + " cannot " +
                   problem;
    }
    return {};
}

thread_local const ProjectRecord* t_checked = nullptr;

} // namespace

ProjectCheckedScope::ProjectCheckedScope(const ProjectRecord& project) : m_previous(t_checked)
{
    t_checked = &project;
}

ProjectCheckedScope::~ProjectCheckedScope()
{
    t_checked = m_previous;
}

std::string ProjectWriteProblem(const ProjectRecord& project)
{
    return t_checked == &project ? std::string() : ProjectCheckProblem(project);
}

std::string ProjectFileIdentity(const ProjectRecord& project, const std::string& path)
{
    std::filesystem::path file{path};
    if (file.is_relative() && project.path[0] != '\0')
        file = std::filesystem::path(textString(project.path)).parent_path() / file;
    // An existing file is known by its device and inode, whatever name (a link, a second hard link) reaches
    // it; the form cannot be a path's, which never starts with a control character.
    struct stat info {};
    if (::stat(file.c_str(), &info) == 0)
        return "\x01" + std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
    return error ? file.lexically_normal().string() : resolved.string();
}

std::string ProjectCheckProblem(const ProjectRecord& project)
{
    if (std::string problem = namesProblem(project); !problem.empty())
        return problem;
    if (std::string problem = filesProblem(project); !problem.empty())
        return problem;
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            if (std::string problem = applicationValuesProblem(cpu.applications[a]); !problem.empty())
                return problem;
            if (std::string problem = extensionsProblem(cpu.applications[a]); !problem.empty())
                return problem;
        }
    }
    return {};
}

} // namespace engine
