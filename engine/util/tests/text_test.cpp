#include "engine/util/comments.h"
#include "engine/util/escape.h"
#include "engine/util/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>

namespace engine {
namespace {

TEST(TextNumbers, ParseNumberReadsTheBaseFromThePrefix)
{
    EXPECT_EQ(ParseNumber("010"), 8u);
    EXPECT_EQ(ParseNumber("0x10"), 16u);
    EXPECT_EQ(ParseNumber("0X1f"), 31u);
    EXPECT_EQ(ParseNumber("10"), 10u);
    EXPECT_EQ(ParseNumber("  +7"), 7u);
    EXPECT_EQ(ParseNumber("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("12abc"), 12u);
    EXPECT_EQ(ParseNumber("09"), 0u); // octal stops at 9
    EXPECT_EQ(ParseNumber(""), 0u);
}

TEST(TextNumbers, ParseNumberStaysWithin32BitsAndNeverWraps)
{
    EXPECT_EQ(ParseNumber("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("4294967297"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("0x100000000"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("99999999999999999999999999"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseNumber("-4294967297"), 0xFFFFFFFFu);
}

TEST(TextNumbers, WholeNumberNeedsEveryCharacterConsumed)
{
    std::size_t consumed = 99;
    ParseNumber("0xg", &consumed);
    EXPECT_EQ(consumed, 1u); // "0" is read, "x" is not
    EXPECT_TRUE(IsWholeNumber("0x10"));
    EXPECT_TRUE(IsWholeNumber(" -3"));
    EXPECT_TRUE(IsWholeNumber("0"));
    EXPECT_FALSE(IsWholeNumber("0x"));
    EXPECT_FALSE(IsWholeNumber("12abc"));
    EXPECT_FALSE(IsWholeNumber("12 "));
    EXPECT_FALSE(IsWholeNumber(""));
    EXPECT_FALSE(IsWholeNumber("-"));
    EXPECT_FALSE(IsWholeNumber("  "));
}

// A field takes a decimal only within its range; hexadecimal and octal texts are bit patterns of up to
// 32 bits. Anything larger is out of every range, never wrapped or clamped into it.
TEST(TextNumbers, FieldValuesFitTheirRangeOrAreRefused)
{
    struct Row {
        const char* text;
        std::int32_t minimum;
        std::int32_t maximum;
        std::optional<std::int32_t> value;
    };
    const Row rows[] = {
        {"2147483647", INT32_MIN, INT32_MAX, INT32_MAX},
        {"2147483648", INT32_MIN, INT32_MAX, std::nullopt},
        {"4294967295", INT32_MIN, INT32_MAX, std::nullopt},
        {"-2147483648", INT32_MIN, INT32_MAX, INT32_MIN},
        {"-99999999999", INT32_MIN, INT32_MAX, std::nullopt},
        {"99999999999999999999999", INT32_MIN, INT32_MAX, std::nullopt},
        {"0xFFFFFFFF", INT32_MIN, INT32_MAX, -1},
        {"0x100000000", INT32_MIN, INT32_MAX, std::nullopt},
        {"037777777777", INT32_MIN, INT32_MAX, -1},
        {"0xFFFFFFFF", 0, INT32_MAX, std::nullopt},
        {" +12", 0, INT32_MAX, 12},
        {"-1", 0, INT32_MAX, std::nullopt},
        {"0", 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<WholeNumber> number = ParseWholeNumber(row.text);
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(FieldValueOf(*number, row.minimum, row.maximum), row.value);
    }
    for (const char* notWhole : {"", "12abc", "0x", " ", "1 ", "--1"})
        EXPECT_FALSE(ParseWholeNumber(notWhole).has_value()) << notWhole;
}

TEST(TextNumbers, DigitChecksAndFormatting)
{
    EXPECT_TRUE(IsHexNumber("0x1aF"));
    EXPECT_TRUE(IsHexNumber("0x"));
    EXPECT_TRUE(IsHexNumber("beef"));
    EXPECT_FALSE(IsHexNumber("0x1g"));
    EXPECT_TRUE(IsOctalNumber("0712"));
    EXPECT_FALSE(IsOctalNumber("08"));
    EXPECT_EQ(IntToText(-5), "-5");
    EXPECT_EQ(NumberToText(4294967295u), "4294967295");
    EXPECT_EQ(FormatText("%s=%04x", "k", 255), "k=00ff");
    EXPECT_EQ(FormatText("%s", std::string(5000, 'a').c_str()).size(), 5000u);
}

TEST(TextEditing, ReplaceTrimCaseAndSearch)
{
    EXPECT_EQ(ReplaceText("a.b.c.d", ".", "::", 2), "a::b::c.d");
    EXPECT_EQ(ReplaceText("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceText("abc", "", "x"), "abc");
    EXPECT_EQ(TrimText(" \t a b \r\n", true, true), "a b");
    EXPECT_EQ(TrimText("  a  ", false, true), "  a");
    EXPECT_EQ(TrimText("xxaxx", true, false, "x"), "axx");
    EXPECT_EQ(ToUpperText("ab\xe9z"), "AB\xe9Z");
    EXPECT_EQ(ToLowerText("AB\xc9Z"), "ab\xc9z");
    EXPECT_TRUE(EqualNoCase("Models", "MODELS"));
    EXPECT_TRUE(DifferNoCase("Model", "Models"));
    EXPECT_EQ(FindFirstNotIn("  x", " "), 2);
    EXPECT_EQ(FindFirstNotIn("   ", " "), -1);
    EXPECT_EQ(CommonPrefixLength("abcd", "abxy"), 2u);
    EXPECT_EQ(CommonPrefixLength("abc", "abc"), 3u);
    const char buffer[] = "abc";
    EXPECT_EQ(FindByte(buffer, 'c', 3), buffer + 2);
    EXPECT_EQ(FindByte(buffer, 'c', 2), nullptr);
    EXPECT_EQ(FindByte(nullptr, 'c', 2), nullptr);
    EXPECT_EQ(TextFromPointer(nullptr), "");
    EXPECT_EQ(TakeTextAfterChar("name=value;rest", '=', ";,"), "value");
    EXPECT_EQ(TakeTextAfterChar("novalue", '=', ";"), "");
}

TEST(TextLists, SplitJoinCopyCompare)
{
    TextList list;
    SplitText(list, "a,,b", ',', true);
    EXPECT_EQ(list, (TextList{"a", "", "b"}));
    SplitText(list, ",x", ',', true);
    EXPECT_EQ(list, (TextList{"", "x"}));
    SplitText(list, "", ',', true);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(JoinTextList({"a", "b", "c"}, ", "), "a, b, c");
    TextList target{"z"};
    CopyTextList(target, {"a", "b"}, false);
    EXPECT_EQ(target, (TextList{"z", "a", "b"}));
    CopyTextList(target, target, false);
    EXPECT_EQ(target.size(), 6u);
    EXPECT_TRUE(StringListsEqual({"A", "b"}, {"a", "B"}, true));
    EXPECT_FALSE(StringListsEqual({"A", "b"}, {"a", "B"}, false));
    EXPECT_FALSE(StringListsEqual({"a"}, {"a", "b"}, true));
}

TEST(TextComments, LineAndBlockComments)
{
    EXPECT_EQ(StripCommentsCopy("a=1 ; note\r\nb=2"), "a=1 \r\nb=2");
    EXPECT_EQ(StripCommentsCopy("a=1 // note\r\nb=2 // last"), "a=1 \r\nb=2 ");
    EXPECT_EQ(StripCommentsCopy("a=1 /* x\r\n y */b=2"), "a=1 b=2");
    EXPECT_EQ(StripCommentsCopy("a=1 /* open"), "a=1 ");
    EXPECT_EQ(StripCommentsCopy("/*/ still comment */x"), "x");
    // Without normalising, a line comment in an LF file runs to the end of the text.
    EXPECT_EQ(StripCommentsCopy("a;c\nb=2\n"), "a");
    EXPECT_EQ(StripCommentsCopy(NormaliseLineEnds("a;c\nb=2\n")), "a\r\nb=2\r\n");
    EXPECT_EQ(StripCommentsByLine("a;c\nb=2 //x\r\nc/*\n*/d"), "a\nb=2 \ncd");
    EXPECT_EQ(NormaliseLineEnds("a\r\nb\nc\rd"), "a\r\nb\r\nc\rd");
    EXPECT_EQ(FindCommentStart("ab/c/*", 0), 4u);
    EXPECT_EQ(FindCommentStart("abc", 0), std::string_view::npos);
}

TEST(TextEscapes, UnescapeDecodesQuotedValuesOnly)
{
    EXPECT_EQ(UnescapeText("\"\""), "\"\"");
    EXPECT_EQ(UnescapeText("'a'"), "a");
    EXPECT_EQ(UnescapeText("\"a'"), "\"a'");
    EXPECT_EQ(UnescapeText("plain \\n"), "plain \\n");
    EXPECT_EQ(UnescapeText("\"\\t\\r\\n\\b\\f\\\\\\\"\\'\\q\""), "\t\r\n\b\f\\\"'q");
    EXPECT_EQ(UnescapeText("\"\\x41\\X4a\\x\""), std::string("AJ\0", 3));
    EXPECT_EQ(UnescapeText("\"\\xffffffe9\""), "\xe9");   // low 8 bits of a long escape
    EXPECT_EQ(UnescapeText("\"\\101\\0\""), std::string("A\0", 2));
    EXPECT_EQ(UnescapeText("\"a\\x3bb\""), "a\xbb");       // hex digits run on: "\x3bb" is one escape
    EXPECT_EQ(UnescapeText("\"ab\\\""), "ab\\");           // a trailing backslash stays
}

TEST(TextEscapes, EscapeQuotesOnlyWhatNeedsIt)
{
    EXPECT_EQ(EscapeText("plain value"), "plain value");
    EXPECT_EQ(EscapeText("  leading"), "  leading");
    EXPECT_EQ(EscapeText(""), "");
    EXPECT_EQ(EscapeText("a/b*c"), "a/b*c");
    EXPECT_EQ(EscapeText("trailing "), "\"trailing \"");
    EXPECT_EQ(EscapeText("a;b"), "\"a\\x3b\\x62\""); // the hex digit after an escape is escaped too
    EXPECT_EQ(EscapeText("http://example"), "\"http:\\x2f\\x2f\\x65xample\"");
    EXPECT_EQ(EscapeText("caf\xe9" "a"), "\"caf\\xe9\\x61\"");
    EXPECT_EQ(EscapeText("\"\""), "\"\\\"\\\"\"");
    EXPECT_EQ(EscapeText("a\tb"), "\"a\\tb\"");
}

} // namespace
} // namespace engine
