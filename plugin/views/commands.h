#pragma once
// Command numbers of the kernel windows: the two commands every object window takes, the trace popup
// commands, and the display commands of the control panel with the dialog id each one opens.

#include <cstdint>

namespace views {

// Commands posted to object windows and to the control panel.
constexpr int kRefreshCommand = 32868; // re-read the target (the target stopped)
constexpr int kDisableCommand = 32869; // grey the controls (the target runs)

// Trace popup commands.
constexpr int kTraceObject = 32771;
constexpr int kTraceActor = 32772;
constexpr int kTraceAllObjects = 32773;
constexpr int kTraceAllActors = 32774;
constexpr int kTraceNoActors = 32777;
constexpr int kTraceNoObjects = 32778;
constexpr int kTraceAll = 32780;
constexpr int kTraceNone = 32781;

// Display commands that are not windows of the command table.
constexpr uint32_t kCommandKernelInfo = 1;
constexpr uint32_t kCommandAbout = 11;
constexpr uint32_t kCommandServicesTrace = 17;
constexpr uint32_t kCommandTraceControl = 18;
constexpr uint32_t kCommandProfiles = 19;
constexpr uint32_t kCommandCloseAll = 20;

// The dialog id of a display command's window, 0 for a command without one.
uint32_t DialogIdForCommand(uint32_t command);

// The big icon of every kernel window.
constexpr int kKernelIconId = 1040;

} // namespace views
