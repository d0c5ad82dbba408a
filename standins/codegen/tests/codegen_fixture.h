#pragma once
// A small project held in memory for the code generator's tests: one CPU with four kernel classes and
// one application with a Task entry, a Level entry with a chained Thread entry, and a disabled Queue.

#include "engine/records/records.h"
#include "engine/records/text_field.h"

#include <filesystem>
#include <string>
#include <vector>

namespace codegen::test {

struct ProjectFixture {
    engine::ProjectRecord project{};
    engine::CpuRecord cpu{};
    engine::ApplicationRecord application{};
    std::vector<engine::KernelClassRecord> kernelClasses;
    std::vector<engine::ApplicationOption> options;
    std::vector<engine::ApplicationClassEntry> entries;
    engine::ApplicationClassEntry threadEntry{};
    std::vector<engine::ObjectRecord> tasks;
    std::vector<engine::ObjectRecord> levels;
    std::vector<engine::ObjectRecord> threads;
    std::vector<engine::TaskData> taskData;
    std::vector<engine::ThreadData> threadData;
    std::vector<engine::LevelData> levelData;

    // Output folders below root.
    explicit ProjectFixture(const std::filesystem::path& root);
    ProjectFixture(const ProjectFixture&) = delete;
    ProjectFixture& operator=(const ProjectFixture&) = delete;

    engine::ApplicationClassEntry& taskEntry() { return entries[0]; }
};

// A fresh empty folder under the system's temporary folder, removed again with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace codegen::test
