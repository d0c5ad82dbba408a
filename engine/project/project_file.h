#pragma once
// The project file (*.omb) and opening and saving a whole project: the project file names the CPUs,
// and per CPU its model, kernel (CPU) file and application files, all of which an open reads.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/project/application_names.h"
#include "engine/project/global_names.h"

namespace engine {

class ProjectManager;
struct ApplicationRecord;
struct ConfigRecord;
struct CpuRecord;
struct ProjectRecord;
class SectionedFile;

class ProjectFile {
public:
    ProjectFile(ProjectManager* owner, ProjectRecord* project, ConfigRecord* config);
    ~ProjectFile();

    // Copies a path into the project record; false (with a message) when it does not fit.
    bool SetPath(const std::string& path);
    // With nameGiven the buffer names the file; otherwise a file dialog asks (the choice is copied into
    // the buffer). The working folder becomes the project file's folder, also when reading then fails.
    // 1 when the project was read.
    int OpenProjectDialog(std::string& pathBuffer, bool nameGiven);
    // Asks for a new project file name and saves there; Cancel returns 1 and writes nothing.
    int SaveProjectAs(std::string* outPath);
    int ReadProjectFile(const std::string& path);
    int ParseProjectSections();
    int ReadProjectApplications(int cpuIndex, const std::string& sectionName);
    // Writes the project file (only) to the project's path (a link's target) through a temporary file.
    int SaveProjectFile();

private:
    // A path field changed by RebaseFilePaths and its value before.
    struct PathChange {
        char* field;
        std::size_t size;
        std::string before;
    };
    // Re-expresses the relative kernel and application paths, which resolve against `from`, against
    // `to`; false (after a message) when one no longer fits its field.
    bool RebaseFilePaths(const std::filesystem::path& from, const std::filesystem::path& to,
                         std::vector<PathChange>& changes);
    static void UndoPathChanges(const std::vector<PathChange>& changes);
    // The project's sections; null (after a message) when a name repeats or would not read back, or a
    // CPU has no model.
    std::unique_ptr<SectionedFile> BuildProjectSections() const;

    ProjectManager* m_owner;
    ProjectRecord* m_project;
    ConfigRecord* m_config;
    // The application files and global objects the current open has met (see applicationFilesAreDistinct
    // and warnAboutGlobalNameClashes).
    ListedApplicationFiles m_listedFiles;
    GlobalObjectNames m_globalNames;
};

// Sets a new application record of the CPU to its defaults (paths "./", clock 1000, one instance, the
// kernel's defaults for the rest) with a fresh user text store; every other field is zero.
void ResetApplicationRecord(ApplicationRecord& application, const CpuRecord& cpu);

}  // namespace engine
