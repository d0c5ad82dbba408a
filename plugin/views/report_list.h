#pragma once
// The report-style list of the kernel windows: a flat tree widget showing a ListSheet (shown columns,
// their alignment and widths, rows with their item data), single full-row selection, and the list
// operations the windows share.

#include "plugin/views/kit/list_sheet.h"

#include <QTreeWidget>

#include <string>
#include <vector>

namespace views {

class ReportList : public QTreeWidget {
    Q_OBJECT

public:
    explicit ReportList(QWidget* parent = nullptr);

    // Rebuilds columns and rows from the sheet, then fits the column widths to header and contents.
    void showSheet(const ListSheet& sheet);
    // Empties rows and columns.
    void clearList();
    // Fits every column to its header and cells.
    void autoSizeColumns();
    // A fixed-pitch font (the register and backtrace lists).
    void useFixedFont();

    int rowCount() const { return topLevelItemCount(); }
    std::string cellText(int row, int column) const;
    std::string headerText(int column) const;
    uint32_t rowData(int row) const;
    // The row under a point of the viewport, -1 beside the rows.
    int rowAt(const QPoint& viewportPoint) const;
    // A note row (ListSheet::isNote): its text, in column 0, reads across the row; it is no object.
    bool isNoteRow(int row) const;
    // The width a note's text needs, the widest note shown, and the width of the columns.
    int noteWidth(const std::string& text) const;
    int widestNote() const;
    // The columns as fitted to their contents (the last one fills the view beyond that).
    int columnsWidth() const;
    // The list's width at which every column is in view and the notes shown and given read whole.
    int widthToShow(const std::vector<std::string>& notes) const;

    // Headers and cells as shown.
    LogTable table() const;

private:
    int m_fittedWidth = 0;
};

// Appends the list to the data log under the window's title (messages as ExportTableToLog).
bool ExportListToLog(const ReportList& list, const std::string& title);

} // namespace views
