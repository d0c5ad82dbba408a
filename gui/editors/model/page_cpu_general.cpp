#include "engine/names/report_texts.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/project/application_names.h"
#include "engine/project/name_rules.h"
#include "engine/project/save_with_one_message.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "gui/editors/model/captioned_messages.h"
#include "gui/editors/model/page_cpu.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {

using namespace cpu_ids;

constexpr const char* kForbidden = "\\/:*?\"<>|";

bool has(int32_t mask, int32_t bits)
{
    return (mask & bits) == bits;
}

} // namespace

CpuGeneralPage::CpuGeneralPage(CpuSheetTransaction& transaction, CpuSheetParams& params,
                               engine::ProjectRecord* project)
    : m_transaction(transaction), m_params(params), m_project(project)
{
}

std::vector<ListLine> CpuGeneralPage::items(int id) const
{
    std::vector<ListLine> lines;
    const engine::ConfigRecord* config = m_transaction.handler().GetConfigRecord();
    if (id != Model || !config || !config->models)
        return lines;
    for (int32_t i = 0; i < config->modelCount; ++i)
        lines.push_back({engine::textString(config->models[i].name)});
    return lines;
}

void CpuGeneralPage::load(ViewState& state)
{
    bool readFiles = false;
    if (!m_opened) {
        m_opened = true;
        engine::CpuRecordHandler& handler = m_transaction.handler();
        const engine::ConfigRecord* config = handler.GetConfigRecord();
        if (m_params.newCpu && config && kernel().modelIndex >= 0 && kernel().modelIndex < config->modelCount) {
            readFiles = true;
            if (!handler.LoadModel(kernel().modelIndex))
                pageMessage("Unable to read selected model file", "File I/O Error");
        }
        if (m_params.readKernel && kernel().kernelPath[0]) {
            readFiles = true;
            if (!handler.ReadKernel(engine::textOf(kernel().kernelPath)))
                pageMessage("Unable to read selected kernel file", "File I/O Error");
        }
    }
    loadControls(state, true);
    // The Class page follows the record just read.
    if (readFiles && hooks.refreshPages)
        hooks.refreshPages();
}

void CpuGeneralPage::loadControls(ViewState& state, bool reload)
{
    const engine::KernelRecord& k = kernel();
    if (reload) {
        state[Path].text = engine::textString(k.kernelPath);
        state[Name].text = m_params.name;
        state[Name].limit = engine::kNameSize - 1;
        state[Description].text = m_params.description;
        state[Description].limit = engine::kNameSize - 1;
    }
    state[Model].check = k.modelIndex;
    const int32_t m = k.featureMask;
    const int32_t fw = k.framework ? k.framework : m;
    state[Mp].check = (fw & 4) ? 1 : 0;
    state[Mp].visible = (m & 4) != 0;
    state[SsOnly].check = state[MsOnly].check = state[MsAndSs].check = 0;
    if (has(fw, 3) && has(m, 3))
        state[MsAndSs].check = 1;
    else if ((fw & 2) && (m & 2))
        state[MsOnly].check = 1;
    else if ((fw & 1) && (m & 1))
        state[SsOnly].check = 1;
    const bool locked = k.binaryDistribution != 0;
    state[MsAndSs].enabled = has(m, 3) && !locked;
    state[MsOnly].enabled = (m & 2) && !locked;
    state[SsOnly].enabled = (m & 1) && !(fw & 4) && !locked;
    state[Mp].enabled = !locked;
    state[Save].enabled = k.kernelPath[0] != '\0';
    applyFramework(state, false);
}

void CpuGeneralPage::applyFramework(ViewState& state, bool refresh)
{
    int32_t fw = state.checked(MsAndSs) ? 3 : state.checked(SsOnly) ? 1 : state.checked(MsOnly) ? 2 : 0;
    if (state.checked(Mp))
        fw |= 4;
    kernel().framework = fw ? fw : kernel().featureMask;
    m_transaction.handler().NormalizeKernelSelections();
    if (refresh && hooks.refreshPages)
        hooks.refreshPages();
}

void CpuGeneralPage::onMp(ViewState& state)
{
    const bool ssWasChecked = state[SsOnly].enabled && state.checked(SsOnly);
    const bool mp = state.checked(Mp);
    state[SsOnly].enabled = !mp && (kernel().featureMask & 1) && !kernel().binaryDistribution;
    if (mp) {
        state[SsOnly].check = 0;
        if (ssWasChecked) {
            if (state[MsAndSs].enabled)
                state[MsAndSs].check = 1;
            else if (state[MsOnly].enabled)
                state[MsOnly].check = 1;
        }
    }
    applyFramework(state, true);
}

