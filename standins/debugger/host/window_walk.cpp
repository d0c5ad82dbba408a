#include "standins/debugger/host/window_walk.h"

#include "sdk/ide/if_desktop.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QMainWindow>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

#include <algorithm>
#include <set>

namespace simdbg {

std::vector<QWidget*> PluginWindows()
{
    std::vector<QWidget*> windows;
    QWidget* desktop = IfDesktop::Instance() != nullptr ? IfDesktop::Instance()->MainWindow() : nullptr;
    for (QWidget* widget : QApplication::allWidgets()) {
        const bool topOrDock = widget->isWindow() || qobject_cast<QDockWidget*>(widget) != nullptr;
        if (widget != desktop && topOrDock && widget->isVisible())
            windows.push_back(widget);
    }
    return windows;
}

int OpenEveryDisplay()
{
    std::set<QAction*> displays;
    for (QWidget* widget : QApplication::allWidgets())
        for (QAction* action : widget->actions())
            if (action->objectName().startsWith(QStringLiteral("display")))
                displays.insert(action);
    for (QAction* action : displays)
        action->trigger();
    return static_cast<int>(displays.size());
}

int OpenEveryDetail()
{
    static const QString kNoDetail[] = {QStringLiteral("Log Data"), QStringLiteral("Services Trace")};
    int clicked = 0;
    for (QWidget* window : PluginWindows()) {
        if (window->findChild<QTreeView*>() == nullptr)
            continue; // a list window's buttons only, not the panel's
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            const QString text = button->text().remove(QLatin1Char('&'));
            if (!button->isEnabled() || !button->isVisible() || text.contains(QStringLiteral("Reset")) ||
                std::find(std::begin(kNoDetail), std::end(kNoDetail), text) != std::end(kNoDetail))
                continue;
            button->click();
            ++clicked;
        }
    }
    return clicked;
}

NoteRowsFound FindNoteRows()
{
    NoteRowsFound found;
    for (QWidget* window : PluginWindows()) {
        auto* view = window->findChild<QTreeView*>();
        if (view == nullptr || view->model() == nullptr)
            continue;
        ++found.windowsWithList;
        const std::string title = window->windowTitle().toStdString();
        bool any = false;
        // Text is drawn inside the cell's margins on either side.
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            if (!view->isFirstColumnSpanned(row, QModelIndex()))
                continue;
            any = true;
            const QModelIndex index = view->model()->index(row, 0);
            NoteRow note;
            note.window = title;
            note.view = view;
            note.row = row;
            note.text = index.data().toString().toStdString();
            note.needed = view->fontMetrics().horizontalAdvance(index.data().toString()) + margins;
            const int start = view->header()->sectionViewportPosition(view->header()->logicalIndex(0));
            const int end = std::min(view->viewport()->width(), start + view->header()->length());
            note.visible = end - std::max(start, 0);
            note.centre = view->visualRect(index).center();
            found.notes.push_back(note);
        }
        if (!any)
            found.windowsWithoutNote.push_back(title);
    }
    return found;
}

} // namespace simdbg
