#pragma once
// Data logging: one log file for the whole plug-in, to which any object window appends the contents of
// its list. Logging is on while a path is set. Each export opens the file for appending, writes one block
// and closes it:
//   ***<window title>***
//   <column title>,<column title>,
//   <cell>,<cell>,
//   (an empty line)
// Lines end with a line feed.

#include <string>
#include <vector>

namespace views {

// Opens the path for appending; false (the previous path kept) when that fails, else the path is kept.
bool SetLogFile(const std::string& path);
void ClearLogFile();
std::string GetLogFilePath();
bool IsLogInitialized();

struct LogTable {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows; // cells beyond the header count are not written
};

// The text of one block.
std::string FormatLogBlock(const std::string& title, const LogTable& table);
// Appends one block to the log file. Logging off: "Log not initialized."; a file that cannot be opened:
// "Error opening log file." (both in a message box, nothing written); a write that fails (a full disk)
// "Error writing log file <path>: <reason>.", told once until a write succeeds or the path is set
// again. True when the block was written.
bool ExportTableToLog(const LogTable& table, const std::string& title);

inline constexpr const char* kAwarenessCaption = "Korvane Kernel Awareness";

} // namespace views
