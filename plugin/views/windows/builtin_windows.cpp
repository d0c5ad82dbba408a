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
    });
}

} // namespace views
