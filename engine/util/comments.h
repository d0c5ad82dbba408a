#pragma once
// Line ends and comments of the sectioned text format. ";" and "//" start a comment that runs to the end
// of its line (the CR LF is kept); "/*" starts one that runs through the next "*/". Quotes do not protect
// anything: values holding these markers are written escaped.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// Every CR LF and every lone LF becomes CR LF; other bytes are kept.
std::string NormaliseLineEnds(std::string_view text);

// The position of the earliest ";", "//" or "/*" at or after `from`, or npos.
std::size_t FindCommentStart(std::string_view text, std::size_t from = 0);

// Removes every comment in place. Line comments end before the next CR LF pair, so the text should have
// gone through NormaliseLineEnds first.
void StripComments(std::string& text);
std::string StripCommentsCopy(std::string_view text);
// Removes comments as StripCommentsCopy does after NormaliseLineEnds, but without adding carriage returns:
// a line comment ends before the line feed that ends its line. For readers that trim lines anyway.
std::string StripCommentsByLine(std::string_view text);

} // namespace engine
