#include <gtest/gtest.h>

#include "base/string_a.h"
#include "emu/option_item.h"

namespace {

u8 Answer(void* context)
{
    return *static_cast<u8*>(context);
}

void Record(void* context, OptionItem* item)
{
    *static_cast<OptionItem**>(context) = item;
}

TEST(OptionItemStates, NewItemDefaults)
{
    OptionItem item;
    EXPECT_FALSE(item.IsChecked());
    EXPECT_TRUE(item.IsCheckable());
    EXPECT_TRUE(item.IsEnabled());
    EXPECT_TRUE(item.IsVisible());
    EXPECT_FALSE(item.IsSeparator());
}

TEST(OptionItemStates, CheckAndRadioItemsFollowAndChangeDeviceVariables)
{
    DeviceOption menu;
    u8 flag = 0;
    u8 running = 1;
    OptionItem* check = menu.AddCheckItem("Trace", &flag, 1, &running, 0);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->GetName().Compare(StringA("Trace")), 0);
    EXPECT_FALSE(check->IsChecked());
    EXPECT_FALSE(check->Execute()); // disabled while running
    running = 0;
    EXPECT_TRUE(check->Execute());
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(check->IsChecked());
    EXPECT_TRUE(check->Execute());
    EXPECT_EQ(flag, 0);
    flag = 1; // the device's own change shows at the next refresh
    EXPECT_TRUE(check->IsChecked());

    u32 mode = 0;
    OptionItem* a = menu.AddRadioItem("A", &mode, 0);
    OptionItem* b = menu.AddRadioItem("B", &mode, 7);
    EXPECT_TRUE(a->IsChecked());
    EXPECT_TRUE(b->Execute());
    EXPECT_EQ(mode, 7u);
    EXPECT_FALSE(a->IsChecked());
    EXPECT_FALSE(b->Execute()); // already chosen: no change
}

TEST(OptionItemStates, LinkedItemsFollowTheOtherItemWhateverTheValue)
{
    DeviceOption menu;
    DeviceOption* group = new DeviceOption;
    ASSERT_EQ(menu.AddChildItem(group), group);
    u8 a = 0;
    u8 b = 0;
    EXPECT_TRUE(group->AddCheckedIfItem(group->AddCheckItem("A", &a, 1), 1));
    EXPECT_TRUE(group->AddCheckedIfItem(group->AddCheckItem("B", &b, 1), 0));
    EXPECT_TRUE(menu.AddCheckedIfItem(group, 1));
    EXPECT_FALSE(menu.IsChecked());
    b = 1;
    EXPECT_TRUE(group->IsChecked());
    EXPECT_TRUE(menu.IsChecked());

    u8 gate = 0;
    OptionItem* leader = menu.AddItem("Leader");
    leader->AddEnabledIfByte(&gate, 1);
    OptionItem* follower = menu.AddItem("Follower");
    EXPECT_TRUE(follower->AddEnabledIfItem(leader, 1));
    EXPECT_TRUE(follower->AddVisibleIfItem(leader, 1));
    EXPECT_FALSE(follower->IsEnabled());
    leader->SetVisible(false);
    EXPECT_FALSE(follower->IsVisible());
    gate = 1;
    EXPECT_TRUE(follower->IsEnabled());

    // Linked to itself: a condition on the item's own flag.
    OptionItem self;
    EXPECT_TRUE(self.AddCheckedIfItem(&self, 1));
    EXPECT_FALSE(self.IsChecked());
    self.SetChecked(true);
    EXPECT_TRUE(self.IsChecked());
}

TEST(OptionItemStates, WordAndPredicateConditions)
{
    OptionItem item;
    u32 word = 5;
    u8 answer = 0;
    EXPECT_TRUE(item.AddVisibleIfWord(&word, 6));
    EXPECT_TRUE(item.AddCheckedIfCall(&Answer, &answer, 1));
    EXPECT_FALSE(item.IsVisible());
    EXPECT_FALSE(item.IsChecked());
    word = 6;
    answer = 1;
    EXPECT_TRUE(item.IsVisible());
    EXPECT_TRUE(item.IsChecked());
}

TEST(OptionItemStates, ItemsReferringToEachOtherDoNotRecurseForever)
{
    OptionItem a;
    OptionItem b;
    a.AddCheckedIfItem(&b, 1);
    b.AddCheckedIfItem(&a, 1);
    EXPECT_FALSE(a.IsChecked());

    u8 flag = 0;
    a.AddActionExecute(&b);
    b.AddActionExecute(&a);
    b.AddActionSetByte(&flag, 1);
    EXPECT_TRUE(a.Execute());
    EXPECT_EQ(flag, 1);
}

