#include "plugin/views/report_list.h"

#include "platform/qt/locale_text.h"

#include <QFontDatabase>
#include <QHeaderView>

namespace views {
namespace {

// Marks a note row's item (ListSheet::isNote).
constexpr int kNoteRole = Qt::UserRole + 1;
// Room beside a cell's text.
constexpr int kCellMargin = 12;

// A note row holds its text in the first column, which spans the row, read from left to right; it is
// no object (item data 0).
void makeNote(QTreeWidgetItem& item, int columns)
{
    QString text;
    for (int c = 0; c < columns && text.isEmpty(); ++c)
        text = item.text(c);
    for (int c = 0; c < columns; ++c)
        item.setText(c, QString());
    item.setText(0, text);
    item.setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    item.setToolTip(0, text);
    item.setData(0, kNoteRole, true);
}

} // namespace

int ReportList::noteWidth(const std::string& text) const
{
    return QFontMetrics(font()).horizontalAdvance(platform::toQString(text)) + kCellMargin;
}

int ReportList::columnsWidth() const { return m_fittedWidth; }

int ReportList::widthToShow(const std::vector<std::string>& notes) const
{
    // The list's frame and vertical scroll bar beside its columns.
    constexpr int kListChrome = 24;
    int wanted = std::max(columnsWidth(), widestNote());
    for (const std::string& note : notes)
        wanted = std::max(wanted, noteWidth(note));
    return wanted + kListChrome;
}

int ReportList::widestNote() const
{
    int width = 0;
    for (int r = 0; r < topLevelItemCount(); ++r)
        if (topLevelItem(r)->data(0, kNoteRole).toBool())
            width = std::max(width, noteWidth(platform::toBytes(topLevelItem(r)->text(0))));
    return width;
}

bool ReportList::isNoteRow(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && item->data(0, kNoteRole).toBool();
}

ReportList::ReportList(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    // The last column fills the view, so a note row, which spans the columns, reads across the view
    // whatever the width of the columns.
    header()->setStretchLastSection(true);
    header()->setSectionsMovable(false);
    setColumnCount(0);
}

void ReportList::clearList()
{
    clear();
    setColumnCount(0);
    setHeaderLabels({});
}

void ReportList::showSheet(const ListSheet& sheet)
{
    setUpdatesEnabled(false);
    clear();
    const std::vector<int> ids = sheet.shownColumns();
    setColumnCount(static_cast<int>(ids.size()));
    QStringList labels;
    for (int id : ids)
        labels << platform::toQString(sheet.column(id).title);
    setHeaderLabels(labels);
    for (std::size_t c = 0; c < ids.size(); ++c) {
        const ColumnSpec& spec = sheet.column(ids[c]);
        Qt::Alignment align = (spec.align == Align::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        headerItem()->setTextAlignment(static_cast<int>(c), align);
        setColumnWidth(static_cast<int>(c), spec.width);
    }
    QList<QTreeWidgetItem*> items;
    for (int r = 0; r < sheet.rowCount(); ++r) {
        auto* item = new QTreeWidgetItem;
        for (std::size_t c = 0; c < ids.size(); ++c) {
            const ColumnSpec& spec = sheet.column(ids[c]);
            item->setText(static_cast<int>(c), platform::toQString(sheet.cell(r, ids[c])));
            item->setTextAlignment(static_cast<int>(c),
                                   (spec.align == Align::Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        item->setData(0, Qt::UserRole, QVariant::fromValue<uint>(sheet.itemData(r)));
        if (sheet.isNote(r))
            makeNote(*item, static_cast<int>(ids.size()));
        items << item;
    }
    addTopLevelItems(items);
    // A note reads across the row, whichever column held it.
    for (QTreeWidgetItem* item : items)
        if (item->data(0, kNoteRole).toBool())
            item->setFirstColumnSpanned(true);
    autoSizeColumns();
    setUpdatesEnabled(true);
}

void ReportList::autoSizeColumns()
{
    const QFontMetrics metrics(font());
    const QFontMetrics headerMetrics(header()->font());
    m_fittedWidth = 0;
    for (int c = 0; c < columnCount(); ++c) {
        int width = headerMetrics.horizontalAdvance(headerItem()->text(c)) + 16;
        for (int r = 0; r < topLevelItemCount(); ++r)
            if (!topLevelItem(r)->data(0, kNoteRole).toBool()) // notes do not widen a value's column
                width = std::max(width, metrics.horizontalAdvance(topLevelItem(r)->text(c)) + kCellMargin);
        setColumnWidth(c, width);
        m_fittedWidth += width;
    }
}

void ReportList::useFixedFont()
{
    // The system's fixed-pitch font at the list's own size.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font().pointSizeF() > 0)
        fixed.setPointSizeF(font().pointSizeF());
    setFont(fixed);
}

std::string ReportList::cellText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr && column >= 0 && column < columnCount() ? platform::toBytes(item->text(column))
                                                                    : std::string();
}

std::string ReportList::headerText(int column) const
{
    return column >= 0 && column < columnCount() ? platform::toBytes(headerItem()->text(column)) : std::string();
}

uint32_t ReportList::rowData(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item != nullptr ? item->data(0, Qt::UserRole).toUInt() : 0;
}

int ReportList::rowAt(const QPoint& viewportPoint) const
{
    QTreeWidgetItem* item = itemAt(viewportPoint);
    return item != nullptr ? indexOfTopLevelItem(item) : -1;
}

LogTable ReportList::table() const
{
    LogTable table;
    for (int c = 0; c < columnCount(); ++c)
        table.headers.push_back(headerText(c));
    for (int r = 0; r < rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < columnCount(); ++c)
            cells.push_back(cellText(r, c));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

bool ExportListToLog(const ReportList& list, const std::string& title)
{
    return ExportTableToLog(list.table(), title);
}

} // namespace views
