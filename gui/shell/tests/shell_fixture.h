#pragma once
// A program folder and a copy of the demo project in a fresh temporary folder, the profile and the
// message boxes scripted, and dialogs that answer without a person: what the main-window tests stand on.

#include "gui/shell/main_dialog.h"
#include "gui/shell/shell_dialogs.h"
#include "gui/shell/utility_script.h"

#include "platform/core/message_service.h"
#include "platform/core/profile_store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace shell::test {

// Records every dialog the main window asks for and answers from fixed values.
class FakeDialogs : public ShellDialogs {
public:
    struct Status {
        std::string message, title;
        unsigned seconds;
    };
    std::vector<Status> statuses;
    std::vector<std::string> shownFiles;
    int fileAnswer = 2;
    std::vector<std::vector<UtilityRequest>> asked;
    std::vector<std::string> answers;
    int parametersAnswer = 1;
    struct Run {
        std::string label, command;
        bool pipeMode;
        std::vector<std::string> environment;
    };
    std::vector<Run> runs;
    int abouts = 0;

    void ShowStatus(QWidget*, const std::string& message, const std::string& title, unsigned seconds) override
    {
        statuses.push_back({message, title, seconds});
    }
    int ShowFile(QWidget*, const std::string& path) override
    {
        shownFiles.push_back(path);
        return fileAnswer;
    }
    int AskParameters(QWidget*, std::vector<UtilityRequest>& requests, const std::string&, const std::string&) override
    {
        asked.push_back(requests);
        for (std::size_t i = 0; i < requests.size() && i < answers.size(); ++i)
            requests[i].value = answers[i];
        return parametersAnswer;
    }
    void RunCommand(QWidget*, const std::string& label, const std::string& command, bool pipeMode,
                    const std::vector<std::string>& environment) override
    {
        runs.push_back({label, command, pipeMode, environment});
    }
    void ShowAbout(QWidget*) override { ++abouts; }
};

class ShellFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The source tree and the build's program folder.
    static std::string sourceDir();
    static std::string binaryBinDir();

    // Builds the main window over the program folder (no splash) and opens the demo copy when asked.
    void startWindow(bool openDemo);
    // Runs queued work (rebuilds, state restores).
    static void settle();
    // Selects the tree node whose text is given (first match, depth first); its item id.
    uint32_t selectNode(const QString& text);
    std::string demoPath() const { return m_projectDir + "/demo.omb"; }
    std::string readFile(const std::string& path) const;

    QTemporaryDir m_temp;
    std::string m_programDir;
    std::string m_projectDir;
    std::string m_startFolder;
    std::unique_ptr<platform::ProfileStore> m_profile;
    std::unique_ptr<platform::ScopedApplicationProfile> m_useProfile;
    std::unique_ptr<platform::ScopedScriptedMessages> m_boxes;
    FakeDialogs m_dialogs;
    std::unique_ptr<CMainDialog> m_window;
};

} // namespace shell::test
