#include "engine/files/file_chooser.h"

#include <atomic>

namespace engine {
namespace {

std::atomic<FileChooser*>& installedChooser()
{
    static std::atomic<FileChooser*> chooser{nullptr};
    return chooser;
}

} // namespace

FileKindFilter FileKindFilterOf(int kind)
{
    switch (kind) {
    case FileKindProject: return {"OMBAgen project files", "*.omb", "omb"};
    case FileKindKernel: return {"OMBAgen kernel (CPU) files", "*.cpu", "cpu"};
    case FileKindApplication: return {"OMBAgen application files", "*.app", "app"};
    default: return {"All files", "*", ""};  // names without a dot are files too
    }
}

PresetFileChooser::PresetFileChooser(std::vector<std::string> answers) : m_answers(answers.begin(), answers.end()) {}

std::string PresetFileChooser::Choose(bool open, int kind, const std::string& title)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back(Request{open, kind, title});
    if (m_answers.empty())
        return {};
    std::string answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void PresetFileChooser::QueueAnswer(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers.push_back(path);
}

std::vector<PresetFileChooser::Request> PresetFileChooser::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

FileChooser* SetFileChooser(FileChooser* chooser) { return installedChooser().exchange(chooser); }

std::string BrowseForFile(bool open, int kind, const std::string& title)
{
    FileChooser* chooser = installedChooser().load();
    return chooser ? chooser->Choose(open, kind, title) : std::string();
}

namespace {

thread_local const ChosenFileCheck* t_chosenFileCheck = nullptr;

} // namespace

bool ChosenFileAccepted(const std::string& path)
{
    return t_chosenFileCheck == nullptr || !*t_chosenFileCheck || (*t_chosenFileCheck)(path);
}

ScopedChosenFileCheck::ScopedChosenFileCheck(ChosenFileCheck check)
    : m_check(std::move(check)), m_previous(t_chosenFileCheck)
{
    t_chosenFileCheck = &m_check;
}

ScopedChosenFileCheck::~ScopedChosenFileCheck()
{
    t_chosenFileCheck = m_previous;
}

} // namespace engine
