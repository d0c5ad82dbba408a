#include "compile_check.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace codegen::test {

namespace fs = std::filesystem;

namespace {

std::string runCompiler(const std::string& command, bool& ok)
{
    std::string output;
    ok = false;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        ok = pclose(pipe) == 0;
    }
    return output;
}

} // namespace

std::string compileGeneratedFile(const fs::path& file, const fs::path& outputFolder, const fs::path& stubFolder)
{
    const std::string extension = file.extension().string();
    std::string language;
    if (extension == ".h")
        language = "-x c ";
    else if (extension == ".inc")
        language = "-x assembler ";
    const fs::path object = outputFolder / (file.filename().string() + ".o");
    const std::string command = "cc -c -Wall -Wextra -Werror -I'" + stubFolder.string() + "' " + language + "'" +
                                file.string() + "' -o '" + object.string() + "' 2>&1";
    fs::create_directories(stubFolder);
    // A header the compiler cannot find is one of the user's own (named in a user text block): it gets an
    // empty stand-in and the file is compiled again.
    const std::regex missing(R"(fatal error: ([^:\s]+): No such file or directory)");
    std::string output;
    for (int attempt = 0; attempt < 20; ++attempt) {
        bool ok = false;
        output = runCompiler(command, ok);
        if (ok)
            return {};
        std::smatch match;
        if (!std::regex_search(output, match, missing))
            break;
        const fs::path stub = stubFolder / match[1].str();
        if (fs::exists(stub))
            break;
        fs::create_directories(stub.parent_path());
        std::ofstream(stub) << "/* stand-in for a header of the user's own */\n";
    }
    return command + "\n" + output;
}

} // namespace codegen::test
