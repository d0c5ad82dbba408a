#include "engine/names/identifier.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/project/name_rules.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "gui/editors/model/page_application.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {

using namespace app_ids;

using PathField = char (engine::ApplicationRecord::*)[engine::kPathSize];
struct Extension {
    int id;
    PathField field;
    char (engine::KernelRecord::*defaultValue)[engine::kPathSize];
};
// In the order the blank check visits them.
const Extension kExtensions[] = {
    {AsmSourceExt, &engine::ApplicationRecord::asmSourceExtension, &engine::KernelRecord::asmSourceExtension},
    {AsmHeaderExt, &engine::ApplicationRecord::asmHeaderExtension, &engine::KernelRecord::asmHeaderExtension},
    {CSourceExt, &engine::ApplicationRecord::cSourceExtension, &engine::KernelRecord::cSourceExtension},
    {CHeaderExt, &engine::ApplicationRecord::cHeaderExtension, &engine::KernelRecord::cHeaderExtension},
};

std::string trimmed(const ViewState& state, int id)
{
    return engine::TrimText(state.text(id), true, true);
}

} // namespace

void AppCodegenPage::load(ViewState& state)
{
    const engine::ApplicationRecord& app = application();
    for (const Extension& e : kExtensions) {
        state[e.id].text = engine::TrimText(engine::textOf(app.*e.field), true, true);
        state[e.id].limit = engine::kPathSize - 1;
    }
    state[Suffix].text = engine::TrimText(engine::textOf(app.suffix), true, true);
    state[Suffix].limit = engine::kNameSize - 2;  // room for the leading letter of the check
    state[AssemblerOutput].check = app.generateAssemblerCode ? 1 : 0;
    state[ExceptionMacros].check = app.generateUserIsrs ? 1 : 0;
    state[ExternConst].check = app.externConst ? 1 : 0;
    state[Instrumentation].check = 0;
    state[Instrumentation].enabled = state[Instrumentation].visible = false;
    state[CommentsCpp].check = app.generateCppComments ? 1 : 0;
    state[CommentsC].check = app.generateCppComments ? 0 : 1;
    state[DosFiles].check = app.generateDosFiles ? 1 : 0;
    state[UnixFiles].check = app.generateDosFiles ? 0 : 1;
}

bool AppCodegenPage::clicked(int id, ViewState& state)
{
    switch (id) {
    case CommentsC:
    case CommentsCpp:
        state[CommentsCpp].check = id == CommentsCpp;
        state[CommentsC].check = id == CommentsC;
        return true;
    case DosFiles:
    case UnixFiles:
        state[DosFiles].check = id == DosFiles;
        state[UnixFiles].check = id == UnixFiles;
        return true;
    case RestoreDefaults: {
        const engine::KernelRecord& kernel = cpu().kernel;
        for (const Extension& e : kExtensions)
            state[e.id].text = engine::textString(kernel.*e.defaultValue);
        state[AssemblerOutput].check = engine::CpuHasTypeFlag10(&cpu()) ? 1 : 0;
        state[Instrumentation].check = engine::CpuHasTypeFlag40(&cpu()) ? 1 : 0;
        state[ExceptionMacros].check = engine::CpuHasTypeFlag80(&cpu()) ? 1 : 0;
        state[ExternConst].check = kernel.externConst ? 1 : 0;
        const bool cpp = engine::CpuHasTypeFlag20(&cpu());
        state[CommentsCpp].check = cpp;
        state[CommentsC].check = !cpp;
        state[DosFiles].check = kernel.generateDosFiles ? 1 : 0;
        state[UnixFiles].check = kernel.generateDosFiles ? 0 : 1;
        state[Suffix].text.clear();
        return true;
    }
    default:
        return false;
    }
}

