#pragma once
// Messages of the footprint estimator. The GUI recomputes footprints for its status line and lists, so a
// fault in a model would otherwise raise the same box again and again: each distinct text is shown once
// per model (the CPU's model file) until the log is cleared.

#include <string>

#include "engine/records/records.h"

namespace engine {

// Shows the text (caption "Error") unless it was shown before for the same model; returns true when shown.
bool ReportEstimatorMessage(const CpuRecord* cpu, const std::string& text);
// Forgets every text shown, so each shows again once.
void ClearEstimatorMessages();

} // namespace engine
