#include "engine/project/name_rules.h"

#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {
namespace {

bool hasControlCharacter(std::string_view name)
{
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return true;
    }
    return false;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

}  // namespace

std::string namePathProblem(std::string_view name)
{
    if (name.find_first_of(kPathCharacters) == std::string_view::npos)
        return {};
    return std::string("contain any of the following characters: ") + kPathCharacters;
}

std::string nameSyntaxProblem(std::string_view name)
{
    if (hasControlCharacter(name))
        return "contain control characters";
    for (const char* syntax : {"=", ";", "//", "/*", "]"}) {
        if (name.find(syntax) != std::string_view::npos)
            return std::string("contain any of the following texts: ") + kFileSyntaxTexts;
    }
    // A line starting with "[" reads back as a section heading, not as the key it was written as.
    if (name.starts_with('['))
        return "start with \"[\"";
    if (name.empty())
        return {};
    // Whatever else the writer refuses (a blank at either end) is named as it names it.
    SectionedFile probe({}, true, false, false);
    if (SectionedFileSection* section = probe.AddSection(name))
        section->AddEntry(name, "");
    const std::string problem = probe.FindUnwritableName();
    return problem.empty() ? problem : "be written to the project file: " + problem;
}

std::string applicationNameProblem(const CpuRecord& cpu, const ApplicationRecord* self, std::string_view name)
{
    return ApplicationNameKeys(cpu).problem(self, name);
}

ApplicationNameKeys::ApplicationNameKeys(const CpuRecord& cpu) : m_cpu(cpu)
{
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        std::string key = sectionLookupKey(textOf(cpu.applications[a].name));
        if (!m_first.emplace(key, a).second)
            m_second.emplace(std::move(key), a);
    }
}

std::string ApplicationNameKeys::problem(const ApplicationRecord* self, std::string_view name) const
{
    if (name.empty())
        return "be empty";
    if (std::string problem = nameSyntaxProblem(name); !problem.empty())
        return problem;
    if (std::string problem = namePathProblem(name); !problem.empty())
        return problem;
    const std::string key = sectionLookupKey(name);
    const auto holds = [&](const std::unordered_map<std::string, std::int32_t>& keys) {
        const auto found = keys.find(key);
        return found != keys.end() && &m_cpu.applications[found->second] != self;
    };
    if (holds(m_first) || holds(m_second))
        return "be the name of another application of CPU " + quoted(textOf(m_cpu.name));
    return {};
}

std::string cpuNameProblem(const ProjectRecord& project, const CpuRecord* self, std::string_view name)
{
    return CpuNameKeys(project).problem(self, name);
}

CpuNameKeys::CpuNameKeys(const ProjectRecord& project) : m_project(project)
{
    const auto add = [](std::unordered_map<std::string, Holders>& keys, std::string key, int32_t c) {
        Holders& holders = keys[std::move(key)];
        if (holders.first < 0)
            holders.first = c;
        else if (holders.second < 0)
            holders.second = c;
    };
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& cpu = project.cpus[c];
        if (cpu.name[0] == '\0')
            continue;
        add(m_names, sectionLookupKey(textOf(cpu.name)), c);
        add(m_lists, sectionLookupKey(applicationListSection(textOf(cpu.name))), c);
    }
}

std::int32_t CpuNameKeys::otherHolder(const std::unordered_map<std::string, Holders>& keys, const std::string& key,
                                      std::int32_t self)
{
    const auto found = keys.find(key);
    if (found == keys.end())
        return -1;
    return found->second.first != self ? found->second.first : found->second.second;
}

std::string CpuNameKeys::problem(const CpuRecord* self, std::string_view name) const
{
    if (name.empty())
        return "be empty";
    if (std::string problem = nameSyntaxProblem(name); !problem.empty())
        return problem;
    if (std::string problem = namePathProblem(name); !problem.empty())
        return problem;
    const std::string key = sectionLookupKey(name);
    for (const char* own : {"PROJECT", "CPUS"}) {
        if (sectionLookupKey(own) == key)
            return "be " + quoted(own) + ", the name of a section of the project file";
    }
    const int32_t selfIndex =
        self != nullptr && m_project.cpus != nullptr && self >= m_project.cpus && self < m_project.cpus + m_project.cpuCount
            ? static_cast<int32_t>(self - m_project.cpus)
            : -1;
    // The CPU that comes first in the project decides, as when each CPU is compared in turn; for one CPU
    // the rules are tried in this order.
    const int32_t sameName = otherHolder(m_names, key, selfIndex);
    const int32_t listNamed = otherHolder(m_lists, key, selfIndex);
    const int32_t nameOfList = otherHolder(m_names, sectionLookupKey(applicationListSection(name)), selfIndex);
    int32_t first = -1;
    for (const int32_t c : {sameName, listNamed, nameOfList}) {
        if (c >= 0 && (first < 0 || c < first))
            first = c;
    }
    if (first < 0)
        return {};
    const std::string otherName = textString(m_project.cpus[first].name);
    if (first == sameName)
        return "be the name of CPU " + quoted(otherName);
    if (first == listNamed)
        return "be " + quoted(applicationListSection(otherName)) + ", the section that lists the applications "
               "of CPU " + quoted(otherName);
    return "be a name whose application list " + quoted(applicationListSection(name)) + " is the name of CPU " +
           quoted(otherName);
}

std::string applicationListSection(std::string_view cpuName)
{
    return "APPS " + std::string(cpuName);
}

}  // namespace engine
