#pragma once
// Choosing a file to open or to save through whatever chooser the program installs: the GUI's file
// dialog, or a non-interactive chooser that answers with names given in advance (console and tests).
// With no chooser installed every request is answered with "" (Cancel).

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

// The kinds of file the choosers offer.
enum FileKind : int {
    FileKindAny = 0,
    FileKindProject = 1,
    FileKindKernel = 2,
    FileKindApplication = 3,
};

// The filter a chooser shows for a kind: its name, pattern and default extension ("" for any file).
struct FileKindFilter {
    const char* name;
    const char* pattern;
    const char* defaultExtension;
};
FileKindFilter FileKindFilterOf(int kind);

class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen full path, or "" when the user cancels. `open` is set to open an existing file and
    // clear to name a file to save; `title` may be empty (the chooser's own title is then used).
    virtual std::string Choose(bool open, int kind, const std::string& title) = 0;
};

// Answers from a queue of names given in advance ("" once the queue is empty) and records every request.
class PresetFileChooser : public FileChooser {
public:
    struct Request {
        bool open = false;
        int kind = 0;
        std::string title;
    };
    PresetFileChooser() = default;
    explicit PresetFileChooser(std::vector<std::string> answers);
    std::string Choose(bool open, int kind, const std::string& title) override;
    void QueueAnswer(const std::string& path);
    std::vector<Request> Requests() const;

private:
    mutable std::mutex m_mutex;
    std::deque<std::string> m_answers;
    std::vector<Request> m_requests;
};

// Installs a chooser (not owned; null removes it) and returns the previous one.
FileChooser* SetFileChooser(FileChooser* chooser);

// Asks the installed chooser; "" when none is installed or the user cancels.
std::string BrowseForFile(bool open, int kind, const std::string& title = {});

// A check of a file chosen to be written, which a chooser runs before it asks whether to replace the file:
// false (after the check's own message) sends the user back to choose another.
using ChosenFileCheck = std::function<bool(const std::string& path)>;

// Whether the check in force on this thread takes the path (true when none is in force).
bool ChosenFileAccepted(const std::string& path);

// Puts a check in force on this thread for the lifetime of the object.
class ScopedChosenFileCheck {
public:
    explicit ScopedChosenFileCheck(ChosenFileCheck check);
    ~ScopedChosenFileCheck();
    ScopedChosenFileCheck(const ScopedChosenFileCheck&) = delete;
    ScopedChosenFileCheck& operator=(const ScopedChosenFileCheck&) = delete;

private:
    ChosenFileCheck m_check;
    const ChosenFileCheck* m_previous;
};

// Installs a chooser for the lifetime of the object and restores the previous one afterwards.
class ScopedFileChooser {
public:
    explicit ScopedFileChooser(FileChooser* chooser) : m_previous(SetFileChooser(chooser)) {}
    ~ScopedFileChooser() { SetFileChooser(m_previous); }
    ScopedFileChooser(const ScopedFileChooser&) = delete;
    ScopedFileChooser& operator=(const ScopedFileChooser&) = delete;

private:
    FileChooser* m_previous;
};

} // namespace engine
