#pragma once
// The checks made when a project is opened on the names and files of a CPU's applications, so that a
// project that opens can also be saved: every application has a name the project file can hold, no two
// applications of one CPU share a name, and no application file is listed twice.

#include <string>

namespace engine {

struct ProjectRecord;

// Before the CPU's application files are read: false, after a message, when an application of CPU
// `cpuIndex` names a file that an application listed before it (of any CPU) names too.
bool applicationFilesAreDistinct(const ProjectRecord& project, int cpuIndex);

// After they are read: false, after a message, when an application of the CPU has an empty name, a name
// the project file's list section `listName` could not hold, or a name (in any letter case) that an
// earlier application of the CPU has.
bool applicationNamesAreSound(const ProjectRecord& project, int cpuIndex, const std::string& listName);

}  // namespace engine
