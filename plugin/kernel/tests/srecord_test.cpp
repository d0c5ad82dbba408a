// S-record text and memory images: record checks, the 64 KiB window, files from standard tools.
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/scratch_dir.h"

#include <gtest/gtest.h>

#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_texts.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <random>
#include <sstream>
#include <streambuf>

namespace kernel::test {
namespace {

// Builds one record with a correct checksum.
std::string record(char type, uint32_t address, int addressBytes, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> b{static_cast<uint8_t>(data.size() + static_cast<std::size_t>(addressBytes) + 1)};
    for (int i = addressBytes - 1; i >= 0; --i)
        b.push_back(static_cast<uint8_t>(address >> (8 * i)));
    b.insert(b.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (uint8_t x : b)
        sum += x;
    b.push_back(static_cast<uint8_t>(~sum));
    std::string s = std::string("S") + type;
    char hex[3];
    for (uint8_t x : b) {
        std::snprintf(hex, sizeof hex, "%02X", x);
        s += hex;
    }
    return s + "\n";
}

struct BadLine {
    const char* name;
    std::string line;
    const char* expected; // part of the message
};

void PrintTo(const BadLine& line, std::ostream* os) { *os << line.name; }

class MalformedLine : public ::testing::TestWithParam<BadLine> {};

TEST_P(MalformedLine, IsRefusedNamingTheLine)
{
    const std::string text = "S00600004844521B\n" + record('1', 0x10, 2, {1, 2}) + GetParam().line + "\n";
    std::vector<SRecordBlock> blocks;
    const SRecordResult result = ParseSRecords(text, blocks);
    EXPECT_EQ(result.status, SRecordStatus::Malformed);
    EXPECT_EQ(result.line, 3u);
    EXPECT_NE(result.message.find("line 3: "), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(GetParam().expected), std::string::npos) << result.message;
    EXPECT_TRUE(blocks.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, MalformedLine,
    ::testing::Values(BadLine{"OddLength", "S1050010010203E", "odd number"},
                      BadLine{"NonHex", "S1050010010G03E6", "'G'"},
                      BadLine{"CountTooBig", "S1070010010203E3", "does not match"},
                      BadLine{"CountTooSmall", "S10200FD", "too small"},
                      BadLine{"Checksum", "S1060010010203E6", "checksum 0xE6, expected 0xE3"},
                      BadLine{"NotARecord", "hello", "not an S-record"},
                      BadLine{"UnknownType", "SX050010010203E6", "unknown record type"},
                      BadLine{"TooLong", "S1" + std::string(600, '0'), "longer than"}),
    [](const auto& info) { return info.param.name; });

TEST(SRecordParse, DataRecordsInEitherCaseAndLineEnd)
{
    std::string text = "S00600004844521B\r\n" + record('1', 0x0010, 2, {0xAB, 0xCD}) +
                       record('2', 0x123456, 3, {0xEF}) + record('3', 0x89ABCDEF, 4, {1, 2, 3}) +
                       record('5', 0x0003, 2, {}) + "\n" + record('7', 0, 4, {});
    // Carriage returns alone end lines too.
    text.replace(text.find("\n", 20), 1, "\r");
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c == 'S' ? c : static_cast<char>(std::tolower(c)); });
    for (const std::string& t : {text, lower}) {
        std::vector<SRecordBlock> blocks;
        const SRecordResult r = ParseSRecords(t, blocks);
        ASSERT_EQ(r.status, SRecordStatus::Ok) << r.message;
        ASSERT_EQ(blocks.size(), 3u);
        EXPECT_EQ(blocks[0].address, 0x10u);
        EXPECT_EQ(blocks[0].data, (std::vector<uint8_t>{0xAB, 0xCD}));
        EXPECT_EQ(blocks[1].address, 0x123456u);
        EXPECT_EQ(blocks[2].address, 0x89ABCDEFu);
        EXPECT_EQ(blocks[2].data.size(), 3u);
    }
    std::vector<SRecordBlock> blocks;
    EXPECT_EQ(ParseSRecords("", blocks).status, SRecordStatus::NotSRecord);
    EXPECT_EQ(ParseSRecords("\nS9030000FC\n", blocks).status, SRecordStatus::NotSRecord);
}

TEST(SRecordParse, WriterOutputReadsBack)
{
    std::mt19937 random(7);
    std::vector<SRecordBlock> in{{0x0000FFF0, {}}, {0x20000000, {}}};
    for (auto& b : in)
        for (int i = 0; i < 300; ++i)
            b.data.push_back(static_cast<uint8_t>(random()));
    std::vector<SRecordBlock> out;
    ASSERT_EQ(ParseSRecords(WriteSRecords(in, "target"), out).status, SRecordStatus::Ok);
    std::vector<uint8_t> joined;
    for (const auto& b : out)
        joined.insert(joined.end(), b.data.begin(), b.data.end());
    EXPECT_EQ(joined.size(), 600u);
    EXPECT_EQ(out.front().address, 0x0000FFF0u);
    EXPECT_TRUE(std::equal(in[0].data.begin(), in[0].data.end(), joined.begin()));
}

class ImageLoad : public ::testing::Test {
protected:
    void SetUp() override { ResetTargetAccess(); ResetMemoryImages(); SetAddressUnitBits(8); }
    void TearDown() override { ResetMemoryImages(); ResetTargetAccess(); }
    std::vector<uint8_t> bytesAt(uint32_t address, uint32_t n, int slot = kKernelDataSlot)
    {
        std::vector<uint8_t> out(n);
        ReadImageBytes(slot, address, n, out.data());
        return out;
    }
    ScratchDir dir;
};

TEST_F(ImageLoad, RecordsAreCutToTheWindowAroundTheBase)
{
    const std::string text = "S0030000FC\n" + record('1', 0x0010, 2, {1, 2}) +
                             record('2', 0x00FFFE, 3, {0x11, 0x22, 0x33, 0x44}) +
                             record('3', 0xFFFFFFFE, 4, {0x55, 0x66}) + // far below the base: never wraps into it
                             record('9', 0, 2, {});
    ASSERT_EQ(LoadKernelDataImage(dir.write("a.srec", text), 0), ImageLoaded) << GetImageLoadMessage();
    EXPECT_EQ(bytesAt(0x10, 3), (std::vector<uint8_t>{1, 2, 0}));
    EXPECT_EQ(bytesAt(0xFFFE, 2), (std::vector<uint8_t>{0x11, 0x22})); // S2 at 0xFFFE keeps 2 of 4
    EXPECT_EQ(bytesAt(0, 2), (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(bytesAt(0x10000, 1), (std::vector<uint8_t>{0})); // outside the window

    // An S3 record 2 bytes below the base keeps the data from the third byte on, at offset 0.
    ASSERT_EQ(LoadKernelDataImage(dir.write("b.srec", "S0030000FC\n" + record('3', 0x7FFE, 4, {9, 8, 7, 6})),
                                  0x8000), ImageLoaded);
    EXPECT_EQ(bytesAt(0x8000, 3), (std::vector<uint8_t>{7, 6, 0}));
}

TEST_F(ImageLoad, StatusCodesAndSlotLifecycle)
{
    EXPECT_EQ(LoadKernelDataImage(dir.file("missing.srec"), 0), ImageCannotOpen);
    EXPECT_FALSE(HasMemoryImage(kKernelDataSlot));
    EXPECT_EQ(LoadKernelDataImage(dir.write("text.srec", "hello\n"), 0), ImageNotSRecord);
    EXPECT_EQ(LoadKernelDataImage(dir.write("empty.srec", ""), 0), ImageNotSRecord);
    const std::string bad = dir.write("bad.srec", "S0030000FC\n" + record('1', 0, 2, {1}) + "S1040000017A\n");
    EXPECT_EQ(LoadKernelDataImage(bad, 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("bad.srec:3: checksum"), std::string::npos) << GetImageLoadMessage();
    EXPECT_FALSE(HasMemoryImage(kKernelDataSlot));

    const std::string good = dir.write("good.srec", record('1', 0x20, 2, {0x42}));
    ASSERT_EQ(LoadKernelDataImage(good, 0), ImageLoaded);
    EXPECT_EQ(bytesAt(0x20, 1)[0], 0x42);
    SelectMemoryImage(kKernelDataSlot);
    EXPECT_EQ(LoadSecondImage(good, 0), 0);
    EXPECT_EQ(GetSelectedMemoryImage(), kKernelDataSlot);
    EXPECT_EQ(LoadSecondImage(bad, 0), 1);
    EXPECT_EQ(GetSelectedMemoryImage(), kKernelDataSlot);
    EXPECT_FALSE(HasMemoryImage(kSecondImageSlot));
    // A failed reload empties the slot rather than keeping the old image.
    EXPECT_EQ(LoadKernelDataImage(bad, 0), ImageReadError);
    EXPECT_FALSE(HasMemoryImage(kKernelDataSlot));

    // A folder is there but cannot be read as a file.
    EXPECT_EQ(LoadKernelDataImage(dir.path().string(), 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("a folder, not a file"), std::string::npos) << GetImageLoadMessage();
}

// The file is taken line by line: a file of many records loads into the 64 KiB window, a line that never
// ends is refused with its number, and records after a bad line never reach the image.
TEST_F(ImageLoad, LargeFilesAreReadLineByLine)
{
    std::string text = "S0030000FC\n";
    for (uint32_t i = 0; i < 60000; ++i)
        text += record('3', 0x10000000u + 16 * i, 4, std::vector<uint8_t>(16, static_cast<uint8_t>(i)));
    text += record('1', 0x40, 2, {0xAB});
    ASSERT_EQ(LoadKernelDataImage(dir.write("big.srec", text), 0), ImageLoaded) << GetImageLoadMessage();
    EXPECT_EQ(bytesAt(0x40, 1)[0], 0xAB);

    const std::string endless = dir.write("endless.srec", "S0030000FC\n" + record('1', 0, 2, {1}) + std::string(3u << 20, '0'));
    EXPECT_EQ(LoadKernelDataImage(endless, 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("endless.srec:3: line longer than"), std::string::npos) << GetImageLoadMessage();
    EXPECT_FALSE(HasMemoryImage(kKernelDataSlot));
}

// A stream that never ends: the same character for ever, counting what it handed out.
class EndlessBuffer : public std::streambuf {
public:
    explicit EndlessBuffer(char fill) { std::fill(std::begin(m_chunk), std::end(m_chunk), fill); }
    std::size_t delivered() const { return m_delivered; }

protected:
    int_type underflow() override
    {
        m_delivered += sizeof m_chunk;
        setg(m_chunk, m_chunk, m_chunk + sizeof m_chunk);
        return traits_type::to_int_type(m_chunk[0]);
    }

private:
    char m_chunk[4096];
    std::size_t m_delivered = 0;
};

// Streams without line ends are refused at the first line that outgrows a record, with its number,
// and endless streams of lines at the byte limit; neither waits for an end that never comes.
TEST(SRecordStream, EndlessInputIsRefusedAtTheLimit)
{
    const SRecordSink ignore = [](uint32_t, const uint8_t*, std::size_t) {};
    EndlessBuffer zeros('\0');
    std::istream zeroStream(&zeros);
    const SRecordResult atFirst = ReadSRecordStream(zeroStream, ignore, kMaxSRecordFileBytes);
    EXPECT_EQ(atFirst.status, SRecordStatus::Malformed);
    EXPECT_EQ(atFirst.line, 1u);
    EXPECT_NE(atFirst.message.find("line 1: line longer than 514"), std::string::npos) << atFirst.message;
    EXPECT_LE(zeros.delivered(), 128u * 1024);

    EndlessBuffer blanks('\n');
    std::istream blankStream(&blanks);
    const SRecordResult blank = ReadSRecordStream(blankStream, ignore, 1u << 20);
    EXPECT_EQ(blank.status, SRecordStatus::NotSRecord); // a blank first line

    std::string lines = "S0030000FC\n";
    while (lines.size() < 4096)
        lines += "\n";
    std::istringstream many(lines);
    EXPECT_EQ(ReadSRecordStream(many, ignore, 1024).status, SRecordStatus::TooLarge);
}

// Only regular files are read: a device or a FIFO (which would block at open until a writer came) is
// refused unopened, as is a file too large to be a data file.
TEST_F(ImageLoad, DevicesPipesAndHugeFilesAreRefusedUnread)
{
    // What is there but is no file is refused with the reader's reason, which the panel shows; code 1
    // ("not found") is for a missing file only.
    EXPECT_EQ(LoadKernelDataImage("/dev/zero", 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("/dev/zero: cannot be read (a device"), std::string::npos) << GetImageLoadMessage();
    EXPECT_EQ(DescribeWorkspaceLoadError(ImageReadError), GetImageLoadMessage());
    const std::string fifo = dir.file("data.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LoadKernelDataImage(fifo, 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("data.fifo: cannot be read (a device, pipe"), std::string::npos) << GetImageLoadMessage();
    EXPECT_EQ(DescribeWorkspaceLoadError(ImageReadError), GetImageLoadMessage());
    EXPECT_EQ(LoadKernelDataImage(dir.path().string(), 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find(": cannot be read (a folder, not a file)"), std::string::npos) << GetImageLoadMessage();
    EXPECT_EQ(LoadKernelDataImage(dir.file("missing.srec"), 0), ImageCannotOpen);
    EXPECT_NE(GetImageLoadMessage().find("missing.srec: not found"), std::string::npos) << GetImageLoadMessage();
    EXPECT_EQ(DescribeWorkspaceLoadError(ImageCannotOpen), "ERROR 1 - Z5DATA file not found");

    // A sparse file past the limit, whose first line is a sound record.
    const std::string huge = dir.write("huge.srec", "S0030000FC\n");
    ASSERT_EQ(truncate(huge.c_str(), static_cast<off_t>(kMaxSRecordFileBytes + 1)), 0);
    EXPECT_EQ(LoadKernelDataImage(huge, 0), ImageReadError);
    EXPECT_NE(GetImageLoadMessage().find("huge.srec: larger than 64 MiB"), std::string::npos) << GetImageLoadMessage();
    EXPECT_FALSE(HasMemoryImage(kKernelDataSlot));
}

// The position of the open file `path` in this process, -1 when it is not open.
long long OpenFilePosition(const std::string& path)
{
    for (int fd = 0; fd < 1024; ++fd) {
        char link[4096];
        const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
        if (n <= 0 || std::string(link, static_cast<std::size_t>(n)) != path)
            continue;
        std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
        std::string key;
        long long pos = -1;
        while (info >> key)
            if (key == "pos:" && info >> pos)
                return pos;
    }
    return -1;
}

// The file reader streams: when the first record reaches the sink, only the first chunk of an 8 MB file
// has been read, so memory does not grow with the file.
TEST_F(ImageLoad, FileIsReadAsItIsParsed)
{
    std::string text = "S0030000FC\n";
    const std::string line = record('3', 0x10000000u, 4, std::vector<uint8_t>(32, 0x5A));
    while (text.size() < (8u << 20))
        text += line;
    const std::string path = std::filesystem::canonical(dir.write("stream.srec", text)).string();
    long long positionAtFirst = -2;
    std::size_t records = 0;
    std::string message;
    const int code = ReadSRecordFile(path, [&](uint32_t, const uint8_t*, std::size_t) {
        if (records++ == 0)
            positionAtFirst = OpenFilePosition(path);
    }, message);
    ASSERT_EQ(code, SRecordFileLoaded) << message;
    EXPECT_EQ(records, (text.size() - 11) / line.size());
    EXPECT_GE(positionAtFirst, 0) << "the file was not open while its first record was handed on";
    EXPECT_LE(positionAtFirst, 1LL << 20);
}

// Every refusal of the reader reaches the user as the reader's message, naming the file and line, and
// never as a processor or version mismatch; record types and ends the reader does not use are checked,
// then skipped.
TEST_F(ImageLoad, ReaderMessagesReachTheUser)
{
    struct Case {
        const char* name;
        std::string text;
        const char* expected;
    };
    const std::string s1 = record('1', 0x20, 2, {0x42});
    const std::vector<Case> refused{
        {"blank.a79", "\n" + s1, "blank.a79: not an S-record file (line 1: the first line is blank"},
        {"bom.a79", "\xEF\xBB\xBF" + s1, "bom.a79: not an S-record file (line 1: the first line begins with a UTF-8 byte-order mark"},
        {"lower.a79", "s" + s1.substr(1), "lower.a79: not an S-record file (line 1: the first line begins with a lower-case"},
        {"text.a79", "hello\n", "text.a79: not an S-record file (line 1: the first line begins with 'h'"},
        {"nul.a79", s1 + "S1050010\x01" + std::string(1, '\0') + "03E6\n", "nul.a79:2: character 0x01 at column 9"},
        {"nul2.a79", s1 + "S105001001" + std::string(1, '\0') + "3E6\n", "nul2.a79:2: character 0x00 at column 11"},
        {"checksum.a79", s1 + "S1060010010203E6\n", "checksum.a79:2: checksum 0xE6"},
        // The reserved type is checked as a record, then skipped.
        {"s4text.a79", s1 + "S4whatever\n", "s4text.a79:2: character 'w' at column 3"},
        {"s4sum.a79", s1 + "S4030000FD\n", "s4sum.a79:2: checksum 0xFD"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        const int code = LoadKernelWorkspace(1, dir.write(c.name, c.text), 0, 0);
        EXPECT_NE(code, 0);
        const std::string shown = DescribeWorkspaceLoadError(code);
        EXPECT_NE(shown.find(c.expected), std::string::npos) << shown;
        EXPECT_EQ(shown.find("Processor"), std::string::npos) << shown;
        EXPECT_EQ(shown.find('\0'), std::string::npos);
    }
    FreeKernelWorkspace();

    const std::vector<Case> accepted{
        {"s4.a79", s1 + "S4030000FC\n" + record('9', 0, 2, {}), ""},
        {"ctrlz.a79", s1 + record('9', 0, 2, {}) + "\x1A", ""},
        {"ctrlz2.a79", s1 + record('9', 0, 2, {}) + "\x1A\x1Agarbage\n", ""},
        {"blanks.a79", s1 + record('9', 0, 2, {}) + "\r\n\n  \n", ""},
        {"cr-only.a79", "S00600004844521B\r" + s1.substr(0, s1.size() - 1) + "\r" + record('9', 0, 2, {}), ""},
    };
    for (const Case& c : accepted) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(LoadKernelDataImage(dir.write(c.name, c.text), 0), ImageLoaded) << GetImageLoadMessage();
        EXPECT_EQ(bytesAt(0x20, 1)[0], 0x42);
    }
}

// Files made by srec_cat and objcopy from the same random bytes load to exactly those bytes.
TEST_F(ImageLoad, FilesFromStandardToolsLoadExactly)
{
    std::mt19937 random(11);
    std::string payload(3000, '\0');
    for (char& c : payload)
        c = static_cast<char>(random());
    const std::string bin = dir.write("payload.bin", payload);
    struct Tool {
        const char* name;
        std::string command;
        uint32_t base;
    };
    const std::vector<Tool> tools{
        {"srec_cat S1", "srec_cat " + bin + " -binary -offset 0x1000 -o " + dir.file("cat1.srec") + " -motorola", 0},
        {"srec_cat S3", "srec_cat " + bin + " -binary -offset 0x20001000 -o " + dir.file("cat3.srec") +
                            " -motorola -address-length=4 -output_block_size=30", 0x20000000},
        {"srec_cat S2", "srec_cat " + bin + " -binary -offset 0x31000 -o " + dir.file("cat2.srec") +
                            " -motorola -address-length=3", 0x30000},
        {"objcopy", "objcopy -I binary -O srec --change-addresses 0x1000 " + bin + " " + dir.file("objcopy.srec"), 0},
        {"objcopy S3", "objcopy -I binary -O srec --srec-forceS3 --change-addresses 0x20001000 " + bin + " " +
                           dir.file("objcopy3.srec"), 0x20000000},
    };
    const char* files[] = {"cat1.srec", "cat3.srec", "cat2.srec", "objcopy.srec", "objcopy3.srec"};
    for (std::size_t i = 0; i < tools.size(); ++i) {
        SCOPED_TRACE(tools[i].name);
        if (std::system((tools[i].command + " 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << tools[i].name << " is not installed";
        ASSERT_EQ(LoadKernelDataImage(dir.file(files[i]), tools[i].base), ImageLoaded) << GetImageLoadMessage();
        const auto loaded = bytesAt(tools[i].base + 0x1000, static_cast<uint32_t>(payload.size()));
        EXPECT_TRUE(std::equal(loaded.begin(), loaded.end(), reinterpret_cast<const uint8_t*>(payload.data())));
        EXPECT_EQ(bytesAt(tools[i].base + 0xFFF, 1)[0], 0);
    }
}

} // namespace
} // namespace kernel::test
