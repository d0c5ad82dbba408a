#include "dynamic_wnd.h"

#include "platform/qt/control_id.h"

#include <QEvent>
#include <QSizeGrip>

// Follows the window's resizes, state changes and lost children for the mixin.
class CDynamicWnd::EventFilter : public QObject {
public:
    explicit EventFilter(CDynamicWnd& owner)
        : m_owner(owner)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_owner.m_window) {
            switch (event->type()) {
            case QEvent::Resize: m_owner.onResize(); break;
            case QEvent::WindowStateChange: m_owner.updateGripVisibility(); break;
            case QEvent::ChildRemoved:
                m_owner.RemoveControl(static_cast<QChildEvent*>(event)->child());
                break;
            default: break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    CDynamicWnd& m_owner;
};

namespace {

layout::LayoutRect rectOf(const QWidget* widget)
{
    const QRect g = widget->geometry();
    return {g.x(), g.y(), g.x() + g.width(), g.y() + g.height()};
}

bool isChildWindow(const QObject* object)
{
    return object->isWidgetType() && !static_cast<const QWidget*>(object)->isWindow();
}

} // namespace

CDynamicWnd::CDynamicWnd(int freedom, unsigned flags)
    : m_freedom(freedom)
    , m_flags(flags)
{
}

CDynamicWnd::~CDynamicWnd()
{
    if (m_window && m_filter)
        m_window->removeEventFilter(m_filter.get());
}

bool CDynamicWnd::isLayoutLive() const
{
    return !m_window.isNull();
}

int CDynamicWnd::GetControlCount() const
{
    return static_cast<int>(m_rules.size());
}

QSize CDynamicWnd::currentClientSize() const
{
    if (!isLayoutLive() || m_window->isMinimized())
        return {0, 0};
    return m_window->size();
}

CDynamicLayoutInfo CDynamicWnd::CreateLayoutInfo() const
{
    CDynamicLayoutInfo info;
    info.current = currentClientSize();
    info.initial = m_initialSize;
    info.delta = info.current - info.initial;
    info.controlCount = static_cast<unsigned>(m_rules.size());
    return info;
}

const layout::DynamicMapEntry* CDynamicWnd::GetDynamicMap() const
{
    return nullptr;
}

unsigned CDynamicWnd::ModifyFlags(unsigned add, unsigned remove)
{
    const unsigned old = m_flags;
    m_flags = (m_flags & ~remove) | add;
    return old;
}

bool CDynamicWnd::AddControl(QWidget* child, const layout::LayoutRule& rule, bool repositionNow)
{
    if (!isLayoutLive() || !child || child->parentWidget() != m_window || child->isWindow())
        return false;
    m_rules[child] = Entry{child, rule};
    if (repositionNow)
        placeNow(child);
    return true;
}

bool CDynamicWnd::AddControl(QWidget* child, layout::Percentages percent, QSize minimum, bool repositionNow)
{
    if (!child)
        return false;
    layout::LayoutRule rule;
    rule.rect = rectOf(child);
    rule.percent = percent;
    rule.minWidth = minimum.width();
    rule.minHeight = minimum.height();
    return AddControl(child, rule, repositionNow);
}

int CDynamicWnd::AddAllControls(layout::Percentages percent, QSize minimum, bool overwrite, bool repositionNow)
{
    if (!isLayoutLive())
        return 0;
    int added = 0;
    for (QObject* object : m_window->children()) {
        if (!isChildWindow(object))
            continue;
        auto* child = static_cast<QWidget*>(object);
        if (!overwrite && m_rules.count(child))
            continue;
        if (AddControl(child, percent, minimum, true))
            ++added;
    }
    if (added && repositionNow)
        Layout();
    return added;
}

bool CDynamicWnd::GetControlRect(const QWidget* child, layout::LayoutRect& rect, const CDynamicLayoutInfo& info) const
{
    const auto it = m_rules.find(child);
    if (it == m_rules.end())
        return false;
    rect = layout::placeChild(it->second.rule, info.delta.width(), info.delta.height());
    return true;
}

bool CDynamicWnd::RemoveControl(const QObject* child)
{
    return m_rules.erase(child) > 0;
}

void CDynamicWnd::placeNow(QWidget* child)
{
    const CDynamicLayoutInfo info = CreateLayoutInfo();
    if (info.isInitial())
        return;
    layout::LayoutRect r;
    if (GetControlRect(child, r, info) && r != rectOf(child))
        child->setGeometry(r.left, r.top, r.width(), r.height());
}

void CDynamicWnd::Layout()
{
    if (!isLayoutLive())
        return;
    const CDynamicLayoutInfo info = CreateLayoutInfo();
    const bool updates = m_window->updatesEnabled();
    m_window->setUpdatesEnabled(false);
    for (QObject* object : m_window->children()) {
        if (!isChildWindow(object))
            continue;
        auto* child = static_cast<QWidget*>(object);
        layout::LayoutRect r;
        if (GetControlRect(child, r, info) && r != rectOf(child))
            child->setGeometry(r.left, r.top, r.width(), r.height());
    }
    m_window->setUpdatesEnabled(updates);
}

void CDynamicWnd::onResize()
{
    if (m_disabled > 0 || !isLayoutLive() || m_window->isMinimized())
        return;
    Layout();
}

void CDynamicWnd::enableLayout()
{
    if (m_disabled > 0)
        --m_disabled;
}

void CDynamicWnd::setMaximumClientSize(QSize size)
{
    m_maximumSize = size;
    if (isLayoutLive())
        applySizeLimits();
}

void CDynamicWnd::applySizeLimits()
{
    m_window->setMinimumSize(m_minimumSize);
    const bool horizontal = (m_freedom & FreedomHorizontal) != 0;
    const bool vertical = (m_freedom & FreedomVertical) != 0;
    m_window->setMaximumWidth(!horizontal ? m_minimumSize.width()
                                          : (m_maximumSize.width() > 0 ? m_maximumSize.width() : QWIDGETSIZE_MAX));
    m_window->setMaximumHeight(!vertical ? m_minimumSize.height()
                                         : (m_maximumSize.height() > 0 ? m_maximumSize.height() : QWIDGETSIZE_MAX));
}

void CDynamicWnd::registerTable()
{
    const layout::DynamicMapEntry* entry = GetDynamicMap();
    // A table is ended by its MapEnd row; the bound only guards against a table that lost it.
    for (int row = 0; entry && row < 1024 && entry->kind != layout::MapEnd; ++row, ++entry) {
        if (entry->kind != layout::MapPercentages && entry->kind != layout::MapModes)
            continue;
        const layout::Percentages percent = layout::percentagesOfEntry(*entry);
        if (entry->controlId == 0) {
            AddAllControls(percent, QSize(0, 0), false, false);
            continue;
        }
        if (QWidget* child = platform::findControl(m_window, static_cast<int>(entry->controlId)))
            AddControl(child, percent, QSize(0, 0), false);
    }
}

void CDynamicWnd::createSizeGrip()
{
    auto* grip = new QSizeGrip(m_window);
    platform::setControlId(grip, kSizeGripId);
    const QSize size = grip->sizeHint();
    const QSize client = m_window->size();
    grip->setGeometry(client.width() - size.width(), client.height() - size.height(), size.width(), size.height());
    m_grip = grip;
    AddControl(grip, layout::Percentages{100, 100, 100, 100}, QSize(0, 0), false);
    updateGripVisibility();
}

void CDynamicWnd::updateGripVisibility()
{
    if (!m_grip || !isLayoutLive())
        return;
    const bool maximised = (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
    m_grip->setVisible(!maximised);
}

void CDynamicWnd::InitializeLayout(QWidget* window)
{
    if (!window || isLayoutLive())
        return;
    m_window = window;
    m_rules.clear();
    m_filter = std::make_unique<EventFilter>(*this);
    window->installEventFilter(m_filter.get());
    // A window that was never given a size gets the one it will be shown at before it is measured.
    if (window->isWindow() && !window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    m_initialSize = window->size();
    m_minimumSize = m_initialSize;
    const int before = GetControlCount();
    registerTable();
    applySizeLimits();
    if (m_flags & FlagSizeGrip)
        createSizeGrip();
    m_disabled = 0;
    OnInitialized();
    if (GetControlCount() != before)
        Layout();
}

void CDynamicWnd::TeardownLayout()
{
    if (isLayoutLive())
        OnDestroying();
    m_disabled = 1;
    if (m_window && m_filter)
        m_window->removeEventFilter(m_filter.get());
    m_filter.reset();
    m_rules.clear();
    delete m_grip.data();
    m_grip = nullptr;
    m_window = nullptr;
}

void CDynamicWnd::OnInitialized()
{
}

void CDynamicWnd::OnDestroying()
{
}
