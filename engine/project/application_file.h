#pragma once
// Reads an application file into an ApplicationRecord and writes the record back: the application's
// settings, its user text blocks, the model options it sets, the kernel classes it uses and every
// kernel object with its class-specific data. Failures are shown through the message service and
// reported as 0.

#include <string>

#include "engine/project/global_names.h"

namespace engine {

class ProjectManager;
class SectionedFile;
struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// Reads the sections of an application file already parsed (`path` names it in messages) into the
// application, a record of `cpu` that holds nothing yet (its user text store set up): what the open of
// the file does after the parse. False after a message naming the file and what it refuses.
bool ReadApplicationSections(CpuRecord& cpu, ApplicationRecord& application, const SectionedFile& file,
                             const std::string& path);

// The text of the application's file, built in `file` (empty, named by the file's path): "" and the text,
// else why it cannot be written (a name used twice, a name that would not read back as written).
std::string BuildApplicationText(const CpuRecord& cpu, const ApplicationRecord& application, SectionedFile& file,
                                 std::string& text);

class ApplicationFile {
public:
    ApplicationFile(ProjectManager* owner, ProjectRecord* project, CpuRecord* cpu, ApplicationRecord* application);
    ~ApplicationFile();

    // Reads the file at path into the application (whose previous contents are freed). 1 on success.
    // A failed read leaves the record partly filled; the caller frees it.
    int Read(const std::string& path);
    // Writes the application to its own path (a link's target) through a temporary file. 1 on success;
    // on failure (after a message) the old file, its mode and the edited flag stay as they were.
    int Write();
    // Asks for a file to read; Cancel returns 1 without reading and leaves outPath empty.
    int ChooseAndRead(std::string* outPath);
    // Asks for a file to write to; Cancel returns 1 without writing and leaves outPath empty.
    int ChooseAndWrite(std::string* outPath);
    // During an open: the global objects of the applications read so far, which Read checks the
    // application's names against (and adds its own to) instead of walking the project.
    void SetGlobalObjectNames(GlobalObjectNames* names) { m_globalNames = names; }

private:
    ProjectManager* m_owner;
    ProjectRecord* m_project;
    CpuRecord* m_cpu;
    ApplicationRecord* m_application;
    GlobalObjectNames* m_globalNames = nullptr;
};

}  // namespace engine
