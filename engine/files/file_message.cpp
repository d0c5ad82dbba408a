#include "engine/files/file_message.h"

#include <algorithm>

#include "engine/sectioned/sectioned_file.h"
#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

namespace engine {

void ShowFileMessage(const std::string& text)
{
    // An empty text is a failure already said.
    if (!text.empty())
        platform::messageBox(text, ProgramTitle(), platform::MbOk);
}

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

std::string ModulusProblem(std::int64_t value, std::string_view key, std::string_view section, std::int64_t modulus)
{
    return "the value " + std::to_string(value) + " of \"" + std::string(key) + "\" in section \"" +
           std::string(section) + "\" is not a multiple of " + std::to_string(modulus) + ", the model's stack modulus";
}

std::string FilledMaskProblem(bool keyFound, std::string_view value, std::string_view key, std::string_view section,
                              std::int32_t mask)
{
    return "the value " + std::string(value) + " of \"" + std::string(key) + "\" in section \"" + std::string(section) +
           "\" " + (keyFound ? "" : "(the key is missing) ") + "is not a non-zero part of the mask " +
           std::to_string(mask) + " the model gives";
}

std::string ModelRangeText(std::int64_t minimum, std::int64_t maximum)
{
    return std::to_string(minimum) + " to " + (maximum < minimum ? std::string("any") : std::to_string(maximum));
}

namespace {

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

} // namespace

std::string ReadBackDifference(std::string_view written, std::string_view rewritten)
{
    // Both texts parsed as the readers parse them, so values are compared and shown as the records hold them.
    SectionedFile meant;
    SectionedFile read;
    meant.ParseSectionedText(written, true);
    read.ParseSectionedText(rewritten, true);
    const std::size_t sections = std::max(meant.GetSectionCount(), read.GetSectionCount());
    for (std::size_t s = 0; s < sections; ++s) {
        if (s >= read.GetSectionCount())
            return "the section " + quoted(meant.GetSection(s)->GetName()) + " does not read back";
        if (s >= meant.GetSectionCount())
            return "the section " + quoted(read.GetSection(s)->GetName()) + " is read back but not written";
        const SectionedFileSection& a = *meant.GetSection(s);
        const SectionedFileSection& b = *read.GetSection(s);
        if (a.GetName() != b.GetName())
            return "the section " + quoted(a.GetName()) + " reads back as the section " + quoted(b.GetName());
        const std::string where = " in section " + quoted(a.GetName());
        const std::size_t entries = std::max(a.GetEntryCount(), b.GetEntryCount());
        for (std::size_t e = 0; e < entries; ++e) {
            if (e >= b.GetEntryCount())
                return "the key " + quoted(a.GetEntry(e)->GetName()) + where + " does not read back";
            if (e >= a.GetEntryCount())
                return "the key " + quoted(b.GetEntry(e)->GetName()) + where + " is read back but not written";
            const SectionedFileEntry& x = *a.GetEntry(e);
            const SectionedFileEntry& y = *b.GetEntry(e);
            if (x.GetName() != y.GetName())
                return "the key " + quoted(x.GetName()) + where + " reads back as the key " + quoted(y.GetName());
            if (x.GetValue() != y.GetValue())
                return "the value " + quoted(x.GetValue()) + " of " + quoted(x.GetName()) + where + " reads back as " +
                       quoted(y.GetValue());
        }
    }
    return {};
}

} // namespace engine
