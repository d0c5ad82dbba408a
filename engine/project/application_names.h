#pragma once
// The checks made when a project is opened on the names and files of a CPU's applications, so that a
// project that opens can also be saved: every application has a name the project file can hold, no two
// applications of one CPU share a name, and no application file is listed twice.

#include <string>
#include <unordered_map>

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// The application files an open has met so far, by the one form of each path (links, "." and ".."
// resolved as far as the path exists), with the application that lists it.
using ListedApplicationFiles = std::unordered_map<std::string, const ApplicationRecord*>;

// Before the CPU's application files are read: false, after a message, when an application of CPU
// `cpuIndex` names a file that an application listed before it (of any CPU) names too. The CPU's files
// are added to `listed`, which an open keeps from its first CPU to its last, so every path is resolved
// once per open.
bool applicationFilesAreDistinct(const ProjectRecord& project, int cpuIndex, ListedApplicationFiles& listed);

// After they are read: false, after a message, when an application of the CPU has an empty name, a name
// the project file's list section `listName` could not hold, or a name (in any letter case) that an
// earlier application of the CPU has.
bool applicationNamesAreSound(const ProjectRecord& project, int cpuIndex, const std::string& listName);

// After one application file at `path` was read into `loaded`, an application of `cpu` (a load of a
// single file while the project is open): false, after a message naming the file, when the open of the
// project would refuse it: an empty name, a name the CPU's list section could not hold or that another
// application of the CPU has, or a file that another application of the project lists.
bool loadedApplicationIsSound(const ProjectRecord& project, const CpuRecord& cpu, const ApplicationRecord& loaded,
                              const std::string& path);

}  // namespace engine
