#include "engine/project/project_file.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/ops/cpu_record_handler.h"
#include "engine/files/file_chooser.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/file_messages.h"
#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {

std::string folderOf(const std::string& path)
{
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// The MODELS row named by a CPU's "Model" value: the first row for an empty value; -1 when no row has
// the name (or there are no rows), which ends the open instead of loading some other model.
int32_t modelIndexOf(const ConfigRecord& config, const std::string& modelName)
{
    if (modelName.empty())
        return config.models != nullptr && config.modelCount > 0 ? 0 : -1;
    for (int32_t i = 0; config.models != nullptr && i < config.modelCount; ++i) {
        if (textOf(config.models[i].name) == modelName)
            return i;
    }
    return -1;
}

}  // namespace

ProjectFile::ProjectFile(ProjectManager* owner, ProjectRecord* project, ConfigRecord* config)
    : m_owner(owner), m_project(project), m_config(config)
{
}

ProjectFile::~ProjectFile() = default;

bool ProjectFile::SetPath(const std::string& path)
{
    if (!textFits(m_project->path, path)) {
        showFileError(formatMessage("The project file path %s is too long", path));
        return false;
    }
    setText(m_project->path, path);
    return true;
}

int ProjectFile::OpenProjectDialog(std::string& pathBuffer, bool nameGiven)
{
    std::string path = nameGiven ? pathBuffer : BrowseForFile(true, FileKindProject, "Choose Project File");
    if (!nameGiven && !path.empty())
        pathBuffer = path;
    if (path.empty())
        return 0;
    // Relative paths in the project resolve against its folder; the file's own path is made absolute
    // first so that it still names the file from there.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(MakeNativePath(path), error);
    if (!error)
        path = absolute.lexically_normal().string();
    std::filesystem::current_path(folderOf(path), error);
    return ReadProjectFile(path);
}

int ProjectFile::ReadProjectFile(const std::string& path)
{
    m_project->edited = 0;
    if (!SetPath(path))
        return 0;
    if (!fileOpensForReading(MakeNativePath(path))) {
        showFileError("Can't open project file " + path);
        return 0;
    }
    return ParseProjectSections();
}

