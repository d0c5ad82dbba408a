#pragma once
// The XTEA block cipher (64-bit blocks, 128-bit key, 32 cycles, delta 0x9E3779B9).

#include <cstdint>

namespace engine {

using XteaKey = std::uint32_t[4];

// Enciphers or deciphers one block in place: v[0] and v[1] are the block's two words.
void XteaEncipher(std::uint32_t v[2], const XteaKey& key);
void XteaDecipher(std::uint32_t v[2], const XteaKey& key);

} // namespace engine
