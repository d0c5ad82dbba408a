#pragma once
// The class-specific keys of an object section in the application file: one table per class, in the
// order they are written, with where each lands in the object's data block and its default when read.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
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

// What bounds a number beyond its description's range: the model's limits, or the placement it serves.
enum class ObjectKeyBound {
    Fixed,       // the description's range
    QueueWidth,  // 1 to the model's maximum queue width
    QueueDepth,  // 1 to the model's maximum queue depth
    IsrLevel,    // the model's interrupt levels
    IsrVector,   // the model's vectors, or -1 for none
    TaskStack,   // the model's task stack sizes (no maximum when it lies below the minimum), a multiple of its modulus
    Alignment,   // the description's range, only under automatic placement on a CPU that offers it
    WaitingOrder,  // the description's choice: only priority order (0) under a mutex's priority inversion, only
                   // FIFO order (1) under a semaphore's second signal type
};

// What a text key names: a symbol of the generated code must be an identifier that no other object's name,
// entry point or label is.
enum class ObjectKeySymbol {
    None,        // free text
    EntryPoint,  // an identifier of any length, never the object's own name nor another's symbol
    Label,       // the same under manual placement (the class's "Manual" key), of at most kPlacementLabelLimit
                 // characters for a placed buffer
};

// Placement labels of buffers are linker symbols of at most this length.
constexpr int kPlacementLabelLimit = 32;

struct ObjectKey {
    FieldDescription field; // its key, type and range
    ObjectKeyKind kind;
    std::size_t offset;  // byte offset of the field in the class's data block
    ObjectKeyDefault defaultValue;
    ObjectKeyBound bound = ObjectKeyBound::Fixed;
    ObjectKeySymbol symbol = ObjectKeySymbol::None;
};

struct CpuRecord;

// The values a number key of an object takes on a CPU: minimum to maximum (as the description reads them:
// signed, or unsigned for an unsigned field), also -1 when `none`, a multiple of `modulus` when it is not 0.
// `applies` is false when the object's other values leave the key unused (an alignment under manual
// placement); then every value is taken.
struct ObjectKeyRange {
    std::int64_t minimum = 0;
    std::int64_t maximum = 0;
    bool none = false;
    std::uint32_t modulus = 0;
    bool applies = true;
};
// The range of `key`, a key of class `classType`, for an object whose data block is `block` (its placement is
// read from it).
ObjectKeyRange objectKeyRange(const CpuRecord& cpu, int32_t classType, const ObjectKey& key, const void* block);
// Whether the value lies within the range (its modulus aside).
bool objectKeyValueInRange(const ObjectKeyRange& range, const FieldDescription& field, std::int32_t value);
// Whether the value is a multiple of the range's modulus.
bool objectKeyValueMeetsModulus(const ObjectKeyRange& range, std::int32_t value);
// "minimum to maximum", with ", or -1" when -1 is taken too.
std::string objectKeyRangeText(const ObjectKeyRange& range);
// The longest identifier a symbol key of class `classType` takes (INT32_MAX for no limit), and whether the
// key is a symbol at all for an object whose data block is `block` (a label only under manual placement).
int objectSymbolLimit(int32_t classType, const ObjectKey& key);
bool objectSymbolApplies(int32_t classType, const ObjectKey& key, const void* block);
struct ApplicationRecord;
struct ObjectRecord;
// Why the symbol `key` of the object cannot be generated ("" when it can): not an identifier, the object's own
// name, or another object's name, entry point or label.
std::string objectSymbolProblem(ApplicationRecord& application, int32_t classType, const ObjectRecord& object,
                                const ObjectKey& key);

// The key of the class's data block at `offset`, or null.
const ObjectKey* objectKeyAt(int32_t classType, std::size_t offset);

// The keys of a class type (empty for classes without a data block and for unknown types).
std::span<const ObjectKey> objectKeysOfClass(int32_t classType);
// The class type whose class word is `word` (0 when none).
int32_t classTypeOfWord(std::string_view word);

// The class word used in the data block allocation message ("Level", "Thread", ...); "" when none.
const char* objectClassWord(int32_t classType);

}  // namespace engine
