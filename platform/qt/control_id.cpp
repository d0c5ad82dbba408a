#include "control_id.h"

#include <QVariant>
#include <QWidget>

namespace platform {

namespace {
constexpr const char* kIdProperty = "controlId";
}

void setControlId(QWidget* widget, int id)
{
    if (!widget)
        return;
    widget->setProperty(kIdProperty, id);
    widget->setObjectName(QString::number(id));
}

int controlId(const QWidget* widget)
{
    if (!widget)
        return 0;
    bool ok = false;
    const int id = widget->property(kIdProperty).toInt(&ok);
    return ok ? id : 0;
}

QWidget* findControl(const QWidget* dialog, int id)
{
    if (!dialog || id == 0)
        return nullptr;
    for (QObject* child : dialog->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow())
            continue;
        if (controlId(widget) == id)
            return widget;
        if (QWidget* found = findControl(widget, id))
            return found;
    }
    return nullptr;
}

} // namespace platform
