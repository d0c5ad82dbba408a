#include "engine/project/project_save.h"

#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/file_messages.h"
#include "engine/project/project_check.h"
#include "engine/records/text_field.h"
#include "engine/records/records.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"

#include <vector>

namespace engine {

namespace {

// The programs' summary after a writer's own message. A save held up by another program's save has none:
// the writer's message, or one for an earlier file of the same save, said so and named the file.
void sayWriteFailed(const std::string& text)
{
    if (LastReplaceOutcome().step != ReplaceFailure::Locked)
        showSaveError(text);
}

} // namespace

bool WriteApplicationFile(ProjectManager& manager, ProjectRecord& project, CpuRecord& cpu,
                          ApplicationRecord& application)
{
    ForgetLastReplaceOutcome();
    ApplicationFile file(&manager, &project, &cpu, &application);
    if (file.Write() == 1)
        return true;
    sayWriteFailed("Unable to write application file");
    return false;
}

bool WriteCpuFile(const ProjectRecord& project, ConfigRecord& config, CpuRecord& cpu)
{
    CpuRecordHandler handler(&cpu.kernel, &config, &cpu);
    if (!handler.IsKernelWritable() || cpu.kernel.kernelPath[0] == '\0')
        return true;
    if (const std::string problem = ProjectWriteProblem(project); !problem.empty()) {
        showFileError(formatMessage("Unable to write kernel file %s: %s", textString(cpu.kernel.kernelPath), problem));
        return false;
    }
    return handler.SaveKernel();
}

bool WriteProjectFile(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config)
{
    ForgetLastReplaceOutcome();
    if (manager.SaveProjectFile(project, config) == 1)
        return true;
    sayWriteFailed("Error writing project");
    return false;
}

bool SaveFilesTogether(ProjectRecord& project, const std::function<bool()>& write)
{
    // The edited marks the writers clear, kept to be put back when nothing is saved.
    struct Marks {
        int32_t project = 0;
        std::vector<int32_t> kernels;
        std::vector<int32_t> applications;
    } marks;
    marks.project = project.edited;
    const int32_t cpuCount = project.cpus != nullptr ? project.cpuCount : 0;
    for (int32_t c = 0; c < cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        marks.kernels.push_back(cpu.kernel.edited);
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a)
            marks.applications.push_back(cpu.applications[a].edited);
    }
    const auto restoreMarks = [&] {
        project.edited = marks.project;
        std::size_t next = 0;
        for (int32_t c = 0; c < cpuCount; ++c) {
            CpuRecord& cpu = project.cpus[c];
            cpu.kernel.edited = marks.kernels[static_cast<std::size_t>(c)];
            for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
                if (next < marks.applications.size())
                    cpu.applications[a].edited = marks.applications[next];
                ++next;
            }
        }
    };
    FileCommit commit;
    // Every folder the save may write into is locked once, before anything is written, within one wait. When
    // another save keeps one all that time, the files are still written in turn without waiting again: the
    // first whose folder is held fails with its own message and nothing is committed.
    std::vector<std::string> targets;
    if (project.path[0] != '\0')
        targets.push_back(MakeNativePath(textString(project.path)));
    for (int32_t c = 0; c < cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        if (cpu.kernel.kernelPath[0] != '\0')
            targets.push_back(MakeNativePath(textString(cpu.kernel.kernelPath)));
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            if (cpu.applications[a].path[0] != '\0')
                targets.push_back(MakeNativePath(textString(cpu.applications[a].path)));
        }
    }
    commit.lockFoldersOf(targets);
    if (!write()) {
        restoreMarks();
        return false;
    }
    if (!commit.Commit()) {
        showFileError(ReplaceFailureText(LastReplaceOutcome(), commit.failedFile(), {}, {}));
        restoreMarks();
        return false;
    }
    return true;
}

bool SaveProjectFiles(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config)
{
    // The project is checked once, before any file is written.
    if (const std::string problem = ProjectCheckProblem(project); !problem.empty()) {
        showFileError(formatMessage("Unable to write project file %s: %s", textString(project.path), problem));
        return false;
    }
    const ProjectCheckedScope checked(project);
    return SaveFilesTogether(project, [&] {
        bool saved = true;
        const int32_t cpuCount = project.cpus != nullptr ? project.cpuCount : 0;
        for (int32_t c = 0; c < cpuCount; ++c) {
            CpuRecord& cpu = project.cpus[c];
            const int32_t applicationCount = cpu.applications != nullptr ? cpu.applicationCount : 0;
            for (int32_t a = 0; a < applicationCount; ++a) {
                ApplicationRecord& application = cpu.applications[a];
                // An application without a file has nothing to be written to; the project lists it as it is.
                if (application.path[0] == '\0')
                    continue;
                if (!WriteApplicationFile(manager, project, cpu, application)) {
                    saved = false;
                    break;
                }
            }
        }
        if (saved) {
            for (int32_t c = 0; c < cpuCount; ++c)
                saved = WriteCpuFile(project, config, project.cpus[c]) && saved;
        }
        return WriteProjectFile(manager, project, config) && saved;
    });
}

}  // namespace engine
