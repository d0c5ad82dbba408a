#pragma once
// The about window (display command 11): product title with version, and the build.

#include "plugin/views/object_window.h"

class QLabel;

namespace views {

class AboutWindow : public ObjectWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1010;
    static constexpr int kTitleId = 1102;
    static constexpr int kBuildId = 1103;

    explicit AboutWindow(WindowManager* manager);

protected:
    bool centredOnOwner() const override { return true; }

public:
    void Refresh() override {}
    void DisableControls() override {}

protected:
    bool OnInitDialog() override;
};

inline constexpr const char* kAboutVersion = "1.0";
constexpr int kAboutBuild = 152;

} // namespace views
