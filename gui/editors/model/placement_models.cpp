// The classes placed automatically or at a manual label: Partition, Pipe and Queue.
#include "gui/editors/model/object_models.h"

#include "engine/names/kernel_lookup.h"

namespace editors {

namespace {

constexpr uint32_t kMaxAlignment = 2147483647u;
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

bool alignmentApplies(const engine::CpuRecord& cpu, int32_t manual)
{
    return engine::CpuSupportsPlacementOption(&cpu) && manual == 0;
}

} // namespace

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

bool PlacedObjectModel::reveal(int id, ViewState& state)
{
    if (id != IdAlignment || !engine::CpuSupportsPlacementOption(&m_cpu))
        return false;
    fillRadioPair(state, IdAutomatic, IdManual, 0);
    return clicked(IdAutomatic, state);
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
        other |= storeNumber(data->alignment, state, IdAlignment, kBlockAlignment);
        other |= storeFlag(data->manual, state.checked(IdManual));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    if (!data)
        return finishCommon(state, host, name, description, other);

    const bool manual = data->manual != 0;
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (manual && !checkLabel(data->label, "Block label", state, host))
        return OkOutcome::stay(IdLabel, true);
    if (alignmentApplies(m_cpu, data->manual) &&
        !checkNumber(data->alignment, 1, kMaxAlignment, kBlockAlignment))
        return OkOutcome::stay(IdAlignment, false);
    if (!checkNumber(data->blockSize, 1, fieldMaximum(data->blockSize), "Block size"))
        return OkOutcome::stay(IdField1080, false);
    if (!checkNumber(data->numberOfBlocks, 1, fieldMaximum(data->numberOfBlocks), "# of blocks"))
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
        other |= storeNumber(data->alignment, state, IdAlignment, kBufferAlignment);
        other |= storeFlag(data->manual, state.checked(IdManual));
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
    if (!checkNumber(data->numberOfBuffers, 1, fieldMaximum(data->numberOfBuffers), "# of buffers"))
        return OkOutcome::stay(IdField1071, false);
    if (!checkFits(data->maxBufferSize, 0, fieldMaximum(data->maxBufferSize), "Buffer size"))
        return OkOutcome::stay(IdField1072, false);
    if (manual && !checkLabel(data->label, "Buffer label", state, host))
        return OkOutcome::stay(IdLabel, true);
    if (alignmentApplies(m_cpu, data->manual) &&
        !checkNumber(data->alignment, 1, kMaxAlignment, kBufferAlignment))
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
        other |= storeNumber(data->alignment, state, IdAlignment, kQueueAlignment);
        other |= storeText(data->label, state.text(IdLabel));
        other |= storeFlag(data->manual, state.checked(IdManual));
    }
    other |= storeFlag(m_object.traceObject, state.checked(IdTrace));
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (data) {
        const engine::KernelRecord& kernel = m_cpu.kernel;
        const bool manual = data->manual != 0;
        if (!checkNumber(data->width, 1, static_cast<uint32_t>(kernel.maxQueueWidth), "Width"))
            return OkOutcome::stay(IdQueueWidth, false);
        if (!checkNumber(data->depth, 1, static_cast<uint32_t>(kernel.maxQueueDepth), "Depth"))
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
        if (alignmentApplies(m_cpu, data->manual) &&
            !checkNumber(data->alignment, 1, kMaxAlignment, kQueueAlignment))
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
