#include "engine/sectioned/field_numbers.h"

#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

namespace engine {

std::int32_t FieldNumbers::field(const SectionedFileSection& section, const FieldDescription& field,
                                 std::int32_t fallback, std::string_view key)
{
    const std::string_view name = key.empty() ? std::string_view(field.key) : key;
    const SectionedFileEntry* entry = section.FindEntry(name);
    if (entry == nullptr)
        return filled(section, name, field, fallback, "(the key is missing) ");
    const std::string& value = entry->GetValue();
    const FieldReading reading = ReadFieldValue(field, value);
    if (reading.problem != FieldProblem::None) {
        note(section, name, value, field, reading.problem);
        return fallback;
    }
    if (reading.blank)
        return field.blankIsZero ? filled(section, name, field, 0, "(the value is blank) ")
                                 : filled(section, name, field, fallback, "(the value is blank) ");
    return reading.stored;
}

std::int32_t FieldNumbers::filled(const SectionedFileSection& section, std::string_view key,
                                  const FieldDescription& field, std::int32_t value, std::string_view why)
{
    // A value the reader puts in for a missing or blank one meets the field's range like a written one.
    if (!FieldValueFits(field, value) && m_problem.empty())
        m_problem = "the value " + std::to_string(value) + " of \"" + std::string(key) + "\" in section \"" +
                    section.GetName() + "\" " + std::string(why) + "is outside the range " + FieldRangeBounds(field);
    return value;
}

std::int32_t FieldNumbers::number(const SectionedFileSection& section, std::string_view key, std::int32_t fallback,
                                  NumberRange range)
{
    const FieldDescription description{"", FieldType::Signed, range.minimum, range.maximum, true, false};
    return field(section, description, fallback, key);
}

std::int32_t FieldNumbers::flag(const SectionedFileSection& section, std::string_view key, bool fallback)
{
    const FieldDescription description{"", FieldType::Flag, INT32_MIN, INT32_MAX, true, false};
    return field(section, description, fallback ? 1 : 0, key);
}

void FieldNumbers::note(const SectionedFileSection& section, std::string_view key, std::string_view value,
                        const FieldDescription& field, FieldProblem problem)
{
    if (!m_problem.empty())
        return;
    constexpr std::size_t kShown = 40; // a long value is shown by its start
    const std::string shown = value.size() <= kShown ? std::string(value) : std::string(value.substr(0, kShown)) + "...";
    m_problem = "the value " + shown + " of \"" + std::string(key) + "\" in section \"" + section.GetName() + "\" ";
    m_problem += problem == FieldProblem::NotANumber ? "is not a whole number in the range "
                                                     : "is outside the range ";
    m_problem += FieldRangeBounds(field);
}

} // namespace engine
