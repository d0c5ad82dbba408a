#pragma once
// The display windows built into this library, entered into the window factory on first use. Windows of
// other modules register themselves with DisplayWindowRegistrar.

#include <cstdint>

namespace views {

class ObjectWindow;
class WindowManager;

void RegisterBuiltinWindows();

ObjectWindow* CreateKernelInfoWindow(WindowManager& manager);
ObjectWindow* CreateAboutWindow(WindowManager& manager);
ObjectWindow* CreateTasksWindow(WindowManager& manager);
ObjectWindow* CreateSemaphoresWindow(WindowManager& manager);
ObjectWindow* CreateMailboxesWindow(WindowManager& manager);
ObjectWindow* CreateThreadsWindow(WindowManager& manager);
ObjectWindow* CreateExceptionsWindow(WindowManager& manager);
ObjectWindow* CreateReadyListWindow(WindowManager& manager);
ObjectWindow* CreateBacktraceWindow(WindowManager& manager);

} // namespace views
