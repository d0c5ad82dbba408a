#pragma once
// Reader of Motorola S-record text. Data records (S1, S2, S3) become address/bytes blocks; header,
// count and termination records are checked and skipped, the reserved type S4 is skipped unchecked,
// blank lines are skipped and a line starting with Ctrl-Z ends the text. Hex digits may be in either
// case. A malformed line (not an S-record, odd length, a non-hex character, a byte count that does not
// match the line, a wrong checksum, a line over 514 characters) refuses the whole text with a message
// naming the line, so a half-read image is never used. Messages show unprintable bytes by their code.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kernel {

struct SRecordBlock {
    uint32_t address = 0;
    std::vector<uint8_t> data;
};

enum class SRecordStatus {
    Ok,
    NotSRecord, // empty text, or the first line does not begin with "S"
    Malformed,  // a line fails a check; see the message
    TooLarge,   // a stream went on past its limit
    ReadFailed, // the stream failed before its end
};

struct SRecordResult {
    SRecordStatus status = SRecordStatus::Ok;
    std::size_t line = 0;  // 1-based line of the failure, 0 when none
    std::string message;   // "line 12: checksum 0x3F, expected 0x40"
};

// Receives each data record's address and bytes in file order, as the record is read.
using SRecordSink = std::function<void(uint32_t address, const uint8_t* data, std::size_t size)>;

// Parses S-record text into blocks in file order. On failure `blocks` is left empty.
SRecordResult ParseSRecords(std::string_view text, std::vector<SRecordBlock>& blocks);
// The same, handing each record to `sink`; records before a failing line have been handed on.
SRecordResult ParseSRecords(std::string_view text, const SRecordSink& sink);

// A data file describes at most a 64 KiB window; a file larger than this is not one.
constexpr std::uintmax_t kMaxSRecordFileBytes = std::uintmax_t{64} << 20;

// Reads S-record text from a stream line by line, handing each data record to `sink`, and stops at
// the first bad line, at a line longer than a record may be (without waiting for its end) or after
// `limit` bytes. A stream that never ends is thus refused at its first long line or at the limit.
SRecordResult ReadSRecordStream(std::istream& in, const SRecordSink& sink, std::uintmax_t limit);

// Result codes of ReadSRecordFile, the same numbers the image loader reports.
enum SRecordFileCode : int {
    SRecordFileLoaded = 0,
    SRecordFileCannotOpen = 1,
    SRecordFileNotSRecord = 2,
    SRecordFileReadError = 3, // also a malformed line
};

// Reads a file line by line, handing each data record to `sink` as it is read, so memory does not grow
// with the file. `message` names the file and, for a malformed line, the line: "z5data.a79:12: checksum
// 0x3F, expected 0x40". Only a regular file is read: a missing file, a folder, a device or a FIFO is
// refused unopened (1). A line is refused as soon as it outgrows the limit, so a stream without line
// ends cannot hold the reader, and a file over 64 MiB is refused (3). On failure the records already
// handed on must be dropped by the caller.
int ReadSRecordFile(const std::string& path, const SRecordSink& sink, std::string& message);
// The same, keeping every record; `blocks` is empty unless the result is 0.
int ReadSRecordFile(const std::string& path, std::vector<SRecordBlock>& blocks, std::string& message);

// Writes blocks as S-record text: an S0 header with `header`, S3 (or S1 when every address fits 16
// bits) records of at most `bytesPerLine` data bytes, and the matching termination record. Upper-case
// hex, LF line ends.
std::string WriteSRecords(const std::vector<SRecordBlock>& blocks, const std::string& header = "",
                          std::size_t bytesPerLine = 32);

} // namespace kernel
