#include "plugin/views/kit/list_sheet.h"

namespace views {

bool ColumnSpec::holds(const ColumnContext& context) const
{
    if (classAttribute != 0 && (context.classAttributes & classAttribute) == 0)
        return false;
    if (needTrace && !context.traceAvailable)
        return false;
    if (needTaskClass && !context.taskClass)
        return false;
    if (otherAttribute != 0 && (context.otherAttributes & otherAttribute) == 0)
        return false;
    return true;
}

void ListSheet::setColumns(const std::vector<ColumnSpec>& columns, const ColumnContext& context)
{
    m_columns = columns;
    if (!m_columns.empty())
        m_columns.front().align = Align::Right;
    m_shown.clear();
    for (const ColumnSpec& spec : m_columns)
        m_shown.push_back(spec.holds(context));
    m_rows.clear();
}

void ListSheet::setColumnShown(int logical, bool shown)
{
    if (logical >= 0 && logical < columnCount())
        m_shown[static_cast<std::size_t>(logical)] = shown;
}

bool ListSheet::isShown(int logical) const
{
    return logical >= 0 && logical < columnCount() && m_shown[static_cast<std::size_t>(logical)];
}

std::vector<int> ListSheet::shownColumns() const
{
    std::vector<int> ids;
    for (int c = 0; c < columnCount(); ++c)
        if (m_shown[static_cast<std::size_t>(c)])
            ids.push_back(c);
    return ids;
}

int ListSheet::shownIndex(int logical) const
{
    if (!isShown(logical))
        return -1;
    int index = 0;
    for (int c = 0; c < logical; ++c)
        if (m_shown[static_cast<std::size_t>(c)])
            ++index;
    return index;
}

int ListSheet::addRow(uint32_t itemData)
{
    m_rows.push_back(Row{std::vector<std::string>(m_columns.size()), itemData});
    return rowCount() - 1;
}

void ListSheet::set(int row, int logical, const std::string& text)
{
    if (row < 0 || row >= rowCount() || !isShown(logical))
        return;
    m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(logical)] = text;
}

std::string ListSheet::cell(int row, int logical) const
{
    if (row < 0 || row >= rowCount() || !isShown(logical))
        return {};
    return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(logical)];
}

uint32_t ListSheet::itemData(int row) const
{
    return row >= 0 && row < rowCount() ? m_rows[static_cast<std::size_t>(row)].data : 0;
}

void ListSheet::setItemData(int row, uint32_t data)
{
    if (row >= 0 && row < rowCount())
        m_rows[static_cast<std::size_t>(row)].data = data;
}

int ListSheet::addNoteRow(const std::string& text)
{
    const std::vector<int> shown = shownColumns();
    if (shown.empty())
        return -1;
    const int row = addRow(0);
    set(row, shown.size() > 1 ? shown[1] : shown[0], text);
    setNote(row);
    return row;
}

void ListSheet::setNote(int row)
{
    if (row >= 0 && row < rowCount())
        m_rows[static_cast<std::size_t>(row)].note = true;
}

bool ListSheet::isNote(int row) const { return row >= 0 && row < rowCount() && m_rows[static_cast<std::size_t>(row)].note; }

void ListSheet::clear()
{
    m_columns.clear();
    m_shown.clear();
    m_rows.clear();
}

LogTable ListSheet::shownTable() const
{
    LogTable table;
    const std::vector<int> ids = shownColumns();
    for (int id : ids)
        table.headers.push_back(column(id).title);
    for (int r = 0; r < rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int id : ids)
            cells.push_back(cell(r, id));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

} // namespace views
