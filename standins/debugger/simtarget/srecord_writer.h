#pragma once
// The S-record text the kernel build writes for its images: an S0 header record, data records of at
// most 32 bytes (S1 with 16-bit addresses when the whole image lies below 64 KiB, else S3), and the
// matching termination record (S9 or S7). Upper-case hex digits, LF line ends.

#include <cstdint>
#include <string>
#include <vector>

namespace simtarget {

// A run of consecutive bytes of an image or of target memory.
struct MemoryBlock {
    uint32_t address = 0;
    std::vector<uint8_t> data;
};

// `header` is cut to 64 characters.
std::string SRecordText(const std::vector<MemoryBlock>& blocks, const std::string& header);

} // namespace simtarget
