#include "engine/project/file_messages.h"

#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

namespace engine {

std::string formatMessage(std::string_view pattern, std::initializer_list<std::string_view> arguments)
{
    std::string out;
    out.reserve(pattern.size() + 64);
    auto next = arguments.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && next != arguments.end()) {
            out.append(*next++);
            ++i;
        } else {
            out.push_back(pattern[i]);
        }
    }
    return out;
}

void showFileError(const std::string& text)
{
    // An empty text is a failure already said.
    if (!text.empty())
        platform::messageBox(text, ProgramTitle(), platform::MbOk | platform::MbIconError);
}

void showSaveError(const std::string& text)
{
    platform::messageBox(text, "File I/O Error", platform::MbOk | platform::MbIconError);
}

void showWarning(const std::string& text)
{
    platform::messageBox(text, "Warning", platform::MbOk | platform::MbIconWarning);
}

}  // namespace engine
