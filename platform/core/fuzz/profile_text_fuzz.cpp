// Feeds arbitrary bytes to the profile file reader and checks that what it keeps formats and reads back
// unchanged.
#include "platform/core/profile_store.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto sections = platform::parseProfileText(text);
    const auto formatted = platform::formatProfileText(sections);
    if (formatted && platform::formatProfileText(platform::parseProfileText(*formatted)) != formatted)
        std::abort();
    return 0;
}
