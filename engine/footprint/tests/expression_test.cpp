#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "engine/footprint/expression.h"

namespace engine {
namespace {

class MapSymbols : public ExpressionSymbols {
public:
    std::map<std::string, uint32_t, std::less<>> values;
    std::optional<uint32_t> Resolve(std::string_view name) const override
    {
        const auto it = values.find(name);
        if (it == values.end())
            return std::nullopt;
        return it->second;
    }
};

struct ExpressionCase {
    const char* label;
    const char* text;
    uint32_t value;
    const char* message; // "" when the expression is valid
};

class ExpressionTest : public ::testing::TestWithParam<ExpressionCase> {
protected:
    MapSymbols symbols = [] {
        MapSymbols s;
        s.values = {{"ONE", 1}, {"ZERO", 0}, {"SEVEN", 7}, {"x10", 1}, {"_u", 3}};
        return s;
    }();
};

TEST_P(ExpressionTest, ValueAndMessage)
{
    const ExpressionCase& c = GetParam();
    const ExpressionResult result = EvaluateExpressionText(c.text, symbols);
    EXPECT_EQ(result.value, c.value);
    EXPECT_EQ(result.Message(), c.message);
    EXPECT_EQ(result.Ok(), std::string(c.message).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ExpressionTest,
    ::testing::Values(
        ExpressionCase{"Empty", "", 0, ""}, ExpressionCase{"Blanks", " \t\r\n ", 0, ""},
        ExpressionCase{"LoneNumberPassesThrough", "2", 2, ""},
        ExpressionCase{"LoneSymbolPassesThrough", "SEVEN", 7, ""},
        ExpressionCase{"AndFoldsToOne", "2 && 3", 1, ""}, ExpressionCase{"OrFoldsToOne", "0 || 5", 1, ""},
        ExpressionCase{"StrictlyLeftToRight", "1 && 0 || 1", 1, ""},
        ExpressionCase{"NoPrecedence", "1 || 0 && 0", 0, ""},
        ExpressionCase{"OrAtTheStartWhenOperatorMissing", "0 SEVEN", 1, ""},
        ExpressionCase{"MissingOperatorReusesTheLast", "1 && 0 1", 0, ""},
        ExpressionCase{"LeadingOperatorIgnoredForFirstOperand", "&& 5", 5, ""},
        ExpressionCase{"TrailingOperator", "5 ||", 5, ""},
        ExpressionCase{"NoBlanksNeeded", "ONE&&ZERO||SEVEN", 1, ""},
        ExpressionCase{"HexPrefixIsNumberThenName", "0x10", 1, ""},
        ExpressionCase{"DigitsThenLettersSplit", "0x10 && ZERO", 0, ""},
        ExpressionCase{"UnderscoreStartsAName", "_u", 3, ""},
        ExpressionCase{"LeadingZerosAreDecimal", "010", 10, ""},
        ExpressionCase{"LargestNumber", "4294967295", 4294967295u, ""},
        ExpressionCase{"OverflowHoldsAtMaximum", "4294967297", 4294967295u, ""},
        ExpressionCase{"HugeNumberHoldsAtMaximum", "99999999999999999999999999999999", 4294967295u, ""},
        ExpressionCase{"InvalidCharacter", "ONE + 2", 1, "Invalid character '+' (0x2b) encountered in expression"},
        ExpressionCase{"InvalidAtStart", "(1)", 0, "Invalid character '(' (0x28) encountered in expression"},
        ExpressionCase{"NegationUnsupported", "!ONE", 0, "Invalid character '!' (0x21) encountered in expression"},
        ExpressionCase{"SinglePipe", "1 | 0", 1, "Invalid character '|' (0x7c) encountered in expression"},
        ExpressionCase{"TriplePipe", "0 ||| 1", 0, "Invalid character '|' (0x7c) encountered in expression"},
        ExpressionCase{"HighByte", "1 \xe9", 1, "Invalid character '\xe9' (0xe9) encountered in expression"},
        ExpressionCase{"DivisionIsNotAnOperator", "8 / 0", 8, "Invalid character '/' (0x2f) encountered in expression"},
        ExpressionCase{"UndefinedSymbol", "ONE && MISSING || 1", 1,
                       "Undefined symbol \"MISSING\" referenced in expression"},
        ExpressionCase{"UndefinedFirst", "nothing", 0, "Undefined symbol \"nothing\" referenced in expression"},
        ExpressionCase{"CaseCounts", "one", 0, "Undefined symbol \"one\" referenced in expression"}),
    [](const ::testing::TestParamInfo<ExpressionCase>& info) { return std::string(info.param.label); });

TEST(Expression, EmbeddedZeroByteIsAnInvalidCharacter)
{
    MapSymbols symbols;
    const ExpressionResult result = EvaluateExpressionText(std::string_view("3 \0 1", 5), symbols);
    EXPECT_EQ(result.value, 3u);
    EXPECT_EQ(result.error, ExpressionError::InvalidCharacter);
    EXPECT_EQ(result.character, 0);
    EXPECT_EQ(result.Message(), std::string("Invalid character '") + '\0' + "' (0x00) encountered in expression");
}

TEST(Expression, VeryLongInputEndsQuickly)
{
    MapSymbols symbols;
    symbols.values["A"] = 1;
    std::string text;
    for (int i = 0; i < 200000; ++i)
        text += "A && 1 || 0 ";
    EXPECT_EQ(EvaluateExpressionText(text, symbols).value, 1u);
    EXPECT_EQ(EvaluateExpressionText(std::string(1000000, '9'), symbols).value, 4294967295u);
    EXPECT_EQ(EvaluateExpressionText(std::string(1000000, '&'), symbols).value, 0u);
}

// An expression generated as tokens, with its value worked out from the tokens alone.
struct Generated {
    std::string text;
    uint32_t value = 0;
    std::string message;
};

class ExpressionGenerator {
public:
    explicit ExpressionGenerator(uint32_t seed) : m_random(seed) {}

    const MapSymbols& Symbols() const { return m_symbols; }

    Generated Next()
    {
        Generated out;
        const int operands = Pick(0, 8);
        const int faultAt = Pick(0, 4) == 0 ? Pick(0, operands) : -1; // the operand replaced by a fault
        bool first = true;
        bool isOr = true;
        out.text += Blanks(false);
        for (int i = 0; i < operands; ++i) {
            if (i > 0) {
                // An operator, or none (the last one is reused); operands always stand apart.
                const int op = Pick(0, 2);
                if (op < 2) {
                    isOr = op == 0;
                    out.text += isOr ? "||" : "&&";
                }
                out.text += Blanks(op == 2);
            }
            if (i == faultAt) {
                AddFault(out);
                return out;
            }
            uint32_t operand = 0;
            out.text += Pick(0, 1) ? Number(operand) : Name(operand);
            out.text += Blanks(false);
            if (first)
                out.value = operand;
            else if (isOr)
                out.value = (out.value || operand) ? 1 : 0;
            else
                out.value = (out.value && operand) ? 1 : 0;
            first = false;
        }
        return out;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    std::string Blanks(bool required)
    {
        static const char kBlanks[] = " \t\r\n\v\f";
        std::string blanks;
        const int count = Pick(required ? 1 : 0, 2);
        for (int i = 0; i < count; ++i)
            blanks += kBlanks[Pick(0, 5)];
        return blanks;
    }

    std::string Number(uint32_t& value)
    {
        switch (Pick(0, 3)) {
        case 0:
            value = static_cast<uint32_t>(Pick(0, 1));
            return std::to_string(value);
        case 1: {
            const uint64_t big = std::uniform_int_distribution<uint64_t>(0, 99999999999ull)(m_random);
            value = big > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(big);
            return std::to_string(big);
        }
        case 2:
            value = static_cast<uint32_t>(Pick(0, 9));
            return std::string(static_cast<std::size_t>(Pick(1, 3)), '0') + std::to_string(value);
        default:
            value = static_cast<uint32_t>(Pick(2, 1000));
            return std::to_string(value);
        }
    }

    std::string Name(uint32_t& value)
    {
        static const char kFirst[] = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
        static const char kRest[] = "_abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
        std::string name(1, kFirst[Pick(0, 52)]);
        const int length = Pick(0, 10);
        for (int i = 0; i < length; ++i)
            name += kRest[Pick(0, 62)];
        auto it = m_symbols.values.find(name);
        if (it == m_symbols.values.end())
            it = m_symbols.values.emplace(name, Pick(0, 2) == 0 ? 0u : static_cast<uint32_t>(Pick(1, 100))).first;
        value = it->second;
        return name;
    }

    void AddFault(Generated& out)
    {
        if (Pick(0, 1) == 0) {
            static const char kBad[] = "+-*/()!|&<>=,.;:'\"#%^~@$?[]{}\\";
            const char bad = kBad[Pick(0, static_cast<int>(sizeof kBad) - 2)];
            // A blank follows, so a lone '|' or '&' never meets its twin.
            out.text += std::string(1, bad) + " 1 || 1";
            char code[8];
            std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned>(static_cast<unsigned char>(bad)));
            out.message = std::string("Invalid character '") + bad + "' (" + code + ") encountered in expression";
        } else {
            const std::string name = "undefined_" + std::to_string(Pick(0, 99));
            out.text += name + " || 1";
            out.message = "Undefined symbol \"" + name + "\" referenced in expression";
        }
    }

    std::mt19937 m_random;
    MapSymbols m_symbols;
};

TEST(Expression, RandomExpressionsMatchAnIndependentFold)
{
    for (uint32_t seed : {1u, 2u, 3u, 20261209u}) {
        ExpressionGenerator generator(seed);
        for (int i = 0; i < 5000; ++i) {
            const Generated expected = generator.Next();
            const ExpressionResult result = EvaluateExpressionText(expected.text, generator.Symbols());
            ASSERT_EQ(result.value, expected.value) << "seed " << seed << " text [" << expected.text << "]";
            ASSERT_EQ(result.Message(), expected.message) << "seed " << seed << " text [" << expected.text << "]";
        }
    }
}

} // namespace
} // namespace engine
