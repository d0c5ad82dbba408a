#pragma once
// The project tree of the main window. Items are known by 32-bit ids (the records keep them); the control
// keeps the map from id to item. It lets the user drag an object node onto another node and turns a few
// keys into main-window commands; whether a node may be dragged or dropped, and what a drop does, are
// asked of its owner.
//
// Dragging is done by hand (no platform drag and drop): a press and a move beyond the drag distance start
// it, the item under the pointer gets the drop highlight while the owner accepts it, the last accepted
// item is remembered, and releasing drops there unless it is the dragged item or one of its descendants.

#include <QIcon>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

class QLabel;

class DragTreeOwner {
public:
    virtual ~DragTreeOwner() = default;
    virtual bool CanDragTreeItem(uint32_t item) = 0;
    virtual bool CanDropTreeItem(uint32_t target, uint32_t dragged) = 0;
    virtual void DropTreeItem(uint32_t target, uint32_t dragged) = 0;
    virtual void OnEditChange() = 0;
    virtual void OnEditAdd() = 0;
    virtual void OnEditDelete() = 0;
    // The item's expanded state changed by the Space key (1 expanded, 0 collapsed).
    virtual void RecordTreeExpansion(uint32_t item, bool expanded) = 0;
};

class DragTreeCtrl : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kControlId = 1046;
    // The item role of the drop highlight (painted as a selection).
    static constexpr int kDropHighlightRole = Qt::UserRole + 2;

    explicit DragTreeCtrl(QWidget* parent = nullptr);
    ~DragTreeCtrl() override;

    void setOwner(DragTreeOwner* owner) { m_owner = owner; }
    void setImages(std::vector<QIcon> images) { m_images = std::move(images); }
    const std::vector<QIcon>& images() const { return m_images; }
    // The beep of a refused drop (the system's by default).
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    // ---- items by id
    // Inserts an item last under parent (0: at the root) and gives its new id.
    uint32_t InsertItem(uint32_t parent, const QString& text, int image);
    // Sets text and image of an item; false when the id names none.
    bool SetItem(uint32_t item, const QString& text, int image);
    void DeleteAllItems();
    QTreeWidgetItem* itemOf(uint32_t id) const;
    uint32_t idOf(const QTreeWidgetItem* item) const;
    uint32_t GetParentItem(uint32_t item) const;
    uint32_t GetRootItem() const;
    uint32_t GetSelectedItem() const;
    void SelectItem(uint32_t item);
    bool IsExpanded(uint32_t item) const;
    void Expand(uint32_t item, bool expand);
    // The image index an item shows (-1 for none).
    int imageOf(uint32_t item) const;
    // The item under a point of the viewport.
    uint32_t HitTest(const QPoint& viewportPoint) const;

    // ---- drag state, for the main window and tests
    bool isDragging() const { return m_dragging; }
    uint32_t dragItem() const { return m_dragItem; }
    uint32_t dropTarget() const { return m_dropTarget; }
    // The steps of a drag, driven by the mouse handlers (public so tests can drive them directly).
    void BeginDrag(const QPoint& viewportPoint);
    void DragMove(const QPoint& viewportPoint);
    void EndDrag(const QPoint& viewportPoint);
    void CancelDrag();
    // Applies the key mapping; true when the key was one of the control's.
    bool HandleKey(int key);

signals:
    void itemRightClicked(uint32_t item, const QPoint& globalPos);
    void itemDoubleClickedId(uint32_t item);
    void selectionChangedId(uint32_t item);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setDropHighlight(uint32_t item);
    bool isAncestorOrSelf(uint32_t item, uint32_t of) const;

    DragTreeOwner* m_owner = nullptr;
    std::vector<QIcon> m_images;
    std::unordered_map<uint32_t, QTreeWidgetItem*> m_items;
    uint32_t m_nextId = 1;

    bool m_pressed = false;
    QPoint m_pressPoint;
    bool m_dragging = false;
    uint32_t m_dragItem = 0;
    uint32_t m_dropTarget = 0;
    uint32_t m_highlighted = 0;
    QPointer<QLabel> m_dragImage;
    std::function<void()> m_beep;
    QTimer m_fitTimer; // fits the column to the longest visible text
};
