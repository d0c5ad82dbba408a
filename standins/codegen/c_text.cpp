#include "c_text.h"

#include <cctype>
#include <cstdio>

namespace codegen {

std::string cStringLiteral(std::string_view text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '?': out += "\\?"; break;
        default:
            if (byte < 0x20 || byte >= 0x7f) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\%03o", byte);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

std::string commentText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const auto byte = static_cast<unsigned char>(ch);
        if ((ch == '*' && next == '/') || (ch == '/' && next == '*') || (ch == '?' && next == '?')) {
            out += ch;
            out += ' ';
        } else if (byte < 0x20 && ch != '\t') {
            out += ' ';
        } else {
            out += ch;
        }
    }
    // A trailing backslash would join the next line.
    if (!out.empty() && out.back() == '\\')
        out += ' ';
    return out;
}

static std::string identifierLike(std::string_view text, bool upper)
{
    std::string out;
    for (const char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x80 && std::isalnum(byte))
            out += static_cast<char>(upper ? std::toupper(byte) : std::tolower(byte));
        else
            out += '_';
    }
    if (out.empty())
        out = "_";
    return out;
}

std::string macroPart(std::string_view text)
{
    return identifierLike(text, true);
}

std::string identifierPart(std::string_view text)
{
    return identifierLike(text, false);
}

} // namespace codegen
