#pragma once
// The level windows the Threads window opens: Level Information (1025) and Thread Schedule Information
// (1026).

#include "plugin/views/classes/class_windows.h"

namespace views {

class LevelInfoWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1025;
    explicit LevelInfoWindow(WindowManager* manager);
};

class LevelScheduleWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1026;
    explicit LevelScheduleWindow(WindowManager* manager);
};

} // namespace views
