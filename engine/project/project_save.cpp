#include <string>
#include <vector>

#include "engine/ops/cpu_record_handler.h"
#include "engine/project/application_file.h"
#include "engine/project/file_messages.h"
#include "engine/project/project_file.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"

namespace engine {
namespace {

struct PendingFile {
    ApplicationRecord* application;  // null for the project file
    CpuRecord* cpu;
    std::string temporary;
};

void discardAll(const std::vector<PendingFile>& pending)
{
    for (const PendingFile& file : pending)
        ApplicationFile::DiscardTemporary(file.temporary);
}

}  // namespace

int SaveWholeProject(ProjectManager* owner, ProjectRecord& project, ConfigRecord& config, bool editedOnly)
{
    std::vector<PendingFile> pending;
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        CpuRecord& cpu = project.cpus[c];
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            ApplicationRecord& app = cpu.applications[a];
            // An application without a file has nothing to be written to until it is given one.
            if (app.path[0] == '\0' || (editedOnly && !app.edited))
                continue;
            std::string temporary;
            ApplicationFile file(owner, &project, &cpu, &app);
            if (!file.WriteTemporary(&temporary)) {
                discardAll(pending);
                return 0;
            }
            pending.push_back({&app, &cpu, temporary});
        }
    }

    const std::string projectPath = textString(project.path);
    const std::string projectTemporary = TemporaryPathFor(projectPath);
    const bool writeProject = !editedOnly || project.edited;
    if (writeProject) {
        ProjectFile file(owner, &project, &config);
        if (projectPath.empty()) {
            showFileError("Can't open file " + projectTemporary);
            discardAll(pending);
            return 0;
        }
        if (!file.WriteProjectSections(projectTemporary)) {
            ApplicationFile::DiscardTemporary(projectTemporary);
            discardAll(pending);
            return 0;
        }
        pending.push_back({nullptr, nullptr, projectTemporary});
    }

    // Kernel files go through their own temporary files; a kernel that is not writable is skipped.
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        CpuRecord& cpu = project.cpus[c];
        if (cpu.kernel.kernelPath[0] == '\0' || !cpu.kernel.writable || (editedOnly && !cpu.kernel.edited))
            continue;
        CpuRecordHandler handler(&cpu.kernel, &config, &cpu);
        if (!handler.SaveKernel()) {
            discardAll(pending);
            return 0;
        }
    }

    int result = 1;
    for (const PendingFile& file : pending) {
        if (file.application != nullptr) {
            ApplicationFile writer(owner, &project, file.cpu, file.application);
            if (!writer.CommitTemporary(file.temporary))
                result = 0;
        } else if (replaceFile(file.temporary, projectPath)) {
            project.edited = 0;
        } else {
            result = 0;
        }
    }
    return result;
}

}  // namespace engine
