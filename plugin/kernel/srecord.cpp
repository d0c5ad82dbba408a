#include "plugin/kernel/srecord.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kernel {
namespace {

constexpr std::size_t kMaxLineLength = 514;           // "S", type, 255 byte pairs
constexpr std::size_t kMaxHeldLine = 1024;            // with trailing blanks; longer lines are refused unread
constexpr char kEndOfText = '\x1A';                   // Ctrl-Z: the end of the text on some systems

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// A character as a message may show it: printable ones quoted, others (a NUL, a control character, a
// byte of a multi-byte character) as their code.
std::string shownCharacter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F)
        return "'" + std::string(1, c) + "'";
    return hexByte(u);
}

// Address bytes of a record type; 0 for the reserved type S4, which has none of its own and is checked
// as every record is (hex digits, byte count, checksum), then skipped; -1 for a character that is no
// record type.
int addressBytes(char type)
{
    switch (type) {
    case '0': case '1': case '5': case '9': return 2;
    case '2': case '6': case '8': return 3;
    case '3': case '7': return 4;
    case '4': return 0;
    default: return -1;
    }
}

// Checks one line and, for a data record, hands its address and bytes to the sink. Returns an empty
// string when the line is sound, else what is wrong with it.
std::string parseLine(std::string_view line, const SRecordSink& sink)
{
    if (line.size() > kMaxLineLength)
        return "line longer than " + std::to_string(kMaxLineLength) + " characters";
    if (line.empty() || line[0] != 'S')
        return "not an S-record (does not begin with \"S\")";
    if (line.size() < 2)
        return "record type missing";
    const char type = line[1];
    const int addrBytes = addressBytes(type);
    if (addrBytes < 0)
        return "unknown record type S" + (std::isprint(static_cast<unsigned char>(type)) ? std::string(1, type)
                                                                                        : " " + hexByte(static_cast<unsigned char>(type)));
    const std::string_view hex = line.substr(2);
    if (hex.size() % 2 != 0)
        return "odd number of hex digits";
    uint8_t bytes[kMaxLineLength / 2];
    const std::size_t size = hex.size() / 2;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = hexValue(hex[i]);
        const int lo = hexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) {
            const char bad = hi < 0 ? hex[i] : hex[i + 1];
            return "character " + shownCharacter(bad) + " at column " +
                   std::to_string(i + 3 + (hi < 0 ? 0 : 1)) + " is not a hex digit";
        }
        bytes[i / 2] = static_cast<uint8_t>(hi * 16 + lo);
    }
    if (size == 0)
        return "byte count missing";
    const std::size_t count = bytes[0];
    if (count != size - 1)
        return "byte count " + hexByte(static_cast<unsigned>(count)) + " does not match the " +
               std::to_string(size - 1) + " bytes on the line";
    if (count < static_cast<std::size_t>(addrBytes) + 1)
        return "byte count " + hexByte(static_cast<unsigned>(count)) + " too small for the address and checksum";
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < size; ++i)
        sum += bytes[i];
    const unsigned expected = ~sum & 0xFFu;
    if (bytes[size - 1] != expected)
        return "checksum " + hexByte(bytes[size - 1]) + ", expected " + hexByte(expected);
    if (type == '1' || type == '2' || type == '3') {
        uint32_t address = 0;
        for (int i = 0; i < addrBytes; ++i)
            address = (address << 8) | bytes[1 + static_cast<std::size_t>(i)];
        const std::size_t first = 1 + static_cast<std::size_t>(addrBytes);
        sink(address, bytes + first, size - 1 - first);
    }
    return {};
}

// Takes the text line by line, as it arrives; remembers the first failure.
class LineChecker {
public:
    explicit LineChecker(const SRecordSink& sink) : m_sink(sink) {}

