#include "wait_cursor.h"

#include <QApplication>
#include <QCursor>

namespace platform {

ScopedWaitCursor::ScopedWaitCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_active = true;
    }
}

ScopedWaitCursor::~ScopedWaitCursor()
{
    restore();
}

void ScopedWaitCursor::restore()
{
    if (!m_active)
        return;
    m_active = false;
    QApplication::restoreOverrideCursor();
}

ScopedArrowCursor::ScopedArrowCursor()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) && QApplication::overrideCursor()) {
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        m_active = true;
    }
}

ScopedArrowCursor::~ScopedArrowCursor()
{
    if (m_active)
        QApplication::restoreOverrideCursor();
}

} // namespace platform
