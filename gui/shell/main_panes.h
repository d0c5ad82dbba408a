#pragma once
// The client area of the main window: the project tree on the left, the object list to its right (4
// pixels apart) and the status line across the bottom. The tree takes a share of the width (the ratio,
// 0.3 at start); dragging the gap between tree and list changes the ratio, held between 0.05 and 0.95.

#include <QRect>
#include <QWidget>

class QLabel;

namespace shell {

struct PaneGeometry {
    QRect tree;
    QRect list;
    QRect status;
};

constexpr int kPaneGap = 4;
constexpr double kMinPaneRatio = 0.05;
constexpr double kMaxPaneRatio = 0.95;

PaneGeometry LayoutPanes(int width, int height, int statusHeight, double ratio);
// The ratio for a splitter position x, held within the limits.
double SplitterRatio(int x, int width);

class MainPanes : public QWidget {
    Q_OBJECT

public:
    MainPanes(QWidget* tree, QWidget* list, QLabel* status, QWidget* parent = nullptr);
    double ratio() const { return m_ratio; }
    void setRatio(double ratio);
    void relayout();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QWidget* m_tree;
    QWidget* m_list;
    QLabel* m_status;
    double m_ratio = 0.3;
    bool m_dragging = false;
};

} // namespace shell
