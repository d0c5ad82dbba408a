#pragma once
// The arithmetic of the resizable-dialog layout, free of any window system: a child's rectangle when it
// was registered, four percentages saying how far each edge follows the window's growth, and a minimum
// size below which the child is moved out of sight.

#include <cstdint>

namespace layout {

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const LayoutRect&) const = default;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

// How much (in percent) of the horizontal growth moves the left and right edges, and of the vertical growth
// the top and bottom edges: 0 keeps an edge, 100 makes it follow the far border, 50 half of it.
struct Percentages {
    std::int8_t left = 0;
    std::int8_t top = 0;
    std::int8_t right = 0;
    std::int8_t bottom = 0;
    bool operator==(const Percentages&) const = default;
};

struct LayoutRule {
    LayoutRect rect;
    Percentages percent;
    int minWidth = 0;
    int minHeight = 0;
};

// Where a collapsed child goes: its far edge at -10, out of sight.
constexpr int kHiddenEdge = -10;

// The child's rectangle for a client size that differs from the initial one by (dx, dy). Each product is
// divided by 100 truncating toward zero; an axis on which the child would have no room left (new near edge
// + minimum size not below the far edge) puts the child out of sight on that axis.
LayoutRect placeChild(const LayoutRule& rule, int dx, int dy);

// Table modes: 1 stretch (0, 100), 2 move with the far border (100, 100), 3 keep centred (50, 50), any other
// value keeps the control where it is (0, 0). Gives the near and the far edge's percentage.
struct AxisPercentages {
    std::int8_t nearEdge = 0;
    std::int8_t farEdge = 0;
};
AxisPercentages modePercentages(int mode);

// One row of a dialog's static layout table. A table ends with a row of kind MapEnd.
enum DynamicMapKind : std::uint32_t {
    MapEnd = 0,
    MapPercentages = 1, // the four bytes are the left, top, right, bottom percentages
    MapModes = 2,       // the first byte is the horizontal mode, the second the vertical mode
};
struct DynamicMapEntry {
    std::uint32_t kind = MapEnd;
    std::uint32_t controlId = 0; // 0: every child of the window
    std::int8_t bytes[4] = {0, 0, 0, 0};
};
static_assert(sizeof(DynamicMapEntry) == 12, "a layout table row is 12 bytes");

// Row builders for constexpr tables.
constexpr DynamicMapEntry mapModes(std::uint32_t id, std::int8_t horizontal, std::int8_t vertical)
{
    return {MapModes, id, {horizontal, vertical, 0, 0}};
}
constexpr DynamicMapEntry mapPercentages(std::uint32_t id, std::int8_t l, std::int8_t t, std::int8_t r, std::int8_t b)
{
    return {MapPercentages, id, {l, t, r, b}};
}
constexpr DynamicMapEntry mapEnd()
{
    return {};
}

// The percentages a table row gives.
Percentages percentagesOfEntry(const DynamicMapEntry& entry);

// Mode values of the tables.
enum LayoutMode : std::int8_t { ModeFixed = 0, ModeStretch = 1, ModeMove = 2, ModeCentre = 3 };

} // namespace layout
