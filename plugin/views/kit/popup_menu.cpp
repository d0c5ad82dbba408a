#include "plugin/views/kit/popup_menu.h"

#include "platform/qt/locale_text.h"

#include <QMenu>
#include <QPointer>

namespace views {

int RunPopupMenu(QWidget* owner, const std::vector<PopupItem>& items, const QPoint& screenPoint,
                 const std::function<void(int command)>& highlighted)
{
    if (owner == nullptr || items.empty())
        return 0;
    QPointer<QWidget> ownerAlive(owner);
    QPointer<QMenu> menu(new QMenu(owner));
    for (const PopupItem& item : items) {
        if (item.separator()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(platform::toQString(item.text));
        action->setData(item.command);
        action->setEnabled(!item.greyed);
        action->setCheckable(item.checked);
        action->setChecked(item.checked);
    }
    if (highlighted)
        QObject::connect(menu.data(), &QMenu::hovered, [highlighted](QAction* action) {
            highlighted(action != nullptr ? action->data().toInt() : 0);
        });
    QPointer<QAction> chosen(menu->exec(screenPoint));
    if (highlighted)
        highlighted(0);
    // Deleting the owner inside the menu's loop deleted the menu with it.
    const int command = ownerAlive && menu && chosen ? chosen->data().toInt() : 0;
    delete menu.data();
    return command;
}

} // namespace views
