#pragma once
// Runs OMBAgenCmd as a separate process on a copy of the demo: the program, the code-generator
// library, ombagen.cfg and the models copied into a scratch program folder, the demo project into a
// scratch project folder, which is also the folder the program starts in.

#include <filesystem>
#include <map>
#include <utility>
#include <string>
#include <vector>

namespace cmdgen::test {

struct RunResult {
    int code = -1;
    std::string out;  // standard output, with the scratch folders and the year replaced by
                      // <BIN>, <PROJECT> and YYYY
    std::string err;  // standard error, replaced the same way
};

class ConsoleFixture {
public:
    ConsoleFixture();
    ~ConsoleFixture();
    ConsoleFixture(const ConsoleFixture&) = delete;
    ConsoleFixture& operator=(const ConsoleFixture&) = delete;

    const std::filesystem::path& bin() const { return m_bin; }
    const std::filesystem::path& project() const { return m_project; }
    const std::filesystem::path& scratch() const { return m_root; }
    bool ready() const { return m_ready; }

    // Environment for the next runs (OMBA_CODEGEN_LOG and OMBAGEN_PRINT_COMMAND are preset to files in
    // the scratch folder: calls.log and a print script that appends its arguments to printed.log).
    void setEnv(const std::string& name, const std::string& value) { m_env[name] = value; }

    // Runs the program in the project folder; `before`, when given, is a shell step run there first
    // (it may change the folder the program starts in). With `oneLog` both streams go to one file, as
    // "> log 2>&1" sends them, and `out` holds it.
    RunResult run(const std::vector<std::string>& arguments, const std::string& before = {},
                  bool oneLog = false) const;

    // The text with the scratch folders and the year replaced, as a run's streams are.
    std::string normalise(std::string text) const;

    std::string callLog() const;
    std::string printLog() const;

private:
    std::filesystem::path m_root;
    std::filesystem::path m_bin;
    std::filesystem::path m_project;
    std::map<std::string, std::string> m_env;
    bool m_ready = false;
};

std::string readText(const std::filesystem::path& path);

// Every regular file of a folder with its bytes and permission bits.
std::map<std::string, std::pair<std::string, unsigned>> filesAndModes(const std::filesystem::path& folder);

// Compares text with the golden file cmdgen/tests/golden/<name>; with CMDGEN_UPDATE_GOLDEN=1 in the
// environment the golden file is written instead. Returns "" when equal, else a description.
std::string compareWithGolden(const std::string& name, const std::string& text);

} // namespace cmdgen::test
