#include "gui/editors/sheets/cpu_sheet_view.h"

#include <memory>

#include "engine/ops/cpu_record_handler.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/sheets/application_pages.h"
#include "gui/editors/sheets/page_view.h"
#include "gui/shell/omba_dialog.h"
#include "engine/records/text_field.h"
#include "platform/qt/locale_text.h"

namespace editors {

namespace {

const ControlTable& cpuGeneralRows()
{
    using namespace cpu_ids;
    using K = ControlKind;
    static const ControlTable rows = {
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

const ControlTable& classPageRows()
{
    using namespace class_ids;
    using K = ControlKind;
    static const ControlTable rows = {
        {K::Text, 0, "Class Name"},
        {K::Static, SizeHeading, "Size per Object", true},
        {K::CheckList, ClassList, nullptr},
        {K::Button, Properties, "Properties"},
    };
    return rows;
}

const ControlTable& classOptionsRows()
{
    using namespace class_ids;
    using K = ControlKind;
    static const ControlTable rows = {
        {K::Text, 0, "Option"},
        {K::Static, SizeHeading, "Size per Object", true},
        {K::CheckList, OptionList, nullptr},
    };
    return rows;
}

const ControlTable& classServicesRows()
{
    static const ControlTable rows = {{ControlKind::CheckList, class_ids::ServiceList, nullptr}};
    return rows;
}

// The sheet's Class page and, while it runs, the class sheet's pages: every store normalises the
// selections and shows the result on each of them.
class ClassPages {
public:
    ClassPages(engine::CpuRecordHandler& handler, platform::PropertySheet& sheet) : m_handler(handler), m_sheet(sheet)
    {
        m_context.handler = &handler;
        m_context.cpu = handler.GetCpuRecord();
        m_context.sync = [this] { sync(); };
        m_context.runClassSheet = [this](int index) { return runClassSheet(index); };
    }
    ~ClassPages() { m_context = ClassPagesContext(); }

    // Adds or removes the Class page as the kernel record's flag says.
    void update()
    {
        const bool wanted = m_handler.GetKernelRecord()->scalableKernel != 0 && m_context.cpu;
        if (wanted && !m_page) {
            m_model = std::make_unique<CpuClassPage>(m_context);
            m_page = new ModelPage(*m_model, classPageRows());
            m_sheet.AddPage(m_page);
        } else if (!wanted && m_page) {
            m_sheet.RemovePage(m_page);
            m_page = nullptr;
        }
    }
    void reload()
    {
        if (m_page)
            m_page->reload();
    }

private:
    void sync()
    {
        m_handler.NormalizeKernelSelections();
        if (m_page)
            m_page->update([](ViewState&) {});
        for (ModelPage* page : m_classSheetPages)
            page->update([](ViewState&) {});
    }

    int runClassSheet(int index)
    {
        engine::KernelRecord& kernel = *m_handler.GetKernelRecord();
        engine::KernelClassRecord& kernelClass = kernel.classes[index];
        ClassSheetTransaction transaction(*m_context.cpu, kernel);
        if (!transaction.begin())
            return 2;
        const bool mp = ClassSheetHasMpPages(kernel, kernelClass);
        std::vector<std::unique_ptr<PageModel>> models;
        models.push_back(std::make_unique<ClassOptionsPage>(m_context, index));
        models.push_back(std::make_unique<ClassServicesPage>(m_context, index, ServicePage::Scalable, mp));
        if (mp) {
            for (ServicePage kind : {ServicePage::Local, ServicePage::Outgoing, ServicePage::Incoming})
                models.push_back(std::make_unique<ClassServicesPage>(m_context, index, kind, true));
        }
        int result = 2;
        {
            PlacementPropertySheet sheet(&m_sheet);
            sheet.Construct(platform::toQString(engine::textString(kernelClass.name) + " Properties"));
            for (std::size_t i = 0; i < models.size(); ++i) {
                auto* page = new ModelPage(*models[i], i == 0 ? classOptionsRows() : classServicesRows());
                sheet.AddPage(page);
                m_classSheetPages.push_back(page);
            }
            result = sheet.exec();
            m_classSheetPages.clear();
        }
        transaction.finish(result);
        reload();
        return result;
    }

    engine::CpuRecordHandler& m_handler;
    platform::PropertySheet& m_sheet;
    ClassPagesContext m_context;
    std::unique_ptr<CpuClassPage> m_model;
    ModelPage* m_page = nullptr;
    std::vector<ModelPage*> m_classSheetPages;
};

} // namespace

int ShowCpuPropertiesSheet(engine::CpuRecordHandler& handler, CpuSheetParams& params,
                           engine::ProjectRecord* project, QWidget* parent)
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
        ClassPages classPages(handler, sheet);
        classPages.update();
        general.hooks.refreshPages = [optionsPage, &classPages] {
            classPages.update();
            if (optionsPage)
                optionsPage->reload();
            classPages.reload();
        };
        // A model with other limits may leave values the applications hold outside its ranges: the state the
        // change leaves is judged. (A new CPU is judged once named, by the road that adds it.)
        if (project != nullptr && !params.newCpu)
            sheet.setOkCheck([&transaction, project] { return transaction.projectKeeps(*project); });
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
