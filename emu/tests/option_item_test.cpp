#include <gtest/gtest.h>

#include "base/string_a.h"
#include "emu/option_item.h"

namespace {

u8 Answer(void* context)
{
    return *static_cast<u8*>(context);
}

u8 CountCalls(void* context)
{
    ++*static_cast<int*>(context);
    return 1;
}

struct Notified {
    OptionItem* item = nullptr;
    int calls = 0;
};

void Record(void* context, OptionItem* item)
{
    auto* n = static_cast<Notified*>(context);
    n->item = item;
    ++n->calls;
}

TEST(OptionItemStates, NewItemIsUncheckedCheckableEnabledVisible)
{
    OptionItem item;
    EXPECT_FALSE(item.IsChecked());
    EXPECT_TRUE(item.IsCheckable());
    EXPECT_TRUE(item.IsEnabled());
    EXPECT_TRUE(item.IsVisible());
    EXPECT_FALSE(item.IsSeparator());
    EXPECT_EQ(item.GetChildCount(), 0);
    EXPECT_EQ(item.GetParent(), nullptr);
}

TEST(OptionItemStates, CheckItemFollowsAndTogglesItsFlag)
{
    DeviceOption menu;
    u8 flag = 0;
    OptionItem* item = menu.AddCheckItem("Trace", &flag, 1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetName().Compare(StringA("Trace")), 0);
    EXPECT_EQ(item->GetParent(), &menu);
    EXPECT_FALSE(item->IsChecked());

    EXPECT_TRUE(item->Execute());
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(item->IsChecked());
    EXPECT_TRUE(item->Execute());
    EXPECT_EQ(flag, 0);
    EXPECT_FALSE(item->IsChecked());

    // The device changing the flag shows at the next refresh.
    flag = 1;
    EXPECT_TRUE(item->IsChecked());
}

TEST(OptionItemStates, EnableVariableGatesTheItem)
{
    DeviceOption menu;
    u8 flag = 0;
    u8 running = 1;
    OptionItem* item = menu.AddCheckItem("Switch", &flag, 1, &running, 0);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->IsEnabled());
    EXPECT_FALSE(item->Execute());
    EXPECT_EQ(flag, 0);
    running = 0;
    EXPECT_TRUE(item->IsEnabled());
    EXPECT_TRUE(item->Execute());
    EXPECT_EQ(flag, 1);
}

TEST(OptionItemStates, RadioItemsShareOneWord)
{
    DeviceOption menu;
    u32 mode = 0;
    OptionItem* a = menu.AddRadioItem("A", &mode, 0);
    OptionItem* b = menu.AddRadioItem("B", &mode, 7);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(a->IsChecked());
    EXPECT_FALSE(b->IsChecked());
    EXPECT_TRUE(b->Execute());
    EXPECT_EQ(mode, 7u);
    EXPECT_FALSE(a->IsChecked());
    EXPECT_TRUE(b->IsChecked());
    // Choosing the value already held changes nothing.
    EXPECT_FALSE(b->Execute());
}

TEST(OptionItemStates, ItemConditionsFollowTheOtherItemWhateverTheValue)
{
    DeviceOption menu;
    DeviceOption* group = new DeviceOption;
    ASSERT_EQ(menu.AddChildItem(group), group);
    u8 a = 0;
    u8 b = 0;
    OptionItem* sa = group->AddCheckItem("A", &a, 1);
    OptionItem* sb = group->AddCheckItem("B", &b, 1);
    EXPECT_TRUE(group->AddCheckedIfItem(sa, 1));
    EXPECT_TRUE(group->AddCheckedIfItem(sb, 0)); // the value byte is not compared
    EXPECT_TRUE(menu.AddCheckedIfItem(group, 1));

    EXPECT_FALSE(group->IsChecked());
    EXPECT_FALSE(menu.IsChecked());
    b = 1;
    EXPECT_TRUE(group->IsChecked());
    EXPECT_TRUE(menu.IsChecked());

    u8 gate = 0;
    OptionItem* follower = menu.AddItem("Follower");
    EXPECT_TRUE(follower->AddEnabledIfByte(&gate, 1));
    OptionItem* leader = menu.AddItem("Leader");
    EXPECT_TRUE(leader->AddEnabledIfItem(follower, 1));
    EXPECT_TRUE(leader->AddVisibleIfItem(follower, 1));
    EXPECT_FALSE(leader->IsEnabled());
    follower->SetVisible(false);
    EXPECT_FALSE(leader->IsVisible());
    gate = 1;
    follower->SetVisible(true);
    EXPECT_TRUE(leader->IsEnabled());
    EXPECT_TRUE(leader->IsVisible());
}

