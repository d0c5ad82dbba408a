#include "engine/files/xtea.h"

namespace engine {
namespace {

constexpr std::uint32_t kDelta = 0x9E3779B9u;
constexpr int kCycles = 32;

} // namespace

void XteaEncipher(std::uint32_t v[2], const XteaKey& key)
{
    std::uint32_t l = v[0];
    std::uint32_t r = v[1];
    std::uint32_t sum = 0;
    for (int i = 0; i < kCycles; ++i) {
        l += (((r << 4) ^ (r >> 5)) + r) ^ (sum + key[sum & 3]);
        sum += kDelta;
        r += (((l << 4) ^ (l >> 5)) + l) ^ (sum + key[(sum >> 11) & 3]);
    }
    v[0] = l;
    v[1] = r;
}

void XteaDecipher(std::uint32_t v[2], const XteaKey& key)
{
    std::uint32_t l = v[0];
    std::uint32_t r = v[1];
    std::uint32_t sum = kDelta * kCycles; // 0xC6EF3720
    for (int i = 0; i < kCycles; ++i) {
        r -= (((l << 4) ^ (l >> 5)) + l) ^ (sum + key[(sum >> 11) & 3]);
        sum -= kDelta;
        l -= (((r << 4) ^ (r >> 5)) + r) ^ (sum + key[sum & 3]);
    }
    v[0] = l;
    v[1] = r;
}

} // namespace engine
