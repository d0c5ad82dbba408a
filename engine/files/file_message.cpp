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

std::string FilledValueProblem(bool keyFound, bool sectionFound, std::string_view value, std::string_view key,
                               std::string_view section, std::string_view range)
{
    std::string text = "the value " + std::string(value) + " of \"" + std::string(key) + "\" in section \"" +
                       std::string(section) + "\" ";
    if (!sectionFound)
        text += "(the section is missing) ";
    else if (!keyFound)
        text += "(the key is missing) ";
    return text + "is outside the range " + std::string(range) + " the model gives";
}

std::string ModelRangeText(std::int64_t minimum, std::int64_t maximum)
{
    return std::to_string(minimum) + " to " + (maximum < minimum ? std::string("any") : std::to_string(maximum));
}

namespace {

// The next line of `text` from `at` (without its line end); false at the end.
bool nextLine(std::string_view text, std::size_t& at, std::string_view& line)
{
    if (at >= text.size())
        return false;
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos)
        end = text.size();
    line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    at = end + 1;
    return true;
}

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string ReadBackDifference(std::string_view written, std::string_view rewritten)
{
    std::size_t atWritten = 0;
    std::size_t atRead = 0;
    std::string section;
    std::string_view meant;
    std::string_view read;
    for (;;) {
        const bool moreWritten = nextLine(written, atWritten, meant);
        const bool moreRead = nextLine(rewritten, atRead, read);
        if (!moreWritten && !moreRead)
            return {};
        if (!moreWritten)
            meant = {};
        if (!moreRead)
            read = {};
        if (moreWritten && moreRead && meant == read) {
            if (meant.size() >= 2 && meant.front() == '[' && meant.back() == ']')
                section = std::string(meant.substr(1, meant.size() - 2));
            continue;
        }
        const std::size_t meantEquals = meant.find('=');
        const std::size_t readEquals = read.find('=');
        const std::string where = section.empty() ? std::string("at the start") : "in section " + quoted(section);
        if (meantEquals != std::string_view::npos && readEquals != std::string_view::npos &&
            meant.substr(0, meantEquals) == read.substr(0, readEquals))
            return "the value " + quoted(meant.substr(meantEquals + 1)) + " of " + quoted(meant.substr(0, meantEquals)) +
                   " " + where + " reads back as " + quoted(read.substr(readEquals + 1));
        if (!moreRead || read.empty())
            return "the line " + quoted(meant) + " " + where + " does not read back";
        if (!moreWritten || meant.empty())
            return "the line " + quoted(read) + " " + where + " is read back but not written";
        return "the line " + quoted(meant) + " " + where + " reads back as " + quoted(read);
    }
}

} // namespace engine
