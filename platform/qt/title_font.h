#pragma once
// The font the window manager draws captions in, where the system says it: openbox names it in its
// configuration (the file it announces on the X root window as _OB_CONFIG_FILE, else the user's or the
// system's rc.xml), as the font of the active window's title. Without a setting, a bold font of
// kTitlePointSize is assumed; a setting never goes below that assumption or the window's own font.

#include <QFont>

#include <optional>
#include <string>

namespace platform {

// The smallest point size assumed for a title font.
constexpr double kTitlePointSize = 10.0;

struct TitleFontSetting {
    std::string family; // empty: the window's own
    double points = 0;  // 0: none given
    bool bold = true;
};

// The active window's title font in an openbox configuration (rc.xml text), if it names one.
std::optional<TitleFontSetting> ParseOpenboxTitleFont(const std::string& configuration);

// The window manager's title font setting, if the system says it.
std::optional<TitleFontSetting> DesktopTitleFont();

// The font a caption is measured in: the setting over the window's font, at least bold kTitlePointSize
// and the window font's size.
QFont TitleFont(const QFont& windowFont, const std::optional<TitleFontSetting>& setting);

} // namespace platform
