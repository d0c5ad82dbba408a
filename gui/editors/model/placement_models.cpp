// The classes placed automatically or at a manual label: Partition, Pipe and Queue.
#include "gui/editors/model/object_models.h"

#include "engine/names/kernel_lookup.h"

namespace editors {

namespace {

// What the dialogs call the alignment, in every refusal of it.
constexpr const char* kBlockAlignment = "Block alignment";
constexpr const char* kBufferAlignment = "Buffer alignment";
constexpr const char* kQueueAlignment = "Queue alignment";

// The placement radios and the edits they enable: alignment only for automatic placement on a CPU that
// offers the option, the label only for manual placement.
void fillPlacement(ViewState& state, const engine::CpuRecord& cpu, int32_t manual)
{
    fillRadioPair(state, IdAutomatic, IdManual, manual != 0 ? 1 : 0);
    state[IdAlignment].enabled = engine::CpuSupportsPlacementOption(&cpu) && manual == 0;
    state[IdLabel].enabled = manual != 0;
}

} // namespace

bool PlacedObjectModel::storeAlignment(int32_t& alignment, int32_t manual, const ViewState& state, const char* label)
{
    // Under manual placement, or on a CPU without the option, the edit is disabled and its text not taken.
    if (engine::CpuSupportsPlacementOption(&m_cpu) && manual == 0)
        return storeNumber(alignment, state, IdAlignment, label);
    keepNumber(alignment);
    return false;
}

bool PlacedObjectModel::clicked(int id, ViewState& state)
{
    if (id == IdAutomatic) {
        state[IdLabel].enabled = false;
        if (engine::CpuSupportsPlacementOption(&m_cpu))
            state[IdAlignment].enabled = true;
        return true;
    }
    if (id == IdManual) {
        state[IdLabel].enabled = true;
        state[IdAlignment].enabled = false;
        return true;
    }
    return false;
}

// ---- Partition

void PartitionModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::PartitionData>(m_object)) {
        fillNumber(state, IdField1080, data->blockSize);
        fillNumber(state, IdField1081, data->numberOfBlocks);
        fillNumber(state, IdAlignment, data->alignment);
        fillText(state, IdField1082, data->blockSizeExpression);
        fillText(state, IdField1083, data->numberOfBlocksExpression);
        fillText(state, IdLabel, data->label);
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, data->waitingOrder);
        fillPlacement(state, m_cpu, data->manual);
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome PartitionModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::PartitionData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (data) {
        other |= storeNumber(data->blockSize, state, IdField1080);
        other |= storeNumber(data->numberOfBlocks, state, IdField1081);
        other |= storeText(data->blockSizeExpression, state.text(IdField1082));
        other |= storeText(data->numberOfBlocksExpression, state.text(IdField1083));
        other |= storeValue(data->waitingOrder, state.checked(IdPriorityOrder) ? 0 : 1);
        other |= storeText(data->label, state.text(IdLabel));
        other |= storeFlag(data->manual, state.checked(IdManual));
        other |= storeAlignment(data->alignment, data->manual, state, kBlockAlignment);
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    if (!data)
        return finishCommon(state, host, name, description, other);

    const bool manual = data->manual != 0;
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (manual && !checkLabel(data->label, "Block label", state, host))
        return OkOutcome::stay(IdLabel, true);
    if (!checkKeyRange(data->alignment, kBlockAlignment))
        return OkOutcome::stay(IdAlignment, false);
    if (!checkKeyRange(data->blockSize, "Block size"))
        return OkOutcome::stay(IdField1080, false);
    if (!checkKeyRange(data->numberOfBlocks, "# of blocks"))
        return OkOutcome::stay(IdField1081, false);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    if (manual) {
        if (engine::textOf(m_object.name) == engine::textOf(data->label)) {
            showCheckMessage("Partition name and block label must be different");
            return OkOutcome::stay(IdLabel, false);
        }
        if (!checkConflict(engine::textString(data->label), "Block label conflicts with "))
            return OkOutcome::stay(IdLabel, false);
    }
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other);
    return OkOutcome::closeOk();
}

// ---- Pipe

void PipeModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::PipeData>(m_object)) {
        fillNumber(state, IdField1071, data->numberOfBuffers);
        fillNumber(state, IdField1072, data->maxBufferSize);
        fillNumber(state, IdAlignment, data->alignment);
        fillText(state, IdField1074, data->numberOfBuffersExpression);
        fillText(state, IdField1073, data->maxBufferSizeExpression);
        fillText(state, IdLabel, data->label);
        state[IdSuppressBuffers].check = data->suppressBufferAllocation != 0 ? 1 : 0;
        fillPlacement(state, m_cpu, data->manual);
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome PipeModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::PipeData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    bool label = false;
    if (data) {
        other |= storeNumber(data->numberOfBuffers, state, IdField1071);
        other |= storeText(data->numberOfBuffersExpression, state.text(IdField1074));
        other |= storeNumber(data->maxBufferSize, state, IdField1072);
        other |= storeText(data->maxBufferSizeExpression, state.text(IdField1073));
        other |= storeFlag(data->manual, state.checked(IdManual));
        other |= storeAlignment(data->alignment, data->manual, state, kBufferAlignment);
        label = storeText(data->label, state.text(IdLabel));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    if (data)
        other |= storeFlag(data->suppressBufferAllocation, state.checked(IdSuppressBuffers));
    if (!data)
        return finishCommon(state, host, name, description, other);

    const bool manual = data->manual != 0;
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkKeyRange(data->numberOfBuffers, "# of buffers"))
        return OkOutcome::stay(IdField1071, false);
    if (!checkKeyRange(data->maxBufferSize, "Buffer size"))
        return OkOutcome::stay(IdField1072, false);
    if (manual && !checkLabel(data->label, "Buffer label", state, host))
        return OkOutcome::stay(IdLabel, true);
    if (!checkKeyRange(data->alignment, kBufferAlignment))
        return OkOutcome::stay(IdAlignment, false);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    if (label && manual) {
        if (engine::textOf(m_object.name) == engine::textOf(data->label)) {
            showCheckMessage("Pipe name and buffer label must be different");
            return OkOutcome::stay(IdName, true);
        }
        if (!checkConflict(engine::textString(data->label), "Pipe buffer label conflicts with "))
            return OkOutcome::stay(IdName, true);
    }
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other || label);
    return OkOutcome::closeOk();
}

// ---- Queue

void QueueModel::init(ViewState& state)
{
    fillNameAndDescription(state);
    if (auto* data = blockOf<engine::QueueData>(m_object)) {
        fillNumber(state, IdQueueWidth, data->width);
        fillNumber(state, IdQueueDepth, data->depth);
        fillNumber(state, IdAlignment, data->alignment);
        fillText(state, IdField1080, data->widthExpression);
        fillText(state, IdField1081, data->depthExpression);
        fillText(state, IdLabel, data->label);
        fillRadioPair(state, IdPriorityOrder, IdFifoOrder, data->waitingOrder);
        fillPlacement(state, m_cpu, data->manual);
    }
    fillTrace(state, IdTrace, m_object.traceObject);
}

OkOutcome QueueModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::QueueData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    bool other = false;
    if (data) {
        other |= storeNumber(data->depth, state, IdQueueDepth);
        other |= storeNumber(data->width, state, IdQueueWidth);
        other |= storeText(data->widthExpression, state.text(IdField1080));
        other |= storeText(data->depthExpression, state.text(IdField1081));
        other |= storeValue(data->waitingOrder, state.checked(IdPriorityOrder) ? 0 : 1);
        other |= storeText(data->label, state.text(IdLabel));
        other |= storeFlag(data->manual, state.checked(IdManual));
        other |= storeAlignment(data->alignment, data->manual, state, kQueueAlignment);
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (data) {
        const bool manual = data->manual != 0;
        if (!checkKeyRange(data->width, "Width"))
            return OkOutcome::stay(IdQueueWidth, false);
        if (!checkKeyRange(data->depth, "Depth"))
            return OkOutcome::stay(IdQueueDepth, false);
        if (manual) {
            if (!checkLabel(data->label, "Queue label", state, host))
                return OkOutcome::stay(IdLabel, true);
            if (engine::textOf(m_object.name) == engine::textOf(data->label)) {
                showCheckMessage("Queue name and queue label must be different");
                return OkOutcome::stay(IdLabel, false);
            }
            if (!checkConflict(engine::textString(data->label), "Queue label conflicts with "))
                return OkOutcome::stay(IdLabel, false);
        }
        if (!checkKeyRange(data->alignment, kQueueAlignment))
            return OkOutcome::stay(IdAlignment, false);
    }
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, other);
    return OkOutcome::closeOk();
}

} // namespace editors
