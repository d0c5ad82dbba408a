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

std::string applicationListSection(std::string_view cpuName)
{
    return "APPS " + std::string(cpuName);
}

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
    if (name.empty())
        return "be empty";
    if (std::string problem = nameSyntaxProblem(name); !problem.empty())
        return problem;
    if (std::string problem = namePathProblem(name); !problem.empty())
        return problem;
    const std::string key = sectionLookupKey(name);
    for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
        const ApplicationRecord& other = cpu.applications[a];
        if (&other != self && sectionLookupKey(textOf(other.name)) == key)
            return "be the name of another application of CPU " + quoted(textOf(cpu.name));
    }
    return {};
}

std::string cpuNameProblem(const ProjectRecord& project, const CpuRecord* self, std::string_view name)
{
    if (name.empty())
        return "be empty";
    if (std::string problem = nameSyntaxProblem(name); !problem.empty())
        return problem;
    if (std::string problem = namePathProblem(name); !problem.empty())
        return problem;
    const std::string key = sectionLookupKey(name);
    const std::string listKey = sectionLookupKey(applicationListSection(name));
    for (const char* own : {"PROJECT", "CPUS"}) {
        if (sectionLookupKey(own) == key)
            return "be " + quoted(own) + ", the name of a section of the project file";
    }
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        const CpuRecord& other = project.cpus[c];
        if (&other == self || other.name[0] == '\0')
            continue;
        const std::string otherName = textString(other.name);
        const std::string otherKey = sectionLookupKey(otherName);
        if (otherKey == key)
            return "be the name of CPU " + quoted(otherName);
        if (sectionLookupKey(applicationListSection(otherName)) == key)
            return "be " + quoted(applicationListSection(otherName)) + ", the section that lists the applications "
                   "of CPU " + quoted(otherName);
        if (otherKey == listKey)
            return "be a name whose application list " + quoted(applicationListSection(name)) +
                   " is the name of CPU " + quoted(otherName);
    }
    return {};
}

}  // namespace engine