    // False once a line failed; result() then says why.
    bool take(std::string_view line)
    {
        ++m_line;
        // A Ctrl-Z line ends the text: what follows it is not read.
        if (m_ended || (m_sawFirst && !line.empty() && line[0] == kEndOfText)) {
            m_ended = true;
            return true;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t' ||
                                 line.back() == kEndOfText))
            line.remove_suffix(1);
        if (!m_sawFirst) {
            m_sawFirst = true;
            if (line.empty() || line[0] != 'S') {
                m_result = {SRecordStatus::NotSRecord, m_line,
                            "line " + std::to_string(m_line) + ": " + firstLineProblem(line)};
                return false;
            }
        }
        if (line.empty())
            return true;
        const std::string problem = parseLine(line, m_sink);
        if (problem.empty())
            return true;
        m_result = {SRecordStatus::Malformed, m_line, "line " + std::to_string(m_line) + ": " + problem};
        return false;
    }
    // A line too long to hold, refused before it is read whole.
    void refuseLong()
    {
        ++m_line;
        m_result = {SRecordStatus::Malformed, m_line,
                    "line " + std::to_string(m_line) + ": line longer than " + std::to_string(kMaxLineLength) +
                        " characters"};
    }
    SRecordResult result() const
    {
        if (m_result.status == SRecordStatus::Ok && !m_sawFirst)
            return {SRecordStatus::NotSRecord, 0, "the file is empty"};
        return m_result;
    }

private:
    static std::string firstLineProblem(std::string_view line)
    {
        if (line.empty())
            return "the first line is blank; the file must begin with an S-record";
        if (line.substr(0, 3) == "\xEF\xBB\xBF")
            return "the first line begins with a UTF-8 byte-order mark; the file must begin with \"S\"";
        if (line[0] == 's')
            return "the first line begins with a lower-case \"s\"; records begin with \"S\"";
        return "the first line begins with " + shownCharacter(line[0]) + ", not \"S\"";
    }

    const SRecordSink& m_sink;
    std::size_t m_line = 0;
    bool m_sawFirst = false;
    bool m_ended = false;
    SRecordResult m_result;
};

// Line ends as the files have them: a line feed, a carriage return and a line feed, or a carriage return
// alone. The line feed after a carriage return may come in the next part of the text.
class LineEnds {
public:
    // The end of the line that starts at `pos`, npos when the part has none.
    std::size_t next(std::string_view part, std::size_t pos)
    {
        const std::size_t end = part.find_first_of("\r\n", pos);
        m_afterReturn = end != std::string_view::npos && part[end] == '\r';
        return end;
    }
    // Steps over the line feed of a carriage return and line feed; true when it did.
    bool skipsLineFeed(std::string_view part, std::size_t& pos)
    {
        const bool skip = m_afterReturn && pos < part.size() && part[pos] == '\n';
        m_afterReturn = false;
        if (skip)
            ++pos;
        return skip;
    }

private:
    bool m_afterReturn = false;
};

SRecordSink appendTo(std::vector<SRecordBlock>& blocks)
{
    return [&blocks](uint32_t address, const uint8_t* data, std::size_t size) {
        blocks.push_back({address, std::vector<uint8_t>(data, data + size)});
    };
}

} // namespace

SRecordResult ParseSRecords(std::string_view text, const SRecordSink& sink)
{
    LineChecker checker(sink);
    LineEnds ends;
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (ends.skipsLineFeed(text, pos))
            continue;
        std::size_t end = ends.next(text, pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!checker.take(line))
            break;
    }
    return checker.result();
}

SRecordResult ParseSRecords(std::string_view text, std::vector<SRecordBlock>& blocks)
{
    blocks.clear();
    const SRecordResult result = ParseSRecords(text, appendTo(blocks));
    if (result.status != SRecordStatus::Ok)
        blocks.clear();
    return result;
}

SRecordResult ReadSRecordStream(std::istream& in, const SRecordSink& sink, std::uintmax_t limit)
{
    // Read in chunks and taken line by line, so only one line is held at a time. A line is refused as
    // soon as it outgrows what a record may hold, and reading stops once `limit` bytes have come.
    LineChecker checker(sink);
    LineEnds ends;
    std::string line;
    std::uintmax_t total = 0;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        const std::string_view part(chunk, static_cast<std::size_t>(in.gcount()));
        total += part.size();
        std::size_t pos = 0;
        while (pos < part.size()) {
            if (ends.skipsLineFeed(part, pos))
                continue;
            const std::size_t end = ends.next(part, pos);
            const std::string_view piece = part.substr(pos, end == std::string_view::npos ? part.size() - pos : end - pos);
            if (line.size() + piece.size() > kMaxHeldLine) {
                checker.refuseLong();
                return checker.result();
            }
            line.append(piece);
            if (end == std::string_view::npos)
                break;
            pos = end + 1;
            if (!checker.take(line))
                return checker.result();
            line.clear();
        }
        if (total > limit)
            return {SRecordStatus::TooLarge, 0, "more than " + std::to_string(limit) + " bytes"};
    }
    if (in.bad())
        return {SRecordStatus::ReadFailed, 0, "read error"};
    if (!line.empty())
        checker.take(line);
    return checker.result();
}

