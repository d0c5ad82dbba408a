#pragma once
// Numeric control ids on widgets. Dialogs name their controls by number (layout tables, tests); a widget's
// id is kept both as the "controlId" property and as its objectName (the decimal id).

#include <QWidget>

namespace platform {

// Gives a widget its id (a positive number).
void setControlId(QWidget* widget, int id);
// The widget's id, or 0 when it has none.
int controlId(const QWidget* widget);

// The first descendant of dialog (depth first, creation order) with that id, or null. Windows of their
// own (child dialogs) are not searched.
QWidget* findControl(const QWidget* dialog, int id);

template <typename T>
T* findControl(const QWidget* dialog, int id)
{
    return qobject_cast<T*>(findControl(dialog, id));
}

} // namespace platform
