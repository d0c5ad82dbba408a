#pragma once
// The report-view list beside the project tree: shows the children of the selected tree node as rows
// (CPUs, applications, kernel classes or objects), with columns per view and, for object views, per class
// type. Column widths are remembered per view kind and per class type while the program runs; every fill
// sizes the columns to their contents (at most 200 pixels).

#include "list_content.h"

#include <QTreeWidget>

#include <map>
#include <vector>

class ObjectListPane {
public:
    static constexpr int kControlId = 1047;
    static constexpr int kDefaultWidth = 100;
    static constexpr int kMaxWidth = 200;
    static constexpr int kPadding = 12;

    ObjectListPane(QTreeWidget* list, QWidget* owner);

    // Rebuilds the columns for a view kind, remembering the widths of the view being left.
    void SetView(int kind, const shell::ListSource& source);
    // Fills the rows of the view; with updateOnly the rows exist already and only their texts change.
    void Fill(int kind, const shell::ListSource& source, bool updateOnly);
    // Sizes every column to its header and cells.
    void AutoSizeColumns();
    // Empties the list (rows and columns).
    void Clear();

    int viewKind() const { return m_viewKind; }
    int classType() const { return m_classType; }
    QTreeWidget* list() const { return m_list; }
    // The tree item a row stands for (0 when none).
    uint32_t treeItemOfRow(const QTreeWidgetItem* row) const;
    // The row's place in a chain of class entries that share one tree item (0 for the first).
    int chainDepthOfRow(const QTreeWidgetItem* row) const;

private:
    std::vector<int>& widthsOfCurrentView();
    void rememberWidths();

    QTreeWidget* m_list;
    QWidget* m_owner;
    std::map<int, std::vector<int>> m_viewWidths;  // by view kind 1-3
    std::map<int, std::vector<int>> m_classWidths; // by class type
    int m_viewKind = 0;
    int m_classType = 0;
};