int ReadSRecordFile(const std::string& path, const SRecordSink& sink, std::string& message)
{
    message.clear();
    // Only a regular file is read: a device or a FIFO may never end (or never open), and a folder
    // holds no data. Each is refused before it is opened.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        message = path + ": not found";
        return SRecordFileCannotOpen;
    }
    // Code 1 is for a file that is missing; one that is there but is no regular file cannot be read.
    if (std::filesystem::is_directory(status)) {
        message = path + ": cannot be read (a folder, not a file)";
        return SRecordFileReadError;
    }
    if (!std::filesystem::is_regular_file(status)) {
        message = path + ": cannot be read (a device, pipe or socket, not a file)";
        return SRecordFileReadError;
    }
    if (std::filesystem::file_size(path, error) > kMaxSRecordFileBytes && !error) {
        message = path + ": larger than " + std::to_string(kMaxSRecordFileBytes >> 20) + " MiB, not a kernel data file";
        return SRecordFileReadError;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        message = path + ": cannot be opened for reading";
        return SRecordFileCannotOpen;
    }
    const SRecordResult result = ReadSRecordStream(in, sink, kMaxSRecordFileBytes);
    if (result.status == SRecordStatus::TooLarge) {
        message = path + ": larger than " + std::to_string(kMaxSRecordFileBytes >> 20) + " MiB, not a kernel data file";
        return SRecordFileReadError;
    }
    if (result.status == SRecordStatus::ReadFailed) {
        message = path + ": read error";
        return SRecordFileReadError;
    }
    switch (result.status) {
    case SRecordStatus::Ok:
        return SRecordFileLoaded;
    case SRecordStatus::NotSRecord:
        message = path + ": not an S-record file (" + result.message + ")";
        return SRecordFileNotSRecord;
    default:
        break;
    }
    message = path + ":" + result.message.substr(5); // "line N: ..." becomes "path:N: ..."
    return SRecordFileReadError;
}

int ReadSRecordFile(const std::string& path, std::vector<SRecordBlock>& blocks, std::string& message)
{
    blocks.clear();
    const int code = ReadSRecordFile(path, appendTo(blocks), message);
    if (code != SRecordFileLoaded)
        blocks.clear();
    return code;
}

std::string WriteSRecords(const std::vector<SRecordBlock>& blocks, const std::string& header,
                          std::size_t bytesPerLine)
{
    if (bytesPerLine == 0 || bytesPerLine > 250)
        bytesPerLine = 32;
    bool small = true;
    for (const SRecordBlock& b : blocks)
        if (static_cast<uint64_t>(b.address) + b.data.size() > 0x10000)
            small = false;
    std::string out;
    auto record = [&out](char type, uint32_t address, int addrBytes, const uint8_t* data, std::size_t n) {
        std::vector<uint8_t> bytes;
        bytes.push_back(static_cast<uint8_t>(n + static_cast<std::size_t>(addrBytes) + 1));
        for (int i = addrBytes - 1; i >= 0; --i)
            bytes.push_back(static_cast<uint8_t>(address >> (8 * i)));
        bytes.insert(bytes.end(), data, data + n);
        unsigned sum = 0;
        for (uint8_t b : bytes)
            sum += b;
        bytes.push_back(static_cast<uint8_t>(~sum));
        out += 'S';
        out += type;
        static const char digits[] = "0123456789ABCDEF";
        for (uint8_t b : bytes) {
            out += digits[b >> 4];
            out += digits[b & 15];
        }
        out += '\n';
    };
    const std::string head = header.substr(0, 64);
    record('0', 0, 2, reinterpret_cast<const uint8_t*>(head.data()), head.size());
    for (const SRecordBlock& b : blocks) {
        for (std::size_t i = 0; i < b.data.size(); i += bytesPerLine) {
            const std::size_t n = std::min(bytesPerLine, b.data.size() - i);
            const uint32_t address = b.address + static_cast<uint32_t>(i);
            if (small)
                record('1', address, 2, b.data.data() + i, n);
            else
                record('3', address, 4, b.data.data() + i, n);
        }
    }
    if (small)
        record('9', 0, 2, nullptr, 0);
    else
        record('7', 0, 4, nullptr, 0);
    return out;
}

} // namespace kernel
