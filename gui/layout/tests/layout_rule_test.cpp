#include "gui/layout/dialog_maps.h"
#include "gui/layout/layout_rule.h"

#include <gtest/gtest.h>

namespace layout {
namespace {

LayoutRule ruleOf(LayoutRect rect, int horizontalMode, int verticalMode, int minW = 0, int minH = 0)
{
    const Percentages p = percentagesOfEntry(mapModes(1, static_cast<std::int8_t>(horizontalMode),
                                                      static_cast<std::int8_t>(verticalMode)));
    return {rect, p, minW, minH};
}

TEST(LayoutRuleTest, ModesMoveAndStretchByTheirShareOfTheGrowth)
{
    const LayoutRect button{100, 150, 180, 175};
    // Centred horizontally, following the bottom: both edges move by half of dx and all of dy.
    EXPECT_EQ(placeChild(ruleOf(button, ModeCentre, ModeMove), 200, 40), (LayoutRect{200, 190, 280, 215}));
    // Stretch on both axes: the far edges follow.
    EXPECT_EQ(placeChild(ruleOf(button, ModeStretch, ModeStretch), 200, 40), (LayoutRect{100, 150, 380, 215}));
    // Any other mode keeps the control.
    EXPECT_EQ(placeChild(ruleOf(button, ModeFixed, 7), 200, 40), button);
    // Direct percentages, 25% of 10 is 2 (truncated).
    const LayoutRule direct{button, percentagesOfEntry(mapPercentages(0, 25, 0, 100, 0)), 0, 0};
    EXPECT_EQ(placeChild(direct, 10, 99), (LayoutRect{102, 150, 190, 175}));
}

TEST(LayoutRuleTest, NegativeDeltasTruncateTowardZero)
{
    const LayoutRect r{10, 10, 50, 50};
    // 50% of -3 is -1 (not -2), on both axes.
    EXPECT_EQ(placeChild(ruleOf(r, ModeCentre, ModeCentre), -3, -3), (LayoutRect{9, 9, 49, 49}));
    EXPECT_EQ(placeChild(ruleOf(r, ModeCentre, ModeCentre), 3, 3), (LayoutRect{11, 11, 51, 51}));
}

TEST(LayoutRuleTest, ACollapsedChildGoesOutOfSight)
{
    const LayoutRect r{10, 10, 50, 50};
    // Shrinking by 40 leaves no width: the right edge goes to -10, the left to -10 minus the minimum width.
    EXPECT_EQ(placeChild(ruleOf(r, ModeStretch, ModeFixed, 5, 0), -40, 0), (LayoutRect{-15, 10, -10, 50}));
    // With a minimum width the child goes as soon as it would be narrower than that minimum.
    EXPECT_EQ(placeChild(ruleOf(r, ModeStretch, ModeFixed, 20, 0), -20, 0).right, kHiddenEdge);
    EXPECT_EQ(placeChild(ruleOf(r, ModeStretch, ModeFixed, 20, 0), -19, 0).right, 31);
    // The same on the vertical axis.
    EXPECT_EQ(placeChild(ruleOf(r, ModeFixed, ModeStretch, 0, 3), 0, -45), (LayoutRect{10, -13, 50, -10}));
}

TEST(LayoutRuleTest, TablesReadAsTheirModesSay)
{
    EXPECT_EQ(modePercentages(ModeStretch).farEdge, 100);
    EXPECT_EQ(modePercentages(ModeStretch).nearEdge, 0);
    EXPECT_EQ(modePercentages(ModeMove).nearEdge, 100);
    EXPECT_EQ(modePercentages(ModeCentre).farEdge, 50);
    EXPECT_EQ(modePercentages(-1).farEdge, 0);
    EXPECT_EQ(percentagesOfEntry(kSelectFolderDialogMap[3]), (Percentages{0, 100, 100, 100}));
    EXPECT_EQ(percentagesOfEntry(kOutputDialogMap[1]), (Percentages{50, 100, 50, 100}));
    EXPECT_EQ(kOutputDialogMap[3].kind, MapEnd);
}

} // namespace
} // namespace layout
