#pragma once
// Where the kernel windows open, free of widgets. Windows are placed by their frames (the rectangles the
// window manager's frames cover): a new window cascades a full title bar below and right of the last one
// opened; where that would leave the screen or cover an earlier window's title bar, it starts a new
// column at the first place that covers no title bar, while one remains; every window lies wholly on its
// screen.

#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <vector>

namespace views {

// The title bar height taken before the window manager's is known (and where it draws none).
constexpr int kCascadeStep = 32;

// The title bar of a frame whose bar is `bar` high.
inline QRect TitleBarOf(const QRect& frame, int bar) { return QRect(frame.left(), frame.top(), frame.width(), bar); }

// True when `frame` covers the title bar of one of the frames in `open`.
bool CoversTitleBar(const QRect& frame, const std::vector<QRect>& open, int bar);

// The top-left corner of the frame of a new window whose frame has `size`, on the screen area `area`:
// a title bar (`bar`) down and right of `last` (a bar in from the area's corner without one), when that
// lies on the area and covers no title bar of the frames in `open`; else the first such place, column by
// column from the area's left edge in steps of a bar; when none remains, the cascade place kept on the
// area. `keepFree` (the control panel's frame) is covered by none of these places while one remains;
// else its title bar is kept free as the others' are, and at last alone, so the panel stays in reach.
QPoint CascadePosition(const QRect& area, const QSize& size, const std::optional<QRect>& last,
                       const std::vector<QRect>& open, int bar = kCascadeStep,
                       const std::optional<QRect>& keepFree = std::nullopt);

// A frame size no larger than leaves room on `area` for a cascade of a few steps, so a new window never
// fills the screen over the others.
QSize FrameRoom(const QSize& size, const QRect& area, int step = kCascadeStep);

// The frame `frame` moved into `area`, and made no larger than it, so it lies wholly on the screen.
QRect KeepOnArea(const QRect& frame, const QRect& area);

// The frame of `size` centred on `owner`, kept on `area`.
QRect CentredOn(const QRect& owner, const QSize& size, const QRect& area);

} // namespace views
