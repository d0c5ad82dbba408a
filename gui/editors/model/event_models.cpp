// Event Source, Counter and Alarm.
#include "gui/editors/model/object_models.h"

namespace editors {

void fillRadioPair(ViewState& state, int firstId, int secondId, int32_t value)
{
    state[firstId].check = value == 0 ? 1 : 0;
    state[secondId].check = value == 1 ? 1 : 0;
}

void EventSourceModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome EventSourceModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    const bool trace = storeFlag(m_object.traceObject, state.checked(IdTrace));
    return finishCommon(state, host, name, description, trace);
}

void CounterModel::init(ViewState& state)
{
    auto* data = blockOf<engine::CounterData>(m_object);
    fillNameAndDescription(state);
    if (data) {
        fillNumber(state, IdField1067, data->modulus);
        state[IdField1069].check = data->systemTimebase != 0 ? 1 : 0;
        // Only a multi-stack kernel has a tickslice counter.
        if ((m_cpu.kernel.framework & 0x2) == 0) {
            data->ticksliceCounter = 0;
            state[IdField1070].enabled = false;
        }
        state[IdField1070].check = data->ticksliceCounter != 0 ? 1 : 0;
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome CounterModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::CounterData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (data) {
        other |= storeNumber(data->modulus, state, IdField1067);
        other |= storeFlag(data->systemTimebase, state.checked(IdField1069));
        // A flag cleared at opening is a change of the object too.
        other |= storeFlag(data->ticksliceCounter, state.checked(IdField1070));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    OkOutcome outcome;
    if (!commonChecks(state, host, name, outcome))
        return outcome;
    // The modulus takes the range of its key in the application file, whose least value is 1.
    if (data && data->modulus == 0) {
        showCheckMessage("The modulus must be non-zero");
        return OkOutcome::stay(IdField1067, false);
    }
    if (data && !checkKeyRange(data->modulus, "Modulus"))
        return OkOutcome::stay(IdField1067, false);
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other);
    return OkOutcome::closeOk();
}

void AlarmModel::init(ViewState& state)
{
    auto* data = blockOf<engine::AlarmData>(m_object);
    fillNameAndDescription(state);
    if (data) {
        fillNumber(state, IdField1067, data->initialCount);
        fillNumber(state, IdField1068, data->recycleCount);
        fillText(state, IdAlarmInitialExpression, data->initialExpression);
        fillText(state, IdAlarmRecycleExpression, data->recycleExpression);
    }
    fillTrace(state, IdTraceAlarm, m_object.traceObject);
}

OkOutcome AlarmModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::AlarmData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (data) {
        other |= storeNumber(data->initialCount, state, IdField1067);
        other |= storeNumber(data->recycleCount, state, IdField1068);
        other |= storeText(data->initialExpression, state.text(IdAlarmInitialExpression));
        other |= storeText(data->recycleExpression, state.text(IdAlarmRecycleExpression));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTraceAlarm));
    OkOutcome outcome;
    if (!commonChecks(state, host, name, outcome))
        return outcome;
    if (data && data->initialCount == 0) {
        showCheckMessage("The initial count must be non-zero");
        return OkOutcome::stay(IdField1067, false);
    }
    if (data && !checkKeyRange(data->initialCount, "Initial count"))
        return OkOutcome::stay(IdField1067, false);
    if (data && !checkKeyRange(data->recycleCount, "Recycle count"))
        return OkOutcome::stay(IdField1068, false);
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other);
    return OkOutcome::closeOk();
}

} // namespace editors
