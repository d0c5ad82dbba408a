#include "gui/layout/window_frame.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace layout {
namespace {

QMargins g_lastExtents;

// Only the X11 platform has a window manager that frames windows after they are mapped.
bool platformFrames() { return QGuiApplication::platformName() == QStringLiteral("xcb"); }

// Waits for the window to be shown and framed, then runs the call once and goes.
class FrameWatch : public QObject {
public:
    FrameWatch(QWidget& window, std::function<void()> framed) : QObject(&window), m_window(&window), m_framed(std::move(framed))
    {
        setObjectName(QStringLiteral("layout::FrameWatch"));
        window.installEventFilter(this);
        m_poll.setInterval(15);
        connect(&m_poll, &QTimer::timeout, this, [this] { check(); });
        if (window.isVisible())
            start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && (event->type() == QEvent::Show || event->type() == QEvent::Expose) && !m_poll.isActive())
            start();
        return QObject::eventFilter(watched, event);
    }

private:
    void start()
    {
        m_shown.start();
        m_poll.start();
        check();
    }

    void check()
    {
        if (!m_window || !m_window->isVisible())
            return;
        const QMargins extents = FrameExtents(*m_window);
        const bool framed = !platformFrames() || extents.top() > 0 || m_shown.elapsed() >= 1000;
        if (!framed)
            return;
        m_poll.stop();
        if (!extents.isNull())
            g_lastExtents = extents;
        std::function<void()> call = std::move(m_framed);
        deleteLater();
        m_window->removeEventFilter(this);
        if (call)
            call();
    }

    QPointer<QWidget> m_window;
    std::function<void()> m_framed;
    QTimer m_poll;
    QElapsedTimer m_shown;
};

} // namespace

QMargins FrameExtents(const QWidget& window)
{
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

QMargins LastFrameExtents() { return g_lastExtents; }

void SetFrameGeometry(QWidget& window, const QRect& frame)
{
    QMargins extents = FrameExtents(window);
    if (extents.isNull())
        extents = g_lastExtents;
    window.setGeometry(frame.marginsRemoved(extents));
}

void WhenFramed(QWidget& window, std::function<void()> framed)
{
    const QObjectList children = window.children();
    for (QObject* child : children)
        if (dynamic_cast<FrameWatch*>(child))
            delete child;
    new FrameWatch(window, std::move(framed));
}

} // namespace layout