void CpuGeneralPage::onModel(ViewState& state)
{
    const int32_t index = state[Model].check;
    if (index == kernel().modelIndex || index < 0)
        return;
    if (platform::messageBox("Warning: Changing Model will set all other selections to defaults. Continue?",
                             "Confirm Change", platform::MbYesNo | platform::MbIconWarning) != platform::IdYes) {
        state[Model].check = kernel().modelIndex;
        return;
    }
    if (!m_transaction.changeModel(index)) {
        pageMessage("Unable to read selected model file", "File I/O Error");
        state[Model].check = kernel().modelIndex;
        return;
    }
    loadControls(state, false);
    if (hooks.refreshPages)
        hooks.refreshPages();
}

void CpuGeneralPage::onFile(ViewState& state, int id)
{
    engine::CpuRecordHandler& handler = m_transaction.handler();
    // A file holds only what OK would keep: the judge OK runs comes first, and its refusal writes nothing.
    if (id != Load && m_project != nullptr && !m_params.newCpu && !m_transaction.projectKeeps(*m_project))
        return;
    if (id == Save) {
        engine::SaveWithOneMessage("kernel file", engine::textString(kernel().kernelPath),
                                   [&] { return m_transaction.saveKernel(m_params.newCpu ? nullptr : m_project); });
        return;
    }
    // A file the project keeps for another CPU, an application or itself is neither read nor written here:
    // the two would then share it.
    const engine::CpuRecord* self = m_transaction.handler().GetCpuRecord();
    const auto freeToRead = [&](const std::string& chosen) {
        return engine::fileIsFreeFor(m_project, chosen, self, nullptr, "read kernel file");
    };
    std::string path;
    if (id == Load) {
        // A file that is refused or cannot be read is a failed load: its reason and the failure are both
        // captioned as such.
        const CaptionedMessages fileError("File I/O Error");
        if (!handler.ChooseAndReadKernel(&path, freeToRead)) {
            if (!path.empty())
                pageMessage("Unable to read selected kernel file", "File I/O Error");
            return;
        }
    } else if (engine::SaveWithOneMessage("kernel file", std::string(),
                                          [&] { return handler.ChooseAndWriteKernel(&path, m_project); }) !=
               engine::SaveEnd::Saved) {
        return;
    }
    if (id == SaveAs)
        m_transaction.noteFileWritten();
    const std::string relative = ProjectRelativePath(m_project, path);
    if (!engine::textFits(kernel().kernelPath, relative)) {
        pageMessage("The kernel file's path is too long", "File I/O Error");
        return;
    }
    engine::setText(kernel().kernelPath, relative);
    state[Path].text = engine::textString(kernel().kernelPath);
    loadControls(state, false);
    if (hooks.refreshPages)
        hooks.refreshPages();
}

bool CpuGeneralPage::clicked(int id, ViewState& state)
{
    switch (id) {
    case Mp:
        onMp(state);
        return true;
    case SsOnly:
    case MsOnly:
    case MsAndSs:
        for (int radio : {SsOnly, MsOnly, MsAndSs})
            state[radio].check = radio == id;
        applyFramework(state, true);
        return true;
    case Model:
        onModel(state);
        return true;
    case Load:
    case Save:
    case SaveAs:
        onFile(state, id);
        return true;
    default:
        return false;
    }
}

void CpuGeneralPage::store(ViewState& state)
{
    // The name and description stay in the page until the sheet's OK.
    (void)state;
}

OkOutcome CpuGeneralPage::killActive(ViewState& state)
{
    const std::string name = engine::TrimText(state.text(Name), true, true);
    if (name.empty()) {
        pageMessage("CPU must have a name", "CPU");
        return OkOutcome::stay(Name, false);
    }
    if (name.find_first_of(kForbidden) != std::string::npos) {
        pageMessage(std::string("CPU name cannot contain any of the following characters: ") + kForbidden, "CPU");
        return OkOutcome::stay(Name, false);
    }
    // The project file lists the CPU under its name and gives it sections of its own: a name another
    // section of the file takes (another CPU's, in any letter case) is refused before anything is written.
    const std::string problem = m_project
                                    ? engine::cpuNameProblem(*m_project, m_transaction.handler().GetCpuRecord(), name)
                                    : FileSyntaxProblem(name);
    if (!problem.empty()) {
        pageMessage("CPU name cannot " + problem, "CPU");
        return OkOutcome::stay(Name, false);
    }
    return OkOutcome::closeOk();
}

void CpuGeneralPage::ok(ViewState& state)
{
    // Stored trimmed: the project file trims key and section names when it is read back.
    m_params.name = engine::TrimText(state.text(Name), true, true);
    m_params.description = state.text(Description);
    m_params.newCpu = false;
    m_params.readKernel = false;
}

} // namespace editors
