#include "custom_check_list_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// The classic colours of disabled text and of text that would vanish into its background.
const QColor kDisabledText(0xC0, 0xC0, 0xC0);
const QColor kFallbackText(0x80, 0x80, 0x80);

// Paints an item: the check cell at its indentation, then the text (the part after a tab right-aligned).
class CheckListDelegate : public QStyledItemDelegate {
public:
    explicit CheckListDelegate(CustomCheckListBox* list)
        : QStyledItemDelegate(list)
        , m_list(list)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int row = index.row();
        const QRect item = option.rect;
        const bool disabled = m_list->isItemDisabled(row);
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const QPalette& pal = option.palette;
        const int offset = m_list->textOffset(row);

        painter->save();
        const QRect checkArea(item.left(), item.top(), offset, item.height());
        painter->fillRect(checkArea, selected && !disabled ? pal.color(QPalette::Highlight) : pal.color(QPalette::Base));
        QStyleOptionButton box;
        box.rect = m_list->checkRectIn(item, row);
        box.state = (!disabled ? QStyle::State_Enabled : QStyle::State_None) |
                    (m_list->GetCheck(row) != 0 && !disabled ? QStyle::State_On : QStyle::State_Off);
        m_list->style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, painter, m_list);

        QRect textArea(item.left() + offset, item.top(), item.width() - offset, item.height());
        QColor text = disabled ? kDisabledText : pal.color(QPalette::Text);
        QColor back = pal.color(QPalette::Base);
        if (text == back)
            text = kFallbackText;
        if (selected && !disabled) {
            text = pal.color(QPalette::HighlightedText);
            back = pal.color(QPalette::Highlight);
        }
        painter->fillRect(textArea, back);
        painter->setPen(text);
        const QString label = index.data(Qt::DisplayRole).toString();
        const qsizetype tab = label.indexOf(u'\t');
        const QRect inner = textArea.adjusted(4, 0, 0, 0);
        const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
        painter->drawText(inner, flags | Qt::AlignLeft, tab < 0 ? label : label.left(tab));
        if (tab >= 0)
            painter->drawText(inner, flags | Qt::AlignRight, label.mid(tab + 1));
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.rect = item;
            focus.palette = pal;
            m_list->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, m_list);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString label = index.data(Qt::DisplayRole).toString().replace(u'\t', QStringLiteral("    "));
        const int width = m_list->textOffset(index.row()) + 8 + option.fontMetrics.horizontalAdvance(label);
        return {width, m_list->minimumItemHeight()};
    }

private:
    CustomCheckListBox* m_list;
};

} // namespace

CustomCheckListBox::CustomCheckListBox(QWidget* parent)
    : QListWidget(parent)
{
    setItemDelegate(new CheckListDelegate(this));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

int CustomCheckListBox::InsertString(int index, const QString& text)
{
    auto* entry = new QListWidgetItem(text);
    entry->setData(CheckStateRole, 0);
    entry->setData(EnabledRole, true);
    entry->setData(CallerDataRole, 0u);
    if (index < 0 || index > count())
        index = count();
    insertItem(index, entry);
    return index;
}

int CustomCheckListBox::AddString(const QString& text)
{
    return InsertString(count(), text);
}

int CustomCheckListBox::setRole(int row, int role, const QVariant& value)
{
    QListWidgetItem* entry = item(row);
    if (!entry)
        return -1;
    entry->setData(role, value);
    return 1;
}

int CustomCheckListBox::SetCheck(int row, int state)
{
    return setRole(row, CheckStateRole, state);
}

int CustomCheckListBox::GetCheck(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(CheckStateRole).toInt() : 0;
}

int CustomCheckListBox::Enable(int row, bool enabled)
{
    return setRole(row, EnabledRole, enabled);
}

int CustomCheckListBox::IsEnabled(int row) const
{
    const QListWidgetItem* entry = item(row);
    if (!entry)
        return 1;
    const QVariant value = entry->data(EnabledRole);
    return !value.isValid() || value.toBool() ? 1 : 0;
}

std::int32_t& CustomCheckListBox::tagSlot(int row)
{
    const auto index = static_cast<std::size_t>(row);
    if (index >= m_tags.size())
        m_tags.resize(index + 1, 0);
    return m_tags[index];
}

int CustomCheckListBox::SetItemTag(int row, int tag)
{
    if (row < 0)
        return 0;
    tagSlot(row) = tag;
    viewport()->update();
    return 1;
}

int CustomCheckListBox::GetItemTag(int row)
{
    return row < 0 ? 0 : tagSlot(row);
}

int CustomCheckListBox::tagOf(int row) const
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_tags.size())
        return 0;
    return m_tags[static_cast<std::size_t>(row)];
}

int CustomCheckListBox::SetItemData(int row, std::uint32_t data)
{
    return setRole(row, CallerDataRole, data);
}

