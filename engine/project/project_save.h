#pragma once
// Saving a project's files, the one way both programs do it: an application file, a kernel (CPU) file,
// the project file, and the console's save of every file in turn. The writers report their own
// failures through the message service; these steps add the programs' summary texts.

namespace engine {

class ProjectManager;
struct ApplicationRecord;
struct ConfigRecord;
struct CpuRecord;
struct ProjectRecord;

// Writes the application to its file; on failure shows "Unable to write application file" after the
// writer's own message and returns false.
bool WriteApplicationFile(ProjectManager& manager, ProjectRecord& project, CpuRecord& cpu,
                          ApplicationRecord& application);
// Writes the CPU's kernel file. A kernel whose record forbids saving ("Writeable" 0) or that has no file
// is skipped: nothing is written, nothing is shown, and that is no failure (true). False after the
// writer's message when the write failed, or when the project check refuses the project.
bool WriteCpuFile(const ProjectRecord& project, ConfigRecord& config, CpuRecord& cpu);
// Writes the project file; on failure shows "Error writing project" and returns false.
bool WriteProjectFile(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config);

// Saves every file of the project: for each CPU its application files in order (a failure leaves that
// CPU's later applications alone), then, only when every application file was written, every CPU's
// kernel file (a failure does not stop the next CPU's), then always the project file. False when any
// write failed; the files not reached or refused keep their bytes and mode.
bool SaveProjectFiles(ProjectManager& manager, ProjectRecord& project, ConfigRecord& config);

}  // namespace engine