int ProjectFile::ParseProjectSections()
{
    ProjectRecord& project = *m_project;
    delete project.file;
    project.file = new SectionedFile(MakeNativePath(textString(project.path)), false, false, true);
    const SectionedFile& file = *project.file;
    // Every section stands for one thing; a CPU or list name that names another section (a CPU called
    // "PROJECT", two CPUs sharing one list) would read that section's data as its own.
    std::unordered_set<std::string> claimed{sectionLookupKey("PROJECT"), sectionLookupKey("CPUS")};
    const auto reportShared = [&](const std::string& name) {
        showFileError(formatMessage("Unable to load project file %s: the name \"%s\" is used for more than one "
                                    "section",
                                    textString(project.path), name));
    };
    const auto claim = [&](const std::string& name) {
        if (claimed.insert(sectionLookupKey(name)).second)
            return true;
        reportShared(name);
        return false;
    };

    const SectionedFileSection* header = file.FindSection("PROJECT");
    if (header == nullptr) {
        showFileError(formatMessage("Can't find section %s in project file", "PROJECT"));
        return 0;
    }
    setText(project.name, readText(*header, "Name"));
    setText(project.description, readText(*header, "Description"));

    const SectionedFileSection* cpuList = file.FindSection("CPUS");
    if (cpuList == nullptr) {
        showFileError(formatMessage("Can't find section %s in project file", "CPUS"));
        return 0;
    }
    const std::vector<std::string> cpuNames = sectionKeys(*cpuList);
    // Each CPU needs a section of its own besides "PROJECT" and "CPUS". A longer list cannot be read; it
    // is refused before a (large) record is set up for every name, naming the first CPU at fault.
    if (cpuNames.size() + 2 > file.GetSectionCount()) {
        std::unordered_set<std::string> seen = claimed;
        for (const std::string& name : cpuNames) {
            if (file.FindSection(name) == nullptr) {
                showFileError(formatMessage("Can't find section %s in project file", name));
                return 0;
            }
            if (!seen.insert(sectionLookupKey(name)).second) {
                reportShared(name);
                return 0;
            }
        }
    }
    if (!cpuNames.empty()) {
        auto* cpus = static_cast<CpuRecord*>(std::calloc(cpuNames.size(), sizeof(CpuRecord)));
        if (cpus == nullptr) {
            showFileError("Error allocating memory");
            return 0;
        }
        project.cpus = cpus;
        project.cpuCount = static_cast<int32_t>(cpuNames.size());
        for (std::size_t i = 0; i < cpuNames.size(); ++i) {
            CpuRecordHandler::ResetKernelRecord(cpus[i].kernel, true);
            setText(cpus[i].name, cpuNames[i]);
        }
    }

    for (int32_t i = 0; i < project.cpuCount; ++i) {
        CpuRecord& cpu = project.cpus[i];
        const std::string cpuName = textString(cpu.name);
        const SectionedFileSection* s = file.FindSection(cpuName);
        if (s == nullptr) {
            showFileError(formatMessage("Can't find section %s in project file", cpuName));
            return 0;
        }
        if (!claim(cpuName))
            return 0;
        CpuRecordHandler handler(&cpu.kernel, m_config, &cpu);
        const std::string modelName = readText(*s, "Model");
        const int32_t modelIndex = modelIndexOf(*m_config, modelName);
        if (modelIndex < 0) {
            showFileError(formatMessage("Model \"%s\" of CPU \"%s\" is not defined in the configuration file",
                                        modelName, cpuName));
            return 0;
        }
        if (!handler.LoadModel(modelIndex))
            return 0;
        setText(cpu.name, cpuName);
        cpu.kernel.modelIndex = modelIndex;

        setText(cpu.description, readText(*s, "Description"));
        const std::string kernelPath = MakeNativePath(readText(*s, "Kernel"));
        if (!textFits(cpu.kernel.kernelPath, kernelPath)) {
            showFileError(formatMessage("The kernel file path %s of CPU \"%s\" is too long", kernelPath, cpuName));
            return 0;
        }
        setText(cpu.kernel.kernelPath, kernelPath);
        if (!kernelPath.empty() && !handler.ReadKernel(kernelPath))
            return 0;

        const std::string applications = readText(*s, "Applications");
        if (applications.empty())
            continue;
        if (file.FindSection(applications) != nullptr && !claim(applications))
            return 0;
        if (!ReadProjectApplications(i, applications))
            return 0;
    }
    return 1;
}

int ProjectFile::ReadProjectApplications(int cpuIndex, const std::string& sectionName)
{
    CpuRecord& cpu = m_project->cpus[cpuIndex];
    const SectionedFileSection* list = m_project->file->FindSection(sectionName);
    if (list == nullptr) {
        showFileError(formatMessage("Can't find section %s in project file", sectionName));
        return 0;
    }
    const std::vector<std::string> names = sectionKeys(*list);
    if (names.empty()) {
        showFileError("No applications listed in project file");
        return 0;
    }
    auto* apps = static_cast<ApplicationRecord*>(std::calloc(names.size(), sizeof(ApplicationRecord)));
    if (apps == nullptr) {
        showFileError("Error allocating space for APPLICATION object");
        return 0;
    }
    cpu.applications = apps;
    cpu.applicationCount = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        ResetApplicationRecord(apps[i], cpu);
        setText(apps[i].name, names[i]);
        const std::string path = MakeNativePath(readText(*list, names[i]));
        if (!textFits(apps[i].path, path)) {
            showFileError(formatMessage("The path %s of application \"%s\" is too long", path, names[i]));
            return 0;
        }
        setText(apps[i].path, path);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (apps[i].path[0] == '\0') {
            BuildApplicationOptionList(cpu, apps[i]);
            continue;
        }
        ApplicationFile reader(m_owner, m_project, &cpu, &apps[i]);
        if (!reader.Read(textString(apps[i].path)))
            return 0;
    }
    return 1;
}

