#include "engine/util/comments.h"

namespace engine {

std::string NormaliseLineEnds(std::string_view text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r'))
            result.push_back('\r');
        result.push_back(c);
    }
    return result;
}

std::size_t FindCommentStart(std::string_view text, std::size_t from)
{
    const char* data = text.data();
    const std::size_t size = text.size();
    for (std::size_t i = from; i < size; ++i) {
        const char c = data[i];
        if (c != ';' && c != '/')
            continue;
        if (c == ';' || (i + 1 < size && (data[i + 1] == '/' || data[i + 1] == '*')))
            return i;
    }
    return std::string_view::npos;
}

namespace {

// Removes comments; a line comment ends just before the next `lineEnd` after it, which is kept.
std::string stripComments(std::string_view text, std::string_view lineEnd)
{
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    for (;;) {
        std::size_t start = FindCommentStart(text, pos);
        if (start == std::string_view::npos) {
            result.append(text.substr(pos));
            return result;
        }
        result.append(text.substr(pos, start - pos));
        if (text[start] == '/' && text[start + 1] == '*') {
            std::size_t close = text.find("*/", start + 2);
            if (close == std::string_view::npos)
                return result;
            pos = close + 2;
        } else {
            pos = text.find(lineEnd, start + 1);
            if (pos == std::string_view::npos)
                return result;
        }
    }
}

} // namespace

std::string StripCommentsCopy(std::string_view text) { return stripComments(text, "\r\n"); }

std::string StripCommentsByLine(std::string_view text) { return stripComments(text, "\n"); }

void StripComments(std::string& text) { text = StripCommentsCopy(text); }

} // namespace engine