TEST(OptionItemStates, LinkToItselfUsesTheOwnFlags)
{
    OptionItem item;
    EXPECT_TRUE(item.AddCheckedIfItem(&item, 1));
    EXPECT_FALSE(item.IsChecked());
    item.SetChecked(true);
    EXPECT_TRUE(item.IsChecked());

    OptionItem other;
    EXPECT_TRUE(other.AddEnabledIfItem(&other, 0));
    EXPECT_FALSE(other.IsEnabled()); // own enabled flag is 1, the condition asks for 0
    other.SetEnabled(false);
    EXPECT_TRUE(other.IsEnabled());
}

TEST(OptionItemStates, WordAndCallConditions)
{
    OptionItem item;
    u32 word = 5;
    u8 answer = 0;
    EXPECT_TRUE(item.AddVisibleIfWord(&word, 6));
    EXPECT_FALSE(item.IsVisible());
    word = 6;
    EXPECT_TRUE(item.IsVisible());

    EXPECT_TRUE(item.AddCheckedIfCall(&Answer, &answer, 1));
    EXPECT_FALSE(item.IsChecked());
    answer = 1;
    EXPECT_TRUE(item.IsChecked());

    EXPECT_TRUE(item.AddEnabledIfWord(&word, 7));
    EXPECT_TRUE(item.AddEnabledIfCall(&Answer, &answer, 0));
    EXPECT_FALSE(item.IsEnabled());
    word = 7;
    EXPECT_TRUE(item.IsEnabled());
}

TEST(OptionItemStates, ItemsReferringToEachOtherDoNotRecurseForever)
{
    OptionItem a;
    OptionItem b;
    a.AddCheckedIfItem(&b, 1);
    b.AddCheckedIfItem(&a, 1);
    EXPECT_FALSE(a.IsChecked());
    EXPECT_FALSE(b.IsChecked());

    u8 flag = 0;
    a.AddActionExecute(&b);
    b.AddActionExecute(&a);
    b.AddActionSetByte(&flag, 1);
    EXPECT_TRUE(a.Execute());
    EXPECT_EQ(flag, 1);
}

TEST(OptionItemSeparator, RefusesConditionsActionsAndItems)
{
    DeviceOption menu;
    OptionItem* sep = menu.AddSeparator();
    ASSERT_NE(sep, nullptr);
    u8 flag = 0;
    u32 word = 0;
    EXPECT_TRUE(sep->IsSeparator());
    EXPECT_EQ(sep->GetName().GetLength(), 0);
    EXPECT_FALSE(sep->IsChecked());
    EXPECT_FALSE(sep->IsEnabled());
    EXPECT_TRUE(sep->IsVisible());
    EXPECT_FALSE(sep->Execute());
    EXPECT_FALSE(sep->AddCheckedIfByte(&flag, 1));
    EXPECT_FALSE(sep->AddEnabledIfWord(&word, 1));
    EXPECT_FALSE(sep->AddVisibleIfItem(&menu, 1));
    EXPECT_FALSE(sep->AddActionSetByte(&flag, 1));
    EXPECT_FALSE(sep->AddActionToggleByte(&flag));
    EXPECT_EQ(sep->AddItem("x"), nullptr);
    EXPECT_EQ(sep->AddCheckItem("x", &flag, 1), nullptr);
    EXPECT_EQ(sep->AddRadioItem("x", &word, 1), nullptr);
    EXPECT_EQ(sep->AddSeparator(), nullptr);
    // Adopting a ready-made child is still allowed.
    EXPECT_TRUE(sep->AddChild(new OptionItem));
    EXPECT_EQ(sep->GetChildCount(), 1);
}

