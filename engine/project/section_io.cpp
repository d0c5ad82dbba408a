#include "engine/project/section_io.h"

#include "engine/project/file_messages.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

namespace engine {

std::vector<std::string> sectionKeys(const SectionedFileSection& section)
{
    std::vector<std::string> keys;
    keys.reserve(section.GetEntryCount());
    for (const SectionedFileEntry* entry : section.Entries())
        keys.push_back(entry->GetName());
    return keys;
}

std::optional<std::vector<std::string>> listKeys(const SectionedFileSection& section, std::string_view fileKind,
                                                 std::string_view path)
{
    if (!section.GetDroppedKey().empty()) {
        showFileError(formatMessage("Unable to load %s file %s: the key \"%s\" is listed twice in section \"%s\"",
                                    fileKind, path, section.GetDroppedKey(), section.GetName()));
        return std::nullopt;
    }
    return sectionKeys(section);
}

std::optional<std::string> findValue(const SectionedFileSection& section, std::string_view key)
{
    if (const SectionedFileEntry* entry = section.FindEntry(key))
        return entry->GetValue();
    return std::nullopt;
}

std::string readText(const SectionedFileSection& section, std::string_view key, std::string_view fallback)
{
    return section.GetString(key, fallback);
}

namespace {

// A long name is shown by its start, which is enough to find it in the file.
std::string shownName(std::string_view name)
{
    constexpr std::size_t kShown = 40;
    return name.size() <= kShown ? std::string(name) : std::string(name.substr(0, kShown)) + "...";
}

}  // namespace

bool FieldReader::text(char* field, std::size_t size, const SectionedFileSection& section, std::string_view key,
                       std::string_view fallback) const
{
    const std::string value = readText(section, key, fallback);
    if (textFits(size, value)) {
        setText(field, size, value);
        return true;
    }
    showFileError(formatMessage("Value of \"%s\" in section \"%s\" of %s file %s is longer than %s characters",
                                key, section.GetName(), m_kind, m_path, std::to_string(size - 1)));
    return false;
}

bool FieldReader::nameFits(std::size_t size, std::string_view name, std::string_view sectionName) const
{
    if (textFits(size, name))
        return true;
    showFileError(formatMessage("The name \"%s\" in section \"%s\" of %s file %s is longer than %s characters",
                                shownName(name), sectionName, m_kind, m_path, std::to_string(size - 1)));
    return false;
}

bool FieldReader::namesFit(std::size_t size, const std::vector<std::string>& names, std::string_view sectionName) const
{
    for (const std::string& name : names) {
        if (!nameFits(size, name, sectionName))
            return false;
    }
    return true;
}

std::string sectionLookupKey(std::string_view name)
{
    return SectionedFileNode::LookupKeyOf(name, false);
}

SectionedFileSection* SectionWriter::add(std::string_view name)
{
    if (!reserve(name))
        return nullptr;
    return m_file.AddSection(name);
}

bool SectionWriter::reserve(std::string_view name)
{
    if (m_names.insert(name))
        return true;
    if (m_repeated.empty())
        m_repeated = std::string(name);
    return false;
}

void SectionWriter::addText(SectionedFileSection& section, std::string_view key, std::string_view value)
{
    if (section.AddEntry(key, value) == nullptr && m_repeated.empty())
        m_repeated = std::string(key);
}

void SectionWriter::addInt(SectionedFileSection& section, std::string_view key, int32_t value)
{
    addText(section, key, IntToText(value));
}

void SectionWriter::addField(SectionedFileSection& section, const FieldDescription& field, int32_t value,
                             std::string_view key)
{
    addText(section, key.empty() ? std::string_view(field.key) : key, FieldValueText(field, value));
}

void SectionWriter::addFlag(SectionedFileSection& section, std::string_view key, int32_t value)
{
    addText(section, key, value != 0 ? "1" : "0");
}

}  // namespace engine
