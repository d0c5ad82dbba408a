#include "gui/editors/sheets/cpu_sheet_view.h"

#include <memory>

#include "engine/ops/cpu_record_handler.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/sheets/application_pages.h"
#include "gui/editors/sheets/page_view.h"
#include "gui/shell/omba_dialog.h"

namespace editors {

namespace {

const PageRows& cpuGeneralRows()
{
    using namespace cpu_ids;
    using K = PageRowKind;
    static const PageRows rows = {
        {K::Edit, Name, "CPU Name:"},
        {K::Edit, Description, "Description"},
        {K::Combo, Model, "Model:"},
        {K::GroupBegin, 0, "CPU File"},
        {K::Edit, Path, nullptr},
        {K::Button, Load, "Load"},
        {K::Button, Save, "Save", true},
        {K::Button, SaveAs, "Save As", true},
        {K::Text, 0, "Note: The path specified above is relative to the folder which contains the Project (*.omb) file."},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Framework"},
        {K::RadioFirst, SsOnly, "SS Only"},
        {K::Radio, MsOnly, "MS Only", true},
        {K::Radio, MsAndSs, "MS and SS", true},
        {K::Check, Mp, "MP"},
        {K::GroupEnd, 0, nullptr},
    };
    return rows;
}

} // namespace

int ShowCpuPropertiesSheet(engine::CpuRecordHandler& handler, CpuSheetParams& params,
                           const engine::ProjectRecord* project, QWidget* parent)
{
    CpuSheetTransaction transaction(handler);
    if (!transaction.begin())
        return ResultCancel;
    CpuSheetParams working = params;
    CpuGeneralPage general(transaction, working, project);
    int result = ResultCancel;
    std::unique_ptr<OptionRowsPage> options;  // outlives the sheet's pages
    {
        PlacementPropertySheet sheet(parent);
        sheet.Construct(QStringLiteral("CPU Properties"));
        sheet.AddPage(new ModelPage(general, cpuGeneralRows()));
        // Decided once, when the sheet is built.
        ModelPage* optionsPage = nullptr;
        if (CpuHasOptionsPage(handler) && handler.GetCpuRecord()) {
            options = std::make_unique<OptionRowsPage>(*handler.GetCpuRecord(), nullptr);
            optionsPage = new ModelPage(*options, optionRows());
            sheet.AddPage(optionsPage);
        }
        general.hooks.refreshPages = [optionsPage] {
            if (optionsPage)
                optionsPage->reload();
        };
        result = sheet.exec();
        general.hooks = CpuSheetHooks();
    }
    transaction.finish(result);
    if (result != ResultOk)
        return ResultCancel;
    params = working;
    return ResultOk;
}

} // namespace editors
