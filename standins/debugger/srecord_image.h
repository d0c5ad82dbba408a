#pragma once
// The debugger's reader of S-record image files. Data records (S1, S2, S3) become blocks at their
// addresses; header, count and termination records are checked and skipped; blank lines are skipped.
// Any other line refuses the whole file with a message naming it ("image.s19:12: checksum 0x3F,
// expected 0x40"), so a half-read image is never loaded.

#include <cstdint>
#include <string>
#include <vector>

namespace simdbg {

struct ImageBlock {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
};

// Reads the file into blocks in file order, refusing it when its data exceed maxBytes. On failure
// `blocks` is empty and `message` says why.
bool ReadSRecordImage(const std::string& path, std::size_t maxBytes, std::vector<ImageBlock>& blocks,
                      std::string& message);

} // namespace simdbg
