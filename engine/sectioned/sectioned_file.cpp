#include "engine/sectioned/sectioned_file.h"

#include "engine/util/comments.h"
#include "engine/util/escape.h"
#include "engine/util/path.h"

#include <algorithm>

namespace engine {
namespace {

// Inserts a node into an ordered list: appended, or with `sorted` before the first node whose lookup key
// is greater in plain byte order (the list then stays sorted).
template <typename Node>
void insertNode(std::vector<Node*>& list, Node* node, bool sorted)
{
    if (!sorted) {
        list.push_back(node);
        return;
    }
    auto at = std::upper_bound(list.begin(), list.end(), node->GetLookupKey(),
                               [](const std::string& key, const Node* other) { return key < other->GetLookupKey(); });
    list.insert(at, node);
}

// Looks a name up in an index without building a key when none is needed.
template <typename Node>
Node* findInIndex(const SectionedIndex<Node>& index, std::string_view name, bool caseSensitive)
{
    return caseSensitive ? index.find(name) : index.find(ToUpperText(name));
}

bool hasCommentMarker(std::string_view name) { return FindCommentStart(name) != std::string_view::npos; }

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Why a name would not read back as written, or "" when it would.
std::string nameProblem(std::string_view name, bool isKey)
{
    bool suspicious = name.empty() || isBlank(name.front()) || isBlank(name.back());
    for (char c : name) {
        if (c == '\r' || c == '\n' || c == '\0' || c == ';' || c == '/' || c == '=' || c == ']' || c == '[') {
            suspicious = true;
            break;
        }
    }
    if (!suspicious)
        return {};
    if (name.empty())
        return "is empty";
    if (isBlank(name.front()) || isBlank(name.back()))
        return "starts or ends with a blank";
    if (name.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return "holds a line break or a zero byte";
    if (hasCommentMarker(name))
        return "holds a comment marker";
    if (isKey && name.find('=') != std::string_view::npos)
        return "holds \"=\"";
    if (isKey && name.front() == '[')
        return "starts with \"[\"";
    if (!isKey && name.find(']') != std::string_view::npos)
        return "holds \"]\"";
    return {};
}

} // namespace

// ---- SectionedFileNode ------------------------------------------------------------------------------

SectionedFileNode::SectionedFileNode(std::string name, bool caseSensitive)
    : m_name(std::move(name)), m_caseSensitive(caseSensitive)
{
    if (!caseSensitive)
        m_key = ToUpperText(m_name);
}

std::string SectionedFileNode::LookupKeyOf(std::string_view name, bool caseSensitive)
{
    return caseSensitive ? std::string(name) : ToUpperText(name);
}

void SectionedFileNode::setName(std::string name)
{
    m_name = std::move(name);
    if (!m_caseSensitive)
        m_key = ToUpperText(m_name);
}

// ---- SectionedFileEntry -----------------------------------------------------------------------------

SectionedFileEntry::SectionedFileEntry(SectionedFileSection* section, std::string key, std::string value,
                                       bool caseSensitive)
    : SectionedFileNode(std::move(key), caseSensitive), m_section(section), m_value(std::move(value))
{
}

int SectionedFileEntry::GetIntValue() const
{
    return IsWholeNumber(m_value) ? static_cast<int>(ParseNumber(m_value)) : 0;
}

// ---- SectionedFileSection ---------------------------------------------------------------------------

SectionedFileSection::SectionedFileSection(SectionedFile* file, std::string name, bool caseSensitive,
                                           bool sorted)
    : SectionedFileNode(std::move(name), caseSensitive), m_file(file), m_sorted(sorted)
{
}

SectionedFileEntry* SectionedFileSection::FindEntry(std::string_view key) const
{
    return findInIndex(m_index, key, IsCaseSensitive());
}

SectionedFileEntry* SectionedFileSection::AddEntry(std::string_view key, std::string_view text)
{
    return addEntry(std::string(key), std::string(text));
}

SectionedFileEntry* SectionedFileSection::addEntry(std::string key, std::string value)
{
    SectionedFileEntry* entry = &m_storage.emplace_back(this, std::move(key), std::move(value), IsCaseSensitive());
    if (!m_index.insert(entry)) {
        m_storage.pop_back();
        return nullptr;
    }
    insertNode(m_entries, entry, m_sorted);
    return entry;
}

SectionedFileEntry* SectionedFileSection::AddEntry(std::string_view key, int value)
{
    return AddEntry(key, std::string_view(IntToText(value)));
}

std::string SectionedFileSection::GetString(std::string_view key, std::string_view defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetValue() : std::string(defaultValue);
}

int SectionedFileSection::GetInt(std::string_view key, int defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetIntValue() : defaultValue;
}

bool SectionedFileSection::GetBool(std::string_view key, bool defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetBoolValue() : defaultValue;
}

void SectionedFileSection::GetEntryNames(TextList& names) const
{
    names.clear();
    names.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        names.push_back(entry->GetName());
}

// ---- SectionedFile ----------------------------------------------------------------------------------

SectionedFile::SectionedFile(std::string path, bool caseSensitive, bool sorted, bool loadNow)
    : SectionedFileNode(std::move(path), caseSensitive), m_sorted(sorted)
{
    if (loadNow)
        Read(true);
}

SectionedFile::SectionedFile(const SectionedFile& other) : SectionedFileNode(other), m_sorted(other.m_sorted)
{
    copyFrom(other);
}

SectionedFile& SectionedFile::operator=(const SectionedFile& other)
{
    if (this != &other) {
        Clear();
        SectionedFileNode::operator=(other);
        m_sorted = other.m_sorted;
        copyFrom(other);
    }
    return *this;
}

void SectionedFile::copyFrom(const SectionedFile& other)
{
    for (const auto& section : other.m_sections) {
        SectionedFileSection* copy = AddSection(section->GetName());
        for (const auto& entry : section->Entries())
            copy->AddEntry(entry->GetName(), std::string_view(entry->GetValue()));
    }
}

ReadResult SectionedFile::Load(bool clearFirst)
{
    std::string bytes;
    ReadResult result = ReadWholeFile(MakeNativePath(GetPath()), bytes);
    if (result != ReadResult::Ok)
        return result;
    std::size_t zero = bytes.find('\0');
    if (zero != std::string::npos)
        bytes.resize(zero);
    ParseSectionedText(bytes, clearFirst);
    return ReadResult::Ok;
}

int SectionedFile::Read(bool clearFirst)
{
    return Load(clearFirst) == ReadResult::Ok ? static_cast<int>(m_sections.size()) : 0;
}

int SectionedFile::ParseSectionedText(std::string_view input, bool clearFirst)
{
    if (clearFirst)
        Clear();
    // Editors may start a file with a UTF-8 byte-order mark; it is no part of the first line.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (input.substr(0, byteOrderMark.size()) == byteOrderMark)
        input.remove_prefix(byteOrderMark.size());
    // A line comment ends at its own line whether lines end in CR LF or in a lone LF.
    const std::string text = StripCommentsByLine(input);
    const std::string_view all(text);
    const std::string_view blanks = kBlankCharacters;
    SectionedFileSection* current = nullptr;
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t lineEnd = all.find('\n', pos);
        if (lineEnd == std::string_view::npos)
            lineEnd = all.size();
        std::string_view line = all.substr(pos, lineEnd - pos);
        pos = lineEnd + 1;

        std::size_t first = line.find_first_not_of(blanks);
        if (first == std::string_view::npos)
            continue;
        line = line.substr(first, line.find_last_not_of(blanks) - first + 1);

        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            std::string trimmed = TrimText(name, true, true);
            if (!trimmed.empty())
                current = AddSection(trimmed); // null for a repeated header: its entries are dropped
            continue;
        }
        if (!current)
            continue;
        std::size_t equals = line.find('=');
        std::string key = TrimText(line.substr(0, equals), true, true);
        if (key.empty())
            continue;
        std::string_view value = equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
        if (current->addEntry(key, UnescapeText(value)) == nullptr && current->m_droppedKey.empty())
            current->m_droppedKey = std::move(key);
    }
    return static_cast<int>(m_sections.size());
}

