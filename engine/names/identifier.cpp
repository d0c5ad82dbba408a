#include "engine/names/identifier.h"

#include <cstring>

namespace engine {

namespace {

constexpr int kDefaultMaxLength = 127;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentifierChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_' || c == '@' || c == '~' || c == '$'; }

} // namespace

int MakeValidIdentifier(std::string& name, int maxLength)
{
    if (maxLength <= 0)
        maxLength = kDefaultMaxLength;
    if (name.empty())
        return IdentifierEmpty;
    if (IsDigit(name.front()))
        return IdentifierLeadingDigit;

    std::string fixed = name;
    bool modified = false;
    bool truncated = false;
    bool hasLetter = false;
    for (std::size_t i = 0; i < fixed.size(); ++i) {
        if (i == static_cast<std::size_t>(maxLength)) {
            fixed.resize(i);
            modified = truncated = true;
            break;
        }
        if (!IsIdentifierChar(fixed[i])) {
            fixed[i] = '_';
            modified = true;
        }
        hasLetter = hasLetter || IsLetter(fixed[i]);
    }
    if (modified) {
        name = fixed;
        return truncated ? IdentifierTruncated : IdentifierModified;
    }
    return hasLetter ? IdentifierValid : IdentifierNoLetter;
}

int MakeValidIdentifier(char* field, std::size_t fieldSize, int maxLength)
{
    if (!field || fieldSize == 0)
        return IdentifierEmpty;
    const std::size_t length = strnlen(field, fieldSize);
    std::string name(field, length);
    // The rewritten name must also fit the field with its terminator.
    if (maxLength <= 0)
        maxLength = kDefaultMaxLength;
    if (static_cast<std::size_t>(maxLength) > fieldSize - 1)
        maxLength = static_cast<int>(fieldSize - 1);
    if (maxLength <= 0)
        return name.empty() ? IdentifierEmpty : IdentifierTruncated;
    const int code = MakeValidIdentifier(name, maxLength);
    if (code == IdentifierModified || code == IdentifierTruncated) {
        std::memset(field, 0, fieldSize);
        std::memcpy(field, name.data(), name.size());
    }
    return code;
}

void IdentifierProblemText(int code, std::string& text)
{
    switch (code) {
    case IdentifierModified:
        text += " has been modified to meet compiler restrictions. Please inspect the modified version before "
                "proceeding.";
        break;
    case IdentifierTruncated:
        text += " has been truncated to specified length limit. Please inspect the modified version before "
                "proceeding.";
        break;
    case IdentifierEmpty:
        text += " has zero length. Please specify a non-null string.";
        break;
    case IdentifierLeadingDigit:
        text += " starts with a digit. This is an invalid symbol name for the compiler.";
        break;
    case IdentifierNoLetter:
        text += " has no alphabetic characters. This is an invalid symbol name for the compiler.";
        break;
    default:
        break;
    }
}

bool InRangeSigned(int32_t value, int32_t low, int32_t high) { return low <= value && value <= high; }
bool InRangeUnsigned(uint32_t value, uint32_t low, uint32_t high) { return low <= value && value <= high; }
bool InRangeLong(int32_t value, int32_t low, int32_t high) { return low <= value && value <= high; }

std::string RangeTextUnsigned(uint32_t low, uint32_t high)
{
    return " must be in the range of " + std::to_string(low) + " to " + std::to_string(high);
}

std::string RangeTextSigned(int32_t low, int32_t high)
{
    return " must be in the range of " + std::to_string(low) + " to " + std::to_string(high);
}

std::string RangeTextLong(int32_t low, int32_t high) { return RangeTextSigned(low, high); }

std::string NameInUseText(const std::string& name) { return "The name '" + name + "' is already in use."; }

} // namespace engine
