#include <gtest/gtest.h>

#include <vector>

#include "base/dictionary.h"
#include "base/memory_stream.h"
#include "base/string_a.h"
#include "emu/device.h"
#include "emu/option_item.h"
#include "emu/selectable_device.h"
#include "emu/tests/record_helpers.h"

namespace {

class Chip : public Device {
public:
    explicit Chip(const char* key = nullptr, std::vector<u32>* connects = nullptr, bool connectOk = true)
        : key_(key), connects_(connects), connectOk_(connectOk)
    {
    }

    bool BindSettings(Dictionary* dict, bool enabledOnly) override
    {
        if (dict != nullptr && key_ != nullptr)
            dict->BindUInt8(StringA(key_), &setting);
        return ComponentGroup::BindSettings(dict, enabledOnly);
    }
    bool ValidateSettings(bool enabledOnly) override
    {
        ++validations;
        if (setting > 10)
            setting = 10;
        return ComponentGroup::ValidateSettings(enabledOnly);
    }
    bool Connect(u32 flags) override
    {
        if (connects_ != nullptr)
            connects_->push_back(flags | (static_cast<u32>(GetName()[0]) << 24));
        return connectOk_ && Device::Connect(flags);
    }

    u8 setting = 0;
    int validations = 0;

private:
    const char* key_;
    std::vector<u32>* connects_;
    bool connectOk_;
};

const ByteVec kCfp = Cat({Marker(0xF0, "_CFP"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_CFP")});
const ByteVec kDev = Cat({Marker(0xF0, "_DEV"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_DEV")});

TEST(DeviceState, OwnStateIsCfpThenDev)
{
    Chip chip;
    StateBuffer buf;
    ASSERT_TRUE(chip.SaveState(buf.archive));
    EXPECT_EQ(buf.Bytes(), Cat({kCfp, kDev}));
    buf.Rewind();
    EXPECT_TRUE(chip.LoadState(buf.archive, nullptr));
}

TEST(DeviceState, WrongVersionOrBlockNameFails)
{
    Chip chip;
    StateBuffer version(Cat({kCfp, Marker(0xF0, "_DEV"), Keyed("VER", 0x00, {0x01}), Marker(0xFF, "_DEV")}));
    EXPECT_FALSE(chip.LoadState(version.archive, nullptr));
    StateBuffer name(Cat({kCfp, Marker(0xF0, "_DEW"), Keyed("VER", 0x00, {0x00}), Marker(0xFF, "_DEW")}));
    EXPECT_FALSE(chip.LoadState(name.archive, nullptr));
    StateBuffer cfpOnly(kCfp);
    EXPECT_FALSE(chip.LoadState(cfpOnly.archive, nullptr));
}

TEST(DeviceConnect, SkipsDisabledAndPlainChildrenAndStopsAtFalse)
{
    std::vector<u32> seen;
    Device root;
    root.AddChild(new Chip(nullptr, &seen), "A", nullptr);
    root.AddChild(new Component, "P", nullptr);
    auto* off = new Chip(nullptr, &seen);
    root.AddChild(off, "B", nullptr);
    off->SetEnabled(false);
    auto* refusing = new Chip(nullptr, &seen, false);
    root.AddChild(refusing, "C", nullptr);
    refusing->AddChild(new Chip(nullptr, &seen), "E", nullptr);
    root.AddChild(new Chip(nullptr, &seen), "D", nullptr);

    EXPECT_FALSE(root.Connect(0x140));
    EXPECT_EQ(seen, (std::vector<u32>{0x41000140u, 0x43000140u}));
}

// --- settings tree ---

struct SettingsTree {
    Device machine;
    Chip* cpu;
    Chip* vdp;
    Chip* unit;

    SettingsTree()
    {
        machine.SetName("MACHINE");
        cpu = new Chip("Speed");
        vdp = new Chip("Mode");
        unit = new Chip("Depth");
        machine.AddChild(cpu, "CPU", nullptr);
        machine.AddChild(vdp, "VDP", nullptr);
        vdp->AddChild(unit, "UNIT", nullptr);
        machine.AddChild(new Chip, "QUIET", nullptr); // no settings: leaves no node
    }

    ByteVec Save()
    {
        Dictionary dict;
        EXPECT_TRUE(machine.BindSettingsTree(&dict, false));
        EXPECT_EQ(dict.Children().size(), 2u);
        MemoryStream stream;
        stream.Allocate(0, -1);
        EXPECT_TRUE(dict.Save(stream));
        const u8* data = stream.GetBuffer();
        return ByteVec(data, data + stream.GetSize());
    }
};

TEST(DeviceSettings, TreeRoundTripValidatesEveryDevice)
{
    SettingsTree saved;
    saved.cpu->setting = 4;
    saved.vdp->setting = 5;
    saved.unit->setting = 6;
    const ByteVec bytes = saved.Save();

    SettingsTree loaded;
    StateBuffer in(bytes);
    ASSERT_TRUE(loaded.machine.LoadSettingsTree(in.stream, false, nullptr));
    EXPECT_EQ(loaded.cpu->setting, 4);
    EXPECT_EQ(loaded.vdp->setting, 5);
    EXPECT_EQ(loaded.unit->setting, 6);
    EXPECT_GE(loaded.unit->validations, 1);
    EXPECT_EQ(loaded.Save(), bytes);
}

TEST(DeviceSettings, OutOfRangeValueIsValidatedAndTrackedLoadReportsChanges)
{
    SettingsTree saved;
    saved.cpu->setting = 200;
    const ByteVec bytes = saved.Save();

    SettingsTree loaded;
    StateBuffer in(bytes);
    bool changed = false;
    ASSERT_TRUE(loaded.machine.LoadSettingsTree(in.stream, true, &changed));
    EXPECT_TRUE(changed);
    EXPECT_EQ(loaded.cpu->setting, 10);

    // Loading what the tree holds now changes nothing.
    const ByteVec now = loaded.Save();
    StateBuffer same(now);
    changed = false;
    ASSERT_TRUE(loaded.machine.LoadSettingsTree(same.stream, true, &changed));
    EXPECT_FALSE(changed);
}

TEST(DeviceSettings, DamagedSettingsAreRefusedWithoutHarm)
{
    SettingsTree saved;
    const ByteVec bytes = saved.Save();
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SettingsTree loaded;
        StateBuffer in(ByteVec(bytes.begin(), bytes.begin() + static_cast<long>(cut)));
        EXPECT_FALSE(loaded.machine.LoadSettingsTree(in.stream, false, nullptr)) << "cut at " << cut;
    }
    // A node named after a component that is not a device is skipped, not entered.
    Device machine;
    machine.AddChild(new Component, "CPU", nullptr);
    StateBuffer in(bytes);
    EXPECT_TRUE(machine.LoadSettingsTree(in.stream, false, nullptr));
}

// A device whose parent's node is read through its own-settings loader takes the node
// that bears its exact name and lets the others be skipped.
TEST(DeviceSettings, OwnLoaderTakesOnlyTheNodeOfItsExactName)
{
    struct Case {
        Dictionary::ChildLoader loader;
        const char* name;
        u8 setting;    // after the load
        bool changed;  // reported by the tracked loader
    };
    const Case cases[] = {
        {&Device::LoadOwnSettings, "CPU", 4, false},
        {&Device::LoadOwnSettingsTracked, "CPU", 4, true},
        {&Device::LoadOwnSettings, "cpu", 0, false},
        {&Device::LoadOwnSettings, "CP", 0, false},
        {&Device::LoadOwnSettingsTracked, "CPUS", 0, false},
    };
    SettingsTree saved;
    saved.cpu->setting = 4;
    const ByteVec bytes = saved.Save();
    for (const Case& c : cases) {
        Chip chip("Speed");
        chip.SetName(c.name);
        Dictionary parent;
        parent.SetHookContext(static_cast<Device*>(&chip));
        parent.SetChildLoader(c.loader);
        StateBuffer in(bytes);
        bool changed = false;
        ASSERT_TRUE(parent.LoadEx(in.stream, changed)) << c.name;
        EXPECT_EQ(chip.setting, c.setting) << c.name;
        EXPECT_EQ(changed, c.changed) << c.name;
    }
}

// --- debugger menu ---

class MenuChip : public Device {
public:
    void BuildMenu(OptionItem* menu, i32 kind) override
    {
        if (kind == kMenuDebug) {
            menu->AddCheckedIfItem(menu->AddCheckItem("Trace", &trace, 1), 1);
            menu->AddCheckedIfItem(menu->AddCheckItem("Break", &brk, 1), 1);
        }
        Device::BuildMenu(menu, kind);
    }
    u8 trace = 0;
    u8 brk = 0;
};

TEST(DeviceMenu, OnlySubUnitsWithEntriesGetASubmenu)
{
    Device machine;
    machine.AddChild(new Chip, "A", nullptr);
    auto* b = new MenuChip;
    machine.AddChild(b, "B", nullptr);
    machine.AddChild(new Chip, "C", nullptr);

    DeviceOption root;
    machine.BuildMenu(&root, Device::kMenuDebug);
    ASSERT_EQ(root.GetChildCount(), 1);
    OptionItem* sub = root.GetChild(0);
    EXPECT_STREQ(sub->GetName().GetNarrow(), "B");
    EXPECT_EQ(sub->GetChildCount(), 2);
    EXPECT_FALSE(root.IsChecked());
    b->brk = 1;
    EXPECT_TRUE(sub->IsChecked());
    EXPECT_TRUE(root.IsChecked());

    // Other kinds go straight through to the children.
    DeviceOption other;
    machine.BuildMenu(&other, 2);
    EXPECT_EQ(other.GetChildCount(), 0);
}

TEST(DeviceMenu, SelectableDeviceOffersItsAlternatives)
{
    SelectableDevice sel;
    sel.SetSelectionMenuKind(3);
    sel.AddChild(new MenuChip, "FIRST", nullptr);
    sel.AddChild(new MenuChip, "SECOND", nullptr);
    sel.SetChoiceName(1, "Second one");

    DeviceOption menu;
    menu.AddItem("existing");
    sel.BuildMenu(&menu, 3);
    // A separator after the existing entry, then one submenu per alternative.
    ASSERT_EQ(menu.GetChildCount(), 4);
    EXPECT_TRUE(menu.GetChild(1)->IsSeparator());
    EXPECT_STREQ(menu.GetChild(2)->GetName().GetNarrow(), "FIRST");
    EXPECT_STREQ(menu.GetChild(3)->GetName().GetNarrow(), "Second one");

    // Picking the second alternative selects it, only while the device is stopped.
    OptionItem* pick = menu.GetChild(3)->GetChild(0);
    EXPECT_TRUE(pick->IsEnabled());
    EXPECT_TRUE(pick->Execute());
    EXPECT_EQ(sel.GetSelectedIndex(), 1);
    EXPECT_TRUE(menu.GetChild(3)->IsChecked());
    i32 rate = 0;
    ASSERT_TRUE(sel.Start(&rate));
    EXPECT_FALSE(menu.GetChild(2)->GetChild(0)->IsEnabled());
}

// --- selectable device ---

TEST(SelectableDeviceTest, SelectionIsValidatedAndStarted)
{
    SelectableDevice sel;
    auto* a = new Chip;
    auto* b = new Chip;
    sel.AddChild(a, "A", nullptr);
    sel.AddChild(b, "B", nullptr);
    i32 rate = 0;

    sel.SetSelectedIndex(2);
    EXPECT_FALSE(sel.Start(&rate));
    EXPECT_FALSE(sel.IsRunning());

    sel.SetSelectedIndex(5);
    EXPECT_FALSE(sel.ValidateSettings(false));
    EXPECT_EQ(sel.GetSelectedIndex(), 0);
    sel.SetSelectedIndex(1);
    EXPECT_TRUE(sel.ValidateSettings(false));

    EXPECT_TRUE(sel.Start(&rate));
    EXPECT_TRUE(sel.IsRunning());
    EXPECT_FALSE(a->IsEnabled());
    EXPECT_TRUE(b->IsEnabled());
    EXPECT_TRUE(b->IsRunning());
    EXPECT_TRUE(sel.IsSelectable());

    sel.SetChoiceName(0, "First");
    sel.SetChoiceName(7, "ignored");
    EXPECT_STREQ(sel.GetChoiceName(0), "First");
    EXPECT_STREQ(sel.GetChoiceName(1), "B");
}

} // namespace
