#pragma once
// The services trace window: the kernel services of one object class with their trace switches. Each
// belongs to a ServiceTraceParent (a class list window or the window manager) until it is closed; a
// window the user closes detaches from its owner and frees itself.

#include "plugin/views/classes/service_table.h"
#include "plugin/views/service_trace_parent.h"

#include "gui/layout/dynamic_dialog.h"

#include <QPointer>

class QPushButton;

namespace views {

class ReportList;

class ServiceTraceDialog : public CDynamicDialog, public ServiceTraceWindow {
    Q_OBJECT

public:
    static constexpr unsigned kDialogId = 1036;
    enum Control : int { List = 1073, EnableAll = 1076, DisableAll = 1077, ToggleAll = 1078 };

    explicit ServiceTraceDialog(ServiceTraceParent& owner);
    ~ServiceTraceDialog() override;

    // ServiceTraceWindow: the owner's side.
    void postRefresh() override;
    void postDisable() override;
    void showAndRaise() override;
    void addServiceClass(uint32_t classNumber) override { m_table.AddServicesOfClass(classNumber); }
    void setTraceParent(ServiceTraceParent* owner) override { m_owner = owner; }
    void destroyWindow() override;

    void FillList();
    void DisableControls();
    // The commands of the popup and the buttons.
    void onCommand(int command);
    void selectRows(const std::vector<int>& rows);
    std::vector<int> selectedRows() const;
    std::vector<PopupItem> popupForSelection() const { return ServicePopup(m_rows, selectedRows()); }

    const ServiceTable& table() const { return m_table; }
    const std::vector<ServiceRow>& rows() const { return m_rows; }
    ReportList* list() const { return m_list; }
    QPushButton* button(int id) const;
    ServiceTraceParent* owner() const { return m_owner; }

protected:
    bool OnInitDialog() override;
    void closeEvent(QCloseEvent* event) override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    void apply(std::optional<bool> wanted);
    void showRows();
    void showPopup(const QPoint& point);

    ServiceTraceParent* m_owner;
    std::string m_title;
    ServiceTable m_table;
    std::vector<ServiceRow> m_rows;
    ReportList* m_list;
    std::vector<QPushButton*> m_buttons;
};

} // namespace views
