#include "engine/project/project_file.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/ops/cpu_record_handler.h"
#include "engine/files/file_chooser.h"
#include "engine/files/file_message.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/application_names.h"
#include "engine/project/file_messages.h"
#include "engine/project/name_rules.h"
#include "engine/project/project_check.h"
#include "engine/project/read_back.h"
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

// The MODELS row named by a CPU's "Model" value; -1 when no row has the name (or there are no rows),
// which ends the open instead of loading some other model.
int32_t modelIndexOf(const ConfigRecord& config, const std::string& modelName)
{
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
    if (const std::string resolved = ResolvePath(path); !resolved.empty())
        path = resolved;
    std::error_code error;
    std::filesystem::current_path(folderOf(path), error);
    return ReadProjectFile(path);
}

int ProjectFile::ReadProjectFile(const std::string& path)
{
    m_project->edited = 0;
    if (!SetPath(path))
        return 0;
    // A folder, pipe or device is named for what it is by the read that follows, never opened.
    if (CheckReadableFile(MakeNativePath(path)) == ReadResult::OpenFailed) {
        showFileError("Can't open project file " + path);
        return 0;
    }
    return ParseProjectSections();
}

int ProjectFile::ParseProjectSections()
{
    ProjectRecord& project = *m_project;
    // The lists hold addresses of this open's records; they are emptied whichever way the open ends.
    struct ClearOnExit {
        ProjectFile& file;
        ~ClearOnExit()
        {
            file.m_listedFiles.clear();
            file.m_globalNames.clear();
        }
    } clearListed{*this};
    m_listedFiles.clear();
    m_globalNames.clear();
    delete project.file;
    project.file = new SectionedFile(MakeNativePath(textString(project.path)), false, false, false);
    const SectionedFile& file = *project.file;
    // A file that opened but cannot be read whole (too large, a read error) is named as such, not taken
    // for a file without sections.
    const ReadResult loaded = project.file->Load(true);
    if (loaded != ReadResult::Ok) {
        showFileError(formatMessage("Unable to read project file %s: %s", textString(project.path),
                                    ReadFailureReason(loaded, file.GetPath())));
        return 0;
    }
    if (!CheckParsedFile(file, "project", textString(project.path)))
        return 0;
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
    const FieldReader fields("project", textString(project.path));
    if (!fields.text(project.name, *header, "Name") || !fields.text(project.description, *header, "Description"))
        return 0;

    const SectionedFileSection* cpuSection = file.FindSection("CPUS");
    if (cpuSection == nullptr) {
        showFileError(formatMessage("Can't find section %s in project file", "CPUS"));
        return 0;
    }
    const std::optional<std::vector<std::string>> cpuList = listKeys(*cpuSection, "project", textString(project.path));
    if (!cpuList)
        return 0;
    const std::vector<std::string>& cpuNames = *cpuList;
    if (!fields.namesFit(kNameSize, cpuNames, cpuSection->GetName()))
        return 0;
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

    const CpuNameKeys cpuNameKeys(project);
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
        if (const std::string problem = cpuNameKeys.problem(&cpu, cpuName); !problem.empty()) {
            showFileError(formatMessage("Unable to load project file %s: the CPU name \"%s\" cannot %s",
                                        textString(project.path), cpuName, problem));
            return 0;
        }
        CpuRecordHandler handler(&cpu.kernel, m_config, &cpu);
        const std::string modelName = readText(*s, "Model");
        if (modelName.empty()) {
            showFileError(formatMessage("CPU \"%s\" names no model in project file %s", cpuName,
                                        textString(project.path)));
            return 0;
        }
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

        if (!fields.text(cpu.description, *s, "Description"))
            return 0;
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
    // A project opens only if it could be saved as it stands (each file read has passed its round trip).
    if (const std::string problem = ProjectCheckProblem(project); !problem.empty()) {
        showFileError(formatMessage("Unable to load project file %s: %s", textString(project.path), problem));
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
    const std::optional<std::vector<std::string>> listed = listKeys(*list, "project", textString(m_project->path));
    if (!listed)
        return 0;
    const std::vector<std::string>& names = *listed;
    if (names.empty()) {
        showFileError("No applications listed in project file");
        return 0;
    }
    if (!FieldReader("project", textString(m_project->path)).namesFit(kNameSize, names, list->GetName()))
        return 0;
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
    if (!applicationFilesAreDistinct(*m_project, cpuIndex, m_listedFiles))
        return 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (apps[i].path[0] == '\0') {
            BuildApplicationOptionList(cpu, apps[i]);
            continue;
        }
        ApplicationFile reader(m_owner, m_project, &cpu, &apps[i]);
        reader.SetGlobalObjectNames(&m_globalNames);
        if (!reader.Read(textString(apps[i].path)))
            return 0;
    }
    // An application file may name its application; the names must still make a project file that saves.
    return applicationNamesAreSound(*m_project, cpuIndex, sectionName) ? 1 : 0;
}

