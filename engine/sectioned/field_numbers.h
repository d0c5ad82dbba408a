#pragma once
// Reading the numbers of 32-bit record fields from sections. A number that does not fit its field is not
// taken: the reader keeps the first such value's description, and the file's reader refuses the file.

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/records/field_descriptions.h"

namespace engine {

class SectionedFileSection;

struct NumberRange {
    std::int32_t minimum = INT32_MIN;
    std::int32_t maximum = INT32_MAX;
};
// Sizes and counts, which cannot be negative.
inline constexpr NumberRange kNonNegative{0, INT32_MAX};

class FieldNumbers {
public:
    // The value of `field` in `section` (under `key` when given, for a numbered key), as ReadFieldValue
    // reads it: the fallback when the key is missing, 0 for a blank value that means 0 (else the fallback),
    // and the fallback with the problem noted when the value is no whole number or lies outside the range
    // (a value put in for a missing or blank one included).
    std::int32_t field(const SectionedFileSection& section, const FieldDescription& field, std::int32_t fallback,
                       std::string_view key = {});
    // The same for a signed field of `range` that has no description of its own.
    std::int32_t number(const SectionedFileSection& section, std::string_view key, std::int32_t fallback,
                        NumberRange range = {});
    // The truth view (0 or 1) of a value; a number beyond 32 bits is noted as a problem.
    std::int32_t flag(const SectionedFileSection& section, std::string_view key, bool fallback);

    bool ok() const { return m_problem.empty(); }
    // The first value that did not fit, described to follow "Unable to load ... file ...: "; "" when none.
    const std::string& problem() const { return m_problem; }

private:
    // `value`, put in for a missing or blank key (`why` says which); noted as a problem when outside the range.
    std::int32_t filled(const SectionedFileSection& section, std::string_view key, const FieldDescription& field,
                        std::int32_t value, std::string_view why);
    void note(const SectionedFileSection& section, std::string_view key, std::string_view value,
              const FieldDescription& field, FieldProblem problem);

    std::string m_problem;
};

} // namespace engine
