#pragma once
// What each key of each file kind holds: one description per field, the one contract between the readers,
// the writers and the editors' checks.
//
// Use:
//   const FieldDescription* field = FindFieldDescription(FieldFile::Application, "Partition", "Block Size");
//   - readers:  FieldNumbers::field(section, *field, fallback) (engine/sectioned/field_numbers.h) takes a value
//               written in a file, or notes why it cannot (not a whole number, outside the range);
//   - writers:  FieldValueText(*field, stored) is the text stored files have for a value;
//   - editors:  CheckTypedValue(*field, typed, "Block size", &stored) gives "" and the value to store, or the
//               message to show ("Block size must be in the range of 0 to 4294967295"); FieldValueFits(*field,
//               stored) and FieldRangeText(*field) check a value already held.
// Section kinds (the second argument) name a kind of section, not a section:
//   Application: "APPLICATION", "MODEL OPTION" (an option's section), "CLASS TYPES", "CLASS" (a class entry),
//                "OBJECT" (the keys every object has) and the class words of objectClassWord ("Pipe", "Task",
//                ...) for the keys of an object's class data;
//   Kernel:      "KERNEL", "OPTION" (a model option's section), "SELECTION" (a class or attribute),
//                "SERVICE";
//   Model:       "KERNEL", "OPTION", "CONTEXT", "TASK ATTRIBUTE";
//   Project:     "PROJECT", "CPU".
// A key that ends in a row number ("Extended Context0" .. "Extended Context3") is found by its stem.

#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace engine {

enum class FieldFile { Configuration, Model, Kernel, Project, Application };

enum class FieldType {
    Signed,   // a signed 32-bit number
    Unsigned, // an unsigned 32-bit number, held and stored as its 32-bit pattern (3000000000 as -1294967296)
    Flag,     // 0 or 1; any other whole number reads as 1
    Text,     // a text of its record field
    Name,     // a name another section or a file is known by
};

struct FieldDescription {
    const char* key;
    FieldType type;
    // The range of a number: signed bounds for Signed, unsigned bounds (0 to 4294967295) for Unsigned.
    std::int64_t minimum;
    std::int64_t maximum;
    // Whether an empty value means 0 (else an empty value is read as if the key were missing).
    bool blankIsZero;
    // Whether the key is followed by a row number.
    bool numbered;
};

// Descriptions of the kinds of field, for the tables that describe each file kind's keys.
namespace fields {
constexpr FieldDescription integer(const char* key) { return {key, FieldType::Signed, INT32_MIN, INT32_MAX, true, false}; }
// A size or a count held signed: never negative.
constexpr FieldDescription size(const char* key) { return {key, FieldType::Signed, 0, INT32_MAX, true, false}; }
// A size or a count held as its unsigned 32-bit pattern.
constexpr FieldDescription count(const char* key) { return {key, FieldType::Unsigned, 0, UINT32_MAX, true, false}; }
constexpr FieldDescription flag(const char* key) { return {key, FieldType::Flag, INT32_MIN, INT32_MAX, true, false}; }
// One flag per row: the key followed by the row number.
constexpr FieldDescription flags(const char* key) { return {key, FieldType::Flag, INT32_MIN, INT32_MAX, true, true}; }
constexpr FieldDescription text(const char* key) { return {key, FieldType::Text, 0, 0, false, false}; }
constexpr FieldDescription name(const char* key) { return {key, FieldType::Name, 0, 0, false, false}; }
} // namespace fields

// The description of `key` in a section of kind `sectionKind` of a file of kind `file`; nullptr for a key
// the file kind does not have. Key and section kind are compared as written.
const FieldDescription* FindFieldDescription(FieldFile file, std::string_view sectionKind, std::string_view key);

// Every description of a section kind's own table (not the class words' keys of objects, whose table is
// the class's ObjectKey list); empty for a kind without one.
std::span<const FieldDescription> FieldDescriptionsOf(FieldFile file, std::string_view sectionKind);

// The same, for a reader: a key without a description is read as a signed 32-bit number.
const FieldDescription& FieldDescriptionOf(FieldFile file, std::string_view sectionKind, std::string_view key);

// Why a text is not a value of its field.
enum class FieldProblem { None, NotANumber, OutOfRange };

struct FieldReading {
    std::int32_t stored = 0; // the value as the record holds it (an unsigned number as its pattern)
    FieldProblem problem = FieldProblem::None;
    bool blank = false;      // the text was empty (or blanks only)
};

// Reads a value as written in a file or typed in an edit. A blank is 0 (FieldReading::blank tells it
// apart). A whole number is decimal, or hexadecimal with 0x, with an optional sign; a hexadecimal or octal
// number is a bit pattern of up to 32 bits. An unsigned field takes its unsigned decimal and the negative
// decimal of its 32-bit pattern as the same value. A flag is any whole number of 32 bits, non-zero reading as 1.
FieldReading ReadFieldValue(const FieldDescription& field, std::string_view text);

// Whether a value the record holds lies in the field's range.
bool FieldValueFits(const FieldDescription& field, std::int32_t stored);

// The text stored files have for a value: the signed decimal of its 32-bit pattern (flags as 0 or 1).
std::string FieldValueText(const FieldDescription& field, std::int32_t stored);
// The value as the user reads and types it: an unsigned field as its unsigned decimal.
std::string FieldDisplayText(const FieldDescription& field, std::int32_t stored);

// " must be in the range of <minimum> to <maximum>", as the editors append it to a field's label.
std::string FieldRangeText(const FieldDescription& field);
// "minimum to maximum".
std::string FieldRangeBounds(const FieldDescription& field);

// Checks a typed text against the field: "" and `*stored` set when it is a value of the field, else
// `label` followed by FieldRangeText (a text that is no number gets the same message).
std::string CheckTypedValue(const FieldDescription& field, std::string_view typed, std::string_view label,
                            std::int32_t* stored);

} // namespace engine