std::uint32_t CustomCheckListBox::GetItemData(int row) const
{
    const QListWidgetItem* entry = item(row);
    return entry ? entry->data(CallerDataRole).toUInt() : 0;
}

bool CustomCheckListBox::isItemDisabled(int row) const
{
    return !isEnabled() || !IsEnabled(row);
}

int CustomCheckListBox::minimumItemHeight() const
{
    return std::max(fontMetrics().height(), kCellHeight + 1);
}

int CustomCheckListBox::textOffset(int row) const
{
    return 4 + (tagOf(row) + 1) * kCellWidth;
}

QRect CustomCheckListBox::GetCheckPosition(const QRect&, const QRect& checkRect) const
{
    return checkRect;
}

QRect CustomCheckListBox::checkRect(int row) const
{
    const QListWidgetItem* entry = item(row);
    if (!entry)
        return {};
    return checkRectIn(visualItemRect(entry), row);
}

QRect CustomCheckListBox::checkRectIn(const QRect& itemRect, int row) const
{
    const QRect box(itemRect.left() + 3 + tagOf(row) * kCellWidth,
                    itemRect.top() + 1 + std::max(0, (itemRect.height() - kCellHeight) / 2), kCellWidth, kCellHeight);
    return GetCheckPosition(itemRect, box);
}

int CustomCheckListBox::nextState(int state)
{
    if (state == 2)
        state = 1;
    return (state + 1) % 2;
}

bool CustomCheckListBox::allowsSeveralSelected() const
{
    return selectionMode() == QAbstractItemView::MultiSelection ||
           selectionMode() == QAbstractItemView::ExtendedSelection;
}

int CustomCheckListBox::hitTest(const QPoint& pos, bool& onCheck) const
{
    onCheck = false;
    const QListWidgetItem* entry = itemAt(pos);
    if (!entry)
        return -1;
    const int row = this->row(entry);
    const int x = pos.x() - visualItemRect(entry).left();
    const int tag = tagOf(row);
    onCheck = tag * kCellWidth <= x && x < (tag + 1) * kCellWidth + 4;
    return row;
}

void CustomCheckListBox::setState(int row, int state)
{
    SetCheck(row, state);
    if (QListWidgetItem* entry = item(row))
        viewport()->update(visualItemRect(entry));
}

void CustomCheckListBox::mousePressEvent(QMouseEvent* event)
{
    m_swallowRelease = false;
    if (event->button() != Qt::LeftButton) {
        QListWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    bool onCheck = false;
    const int row = hitTest(event->position().toPoint(), onCheck);
    if (row >= 0 && isItemDisabled(row)) {
        m_swallowRelease = true;
        return;
    }
    if (row < 0 || !onCheck) {
        QListWidget::mousePressEvent(event);
        return;
    }
    const int state = nextState(GetCheck(row));
    setState(row, state);
    const bool spread = allowsSeveralSelected() && item(row)->isSelected();
    if (spread) {
        for (int i = 0; i < count(); ++i) {
            if (item(i)->isSelected() && !isItemDisabled(i))
                setState(i, state);
        }
        m_swallowRelease = true;
    }
    // The owner hears of the check before the click moves the selection: an owner that refills the list
    // on a selection change would otherwise lose the check it has not stored yet.
    emit checkChanged();
    if (!spread)
        QListWidget::mousePressEvent(event);
}

void CustomCheckListBox::mouseReleaseEvent(QMouseEvent* event)
{
    // A press the list handled itself must not reach the selection logic through its release.
    if (m_swallowRelease) {
        m_swallowRelease = false;
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void CustomCheckListBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    bool onCheck = false;
    const int row = hitTest(event->position().toPoint(), onCheck);
    if (row >= 0 && (onCheck || isItemDisabled(row))) {
        m_swallowRelease = true;
        return;
    }
    QListWidget::mouseDoubleClickEvent(event);
}

void CustomCheckListBox::keyPressEvent(QKeyEvent* event)
{
    const int row = currentRow();
    if (event->key() != Qt::Key_Space || row < 0 || event->modifiers() != Qt::NoModifier) {
        QListWidget::keyPressEvent(event);
        return;
    }
    QListWidgetItem* entry = item(row);
    if (isItemDisabled(row)) {
        entry->setSelected(false);
        return;
    }
    if (selectionMode() == QAbstractItemView::MultiSelection) {
        if (entry->isSelected()) {
            setState(row, nextState(GetCheck(row)));
            emit checkChanged();
        }
        entry->setSelected(!entry->isSelected());
        return;
    }
    const int state = nextState(GetCheck(row));
    setState(row, state);
    if (selectionMode() == QAbstractItemView::ExtendedSelection) {
        for (int i = 0; i < count(); ++i) {
            if (item(i)->isSelected() && !isItemDisabled(i))
                setState(i, state);
        }
    }
    emit checkChanged();
}
