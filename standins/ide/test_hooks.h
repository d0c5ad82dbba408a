#pragma once
// Seams of the IDE stand-in through which a test forces an interleaving at the point that matters.

#include "sdk/ide/ide_export.h"

#include <functional>

// Called when a window factory leaves the desktop while an IDE call into it runs on another thread,
// just before it waits for that call (null: none).
IDEFRAMEWORK_EXPORT void IfSetFactoryLeaveWaitHook(std::function<void()> hook);
