#pragma once
// Free text functions shared by the file formats, the estimator and the front ends. Texts are 8-bit byte
// strings; case conversion touches only ASCII letters, so bytes of 128 and above pass through unchanged.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

using TextList = std::vector<std::string>;

std::string ToLowerText(std::string_view text);
std::string ToUpperText(std::string_view text);

// A copy with occurrences of `from` replaced by `to`, left to right, at most `most` times (negative: all).
std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to, int most = -1);

// Blank characters used when TrimText is given no set: space, tab, CR, LF, vertical tab, form feed.
inline constexpr std::string_view kBlankCharacters = " \t\r\n\v\f";
std::string TrimText(std::string_view text, bool left, bool right, std::string_view characters = kBlankCharacters);
// The part of `text` without blanks at either end, as a view into `text`.
std::string_view TrimmedView(std::string_view text);

std::string IntToText(std::int32_t value);
std::string NumberToText(std::uint32_t value);

// Reads an unsigned 32-bit number the way the C library's strtoul with base 0 reads it on a 32-bit
// platform: leading blanks, an optional sign, "0x" hexadecimal, a leading "0" octal, else decimal. A value
// beyond 32 bits gives 0xFFFFFFFF (it never wraps); a '-' negates modulo 2^32. `consumed` (optional)
// receives the number of characters taken, 0 when no digits were found.
std::uint32_t ParseNumber(std::string_view text, std::size_t* consumed = nullptr);
// True when the text is non-empty and ParseNumber takes every one of its characters.
bool IsWholeNumber(std::string_view text);

// A whole number (as IsWholeNumber accepts it) with its exact value: `pattern` is set for a hexadecimal
// or octal text, which writes a bit pattern. A magnitude beyond 2^40 is held as 2^40, outside every field.
struct WholeNumber {
    std::int64_t value = 0;
    bool pattern = false;
};
std::optional<WholeNumber> ParseWholeNumber(std::string_view text);
// The value of a 32-bit field written as `number` when it lies in [minimum, maximum]: a decimal as it
// stands, a bit pattern of up to 32 bits as the signed value of those bits; nullopt when it does not fit.
std::optional<std::int32_t> FieldValueOf(const WholeNumber& number, std::int32_t minimum, std::int32_t maximum);

// printf into a new text.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when every character after an optional leading "0x"/"0X" is a hexadecimal digit (an empty rest is true).
bool IsHexNumber(std::string_view text);
// True when every character is a digit 0 to 7.
bool IsOctalNumber(std::string_view text);

bool StringListsEqual(const TextList& a, const TextList& b, bool ignoreCase);
void CopyTextList(TextList& target, const TextList& source, bool clearFirst);
// Appends the pieces between separators; two separators in a row give one empty piece between them.
void SplitText(TextList& list, std::string_view text, char separator, bool clearFirst);
std::string JoinTextList(const TextList& list, std::string_view separator);
// The part after the first `character`, up to the first of the stop characters (or the end).
std::string TakeTextAfterChar(std::string_view text, char character, std::string_view stopCharacters);

// The index of the first character not in `set`, or -1 when every character is in it.
long FindFirstNotIn(std::string_view text, std::string_view set);
// The first occurrence of `byte` within the first `count` bytes of `buffer`, or null (also for a null buffer).
const char* FindByte(const char* buffer, char byte, std::size_t count);
// The length of the common beginning of two texts.
std::size_t CommonPrefixLength(std::string_view a, std::string_view b);
// A text from a pointer that may be null.
std::string TextFromPointer(const char* text);
bool EqualNoCase(std::string_view a, std::string_view b);
inline bool DifferNoCase(std::string_view a, std::string_view b) { return !EqualNoCase(a, b); }

} // namespace engine
