#pragma once
// The pages of the "CPU Properties" sheet: General (name, description, model, kernel file, framework).
#include <functional>

#include "gui/editors/model/cpu_sheet.h"
#include "gui/editors/model/sheet_page_model.h"

namespace editors {

namespace cpu_ids {
enum : int {
    Name = 1038, Description = 1039, Model = 1040, Path = 1041, Load = 1043, Save = 1044, SaveAs = 1045, Mp = 1170,
    SsOnly = 1032, MsOnly = 1033, MsAndSs = 1034,
};
}

// What the CPU pages ask of the sheet around them.
struct CpuSheetHooks {
    // Reloads the other pages after a model or framework change (the flag goes to the General page).
    std::function<void()> refreshPages;
};

class CpuGeneralPage : public PageModel {
public:
    CpuGeneralPage(CpuSheetTransaction& transaction, CpuSheetParams& params, engine::ProjectRecord* project);
    const char* caption() const override { return "General"; }
    unsigned templateId() const override { return 106; }
    bool clicked(int id, ViewState& state) override;
    OkOutcome killActive(ViewState& state) override;
    void store(ViewState& state) override;
    std::vector<ListLine> items(int id) const override;
    // The sheet's OK: name and description go to the parameter block.
    void ok(ViewState& state) override;

    CpuSheetHooks hooks;

protected:
    void load(ViewState& state) override;

private:
    engine::KernelRecord& kernel() const { return m_transaction.kernel(); }
    void loadControls(ViewState& state, bool reload);
    void applyFramework(ViewState& state, bool refresh);
    void onMp(ViewState& state);
    void onModel(ViewState& state);
    void onFile(ViewState& state, int id);

    CpuSheetTransaction& m_transaction;
    CpuSheetParams& m_params;
    engine::ProjectRecord* m_project;
    bool m_opened = false;
};

} // namespace editors
