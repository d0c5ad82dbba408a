#pragma once
// The kernel information window (display command 1): the kernel's global values as attribute/value
// rows, rebuilt on every refresh.

#include "plugin/views/object_window.h"
#include "plugin/views/report_list.h"

namespace views {

class KernelInfoWindow : public ObjectWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1039;
    static constexpr int kListId = 1105;

    explicit KernelInfoWindow(WindowManager* manager);
    void Refresh() override;
    void DisableControls() override;
    ReportList* list() const { return m_list; }

protected:
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    ReportList* m_list;
};

} // namespace views
