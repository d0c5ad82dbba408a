#pragma once
// Model files are plain sectioned text or stored enciphered with XTEA under the program's model key: the
// text, ended by a zero byte, in 8-byte blocks of two little-endian words. A file with any byte of 128 or
// more is taken as enciphered (plain model text is 7-bit).

#include <string>
#include <string_view>

namespace engine {

bool IsEncipheredModel(std::string_view bytes);

// The text held by an enciphered model file: the deciphered bytes up to the first zero byte (or all of
// them when none is zero). A trailing part block is deciphered as if padded with zero bytes.
std::string DecipherModelText(std::string_view bytes);

// The enciphered form of a model text, which DecipherModelText turns back into the text. The text must not
// hold a zero byte (it would end the text there). The padding after the terminating zero is chosen so that
// the result holds a byte of 128 or more and is recognised as enciphered.
std::string EncipherModelText(std::string_view text);

// The text of a model file as stored (plain or enciphered), ready for parsing: deciphered when needed,
// every line end made CR LF and the comments removed.
std::string PrepareModelText(std::string_view bytes);

} // namespace engine
