#include "engine/sectioned/sectioned_file.h"
#include "engine/util/tests/scratch_dir.h"

#include <gtest/gtest.h>

#include <random>

namespace engine {
namespace {

using engine::testing::ScratchDir;

// Bytes that stress the escaping: comment markers, quotes, escapes, blanks, hex digits that may follow an
// escape, control bytes, a zero byte and bytes of 128 and above.
const std::string kAlphabet = std::string(";/*\"'\\ \t\r\n\x01\x7f\xe9\xff\x80=[]x0123456789abcdefABCDEF", 38) +
                              std::string(1, '\0');

std::string randomValue(std::mt19937& random)
{
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string value;
    for (int n = length(random); n > 0; --n)
        value.push_back(kAlphabet[pick(random)]);
    return value;
}

TEST(SectionedRoundTrip, RandomValuesReadBackAsWritten)
{
    ScratchDir dir;
    std::mt19937 random(20261209);
    const int sections = 1000;
    const int keysPerSection = 100; // 100,000 values
    std::vector<std::string> values;
    values.reserve(sections * keysPerSection);
    SectionedFile file(dir.file("random.app"), true);
    for (int s = 0; s < sections; ++s) {
        SectionedFileSection* section = file.AddSection("Section " + std::to_string(s));
        for (int k = 0; k < keysPerSection; ++k) {
            values.push_back(randomValue(random));
            ASSERT_NE(section->AddEntry("Key" + std::to_string(k), std::string_view(values.back())), nullptr);
        }
    }
    ASSERT_EQ(file.WriteSectionedFile(false), sections);

    // Read back as written (CR LF) and after converting the file to LF line ends.
    std::string written = dir.read("random.app");
    std::string lf;
    for (std::size_t i = 0; i < written.size(); ++i)
        if (!(written[i] == '\r' && i + 1 < written.size() && written[i + 1] == '\n'))
            lf.push_back(written[i]);
    dir.write("random-lf.app", lf);

    for (const char* name : {"random.app", "random-lf.app"}) {
        SectionedFile back(dir.file(name), false);
        ASSERT_EQ(back.Read(true), sections) << name;
        std::size_t mismatches = 0;
        for (int s = 0; s < sections; ++s) {
            const SectionedFileSection* section = back.GetSection(static_cast<std::size_t>(s));
            ASSERT_EQ(section->GetEntryCount(), static_cast<std::size_t>(keysPerSection));
            for (int k = 0; k < keysPerSection; ++k) {
                const std::string& expected = values[static_cast<std::size_t>(s * keysPerSection + k)];
                if (section->GetEntry(static_cast<std::size_t>(k))->GetValue() != expected && ++mismatches < 5)
                    ADD_FAILURE() << name << " section " << s << " key " << k;
            }
        }
        EXPECT_EQ(mismatches, 0u) << name;
    }
}

TEST(SectionedRoundTrip, AwkwardFileShapes)
{
    ScratchDir dir;
    SectionedFile empty(dir.write("empty.cfg", ""));
    EXPECT_EQ(empty.Load(true), ReadResult::Ok);
    EXPECT_EQ(empty.GetSectionCount(), 0u);

    SectionedFile noFinalEnd(dir.write("noend.cfg", "[A]\r\nx=1\r\ny=\"a b\""));
    EXPECT_EQ(noFinalEnd.Read(true), 1);
    EXPECT_EQ(noFinalEnd.FindSection("A")->GetString("y"), "a b");

    SectionedFile zero(dir.write("zero.cfg", std::string("[A]\nx=1\n\0[B]\ny=2\n", 18)));
    EXPECT_EQ(zero.Read(true), 1); // the text ends at the first zero byte

    std::mt19937 random(7);
    std::string binary(1 << 20, '\0');
    for (char& c : binary)
        c = static_cast<char>(random() % 255 + 1);
    SectionedFile garbage(dir.write("binary.cfg", binary));
    EXPECT_EQ(garbage.Load(true), ReadResult::Ok);
    std::string text = garbage.ToText();
    (void)text;
}

TEST(SectionedRoundTrip, FiftyMegabyteFile)
{
    ScratchDir dir;
    std::string text;
    text.reserve(52u << 20);
    std::mt19937 random(50);
    int section = 0;
    while (text.size() < (50u << 20)) {
        text += "[S" + std::to_string(section++) + "]\n";
        for (int k = 0; k < 50; ++k) {
            text += "Key" + std::to_string(k) + "=";
            for (int n = 0; n < 20; ++n)
                text.push_back(static_cast<char>('a' + random() % 26));
            text += (k % 7 == 0) ? " ; comment\r\n" : "\n";
        }
    }
    SectionedFile file(dir.write("big.app", text));
    EXPECT_EQ(file.Read(true), section);
    EXPECT_EQ(file.GetEntryCount("S0"), 50u);
    EXPECT_EQ(file.FindSection("s" + std::to_string(section - 1))->GetString("KEY49").size(), 20u);
}

} // namespace
} // namespace engine