std::unique_ptr<SectionedFile> ProjectFile::BuildProjectSections() const
{
    const ProjectRecord& project = *m_project;
    auto file = std::make_unique<SectionedFile>(textString(project.path), true, false, false);
    SectionWriter out(*file);
    if (SectionedFileSection* s = out.add("PROJECT")) {
        out.addText(*s, "Name", textOf(project.name));
        out.addText(*s, "Description", textOf(project.description));
    }
    if (SectionedFileSection* s = out.add("CPUS")) {
        for (int32_t i = 0; project.cpus != nullptr && i < project.cpuCount; ++i)
            out.addText(*s, textOf(project.cpus[i].name), "");
    }
    const CpuNameKeys cpuNameKeys(project);
    for (int32_t i = 0; project.cpus != nullptr && i < project.cpuCount; ++i) {
        const CpuRecord& cpu = project.cpus[i];
        const std::string cpuName = textString(cpu.name);
        const bool hasApplications = cpu.applications != nullptr && cpu.applicationCount > 0;
        const std::string listName = "APPS " + cpuName;
        const int32_t model = cpu.kernel.modelIndex;
        if (const std::string problem = cpuNameKeys.problem(&cpu, cpuName); !problem.empty()) {
            showFileError(formatMessage("Unable to write project file %s: CPU name \"%s\" cannot %s",
                                        textString(project.path), cpuName, problem));
            return nullptr;
        }
        const ApplicationNameKeys applicationNameKeys(cpu);
        for (int32_t a = 0; hasApplications && a < cpu.applicationCount; ++a) {
            const std::string name = textString(cpu.applications[a].name);
            if (const std::string problem = applicationNameKeys.problem(&cpu.applications[a], name); !problem.empty()) {
                showFileError(formatMessage("Unable to write project file %s: application name \"%s\" of CPU \"%s\" "
                                            "cannot %s",
                                            textString(project.path), name, cpuName, problem));
                return nullptr;
            }
        }
        // A CPU always has a model; an empty "Model" would not open again.
        if (m_config->models == nullptr || model < 0 || model >= m_config->modelCount ||
            m_config->models[model].name[0] == '\0') {
            showFileError(formatMessage("Unable to write project file %s: CPU \"%s\" has no model",
                                        textString(project.path), cpuName));
            return nullptr;
        }
        if (SectionedFileSection* s = out.add(cpuName)) {
            out.addText(*s, "Description", textOf(cpu.description));
            out.addText(*s, "Model", textOf(m_config->models[model].name));
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
        return nullptr;
    }
    const std::string problem = file->FindUnwritableName();
    if (!problem.empty()) {
        showFileError(formatMessage("Unable to write project file %s: %s", textString(project.path), problem));
        return nullptr;
    }
    return file;
}

int ProjectFile::SaveProjectFile()
{
    const std::string path = textString(m_project->path);
    if (path.empty()) {
        showFileError("Can't open file " + path);
        return 0;
    }
    if (const std::string problem = ProjectWriteProblem(*m_project); !problem.empty()) {
        showFileError(formatMessage("Unable to write project file %s: %s", path, problem));
        return 0;
    }
    std::unique_ptr<SectionedFile> file = BuildProjectSections();
    if (file == nullptr)
        return 0;
    const std::string text = file->ToText();
    // What would not open again as it was meant is never put in place.
    if (const std::string problem = ProjectReadBackProblem(*m_project, *m_config, text); !problem.empty()) {
        showFileError(formatMessage("Unable to write project file %s: %s", path, problem));
        return 0;
    }
    if (!ReplaceFileContents(MakeNativePath(path), text)) {
        showFileError(
            ReplaceFailureText(LastReplaceOutcome(), path, "Can't open file %s", "Unable to write project file %s"));
        return 0;
    }
    delete m_project->file;
    m_project->file = file.release();
    m_project->edited = 0;
    return 1;
}

int ProjectFile::SaveProjectAs(std::string* outPath)
{
    // A file the project lists (a kernel or an application file) is never written over: the rule of every
    // Save As.
    bool refused = false;
    const std::string chosen =
        chooseFileToSaveAs(m_project, FileKindProject, "Choose File for Project \"" + textString(m_project->name) + "\"",
                           nullptr, nullptr, "project file", true, &refused);
    if (outPath != nullptr)
        *outPath = chosen;
    if (chosen.empty())
        return refused ? 0 : 1;
    // A failed save keeps the project's own path, so that Save still writes where the project lives.
    const std::string previous = textString(m_project->path);
    if (!SetPath(MakeNativePath(chosen)))
        return 0;
    std::vector<PathChange> changes;
    // Both folders in their canonical form (links resolved), so that a path made relative to the new
    // folder leads from there to the file it led to from the old one, also through a linked folder.
    std::error_code error;
    const auto canonicalFolder = [&error](const std::filesystem::path& folder) {
        std::error_code step;
        std::filesystem::path result = std::filesystem::weakly_canonical(folder, step);
        if (step)
            error = step;
        return result;
    };
    const std::filesystem::path from = canonicalFolder(std::filesystem::current_path(error));
    const std::filesystem::path to =
        canonicalFolder(std::filesystem::absolute(MakeNativePath(chosen), error).parent_path());
    const bool moved = !error && from != to;
    if (moved && !RebaseFilePaths(from, to, changes)) {
        UndoPathChanges(changes);
        setText(m_project->path, previous);
        return 0;
    }
    if (SaveProjectFile()) {
        // The relative paths now resolve against the new folder, as after opening the project there.
        if (moved)
            std::filesystem::current_path(to, error);
        return 1;
    }
    UndoPathChanges(changes);
    setText(m_project->path, previous);
    return 0;
}

bool ProjectFile::RebaseFilePaths(const std::filesystem::path& from, const std::filesystem::path& to,
                                  std::vector<PathChange>& changes)
{
    const auto rebase = [&](char* field, std::size_t size, const std::string& owner) {
        const std::string path(textOf(field, size));
        if (path.empty() || std::filesystem::path(path).is_absolute())
            return true;
        // The folder the path reaches through the system (links and ".." as the open follows them), not the
        // folding of its text; the file keeps the name the project gives it, so a link stays the link.
        const std::filesystem::path listed = from / path;
        std::error_code reached;
        std::filesystem::path target =
            std::filesystem::weakly_canonical(listed.parent_path(), reached) / listed.filename();
        if (reached)
            target = listed.lexically_normal();
        std::filesystem::path relative = target.lexically_relative(to);
        const std::string moved = relative.empty() ? target.string() : relative.string();
        if (!textFits(size, moved)) {
            showFileError(formatMessage("The path %s of %s is too long", moved, owner));
            return false;
        }
        changes.push_back({field, size, path});
        setText(field, size, moved);
        return true;
    };
    for (int32_t c = 0; m_project->cpus != nullptr && c < m_project->cpuCount; ++c) {
        CpuRecord& cpu = m_project->cpus[c];
        if (!rebase(cpu.kernel.kernelPath, sizeof cpu.kernel.kernelPath, "CPU \"" + textString(cpu.name) + "\""))
            return false;
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            ApplicationRecord& app = cpu.applications[a];
            if (!rebase(app.path, sizeof app.path, "application \"" + textString(app.name) + "\""))
                return false;
        }
    }
    return true;
}

void ProjectFile::UndoPathChanges(const std::vector<PathChange>& changes)
{
    for (const PathChange& change : changes)
        setText(change.field, change.size, change.before);
}

}  // namespace engine
