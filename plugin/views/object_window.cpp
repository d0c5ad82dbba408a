#include "plugin/views/object_window.h"

#include "plugin/views/commands.h"
#include "plugin/views/window_manager.h"
#include "plugin/views/window_placement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace views {
namespace {

const QEvent::Type kCommandEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class CommandEvent final : public QEvent {
public:
    explicit CommandEvent(int command) : QEvent(kCommandEvent), m_command(command) {}
    int command() const { return m_command; }

private:
    int m_command;
};

} // namespace

const QIcon& KernelWindowIcon()
{
    static const QIcon icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(2, 2, 28, 28, 6, 6);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(20);
        painter.setFont(font);
        painter.drawText(QRect(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("K"));
        return QIcon(pixmap);
    }();
    return icon;
}

ObjectWindow::ObjectWindow(WindowManager* manager, uint32_t dialogId, QWidget* parent)
    : CDynamicDialog(dialogId, parent), m_manager(manager), m_dialogId(dialogId)
{
    ModifyFlags(CDynamicWnd::FlagCopyBits, 0);
    setModal(false);
    setWindowIcon(KernelWindowIcon());
}

ObjectWindow::~ObjectWindow() { runCloseSteps(); }

bool ObjectWindow::OnInitDialog()
{
    bool result = CDynamicDialog::OnInitDialog();
    if (m_manager != nullptr)
        m_manager->RegisterWindow(this);
    m_open = true;
    postCommand(kRefreshCommand);
    return result;
}

namespace {

// The screen area a window lies on: its screen's, the primary one's before it has one.
QRect availableArea(const QWidget& window)
{
    const QScreen* shown = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return shown ? shown->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The frame around the client area; before the window manager has framed the window, a title bar's
// height is allowed above it.
QSize decoration(const QWidget& window)
{
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    return frame.height() > 0 ? frame : QSize(std::max(frame.width(), 0), kCascadeStep);
}

} // namespace

void ObjectWindow::OnInitialized()
{
    m_placementRestored = RestoreWindowPosition(RestoreState | RestoreVisibility);
    if (!m_placementRestored)
        placeNew();
    keepOnScreen();
}

void ObjectWindow::placeNew()
{
    const QRect area = availableArea(*this);
    const QSize frame = decoration(*this);
    const QSize room = FrameRoom(size() + frame, area);
    if (room != size() + frame)
        resize((room - frame).expandedTo(minimumSize()));
    std::optional<QPoint> last;
    std::vector<QPoint> open;
    if (m_manager != nullptr) {
        // Every listed window counts, shown or hidden for now (it may be on its way to the screen, or
        // come back there).
        for (const ObjectWindow* other : m_manager->windows())
            if (other != this) {
                open.push_back(other->pos());
                last = other->pos(); // the list is in the order the windows opened
            }
    }
    move(CascadePosition(area, size() + frame, last, open));
}

void ObjectWindow::fitFirstOpen(int wanted)
{
    if (m_fitted)
        return;
    m_fitted = true;
    if (m_placementRestored)
        return;
    const int width = std::max(wanted, minimumWidth());
    if (width == this->width())
        return;
    resize(width, height());
    // Grown past the screen's edge: placed again in the cascade at its new size.
    const QRect area = availableArea(*this);
    if (!area.contains(QRect(pos(), size() + decoration(*this))))
        placeNew();
    keepOnScreen();
}

void ObjectWindow::keepOnScreen()
{
    const QSize frame = decoration(*this);
    const QRect now(pos(), size() + frame);
    const QRect kept = KeepOnArea(now, availableArea(*this));
    if (kept.size() != now.size())
        resize(kept.size() - frame);
    if (kept.topLeft() != pos())
        move(kept.topLeft());
}

void ObjectWindow::OnOK() { hide(); }
void ObjectWindow::OnCancel() { hide(); }

void ObjectWindow::postCommand(int command) { QCoreApplication::postEvent(this, new CommandEvent(command)); }

void ObjectWindow::onCommand(int command)
{
    if (command == kRefreshCommand)
        Refresh();
    else if (command == kDisableCommand)
        DisableControls();
}

bool ObjectWindow::event(QEvent* event)
{
    if (event->type() == kCommandEvent) {
        onCommand(static_cast<CommandEvent*>(event)->command());
        return true;
    }
    return CDynamicDialog::event(event);
}

void ObjectWindow::runCloseSteps()
{
    if (m_closing)
        return;
    m_closing = true;
    closeOwnedWindows();
    if (isLive())
        DestroyWindow();
    if (m_manager != nullptr) {
        m_manager->UnregisterWindow(this);
        m_manager = nullptr;
        m_open = false;
    }
    m_closing = false;
}

void ObjectWindow::closeEvent(QCloseEvent* event)
{
    // The close box: the window leaves its manager and is freed once control returns to the loop.
    event->accept();
    runCloseSteps();
    deleteLater();
}

} // namespace views
