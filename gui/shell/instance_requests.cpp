#include "instance_requests.h"

#include "gui/shell/main_dialog.h"
#include "gui/shell/single_instance.h"

#include <QApplication>

#include <optional>
#include <string>

namespace shell {

namespace {
// How long a request waits before the window is looked at again while it is busy: short to the eye.
constexpr int kBusyRetryMs = 250;

void restoreAndRaise(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}
} // namespace

InstanceRequests::InstanceRequests(SingleInstanceGuard& guard, CMainDialog& window)
    : m_guard(guard), m_window(window)
{
    m_busy.setSingleShot(true);
    m_busy.setInterval(kBusyRetryMs);
    connect(&m_busy, &QTimer::timeout, this, &InstanceRequests::take);
    connect(&window, &CMainDialog::startUpEnded, this, &InstanceRequests::take);
    connect(&guard, &SingleInstanceGuard::requestsWaiting, this, [this] {
        if (m_guard.RequestWaiting())
            comeForward();
        take();
    });
}

void InstanceRequests::comeForward()
{
    if (!m_window.isVisible())
        return;
    restoreAndRaise(&m_window);
    if (QWidget* dialog = QApplication::activeModalWidget(); dialog && dialog->window() != &m_window)
        restoreAndRaise(dialog->window());
}

void InstanceRequests::take()
{
    if (!m_window.IsFreeForRequest()) {
        m_busy.start();
        return;
    }
    if (std::optional<std::string> request = m_guard.TakeRequest())
        m_window.TakeRequest(*request);
}

} // namespace shell
