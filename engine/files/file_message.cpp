#include "engine/files/file_message.h"

#include "engine/sectioned/sectioned_file.h"
#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

namespace engine {

void ShowFileMessage(const std::string& text) { platform::messageBox(text, ProgramTitle(), platform::MbOk); }

void ShowLoadProblem(std::string_view kind, std::string_view path, std::string_view problem)
{
    std::string text = "Unable to load ";
    text.append(kind).append(" file ").append(path).append(": ").append(problem);
    platform::messageBox(text, ProgramTitle(), platform::MbOk | platform::MbIconError);
}

bool CheckParsedFile(const SectionedFile& file, std::string_view kind, std::string_view path)
{
    std::string problem = file.FindReadProblem();
    // A file read by letter case (the kernel file) refuses a name repeated in another letter case, as the
    // files read without regard to case refuse a repeat.
    if (problem.empty() && file.IsCaseSensitive())
        problem = file.FindNameCollision();
    if (problem.empty())
        return true;
    ShowLoadProblem(kind, path, problem);
    return false;
}

std::string QuietReadProblem(const std::function<bool()>& read)
{
    platform::ScopedScriptedMessages quiet;
    if (read())
        return {};
    const std::vector<std::string> texts = quiet->texts();
    return texts.empty() ? std::string("it was refused") : texts.front();
}

} // namespace engine
