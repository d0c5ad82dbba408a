#include <utility>

#include "engine/names/identifier.h"
#include "engine/names/name_conflicts.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/model_bounds.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "gui/editors/model/page_application.h"

namespace editors {

namespace {

using namespace app_ids;

constexpr int kLabelLength = 32;

// The application file's keys of the page's numbers.
constexpr const char* kRamSizeKey = "System RAM Available";
constexpr const char* kStackSizeKey = "Kernel Stack Available";
constexpr const char* kClockRateKey = "System Clock Rate Hz";

const engine::FieldDescription* applicationField(const char* key)
{
    return engine::FindFieldDescription(engine::FieldFile::Application, "APPLICATION", key);
}

// A value as its key's description shows it (an unsigned size as its unsigned decimal).
std::string shownNumber(const char* key, int32_t value)
{
    const engine::FieldDescription* field = applicationField(key);
    return field ? engine::FieldDisplayText(*field, value) : std::to_string(value);
}

std::string tickText(const std::string& rateText)
{
    const uint32_t rate = engine::ParseNumber(engine::TrimText(rateText, true, true));
    return rate == 0 ? std::string() : std::to_string(1000 / rate);
}

std::string title(const engine::ApplicationRecord& application)
{
    return engine::textString(application.name);
}

} // namespace

AppSystemPage::AppSystemPage(ApplicationSheetContext& context) : ApplicationPage(context)
{
    const engine::ApplicationRecord& app = *context.application;
    m_before = {app.systemRamAvailable, app.systemRamManual,   app.kernelStackAvailable, app.kernelStackManual,
                app.anchorAddressFixed, app.anchorAddressLabel, app.systemClockRateHz,
                engine::textString(app.systemRamLabel), engine::textString(app.kernelStackLabel)};
}

void AppSystemPage::load(ViewState& state)
{
    const engine::ApplicationRecord& app = application();
    state[RamSize].text = shownNumber(kRamSizeKey, app.systemRamAvailable);
    state[RamAutomatic].check = app.systemRamManual ? 0 : 1;
    state[RamManual].check = app.systemRamManual ? 1 : 0;
    state[RamLabel].text = engine::textString(app.systemRamLabel);
    state[RamLabel].limit = engine::kNameSize - 1;
    state[StackSize].text = shownNumber(kStackSizeKey, app.kernelStackAvailable);
    state[StackAutomatic].check = app.kernelStackManual ? 0 : 1;
    state[StackManual].check = app.kernelStackManual ? 1 : 0;
    state[StackLabel].text = engine::textString(app.kernelStackLabel);
    state[StackLabel].limit = engine::kNameSize - 1;
    state[AnchorFloating].check = app.anchorAddressFixed ? 0 : 1;
    state[AnchorFixed].check = app.anchorAddressFixed ? 1 : 0;
    state[AnchorAddress].text = engine::FormatText("%x", static_cast<unsigned>(app.anchorAddressLabel));
    state[ClockRate].text = shownNumber(kClockRateKey, app.systemClockRateHz);
    state[ClockTick].text = tickText(state[ClockRate].text);
    state[RamUnit].text = state[StackUnit].text = engine::textString(cpu().kernel.sizeUnitName);
    state[RamLabelStatic].text = state[StackLabelStatic].text = "Label";
    state[AnchorStatic].text = "Address";
    setEnables(state);
}

void AppSystemPage::setEnables(ViewState& state) const
{
    const engine::KernelRecord& kernel = cpu().kernel;
    const bool ramManual = state.checked(RamManual);
    state[RamLabel].enabled = state[RamLabelStatic].enabled = ramManual;
    const bool stackManual = state.checked(StackManual);
    state[StackLabel].enabled = state[StackLabelStatic].enabled = stackManual;
    state[AnchorAddress].enabled = state[AnchorStatic].enabled = state.checked(AnchorFixed);
    if (kernel.framework == 1) {
        state[StackSize].enabled = state[StackAutomatic].enabled = state[StackManual].enabled = false;
        state[StackLabel].enabled = false;
    } else {
        state[StackSize].enabled = static_cast<uint32_t>(kernel.minKernelStackSize) <
                                   static_cast<uint32_t>(kernel.maxKernelStackSize);
        state[StackAutomatic].enabled = state[StackManual].enabled = true;
    }
}

bool AppSystemPage::clicked(int id, ViewState& state)
{
    switch (id) {
    case RamAutomatic:
    case RamManual:
        state[RamManual].check = id == RamManual;
        state[RamAutomatic].check = id == RamAutomatic;
        break;
    case StackAutomatic:
    case StackManual:
        state[StackManual].check = id == StackManual;
        state[StackAutomatic].check = id == StackAutomatic;
        break;
    case AnchorFloating:
    case AnchorFixed:
        state[AnchorFixed].check = id == AnchorFixed;
        state[AnchorFloating].check = id == AnchorFloating;
        break;
    case ClockRate:
        state[ClockTick].text = tickText(state.text(ClockRate));
        return true;
    default:
        return false;
    }
    setEnables(state);
    return true;
}

void AppSystemPage::store(ViewState& state)
{
    engine::ApplicationRecord& app = application();
    app.systemRamAvailable = static_cast<int32_t>(engine::ParseNumber(engine::TrimText(state.text(RamSize), true, true)));
    app.systemRamManual = state.checked(RamManual) ? 1 : 0;
    engine::setText(app.systemRamLabel, state.text(RamLabel));
    app.kernelStackAvailable =
        static_cast<int32_t>(engine::ParseNumber(engine::TrimText(state.text(StackSize), true, true)));
    app.kernelStackManual = state.checked(StackManual) ? 1 : 0;
    engine::setText(app.kernelStackLabel, state.text(StackLabel));
    app.anchorAddressFixed = state.checked(AnchorFixed) ? 1 : 0;
    app.anchorAddressLabel = static_cast<int32_t>(engine::ParseNumber("0x" + state.text(AnchorAddress)));
    app.systemClockRateHz =
        static_cast<int32_t>(engine::ParseNumber(engine::TrimText(state.text(ClockRate), true, true)));
}

OkOutcome AppSystemPage::killActive(ViewState& state)
{
    store(state);
    engine::ApplicationRecord& app = application();
    const engine::KernelRecord& kernel = cpu().kernel;
    const std::string caption = title(app);
    // A number the application file cannot hold for its key (past 32 bits, or outside the key's range) would
    // be kept as another one, or make a project that does not open again.
    const struct {
        int edit;
        const char* key;
        const char* what;
    } numbers[] = {{RamSize, kRamSizeKey, "System RAM Size"},
                   {StackSize, kStackSizeKey, "Kernel Stack Size"},
                   {ClockRate, kClockRateKey, "System Clock Rate"}};
    for (const auto& number : numbers) {
        const engine::FieldDescription* field = applicationField(number.key);
        if (field && !TypedNumberFits(engine::TrimText(state.text(number.edit), true, true), field)) {
            pageMessage(number.what + engine::FieldRangeText(*field), caption);
            state[number.edit].enabled = true;
            return OkOutcome::stay(number.edit, true);
        }
    }
    // A manual label must be an identifier that no other name or label of the application uses.
    const auto checkLabel = [&](char (&field)[engine::kNameSize], int edit, const char* problemName,
                                const char* conflictName, bool checkRam, bool checkStack) -> bool {
        std::string label = engine::textString(field);
        const int problem = engine::MakeValidIdentifier(label, kLabelLength);
        if (problem != 0) {
            engine::setText(field, label);
            state[edit].text = label;
            std::string text = problemName;
            engine::IdentifierProblemText(problem, text);
            showNow();
            pageMessage(text, caption);
            return false;
        }
        std::string what;
        if (engine::FindLabelConflict(app, label, what, nullptr, checkRam, checkStack)) {
            pageMessage(conflictName + what, caption);
            return false;
        }
        return true;
    };
    if (app.systemRamManual && !checkLabel(app.systemRamLabel, RamLabel, "System RAM placement label",
                                           "System RAM placement label conflicts with ", false, true))
        return OkOutcome::stay(RamLabel, true);
    if (app.kernelStackManual && !checkLabel(app.kernelStackLabel, StackLabel, "Kernel Stack Placement Label",
                                             "Kernel stack label conflicts with ", true, false))
        return OkOutcome::stay(StackLabel, true);
    const uint32_t stack = static_cast<uint32_t>(app.kernelStackAvailable);
    if (!engine::InRangeUnsigned(stack, static_cast<uint32_t>(kernel.minKernelStackSize),
                                 static_cast<uint32_t>(kernel.maxKernelStackSize))) {
        pageMessage("Kernel Stack Size" + engine::RangeTextUnsigned(static_cast<uint32_t>(kernel.minKernelStackSize),
                                                                    static_cast<uint32_t>(kernel.maxKernelStackSize)),
                    caption);
        state[StackSize].enabled = true;  // else a size the model refuses could never be corrected
        return OkOutcome::stay(StackSize, true);
    }
    if (!engine::stackMeetsModulus(app.kernelStackAvailable, kernel.taskStackModulus)) {
        pageMessage(engine::FormatText("Kernel Stack Size must be an integer multiple of %u",
                                       static_cast<uint32_t>(kernel.taskStackModulus)),
                    caption);
        state[StackSize].enabled = true;
        return OkOutcome::stay(StackSize, true);
    }
    if (app.anchorAddressFixed) {
        const std::string anchor = state.text(AnchorAddress);
        if (anchor.empty()) {
            pageMessage("Anchor address cannot be blank", caption);
            return OkOutcome::stay(0, false);
        }
        std::size_t consumed = 0;
        engine::ParseNumber("0x" + anchor, &consumed);
        if (consumed != anchor.size() + 2 || !NumberFits32Bits("0x" + anchor)) {
            pageMessage("Anchor address must be a numeric hexadecimal address", caption);
            return OkOutcome::stay(AnchorAddress, false);
        }
    }
    const bool ramLabelChanged = app.systemRamManual && engine::textString(app.systemRamLabel) != m_before.ramLabel;
    const bool stackLabelChanged =
        app.kernelStackManual && engine::textString(app.kernelStackLabel) != m_before.stackLabel;
    if (app.systemRamManual != m_before.ramManual || app.kernelStackManual != m_before.stackManual ||
        ramLabelChanged || stackLabelChanged)
        app.projectCDirty = 1;
    if (app.kernelStackAvailable != m_before.stackSize || app.systemRamAvailable != m_before.ramSize ||
        app.systemClockRateHz != m_before.clockRate)
        app.projectHDirty = 1;
    if (app.anchorAddressFixed != m_before.anchorFixed ||
        (app.anchorAddressFixed && app.anchorAddressLabel != m_before.anchorAddress)) {
        app.kernelHDirty = 1;
        app.kernelMDirty = 1;
    }
    return OkOutcome::closeOk();
}

} // namespace editors
