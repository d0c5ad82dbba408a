#include "engine/util/escape.h"

#include <cstring>

namespace engine {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// How a byte is written inside a quoted value.
enum Written : unsigned char { WrittenAsIs, WrittenNamed, WrittenHex, WrittenPaired };

// Bytes that force quoting on their own (1) or when paired with a neighbour, "/" and "*" (2); and how
// each byte is written once quoted (a named escape such as \n with its letter, \xHH, or as it is).
struct EscapeTable {
    unsigned char kind[256] = {};
    unsigned char written[256] = {};
    char letter[256] = {};
    constexpr EscapeTable()
    {
        for (int c = 0; c < 256; ++c)
            written[c] = (c < 32 || c >= 127 || c == ';') ? WrittenHex : WrittenAsIs;
        const char named[][2] = {{'\\', '\\'}, {'"', '"'}, {'\'', '\''}, {'\r', 'r'},
                                 {'\n', 'n'},   {'\t', 't'}, {'\f', 'f'},   {'\b', 'b'}};
        for (const auto& pair : named) {
            written[static_cast<unsigned char>(pair[0])] = WrittenNamed;
            letter[static_cast<unsigned char>(pair[0])] = pair[1];
        }
        written[static_cast<unsigned char>('/')] = WrittenPaired;
        written[static_cast<unsigned char>('*')] = WrittenPaired;
        for (int c = 0; c < 256; ++c)
            kind[c] = (c < 32 || c >= 127) ? 1 : 0;
        kind[static_cast<unsigned char>(';')] = 1;
        kind[static_cast<unsigned char>('\\')] = 1;
        kind[static_cast<unsigned char>('"')] = 1;
        kind[static_cast<unsigned char>('\'')] = 1;
        kind[static_cast<unsigned char>('/')] = 2;
        kind[static_cast<unsigned char>('*')] = 2;
    }
};
constexpr EscapeTable kEscapeTable;
bool isTrimmedBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

} // namespace

std::string UnescapeText(std::string_view value)
{
    std::string result;
    AppendUnescapedText(result, value);
    return result;
}

void AppendUnescapedText(std::string& out, std::string_view value)
{
    if (value.size() < 3 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front()) {
        out.append(value);
        return;
    }
    const std::string_view inner = value.substr(1, value.size() - 2);
    const char* const data = inner.data();
    const std::size_t size = inner.size();
    out.reserve(out.size() + size);
    std::size_t i = 0;
    while (i < size) {
        // Copy up to the next backslash in one piece.
        const void* hit = std::memchr(data + i, '\\', size - i);
        const std::size_t stop = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : size;
        out.append(data + i, stop - i);
        if (stop >= size)
            break;
        i = stop + 1;
        if (i >= size) {
            out.push_back('\\'); // a backslash at the very end stands for itself
            break;
        }
        const char e = data[i++];
        switch (e) {
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'x':
        case 'X': {
            unsigned number = 0;
            while (i < size && hexValue(data[i]) >= 0)
                number = number * 16u + static_cast<unsigned>(hexValue(data[i++]));
            out.push_back(static_cast<char>(number & 0xFFu));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned number = static_cast<unsigned>(e - '0');
                while (i < size && data[i] >= '0' && data[i] <= '7')
                    number = number * 8u + static_cast<unsigned>(data[i++] - '0');
                out.push_back(static_cast<char>(number & 0xFFu));
            } else {
                out.push_back(e); // \" \' \\ and any other character stand for themselves
            }
            break;
        }
    }
}

bool NeedsEscaping(std::string_view value)
{
    if (!value.empty() && isTrimmedBlank(value.back()))
        return true;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const unsigned char kind = kEscapeTable.kind[static_cast<unsigned char>(value[i])];
        if (kind == 0)
            continue;
        if (kind == 1)
            return true;
        if (i + 1 < value.size()) {
            const char c = value[i];
            const char next = value[i + 1];
            if ((c == '/' && (next == '/' || next == '*')) || (c == '*' && next == '/'))
                return true;
        }
    }
    return false;
}

std::string EscapeText(std::string_view value)
{
    std::string out;
    AppendEscapedText(out, value);
    return out;
}

void AppendEscapedText(std::string& out, std::string_view value)
{
    if (!NeedsEscaping(value)) {
        out.append(value);
        return;
    }
    static const char digits[] = "0123456789abcdef";
    const char* const data = value.data();
    const std::size_t size = value.size();
    out.reserve(out.size() + size + size / 4 + 2);
    out.push_back('"');
    bool afterHexEscape = false;
    auto hex = [&](char c) {
        const unsigned char b = static_cast<unsigned char>(c);
        const char escape[4] = {'\\', 'x', digits[b >> 4], digits[b & 15]};
        out.append(escape, 4);
        afterHexEscape = true;
    };
    std::size_t i = 0;
    while (i < size) {
        const char c = data[i];
        if (afterHexEscape && hexValue(c) >= 0) {
            hex(c);
            ++i;
            continue;
        }
        std::size_t run = i;
        while (run < size && kEscapeTable.written[static_cast<unsigned char>(data[run])] == WrittenAsIs)
            ++run;
        if (run > i) {
            out.append(data + i, run - i);
            afterHexEscape = false;
            i = run;
            continue;
        }
        switch (kEscapeTable.written[static_cast<unsigned char>(c)]) {
        case WrittenNamed: {
            const char escape[2] = {'\\', kEscapeTable.letter[static_cast<unsigned char>(c)]};
            out.append(escape, 2);
            afterHexEscape = false;
            ++i;
            break;
        }
        case WrittenHex:
            hex(c);
            ++i;
            break;
        default: { // "/" or "*": escaped when they pair into a comment marker
            const char next = i + 1 < size ? data[i + 1] : '\0';
            if ((c == '/' && (next == '/' || next == '*')) || (c == '*' && next == '/')) {
                hex(c);
                hex(next);
                i += 2;
            } else {
                out.push_back(c);
                afterHexEscape = false;
                ++i;
            }
            break;
        }
        }
    }
    out.push_back('"');
}

} // namespace engine
