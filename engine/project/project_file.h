#pragma once
// The project file (*.omb) and opening and saving a whole project: the project file names the CPUs,
// and per CPU its model, kernel (CPU) file and application files, all of which an open reads.

#include <string>

namespace engine {

class ProjectManager;
struct ApplicationRecord;
struct ConfigRecord;
struct CpuRecord;
struct ProjectRecord;

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
    // Writes the project file (only) to the project's path through a temporary file.
    int SaveProjectFile();
    // Writes the project's sections to fileName; 0 when a section name repeats or the file fails.
    int WriteProjectSections(const std::string& fileName);

private:
    ProjectManager* m_owner;
    ProjectRecord* m_project;
    ConfigRecord* m_config;
};

// Sets a new application record of the CPU to its defaults (paths "./", clock 1000, one instance, the
// kernel's defaults for the rest) with a fresh user text store; every other field is zero.
void ResetApplicationRecord(ApplicationRecord& application, const CpuRecord& cpu);

// ---- Entry point for the console generator and the GUI beside ProjectManager's open and save ----

// Saves the whole project: every application that has a file, the project file and every writable
// kernel file. All application files and the project file are written to temporary files first and
// replace the old files only when every one of them (and the kernel files) could be written; a kernel
// file that is not writable is skipped. With editedOnly, only edited files are written. 1 on success.
int SaveWholeProject(ProjectManager* owner, ProjectRecord& project, ConfigRecord& config, bool editedOnly = false);

}  // namespace engine
