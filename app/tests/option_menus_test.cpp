// Option trees as menu entries: separators, submenus, states, renaming, the six menus.
#include "app/option_menus.h"
#include "app/tests/parts_rig.h"
#include "emu/option_item.h"

namespace {

bool CountingHandler(MenuItem*, int, int, void*)
{
    return true;
}

// A mode shown in its option's name and in the submenu's above it.
struct Mode {
    OptionItem* submenu;
    OptionItem* option;
    static u8 Next(void* self)
    {
        auto* mode = static_cast<Mode*>(self);
        mode->submenu->SetName(StringA("Mode 2"));
        mode->option->SetName(StringA("Next after 2"));
        return 0;
    }
};

} // namespace

TEST(OptionMenusTest, TreesBecomeEntriesWithOneSeparatorBetweenGroups)
{
    OptionItem root;
    u8 flag = 0;
    root.AddCheckItem(StringA("Flag"), &flag, 1, nullptr, 0);
    root.AddSeparator();
    root.AddSeparator();
    OptionItem* sub = root.AddItem(StringA("Mode 1"));
    OptionItem* next = sub->AddItem(StringA("Next"));
    sub->AddSeparator();
    root.AddSeparator();

    PopupMenu menu;
    ASSERT_TRUE(AddOptionItems(&root, &menu, &CountingHandler));
    EXPECT_EQ(MenuLayout(menu, true), "Flag,-,Mode 1[Next]");
    for (int i = 0; i < menu.GetChildCount(); ++i)
        EXPECT_NE(menu.GetChild(i)->tag, nullptr) << i;
    EXPECT_FALSE(AddOptionItems(nullptr, &menu, &CountingHandler));

    // Refresh takes the option's state; execute runs it and refreshes the whole menu.
    MenuItem* flagEntry = menu.GetChild(0);
    EXPECT_FALSE(OptionEntryEvent(flagEntry, 0, menu_event::kUpdate, true)) << "addressed to a child";
    EXPECT_FALSE(OptionEntryEvent(flagEntry, -1, menu_event::kUpdate, false)) << "no core";
    EXPECT_TRUE(OptionEntryEvent(flagEntry, -1, menu_event::kCommand, true));
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(OptionEntryEvent(flagEntry, -1, menu_event::kUpdate, true));
    EXPECT_EQ(flagEntry->checked, 1);

    // An option whose name shows a value renames itself and the submenu above it.
    Mode mode{sub, next};
    next->AddActionCall(&Mode::Next, &mode);
    MenuItem* nextEntry = menu.GetChild(2)->GetChild(0);
    EXPECT_TRUE(OptionEntryEvent(nextEntry, -1, menu_event::kCommand, true));
    EXPECT_EQ(MenuLayout(menu, true), "Flag,-,Mode 2[Next after 2]");
}

TEST_F(PartsTest, CoreOptionsJoinTheSixMenusAndLeaveAgainByTag)
{
    PopupMenu menus[6];
    OptionMenuTargets targets{&menus[0], &menus[1], &menus[2], &menus[3], &menus[4], &menus[5]};
    for (PopupMenu& menu : menus) {
        menu.AddItem(StringW("Fixed"), true);
        menu.AddSeparator(false);  // left over from before: goes when the tree is empty
    }
    EXPECT_FALSE(AddCoreOptionMenus(nullptr, targets, &CountingHandler));
    ASSERT_TRUE(AddCoreOptionMenus(shell.core, targets, &CountingHandler));
    const u32 ids[6] = {1, 4, 6, 2, 3, 8};
    i32 filled = 0;
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(ids[i]);
        OptionItem* root = shell.core->GetObjectById(ids[i]);
        const int count = menus[i].GetChildCount();
        const bool hasOptions = root && root->GetChildCount() > 0;
        if (hasOptions) {
            ++filled;
            EXPECT_TRUE(menus[i].GetChild(1)->IsSeparator());
            EXPECT_GT(count, 2);
            EXPECT_NE(menus[i].GetChild(2)->tag, nullptr);
        } else {
            EXPECT_EQ(MenuLayout(menus[i], true), "Fixed");
        }
        EXPECT_FALSE(menus[i].GetChild(count - 1)->IsSeparator());
        menus[i].RemoveByTag(nullptr, false);
        // The separator before the options is the menu's own.
        EXPECT_EQ(MenuLayout(menus[i], true), hasOptions ? "Fixed,-" : "Fixed");
    }
    EXPECT_GE(filled, 2) << "the Computer (Sync Frequency) and Debug menus have options";
}
