// Writing a sectioned file: the text is built in one buffer sized beforehand, values that read back as
// they stand are copied unchanged, the others are escaped.
#include "engine/sectioned/sectioned_file.h"

#include "engine/util/comments.h"
#include "engine/util/escape.h"
#include "engine/util/path.h"

#include <memory>

namespace engine {
namespace {

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Bytes that may keep a name from reading back: line breaks, the zero byte, comment markers, "=", "[", "]".
struct NameBytes {
    unsigned char suspicious[256] = {};
    constexpr NameBytes()
    {
        for (char c : {'\r', '\n', '\0', ';', '/', '=', ']', '['})
            suspicious[static_cast<unsigned char>(c)] = 1;
    }
};
constexpr NameBytes kNameBytes;

// True when a name holds nothing that could keep it from reading back (the usual case).
bool plainName(std::string_view name)
{
    if (name.empty() || isBlank(name.front()) || isBlank(name.back()))
        return false;
    // Four bytes a step, without a branch per byte.
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const std::size_t size = name.size();
    const unsigned char* table = kNameBytes.suspicious;
    unsigned seen = 0;
    std::size_t i = 0;
    for (; i + 4 <= size; i += 4)
        seen |= table[p[i]] | table[p[i + 1]] | table[p[i + 2]] | table[p[i + 3]];
    for (; i < size; ++i)
        seen |= table[p[i]];
    return seen == 0;
}

// Why a name would not read back as written, or "" when it would.
std::string nameProblem(std::string_view name, bool isKey)
{
    if (plainName(name))
        return {};
    if (name.empty())
        return "is empty";
    if (isBlank(name.front()) || isBlank(name.back()))
        return "starts or ends with a blank";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "holds a line break or a zero byte";
    if (FindCommentStart(name) != std::string_view::npos)
        return "holds a comment marker";
    if (isKey && name.find('=') != std::string_view::npos)
        return "holds \"=\"";
    if (isKey && name.front() == '[')
        return "starts with \"[\"";
    if (!isKey && name.find(']') != std::string_view::npos)
        return "holds \"]\"";
    return {};
}

std::string sectionProblem(const SectionedFileSection& section)
{
    if (plainName(section.GetName()))
        return {};
    std::string problem = nameProblem(section.GetName(), false);
    return problem.empty() ? problem : "section name \"" + section.GetName() + "\" " + problem;
}

std::string keyProblem(const SectionedFileSection& section, const SectionedFileEntry& entry)
{
    if (plainName(entry.Name()))
        return {};
    std::string problem = nameProblem(entry.Name(), true);
    return problem.empty() ? problem
                           : "key \"" + entry.GetName() + "\" in section \"" + section.GetName() + "\" " + problem;
}

} // namespace

std::string SectionedFile::ToText() const
{
    std::string out;
    buildText(out, nullptr);
    return out;
}

bool SectionedFile::ToWritableText(std::string& text, std::string& problem) const
{
    problem.clear();
    return buildText(text, &problem);
}

bool SectionedFile::buildText(std::string& out, std::string* problem) const
{
    // Values as read are mostly written back as they were; values given by name grow a little when quoted.
    std::size_t size = 0;
    for (const SectionedFileSection* section : m_sections) {
        size += section->GetName().size() + 6;
        for (const SectionedFileEntry* entry : section->Entries()) {
            size += entry->m_nameSize + entry->m_textSize + 3;
            if (entry->m_form == SectionedFileEntry::Quoted)
                size += entry->m_textSize / 4 + 2;
        }
    }
    out.clear();
    out.reserve(size + size / 64);
    std::string decoded;
    for (const SectionedFileSection* section : m_sections) {
        if (problem && !plainName(section->GetName()) && !(*problem = sectionProblem(*section)).empty())
            return false;
        out += '[';
        out += section->GetName();
        out += "]\r\n";
        for (const SectionedFileEntry* entry : section->Entries()) {
            if (problem && !plainName(entry->Name()) && !(*problem = keyProblem(*section, *entry)).empty())
                return false;
            out.append(entry->m_name, entry->m_nameSize);
            out += '=';
            switch (entry->m_form) {
            case SectionedFileEntry::Plain:
                out.append(entry->m_text, entry->m_textSize);
                break;
            case SectionedFileEntry::Quoted:
                AppendEscapedText(out, entry->text());
                break;
            default:
                decoded.clear();
                AppendUnescapedText(decoded, entry->text());
                AppendEscapedText(out, decoded);
                break;
            }
            out += "\r\n";
        }
        out += "\r\n";
    }
    return true;
}

int SectionedFile::WriteSectionedFile(bool clearAfter)
{
    std::string text;
    std::string problem;
    if (!buildText(text, &problem) || !WriteWholeFile(MakeNativePath(GetPath()), text))
        return 0;
    int count = static_cast<int>(m_sections.size());
    if (clearAfter)
        Clear();
    return count;
}

int SectionedFile::SaveAs(const std::string& path, bool clearAfter)
{
    SetPath(path);
    return WriteSectionedFile(clearAfter);
}

bool SectionedFile::WriteReplacing(bool clearAfter)
{
    std::string text;
    std::string problem;
    if (!buildText(text, &problem) || !ReplaceFileContents(MakeNativePath(GetPath()), text))
        return false;
    if (clearAfter)
        Clear();
    return true;
}

std::string SectionedFile::FindUnwritableName() const
{
    for (const SectionedFileSection* section : m_sections) {
        if (!plainName(section->GetName())) {
            std::string problem = sectionProblem(*section);
            if (!problem.empty())
                return problem;
        }
        for (const SectionedFileEntry* entry : section->Entries()) {
            if (plainName(entry->Name()))
                continue;
            std::string problem = keyProblem(*section, *entry);
            if (!problem.empty())
                return problem;
        }
    }
    return {};
}

std::string SectionedFile::FindNameCollision() const
{
    // A case-insensitive file never holds two names that differ only in case: its indexes refuse them.
    if (!m_caseSensitive)
        return {};
    using sectioned::NameIndex;
    std::vector<std::unique_ptr<std::uint32_t[]>> tables;
    const sectioned::IndexMemory memory = [](void* owner, std::size_t bytes) -> void* {
        auto& list = *static_cast<std::vector<std::unique_ptr<std::uint32_t[]>>*>(owner);
        list.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(bytes / sizeof(std::uint32_t) + 1));
        return list.back().get();
    };
    NameIndex sections;
    const auto sectionName = [this](std::uint32_t n) { return std::string_view(m_sections[n]->GetName()); };
    const auto sectionHash = [this](std::uint32_t n) { return sectioned::hashName(m_sections[n]->GetName(), false); };
    for (std::uint32_t s = 0; s < m_sections.size(); ++s) {
        const SectionedFileSection* section = m_sections[s];
        const std::uint32_t hash = sectioned::hashName(section->GetName(), false);
        const std::uint32_t other = sections.find(section->GetName(), hash, false, sectionName);
        if (other != NameIndex::kNone)
            return "sections \"" + m_sections[other]->GetName() + "\" and \"" + section->GetName() +
                   "\" differ only in case";
        sections.insert(s, hash, sectionHash, memory, &tables);
        NameIndex keys;
        const auto keyName = [section](std::uint32_t n) { return section->GetEntry(n)->Name(); };
        const auto keyHash = [section](std::uint32_t n) { return sectioned::hashName(section->GetEntry(n)->Name(), false); };
        for (std::uint32_t k = 0; k < section->GetEntryCount(); ++k) {
            const std::string_view key = section->GetEntry(k)->Name();
            const std::uint32_t keyHashValue = sectioned::hashName(key, false);
            const std::uint32_t first = keys.find(key, keyHashValue, false, keyName);
            if (first != NameIndex::kNone)
                return "keys \"" + section->GetEntry(first)->GetName() + "\" and \"" + std::string(key) +
                       "\" in section \"" + section->GetName() + "\" differ only in case";
            keys.insert(k, keyHashValue, keyHash, memory, &tables);
        }
    }
    return {};
}

} // namespace engine
