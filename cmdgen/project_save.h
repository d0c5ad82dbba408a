#pragma once
// Saving every project file after a console run: the application files, then the kernel (CPU) files,
// then the project file, each written through a temporary file.

#include "engine/records/records.h"

namespace engine {
class ProjectManager;
}

namespace cmdgen {

// Writes one application file; false (after a message) when it could not be written.
bool WriteApplicationFile(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::CpuRecord& cpu,
                          engine::ApplicationRecord& application);
// Writes the CPU's kernel file when its record is writable; true when written or not writable.
bool WriteCpuFile(engine::ConfigRecord& config, engine::CpuRecord& cpu);
// Writes the project file; false (after a message) when it could not be written.
bool WriteProjectFile(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::ConfigRecord& config);

// Saves all files; false when any write failed. A failed application file ends that CPU's
// applications; kernel files are written only when every application file was; the project file is
// always written.
bool SaveProjectFiles(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::ConfigRecord& config);

} // namespace cmdgen
