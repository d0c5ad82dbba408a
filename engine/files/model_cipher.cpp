#include "engine/files/model_cipher.h"

#include "engine/files/xtea.h"
#include "engine/util/comments.h"

#include <algorithm>

namespace engine {
namespace {

constexpr XteaKey kModelKey = {0x5E17C0A2u, 0x9B3D4F61u, 0x2C8E7A15u, 0xD0469B3Eu};

std::uint32_t loadWord(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void storeWord(unsigned char* p, std::uint32_t w)
{
    p[0] = static_cast<unsigned char>(w);
    p[1] = static_cast<unsigned char>(w >> 8);
    p[2] = static_cast<unsigned char>(w >> 16);
    p[3] = static_cast<unsigned char>(w >> 24);
}

bool hasHighByte(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 128; });
}

} // namespace

bool IsEncipheredModel(std::string_view bytes) { return hasHighByte(bytes); }

std::string DecipherModelText(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t offset = 0; offset < bytes.size(); offset += 8) {
        unsigned char block[8] = {};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), std::min<std::size_t>(8, bytes.size() - offset),
                    block);
        std::uint32_t v[2] = {loadWord(block), loadWord(block + 4)};
        XteaDecipher(v, kModelKey);
        storeWord(block, v[0]);
        storeWord(block + 4, v[1]);
        for (unsigned char c : block) {
            if (c == 0)
                return text;
            text.push_back(static_cast<char>(c));
        }
    }
    return text;
}

std::string EncipherModelText(std::string_view text)
{
    for (unsigned filler = 0; filler < 256; ++filler) {
        std::string plain(text);
        plain.push_back('\0');
        while (plain.size() % 8 != 0)
            plain.push_back(static_cast<char>(filler));
        if (filler != 0)
            plain.append(8, static_cast<char>(filler)); // one more block of filler to vary the cipher text
        std::string out(plain.size(), '\0');
        for (std::size_t offset = 0; offset < plain.size(); offset += 8) {
            auto* in = reinterpret_cast<const unsigned char*>(plain.data() + offset);
            std::uint32_t v[2] = {loadWord(in), loadWord(in + 4)};
            XteaEncipher(v, kModelKey);
            auto* dst = reinterpret_cast<unsigned char*>(out.data() + offset);
            storeWord(dst, v[0]);
            storeWord(dst + 4, v[1]);
        }
        if (hasHighByte(out))
            return out;
    }
    return {}; // not reached in practice: some filler always yields a byte of 128 or more
}

std::string PrepareModelText(std::string_view bytes)
{
    std::string text = IsEncipheredModel(bytes) ? DecipherModelText(bytes) : std::string(bytes.substr(0, bytes.find('\0')));
    return StripCommentsCopy(NormaliseLineEnds(text));
}

} // namespace engine
