#pragma once
// The one check of a whole project as it stands in memory: a project opens only if it could be saved as it
// is, and an edit is kept only if the project it leaves would still open. The open runs it after the last
// file was read, the writers before anything is written, and an editor on the project it is about to keep.
//
// It covers:
//   - names: every CPU name by cpuNameProblem, every application name by applicationNameProblem (the rules
//     of the project file's sections and keys, and no character that would make a path);
//   - files: no file listed twice, whichever way (a kernel file named by two CPUs, an application file
//     listed for two applications, a file that is one CPU's kernel file and an application's file), paths
//     compared by the file they reach (ProjectFileIdentity);
//   - values: every number of an application within its field's description.

#include <string>

namespace engine {

struct ProjectRecord;

// "" when the project could be saved and opened again as it stands; else the first problem, as a sentence
// to follow "Unable to load project file X: " or "Unable to write project file X: " (it names the CPU,
// the application, the file or the key at fault, and why).
std::string ProjectCheckProblem(const ProjectRecord& project);

// What a writer of one of the project's files checks before it writes: ProjectCheckProblem, unless a
// ProjectCheckedScope of the project is open (a save of several files checks the project once, first).
std::string ProjectWriteProblem(const ProjectRecord& project);

// While it lives, the project counts as checked for ProjectWriteProblem on this thread.
class ProjectCheckedScope {
public:
    explicit ProjectCheckedScope(const ProjectRecord& project);
    ~ProjectCheckedScope();
    ProjectCheckedScope(const ProjectCheckedScope&) = delete;
    ProjectCheckedScope& operator=(const ProjectCheckedScope&) = delete;

private:
    const ProjectRecord* m_previous;
};

// The one form of a path of the project (relative paths taken in the project's folder), by which two
// names of one file are the same: the device and inode of a file that exists (whichever link or hard link
// names it), else the path with links, "." and ".." resolved as far as it exists.
std::string ProjectFileIdentity(const ProjectRecord& project, const std::string& path);

} // namespace engine
