#include "gui/editors/model/blank_text.h"

namespace editors {

namespace {

// The character of a valid two- or three-byte sequence at text[at], with its length; 0 when none is there.
char32_t characterAt(std::string_view text, std::size_t at, std::size_t& length)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto continues = [&](std::size_t i) { return i < text.size() && (byte(i) & 0xC0) == 0x80; };
    const unsigned char lead = byte(at);
    if (lead >= 0xC2 && lead <= 0xDF && continues(at + 1)) {
        length = 2;
        return (char32_t{lead} & 0x1F) << 6 | (byte(at + 1) & 0x3F);
    }
    if (lead >= 0xE0 && lead <= 0xEF && continues(at + 1) && continues(at + 2)) {
        length = 3;
        return (char32_t{lead} & 0x0F) << 12 | char32_t{byte(at + 1) & 0x3Fu} << 6 | (byte(at + 2) & 0x3F);
    }
    length = 1;
    return 0;
}

bool isUnicodeBlank(char32_t c)
{
    return (c >= 0x80 && c <= 0xA0) || c == 0x1680 || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

} // namespace

bool IsBlankText(std::string_view text)
{
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte < 0x80) {
            if (byte > 32 && byte != 127)
                return false;
            ++at;
            continue;
        }
        std::size_t length = 1;
        const char32_t c = characterAt(text, at, length);
        if (c == 0 || !isUnicodeBlank(c))
            return false;
        at += length;
    }
    return true;
}

} // namespace editors
