#pragma once
// The one way engine and console code report to the user in a message box: a fixed text, a caption and
// a set of buttons. The GUI shows a real box, the console prints "caption: text" to stderr, tests script
// the answers. Style words and answers use the classic message-box numbering so callers can state the
// buttons and icon exactly as the system's messages are defined.

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Buttons (low nibble), icon (second nibble), default button (third nibble).
enum MessageStyle : unsigned {
    MbOk = 0x0,
    MbOkCancel = 0x1,
    MbAbortRetryIgnore = 0x2,
    MbYesNoCancel = 0x3,
    MbYesNo = 0x4,
    MbRetryCancel = 0x5,
    MbIconError = 0x10,
    MbIconQuestion = 0x20,
    MbIconWarning = 0x30,
    MbIconInformation = 0x40,
    MbDefButton1 = 0x000,
    MbDefButton2 = 0x100,
    MbDefButton3 = 0x200,
};

enum MessageAnswer : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// The answers a style offers, in button order.
std::vector<int> buttonsOfStyle(unsigned style);
// The answer of the default button of a style (the first button unless a later one is named).
int defaultAnswer(unsigned style);

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows one box and returns the answer (an IdXxx value). Never throws.
    virtual int show(const std::string& text, const std::string& caption, unsigned style) = 0;
};

// Writes `line` and a line end to standard error once everything written to standard output so far is
// out, so a log that takes both streams (a file, a pipe or a terminal) has every line in the order it
// was written.
void writeErrorLine(std::string_view line);

// Writes "caption: text" to stderr (through writeErrorLine) and answers with the default button; never waits.
class ConsoleMessageService : public MessageService {
public:
    int show(const std::string& text, const std::string& caption, unsigned style) override;
};

// Records every box and answers from a queue (the default button once the queue is empty). Thread-safe.
class ScriptedMessageService : public MessageService {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned style = 0;
        int answer = 0;
    };
    int show(const std::string& text, const std::string& caption, unsigned style) override;
    void queueAnswer(int answer);
    std::vector<Box> boxes() const;
    std::vector<std::string> texts() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::deque<int> m_answers;
    std::vector<Box> m_boxes;
};

// The service in use; the console one until a program or test installs another.
MessageService& messageService();
// Installs a service (not owned; null restores the console one). Returns the previous one.
MessageService* setMessageService(MessageService* service);

// Shows a box through the service in use.
int messageBox(const std::string& text, const std::string& caption, unsigned style = MbOk);

// Installs a scripted service for the lifetime of the object, restoring the previous one after.
class ScopedScriptedMessages {
public:
    ScopedScriptedMessages();
    ~ScopedScriptedMessages();
    ScopedScriptedMessages(const ScopedScriptedMessages&) = delete;
    ScopedScriptedMessages& operator=(const ScopedScriptedMessages&) = delete;
    ScriptedMessageService& service() { return m_service; }
    ScriptedMessageService* operator->() { return &m_service; }

private:
    ScriptedMessageService m_service;
    MessageService* m_previous;
};

} // namespace platform
