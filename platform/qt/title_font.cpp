#include "title_font.h"

#include "locale_text.h"

#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define KORVANE_HAVE_XCB 1
#endif

namespace platform {

namespace {

constexpr std::size_t kLongestConfiguration = 1u << 20;

// The text of the first <tag>...</tag> within [from, to), trimmed; empty when there is none.
std::string elementText(const std::string& text, std::size_t from, std::size_t to, const std::string& tag)
{
    const std::string open = "<" + tag + ">";
    const std::size_t start = text.find(open, from);
    if (start == std::string::npos || start >= to)
        return {};
    const std::size_t begin = start + open.size();
    const std::size_t end = text.find("</" + tag + ">", begin);
    if (end == std::string::npos || end > to)
        return {};
    std::string value = text.substr(begin, end - begin);
    const std::size_t first = value.find_first_not_of(" \t\r\n");
    const std::size_t last = value.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

std::optional<TitleFontSetting> readOpenboxFile(const std::string& path)
{
    if (path.empty())
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text(kLongestConfiguration, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return ParseOpenboxTitleFont(text);
}

#ifdef KORVANE_HAVE_XCB
// The configuration file the running openbox announces on the root window.
std::string announcedOpenboxFile()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return {};
    const char name[] = "_OB_CONFIG_FILE";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr),
        &std::free);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!atom || atom->atom == XCB_ATOM_NONE || !screen)
        return {};
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, screen->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY,
                                                0, 4096 / 4),
                               nullptr),
        &std::free);
    if (!property || property->format != 8)
        return {};
    const auto* value = static_cast<const char*>(xcb_get_property_value(property.get()));
    const int length = xcb_get_property_value_length(property.get());
    return value && length > 0 ? std::string(value, static_cast<std::size_t>(length)) : std::string();
}
#endif

} // namespace

std::optional<TitleFontSetting> ParseOpenboxTitleFont(const std::string& configuration)
{
    for (const char* place : {"place=\"ActiveWindow\"", "place='ActiveWindow'"}) {
        const std::size_t at = configuration.find(place);
        if (at == std::string::npos)
            continue;
        const std::size_t end = configuration.find("</font>", at);
        if (end == std::string::npos)
            return std::nullopt;
        TitleFontSetting setting;
        setting.family = elementText(configuration, at, end, "name");
        const std::string size = elementText(configuration, at, end, "size");
        char* rest = nullptr;
        const double points = size.empty() ? 0 : std::strtod(size.c_str(), &rest);
        setting.points = rest && *rest == '\0' && points > 0 && points < 200 ? points : 0;
        const std::string weight = elementText(configuration, at, end, "weight");
        setting.bold = weight.empty() || weight == "bold" || weight == "Bold";
        return setting;
    }
    return std::nullopt;
}

std::optional<TitleFontSetting> DesktopTitleFont()
{
#ifdef KORVANE_HAVE_XCB
    if (QGuiApplication::platformName() == QStringLiteral("xcb")) {
        if (auto announced = readOpenboxFile(announcedOpenboxFile()))
            return announced;
    }
#endif
    std::vector<std::string> candidates;
    const char* home = std::getenv("HOME");
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome && *configHome)
        candidates.push_back(std::string(configHome) + "/openbox/rc.xml");
    else if (home && *home)
        candidates.push_back(std::string(home) + "/.config/openbox/rc.xml");
    const char* configDirs = std::getenv("XDG_CONFIG_DIRS");
    std::string dirs = configDirs && *configDirs ? configDirs : "/etc/xdg";
    for (std::size_t start = 0; start <= dirs.size();) {
        const std::size_t colon = std::min(dirs.find(':', start), dirs.size());
        if (colon > start)
            candidates.push_back(dirs.substr(start, colon - start) + "/openbox/rc.xml");
        start = colon + 1;
    }
    for (const std::string& path : candidates) {
        if (auto setting = readOpenboxFile(path))
            return setting;
    }
    return std::nullopt;
}

QFont TitleFont(const QFont& windowFont, const std::optional<TitleFontSetting>& setting)
{
    QFont title = windowFont;
    title.setBold(true);
    double points = kTitlePointSize;
    if (setting) {
        if (!setting->family.empty())
            title.setFamily(toQString(setting->family));
        title.setBold(setting->bold);
        points = std::max(points, setting->points);
    }
    if (title.pointSizeF() > 0 && title.pointSizeF() < points)
        title.setPointSizeF(points);
    return title;
}

} // namespace platform
