#pragma once
// The plug-in's dockable report list: rows with per-cell text colour, background, font style and
// bitmap, check boxes in the first column, in-place editing of a cell by an edit box or a drop-down
// list, a context-menu hook, export of all rows as tab-separated text, and its layout kept in the IDE's
// per-window storage. DpListWindowBase holds the behaviour and asks its subclass for the cells;
// DpListWindow keeps the rows.

#include "plugin/views/listwin/gui_window.h"

#include <QColor>
#include <QPointer>
#include <QToolBar>
#include <QTreeWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;

namespace views {

// Colours are 0x00RRGGBB; kDefaultColour means the list's own text or background colour.
constexpr uint32_t kDefaultColour = 0xFFFFFFFFu;
enum FontStyle : int { StyleProportional = 1, StyleBold, StyleItalic, StyleFixed, StyleFixedBold, StyleFixedItalic };
constexpr int kAttributeColumns = 32;

struct CellAttributes {
    int style = StyleProportional;
    uint32_t textColour = kDefaultColour;
    uint32_t background = kDefaultColour;
    bool editable = false;
    uint32_t bitmap = 0;
    uint32_t transparent = 0;
};

// The text colour drawn on a selection background: white on a dark one, black on a light one.
QColor SelectionTextColour(const QColor& background);

class DpListWindowBase : public QTreeWidget, public DpGUIWindow {
    Q_OBJECT

public:
    explicit DpListWindowBase(QWidget* parent = nullptr);
    ~DpListWindowBase() override;

    QWidget* GetWnd() override { return this; }
    // The first display: the toolbar of the toolbar resource (when one is set) at the top of the frame
    // the window sits in, full-row selection, the IDE's fonts, ready, InitColumns.
    void OnInitialUpdate();
    virtual void InitColumns() {}
    // A command of the window's toolbar.
    virtual void OnCommand(unsigned /*id*/) {}
    QToolBar* toolbar() const { return m_toolbar; }

    virtual void SetCheckBoxes(bool on) = 0;
    virtual bool HasCheckBoxes() const = 0;
    virtual void SetItemCheck(int row, bool checked) = 0;
    virtual bool GetItemCheck(int row) const = 0;
    virtual bool SetItemText(int row, int column, const std::string& text) = 0;
    virtual bool GetItemText(int row, int column, std::string& text) const = 0;
    virtual bool IsCellTextEditable(int /*row*/, int /*column*/) const { return false; }
    virtual bool IsCellListEditable(int /*row*/, int /*column*/) const { return false; }
    virtual void GetCellChoices(int /*row*/, int /*column*/, std::vector<std::string>& /*choices*/) {}
    virtual bool OnCellEdited(int /*row*/, int /*column*/, const std::string& /*text*/) { return false; }
    virtual void OnDoubleClick(int /*row*/) {}
    virtual void OnSelectionChanged(int /*row*/) {}
    virtual bool ShowContextMenu(int /*row*/, const QPoint& /*screenPoint*/) { return false; }
    bool ExportToFile(const std::string& path) const;
    virtual int GetRowCount() const = 0;
    virtual bool GetRow(int row, std::vector<std::string>& texts, std::vector<CellAttributes>& attributes) const = 0;
    void ToggleItemCheck(int row) { SetItemCheck(row, !GetItemCheck(row)); }

    bool SaveContent(IfContentStorage& storage) override;
    bool RestoreContent(IfContentStorage& storage) override;
    void OnFontDbEvent(IfFontDbEvent::Type type) override;

    // In-place editing (also reachable without a mouse).
    void OpenEditBox(int row, int column);
    void OpenDropDown(int row, int column);
    void CommitEdit();
    void CancelEdit();
    QLineEdit* editBox() const { return m_edit; }
    QComboBox* dropDown() const { return m_combo; }

