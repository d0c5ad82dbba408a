#pragma once
// The generator program's application object: one instance per user, the profile under
// "Korvane Systems, Inc.\OMBA Korvane 1.0", and the main window run until it closes.

#include <string>
#include <vector>

class CMainDialog;

class COMBAgenApp {
public:
    static constexpr const char* kApplicationName = "OMBAgen";
    static constexpr const char* kProfileKey = "Korvane Systems, Inc.\\OMBA Korvane 1.0\\OMBAgen";

    // Runs the program; the process's exit code.
    int InitInstance(const std::vector<std::string>& arguments);
    // The running main window, or null.
    static CMainDialog* GetMainDialog();
    // F1: the help contents when a main window runs.
    static void OnHelp();
};
