#include "engine/util/program_title.h"

#include <mutex>

namespace engine {
namespace {

std::mutex& titleMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::string& titleText()
{
    static std::string title = "OMBAgen";
    return title;
}

} // namespace

std::string ProgramTitle()
{
    std::lock_guard<std::mutex> lock(titleMutex());
    return titleText();
}

void SetProgramTitle(const std::string& title)
{
    std::lock_guard<std::mutex> lock(titleMutex());
    titleText() = title;
}

} // namespace engine
