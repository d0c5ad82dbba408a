#include "tree_images.h"

#include "project_tree.h"

#include <QPainter>
#include <QPixmap>

namespace shell {

namespace {

enum class Shape { Project, Cpu, Application, ClassEntry, Object, Blank };

QIcon draw(Shape shape, bool edited, bool dirty, bool disabled = false)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor ink = disabled ? QColor(150, 150, 150) : QColor(40, 40, 40);
    painter.setPen(ink);
    switch (shape) {
    case Shape::Project:
        painter.setBrush(QColor(250, 210, 90));
        painter.drawRect(1, 4, 13, 10);
        painter.drawRect(1, 2, 6, 2);
        break;
    case Shape::Cpu:
        painter.setBrush(QColor(90, 120, 160));
        painter.drawRect(3, 3, 9, 9);
        for (int i = 4; i <= 11; i += 3) {
            painter.drawLine(i, 1, i, 2);
            painter.drawLine(i, 13, i, 14);
            painter.drawLine(1, i, 2, i);
            painter.drawLine(13, i, 14, i);
        }
        break;
    case Shape::Application:
        painter.setBrush(Qt::white);
        painter.drawRect(1, 2, 13, 11);
        painter.fillRect(2, 3, 12, 3, QColor(60, 90, 200));
        break;
    case Shape::ClassEntry:
        painter.setBrush(QColor(120, 190, 120));
        painter.drawRect(4, 1, 9, 4);
        painter.drawRect(3, 5, 9, 4);
        painter.drawRect(2, 9, 9, 4);
        break;
    case Shape::Object:
        painter.setBrush(disabled ? QColor(210, 210, 210) : QColor(200, 80, 80));
        painter.drawEllipse(3, 3, 9, 9);
        break;
    case Shape::Blank:
        break;
    }
    if (dirty) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(240, 140, 0));
        painter.drawRect(10, 10, 5, 5);
    }
    if (edited) {
        painter.setPen(QColor(200, 0, 0));
        painter.drawLine(11, 0, 15, 4);
        painter.drawLine(15, 0, 11, 4);
    }
    painter.end();
    return QIcon(pixmap);
}

} // namespace

std::vector<QIcon> TreeImages()
{
    std::vector<QIcon> images(kTreeImageCount);
    images[ImageProject] = draw(Shape::Project, false, false);
    images[ImageProjectEdited] = draw(Shape::Project, true, false);
    images[ImageCpu] = draw(Shape::Cpu, false, false);
    images[ImageCpuDirty] = draw(Shape::Cpu, false, true);
    images[ImageApplication] = draw(Shape::Application, false, false);
    images[ImageApplicationDirty] = draw(Shape::Application, false, true);
    images[ImageClass] = draw(Shape::ClassEntry, false, false);
    images[ImageClassDirty] = draw(Shape::ClassEntry, false, true);
    images[ImageObject] = draw(Shape::Object, false, false);
    images[9] = draw(Shape::Blank, false, false);
    images[ImageApplicationEdited] = draw(Shape::Application, true, false);
    images[ImageCpuEdited] = draw(Shape::Cpu, true, false);
    images[ImageApplicationEditedDirty] = draw(Shape::Application, true, true);
    images[ImageCpuEditedDirty] = draw(Shape::Cpu, true, true);
    images[ImageObjectDisabled] = draw(Shape::Object, false, false, true);
    images[15] = draw(Shape::Blank, false, false);
    return images;
}

} // namespace shell
