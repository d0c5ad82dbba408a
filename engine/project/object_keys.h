#pragma once
// The class-specific keys of an object section in the application file: one table per class, in the
// order they are written, with where each lands in the object's data block and its default when read.

#include <cstddef>
#include <cstdint>
#include <span>

namespace engine {

enum class ObjectKeyKind {
    Integer,          // a signed 32-bit field
    Size,             // a signed 32-bit field holding a size or a count, never negative
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
    const char* name;
    ObjectKeyKind kind;
    std::size_t offset;  // byte offset of the field in the class's data block
    ObjectKeyDefault defaultValue;
};

// The keys of a class type (empty for classes without a data block and for unknown types).
std::span<const ObjectKey> objectKeysOfClass(int32_t classType);

// The class word used in the data block allocation message ("Level", "Thread", ...); "" when none.
const char* objectClassWord(int32_t classType);

}  // namespace engine
