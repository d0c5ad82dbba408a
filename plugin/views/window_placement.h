#pragma once
// Where the kernel windows open, free of widgets: a new window cascades from the last one opened, a
// title bar down and right, wrapping within the screen, at the first place no open window starts near;
// every window, new or restored, lies wholly on its screen.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace views {

// The step between cascaded windows: at least a title bar.
constexpr int kCascadeStep = 32;

// The top-left corner of a new window whose frame has `size`, on the screen area `area`: one step down
// and right of `last` (the last window opened; the area's top-left without one), wrapping within the
// area, and the first such place that lies a step or more away from each corner in `open`.
QPoint CascadePosition(const QRect& area, const QSize& size, const std::optional<QPoint>& last,
                       const std::vector<QPoint>& open, int step = kCascadeStep);

// A frame size no larger than leaves room on `area` for a cascade of a few steps, so a new window never
// fills the screen over the others.
QSize FrameRoom(const QSize& size, const QRect& area, int step = kCascadeStep);

// The frame `frame` moved into `area`, and made no larger than it, so it lies wholly on the screen.
QRect KeepOnArea(const QRect& frame, const QRect& area);

} // namespace views
