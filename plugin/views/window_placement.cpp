#include "plugin/views/window_placement.h"

#include <algorithm>
#include <cstdlib>

namespace views {
namespace {

int positiveModulo(int value, int divisor)
{
    const int r = value % divisor;
    return r < 0 ? r + divisor : r;
}

} // namespace

// The candidates form a grid of steps over the places where the window fits, laid through the last
// window's corner, so the first choice is exactly a step down and right of it. Grid places differ by a
// step at least, so windows placed on it never start within a title bar of each other; the places are
// taken diagonal by diagonal (a cascade, then the next one a step to the right), from the last window's.
QPoint CascadePosition(const QRect& area, const QSize& size, const std::optional<QPoint>& last,
                       const std::vector<QPoint>& open, int step)
{
    step = std::max(step, 1);
    const int rangeX = std::max(0, area.width() - size.width());
    const int rangeY = std::max(0, area.height() - size.height());
    const QPoint corner = last ? *last : area.topLeft();
    const int originX = area.left() + (rangeX > 0 ? positiveModulo(corner.x() - area.left(), step) % (rangeX + 1) : 0);
    const int originY = area.top() + (rangeY > 0 ? positiveModulo(corner.y() - area.top(), step) % (rangeY + 1) : 0);
    const int columns = std::min((area.left() + rangeX - originX) / step + 1, 512);
    const int rows = std::min((area.top() + rangeY - originY) / step + 1, 512);
    const int lastColumn = std::clamp((corner.x() - originX + step / 2) / step, 0, columns - 1);
    const int lastRow = std::clamp((corner.y() - originY + step / 2) / step, 0, rows - 1);
    auto place = [&](int column, int row) { return QPoint(originX + column * step, originY + row * step); };
    auto apart = [&](const QPoint& p) {
        return std::none_of(open.begin(), open.end(), [&](const QPoint& other) {
            return std::abs(other.x() - p.x()) < step && std::abs(other.y() - p.y()) < step;
        });
    };
    // Diagonal d = column - row runs from -(rows - 1) to columns - 1; places are numbered along them.
    auto firstRow = [&](int d) { return std::max(0, -d); };
    auto lastRowOf = [&](int d) { return std::min(rows - 1, columns - 1 - d); };
    int d = lastColumn - lastRow;
    int row = lastRow;
    const int total = columns * rows;
    for (int visited = 0; visited < total && visited < 16384; ++visited) {
        if (++row > lastRowOf(d)) {
            d = d + 1 > columns - 1 ? -(rows - 1) : d + 1;
            row = firstRow(d);
        }
        const QPoint p = place(d + row, row);
        if (apart(p))
            return p;
    }
    return place(std::min(lastColumn + 1, columns - 1), std::min(lastRow + 1, rows - 1));
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

} // namespace views
