#include "layout_rule.h"

namespace layout {

namespace {

int share(int percent, int delta)
{
    // Signed integer division truncates toward zero, as the layout requires.
    return (percent * delta) / 100;
}

} // namespace

LayoutRect placeChild(const LayoutRule& rule, int dx, int dy)
{
    LayoutRect r;
    r.left = rule.rect.left + share(rule.percent.left, dx);
    r.right = rule.rect.right + share(rule.percent.right, dx);
    r.top = rule.rect.top + share(rule.percent.top, dy);
    r.bottom = rule.rect.bottom + share(rule.percent.bottom, dy);
    if (r.left + rule.minWidth >= r.right) {
        r.right = kHiddenEdge;
        r.left = kHiddenEdge - rule.minWidth;
    }
    if (r.top + rule.minHeight >= r.bottom) {
        r.bottom = kHiddenEdge;
        r.top = kHiddenEdge - rule.minHeight;
    }
    return r;
}

AxisPercentages modePercentages(int mode)
{
    switch (mode) {
    case ModeStretch: return {0, 100};
    case ModeMove: return {100, 100};
    case ModeCentre: return {50, 50};
    default: return {0, 0};
    }
}

Percentages percentagesOfEntry(const DynamicMapEntry& entry)
{
    if (entry.kind == MapPercentages)
        return {entry.bytes[0], entry.bytes[1], entry.bytes[2], entry.bytes[3]};
    const AxisPercentages h = modePercentages(entry.bytes[0]);
    const AxisPercentages v = modePercentages(entry.bytes[1]);
    return {h.nearEdge, v.nearEdge, h.farEdge, v.farEdge};
}

} // namespace layout
