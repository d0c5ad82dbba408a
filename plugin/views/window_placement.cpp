#include "plugin/views/window_placement.h"

#include <algorithm>

namespace views {

bool CoversTitleBar(const QRect& frame, const std::vector<QRect>& open, int bar)
{
    return std::any_of(open.begin(), open.end(),
                       [&](const QRect& other) { return frame.intersects(TitleBarOf(other, bar)); });
}

QPoint CascadePosition(const QRect& area, const QSize& size, const std::optional<QRect>& last,
                       const std::vector<QRect>& open, int bar, const std::optional<QRect>& keepFree)
{
    const int step = std::max(bar, 1);
    const QPoint cascade = (last ? last->topLeft() : area.topLeft()) + QPoint(step, step);
    auto place = [&](const std::vector<QRect>& bars, const std::optional<QRect>& whole) -> std::optional<QPoint> {
        auto free = [&](const QPoint& p) {
            const QRect frame(p, size);
            return area.contains(frame) && !CoversTitleBar(frame, bars, bar) && !(whole && frame.intersects(*whole));
        };
        if (free(cascade))
            return cascade;
        // A new column: the first place, from the left edge and the top, that covers no title bar.
        for (int x = area.left(); x + size.width() <= area.left() + area.width(); x += step)
            for (int y = area.top(); y + size.height() <= area.top() + area.height(); y += step)
                if (free(QPoint(x, y)))
                    return QPoint(x, y);
        return std::nullopt;
    };
    if (const auto p = place(open, keepFree))
        return *p;
    if (keepFree) {
        // Then the panel's title bar with the others'; at last the panel's alone, so it stays in reach.
        std::vector<QRect> bars = open;
        bars.push_back(*keepFree);
        if (const auto p = place(bars, std::nullopt))
            return *p;
        if (const auto p = place({*keepFree}, std::nullopt))
            return *p;
    }
    return KeepOnArea(QRect(cascade, size), area).topLeft();
}

QSize FrameRoom(const QSize& size, const QRect& area, int step)
{
    const int room = 4 * std::max(step, 1);
    return QSize(std::min(size.width(), std::max(area.width() - room, area.width() / 2)),
                 std::min(size.height(), std::max(area.height() - room, area.height() / 2)));
}

QRect KeepOnArea(const QRect& frame, const QRect& area)
{
    QRect r = frame;
    r.setWidth(std::min(r.width(), area.width()));
    r.setHeight(std::min(r.height(), area.height()));
    r.moveLeft(std::clamp(r.left(), area.left(), area.left() + area.width() - r.width()));
    r.moveTop(std::clamp(r.top(), area.top(), area.top() + area.height() - r.height()));
    return r;
}

QRect CentredOn(const QRect& owner, const QSize& size, const QRect& area)
{
    QRect r(QPoint(0, 0), size);
    r.moveCenter(owner.center());
    return KeepOnArea(r, area);
}

} // namespace views
