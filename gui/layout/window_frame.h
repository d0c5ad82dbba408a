#pragma once
// A top-level window's frame as the window manager draws it. The manager frames a window only after it
// is shown, so the frame's extents are unknown before; these helpers place a window by its frame once they
// are known.

#include <QMargins>
#include <QRect>

#include <functional>

class QWidget;

namespace layout {

// The extents of the frame the window manager draws around the window (zero before it is framed, and on a
// platform without frames).
QMargins FrameExtents(const QWidget& window);

// The extents the window manager drew around the last window it framed: an estimate for a window not yet
// framed (zero before any was).
QMargins LastFrameExtents();

// Sets the window's geometry so that its frame is `frame`, by its frame extents (the last known ones
// until it is framed).
void SetFrameGeometry(QWidget& window, const QRect& frame);

// Calls `framed` once the window is shown and the window manager has framed it (its frame extents are
// known), at once on a platform without a window manager, and at the latest a second after it was shown.
// A call made again for the same window replaces the earlier one; nothing is called once the window is
// gone.
void WhenFramed(QWidget& window, std::function<void()> framed);

} // namespace layout
