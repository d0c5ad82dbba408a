#pragma once
// Checks of names that end up as symbols in generated sources, and the texts that report a bad name,
// a value out of range or a name already in use. The callers show the texts.

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {

// Problem codes of MakeValidIdentifier.
enum IdentifierProblem : int {
    IdentifierValid = 0,
    IdentifierModified = 1,     // characters replaced by '_'
    IdentifierTruncated = 2,    // cut at the maximum length
    IdentifierEmpty = 3,
    IdentifierLeadingDigit = 4, // left unchanged
    IdentifierNoLetter = 5,
};

// Makes a name a valid symbol of at most maxLength characters (0 or less means 127): characters outside
// "_@~$", digits and ASCII letters become '_', and the name is cut at the maximum. Returns the problem
// code; the name is rewritten only for codes 1 and 2.
int MakeValidIdentifier(std::string& name, int maxLength);
// The same on a zero-terminated field of fieldSize bytes (the maximum is also held below the field).
int MakeValidIdentifier(char* field, std::size_t fieldSize, int maxLength);
template <std::size_t N>
int MakeValidIdentifier(char (&field)[N], int maxLength)
{
    return MakeValidIdentifier(field, N, maxLength);
}

// Appends the text of a problem code (1 to 5) to text; other codes append nothing.
void IdentifierProblemText(int code, std::string& text);

bool InRangeSigned(int32_t value, int32_t low, int32_t high);
bool InRangeUnsigned(uint32_t value, uint32_t low, uint32_t high);
bool InRangeLong(int32_t value, int32_t low, int32_t high);

// " must be in the range of " followed by the bounds.
std::string RangeTextUnsigned(uint32_t low, uint32_t high);
std::string RangeTextSigned(int32_t low, int32_t high);
std::string RangeTextLong(int32_t low, int32_t high);

// "The name '<name>' is already in use."
std::string NameInUseText(const std::string& name);

} // namespace engine
