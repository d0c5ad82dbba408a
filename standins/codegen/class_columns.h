#pragma once
// The class-specific columns of each kernel object class: what the generated tables and the report
// show of an object's data block. One table per class, in the order of the block's fields.

#include "engine/records/records.h"

#include <cstdint>
#include <span>
#include <string>

namespace codegen {

struct ClassColumn {
    const char* name;                         // C member name and report label
    int32_t (*number)(const void* data);      // set for number columns
    const char* (*text)(const void* data);    // set for text columns (fixed record fields)
    std::size_t textSize;                     // size of the text field
};

// The columns of a class type (empty for classes without a data block or an unknown type).
std::span<const ClassColumn> classColumns(int32_t classType);

// The value of a column for a data block, as C source (a number or a string literal); "0" or "\"\""
// for a missing block.
std::string columnLiteral(const ClassColumn& column, const void* data);
// The value as plain text for the report.
std::string columnText(const ClassColumn& column, const void* data);

} // namespace codegen
