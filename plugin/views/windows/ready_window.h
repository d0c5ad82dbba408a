#pragma once
// The Task Ready List window (display command 12): the ready list in its order, the running task marked.

#include "plugin/views/object_list_window.h"

namespace views {

constexpr uint32_t kReadyListMaximum = 50;
void FillReadyListRows(ListSheet& sheet);

class ReadyListWindow : public DetailListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1009;
    explicit ReadyListWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override;
    ColumnContext readContext() override { return ColumnContext{}; }
    void fillRows(ListSheet& sheet) override { FillReadyListRows(sheet); }
};

} // namespace views
