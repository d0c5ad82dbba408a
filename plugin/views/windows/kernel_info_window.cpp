#include "plugin/views/windows/kernel_info_window.h"

#include "plugin/views/kernel_info_rows.h"
#include "plugin/views/windows/builtin_windows.h"

#include "platform/qt/control_id.h"
#include "platform/qt/wait_cursor.h"

namespace views {

KernelInfoWindow::KernelInfoWindow(WindowManager* manager) : ObjectWindow(manager, kDialogId)
{
    setWindowTitle(QStringLiteral("Kernel Information"));
    resize(360, 300);
    m_list = new ReportList(this);
    platform::setControlId(m_list, kListId);
    m_list->setGeometry(7, 7, 346, 286);
}

const layout::DynamicMapEntry* KernelInfoWindow::GetDynamicMap() const
{
    static const layout::DynamicMapEntry kMap[] = {layout::mapModes(kListId, 1, 1), layout::mapEnd()};
    return kMap;
}

void KernelInfoWindow::Refresh()
{
    platform::ScopedWaitCursor wait;
    // The sheet right-aligns its first column, as the object lists do; the attribute column of this
    // window stays left-aligned.
    ListSheet rows;
    std::vector<ColumnSpec> columns{{"Attribute", Align::Left, 15}, {"Current Value", Align::Right, 100}};
    rows.setColumns(columns, ColumnContext{});
    for (const KernelInfoRow& row : BuildKernelInfoRows()) {
        int r = rows.addRow();
        rows.set(r, 0, row.first);
        rows.set(r, 1, row.second);
        if (row.first == kKernelValuesNotRead)
            rows.setNote(r);
    }
    m_list->showSheet(rows);
    m_list->headerItem()->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    for (int r = 0; r < m_list->rowCount(); ++r)
        m_list->topLevelItem(r)->setTextAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setEnabled(true);
    fitFirstOpen(width() - m_list->width() + m_list->widthToShow({kKernelValuesNotRead}));
}

void KernelInfoWindow::DisableControls() { m_list->setEnabled(false); }

ObjectWindow* CreateKernelInfoWindow(WindowManager& manager) { return new KernelInfoWindow(&manager); }

} // namespace views
