#pragma once
// The table model behind every list of the kernel windows, free of widgets: the column table of a
// window with the condition of each column, the columns that hold for the kernel at hand, and rows of
// cells written by logical column (the row of the column table). A cell written to a column that is
// not shown is dropped, so columns behind a missing one move up without a cell landing under the
// wrong header.

#include "plugin/views/data_log.h"

#include <cstdint>
#include <string>
#include <vector>

namespace views {

enum class Align { Left, Right };

// What decides whether a column is shown, read at the start of a refresh.
struct ColumnContext {
    uint32_t classAttributes = 0;
    bool traceAvailable = false;
    bool taskClass = false;          // the task class is configured
    uint32_t otherAttributes = 0;    // a second class's attributes (the level class of a schedule)
};

struct ColumnSpec {
    std::string title;
    Align align = Align::Left;
    int width = 50;
    uint32_t classAttribute = 0;     // shown only with one of these class attribute bits (0: always)
    bool needTrace = false;          // shown only when the target traces
    bool needTaskClass = false;      // shown only with the task class
    uint32_t otherAttribute = 0;     // shown only with one of these bits of the second class

    bool holds(const ColumnContext& context) const;
};

class ListSheet {
public:
    // Replaces columns and rows. Column 0 is always right-aligned.
    void setColumns(const std::vector<ColumnSpec>& columns, const ColumnContext& context);
    // Shows or hides a logical column afterwards (register columns decided by the rows).
    void setColumnShown(int logical, bool shown);
    bool isShown(int logical) const;
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    // The shown columns, as logical ids in order.
    std::vector<int> shownColumns() const;
    const ColumnSpec& column(int logical) const { return m_columns[static_cast<std::size_t>(logical)]; }
    // The shown position of a logical column, -1 when hidden.
    int shownIndex(int logical) const;

    // Appends a row; returns its index.
    int addRow(uint32_t itemData = 0);
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    void set(int row, int logical, const std::string& text);
    std::string cell(int row, int logical) const;
    uint32_t itemData(int row) const;
    void setItemData(int row, uint32_t data);
    // A note row (where a list stops, that reads were refused) says something of the list, not a value,
    // and is no object (item data 0, no popup): the columns are fitted to the value rows only, and the
    // list shows its text across the row.
    int addNoteRow(const std::string& text); // in the first shown column after "#"
    void setNote(int row);
    bool isNote(int row) const;
    void clearRows() { m_rows.clear(); }
    void clear();

    // Headers and cells of the shown columns, for the data log and the widgets.
    LogTable shownTable() const;

private:
    struct Row {
        std::vector<std::string> cells;
        uint32_t data = 0;
        bool note = false;
    };
    std::vector<ColumnSpec> m_columns;
    std::vector<bool> m_shown;
    std::vector<Row> m_rows;
};

} // namespace views
