#pragma once
// Saving a project's files, the one way both programs do it: an application file, a kernel (CPU) file,
// the project file, and the console's save of every file in turn. The writers report their own
// failures through the message service; these steps add the programs' summary texts.

#include <functional>

namespace engine {

class ProjectManager;
struct ApplicationRecord;
struct ConfigRecord;
struct CpuRecord;
struct ProjectRecord;

// Writes the application to its file; on failure shows "Unable to write application file" after the
// writer's own message and returns false (no more than the writer's message when another program's save
// held the file's folder).
bool WriteApplicationFile(ProjectManager& manager, ProjectRecord& project, CpuRecord& cpu,
                          ApplicationRecord& application);
// Writes the CPU's kernel file. A kernel whose record forbids saving ("Writeable" 0) or that has no file
// is skipped: nothing is written, nothing is shown, and that is no failure (true). False after the
// writer's message when the write failed, or when the project check refuses the project.
bool WriteCpuFile(const ProjectRecord& project, ConfigRecord& config, CpuRecord& cpu);
// Writes the project file; on failure shows "Error writing project" and returns false (likewise).
bool WriteProjectFile(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config);

// Saves several files of the project as one (Save All, the console's save): `write` writes them through the
// writers above. Every file's bytes are checked and written to its temporary first; only when `write`
// succeeded is each renamed into place. Otherwise every file stays as it was, byte for byte, and the
// project's, the kernels' and the applications' edited marks are put back as they were. False then.
bool SaveFilesTogether(ProjectRecord& project, const std::function<bool()>& write);

// Saves every file of the project as one (SaveFilesTogether), after one project check: for each CPU its
// application files in order, then, only when every application file was written, every CPU's kernel
// file, then the project file. False, with nothing saved, when any write failed.
bool SaveProjectFiles(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config);

}  // namespace engine
