#include "engine/util/text.h"

#include <algorithm>
#include <cstdarg>
#include <climits>
#include <cstdio>
#include <cstring>

namespace engine {
namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

} // namespace

std::string ToLowerText(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = lowerAscii(c);
    return result;
}

std::string ToUpperText(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = upperAscii(c);
    return result;
}

std::string ReplaceText(std::string_view text, std::string_view from, std::string_view to, int most)
{
    if (from.empty())
        return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    int done = 0;
    while (most < 0 || done < most) {
        std::size_t hit = text.find(from, pos);
        if (hit == std::string_view::npos)
            break;
        result.append(text.substr(pos, hit - pos));
        result.append(to);
        pos = hit + from.size();
        ++done;
    }
    result.append(text.substr(pos));
    return result;
}

std::string TrimText(std::string_view text, bool left, bool right, std::string_view characters)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    if (left)
        while (begin < end && characters.find(text[begin]) != std::string_view::npos)
            ++begin;
    if (right)
        while (end > begin && characters.find(text[end - 1]) != std::string_view::npos)
            --end;
    return std::string(text.substr(begin, end - begin));
}

std::string_view TrimmedView(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin]))
        ++begin;
    while (end > begin && isSpace(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::string IntToText(std::int32_t value) { return std::to_string(value); }
std::string NumberToText(std::uint32_t value) { return std::to_string(value); }

std::uint32_t ParseNumber(std::string_view text, std::size_t* consumed)
{
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    std::size_t lastDigitEnd = 0; // end of the last character that belongs to the number; 0 means none
    if (i < n && text[i] == '0') {
        lastDigitEnd = i + 1; // a lone "0" (also of "0x" without hex digits) is a number
        if (i + 2 < n + 0 && (text[i + 1] == 'x' || text[i + 1] == 'X') && digitValue(text[i + 2]) < 16) {
            base = 16;
            i += 2;
        } else {
            base = 8;
            ++i;
        }
    }
    std::uint64_t value = 0;
    bool overflow = false;
    while (i < n && digitValue(text[i]) < base) {
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digitValue(text[i]));
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull; // keep accumulating bounded
        }
        ++i;
        lastDigitEnd = i;
    }
    if (consumed)
        *consumed = lastDigitEnd;
    if (lastDigitEnd == 0)
        return 0;
    if (overflow)
        return 0xFFFFFFFFu;
    std::uint32_t result = static_cast<std::uint32_t>(value);
    return negative ? static_cast<std::uint32_t>(0u - result) : result;
}

bool IsWholeNumber(std::string_view text)
{
    std::size_t consumed = 0;
    ParseNumber(text, &consumed);
    return !text.empty() && consumed == text.size();
}

std::optional<WholeNumber> ParseWholeNumber(std::string_view text)
{
    // Most values are plain decimals: up to 12 digits without a leading zero stay below the cap.
    if (!text.empty() && text.size() <= 12 && (text[0] != '0' || text.size() == 1)) {
        std::int64_t value = 0;
        std::size_t i = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            value = value * 10 + (text[i++] - '0');
        if (i == text.size())
            return WholeNumber{value, false};
    }
    if (!IsWholeNumber(text))
        return std::nullopt;
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    std::size_t i = 0;
    while (isSpace(text[i]))
        ++i;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    WholeNumber number;
    int base = 10;
    if (text[i] == '0' && i + 1 < text.size()) {
        number.pattern = true;
        base = (text[i + 1] == 'x' || text[i + 1] == 'X') ? 16 : 8;
        i += base == 16 ? 2 : 1;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i)
        value = std::min(kCap, value * base + digitValue(text[i]));
    number.value = negative ? -value : value;
    return number;
}

std::optional<std::int32_t> FieldValueOf(const WholeNumber& number, std::int32_t minimum, std::int32_t maximum)
{
    std::int64_t value = number.value;
    if (number.pattern && value > INT32_MAX && value <= static_cast<std::int64_t>(UINT32_MAX))
        value -= std::int64_t{1} << 32;
    if (value < minimum || value > maximum)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(result.data(), result.size(), format, args);
        result.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return result;
}

bool IsHexNumber(std::string_view text)
{
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.remove_prefix(2);
    for (char c : text)
        if (digitValue(c) >= 16)
            return false;
    return true;
}

bool IsOctalNumber(std::string_view text)
{
    for (char c : text)
        if (c < '0' || c > '7')
            return false;
    return true;
}

bool StringListsEqual(const TextList& a, const TextList& b, bool ignoreCase)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ignoreCase ? !EqualNoCase(a[i], b[i]) : a[i] != b[i])
            return false;
    return true;
}

void CopyTextList(TextList& target, const TextList& source, bool clearFirst)
{
    if (clearFirst)
        target.clear();
    if (&target == &source) {
        TextList copy = source;
        target.insert(target.end(), copy.begin(), copy.end());
        return;
    }
    target.insert(target.end(), source.begin(), source.end());
}

void SplitText(TextList& list, std::string_view text, char separator, bool clearFirst)
{
    if (clearFirst)
        list.clear();
    if (text.empty())
        return;
    std::size_t start = 0;
    for (;;) {
        std::size_t hit = text.find(separator, start);
        if (hit == std::string_view::npos) {
            list.emplace_back(text.substr(start));
            return;
        }
        list.emplace_back(text.substr(start, hit - start));
        start = hit + 1;
    }
}

std::string JoinTextList(const TextList& list, std::string_view separator)
{
    std::string result;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i)
            result.append(separator);
        result.append(list[i]);
    }
    return result;
}

std::string TakeTextAfterChar(std::string_view text, char character, std::string_view stopCharacters)
{
    std::size_t hit = text.find(character);
    if (hit == std::string_view::npos)
        return {};
    std::string_view rest = text.substr(hit + 1);
    std::size_t stop = rest.find_first_of(stopCharacters);
    return std::string(rest.substr(0, stop));
}

long FindFirstNotIn(std::string_view text, std::string_view set)
{
    std::size_t hit = text.find_first_not_of(set);
    return hit == std::string_view::npos ? -1 : static_cast<long>(hit);
}

const char* FindByte(const char* buffer, char byte, std::size_t count)
{
    if (!buffer)
        return nullptr;
    return static_cast<const char*>(std::memchr(buffer, static_cast<unsigned char>(byte), count));
}

std::size_t CommonPrefixLength(std::string_view a, std::string_view b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

std::string TextFromPointer(const char* text) { return text ? std::string(text) : std::string(); }

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i]))
            return false;
    return true;
}

} // namespace engine