std::string SectionedFile::ToText() const
{
    std::string out;
    buildText(out, nullptr);
    return out;
}

bool SectionedFile::buildText(std::string& out, std::string* problem) const
{
    std::size_t size = 0;
    for (const SectionedFileSection* section : m_sections) {
        size += section->GetName().size() + 6;
        for (const SectionedFileEntry* entry : section->Entries())
            size += entry->GetName().size() + entry->GetValue().size() + 3;
    }
    out.clear();
    out.reserve(size + size / 8);
    for (const SectionedFileSection* section : m_sections) {
        if (problem && !(*problem = nameProblem(section->GetName(), false)).empty()) {
            *problem = "section name \"" + section->GetName() + "\" " + *problem;
            return false;
        }
        out += '[';
        out += section->GetName();
        out += "]\r\n";
        for (const SectionedFileEntry* entry : section->Entries()) {
            if (problem && !(*problem = nameProblem(entry->GetName(), true)).empty()) {
                *problem = "key \"" + entry->GetName() + "\" in section \"" + section->GetName() + "\" " + *problem;
                return false;
            }
            out += entry->GetName();
            out += '=';
            AppendEscapedText(out, entry->GetValue());
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
    std::string text;
    std::string problem;
    buildText(text, &problem);
    return problem;
}

std::string SectionedFile::FindNameCollision() const
{
    std::unordered_map<std::string, const std::string*> sections;
    for (const auto& section : m_sections) {
        auto [it, inserted] = sections.try_emplace(ToUpperText(section->GetName()), &section->GetName());
        if (!inserted)
            return "sections \"" + *it->second + "\" and \"" + section->GetName() + "\" differ only in case";
        std::unordered_map<std::string, const std::string*> keys;
        for (const auto& entry : section->Entries()) {
            auto [kit, keyInserted] = keys.try_emplace(ToUpperText(entry->GetName()), &entry->GetName());
            if (!keyInserted)
                return "keys \"" + *kit->second + "\" and \"" + entry->GetName() + "\" in section \"" +
                       section->GetName() + "\" differ only in case";
        }
    }
    return {};
}

SectionedFileSection* SectionedFile::FindSection(std::string_view name) const
{
    return findInIndex(m_index, name, IsCaseSensitive());
}

SectionedFileSection* SectionedFile::AddSection(std::string_view name)
{
    if (findInIndex(m_index, name, IsCaseSensitive()))
        return nullptr;
    SectionedFileSection* section = &m_storage.emplace_back(this, std::string(name), IsCaseSensitive(), m_sorted);
    m_index.insert(section);
    insertNode(m_sections, section, m_sorted);
    return section;
}

SectionedFileSection* SectionedFile::FindOrAddSection(std::string_view name)
{
    SectionedFileSection* section = FindSection(name);
    return section ? section : AddSection(name);
}

std::size_t SectionedFile::GetEntryCount(std::string_view sectionName) const
{
    const SectionedFileSection* section = FindSection(sectionName);
    return section ? section->GetEntryCount() : 0;
}

void SectionedFile::Clear()
{
    m_index.clear();
    m_sections.clear();
    m_storage.clear();
}

} // namespace engine