OkOutcome AppCodegenPage::killActive(ViewState& state)
{
    engine::ApplicationRecord& app = application();
    // What differs from the record, noted before storing.
    const auto differs = [&](int id, PathField field) { return trimmed(state, id) != engine::textOf(app.*field); };
    const bool cSource = differs(CSourceExt, &engine::ApplicationRecord::cSourceExtension);
    const bool cHeader = differs(CHeaderExt, &engine::ApplicationRecord::cHeaderExtension);
    const bool asmSource = differs(AsmSourceExt, &engine::ApplicationRecord::asmSourceExtension);
    const bool asmHeader = differs(AsmHeaderExt, &engine::ApplicationRecord::asmHeaderExtension);
    const bool assembler = state.checked(AssemblerOutput) != (app.generateAssemblerCode != 0);
    const bool instrumentation = state.checked(Instrumentation) != (app.generateI2Symbols != 0);
    const bool macros = state.checked(ExceptionMacros) != (app.generateUserIsrs != 0);
    const bool externs = state.checked(ExternConst) != (app.externConst != 0);
    const bool comments = state.checked(CommentsCpp) != (app.generateCppComments != 0);
    const bool terminators = state.checked(DosFiles) != (app.generateDosFiles != 0);
    const bool suffix = trimmed(state, Suffix) != engine::textOf(app.suffix);

    for (const Extension& e : kExtensions)
        engine::setText(app.*e.field, trimmed(state, e.id));
    engine::setText(app.suffix, trimmed(state, Suffix));
    app.generateAssemblerCode = state.checked(AssemblerOutput) ? 1 : 0;
    app.generateI2Symbols = state.checked(Instrumentation) ? 1 : 0;
    app.generateUserIsrs = state.checked(ExceptionMacros) ? 1 : 0;
    app.generateCppComments = state.checked(CommentsCpp) ? 1 : 0;
    app.externConst = state.checked(ExternConst) ? 1 : 0;
    app.generateDosFiles = state.checked(DosFiles) ? 1 : 0;

    for (const Extension& e : kExtensions) {
        if (trimmed(state, e.id).empty()) {
            pageMessage("File extension cannot be blank");
            return OkOutcome::stay(e.id, false);
        }
    }
    // An extension ends the names of generated files, which stay in the application's folders.
    for (const Extension& e : kExtensions) {
        if (const std::string problem = engine::namePathProblem(trimmed(state, e.id)); !problem.empty()) {
            pageMessage("File extension cannot " + problem);
            return OkOutcome::stay(e.id, false);
        }
    }
    const std::string suffixText = trimmed(state, Suffix);
    if (!suffixText.empty()) {
        std::string identifier = "A" + suffixText;
        const int problem = engine::MakeValidIdentifier(identifier, engine::kNameSize - 1);
        if (problem != 0) {
            const std::string corrected = identifier.empty() ? std::string() : identifier.substr(1);
            state[Suffix].text = corrected;
            engine::setText(app.suffix, corrected);
            std::string text = "Symbol suffix";
            engine::IdentifierProblemText(problem, text);
            showNow();
            pageMessage(text);
            return OkOutcome::stay(Suffix, true);
        }
    }

    if (cSource || comments || externs || terminators || suffix)
        app.projectCDirty = 1;
    if (cHeader || comments || terminators)
        app.projectHDirty = app.kernelHDirty = 1;
    if (asmHeader || assembler || terminators)
        app.kernelMDirty = 1;
    if (cSource || comments || instrumentation || terminators)
        app.regenerate = 1;
    engine::ForEachApplicationClassEntry(app, [&](engine::ApplicationClassEntry& entry) {
        const bool exception = entry.classType == engine::ClassException;
        if (suffix || cSource || comments || terminators || externs || (exception && (macros || asmSource)))
            entry.cFileDirty = 1;
        if (cHeader || comments || terminators)
            entry.hFileDirty = 1;
        if (asmHeader || assembler || terminators)
            entry.mFileDirty = 1;
        return 0;
    });
    return OkOutcome::closeOk();
}

void AppContextPage::load(ViewState& state)
{
    const engine::KernelRecord& kernel = cpu().kernel;
    for (int i = 0; i < engine::kMaxExtendedContexts; ++i) {
        ControlState& box = state[Context0 + i];
        const bool present = i < kernel.extendedContextCount;
        box.check = present && application().extendedContext[i] ? 1 : 0;
        box.caption = present ? engine::textString(kernel.extendedContexts[i].name) : std::string();
        box.enabled = box.visible = present;
    }
}

OkOutcome AppContextPage::killActive(ViewState& state)
{
    engine::ApplicationRecord& app = application();
    bool changed = false;
    bool switchedOff[engine::kMaxExtendedContexts] = {};
    for (int i = 0; i < engine::kMaxExtendedContexts; ++i) {
        const bool box = state.checked(Context0 + i);
        changed = changed || box != (app.extendedContext[i] != 0);
        switchedOff[i] = app.extendedContext[i] && !box;
    }
    // The contexts being switched off that some task uses.
    bool used[engine::kMaxExtendedContexts] = {};
    bool anyUsed = false;
    engine::ApplicationClassEntry* firstTasks = nullptr;
    engine::ForEachApplicationClassEntry(app, [&](engine::ApplicationClassEntry& entry) {
        if (entry.classType != engine::ClassTask || !entry.enabled)
            return 0;
        if (!firstTasks)
            firstTasks = &entry;
        for (int32_t o = 0; entry.objects && o < entry.objectCount; ++o) {
            const auto* task = static_cast<const engine::TaskData*>(entry.objects[o].data);
            for (int i = 0; task && i < engine::kMaxExtendedContexts; ++i) {
                if (switchedOff[i] && task->extendedContext[i]) {
                    used[i] = true;
                    anyUsed = true;
                }
            }
        }
        return 0;
    });
    if (anyUsed) {
        if (platform::messageBox("The application has tasks using one of the contexts\nyou disabled. Contexts for "
                                 "those tasks will be disabled.\nProceed?",
                                 "Warning", platform::MbYesNo | platform::MbIconWarning) != platform::IdYes)
            return OkOutcome::stay(0, false);
        for (int32_t o = 0; firstTasks && firstTasks->objects && o < firstTasks->objectCount; ++o) {
            auto* task = static_cast<engine::TaskData*>(firstTasks->objects[o].data);
            for (int i = 0; task && i < engine::kMaxExtendedContexts; ++i) {
                if (used[i])
                    task->extendedContext[i] = 0;
            }
        }
        if (firstTasks)
            firstTasks->hFileDirty = 1;
    }
    if (changed) {
        app.kernelHDirty = 1;
        for (int i = 0; i < engine::kMaxExtendedContexts; ++i)
            app.extendedContext[i] = state.checked(Context0 + i) ? 1 : 0;
    }
    return OkOutcome::closeOk();
}

} // namespace editors
