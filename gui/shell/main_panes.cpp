#include "main_panes.h"

#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

namespace shell {

PaneGeometry LayoutPanes(int width, int height, int statusHeight, double ratio)
{
    PaneGeometry geometry;
    const int paneHeight = std::max(0, height - statusHeight);
    const int treeWidth = static_cast<int>(width * ratio);
    geometry.tree = QRect(0, 0, treeWidth, paneHeight);
    geometry.list = QRect(treeWidth + kPaneGap, 0, std::max(0, width - treeWidth - kPaneGap), paneHeight);
    geometry.status = QRect(0, paneHeight, width, statusHeight);
    return geometry;
}

double SplitterRatio(int x, int width)
{
    if (width <= 0)
        return kMinPaneRatio;
    return std::clamp(static_cast<double>(x) / width, kMinPaneRatio, kMaxPaneRatio);
}

MainPanes::MainPanes(QWidget* tree, QWidget* list, QLabel* status, QWidget* parent)
    : QWidget(parent), m_tree(tree), m_list(list), m_status(status)
{
    m_tree->setParent(this);
    m_list->setParent(this);
    m_status->setParent(this);
    setCursor(Qt::SizeHorCursor); // shown only over the gap: the panes cover the rest
    setMinimumSize(200, 120);
}

void MainPanes::setRatio(double ratio)
{
    m_ratio = std::clamp(ratio, kMinPaneRatio, kMaxPaneRatio);
    relayout();
}

void MainPanes::relayout()
{
    const int statusHeight = m_status->sizeHint().height() + 4;
    const PaneGeometry geometry = LayoutPanes(width(), height(), statusHeight, m_ratio);
    m_tree->setGeometry(geometry.tree);
    m_list->setGeometry(geometry.list);
    m_status->setGeometry(geometry.status.adjusted(2, 2, -2, -2));
}

void MainPanes::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void MainPanes::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && event->position().y() < m_status->geometry().top()) {
        m_dragging = true;
        grabMouse();
    }
    QWidget::mousePressEvent(event);
}

void MainPanes::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_ratio = SplitterRatio(static_cast<int>(event->position().x()), width());
        relayout();
    }
    QWidget::mouseMoveEvent(event);
}

void MainPanes::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging) {
        m_dragging = false;
        releaseMouse();
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace shell
