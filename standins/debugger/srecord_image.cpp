#include "standins/debugger/srecord_image.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace simdbg {
namespace {

constexpr std::size_t kMaxRecordLength = 514; // "S", the type, 256 byte pairs

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string hexByte(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFFu);
    return text;
}

// Address bytes of a record type; -1 for a type that does not exist.
int addressBytes(char type)
{
    switch (type) {
    case '0': case '1': case '5': case '9': return 2;
    case '2': case '6': case '8': return 3;
    case '3': case '7': return 4;
    default: return -1;
    }
}

// Reads one line into `line`, holding at most kMaxRecordLength + 1 of its characters; `tooLong` tells
// that more were dropped. False at the end of the file.
bool readLine(std::streambuf& in, std::string& line, bool& tooLong)
{
    line.clear();
    tooLong = false;
    bool any = false;
    for (int c = in.sbumpc(); c != std::char_traits<char>::eof(); c = in.sbumpc()) {
        any = true;
        if (c == '\n')
            return true;
        if (line.size() <= kMaxRecordLength)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    return any;
}

// Checks one record and, for a data record, appends its block. Empty when the record is sound, else
// what is wrong with it.
std::string takeRecord(std::string_view line, std::vector<ImageBlock>& blocks)
{
    if (line[0] != 'S')
        return "not an S-record (does not begin with \"S\")";
    const int addrBytes = line.size() > 1 ? addressBytes(line[1]) : -1;
    if (addrBytes < 0)
        return line.size() > 1 ? std::string("unknown record type S") + line[1] : "record type missing";
    const std::string_view hex = line.substr(2);
    if (hex.empty() || hex.size() % 2 != 0)
        return hex.empty() ? "byte count missing" : "odd number of hex digits";
    std::vector<uint8_t> bytes(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); ++i) {
        const int digit = hexDigit(hex[i]);
        if (digit < 0)
            return "character '" + std::string(1, hex[i]) + "' at column " + std::to_string(i + 3) +
                   " is not a hex digit";
        bytes[i / 2] = static_cast<uint8_t>(bytes[i / 2] * 16 + digit);
    }
    const std::size_t count = bytes[0];
    if (count != bytes.size() - 1)
        return "byte count " + hexByte(bytes[0]) + " does not match the " + std::to_string(bytes.size() - 1) +
               " bytes on the line";
    if (count < static_cast<std::size_t>(addrBytes) + 1)
        return "byte count " + hexByte(bytes[0]) + " too small for the address and checksum";
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        sum += bytes[i];
    if (bytes.back() != (~sum & 0xFFu))
        return "checksum " + hexByte(bytes.back()) + ", expected " + hexByte(~sum);
    if (line[1] == '1' || line[1] == '2' || line[1] == '3') {
        ImageBlock block;
        for (int i = 0; i < addrBytes; ++i)
            block.address = (block.address << 8) | bytes[1 + static_cast<std::size_t>(i)];
        block.bytes.assign(bytes.begin() + 1 + addrBytes, bytes.end() - 1);
        blocks.push_back(std::move(block));
    }
    return {};
}

} // namespace

bool ReadSRecordImage(const std::string& path, std::size_t maxBytes, std::vector<ImageBlock>& blocks,
                      std::string& message)
{
    blocks.clear();
    std::error_code error;
    std::ifstream file(path, std::ios::binary);
    if (std::filesystem::is_directory(path, error) || !file) {
        message = path + ": cannot open the file";
        return false;
    }
    auto refuse = [&](const std::string& why) {
        blocks.clear();
        message = path + ":" + why;
        return false;
    };
    std::string line;
    bool tooLong = false;
    std::size_t total = 0;
    bool anyRecord = false;
    for (std::size_t number = 1; readLine(*file.rdbuf(), line, tooLong); ++number) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const std::string where = std::to_string(number) + ": ";
        if (tooLong || line.size() > kMaxRecordLength)
            return refuse(where + "line longer than " + std::to_string(kMaxRecordLength) + " characters");
        if (line.empty())
            continue;
        const std::size_t held = blocks.size();
        const std::string problem = takeRecord(line, blocks);
        if (!problem.empty())
            return refuse(where + problem);
        anyRecord = true;
        if (blocks.size() > held && (total += blocks.back().bytes.size()) > maxBytes)
            return refuse(" the image holds more than " + std::to_string(maxBytes) + " bytes");
    }
    return anyRecord ? true : refuse(" not an S-record file (no records)");
}

} // namespace simdbg
