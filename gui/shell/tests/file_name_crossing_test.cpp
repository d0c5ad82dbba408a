// File names cross between Qt and the system only through the file-name conversion (platform/qt/locale_text.h):
// a path handed to the Latin-1 text conversion names another file once a folder is called "café" or
// "Документы". This looks through the sources of the desktop program and the plug-in for such a crossing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

std::string sourceDir()
{
    const char* dir = std::getenv("KORVANE_SOURCE_DIR");
    return dir ? dir : KORVANE_SOURCE_DIR_FALLBACK;
}

// Every call of the text conversion whose argument speaks of a path, a file, a folder or a directory, as
// "file:line: the line".
std::vector<std::string> textConversionsOfPaths(const std::filesystem::path& root)
{
    static const std::regex call(R"((toQString|toStdString)\s*\(([^;]*))");
    // "files" in the plural names a count or a filter's title, not one file.
    static const std::regex pathWord(R"(path|file(?!s\b)|folder|dir)", std::regex::icase);
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::filesystem::path& file = entry.path();
        const std::string name = file.string();
        if (!entry.is_regular_file() || (file.extension() != ".cpp" && file.extension() != ".h") ||
            name.find("/tests/") != std::string::npos || file.filename() == "locale_text.h")
            continue;
        std::ifstream in(file);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::smatch match;
            if (std::regex_search(line, match, call) && std::regex_search(match[2].str(), pathWord))
                found.push_back(name + ":" + std::to_string(number) + ": " + line);
        }
    }
    return found;
}

TEST(FileNameCrossing, NoPathGoesThroughTheTextConversionInEitherProgram)
{
    for (const char* folder : {"gui", "platform", "plugin"}) {
        const std::filesystem::path root = std::filesystem::path(sourceDir()) / folder;
        ASSERT_TRUE(std::filesystem::is_directory(root)) << root;
        for (const std::string& crossing : textConversionsOfPaths(root))
            ADD_FAILURE() << crossing;
    }
}

} // namespace
