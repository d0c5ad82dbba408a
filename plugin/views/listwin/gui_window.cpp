#include "plugin/views/listwin/gui_window.h"

namespace views {

bool DpGUIWindow::OnIdle()
{
    if (m_updatePending && !m_ready)
        return false;
    if (m_updatePending) {
        m_updatePending = false;
        Update();
    }
    AfterIdle();
    return false;
}

} // namespace views
