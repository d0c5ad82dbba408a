#pragma once
// The small condition and count language of the model's structure tables: decimal numbers and names
// joined by "||" and "&&", folded strictly left to right. There is no precedence, no parenthesis and no
// negation; the first operand passes through unchanged, every later one folds the result to 0 or 1.
// Evaluation is a single loop over the text, so no input can recurse or run away.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

// Where the names of an expression get their values.
class ExpressionSymbols {
public:
    virtual ~ExpressionSymbols() = default;
    // The value of a name, or nothing when the name is defined nowhere.
    virtual std::optional<uint32_t> Resolve(std::string_view name) const = 0;
};

enum class ExpressionError {
    None,
    InvalidCharacter, // a character that starts neither an operator nor a name nor a number
    UndefinedSymbol,  // a name that the symbols do not know
};

struct ExpressionResult {
    // The value; on an error, the value folded so far.
    uint32_t value = 0;
    ExpressionError error = ExpressionError::None;
    unsigned char character = 0; // the offending character of InvalidCharacter
    std::string symbol;          // the unknown name of UndefinedSymbol

    bool Ok() const { return error == ExpressionError::None; }
    // The message the user sees for the error ("" when there is none).
    std::string Message() const;
};

// Characters that may form a name or a number.
bool IsExpressionNameChar(char c);

// Evaluates an expression. A decimal number too large for 32 bits counts as 4294967295.
ExpressionResult EvaluateExpressionText(std::string_view text, const ExpressionSymbols& symbols);

} // namespace engine
