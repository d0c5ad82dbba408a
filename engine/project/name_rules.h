#pragma once
// The rules a CPU or application name must keep so that the project file can list it and read it back,
// in one place for every road that sets a name: the property pages, the Add commands and the writers.
// Each rule takes the name as it will be stored (trimmed) and answers with the end of a sentence that
// starts "<What> name cannot ", or "" when the name may be stored.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// The texts a project file cannot carry in a key or section name, as the messages list them.
inline constexpr const char* kFileSyntaxTexts = "= ; // /* ]";

// The characters no CPU or application name holds: the names become folder and file names of reports and
// generated files, which must stay inside the project's folder.
inline constexpr const char* kPathCharacters = "\\/:*?\"<>|";

// A name that holds one of kPathCharacters: "contain any of the following characters: ...", else "".
std::string namePathProblem(std::string_view name);

// A name the project file cannot carry as a key and a section name: a control character, one of
// kFileSyntaxTexts, or a leading "[". An empty name is not judged here.
std::string nameSyntaxProblem(std::string_view name);

// A name an application of `cpu` cannot take: empty, a syntax problem, one of kPathCharacters, or the name (in any letter case)
// of another application of the CPU. `self` is the application being named (null for none).
std::string applicationNameProblem(const CpuRecord& cpu, const ApplicationRecord* self, std::string_view name);

// A name a CPU of `project` cannot take: empty, a syntax problem, one of kPathCharacters, or a name that would give the project
// file two sections of one name (in any letter case): another CPU's name, the name of the file's own
// sections, or the name of another CPU's application list; the CPU's own application list may not take
// another CPU's name either. `self` is the CPU being named (null for none).
std::string cpuNameProblem(const ProjectRecord& project, const CpuRecord* self, std::string_view name);

// The names of a CPU's applications by the key the reader finds them by, gathered once: the rule of
// applicationNameProblem for every application of the CPU in time linear in their count.
class ApplicationNameKeys {
public:
    explicit ApplicationNameKeys(const CpuRecord& cpu);
    // applicationNameProblem(cpu, self, name) for the CPU as it was when the keys were gathered.
    std::string problem(const ApplicationRecord* self, std::string_view name) const;

private:
    const CpuRecord& m_cpu;
    std::unordered_map<std::string, std::int32_t> m_first;  // the first application of each key
    std::unordered_map<std::string, std::int32_t> m_second; // the second, for a key two hold
};

// The names of a project's CPUs and of their application lists, by the key the reader finds a section
// by, gathered once: the rule of cpuNameProblem for every CPU of the project in time linear in their count.
class CpuNameKeys {
public:
    explicit CpuNameKeys(const ProjectRecord& project);
    // cpuNameProblem(project, self, name) for the project as it was when the keys were gathered.
    std::string problem(const CpuRecord* self, std::string_view name) const;

private:
    // The first two CPUs (by their place in the project) that hold a key.
    struct Holders {
        std::int32_t first = -1;
        std::int32_t second = -1;
    };
    // The first CPU other than `self` that holds `key`, or -1.
    static std::int32_t otherHolder(const std::unordered_map<std::string, Holders>& keys, const std::string& key,
                                    std::int32_t self);

    const ProjectRecord& m_project;
    std::unordered_map<std::string, Holders> m_names; // the keys of the CPU names
    std::unordered_map<std::string, Holders> m_lists; // the keys of their application lists' names
};

// The section that lists a CPU's applications in the project file.
std::string applicationListSection(std::string_view cpuName);

}  // namespace engine
