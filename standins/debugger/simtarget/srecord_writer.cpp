#include "standins/debugger/simtarget/srecord_writer.h"

#include <algorithm>

namespace simtarget {
namespace {

constexpr std::size_t kDataBytesPerRecord = 32;
constexpr std::size_t kHeaderLimit = 64;

// One record: type digit, then count, address, data and checksum as hex pairs. The count covers the
// address, the data and the checksum; the checksum is the ones' complement of the low byte of the sum
// of the count, address and data bytes.
void appendRecord(std::string& out, char type, uint32_t address, unsigned addressBytes, const uint8_t* data,
                  std::size_t size)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    unsigned sum = 0;
    auto pair = [&](uint8_t byte) {
        out += kHex[byte >> 4];
        out += kHex[byte & 0xF];
        sum += byte;
    };
    out += 'S';
    out += type;
    pair(static_cast<uint8_t>(size + addressBytes + 1));
    for (unsigned i = addressBytes; i-- > 0;)
        pair(static_cast<uint8_t>(address >> (8 * i)));
    for (std::size_t i = 0; i < size; ++i)
        pair(data[i]);
    const unsigned checksum = ~sum & 0xFFu;
    out += kHex[checksum >> 4];
    out += kHex[checksum & 0xF];
    out += '\n';
}

} // namespace

std::string SRecordText(const std::vector<MemoryBlock>& blocks, const std::string& header)
{
    const bool shortAddresses = std::all_of(blocks.begin(), blocks.end(), [](const MemoryBlock& b) {
        return static_cast<uint64_t>(b.address) + b.data.size() <= 0x10000;
    });
    const char dataType = shortAddresses ? '1' : '3';
    const char endType = shortAddresses ? '9' : '7';
    const unsigned addressBytes = shortAddresses ? 2 : 4;

    std::string out;
    const std::string title = header.substr(0, kHeaderLimit);
    appendRecord(out, '0', 0, 2, reinterpret_cast<const uint8_t*>(title.data()), title.size());
    for (const MemoryBlock& block : blocks)
        for (std::size_t at = 0; at < block.data.size(); at += kDataBytesPerRecord)
            appendRecord(out, dataType, block.address + static_cast<uint32_t>(at), addressBytes, block.data.data() + at,
                         std::min(kDataBytesPerRecord, block.data.size() - at));
    appendRecord(out, endType, 0, addressBytes, nullptr, 0);
    return out;
}

} // namespace simtarget
