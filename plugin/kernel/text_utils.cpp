#include "plugin/kernel/text_utils.h"

#include "plugin/kernel/trace.h"

#include <boost/format.hpp>

#include <cctype>
#include <filesystem>

namespace kernel {

std::string DecimalText(int32_t value) { return (boost::format("%d") % value).str(); }
std::string UnsignedText(uint32_t value) { return (boost::format("%u") % value).str(); }
std::string UnsignedLongText(uint32_t value) { return (boost::format("%lu") % value).str(); }

std::string HexText(uint32_t value, int digits, bool prefixed, bool upper)
{
    std::string format = "%";
    if (prefixed)
        format += "0";
    if (digits > 0)
        format += std::to_string(digits);
    format += upper ? "X" : "x";
    std::string text = (boost::format(format) % value).str();
    if (digits > 0 && text.size() > static_cast<std::size_t>(digits))
        text = text.substr(text.size() - static_cast<std::size_t>(digits));
    return prefixed ? "0x" + text : text;
}

std::string TrimmedText(const std::string& text, bool left, bool right)
{
    std::size_t begin = 0, end = text.size();
    if (left)
        while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
            ++begin;
    if (right)
        while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
            --end;
    return text.substr(begin, end - begin);
}

std::string RepeatText(const std::string& text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

std::string ConcatCStringLeft(const char* left, const std::string& text) { return std::string(left ? left : "") + text; }
std::string MoreText(uint32_t more) { return ":... " + std::to_string(more) + " more"; }

std::string SeparatorIf(int flag) { return flag ? " " : ""; }
std::string SeparatorIfNotEmpty(const std::string& text) { return text.empty() ? "" : " "; }

std::string SeparatorIfMissing(const std::string& text, const std::string& separator)
{
    if (text.size() >= separator.size() && text.compare(text.size() - separator.size(), separator.size(), separator) == 0)
        return "";
    return separator;
}

bool FindFileExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

std::string GetPathDirectory(const std::string& path)
{
    const std::string trimmed = TrimmedText(path, true, true);
    const std::size_t slash = trimmed.find_last_of("/\\");
    return slash == std::string::npos ? "" : trimmed.substr(0, slash);
}

std::string GetPathExtension(const std::string& path)
{
    const std::string trimmed = TrimmedText(path, true, true);
    const std::size_t slash = trimmed.find_last_of("/\\");
    const std::size_t dot = trimmed.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return "";
    return trimmed.substr(dot + 1);
}

std::string DefaultSRecordExtension() { return "a79"; }
int IsTraceSupported() { return IsTraceAvailable(); }

} // namespace kernel
