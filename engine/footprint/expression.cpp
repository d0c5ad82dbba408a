#include "engine/footprint/expression.h"

#include <cstdio>

namespace engine {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Decimal value of a run of digits, held at 2^32 - 1 when it does not fit.
uint32_t DecimalValue(std::string_view digits)
{
    uint64_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > UINT32_MAX)
            return UINT32_MAX;
    }
    return static_cast<uint32_t>(value);
}

enum class Operator { Or, And };

} // namespace

bool IsExpressionNameChar(char c)
{
    return c == '_' || IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string ExpressionResult::Message() const
{
    switch (error) {
    case ExpressionError::InvalidCharacter: {
        char code[8];
        std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned>(character));
        return std::string("Invalid character '") + static_cast<char>(character) + "' (" + code +
               ") encountered in expression";
    }
    case ExpressionError::UndefinedSymbol:
        return "Undefined symbol \"" + symbol + "\" referenced in expression";
    case ExpressionError::None:
        break;
    }
    return {};
}

ExpressionResult EvaluateExpressionText(std::string_view text, const ExpressionSymbols& symbols)
{
    ExpressionResult result;
    std::string_view rest = Trimmed(text);
    bool firstOperand = true;
    Operator op = Operator::Or;

    while (!rest.empty()) {
        if (rest.substr(0, 2) == "||" || rest.substr(0, 2) == "&&") {
            op = rest[0] == '|' ? Operator::Or : Operator::And;
            rest.remove_prefix(2);
        } else {
            size_t length = 0;
            while (length < rest.size() && IsExpressionNameChar(rest[length]))
                ++length;
            if (length == 0) {
                result.error = ExpressionError::InvalidCharacter;
                result.character = static_cast<unsigned char>(rest.front());
                return result;
            }
            uint32_t operand = 0;
            if (IsDigit(rest.front())) {
                // Only the digits form the number; letters after them start the next name.
                length = 0;
                while (length < rest.size() && IsDigit(rest[length]))
                    ++length;
                operand = DecimalValue(rest.substr(0, length));
            } else {
                const std::string_view name = rest.substr(0, length);
                const std::optional<uint32_t> value = symbols.Resolve(name);
                if (!value) {
                    result.error = ExpressionError::UndefinedSymbol;
                    result.symbol = std::string(name);
                    return result;
                }
                operand = *value;
            }
            rest.remove_prefix(length);
            if (firstOperand) {
                result.value = operand;
                firstOperand = false;
            } else if (op == Operator::Or) {
                result.value = (result.value != 0 || operand != 0) ? 1 : 0;
            } else {
                result.value = (result.value != 0 && operand != 0) ? 1 : 0;
            }
        }
        while (!rest.empty() && IsBlank(rest.front()))
            rest.remove_prefix(1);
    }
    return result;
}

} // namespace engine
