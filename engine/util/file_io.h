#pragma once
// Whole-file reading and the replace-through-a-temporary-file writing that every saver uses.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

#include "engine/util/save_lock.h"

namespace engine {

enum class ReadResult {
    Ok,
    OpenFailed, // the file does not exist or cannot be opened for reading
    ReadFailed, // it opened but could not be read whole (a folder, an I/O error, a short read)
    NoMemory,   // it is larger than kMaxReadSize or no buffer of its size could be had
    NotRegular, // it is a folder, a named pipe, a device or a socket, which is never opened to be read
};

// The largest file ReadWholeFile takes into memory: every file the programs read is text far below it.
constexpr unsigned long long kMaxReadSize = 1ull << 30;

// Reads the whole file at `path` (used as given; callers apply MakeNativePath) into `bytes`.
// `bytes` is left untouched unless the result is Ok. Only a regular file is read: anything else is
// refused by what it is before it is opened.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes);
// Whether ReadWholeFile could start on `path`: NotRegular, OpenFailed or Ok, without reading.
ReadResult CheckReadableFile(const std::string& path);

// Why a read of `path` gave `result` (not Ok), to follow a message's colon: "it cannot be opened", "it
// cannot be read", "it is larger than 1073741824 bytes", "there is not enough memory to read it", or
// what the path is instead of a regular file ("it is a folder", "it is a named pipe", "it is a device",
// "it is not a regular file").
std::string ReadFailureReason(ReadResult result, const std::string& path);

// Writes `bytes` to `path`, creating or truncating it. False on any failure.
bool WriteWholeFile(const std::string& path, std::string_view bytes);

// The file a save of `path` replaces: the file a symbolic link (or a chain of them) points to, so the
// link stays and its target gets the change; `path` itself when it is no link. A chain longer than
// the system allows gives `path` (the save then fails on it).
std::string SaveTargetOf(const std::string& path);

// The step at which ReplaceFileContents failed.
enum class ReplaceFailure {
    None,
    ReadOnly,        // the file exists and the user may not write it
    NotRegular,      // a folder, pipe or device stands at the file's name
    Locked,          // another save of the same folder went on for longer than a save waits
    CreateTemporary, // the temporary file could not be created
    WriteTemporary,  // it could not be written, flushed or closed
    Rename,          // it could not be renamed over the target (or, in a commit, the old file kept aside)
};

// Replaces `path` by `bytes` safely. A symbolic link is followed (SaveTargetOf) and its target replaced.
// A file the user may not write, or anything but a regular file, is refused. Otherwise the folder's save
// lock is taken (SaveLocks) and a temporary file is created beside the target under a new name no other
// file has (it is never a file that was there before: nothing but the target and the save's own
// temporaries is ever removed or replaced), written, given the old file's permissions and flushed,
// renamed over the target, and the folder is flushed, so a power cut leaves the old or the new file whole.
// On failure the old file and its mode are untouched, the temporary file is removed, LastReplaceOutcome
// says which step failed and why, and false is returned.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// A save of several files as one. While a FileCommit is open on this thread, ReplaceFileContents writes,
// flushes and checks each file's temporary as it would, but renames nothing: Commit then renames every
// temporary into place, in the order the files were written. The folders written into stay locked until
// the commit ends. A commit that is not made (a file refused, the commit destroyed first) removes every
// temporary, and a commit whose rename fails midway puts back the files it had already replaced: either
// way each file stays as it was, byte for byte.
class FileCommit {
public:
    FileCommit();
    ~FileCommit();
    FileCommit(const FileCommit&) = delete;
    FileCommit& operator=(const FileCommit&) = delete;

    // Puts every held temporary in place of its file; false when that failed (LastReplaceOutcome tells
    // which file and why; every file then holds what it held before).
    bool Commit();
    // The file whose replacing failed in Commit ("" when none).
    const std::string& failedFile() const { return m_failed; }
    // True from the second time a file of the commit finds its folder held by another save.
    bool heldSaidBefore() { return m_heldFailures++ > 0; }

    // A file's temporary: unnamed (`temporary` "") while `fd` is open on it, or not yet written (`inMemory`,
    // its bytes kept) where no unnamed file could be had; named and closed once the commit names it.
    struct Held {
        std::string target;
        std::string temporary;
        int fd = -1;
        std::string bytes;
        bool keepMode = false; // the new file takes `mode`, the old file's permissions
        mode_t mode = 0;
        bool inMemory = false;
    };
    // The temporary held for `target`, or null.
    Held* find(const std::string& target);
    void hold(Held held);
    void drop(const std::string& target);
    // Closes and removes the temporary.
    void forget(Held& held);
    // Gives every held temporary a name (writing those kept in memory), holding the signals from then on
    // until the commit ends; false when one could not be named.
    bool nameHeld();
    // Removes the files a killed save of `target` left beside it (never a file the commit writes).
    void removeLeftTemporaries(const std::string& target);
    // Locks the folder of `target` for as long as the commit lives; false when another save kept it.
    bool lockFolderOf(const std::string& target);
    // Locks the folders of every file the commit will write before the first is written, within one wait;
    // false when another save kept one all that time. Once they are locked, the files killed saves of
    // `targets` left beside them are removed.
    bool lockFoldersOf(const std::vector<std::string>& targets);

private:
    std::vector<Held> m_held;
    FileCommit* m_previous;
    std::string m_failed;
    int m_heldFailures = 0;
    SaveLocks m_locks;
    bool m_signalsHeld = false;
    // The files the commit writes, and the names of possible leftovers found in each folder.
    std::vector<std::string> m_targets;
    std::map<std::string, std::vector<std::string>> m_scanned;
};

// A test's view of the steps of a save (a temporary written, a name given, a file put in place, an old
// version taken away): the hook is called after each, on the saving thread. Null removes it.
void SetSaveStepHook(void (*hook)());

// How the last ReplaceFileContents call (or commit) of this thread ended (step None after a success), for a
// caller that reports the failure of a whole save itself; Forget clears it before such a save. `path` is
// the path the save was given, `temporary` the temporary file the failed step used ("" when none).
struct ReplaceOutcome {
    ReplaceFailure step = ReplaceFailure::None;
    int systemError = 0;
    std::string path;
    std::string temporary;
    // A folder held by another save, met again by a save that has already said so: nothing more to say.
    bool saidBefore = false;
};
const ReplaceOutcome& LastReplaceOutcome();
void ForgetLastReplaceOutcome();

// Why a replace failed, in words for the user that name the user's file, not the temporary: "the file is
// read-only", "the disk is full", "it is a folder", "its folder ... does not allow new files (Permission
// denied)", "the project is being saved by another program ..." (empty when it did not fail).
std::string ReplaceFailureReason(const ReplaceOutcome& outcome);

// The text that tells the user why replacing the file the user knows as `path` failed, with the reason:
// "Unable to delete old version of file %s: ..." for a file the user may not write, "Unable to rename
// file %s to %s: ..." for the rename, `openFailure` (a pattern whose "%s" takes `path`) when the file could
// not be opened for writing (its temporary not created, a folder at its name) and `writeFailure` (likewise)
// when it could not be written or another save held it. Empty when it did not fail, or when another save
// held a folder the same save had already said was held.
std::string ReplaceFailureText(const ReplaceOutcome& outcome, const std::string& path, std::string_view openFailure,
                               std::string_view writeFailure);

} // namespace engine
