#pragma once
// The checks made when a project is opened on the names and files of a CPU's applications, so that a
// project that opens can also be saved: every application has a name the project file can hold, no two
// applications of one CPU share a name, and no application file is listed twice.

#include <string>
#include <string_view>
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

// What else the project keeps in the file at `path` (relative paths are taken from the project's folder,
// links resolved): "the project file", "the kernel file of CPU "Main"" or "the application file of
// "Monitor" of CPU "Main""; "" when the project keeps nothing there but the kernel of `selfCpu` or the
// application `selfApplication` (either may be null). A file saved or read there for something else
// would leave the project listing one file twice.
// `selfProject` names the project file as the one being written (a Save As of the project).
std::string fileListedElsewhere(const ProjectRecord& project, std::string_view path, const CpuRecord* selfCpu,
                                const ApplicationRecord* selfApplication, bool selfProject = false);

// The same as a check of a file chosen to be read or written: true when the project keeps nothing else at
// `path` (or there is no project); else false, after the message "Unable to <action> <path>: the project
// lists it as <what>" (action as "write kernel file").
bool fileIsFreeFor(const ProjectRecord* project, const std::string& path, const CpuRecord* selfCpu,
                   const ApplicationRecord* selfApplication, std::string_view action);

// The same check of a file chosen to be written (`what` as "kernel file"): the refusal is the save's failure,
// "Unable to write <what> <path>: ...", captioned "File I/O Error" whether the user is still choosing or has
// chosen.
bool fileIsFreeToWrite(const ProjectRecord* project, const std::string& path, const CpuRecord* selfCpu,
                       const ApplicationRecord* selfApplication, std::string_view what, bool selfProject = false);

// The one rule of every Save As (the project file, a kernel, an application): the file dialog is asked with
// fileIsFreeToWrite in force, so that a file the project lists for something else sends the user back, and
// the final choice meets it once more. Returns the native path chosen; "" when the user cancels or the
// choice was refused (`*refused` then says which).
std::string chooseFileToSaveAs(const ProjectRecord* project, int kind, const std::string& title,
                               const CpuRecord* selfCpu, const ApplicationRecord* selfApplication,
                               std::string_view what, bool selfProject, bool* refused);

}  // namespace engine
