#include "plugin/views/windows/builtin_windows.h"

#include "plugin/views/window_manager.h"

#include <mutex>

namespace views {

void RegisterBuiltinWindows()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WindowManager::RegisterDisplayWindow(1, &CreateKernelInfoWindow);
        WindowManager::RegisterDisplayWindow(11, &CreateAboutWindow);
        WindowManager::RegisterDisplayWindow(2, &CreateTasksWindow);
        WindowManager::RegisterDisplayWindow(3, &CreateSemaphoresWindow);
        WindowManager::RegisterDisplayWindow(4, &CreateMailboxesWindow);
        WindowManager::RegisterDisplayWindow(9, &CreateThreadsWindow);
        WindowManager::RegisterDisplayWindow(10, &CreateExceptionsWindow);
        WindowManager::RegisterDisplayWindow(12, &CreateReadyListWindow);
        WindowManager::RegisterDisplayWindow(16, &CreateBacktraceWindow);
    });
}

} // namespace views
