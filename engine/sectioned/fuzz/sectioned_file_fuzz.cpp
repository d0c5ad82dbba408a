// Feeds arbitrary bytes to the sectioned-file parser in both case modes. When every name of the result
// can be written, writing and reading again must give the same file.
#include "engine/sectioned/sectioned_file.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    for (bool caseSensitive : {false, true}) {
        engine::SectionedFile file("", caseSensitive);
        file.ParseSectionedText(input);
        if (!file.FindUnwritableName().empty())
            continue;
        const std::string written = file.ToText();
        engine::SectionedFile again("", caseSensitive);
        again.ParseSectionedText(written);
        if (again.ToText() != written)
            std::abort();
    }
    return 0;
}
