#pragma once
// Whole-file reading and the replace-through-a-temporary-file writing that every saver uses.

#include <string>
#include <string_view>

namespace engine {

enum class ReadResult {
    Ok,
    OpenFailed, // the file does not exist or cannot be opened for reading
    ReadFailed, // it opened but could not be read whole (a folder, an I/O error, a short read)
    NoMemory,   // it is larger than kMaxReadSize or no buffer of its size could be had
};

// The largest file ReadWholeFile takes into memory: every file the programs read is text far below it.
constexpr unsigned long long kMaxReadSize = 1ull << 30;

// Reads the whole file at `path` (used as given; callers apply MakeNativePath) into `bytes`.
// `bytes` is left untouched unless the result is Ok.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);

// Writes `bytes` to `path`, creating or truncating it. False on any failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// The temporary file a save writes before it replaces `path`: the path with "temp" appended, in the same
// folder, so the final rename never crosses a file system.
std::string TemporaryPathFor(const std::string& path);

// The step at which ReplaceFileContents failed.
enum class ReplaceFailure {
    None,
    CreateTemporary, // the temporary file could not be created
    WriteTemporary,  // it could not be written, flushed or closed
    Rename,          // it could not be renamed over the target
};

// Replaces `path` by `bytes` safely: writes and flushes the temporary file, then renames it over `path`.
// On failure the old file is untouched, the temporary file is removed, `failure` (when given) names the
// step, and false is returned.
bool ReplaceFileContents(const std::string& path, std::string_view bytes, ReplaceFailure* failure = nullptr);

} // namespace engine
