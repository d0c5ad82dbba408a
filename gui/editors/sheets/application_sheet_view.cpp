#include "gui/editors/sheets/application_sheet_view.h"

#include <memory>
#include <vector>

#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/sheets/application_pages.h"
#include "gui/shell/editor_services.h"
#include "gui/shell/folder_picker.h"
#include "gui/shell/omba_dialog.h"

namespace editors {

int ShowApplicationPropertiesSheet(engine::ProjectRecord& project, engine::ApplicationRecord& application,
                                   engine::CpuRecord& cpu, const ApplicationSheetHooks& mainWindow, QWidget* parent)
{
    ApplicationSheetTransaction transaction(cpu, application);
    if (!transaction.begin())
        return ResultCancel;

    ApplicationSheetContext context;
    context.project = &project;
    context.cpu = &cpu;
    context.application = &application;
    context.transaction = &transaction;

    // The models outlive the sheet's pages.
    std::vector<std::unique_ptr<PageModel>> models;
    std::vector<ModelPage*> pages;
    int result = ResultCancel;
    {
        PlacementPropertySheet sheet(parent);
        sheet.Construct(QStringLiteral("Application Properties"));
        AppGeneralPage* general = nullptr;
        ModelPage* generalPage = nullptr;
        const auto add = [&](std::unique_ptr<PageModel> model, const ControlTable& rows) {
            auto* page = new ModelPage(*model, rows);
            sheet.AddPage(page);
            pages.push_back(page);
            models.push_back(std::move(model));
            return page;
        };
        auto generalModel = std::make_unique<AppGeneralPage>(context);
        general = generalModel.get();
        generalPage = add(std::move(generalModel), appGeneralRows());
        if (ApplicationHasOptionsPage(application))
            add(std::make_unique<OptionRowsPage>(cpu, &application), appOptionsRows());
        add(std::make_unique<AppClassPage>(context), appClassRows());
        add(std::make_unique<AppPathsPage>(context), appPathsRows());
        add(std::make_unique<AppSystemPage>(context), appSystemRows());
        add(std::make_unique<AppCodegenPage>(context), appCodegenRows());
        if (ApplicationHasContextPage(cpu))
            add(std::make_unique<AppContextPage>(context), appContextRows());

        context.hooks.rebuildTree = mainWindow.rebuildTree;
        context.hooks.refreshTreeLabels = mainWindow.refreshTreeLabels;
        context.hooks.updateFootprint = mainWindow.updateFootprint;
        context.hooks.refreshPages = [&pages] {
            for (ModelPage* page : pages)
                page->reload();
        };
        context.hooks.updateGeneralButtons = [general, generalPage] {
            generalPage->update([general](ViewState& state) { general->updateButtonStates(state); });
        };
        context.hooks.classOptions = [&](engine::ApplicationClassEntry& entry) {
            return shell::editorServices().ClassOptionsDialog(entry, cpu, application, &sheet);
        };
        context.hooks.chooseFolder = [&sheet](const std::string& purpose, const std::string& initial,
                                              std::string& chosen) {
            CSelectFolderDialog dialog(&sheet, initial, purpose);
            if (dialog.exec() != platform::DialogBase::IdOk)
                return false;
            chosen = dialog.GetFolder();
            return !chosen.empty();
        };
        sheet.setOkCheck([&project] { return projectKeepsEdit(project); });
        result = sheet.exec();
        context.hooks = ApplicationSheetHooks();
    }
    transaction.finish(result);
    return result == ResultOk ? ResultOk : ResultCancel;
}

} // namespace editors
