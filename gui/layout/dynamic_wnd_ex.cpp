#include "dynamic_wnd_ex.h"

#include "gui/layout/window_frame.h"
#include "platform/core/profile_store.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <utility>

CDynamicWndEx::CDynamicWndEx(int freedom, unsigned flags)
    : CDynamicWnd(freedom, flags)
{
}

platform::Profile* CDynamicWndEx::profile() const
{
    return m_profile ? m_profile : platform::applicationProfile();
}

bool CDynamicWndEx::storesPositions() const
{
    const platform::Profile* p = profile();
    return !m_autoPositionName.empty() && p && p->isRegistryBacked();
}

std::string CDynamicWndEx::positionSection() const
{
    std::string section = "WindowPositions";
    if (section.back() != '\\')
        section += '\\';
    return section + m_autoPositionName;
}

namespace {

// The window's normal frame: where its frame lies, or would lie when it is neither minimised nor
// maximised. The frame is what the window manager places, so a frame stored is a frame restored.
QRect normalFrameOf(const QWidget* window)
{
    if (!window->isMinimized() && !window->isMaximized() && window->isVisible())
        return window->frameGeometry();
    const QRect normal = window->normalGeometry();
    const QMargins extents = layout::FrameExtents(*window);
    return (normal.isEmpty() ? window->geometry() : normal).marginsAdded(extents.isNull() ? layout::LastFrameExtents() : extents);
}

} // namespace

bool CDynamicWndEx::StoreWindowPosition()
{
    QWidget* window = layoutWindow();
    if (!storesPositions() || !isLayoutLive())
        return false;
    platform::Profile& p = *profile();
    const std::string section = positionSection();
    const QRect r = normalFrameOf(window);
    int state = -1;
    if (window->isMinimized())
        state = 0;
    else if (window->isMaximized())
        state = 1;
    const std::pair<const char*, int> values[] = {
        {"(valid)", 0},
        {"Left", r.x()},
        {"Right", r.x() + r.width()},
        {"Top", r.y()},
        {"Bottom", r.y() + r.height()},
        {"Visibility", window->isVisible() ? 1 : 0},
        {"State", state},
        {"(valid)", 1},
    };
    for (const auto& [name, value] : values) {
        if (!p.writeInt(section, name, value))
            return false;
    }
    return true;
}

bool CDynamicWndEx::RestoreWindowPosition(unsigned options)
{
    QWidget* window = layoutWindow();
    if (!storesPositions() || !isLayoutLive())
        return false;
    const platform::Profile& p = *profile();
    const std::string section = positionSection();
    if (p.getInt(section, "(valid)", 0) != 1)
        return false;
    const int state = p.getInt(section, "State", -1);
    const QRect current = normalFrameOf(window);
    int left = p.getInt(section, "Left", current.x());
    int right = p.getInt(section, "Right", current.x() + current.width());
    int top = p.getInt(section, "Top", current.y());
    int bottom = p.getInt(section, "Bottom", current.y() + current.height());
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // The frame comes back where it was stored, once the window manager has framed the window and its
    // extents are known (before that by the extents of the last window it framed).
    const QRect frame(left, top, right - left, bottom - top);
    m_restoredFrame = frame;
    layout::SetFrameGeometry(*window, frame);
    QPointer<QWidget> guarded(window);
    layout::WhenFramed(*window, [guarded, frame] {
        if (guarded && !guarded->isMinimized() && !guarded->isMaximized())
            layout::SetFrameGeometry(*guarded, frame);
    });

    // A stored maximised state is applied; a stored minimised one is not, so a window being opened is
    // shown.
    if ((options & RestoreState) && state == 1)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    // Visibility 1 needs nothing: the window is restored on its way to being shown by its opener. A
    // stored 0 is not applied, so a window that was hidden when it closed still opens.
    return true;
}

void CDynamicWndEx::OnInitialized()
{
    if (RestoreWindowPosition(RestoreState | RestoreVisibility))
        return;
    QWidget* window = layoutWindow();
    QWidget* owner = window ? window->parentWidget() : nullptr;
    if (owner && window->isWindow()) {
        const QRect area = owner->window()->geometry();
        const QSize size = window->size();
        window->move(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
    }
}

void CDynamicWndEx::OnDestroying()
{
    StoreWindowPosition();
}