TEST(OptionItemRefusals, SeparatorsNullTargetsAndSelfActions)
{
    DeviceOption menu;
    OptionItem* sep = menu.AddSeparator();
    ASSERT_NE(sep, nullptr);
    u8 flag = 0;
    u32 word = 0;
    EXPECT_TRUE(sep->IsSeparator());
    EXPECT_FALSE(sep->IsChecked());
    EXPECT_FALSE(sep->IsEnabled());
    EXPECT_TRUE(sep->IsVisible());
    EXPECT_FALSE(sep->Execute());
    EXPECT_FALSE(sep->AddCheckedIfByte(&flag, 1));
    EXPECT_FALSE(sep->AddActionSetWord(&word, 1));
    EXPECT_EQ(sep->AddItem("x"), nullptr);
    EXPECT_EQ(sep->AddRadioItem("x", &word, 1), nullptr);
    EXPECT_EQ(sep->AddSeparator(), nullptr);
    EXPECT_TRUE(sep->AddChild(new OptionItem)); // adopting is still allowed

    OptionItem item;
    EXPECT_FALSE(item.AddCheckedIfByte(nullptr, 1));
    EXPECT_FALSE(item.AddActionExecute(&item));
    EXPECT_FALSE(item.AddActionSetChecked(&item, 1));
    EXPECT_FALSE(item.AddChild(nullptr));
    EXPECT_EQ(item.AddCheckItem("x", nullptr, 1), nullptr);
    EXPECT_FALSE(item.AddActionSetBytes(&flag, 1, 0));
    EXPECT_FALSE(item.Execute()); // nothing was appended
    EXPECT_EQ(flag, 0);
}

TEST(OptionItemExecute, SelectAllAndClearAllOverAnArray)
{
    DeviceOption menu;
    u8 flags[8] = {0, 0, 1, 0, 0, 0, 0, 0};
    OptionItem* clearAll = menu.AddItem("Clear All");
    OptionItem* selectAll = menu.AddItem("Select All");
    EXPECT_TRUE(clearAll->AddActionSetBytes(flags, 0, 8));
    EXPECT_TRUE(selectAll->AddActionSetBytes(flags, 1, 8));
    EXPECT_TRUE(clearAll->Execute());
    EXPECT_FALSE(clearAll->Execute()); // already clear
    EXPECT_TRUE(selectAll->Execute());
    for (u8 f : flags)
        EXPECT_EQ(f, 1);
}

TEST(OptionItemExecute, SubmenusDisabledAndInvisibleItemsDoNothing)
{
    u8 flag = 0;
    OptionItem submenu;
    OptionItem disabled;
    OptionItem hidden;
    for (OptionItem* item : {&submenu, &disabled, &hidden})
        item->AddActionSetByte(&flag, 1);
    submenu.AddItem("child");
    disabled.SetEnabled(false);
    hidden.SetVisible(false);
    EXPECT_FALSE(submenu.Execute());
    EXPECT_FALSE(disabled.Execute());
    EXPECT_FALSE(hidden.Execute());
    EXPECT_EQ(flag, 0);
}

TEST(OptionItemExecute, ActionsOnOtherItems)
{
    DeviceOption menu;
    u8 flag = 0;
    OptionItem* check = menu.AddCheckItem("Check", &flag, 1);
    OptionItem* forward = menu.AddItem("Forward");
    EXPECT_TRUE(forward->AddActionExecute(check));
    EXPECT_TRUE(forward->Execute());
    EXPECT_EQ(flag, 1);

    // Set-checked runs the other item only when its state is not the wanted one.
    OptionItem* ensureOn = menu.AddItem("Ensure on");
    OptionItem* ensureOff = menu.AddItem("Ensure off");
    ensureOn->AddActionSetChecked(check, 1);
    ensureOff->AddActionSetChecked(check, 0);
    EXPECT_FALSE(ensureOn->Execute());
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(ensureOff->Execute());
    EXPECT_EQ(flag, 0);
}

TEST(OptionItemTree, NotifyClimbsAndChildrenAreOwned)
{
    DeviceOption root;
    OptionItem* seen = nullptr;
    root.SetCallback(&seen, &Record);
    OptionItem* group = root.AddItem("group");
    OptionItem* leaf = group->AddItem("leaf");
    EXPECT_TRUE(leaf->Notify(nullptr));
    EXPECT_EQ(seen, leaf);
    root.SetCallback(nullptr, nullptr);
    EXPECT_FALSE(leaf->Notify(nullptr));

    EXPECT_TRUE(root.AddChild(group)); // already a child: not added twice
    EXPECT_EQ(root.GetChildCount(), 1);
    root.DeleteChildren(); // ASan reports a leak or a double free here
    EXPECT_EQ(root.GetChildCount(), 0);
}

} // namespace
