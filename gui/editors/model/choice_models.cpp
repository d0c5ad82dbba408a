// The classes whose fields are choices: Level, Mailbox, Mutex, Semaphore; and Special Service, which has
// no field of its own.
#include "gui/editors/model/object_models.h"

#include "engine/names/kernel_lookup.h"

namespace editors {

namespace {

// 0 when the first radio of a pair is checked, else 1.
int32_t radioChoice(const ViewState& state, int firstId)
{
    return state.checked(firstId) ? 0 : 1;
}

} // namespace

void LevelModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::LevelData>(m_object))
        fillRadioPair(state, IdField1067, IdField1068, data->schedulingPolicy);
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome LevelModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (auto* data = blockOf<engine::LevelData>(m_object)) {
        other |= storeValue(data->schedulingPolicy, radioChoice(state, IdField1067));
    }
    // A class without System Trace never traces its levels, whatever the (disabled) box shows.
    other |= storeFlag(m_object.traceObject, m_entry.systemTrace != 0 && state.checked(IdTrace));
    return finishCommon(state, host, name, description, other);
}

void MailboxModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::MailboxData>(m_object))
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, data->waitingOrder);
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome MailboxModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (auto* data = blockOf<engine::MailboxData>(m_object)) {
        other |= storeValue(data->waitingOrder, radioChoice(state, IdPriorityOrder));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    return finishCommon(state, host, name, description, other);
}

void MutexModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    auto* data = blockOf<engine::MutexData>(m_object);
    if (data) {
        const engine::KernelClassAttribute* attribute =
            engine::FindClassAttributeByTag(&m_cpu, "HAS_PriorityInversion");
        const bool unavailable =
            m_object.isMp != 0 || (attribute && (attribute->available == 0 || attribute->selected == 0));
        if (unavailable) {
            data->priorityInversion = 0;
            state[IdField1081].enabled = false;
        }
        state[IdField1081].check = data->priorityInversion != 0 ? 1 : 0;
        fitKeyRange(data->waitingOrder);
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, data->waitingOrder);
        state[IdFifoOrder].enabled = data->priorityInversion == 0;
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

bool MutexModel::clicked(int id, ViewState& state)
{
    auto* data = blockOf<engine::MutexData>(m_object);
    if (id != IdField1081 || !data)
        return false;
    const bool inheritance = state.checked(IdField1081);
    if (inheritance) {
        data->waitingOrder = 0;
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, 0);
    }
    state[IdFifoOrder].enabled = !inheritance;
    return true;
}

OkOutcome MutexModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (auto* data = blockOf<engine::MutexData>(m_object)) {
        // Values forced while the dialog was open count as changes of the object: both compare with opening.
        other |= storeFlag(data->priorityInversion, state.checked(IdField1081));
        other |= storeValue(data->waitingOrder, radioChoice(state, IdPriorityOrder));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    return finishCommon(state, host, name, description, other);
}

void SemaphoreModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::SemaphoreData>(m_object)) {
        fillRadioPair(state, IdField1080, IdField1081, data->signalType);
        fitKeyRange(data->waitingOrder);
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, data->waitingOrder);
        state[IdPriorityOrder].enabled = !state.checked(IdField1081);
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

bool SemaphoreModel::clicked(int id, ViewState& state)
{
    auto* data = blockOf<engine::SemaphoreData>(m_object);
    if ((id != IdField1080 && id != IdField1081) || !data)
        return false;
    const bool multiple = state.checked(IdField1081);
    if (id == IdField1081 && multiple) {
        data->waitingOrder = 1;
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, 1);
    }
    state[IdPriorityOrder].enabled = !multiple;
    return true;
}

OkOutcome SemaphoreModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (auto* data = blockOf<engine::SemaphoreData>(m_object)) {
        other |= storeValue(data->signalType, radioChoice(state, IdField1080));
        other |= storeValue(data->waitingOrder, radioChoice(state, IdPriorityOrder));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    return finishCommon(state, host, name, description, other);
}

void SpecialServiceModel::init(ViewState& state)
{
    fillNameAndDescription(state);
}

OkOutcome SpecialServiceModel::ok(ViewState& state, DialogHost& host)
{
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    // A special service is never searched against labels: identifier and uniqueness only.
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    markCommon(name, description, false);
    return OkOutcome::closeOk();
}

} // namespace editors
