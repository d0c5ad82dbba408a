#pragma once
// The class-specific keys of an object section in the application file: one table per class, in the
// order they are written, with where each lands in the object's data block and its default when read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "engine/records/field_descriptions.h"

namespace engine {

enum class ObjectKeyKind {
    Number,           // a 32-bit number field, signed or unsigned as its description says
    Flag,             // a 32-bit field holding 0 or 1 (any non-zero value reads as 1)
    Text,             // a 128-character text field
    ContextFlags,     // "Extended Context0".. : one flag per extended context of the kernel (at most 4)
    AttributeFlags,   // "Attribute0".. : one flag per task attribute of the kernel (at most 4)
};

enum class ObjectKeyDefault {
    Zero,              // 0 or empty
    KernelAlignment,   // the kernel record's default alignment
    KernelRows,        // per index: the kernel's extended-context or task-attribute default flag
};

struct ObjectKey {
    FieldDescription field; // its key, type and range
    ObjectKeyKind kind;
    std::size_t offset;  // byte offset of the field in the class's data block
    ObjectKeyDefault defaultValue;
};

// The keys of a class type (empty for classes without a data block and for unknown types).
std::span<const ObjectKey> objectKeysOfClass(int32_t classType);
// The class type whose class word is `word` (0 when none).
int32_t classTypeOfWord(std::string_view word);

// The class word used in the data block allocation message ("Level", "Thread", ...); "" when none.
const char* objectClassWord(int32_t classType);

}  // namespace engine
