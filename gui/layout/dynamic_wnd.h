#pragma once
// The layout mixin of resizable windows. A window registers children with a rule (their rectangle at
// registration and four edge percentages); each time the window's client area is resized, every registered
// child is moved and stretched by its share of the growth. The window cannot be made smaller than it was at
// initialisation, an axis that is not free cannot be resized at all, and an optional size grip follows the
// bottom-right corner (hidden while the window is maximised). Children destroyed meanwhile drop their rule.
//
// Children are placed with absolute geometry: a window laid out by the mixin has no QLayout.

#include "gui/layout/layout_rule.h"

#include <QPointer>
#include <QSize>
#include <QSizeGrip>
#include <QWidget>

#include <map>
#include <memory>



// What one layout pass works from.
struct CDynamicLayoutInfo {
    QSize current;  // the client size now; (0, 0) when the window is gone or minimised
    QSize initial;  // the client size at initialisation
    QSize delta;    // current - initial
    unsigned controlCount = 0;
    QPoint scroll;  // always (0, 0): the layout never scrolls
    bool useScroll = false;
    bool isInitial() const { return delta.width() == 0 && delta.height() == 0; }
};

class CDynamicWnd {
public:
    enum Freedom : int { FreedomHorizontal = 1, FreedomVertical = 2, FreedomBoth = 3 };
    enum Flag : unsigned {
        FlagSizeGrip = 1,    // create a size grip
        FlagRedrawStyle = 2, // accepted, no effect: Qt repaints resized children itself
        FlagCopyBits = 4,    // accepted, no effect: Qt decides how moved children are repainted
    };
    static constexpr int kSizeGripId = 0xEA20;
    static constexpr int kLayoutTimerId = 0x7164;

    CDynamicWnd(int freedom, unsigned flags);
    virtual ~CDynamicWnd();
    CDynamicWnd(const CDynamicWnd&) = delete;
    CDynamicWnd& operator=(const CDynamicWnd&) = delete;

    virtual int GetControlCount() const;
    // The window's client size, or (0, 0) when it is not live or is minimised.
    virtual QSize currentClientSize() const;
    // Stores (or replaces) a child's rule; with repositionNow the child is placed at once. False when the
    // mixin has no live window or child is not one of its children.
    virtual bool AddControl(QWidget* child, const layout::LayoutRule& rule, bool repositionNow);
    // The same, the rule built from the child's present rectangle.
    bool AddControl(QWidget* child, layout::Percentages percent, QSize minimum, bool repositionNow);
    // Registers every child window (in z-order). Without overwrite a child that has a rule keeps it. Each
    // added child is placed at once; with repositionNow a full layout follows when any was added.
    int AddAllControls(layout::Percentages percent, QSize minimum, bool overwrite, bool repositionNow);
    virtual void Layout();
    // True when the child is registered; rect receives its place for the given layout pass.
    virtual bool GetControlRect(const QWidget* child, layout::LayoutRect& rect, const CDynamicLayoutInfo& info) const;
    virtual bool RemoveControl(const QObject* child);
    virtual void OnInitialized();
    virtual void OnDestroying();
    virtual CDynamicLayoutInfo CreateLayoutInfo() const;
    // The class's static layout table (ended by a MapEnd row), or null.
    virtual const layout::DynamicMapEntry* GetDynamicMap() const;

    // Adds and removes flag bits; returns the flags before.
    unsigned ModifyFlags(unsigned add, unsigned remove);
    unsigned flags() const { return m_flags; }
    int freedom() const { return m_freedom; }

    // Starts the layout on a window: takes its size as initial and minimum, registers the table's controls,
    // creates the grip, calls OnInitialized and lays out when rules were added.
    void InitializeLayout(QWidget* window);
    // Ends it: OnDestroying while the window is still live, then rules dropped, grip deleted, disabled.
    void TeardownLayout();

    bool isLayoutLive() const;
    QWidget* layoutWindow() const { return m_window.data(); }
    QSize initialClientSize() const { return m_initialSize; }
    QSize minimumClientSize() const { return m_minimumSize; }
    QSize maximumClientSize() const { return m_maximumSize; }
    // A maximum client size (0 on an axis: no maximum). Applies at once to a live window.
    void setMaximumClientSize(QSize size);
    QSizeGrip* sizeGrip() const { return m_grip.data(); }
    // While disabled (a counter) resizing moves nothing.
    void disableLayout() { ++m_disabled; }
    void enableLayout();

protected:
    // Moves one child to its rule's place for the current size (nothing at the initial size).
    void placeNow(QWidget* child);

private:
    class EventFilter;
    friend class EventFilter;

    void applySizeLimits();
    void registerTable();
    void createSizeGrip();
    void updateGripVisibility();
    void onResize();

    struct Entry {
        QPointer<QWidget> widget;
        layout::LayoutRule rule;
    };

    QPointer<QWidget> m_window;
    std::unique_ptr<EventFilter> m_filter;
    QPointer<QSizeGrip> m_grip;
    int m_disabled = 1;
    std::map<const QObject*, Entry> m_rules;
    int m_freedom;
    unsigned m_flags;
    QSize m_initialSize;
    QSize m_minimumSize;
    QSize m_maximumSize{0, 0};
};
