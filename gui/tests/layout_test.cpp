// Children placed by alignment, hide groups given up when room runs short,
// LeftFit children narrowed, and the node rules the layout relies on.
#include <gtest/gtest.h>

#include <vector>

#include "gui/tests/test_windows.h"

namespace {

struct Box {
    int x, y, w, h;
    bool operator==(const Box&) const = default;
};

Box BoundsOf(WindowInterface* window)
{
    Box b{};
    window->GetBounds(&b.x, &b.y, &b.w, &b.h);
    return b;
}

struct Child {
    int w, h, alignment;
    Box expected;
};

struct DockCase {
    const char* name;
    int clientWidth, clientHeight;
    std::vector<Child> children;
};

TEST(LayoutTest, PlacesChildrenByAlignment)
{
    const DockCase cases[] = {
        {"two lefts then fill", 200, 100,
         {{50, 10, kAlignLeft, {0, 0, 50, 100}}, {30, 10, kAlignLeft, {50, 0, 30, 100}},
          {5, 5, kAlignFill, {80, 0, 120, 100}}}},
        {"two rights", 200, 100, {{50, 10, kAlignRight, {150, 0, 50, 100}}, {30, 10, kAlignRight, {120, 0, 30, 100}}}},
        {"two bottoms", 200, 100, {{5, 20, kAlignBottom, {0, 80, 200, 20}}, {5, 10, kAlignBottom, {0, 70, 200, 10}}}},
        {"centre truncates halves", 200, 100, {{51, 21, kAlignCenter, {74, 39, 51, 21}}}},
        {"top then fill below it", 200, 100, {{5, 30, kAlignTop, {0, 0, 200, 30}}, {5, 5, kAlignFill, {0, 30, 200, 70}}}},
        {"corners keep their size", 200, 100,
         {{20, 10, kAlignTopRight, {180, 0, 20, 10}}, {20, 10, kAlignBottomLeft, {0, 90, 20, 10}},
          {20, 10, kAlignBottomRight, {160, 90, 20, 10}}}},
        {"centred on the remaining edge", 200, 100,
         {{40, 20, kAlignLeftCenter, {0, 40, 40, 20}}, {40, 20, kAlignTopCenter, {100, 0, 40, 20}},
          {40, 20, kAlignBottomCenter, {100, 80, 40, 20}}}},
    };
    for (const DockCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestContainer container(c.clientWidth, c.clientHeight);
        std::vector<TestControl*> controls;
        for (const Child& child : c.children) {
            controls.push_back(new TestControl(child.w, child.h, child.alignment));
            ASSERT_TRUE(container.AddChild(controls.back()));
        }
        for (size_t i = 0; i < controls.size(); ++i)
            EXPECT_EQ(BoundsOf(controls[i]), c.children[i].expected) << "child " << i;
    }
}

struct GroupCase {
    const char* name;
    int clientWidth;
    std::vector<std::pair<int, int>> children;  // (width, hide group), all Left
    std::vector<bool> visible;
};

TEST(LayoutTest, HidesGroupsInTurnUntilTheChildrenFit)
{
    const GroupCase cases[] = {
        {"everything fits", 300, {{100, 0}, {60, 1}, {60, 2}}, {true, true, true}},
        {"group 1 suffices", 200, {{100, 0}, {60, 1}, {60, 2}}, {true, false, true}},
        {"group 2 after group 1", 150, {{100, 0}, {30, 1}, {60, 2}}, {true, false, false}},
        {"only groups that exist", 150, {{100, 0}, {60, 3}}, {true, false}},
        {"no group: nothing hidden", 100, {{80, 0}, {80, 0}}, {true, true}},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestContainer container(c.clientWidth, 50);
        std::vector<TestControl*> controls;
        for (auto [width, group] : c.children) {
            controls.push_back(new TestControl(width, 10, kAlignLeft, group));
            container.AddChild(controls.back());
        }
        for (size_t i = 0; i < controls.size(); ++i)
            EXPECT_EQ(controls[i]->IsVisible(false), c.visible[i]) << "child " << i;
    }
}

TEST(LayoutTest, HiddenGroupsComeBackWhenThereIsRoomAgain)
{
    TestContainer container(200, 50);
    auto* fixed = new TestControl(100, 10, kAlignLeft);
    auto* first = new TestControl(60, 10, kAlignLeft, 1);
    auto* second = new TestControl(60, 10, kAlignLeft, 2);
    for (TestControl* c : {fixed, first, second})
        container.AddChild(c);
    ASSERT_FALSE(first->IsVisible(false));
    EXPECT_EQ(BoundsOf(second).x, 100) << "the hidden child takes no room";
    container.SetPosition(0, 0, 400, 50, kUnitPixels);
    container.LayoutChildren();
    EXPECT_TRUE(first->IsVisible(false));
    EXPECT_EQ(BoundsOf(second).x, 160);
}

TEST(LayoutTest, LeftFitChildNarrowsToItsMeasuredWidths)
{
    // 120 + 100 overflow 200: the full width (100) is kept through phase 3,
    // the narrowest (30) taken from phase 4 on.
    TestContainer container(200, 40);
    const MeasureRecord widths{{30, 60, 100}};
    auto* fixed = new TestControl(120, 10, kAlignLeft);
    auto* fit = new TestControl(100, 10, kAlignLeftFit);
    fit->fitWidths = &widths;
    container.AddChild(fixed);
    container.AddChild(fit);
    EXPECT_EQ(BoundsOf(fit), (Box{120, 0, 30, 40}));
    // With room the full width comes back.
    container.SetPosition(0, 0, 300, 40, kUnitPixels);
    container.LayoutChildren();
    EXPECT_EQ(BoundsOf(fit), (Box{120, 0, 100, 40}));
}

TEST(LayoutTest, AlignmentAndHideGroupRules)
{
    TestContainer container(100, 100);
    auto* fill = new TestControl(10, 10, kAlignFill);
    container.AddChild(fill);
    fill->SetHideGroup(2);
    EXPECT_EQ(fill->GetHideGroup(), 0) << "Fill never carries a group";
    auto* left = new TestControl(10, 10, kAlignLeft, 3);
    container.AddChild(left);
    left->SetAlignment(kAlignFill);
    EXPECT_EQ(left->GetHideGroup(), 0) << "a new alignment of Fill drops the group";

    auto* other = new TestContainer(50, 50);
    auto* owned = new TestControl(10, 10, kAlignLeft);
    container.AddChild(owned);
    EXPECT_FALSE(other->AddChild(owned)) << "a child of another container";
    EXPECT_EQ(other->GetChildCount(), 0);
    EXPECT_EQ(container.GetChildCount(), 3);
    delete other;
}

TEST(LayoutTest, ChildAtAnswersTheLastAddedOfOverlappingChildren)
{
    TestContainer container(100, 100);
    auto* below = new TestControl(50, 50, kAlignFree);
    auto* above = new TestControl(50, 50, kAlignFree);
    container.AddChild(below);
    container.AddChild(above);
    EXPECT_EQ(container.ChildAt(10, 10), above);
    above->Show(false);
    EXPECT_EQ(container.ChildAt(10, 10), below);
    EXPECT_EQ(container.ChildAt(50, 10), nullptr) << "right edge excluded";
}

TEST(LayoutTest, SizeLimitsAndStoredValues)
{
    TestControl control(40, 30, kAlignFree);
    int moves = 0;
    control.UserData() = &moves;
    control.MoveCallback() = [](WindowInterface* w) { ++*static_cast<int*>(w->UserData()); };
    EXPECT_FALSE(control.SetBounds(0, 0, 40, 30, true)) << "same values";
    EXPECT_TRUE(control.SetSizeLimits(50, 0, 0, 0));
    EXPECT_EQ(BoundsOf(&control), (Box{0, 0, 50, 30})) << "raised to the minimum";
    control.SetPosition(5, 6, -1, -1, kUnitPixels);
    EXPECT_EQ(BoundsOf(&control), (Box{5, 6, 50, 30})) << "-1 keeps the size";
    EXPECT_EQ(moves, 1);
    control.SetPosition(5, 6, 5000, 20, kUnitPixels);
    EXPECT_EQ(BoundsOf(&control).w, 5000) << "a maximum of 0 is none";
    EXPECT_FALSE(control.SetSizeLimits(-1, 0, 0, 0));
    control.LockUpdates(false);
    EXPECT_FALSE(control.IsUpdateLocked(false));
    control.SetBackground(OptionalColor{});
    EXPECT_EQ(control.redraws, 0);
    control.SetBackground(OptionalColor::Of(0xFF102030));
    control.SetBackground(OptionalColor::Of(0xFF102030));
    EXPECT_EQ(control.redraws, 1);
}

} // namespace
