#pragma once
// Filling and reading the fixed, zero-terminated text fields of the records.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// Copies text into a field of size bytes, cut to size - 1 characters, and zero-fills the rest so that
// two fields holding the same text are equal byte for byte. Returns false when the text was cut.
bool setText(char* field, std::size_t size, std::string_view text);

// True when text fits a field of size bytes with its terminator.
constexpr bool textFits(std::size_t size, std::string_view text) { return text.size() < size; }

// The text held by a field, never reading past its end even when it lacks a terminator.
std::string_view textOf(const char* field, std::size_t size);

template <std::size_t N>
bool setText(char (&field)[N], std::string_view text)
{
    return setText(field, N, text);
}

template <std::size_t N>
constexpr bool textFits(const char (&)[N], std::string_view text)
{
    return textFits(N, text);
}

template <std::size_t N>
std::string_view textOf(const char (&field)[N])
{
    return textOf(field, N);
}

template <std::size_t N>
std::string textString(const char (&field)[N])
{
    return std::string(textOf(field, N));
}

// Compares two fields as texts (up to the terminator or the field's end).
template <std::size_t N>
bool sameText(const char (&a)[N], const char (&b)[N])
{
    return textOf(a, N) == textOf(b, N);
}

}  // namespace engine
