#pragma once
// The layout mixin with a remembered window position. A window with an auto-position name stores its normal
// frame (the rectangle the window manager's frame covers), visibility and state in the profile when it is
// destroyed, and gets them back when its layout starts, under section "WindowPositions\<name>". Writing stops at the first failure and "(valid)" is set
// last, so a half-written position is never restored.

#include "gui/layout/dynamic_wnd.h"

#include <QRect>

#include <string>

namespace platform {
class Profile;
}

class CDynamicWndEx : public CDynamicWnd {
public:
    // What RestoreWindowPosition may apply besides the rectangle.
    enum RestoreOption : unsigned { RestoreState = 1, RestoreVisibility = 2 };

    CDynamicWndEx(int freedom, unsigned flags);

    void setAutoPositionName(const std::string& name) { m_autoPositionName = name; }
    const std::string& autoPositionName() const { return m_autoPositionName; }

    // The profile positions go to; null (the default) uses the module's application profile.
    void setProfile(platform::Profile* profile) { m_profile = profile; }
    platform::Profile* profile() const;

    // "WindowPositions\" + the name (the backslash not doubled).
    std::string positionSection() const;

    // Writes "(valid)" 0, Left, Right, Top, Bottom, Visibility, State, "(valid)" 1; stops at the first
    // failure. False when nothing was to be stored or a write failed.
    bool StoreWindowPosition();
    // Applies a stored position when "(valid)" is 1: the window's frame comes back to the stored frame
    // (again once the window manager has framed it). A window is never restored minimised, and a stored
    // Visibility of 0 never hides a window that is being opened. True when a position was applied.
    bool RestoreWindowPosition(unsigned options);
    // The frame the last RestoreWindowPosition applied.
    const QRect& restoredFrame() const { return m_restoredFrame; }

    // Restores the position; when nothing was restored, centres the window on its owner.
    void OnInitialized() override;
    // Stores the position.
    void OnDestroying() override;

private:
    bool storesPositions() const;

    std::string m_autoPositionName;
    QRect m_restoredFrame;
    platform::Profile* m_profile = nullptr;
};
