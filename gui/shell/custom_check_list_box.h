#pragma once
// A list whose items carry a check box: each item has a check state (0 unchecked, 1 checked,
// 2 indeterminate), an enabled flag, the caller's own data and a tag that indents its check box by whole
// box widths. A user click on a box (or Space) steps the state 0 -> 1 -> 0 (2 goes to 0), spreads to every
// selected enabled item of a multi-selection list, and sends checkChanged once. Disabled items draw grey
// text and an unchecked box and ignore clicks. Text after the first tab is right-aligned.

#include <QListWidget>

#include <cstdint>
#include <vector>

class CustomCheckListBox : public QListWidget {
    Q_OBJECT

public:
    // Data roles of the items.
    enum Role {
        CallerDataRole = Qt::UserRole,
        CheckStateRole = Qt::UserRole + 1,
        EnabledRole = Qt::UserRole + 2,
    };
    static constexpr int kChangeNotification = 40;
    // The check box cell, fixed so that the geometry does not depend on the style.
    static constexpr int kCellWidth = 13;
    static constexpr int kCellHeight = 13;

    explicit CustomCheckListBox(QWidget* parent = nullptr);

    // Adds an item (state 0, enabled, data 0); returns its number.
    int AddString(const QString& text);
    int InsertString(int index, const QString& text);

    // -1 when the item does not exist, else 1.
    int SetCheck(int item, int state);
    // 0 for an item that does not exist.
    int GetCheck(int item) const;
    // -1 when the item does not exist, else 1.
    int Enable(int item, bool enabled);
    // 1 (enabled) for an item that does not exist.
    int IsEnabled(int item) const;
    // Stores a tag for an item number (it stays with the number when items are inserted or removed);
    // 0 for a negative number, else 1.
    int SetItemTag(int item, int tag);
    // The tag of an item number; 0 beyond the stored ones (the array grows to hold the number).
    int GetItemTag(int item);
    int SetItemData(int item, std::uint32_t data);
    std::uint32_t GetItemData(int item) const;

    // The box rectangle inside an item rectangle, as drawn; derived classes may move it.
    virtual QRect GetCheckPosition(const QRect& itemRect, const QRect& checkRect) const;
    // The box of an item in viewport coordinates (empty for an item that does not exist).
    QRect checkRect(int item) const;
    // The box of an item drawn in the given item rectangle.
    QRect checkRectIn(const QRect& itemRect, int item) const;
    // Where an item's text begins, relative to the item's left edge.
    int textOffset(int item) const;
    // The larger of the text height and the cell height + 1.
    int minimumItemHeight() const;
    // The tag without growing the array.
    int tagOf(int item) const;
    // An item counts as disabled when it or the whole list is disabled.
    bool isItemDisabled(int item) const;

    // The next state of a user toggle: 2 counts as 1, then 0 <-> 1.
    static int nextState(int state);

signals:
    // A user changed one or more checks (the classic notification code 40); once per user action.
    void checkChanged();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The item under a point and whether its box was hit; -1 when none.
    int hitTest(const QPoint& pos, bool& onCheck) const;
    void setState(int item, int state);
    bool allowsSeveralSelected() const;
    // Stores one data role of an existing item: -1 when there is none, else 1.
    int setRole(int item, int role, const QVariant& value);
    // The tag slot of an item number, growing the array to hold it.
    std::int32_t& tagSlot(int item);

    std::vector<std::int32_t> m_tags;
    bool m_swallowRelease = false;
};
