#pragma once
// Quoting of values in the sectioned text format.

#include <string>
#include <string_view>

namespace engine {

// Decodes a value as read: a value of at least 3 characters enclosed in matching double or single quotes
// loses its quotes and has its backslash escapes decoded (\" \' \\ \b \f \n \r \t, \x followed by any
// number of hex digits, a backslash and octal digits; the low 8 bits are kept). Anything else is returned
// as it stands.
std::string UnescapeText(std::string_view value);
// Appends UnescapeText(value) to `out`.
void AppendUnescapedText(std::string& out, std::string_view value);

// True when a value must be written quoted and escaped to read back unchanged.
bool NeedsEscaping(std::string_view value);

// The form in which a value is written: the value itself when it reads back unchanged as it stands, else
// enclosed in double quotes with every special byte escaped. A byte written as \xHH always has exactly two
// hex digits, and a hex digit that directly follows such an escape is escaped as well, so that the reader
// (which takes every hex digit after \x) gets each byte back.
std::string EscapeText(std::string_view value);
// Appends EscapeText(value) to `out`.
void AppendEscapedText(std::string& out, std::string_view value);

} // namespace engine
