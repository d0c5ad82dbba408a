#pragma once
// Number, string and path texts shared by the object windows.

#include <cstdint>
#include <string>

namespace kernel {

std::string DecimalText(int32_t value);          // "%d"
// ":... N more": the end of a list text that lists only its first entries.
std::string MoreText(uint32_t more);
std::string UnsignedText(uint32_t value);        // "%u"
std::string UnsignedLongText(uint32_t value);    // "%lu" of a 32-bit value
// "%[0][digits]lX" (or x), cut to the last `digits` characters, "0x" in front when prefixed.
std::string HexText(uint32_t value, int digits, bool prefixed, bool upper);

std::string TrimmedText(const std::string& text, bool left, bool right);
std::string RepeatText(const std::string& text, int count);
std::string ConcatCStringLeft(const char* left, const std::string& text);
std::string SeparatorIf(int flag);                          // " " or ""
std::string SeparatorIfNotEmpty(const std::string& text);   // " " or ""
std::string SeparatorIfMissing(const std::string& text, const std::string& separator);

bool FindFileExists(const std::string& path);
// The folder of a path ("" for a bare file name), '\' and '/' both separating.
std::string GetPathDirectory(const std::string& path);
// The part after the last "." of the file name ("" when it has none).
std::string GetPathExtension(const std::string& path);
std::string DefaultSRecordExtension();      // "a79"
int IsTraceSupported();

} // namespace kernel
