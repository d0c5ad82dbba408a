#include "plugin/views/object_window.h"

#include "plugin/views/commands.h"
#include "plugin/views/window_manager.h"
#include "plugin/views/window_placement.h"

#include "gui/layout/window_frame.h"

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

// The extents of the window's frame: the window manager's once it has framed the window, before that
// those of the last window it framed.
QMargins frameExtents(const QWidget& window)
{
    const QMargins extents = layout::FrameExtents(window);
    return extents.isNull() ? layout::LastFrameExtents() : extents;
}

// The height of a title bar: the frame's top where it is deeper than its sides (a title bar), else a
// cascade step (no frame drawn, or only a border).
int titleBar(const QMargins& extents) { return extents.top() > extents.left() ? extents.top() : kCascadeStep; }

QSize grownBy(const QSize& size, const QMargins& m) { return size + QSize(m.left() + m.right(), m.top() + m.bottom()); }

} // namespace

namespace {

// How long the window manager may take to carry out a placement, reporting stale frames meanwhile.
constexpr qint64 kSettleMs = 1500;

} // namespace

QRect ObjectWindow::placedFrame() const
{
    // While the window manager carries out a placement, the frame placed; once it has settled, where the
    // window is (the user may have moved it).
    if (!m_frame.isValid() || (m_framed && m_placed.isValid() && m_placed.elapsed() > kSettleMs))
        return frameGeometry();
    return m_frame;
}

bool ObjectWindow::cascading() const
{
    return !m_placementRestored && !centredOnOwner() && m_placed.isValid() &&
           !(m_framed && m_placed.elapsed() > kSettleMs);
}

void ObjectWindow::placeLaterWindows()
{
    if (m_manager == nullptr)
        return;
    const std::vector<ObjectWindow*> windows = m_manager->windows();
    const auto self = std::find(windows.begin(), windows.end(), this);
    if (self == windows.end())
        return;
    for (auto later = self + 1; later != windows.end(); ++later)
        if ((*later)->cascading())
            (*later)->placeNew(!(*later)->m_fitted);
}

void ObjectWindow::OnInitialized()
{
    m_placementRestored = RestoreWindowPosition(RestoreState | RestoreVisibility);
    // A stored place that no longer lies on the screen (a smaller screen now) is cascaded anew, at the
    // stored size.
    if (m_placementRestored && (centredOnOwner() || !availableArea(*this).contains(restoredFrame())))
        m_placementRestored = false;
    m_clientSize = size();
    if (m_placementRestored) {
        m_frame = restoredFrame();
        m_placed.start();
    } else {
        placeNew();
    }
    // Placed again by the frame the window manager draws, once it has drawn it.
    layout::WhenFramed(*this, [this] {
        m_framed = true;
        if (m_placementRestored && !isMaximized()) {
            layout::SetFrameGeometry(*this, KeepOnArea(m_frame, availableArea(*this)));
            m_placed.start();
        } else if (!m_placementRestored) {
            placeNew(!m_fitted);
            placeLaterWindows();
        }
    });
}

void ObjectWindow::placeNew(bool leaveRoom)
{
    const QRect area = availableArea(*this);
    const QMargins extents = frameExtents(*this);
    const int bar = titleBar(extents);
    // The client size meant (a resize not yet carried out by the window manager leaves size() stale).
    QSize frame = grownBy(m_clientSize, extents);
    const QSize room = leaveRoom ? FrameRoom(frame, area, bar) : frame.boundedTo(area.size());
    if (room != frame) {
        m_clientSize = (room - (frame - m_clientSize)).expandedTo(minimumSize());
        frame = grownBy(m_clientSize, extents);
    }
    std::optional<QRect> last;
    std::vector<QRect> open;
    const QWidget* owner = m_manager != nullptr ? m_manager->owner() : nullptr;
    if (m_manager != nullptr) {
        // The windows opened before this one, shown or hidden for now (it may be on its way to the screen,
        // or come back there); the last is the last of them. Windows opened after it are placed again
        // after it (placeLaterWindows).
        for (const ObjectWindow* other : m_manager->windows()) {
            if (other == this)
                break;
            open.push_back(other->placedFrame());
            if (!other->centredOnOwner()) // a window centred on the owner starts no cascade
                last = open.back();
        }
    }
    // The control panel that owns the windows stays in view: no new window covers its frame while room
    // remains.
    const bool ownerShown = owner != nullptr && owner->isVisible() && owner != this;
    // A docked panel is kept free where it lies on the screen.
    const QRect ownerFrame = !ownerShown          ? area
                             : owner->isWindow() ? owner->frameGeometry()
                                                 : QRect(owner->mapToGlobal(QPoint(0, 0)), owner->size());
    if (centredOnOwner())
        m_frame = CentredOn(ownerFrame, frame, area);
    else
        m_frame = QRect(CascadePosition(area, frame, last, open, bar,
                                        ownerShown ? std::optional<QRect>(ownerFrame) : std::nullopt),
                        frame);
    layout::SetFrameGeometry(*this, m_frame);
    m_placed.start();
}

void ObjectWindow::fitFirstOpen(int wanted)
{
    if (m_fitted)
        return;
    m_fitted = true;
    if (m_placementRestored)
        return;
    const int width = std::max(wanted, minimumWidth());
    if (width == m_clientSize.width())
        return;
    m_clientSize.setWidth(width);
    // Placed again at its new size (as wide as its columns, up to the screen's width): a title bar from
    // the last window, or a new column.
    placeNew(false);
    placeLaterWindows();
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
