#include "plugin/views/object_window.h"

#include "plugin/views/commands.h"
#include "plugin/views/window_manager.h"

#include <QCloseEvent>
#include <QCoreApplication>
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

void ObjectWindow::OnInitialized()
{
    if (RestoreWindowPosition(RestoreState | RestoreVisibility))
        return;
    CDynamicDialog::OnInitialized(); // centred over its owner
    // A window without an owner is placed here, at the centre of its screen, so its position is known
    // before it is shown and the step below compares real places, not the unplaced (0, 0).
    QWidget* owner = parentWidget();
    if ((owner == nullptr || !isWindow()) && screen() != nullptr) {
        const QRect area = screen()->availableGeometry();
        move(area.center().x() - width() / 2, area.center().y() - height() / 2);
    }
    int width = preferredWidth();
    if (const QScreen* shown = screen())
        width = std::min(width, shown->availableGeometry().width());
    if (width > this->width()) {
        if (owner == nullptr)
            move(pos().x() - (width - this->width()) / 2, pos().y()); // still centred
        resize(width, height());
    }
    if (m_manager == nullptr)
        return;
    // Step down and right past every open window at the same place, so the new one never hides it.
    constexpr int kCascadeStep = 24;
    const std::vector<ObjectWindow*>& open = m_manager->windows();
    for (std::size_t step = 0; step <= open.size(); ++step) {
        const bool covered = std::any_of(open.begin(), open.end(), [this](const ObjectWindow* other) {
            return other != this && other->isVisible() && other->pos() == pos();
        });
        if (!covered)
            break;
        move(pos() + QPoint(kCascadeStep, kCascadeStep));
    }
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
