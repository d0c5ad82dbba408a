#pragma once
// Path, folder, environment and time helpers of both generator programs.
//
// Paths in stored files may use '\' (paths written on Windows) or '/'. MakeNativePath turns every '\' into
// '/'; every reader and writer applies it before opening a file.

#include <string>
#include <string_view>

namespace engine {

// A copy of the path with every '\' replaced by '/'.
std::string MakeNativePath(std::string_view path);
// The same, in place.
void ToNativeSeparators(std::string& path);

// The current local year, e.g. 2026.
int CurrentYear();
// The local time as "MM/DD/YYYY hh:mm:ss".
std::string DateTimeText();

// True when the file (after MakeNativePath) exists.
bool FileExists(std::string_view path);
// The absolute form of a path, relative to the current folder, with "." folded and each ".." taken to the
// parent of the folder the system reaches before it (links resolved), so it names the file the system
// names; "" on failure.
std::string ResolvePath(std::string_view path);
inline std::string ResolvePathText(std::string_view path) { return ResolvePath(path); }

// The folder of the running program (no trailing '/').
std::string ProgramDirectory();
// The text before the last separator ('/' or '\'); "/" for a file in the root; "." when there is none.
std::string DirectoryOfPath(std::string_view path);
// The text after the last separator, or the whole path.
std::string FileNameOfPath(std::string_view path);

std::string GetCurrentDirectoryText();
// Changes the current folder; true on success.
bool SetCurrentDirectoryText(std::string_view path);

// The value of an environment variable; "" when unset or longer than 1023 characters.
std::string GetEnvironmentText(const char* name);

// Which shell family the programs assume when they build command lines: always the one whose shell is
// "cmd" (IsWindowsNt true, IsWindows9x false).
inline bool IsWindowsNt() { return true; }
inline bool IsWindows9x() { return false; }

// A temporary file name in `folder` (the system's temporary folder when empty) starting with the first
// three characters of `prefix`. With number 0 a unique name is made by creating the file, which is then
// deleted so that only the name is returned; otherwise the name is made from the number ("%X.TMP") and no
// file is touched. "" on failure.
std::string MakeTempFileName(std::string_view folder, std::string_view prefix, unsigned number);

// Makes a folder current for the lifetime of the object and restores the previous one afterwards.
class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(std::string_view directory);
    ~CurrentDirectoryGuard();
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;
    // False when the folder could not be made current (the old one then stays current).
    bool changed() const { return m_changed; }

private:
    std::string m_previous;
    bool m_changed = false;
};

} // namespace engine
