#include "drag_tree_ctrl.h"

#include "platform/qt/control_id.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {
constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 3;
constexpr int kMaxTreeDepth = 64; // parent walks stop here whatever the tree holds
} // namespace

DragTreeCtrl::DragTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    platform::setControlId(this, kControlId);
    setHeaderHidden(true);
    setColumnCount(1);
    // Long node texts are shown whole and scroll sideways, never cut at the pane's edge. The column is
    // fitted once per turn of the event loop, however many items changed (a rebuild sets every label).
    header()->setStretchLastSection(false);
    setTextElideMode(Qt::ElideNone);
    m_fitTimer.setSingleShot(true);
    m_fitTimer.setInterval(0);
    connect(&m_fitTimer, &QTimer::timeout, this, [this] { resizeColumnToContents(0); });
    auto fitLater = [this] { m_fitTimer.start(); };
    connect(model(), &QAbstractItemModel::rowsInserted, this, fitLater);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, fitLater);
    connect(model(), &QAbstractItemModel::dataChanged, this, fitLater);
    connect(model(), &QAbstractItemModel::modelReset, this, fitLater);
    connect(this, &QTreeWidget::itemExpanded, this, fitLater);
    connect(this, &QTreeWidget::itemCollapsed, this, fitLater);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
    setExpandsOnDoubleClick(false);
    setMouseTracking(false);
    m_beep = [] { QApplication::beep(); };
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { emit selectionChangedId(idOf(current)); });
}

DragTreeCtrl::~DragTreeCtrl()
{
    // The base class empties the model after this point; the fitting timer is gone by then.
    disconnect(model(), nullptr, this, nullptr);
}

uint32_t DragTreeCtrl::InsertItem(uint32_t parent, const QString& text, int image)
{
    QTreeWidgetItem* parentItem = parent ? itemOf(parent) : nullptr;
    if (parent && !parentItem)
        return 0;
    auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
    const uint32_t id = m_nextId++;
    if (m_nextId == 0)
        m_nextId = 1;
    item->setData(0, kIdRole, id);
    m_items[id] = item;
    SetItem(id, text, image);
    return id;
}

bool DragTreeCtrl::SetItem(uint32_t id, const QString& text, int image)
{
    QTreeWidgetItem* item = itemOf(id);
    if (!item)
        return false;
    item->setText(0, text);
    item->setData(0, kImageRole, image);
    if (image >= 0 && static_cast<std::size_t>(image) < m_images.size())
        item->setIcon(0, m_images[static_cast<std::size_t>(image)]);
    else
        item->setIcon(0, QIcon());
    return true;
}

void DragTreeCtrl::DeleteAllItems()
{
    CancelDrag();
    m_items.clear();
    clear();
}

QTreeWidgetItem* DragTreeCtrl::itemOf(uint32_t id) const
{
    if (id == 0)
        return nullptr;
    const auto found = m_items.find(id);
    return found == m_items.end() ? nullptr : found->second;
}

uint32_t DragTreeCtrl::idOf(const QTreeWidgetItem* item) const
{
    return item ? item->data(0, kIdRole).toUInt() : 0;
}

uint32_t DragTreeCtrl::GetParentItem(uint32_t item) const
{
    const QTreeWidgetItem* node = itemOf(item);
    return node ? idOf(node->parent()) : 0;
}

uint32_t DragTreeCtrl::GetRootItem() const
{
    return idOf(topLevelItem(0));
}

uint32_t DragTreeCtrl::GetSelectedItem() const
{
    return idOf(currentItem());
}

void DragTreeCtrl::SelectItem(uint32_t item)
{
    QTreeWidgetItem* node = itemOf(item);
    setCurrentItem(node);
    if (node)
        scrollToItem(node);
}

bool DragTreeCtrl::IsExpanded(uint32_t item) const
{
    const QTreeWidgetItem* node = itemOf(item);
    return node && node->isExpanded();
}

void DragTreeCtrl::Expand(uint32_t item, bool expand)
{
    if (QTreeWidgetItem* node = itemOf(item))
        node->setExpanded(expand);
}

int DragTreeCtrl::imageOf(uint32_t item) const
{
    const QTreeWidgetItem* node = itemOf(item);
    return node ? node->data(0, kImageRole).toInt() : -1;
}

uint32_t DragTreeCtrl::HitTest(const QPoint& viewportPoint) const
{
    return idOf(itemAt(viewportPoint));
}

void DragTreeCtrl::setDropHighlight(uint32_t item)
{
    if (m_highlighted == item)
        return;
    if (QTreeWidgetItem* old = itemOf(m_highlighted)) {
        old->setData(0, kDropHighlightRole, QVariant());
        old->setBackground(0, QBrush());
    }
    m_highlighted = item;
    if (QTreeWidgetItem* node = itemOf(item)) {
        node->setData(0, kDropHighlightRole, true);
        node->setBackground(0, palette().highlight());
    }
}

