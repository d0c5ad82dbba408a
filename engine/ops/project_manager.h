#pragma once
// Operations that every front end applies to the project records: resetting and freeing the project
// tree, deep copies, restores and field-by-field comparison of applications around the editors, object
// data blocks, an application's option rows, and keeping an application's class entries in step with
// its CPU's kernel classes. All run on the caller's thread and report failure by a false result.

#include "engine/records/records.h"

#include <string>
#include <string_view>

namespace engine {

// What the GUI attaches to the manager (its project tree); the engine never calls into it.
class ProjectTreeHost;

class ProjectManager {
public:
    explicit ProjectManager(ProjectTreeHost* tree = nullptr) : m_tree(tree) {}
    ProjectTreeHost* Tree() const { return m_tree; }

    // ---- project file (defined with the project file handler)
    int OpenProjectFile(ProjectRecord& project, ConfigRecord& config, std::string& path, bool nameGiven);
    int SaveProjectFile(ProjectRecord& project, ConfigRecord& config);
    int SaveProjectFileAs(ProjectRecord& project, ConfigRecord& config, std::string* outPath);

    // ---- reset and free
    // Unless keep is set, frees the project first; then empties it (expanded flag 1).
    static void ResetProject(ProjectRecord& project, bool keep);
    static void FreeProject(ProjectRecord& project);
    // Frees the CPU's kernel record, its applications and its sectioned files.
    static void FreeCpu(CpuRecord& cpu);
    // Frees everything the application owns; every count is zeroed with its pointer, so a second free
    // is harmless. The record itself stays with its array.
    static void FreeApplication(ApplicationRecord& application);
    // Frees the entry's objects and chained entries; at depth 1 or more the entry record itself is
    // released too (a top-level entry, depth 0, lives in its application's array).
    static void FreeClassEntry(ApplicationClassEntry& entry, int depth);
    // Frees the object's children (their blocks and children) and the child array; not its own block.
    static void FreeObjectTree(ObjectRecord& object);
    // Frees the object's own data block and its children.
    static void FreeObject(ObjectRecord& object);

    // ---- copies and comparison
    // Zeroes the memory footprint.
    static void InitApplicationRecord(ApplicationRecord& application);
    // Deep copy before an editor changes an application. On failure copy owns nothing and shares
    // nothing with source, so freeing it is safe.
    static bool CloneApplication(const CpuRecord& cpu, ApplicationRecord& copy, const ApplicationRecord& source);
    // Copies a saved copy back into the application (the editors' Cancel): every field but the memory
    // footprint; arrays whose shape changed are replaced whole. False, with target untouched, when memory
    // runs out.
    static bool AssignApplication(const CpuRecord& cpu, ApplicationRecord& target, const ApplicationRecord& source);
    // True at the first difference in a compared field (handles, tree flags, the edited flag, the
    // regeneration mark, Max Key Length and the footprints take no part).
    static bool ApplicationsDiffer(const ApplicationRecord& a, const ApplicationRecord& b);
    // Deep copy of one object with its data block (size from entry's class) and its children (which
    // belong to entry's chained entry). On failure copy owns nothing.
    static bool CloneObjectTree(const ApplicationClassEntry& entry, ObjectRecord& copy, const ObjectRecord& source);

    // ---- object data blocks
    // Creates the object's data block with the class defaults (kernel record defaults where they
    // apply); true also for classes without a block. sizeOut receives the block size (0 without one).
    static bool AllocateObjectData(const CpuRecord& cpu, const ApplicationClassEntry& entry, ObjectRecord& object,
                                   int32_t* sizeOut = nullptr);
    static int32_t GetObjectDataSize(const ApplicationClassEntry& entry);

    // ---- class entries
    // Adds the class entries the CPU's kernel classes call for and the application lacks, chaining
    // dependent classes under their parent class; repeats until nothing is added.
    static void AddDependentClassEntries(ApplicationRecord& application, const CpuRecord& cpu);
    // Sets every class entry's enabled flag from its kernel class being present and selected.
    static void UpdateClassEntryFlags(CpuRecord& cpu);
    static ApplicationClassEntry* FindClassEntryByName(std::string_view name, ApplicationRecord& application);

private:
    ProjectTreeHost* m_tree;
};

// ---- functions of the same family without a manager

// Rebuilds the application's option rows from the CPU's model-option rows marked for applications.
// Shows "Error allocating memory for application model options" when memory runs out and leaves no rows;
// returns true in every case but a bad argument.
bool BuildApplicationOptionList(const CpuRecord& cpu, ApplicationRecord& application);
bool BuildApplicationOptionListAt(CpuRecord& cpu, int32_t index);

// True at the first difference between two projects: names and descriptions, per CPU its name,
// description, model and kernel record, and per application every field ApplicationsDiffer compares
// (edited flags take no part). With compareLocations clear the project, kernel and application file
// paths take no part (a project saved to another folder compares equal to its original).
bool ProjectsDiffer(const ProjectRecord& a, const ProjectRecord& b, bool compareLocations = true);

// The entry of that name in the chain that starts at entry (entry itself included), or null.
ApplicationClassEntry* FindChainedClassEntryByName(std::string_view name, ApplicationClassEntry* entry);

// Whether an attribute of the kernel class carries the bit named "ATTR_DYNAMICS".
bool HasDynamicsAttribute(const KernelRecord& kernel, const KernelClassRecord& kernelClass);

}  // namespace engine