TEST(OptionItemRefusals, NullTargetsAndSelfActions)
{
    OptionItem item;
    EXPECT_FALSE(item.AddCheckedIfByte(nullptr, 1));
    EXPECT_FALSE(item.AddActionSetWord(nullptr, 1));
    EXPECT_FALSE(item.AddActionCall(nullptr, nullptr));
    EXPECT_FALSE(item.AddActionExecute(&item));
    EXPECT_FALSE(item.AddActionSetChecked(&item, 1));
    EXPECT_FALSE(item.AddChild(nullptr));
    EXPECT_EQ(item.AddChildItem(nullptr), nullptr);
    EXPECT_EQ(item.AddCheckItem("x", nullptr, 1), nullptr);
    EXPECT_EQ(item.AddRadioItem("x", nullptr, 1), nullptr);
    u8 bytes[2] = {1, 1};
    EXPECT_FALSE(item.AddActionSetBytes(bytes, 0, 0));
    EXPECT_FALSE(item.AddActionSetBytes(bytes, 0, -3));
    // Nothing was appended: the item still executes as an empty action list.
    EXPECT_FALSE(item.Execute());
    EXPECT_EQ(bytes[0], 1);
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
    for (u8 f : flags)
        EXPECT_EQ(f, 0);
    EXPECT_FALSE(clearAll->Execute()); // already clear: no change
    EXPECT_TRUE(selectAll->Execute());
    for (u8 f : flags)
        EXPECT_EQ(f, 1);
}

TEST(OptionItemExecute, SubmenusDisabledAndInvisibleItemsDoNothing)
{
    u8 flag = 0;
    OptionItem parent;
    parent.AddActionSetByte(&flag, 1);
    parent.AddItem("child");
    EXPECT_FALSE(parent.Execute());
    EXPECT_EQ(flag, 0);

    OptionItem disabled;
    disabled.AddActionSetByte(&flag, 1);
    disabled.SetEnabled(false);
    EXPECT_FALSE(disabled.Execute());

    OptionItem hidden;
    hidden.AddActionSetByte(&flag, 1);
    hidden.SetVisible(false);
    EXPECT_FALSE(hidden.Execute());
    EXPECT_EQ(flag, 0);
}

TEST(OptionItemExecute, ActionsOnOtherItemsAndCalls)
{
    DeviceOption menu;
    u8 flag = 0;
    OptionItem* check = menu.AddCheckItem("Check", &flag, 1);
    OptionItem* forward = menu.AddItem("Forward");
    EXPECT_TRUE(forward->AddActionExecute(check));
    EXPECT_TRUE(forward->Execute());
    EXPECT_EQ(flag, 1);

    // Set-checked runs the other item only when its state differs from the wanted one.
    OptionItem* ensureOn = menu.AddItem("Ensure on");
    EXPECT_TRUE(ensureOn->AddActionSetChecked(check, 1));
    EXPECT_FALSE(ensureOn->Execute());
    EXPECT_EQ(flag, 1);
    OptionItem* ensureOff = menu.AddItem("Ensure off");
    EXPECT_TRUE(ensureOff->AddActionSetChecked(check, 0));
    EXPECT_TRUE(ensureOff->Execute());
    EXPECT_EQ(flag, 0);

    int calls = 0;
    OptionItem* call = menu.AddItem("Call");
    EXPECT_TRUE(call->AddActionCall(&CountCalls, &calls));
    EXPECT_TRUE(call->Execute());
    EXPECT_TRUE(call->Execute());
    EXPECT_EQ(calls, 2);
}

TEST(OptionItemTree, NotifyClimbsToTheNearestCallback)
{
    DeviceOption root;
    Notified seen;
    root.SetCallback(&seen, &Record);
    OptionItem* group = root.AddItem("group");
    OptionItem* leaf = group->AddItem("leaf");
    EXPECT_TRUE(leaf->Notify(nullptr));
    EXPECT_EQ(seen.item, leaf);
    EXPECT_EQ(seen.calls, 1);

    root.SetCallback(nullptr, nullptr);
    EXPECT_FALSE(leaf->Notify(nullptr));
    EXPECT_EQ(seen.calls, 1);
}

TEST(OptionItemTree, ChildrenAreOwnedAddedOnceAndDeleted)
{
    DeviceOption root;
    OptionItem* a = new OptionItem;
    EXPECT_TRUE(root.AddChild(a));
    EXPECT_TRUE(root.AddChild(a));
    EXPECT_EQ(root.GetChildCount(), 1);
    EXPECT_EQ(root.GetChild(0), a);
    EXPECT_EQ(a->GetParentLink(), &root);
    a->AddItem("grandchild");
    root.AddSeparator();
    EXPECT_EQ(root.GetChildCount(), 2);
    root.DeleteChildren(); // ASan reports a leak or double free here
    EXPECT_EQ(root.GetChildCount(), 0);

    root.SetName(StringA("Root"));
    root.SetDescription(StringA("the root"));
    EXPECT_EQ(root.GetName().Compare(StringA("Root")), 0);
    EXPECT_EQ(root.GetDescription().Compare(StringA("the root")), 0);
    EXPECT_TRUE(root.GetValue().SetUInt32(42));
}

} // namespace
