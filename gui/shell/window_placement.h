#pragma once
// The window placement record kept in the profile (section "Window Position"): 44 bytes, eleven
// little-endian 32-bit fields: length (44), flags, show command, minimised position x, y, maximised
// position x, y, normal rectangle left, top, right, bottom.

#include "platform/core/profile_store.h"

#include <cstdint>
#include <optional>

class QWidget;

struct WindowPlacement {
    std::int32_t length = 44;
    std::int32_t flags = 0;
    std::int32_t showCmd = 1;
    std::int32_t minX = -1;
    std::int32_t minY = -1;
    std::int32_t maxX = -1;
    std::int32_t maxY = -1;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const WindowPlacement&) const = default;
};

// Show commands used in placements.
enum ShowCommand : std::int32_t { ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3, ShowMinimize = 6 };

constexpr std::size_t kWindowPlacementSize = 44;

platform::ProfileBytes encodePlacement(const WindowPlacement& placement);
// Nothing unless the value is exactly 44 bytes long.
std::optional<WindowPlacement> decodePlacement(const platform::ProfileBytes& bytes);

// A window's placement: its state as the show command, its normal (client) rectangle.
WindowPlacement placementOf(const QWidget* window);
// Moves a window to the placement's rectangle and state.
void applyPlacement(QWidget* window, const WindowPlacement& placement);

// How a property sheet comes back: never minimised, at the stored top-left corner, at its current size.
WindowPlacement restoreSheetPlacement(WindowPlacement stored, int currentWidth, int currentHeight);
