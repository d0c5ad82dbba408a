#pragma once
// The report-style list of the kernel windows: a flat tree widget showing a ListSheet (shown columns,
// their alignment and widths, rows with their item data), single full-row selection, and the list
// operations the windows share.

#include "plugin/views/kit/list_sheet.h"

#include <QTreeWidget>

#include <string>

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

    // Headers and cells as shown.
    LogTable table() const;
};

// Appends the list to the data log under the window's title (messages as ExportTableToLog).
bool ExportListToLog(const ReportList& list, const std::string& title);

} // namespace views