    // The font of a style (styles outside 1..6 give the proportional font).
    QFont StyleFont(int style) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Refused edits: a beep and a message in the IDE's status bar.
    void RejectEdit();
    // A row or column that goes: an edit open in it is committed while it is still there (commitEditIn,
    // -1 for any row or column); one in a later row or column moves with its cell (followEdit...).
    void commitEditIn(int row, int column);
    void followEditAfterColumnDeleted(int column);
    void followEditAfterRowDeleted(int row);
    void showEvent(QShowEvent* event) override;

private:
    void closeEditors();
    void placeEditors(); // over the cell of the edit's row and column
    void setFonts();
    void createToolbar();

    QLineEdit* m_edit = nullptr;
    QComboBox* m_combo = nullptr;
    std::string m_textAtStart;
    int m_editRow = -1;
    int m_editColumn = -1;
    bool m_committing = false;
    std::array<QFont, 6> m_fonts;
    QPointer<QToolBar> m_toolbar; // in the parent frame, owned by the window
};

class DpListWindow : public DpListWindowBase {
    Q_OBJECT

public:
    explicit DpListWindow(QWidget* parent = nullptr);
    ~DpListWindow() override;

    // Inserts a row whose first cell holds the text, at the top (where 0) or the end (where 1).
    int InsertRow(const std::string& text, int where, uint32_t textColour = kDefaultColour,
                  int style = StyleProportional);
    // -1 when the index is negative or beyond the row count.
    int InsertRowAt(const std::string& text, int index, uint32_t textColour = kDefaultColour,
                    int style = StyleProportional);
    int InsertBitmapRow(uint32_t bitmap, uint32_t transparent, int where);

    bool SetItemText(int row, int column, const std::string& text) override;
    bool GetItemText(int row, int column, std::string& text) const override;
    bool SetCellBitmap(int row, int column, uint32_t bitmap, uint32_t transparent);
    bool SetRowTextColour(int row, uint32_t colour);
    bool SetCellTextColour(int row, int column, uint32_t colour);
    bool SetRowBackground(int row, uint32_t colour);
    bool SetCellBackground(int row, int column, uint32_t colour);
    bool SetRowStyle(int row, int style);
    bool SetCellStyle(int row, int column, int style);
    // False (nothing changes) for a cell showing a bitmap.
    bool SetCellEditable(int row, int column, bool editable);
    bool SetCellListEditable(int row, int column, bool editable);
    bool IsCellTextEditable(int row, int column) const override;
    bool IsCellListEditable(int row, int column) const override;
    bool DeleteRow(int row);
    void DeleteAllRows();
    void SetCheckBoxes(bool on) override;
    bool HasCheckBoxes() const override { return m_checkBoxes; }
    // Sets the row's state (checked or unchecked); it shows only while the list has check boxes.
    void SetItemCheck(int row, bool checked) override;
    // True unless the row's state is unchecked (false for a bad row).
    bool GetItemCheck(int row) const override;
    int GetRowCount() const override { return topLevelItemCount(); }
    bool GetRow(int row, std::vector<std::string>& texts, std::vector<CellAttributes>& attributes) const override;
    int GetColumnWidthAt(int column) const;
    bool SetColumnWidthAt(int column, int width);
    // The columns to the right move one to the left with their titles, alignments, widths and cells.
    bool DeleteColumn(int column);
    // Alignment 0 left, 1 centre, 2 right; appended after the last column. Answers its index.
    int AddColumn(const std::string& title, int width, int alignment);
    void SetSelectionBackground(const QColor& colour);
    void ResetSelectionBackground();

private:
    struct RowRecord;
    class Row;
    Row* rowAt(int row) const;
    // Shows the row's check state as a check box when the list has check boxes, else none.
    void showCheck(Row* item) const;
    bool validCell(int row, int column) const;
    RowRecord& record(int row);
    void applyCell(int row, int column);
    // No text, no bitmap, not editable, the list's own colours and font.
    void emptyCell(int row, int column);

    bool m_checkBoxes = false;
};

} // namespace views
