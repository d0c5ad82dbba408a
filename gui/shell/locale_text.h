#pragma once
// Text that other programs write (a utility command's output, the command line they are given) is in the
// locale's encoding, not in the Latin-1 of the project files. A decoder keeps the state of a character
// split between two reads; bytes that do not decode become U+FFFD.

#include <QStringDecoder>

#include <string>

namespace shell {

// A decoder for the locale's character set; UTF-8 when the locale names none Qt knows, or plain ASCII.
QStringDecoder LocaleDecoder();

// One whole text in the locale's encoding.
QString FromLocaleText(const std::string& text);

} // namespace shell
