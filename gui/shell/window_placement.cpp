#include "window_placement.h"

#include <QWidget>

namespace {

void put(platform::ProfileBytes& out, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(u >> shift));
}

std::int32_t get(const platform::ProfileBytes& in, std::size_t index)
{
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i)
        u |= static_cast<std::uint32_t>(in[index * 4 + i]) << (8 * i);
    return static_cast<std::int32_t>(u);
}

} // namespace

platform::ProfileBytes encodePlacement(const WindowPlacement& p)
{
    platform::ProfileBytes out;
    out.reserve(kWindowPlacementSize);
    for (std::int32_t v : {p.length, p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY, p.left, p.top, p.right,
                           p.bottom})
        put(out, v);
    return out;
}

std::optional<WindowPlacement> decodePlacement(const platform::ProfileBytes& bytes)
{
    if (bytes.size() != kWindowPlacementSize)
        return std::nullopt;
    WindowPlacement p;
    std::int32_t* fields[] = {&p.length, &p.flags, &p.showCmd, &p.minX, &p.minY, &p.maxX,
                              &p.maxY,   &p.left,  &p.top,     &p.right, &p.bottom};
    for (std::size_t i = 0; i < 11; ++i)
        *fields[i] = get(bytes, i);
    return p;
}

WindowPlacement placementOf(const QWidget* window)
{
    WindowPlacement p;
    if (window->isMinimized())
        p.showCmd = ShowMinimized;
    else if (window->isMaximized())
        p.showCmd = ShowMaximized;
    QRect r = window->normalGeometry();
    if (r.isEmpty())
        r = window->geometry();
    p.left = r.x();
    p.top = r.y();
    p.right = r.x() + r.width();
    p.bottom = r.y() + r.height();
    return p;
}

void applyPlacement(QWidget* window, const WindowPlacement& p)
{
    window->setGeometry(p.left, p.top, p.right - p.left, p.bottom - p.top);
    Qt::WindowStates state = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (p.showCmd == ShowMaximized)
        state |= Qt::WindowMaximized;
    else if (p.showCmd == ShowMinimized || p.showCmd == ShowMinimize)
        state |= Qt::WindowMinimized;
    window->setWindowState(state);
}

WindowPlacement restoreSheetPlacement(WindowPlacement stored, int currentWidth, int currentHeight)
{
    if (stored.showCmd == ShowMinimized || stored.showCmd == ShowMinimize)
        stored.showCmd = ShowNormal;
    stored.right = stored.left + currentWidth;
    stored.bottom = stored.top + currentHeight;
    return stored;
}
