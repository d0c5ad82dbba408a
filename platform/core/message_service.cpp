#include "message_service.h"

#include <atomic>
#include <cstdio>
#include <iostream>

namespace platform {

std::vector<int> buttonsOfStyle(unsigned style)
{
    switch (style & 0xF) {
    case MbOkCancel: return {IdOk, IdCancel};
    case MbAbortRetryIgnore: return {IdAbort, IdRetry, IdIgnore};
    case MbYesNoCancel: return {IdYes, IdNo, IdCancel};
    case MbYesNo: return {IdYes, IdNo};
    case MbRetryCancel: return {IdRetry, IdCancel};
    default: return {IdOk};
    }
}

int defaultAnswer(unsigned style)
{
    const std::vector<int> buttons = buttonsOfStyle(style);
    const std::size_t index = (style >> 8) & 0xF;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

void writeErrorLine(std::string_view line)
{
    // Standard output is buffered when it goes to a file or a pipe; the C++ stream hands its text to the
    // C one, which is flushed last.
    std::cout.flush();
    std::fflush(stdout);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

int ConsoleMessageService::show(const std::string& text, const std::string& caption, unsigned style)
{
    writeErrorLine(caption + ": " + text);
    return defaultAnswer(style);
}

int ScriptedMessageService::show(const std::string& text, const std::string& caption, unsigned style)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int answer = defaultAnswer(style);
    if (!m_answers.empty()) {
        answer = m_answers.front();
        m_answers.pop_front();
    }
    m_boxes.push_back({text, caption, style, answer});
    return answer;
}

void ScriptedMessageService::queueAnswer(int answer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<ScriptedMessageService::Box> ScriptedMessageService::boxes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_boxes;
}

std::vector<std::string> ScriptedMessageService::texts() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> result;
    for (const Box& box : m_boxes)
        result.push_back(box.text);
    return result;
}

void ScriptedMessageService::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_boxes.clear();
    m_answers.clear();
}

namespace {
ConsoleMessageService g_console;
std::atomic<MessageService*> g_current{&g_console};
} // namespace

MessageService& messageService()
{
    return *g_current.load();
}

MessageService* setMessageService(MessageService* service)
{
    return g_current.exchange(service ? service : &g_console);
}

int messageBox(const std::string& text, const std::string& caption, unsigned style)
{
    return messageService().show(text, caption, style);
}

ScopedScriptedMessages::ScopedScriptedMessages()
    : m_previous(setMessageService(&m_service))
{
}

ScopedScriptedMessages::~ScopedScriptedMessages()
{
    setMessageService(m_previous);
}

} // namespace platform