bool DragTreeCtrl::isAncestorOrSelf(uint32_t item, uint32_t of) const
{
    // Walks up from `of` looking for `item`.
    uint32_t node = of;
    for (int depth = 0; node && depth < kMaxTreeDepth; ++depth) {
        if (node == item)
            return true;
        node = GetParentItem(node);
    }
    return false;
}

void DragTreeCtrl::BeginDrag(const QPoint& viewportPoint)
{
    m_dragItem = HitTest(viewportPoint);
    m_dropTarget = 0;
    if (!m_dragItem || !m_owner || !m_owner->CanDragTreeItem(m_dragItem)) {
        m_dragItem = 0;
        return;
    }
    m_dragging = true;
    // The drag image: the item's icon and text following the pointer.
    QTreeWidgetItem* item = itemOf(m_dragItem);
    auto* image = new QLabel(viewport());
    image->setText(item->text(0));
    image->setAttribute(Qt::WA_TransparentForMouseEvents);
    image->setStyleSheet(QStringLiteral("background: transparent; color: palette(text);"));
    image->adjustSize();
    image->move(viewportPoint);
    image->show();
    m_dragImage = image;
    viewport()->grabMouse();
}

void DragTreeCtrl::DragMove(const QPoint& viewportPoint)
{
    if (!m_dragging)
        return;
    if (m_dragImage)
        m_dragImage->move(viewportPoint);
    const uint32_t under = HitTest(viewportPoint);
    if (!under)
        return;
    if (m_owner && under != m_dragItem && m_owner->CanDropTreeItem(under, m_dragItem)) {
        setDropHighlight(under);
        m_dropTarget = under;
    } else {
        // The remembered target stays; only the highlight goes.
        setDropHighlight(0);
    }
}

void DragTreeCtrl::EndDrag(const QPoint&)
{
    if (!m_dragging)
        return;
    m_dragging = false;
    delete m_dragImage;
    const uint32_t target = m_dropTarget;
    const uint32_t dragged = m_dragItem;
    viewport()->releaseMouse();
    setDropHighlight(0);
    m_dropTarget = 0;
    m_dragItem = 0;
    if (dragged && target && dragged != target && !isAncestorOrSelf(dragged, target) && m_owner)
        m_owner->DropTreeItem(target, dragged);
    else if (m_beep)
        m_beep();
}

void DragTreeCtrl::CancelDrag()
{
    if (!m_dragging)
        return;
    m_dragging = false;
    delete m_dragImage;
    viewport()->releaseMouse();
    setDropHighlight(0);
    m_dropTarget = 0;
    m_dragItem = 0;
}

bool DragTreeCtrl::HandleKey(int key)
{
    switch (key) {
    case Qt::Key_Control:
        if (m_owner)
            m_owner->OnEditChange();
        return true;
    case Qt::Key_Space: {
        const uint32_t item = GetSelectedItem();
        if (item) {
            const bool expand = !IsExpanded(item);
            Expand(item, expand);
            if (m_owner)
                m_owner->RecordTreeExpansion(item, expand);
        }
        return true;
    }
    case Qt::Key_Home:
        SelectItem(GetRootItem());
        return true;
    case Qt::Key_Insert:
        if (m_owner)
            m_owner->OnEditAdd();
        return true;
    case Qt::Key_Delete:
        if (m_owner)
            m_owner->OnEditDelete();
        return true;
    default:
        return false;
    }
}

void DragTreeCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const uint32_t item = HitTest(event->position().toPoint());
        if (item) {
            SelectItem(item);
            emit itemRightClicked(item, event->globalPosition().toPoint());
        }
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPoint = event->position().toPoint();
    }
    QTreeWidget::mousePressEvent(event);
}

void DragTreeCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (m_dragging) {
        DragMove(point);
        event->accept();
        return;
    }
    if (m_pressed && (event->buttons() & Qt::LeftButton) &&
        (point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        BeginDrag(m_pressPoint);
        if (m_dragging) {
            DragMove(point);
            event->accept();
            return;
        }
    }
    QTreeWidget::mouseMoveEvent(event);
}

void DragTreeCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = false;
    if (m_dragging && event->button() == Qt::LeftButton) {
        EndDrag(event->position().toPoint());
        event->accept();
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void DragTreeCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    const uint32_t item = HitTest(event->position().toPoint());
    if (item && event->button() == Qt::LeftButton) {
        SelectItem(item);
        emit itemDoubleClickedId(item);
        event->accept();
        return;
    }
    QTreeWidget::mouseDoubleClickEvent(event);
}

void DragTreeCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_dragging) {
        CancelDrag();
        return;
    }
    // Ctrl alone maps to Change; Ctrl with another key is left to the default handling.
    if (event->key() == Qt::Key_Control || event->modifiers() == Qt::NoModifier) {
        if (HandleKey(event->key())) {
            event->accept();
            return;
        }
    }
    QTreeWidget::keyPressEvent(event);
}

void DragTreeCtrl::focusOutEvent(QFocusEvent* event)
{
    CancelDrag();
    QTreeWidget::focusOutEvent(event);
}
