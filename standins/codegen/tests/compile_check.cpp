#include "compile_check.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace codegen::test {

namespace fs = std::filesystem;

namespace {

void stubMissingIncludes(const fs::path& file, const fs::path& stubFolder)
{
    std::ifstream in(file);
    const std::regex include(R"(^\s*#\s*include\s*"([^"]+)\")");
    std::string line;
    while (std::getline(in, line)) {
        std::smatch match;
        if (!std::regex_search(line, match, include))
            continue;
        const fs::path named = match[1].str();
        if (fs::exists(file.parent_path() / named))
            continue;
        fs::create_directories((stubFolder / named).parent_path());
        std::ofstream(stubFolder / named) << "/* stand-in for a header of the user's own */\n";
    }
}

} // namespace

std::string compileGeneratedFile(const fs::path& file, const fs::path& outputFolder, const fs::path& stubFolder)
{
    stubMissingIncludes(file, stubFolder);
    const std::string extension = file.extension().string();
    std::string language;
    if (extension == ".h")
        language = "-x c ";
    else if (extension == ".inc")
        language = "-x assembler ";
    const fs::path object = outputFolder / (file.filename().string() + ".o");
    const std::string command = "cc -c -Wall -Wextra -Werror -I'" + stubFolder.string() + "' " + language + "'" +
                                file.string() + "' -o '" + object.string() + "' 2>&1";
    std::string output;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        if (pclose(pipe) == 0)
            return {};
    }
    return command + "\n" + output;
}

} // namespace codegen::test
