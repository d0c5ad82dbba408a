#pragma once
// The partition (display command 5), queue (6), mutex (7) and pipe (8) windows and their detail windows.

#include "plugin/views/classes/class_windows.h"

namespace views {

class PartitionBlocksWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1015;
    explicit PartitionBlocksWindow(WindowManager* manager);
};

class PartitionSemaphoresWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1014;
    explicit PartitionSemaphoresWindow(WindowManager* manager);
};

class PartitionsWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1003;
    enum Control : int { List = 1005, Semaphores = 1019, BlockInfo = 1020, ResetStatistics = 1023, LogData = 1178 };
    explicit PartitionsWindow(WindowManager* manager);
};

class QueueEntriesWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1023;
    explicit QueueEntriesWindow(WindowManager* manager);
};

class QueueSemaphoresWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1022;
    explicit QueueSemaphoresWindow(WindowManager* manager);
};

class QueuesWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1004;
    enum Control : int { List = 1003, Semaphores = 1035, EntryInfo = 1038, ResetStatistics = 1057, LogData = 1180 };
    explicit QueuesWindow(WindowManager* manager);
};

class MutexSemaphoresWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1024;
    explicit MutexSemaphoresWindow(WindowManager* manager);
};

class MutexesWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1005;
    enum Control : int { List = 1006, Semaphores = 1040, ResetStatistics = 1041, LogData = 1177 };
    explicit MutexesWindow(WindowManager* manager);
};

class EmptyBuffersWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1029;
    explicit EmptyBuffersWindow(WindowManager* manager);
};

class FullBuffersWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1030;
    explicit FullBuffersWindow(WindowManager* manager);
};

class PipesWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1006;
    enum Control : int { List = 1004, EmptyBuffers = 1051, FullBuffers = 1052, ResetStatistics = 1053, LogData = 1179 };
    explicit PipesWindow(WindowManager* manager);
};

} // namespace views
