#include "engine/sectioned/field_numbers.h"

#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

namespace engine {

std::int32_t FieldNumbers::number(const SectionedFileSection& section, std::string_view key, std::int32_t fallback,
                                  NumberRange range)
{
    const SectionedFileEntry* entry = section.FindEntry(key);
    if (entry == nullptr)
        return fallback;
    const std::string value = entry->GetValue();
    const std::optional<WholeNumber> whole = ParseWholeNumber(value);
    if (!whole)
        return 0;
    if (const std::optional<std::int32_t> fits = FieldValueOf(*whole, range.minimum, range.maximum))
        return *fits;
    note(section, key, value, range);
    return fallback;
}

std::int32_t FieldNumbers::flag(const SectionedFileSection& section, std::string_view key, bool fallback)
{
    return number(section, key, fallback ? 1 : 0) != 0 ? 1 : 0;
}

void FieldNumbers::note(const SectionedFileSection& section, std::string_view key, std::string_view value,
                        NumberRange range)
{
    if (!m_problem.empty())
        return;
    constexpr std::size_t kShown = 40; // a long value is shown by its start
    const std::string shown = value.size() <= kShown ? std::string(value) : std::string(value.substr(0, kShown)) + "...";
    m_problem = "the value " + shown + " of \"" + std::string(key) + "\" in section \"" +
                section.GetName() + "\" is outside the range " + std::to_string(range.minimum) + " to " +
                std::to_string(range.maximum);
}

} // namespace engine
