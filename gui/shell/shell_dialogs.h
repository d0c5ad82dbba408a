#pragma once
// The dialogs the main window runs for its commands, behind one interface so that tests can answer them
// without a person: the status box after generation and printing, the report viewer, the utility
// parameters, the command output window and the About box. The default implementation runs the real
// dialogs modally.

#include <string>
#include <vector>

class QWidget;

namespace shell {

struct UtilityRequest;

class ShellDialogs {
public:
    virtual ~ShellDialogs() = default;
    // The status box that closes itself after `seconds`.
    virtual void ShowStatus(QWidget* parent, const std::string& message, const std::string& title, unsigned seconds);
    // The report viewer; 1 (Print) or 2 (Cancel).
    virtual int ShowFile(QWidget* parent, const std::string& path);
    // The parameters of a utility; 1 (OK, answers in the requests' values) or 2 (Cancel).
    virtual int AskParameters(QWidget* parent, std::vector<UtilityRequest>& requests, const std::string& displayText,
                              const std::string& label);
    // Runs a command with its output captured in the output window. environment holds "NAME=value" texts.
    virtual void RunCommand(QWidget* parent, const std::string& label, const std::string& command, bool pipeMode,
                            const std::vector<std::string>& environment);
    // The About box without countdown.
    virtual void ShowAbout(QWidget* parent);
};

} // namespace shell
