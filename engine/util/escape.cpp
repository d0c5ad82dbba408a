#include "engine/util/escape.h"

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

bool isPrintable(unsigned char c) { return c >= 32 && c < 127; }

// Bytes that force quoting on their own (1) or when paired with a neighbour, "/" and "*" (2).
struct EscapeTable {
    unsigned char kind[256] = {};
    constexpr EscapeTable()
    {
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
    if (value.size() < 3 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front())
        return std::string(value);
    std::string_view inner = value.substr(1, value.size() - 2);
    std::string result;
    result.reserve(inner.size());
    std::size_t i = 0;
    while (i < inner.size()) {
        char c = inner[i++];
        if (c != '\\' || i >= inner.size()) {
            result.push_back(c);
            continue;
        }
        char e = inner[i++];
        switch (e) {
        case 'b': result.push_back('\b'); break;
        case 'f': result.push_back('\f'); break;
        case 'n': result.push_back('\n'); break;
        case 'r': result.push_back('\r'); break;
        case 't': result.push_back('\t'); break;
        case 'x':
        case 'X': {
            unsigned number = 0;
            while (i < inner.size() && hexValue(inner[i]) >= 0)
                number = number * 16u + static_cast<unsigned>(hexValue(inner[i++]));
            result.push_back(static_cast<char>(number & 0xFFu));
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned number = static_cast<unsigned>(e - '0');
                while (i < inner.size() && inner[i] >= '0' && inner[i] <= '7')
                    number = number * 8u + static_cast<unsigned>(inner[i++] - '0');
                result.push_back(static_cast<char>(number & 0xFFu));
            } else {
                result.push_back(e); // \" \' \\ and any other character stand for themselves
            }
            break;
        }
    }
    return result;
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
    out.push_back('"');
    bool afterHexEscape = false;
    auto hex = [&](char c) {
        unsigned char b = static_cast<unsigned char>(c);
        out.push_back('\\');
        out.push_back('x');
        out.push_back(digits[b >> 4]);
        out.push_back(digits[b & 15]);
        afterHexEscape = true;
    };
    auto named = [&](char letter) {
        out.push_back('\\');
        out.push_back(letter);
        afterHexEscape = false;
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        char next = i + 1 < value.size() ? value[i + 1] : '\0';
        switch (c) {
        case '\\': named('\\'); continue;
        case '"': named('"'); continue;
        case '\'': named('\''); continue;
        case '\r': named('r'); continue;
        case '\n': named('n'); continue;
        case '\t': named('t'); continue;
        case '\f': named('f'); continue;
        case '\b': named('b'); continue;
        default: break;
        }
        if (!isPrintable(static_cast<unsigned char>(c)) || c == ';') {
            hex(c);
        } else if ((c == '/' && (next == '/' || next == '*')) || (c == '*' && next == '/')) {
            hex(c);
            hex(next);
            ++i;
        } else if (afterHexEscape && hexValue(c) >= 0) {
            hex(c);
        } else {
            out.push_back(c);
            afterHexEscape = false;
        }
    }
    out.push_back('"');
}

} // namespace engine
