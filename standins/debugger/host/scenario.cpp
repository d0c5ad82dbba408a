#include "standins/debugger/host/scenario.h"

#include <sstream>

namespace simdbg {

bool ParseScenario(const std::string& text, std::vector<ScenarioCommand>& commands, std::string& message)
{
    commands.clear();
    std::istringstream lines(text);
    std::string line;
    for (std::size_t number = 1; std::getline(lines, line); ++number) {
        std::vector<std::string> words;
        std::size_t i = 0;
        while (i < line.size()) {
            if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
                ++i;
                continue;
            }
            if (line[i] == '#' && words.empty())
                break;
            if (line[i] == '"') {
                std::size_t end = line.find('"', i + 1);
                if (end == std::string::npos) {
                    message = "line " + std::to_string(number) + ": unterminated quoted text";
                    return false;
                }
                words.push_back(line.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            std::size_t end = line.find_first_of(" \t\r", i);
            if (end == std::string::npos)
                end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
        if (words.empty())
            continue;
        ScenarioCommand command;
        command.line = number;
        command.name = words.front();
        command.args.assign(words.begin() + 1, words.end());
        commands.push_back(std::move(command));
    }
    return true;
}

} // namespace simdbg
