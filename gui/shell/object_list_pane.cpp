#include "object_list_pane.h"

#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

#include <QFontMetrics>
#include <QHeaderView>

#include <algorithm>

namespace {
constexpr int kItemRole = Qt::UserRole + 1;
constexpr int kChainRole = Qt::UserRole + 2;
constexpr int kHeaderTextLimit = 127;
} // namespace

ObjectListPane::ObjectListPane(QTreeWidget* list, QWidget* owner) : m_list(list), m_owner(owner)
{
    platform::setControlId(m_list, kControlId);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setColumnCount(0);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionsMovable(false);
}

std::vector<int>& ObjectListPane::widthsOfCurrentView()
{
    if (m_viewKind >= 1 && m_viewKind <= 3)
        return m_viewWidths[m_viewKind];
    return m_classWidths[m_classType];
}

void ObjectListPane::rememberWidths()
{
    if (m_viewKind == 0)
        return;
    std::vector<int>& widths = widthsOfCurrentView();
    const int count = m_list->columnCount();
    if (static_cast<int>(widths.size()) < count)
        widths.resize(static_cast<std::size_t>(count), kDefaultWidth);
    for (int i = 0; i < count; ++i)
        widths[static_cast<std::size_t>(i)] = m_list->columnWidth(i);
}

void ObjectListPane::Clear()
{
    rememberWidths();
    m_list->clear();
    m_list->setColumnCount(0);
    m_viewKind = 0;
}

void ObjectListPane::SetView(int kind, const shell::ListSource& source)
{
    m_list->setUpdatesEnabled(false);
    rememberWidths();
    m_list->clear();
    m_viewKind = kind;
    if ((kind == 4 || kind == 5) && source.entry)
        m_classType = source.entry->classType;
    const std::vector<shell::ListColumn> columns = shell::ListColumns(kind, source);
    m_list->setColumnCount(static_cast<int>(columns.size()));
    QStringList titles;
    for (const shell::ListColumn& column : columns)
        titles << platform::toQString(column.title);
    m_list->setHeaderLabels(titles);
    QTreeWidgetItem* header = m_list->headerItem();
    const std::vector<int>& widths = widthsOfCurrentView();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        header->setTextAlignment(i, columns[static_cast<std::size_t>(i)].rightAligned ? Qt::AlignRight | Qt::AlignVCenter
                                                                                       : Qt::AlignLeft | Qt::AlignVCenter);
        const std::size_t index = static_cast<std::size_t>(i);
        m_list->setColumnWidth(i, index < widths.size() ? widths[index] : kDefaultWidth);
    }
    m_list->setUpdatesEnabled(true);
}

void ObjectListPane::Fill(int kind, const shell::ListSource& source, bool updateOnly)
{
    m_list->setUpdatesEnabled(false);
    const std::vector<shell::ListColumn> columns = shell::ListColumns(kind, source);
    const std::vector<shell::ListRow> rows = shell::ListRows(kind, source);
    if (!updateOnly)
        m_list->clear();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        QTreeWidgetItem* item = updateOnly ? m_list->topLevelItem(static_cast<int>(r)) : nullptr;
        if (!item)
            item = new QTreeWidgetItem(m_list);
        item->setData(0, kItemRole, rows[r].treeItem);
        item->setData(0, kChainRole, rows[r].chainDepth);
        const std::size_t cellCount = std::min(rows[r].cells.size(), columns.size());
        for (std::size_t c = 0; c < cellCount; ++c) {
            const int column = static_cast<int>(c);
            item->setText(column, platform::toQString(rows[r].cells[c]));
            item->setTextAlignment(column, columns[c].rightAligned ? Qt::AlignRight | Qt::AlignVCenter
                                                                   : Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    AutoSizeColumns();
    m_list->setUpdatesEnabled(true);
    if (!rows.empty())
        m_list->viewport()->update();
}

void ObjectListPane::AutoSizeColumns()
{
    const QFontMetrics metrics(m_list->font());
    const QFontMetrics headerMetrics(m_list->header()->font());
    for (int c = 0; c < m_list->columnCount(); ++c) {
        const QString header = m_list->headerItem()->text(c).left(kHeaderTextLimit);
        int width = std::min(headerMetrics.horizontalAdvance(header), kMaxWidth);
        for (int r = 0; r < m_list->topLevelItemCount() && width < kMaxWidth; ++r)
            width = std::max(width, metrics.horizontalAdvance(m_list->topLevelItem(r)->text(c)));
        m_list->setColumnWidth(c, std::min(width + kPadding, kMaxWidth));
    }
    m_list->viewport()->update();
}

uint32_t ObjectListPane::treeItemOfRow(const QTreeWidgetItem* row) const
{
    return row ? row->data(0, kItemRole).toUInt() : 0;
}

int ObjectListPane::chainDepthOfRow(const QTreeWidgetItem* row) const
{
    return row ? row->data(0, kChainRole).toInt() : 0;
}
