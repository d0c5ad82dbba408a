#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/footprint/structure_size.h"
#include "engine/footprint/symbol_table.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/property_models.h"

namespace editors {

namespace {

// The maximum name length takes the range its key has in the application file.
const engine::FieldDescription& maxKeyLengthField()
{
    return engine::FieldDescriptionOf(engine::FieldFile::Application, "CLASS", "Max Key Length");
}

// A whole number typed in an edit (blanks around it allowed), as an integer edit takes it.
bool parseInteger(const std::string& text, int32_t& value)
{
    const std::string trimmed = engine::TrimText(text, true, true);
    if (trimmed.empty() || trimmed.size() > 11)
        return false;
    std::size_t i = (trimmed[0] == '-' || trimmed[0] == '+') ? 1 : 0;
    if (i == trimmed.size())
        return false;
    for (std::size_t j = i; j < trimmed.size(); ++j) {
        if (!std::isdigit(static_cast<unsigned char>(trimmed[j])))
            return false;
    }
    const long long number = std::strtoll(trimmed.c_str(), nullptr, 10);
    if (number < INT32_MIN || number > INT32_MAX)
        return false;
    value = static_cast<int32_t>(number);
    return true;
}

// Only digits after an optional sign.
bool isDecimalNumber(const std::string& text)
{
    const std::size_t first = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    return first < text.size() && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(first), text.end(),
                                              [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

} // namespace

ClassOptionsModel::ClassOptionsModel(engine::ApplicationClassEntry& entry, engine::CpuRecord& cpu,
                                     engine::ApplicationRecord& application)
    : m_entry(entry), m_cpu(cpu), m_application(application)
{
}

void ClassOptionsModel::init(ViewState& state)
{
    m_copy = {m_entry.statistics, m_entry.diagnostics, m_entry.systemTrace, m_entry.maxKeyLength};
    state.title = engine::textString(m_entry.name) + " Properties";
    state[IdStatistics].check = m_copy.statistics != 0 ? 1 : 0;
    state[IdDiagnostics].check = m_copy.diagnostics != 0 ? 1 : 0;
    state[IdSystemTrace].check = m_copy.systemTrace != 0 ? 1 : 0;
    state[IdMaxNameLength].text = engine::IntToText(m_copy.maxKeyLength);

    std::string unit = engine::textString(m_cpu.kernel.sizeUnitName) + " per Object";
    unit[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(unit[0])));
    state[IdSizeUnit].text = unit;

    const engine::KernelRecord& kernel = m_cpu.kernel;
    const bool editable = !binaryOnly();
    const bool statistics = editable && kernel.enableStatistics != 0;
    const bool diagnostics = editable && kernel.enableDiagnostics != 0;
    const bool trace = editable && kernel.enableTrace != 0;
    state[IdStatistics].enabled = state[IdStatisticsSize].enabled = statistics;
    state[IdDiagnostics].enabled = state[IdDiagnosticsSize].enabled = diagnostics;
    state[IdSystemTrace].enabled = state[IdSystemTraceSize].enabled = trace;
    state[IdMaxNameLength].enabled = state[IdMaxNameLengthLabel].enabled = editable;
    state[IdOkButton].enabled = editable;
    showSizes(state);
}

void ClassOptionsModel::takeChecks(const ViewState& state)
{
    m_copy.statistics = state.checked(IdStatistics) ? 1 : 0;
    m_copy.diagnostics = state.checked(IdDiagnostics) ? 1 : 0;
    m_copy.systemTrace = state.checked(IdSystemTrace) ? 1 : 0;
}

bool ClassOptionsModel::clicked(int id, ViewState& state)
{
    if (id != IdStatistics && id != IdDiagnostics && id != IdSystemTrace)
        return false;
    // A click stores only the three options; the name length is checked at OK.
    takeChecks(state);
    showSizes(state);
    return true;
}

uint32_t ClassOptionsModel::optionSizeEffect(int32_t engine::ApplicationClassEntry::*option,
                                             const std::string& structure)
{
    // The symbols read the application's class entry, so the option is flipped there and put back.
    engine::UpdateSymbolsForApplication(m_cpu, m_application);
    const uint32_t before = engine::GetStructureSize(structure, m_cpu);
    m_entry.*option = m_entry.*option != 0 ? 0 : 1;
    engine::UpdateSymbolsForApplication(m_cpu, m_application);
    const uint32_t after = engine::GetStructureSize(structure, m_cpu);
    m_entry.*option = m_entry.*option != 0 ? 0 : 1;
    return before > after ? before - after : after - before;
}

void ClassOptionsModel::showSizes(ViewState& state)
{
    uint32_t sizes[3] = {0, 0, 0};
    const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(&m_cpu, m_entry.classType);
    if (kernelClass) {
        const std::string structure = ClassObjectStructure(*kernelClass);
        // Sizes are taken under the working options; the entry keeps its own values afterwards.
        const Options saved{m_entry.statistics, m_entry.diagnostics, m_entry.systemTrace, m_entry.maxKeyLength};
        m_entry.statistics = m_copy.statistics;
        m_entry.diagnostics = m_copy.diagnostics;
        m_entry.systemTrace = m_copy.systemTrace;
        sizes[0] = optionSizeEffect(&engine::ApplicationClassEntry::statistics, structure);
        sizes[1] = optionSizeEffect(&engine::ApplicationClassEntry::diagnostics, structure);
        sizes[2] = optionSizeEffect(&engine::ApplicationClassEntry::systemTrace, structure);
        m_entry.statistics = saved.statistics;
        m_entry.diagnostics = saved.diagnostics;
        m_entry.systemTrace = saved.systemTrace;
        engine::UpdateSymbolsForApplication(m_cpu, m_application);
    }
    const int ids[3] = {IdStatisticsSize, IdDiagnosticsSize, IdSystemTraceSize};
    for (int i = 0; i < 3; ++i)
        state[ids[i]].text = sizes[i] == 0 ? std::string() : engine::FormatText("%d", static_cast<int>(sizes[i]));
}

void ClassOptionsModel::clearTraceFlags()
{
    const int32_t classType = m_entry.classType;
    engine::VisitApplicationObjects(m_application, [&](const engine::ObjectPlace& place) {
        engine::ObjectRecord& object = *place.object;
        if (place.entry->enabled && place.entry->classType == classType &&
            (object.traceObject != 0 || object.traceActor != 0)) {
            object.traceObject = 0;
            object.traceActor = 0;
            place.entry->cFileDirty = 1;
            m_application.edited = 1;
        }
        return 0;  // every object is seen
    });
}

OkOutcome ClassOptionsModel::ok(ViewState& state, DialogHost&)
{
    if (!binaryOnly()) {
        int32_t length = 0;
        const std::string typed = engine::TrimText(state.text(IdMaxNameLength), true, true);
        const bool read = parseInteger(typed, length);
        // A number too wide for the field is out of range, not a text that is no integer.
        if (!read && NumberFits32Bits(typed) && !isDecimalNumber(typed)) {
            showCheckMessage("Please enter an integer.");
            return OkOutcome::stay(IdMaxNameLength, false);
        }
        const engine::FieldDescription& field = maxKeyLengthField();
        if (!read || !engine::FieldValueFits(field, length)) {
            showCheckMessage(engine::FormatText("Please enter an integer between %d and %d.",
                                                static_cast<int>(field.minimum), static_cast<int>(field.maximum)));
            return OkOutcome::stay(IdMaxNameLength, false);
        }
        takeChecks(state);
        m_copy.maxKeyLength = length;
    }
    const bool traceOff = m_entry.systemTrace != 0 && m_copy.systemTrace == 0;
    const bool changed = m_copy.statistics != m_entry.statistics || m_copy.diagnostics != m_entry.diagnostics ||
                         m_copy.systemTrace != m_entry.systemTrace || m_copy.maxKeyLength != m_entry.maxKeyLength;
    if (changed) {
        m_entry.statistics = m_copy.statistics;
        m_entry.diagnostics = m_copy.diagnostics;
        m_entry.systemTrace = m_copy.systemTrace;
        m_entry.maxKeyLength = m_copy.maxKeyLength;
        m_entry.cFileDirty = m_entry.hFileDirty = m_entry.mFileDirty = 1;
        // These options are saved in the application file.
        m_application.edited = 1;
        if (traceOff)
            clearTraceFlags();
    }
    return OkOutcome::closeOk();
}

} // namespace editors