int ProjectFile::WriteProjectSections(const std::string& fileName)
{
    const ProjectRecord& project = *m_project;
    auto file = std::make_unique<SectionedFile>(fileName, true, false, false);
    SectionWriter out(*file);
    if (SectionedFileSection* s = out.add("PROJECT")) {
        out.addText(*s, "Name", textOf(project.name));
        out.addText(*s, "Description", textOf(project.description));
    }
    if (SectionedFileSection* s = out.add("CPUS")) {
        for (int32_t i = 0; project.cpus != nullptr && i < project.cpuCount; ++i)
            out.addText(*s, textOf(project.cpus[i].name), "");
    }
    for (int32_t i = 0; project.cpus != nullptr && i < project.cpuCount; ++i) {
        const CpuRecord& cpu = project.cpus[i];
        const std::string cpuName = textString(cpu.name);
        const bool hasApplications = cpu.applications != nullptr && cpu.applicationCount > 0;
        const std::string listName = "APPS " + cpuName;
        if (SectionedFileSection* s = out.add(cpuName)) {
            const int32_t model = cpu.kernel.modelIndex;
            const bool known = m_config->models != nullptr && model >= 0 && model < m_config->modelCount;
            out.addText(*s, "Description", textOf(cpu.description));
            out.addText(*s, "Model", known ? textOf(m_config->models[model].name) : std::string_view());
            out.addText(*s, "Kernel", textOf(cpu.kernel.kernelPath));
            if (hasApplications)
                out.addText(*s, "Applications", listName);
        }
        if (!hasApplications)
            continue;
        if (SectionedFileSection* s = out.add(listName)) {
            for (int32_t a = 0; a < cpu.applicationCount; ++a)
                out.addText(*s, textOf(cpu.applications[a].name), textOf(cpu.applications[a].path));
        }
    }
    if (!out.repeatedName().empty()) {
        showFileError(formatMessage("Unable to write project file %s: the name \"%s\" is used twice",
                                    textString(project.path), out.repeatedName()));
        return 0;
    }
    if (file->WriteSectionedFile(false) == 0) {
        const std::string problem = file->FindUnwritableName();
        showFileError(problem.empty() ? "Can't open file " + fileName
                                      : formatMessage("Unable to write project file %s: %s",
                                                      textString(project.path), problem));
        return 0;
    }
    file->SetPath(textString(project.path));
    delete m_project->file;
    m_project->file = file.release();
    return 1;
}

int ProjectFile::SaveProjectFile()
{
    const std::string path = textString(m_project->path);
    const std::string temporary = TemporaryPathFor(path);
    if (path.empty()) {
        showFileError("Can't open file " + temporary);
        return 0;
    }
    if (!WriteProjectSections(temporary)) {
        ApplicationFile::DiscardTemporary(temporary);
        return 0;
    }
    if (!replaceFile(temporary, path))
        return 0;
    m_project->edited = 0;
    return 1;
}

int ProjectFile::SaveProjectAs(std::string* outPath)
{
    const std::string chosen =
        BrowseForFile(false, FileKindProject, "Choose File for Project \"" + textString(m_project->name) + "\"");
    if (outPath != nullptr)
        *outPath = chosen;
    if (chosen.empty())
        return 1;
    // A failed save keeps the project's own path, so that Save still writes where the project lives.
    const std::string previous = textString(m_project->path);
    if (!SetPath(MakeNativePath(chosen)))
        return 0;
    if (SaveProjectFile())
        return 1;
    setText(m_project->path, previous);
    return 0;
}

}  // namespace engine
