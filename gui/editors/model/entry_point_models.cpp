// The classes with an entry point of their own: Exception and Thread.
#include "gui/editors/model/object_models.h"

#include "engine/names/identifier.h"

namespace editors {

namespace {

void fillTraceGroup(ViewState& state, bool groupEnabled)
{
    state[IdTraceGroup].enabled = groupEnabled;
}

} // namespace

void ExceptionModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::ExceptionData>(m_object)) {
        fillNumber(state, IdField1067, data->interruptLevel);
        fillNumber(state, IdField1068, data->vectorNumber);
        fillText(state, IdField1069, data->isrAddress);
    }
    fillTrace(state, IdTrace, m_object.traceObject);
    fillTrace(state, IdTraceActor, m_object.traceActor);
    fillTraceGroup(state, m_cpu.kernel.enableTrace != 0);
}

OkOutcome ExceptionModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::ExceptionData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (data) {
        other |= storeNumber(data->interruptLevel, state, IdField1067);
        other |= storeTrimmedText(data->isrAddress, state.text(IdField1069));
        other |= storeNumber(data->vectorNumber, state, IdField1068);
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace)) |
             storeFlag(m_object.traceActor, state.checked(IdTraceActor));
    if (!data)
        return finishCommon(state, host, name, description, other);

    if (!checkKeyRange(data->interruptLevel, "Interrupt level"))
        return OkOutcome::stay(IdField1067, false);
    if (!checkKeyRange(data->vectorNumber, "Vector number"))
        return OkOutcome::stay(IdField1068, false);
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkEntryPoint(data->isrAddress, IdField1069, state, host))
        return OkOutcome::stay(IdField1069, true);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    // The exception's own name is left to the last check, which says so precisely.
    if (otherObjectNamed(engine::textString(data->isrAddress))) {
        showCheckMessage("ISR has the same name as an existing object");
        return OkOutcome::stay(IdField1069, false);
    }
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    // The stored texts, trimmed and corrected: blanks around either never make them differ.
    if (engine::textOf(data->isrAddress) == engine::textOf(m_object.name)) {
        state[IdField1069].text = engine::textString(data->isrAddress);
        refuseShowing("Entry point name must be different from Exception name", state, host);
        return OkOutcome::stay(IdField1069, true);
    }
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other);
    return OkOutcome::closeOk();
}

void ThreadModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::ThreadData>(m_object))
        fillText(state, IdField1067, data->entryPoint);
    fillTrace(state, IdTrace, m_object.traceObject);
    fillTrace(state, IdTraceActor, m_object.traceActor);
    fillTraceGroup(state, m_cpu.kernel.enableTrace != 0);
}

OkOutcome ThreadModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::ThreadData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool entryPoint = false;
    if (data)
        entryPoint = storeTrimmedText(data->entryPoint, state.text(IdField1067));
    const bool trace = storeFlag(m_object.traceObject, state.checked(IdTrace)) |
                       storeFlag(m_object.traceActor, state.checked(IdTraceActor));

    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (data) {
        if (!checkEntryPoint(data->entryPoint, IdField1067, state, host))
            return OkOutcome::stay(IdField1067, true);
        if (engine::textOf(m_object.name) == engine::textOf(data->entryPoint)) {
            state[IdField1067].text = engine::textString(data->entryPoint);
            refuseShowing("Thread name and Entry point name must be different", state, host);
            return OkOutcome::stay(IdField1067, true);
        }
    }
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (data && otherObjectNamed(engine::textString(data->entryPoint))) {
        showCheckMessage("Entry point has the same name as an existing object");
        return OkOutcome::stay(IdField1067, true);
    }
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    if (data && entryPoint && !checkConflict(engine::textString(data->entryPoint), "Entry point name conflicts with "))
        return OkOutcome::stay(IdField1067, true);
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, entryPoint || trace);
    return OkOutcome::closeOk();
}

} // namespace editors
