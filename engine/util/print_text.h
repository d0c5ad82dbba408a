#pragma once
// Printing of plain text (reports). The GUI installs a printer that asks with a print dialog; the default
// one hands a temporary file with the text to the print command (OMBAGEN_PRINT_COMMAND, or "lp" when that
// is unset), run without a shell.

#include <functional>
#include <string>

namespace engine {

// Prints `text` as one document named `documentName`; returns false when cancelled or failed.
using TextPrinter = std::function<bool(const std::string& text, const std::string& documentName)>;

// Installs a printer (an empty one restores the default) and returns the previous one.
TextPrinter SetTextPrinter(TextPrinter printer);

// Prints the text as one document named with the program's title.
bool PrintText(const std::string& text);

// Reads the whole file and prints it. A file that cannot be opened shows "Unable to open file '%s'" and
// prints nothing; a file that cannot be read whole prints nothing.
bool ShowReportFile(const std::string& path);

} // namespace engine
