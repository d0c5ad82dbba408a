#pragma once
// Writing one output file whole: the text goes to a temporary file in the target folder (created when
// missing), which then replaces the old file, so a failed write never leaves a half-written file.

#include <string>

namespace codegen {

// Writes text to path; on failure returns false with a reason that names the file.
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);

// A stored path with '\' turned into '/'; "" stays "" (the current folder).
std::string nativePath(const std::string& stored);

// path joined with a file name ("" or "." give the name alone).
std::string joinPath(const std::string& folder, const std::string& name);

} // namespace codegen
