#pragma once
// Turning record texts into pieces of C source that a C compiler accepts without warnings.

#include <string>
#include <string_view>

namespace codegen {

// A zero-terminated C string literal with the text's bytes: quotes, backslashes, '?' and every byte
// outside printable ASCII are escaped (octal, three digits, so no following character joins them).
std::string cStringLiteral(std::string_view text);

// Text that can stand inside a /* */ comment: comment openers and closers and trigraph starts are
// broken up, control bytes other than tab become blanks.
std::string commentText(std::string_view text);

// An upper-case macro-name part: letters and digits kept, everything else '_'; never empty.
std::string macroPart(std::string_view text);

// A lower-case identifier part made the same way.
std::string identifierPart(std::string_view text);

// The text of a fixed, zero-terminated record field, never reading past its end.
template <std::size_t N>
std::string fieldText(const char (&field)[N])
{
    std::size_t length = 0;
    while (length < N && field[length] != '\0')
        ++length;
    return std::string(field, length);
}

} // namespace codegen
