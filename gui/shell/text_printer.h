#pragma once
// Printing plain text on a printer chosen in the print dialog: a fixed-pitch 10-point font, as many lines
// a page as fit. Installed as the engine's text printer by the program.

#include <QStringList>

#include <string>

class QPrinter;

namespace shell {

// Lines of a page for a page height and line height (at least 1).
int LinesPerPage(int pageHeight, int lineHeight);
// A line with its tabs turned into blanks up to the next stop every eight columns, as a report's columns
// are laid out (the painter's own tab stops are 80 device pixels, a sliver at a printer's resolution).
QString ExpandTabs(const QString& line);
// A line cut into pieces of at most the given number of columns (one empty piece for an empty line), so
// nothing beyond the page's right edge is lost.
QStringList WrapLine(const QString& line, int columns);
// Prints the text on a printer that is set up already; false when painting could not start.
bool PrintTextOn(QPrinter& printer, const std::string& text);
// Prints as PrintTextOn does; a printer that cannot be started is reported in a message box.
bool PrintTextOrSay(QPrinter& printer, const std::string& text);
// Asks with the print dialog, then prints; false when cancelled or failed. With no printer installed, or
// one that cannot be started, a message box says the report was not printed.
bool PrintTextWithDialog(const std::string& text, const std::string& documentName);
void InstallTextPrinter();

} // namespace shell
