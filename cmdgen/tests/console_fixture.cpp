#include "console_fixture.h"

#include "platform/core/program_path.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace cmdgen::test {

namespace fs = std::filesystem;

namespace {

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string quoted(const std::string& text)
{
    return "'" + replaceAll(text, "'", "'\\''") + "'";
}

std::string currentYear()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return std::to_string(local.tm_year + 1900);
}

} // namespace

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::map<std::string, std::pair<std::string, unsigned>> filesAndModes(const fs::path& folder)
{
    std::map<std::string, std::pair<std::string, unsigned>> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        struct stat info {};
        if (entry.is_regular_file() && ::stat(entry.path().c_str(), &info) == 0)
            files[entry.path().filename().string()] = {readText(entry.path()), info.st_mode & 07777u};
    }
    return files;
}

ConsoleFixture::ConsoleFixture()
{
    std::string pattern = (fs::temp_directory_path() / "cmdgen-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return;
    m_root = pattern;
    m_bin = m_root / "bin";
    m_project = m_root / "demo";
    const fs::path builtBin = platform::programDirectory();
    const fs::path demo = fs::path(CMDGEN_SOURCE_DIR) / "samples/demo";
    std::error_code ec;
    fs::create_directories(m_bin, ec);
    // Copies, not links: the program finds its folder through its own resolved path.
    for (const char* name : {"OMBAgenCmd", "libombacodegen_standin.so", "ombagen.cfg"})
        fs::copy_file(builtBin / name, m_bin / name, ec);
    fs::copy(builtBin / "models", m_bin / "models", fs::copy_options::recursive, ec);
    fs::create_directories(m_project, ec);
    for (const fs::directory_entry& entry : fs::directory_iterator(demo, ec)) {
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), m_project / entry.path().filename(), ec);
    }
    const fs::path printScript = m_root / "print.sh";
    std::ofstream(printScript) << "#!/bin/sh\necho \"$@\" >> '" << (m_root / "printed.log").string() << "'\n";
    fs::permissions(printScript, fs::perms::owner_all, ec);
    m_env["OMBA_CODEGEN_LOG"] = (m_root / "calls.log").string();
    m_env["OMBAGEN_PRINT_COMMAND"] = printScript.string();
    m_ready = fs::exists(m_bin / "OMBAgenCmd") && fs::exists(m_project / "demo.omb");
}

ConsoleFixture::~ConsoleFixture()
{
    std::error_code ec;
    if (!m_root.empty())
        fs::remove_all(m_root, ec);
}

RunResult ConsoleFixture::run(const std::vector<std::string>& arguments, const std::string& before, bool oneLog) const
{
    std::string command = "cd " + quoted(m_project.string()) + (before.empty() ? "" : " && " + before) + " && env";
    for (const auto& [name, value] : m_env)
        command += " " + quoted(name + "=" + value);
    command += " " + quoted((m_bin / "OMBAgenCmd").string());
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    const fs::path out = m_root / "stdout.txt";
    const fs::path err = m_root / "stderr.txt";
    command += " >" + quoted(out.string()) + (oneLog ? " 2>&1" : " 2>" + quoted(err.string()));
    RunResult result;
    const int status = std::system(command.c_str());
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = normalise(readText(out));
    result.err = oneLog ? std::string() : normalise(readText(err));
    return result;
}

std::string ConsoleFixture::normalise(std::string text) const
{
    text = replaceAll(text, m_bin.string(), "<BIN>");
    text = replaceAll(text, m_project.string(), "<PROJECT>");
    return replaceAll(text, currentYear(), "YYYY");
}

std::string ConsoleFixture::callLog() const
{
    return readText(m_root / "calls.log");
}

std::string ConsoleFixture::printLog() const
{
    return readText(m_root / "printed.log");
}

std::string compareWithGolden(const std::string& name, const std::string& text)
{
    const fs::path golden = fs::path(CMDGEN_SOURCE_DIR) / "cmdgen/tests/golden" / name;
    const char* update = std::getenv("CMDGEN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream(golden, std::ios::binary) << text;
        return {};
    }
    const std::string expected = readText(golden);
    if (expected == text)
        return {};
    return "standard output differs from " + golden.string() + "\n--- expected\n" + expected + "--- actual\n" + text;
}

} // namespace cmdgen::test
