#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emu/drive_bay.h"
#include "emu/interrupt_lines.h"
#include "emu/keyboard_service.h"
#include "emu/tests/archive_buffer.h"
#include "emu/tests/machine_fixtures.h"

namespace {

class SystemBaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(machine.CreateDevices());
        a = new ProbeDevice;
        b = new ProbeDevice;
        c = new ProbeDevice;
        a->journal = b->journal = c->journal = &journal;
        ASSERT_TRUE(machine.AddDevice(a, "A", nullptr));
        ASSERT_TRUE(machine.AddDevice(b, "B", nullptr));
        ASSERT_TRUE(machine.AddDevice(c, "C", nullptr));
        b->SetEnabled(false);
    }

    TestMachine machine;
    ProbeDevice* a = nullptr;
    ProbeDevice* b = nullptr;
    ProbeDevice* c = nullptr;
    std::vector<std::string> journal;
};

// A port chip bound through a parameter.
bool ReadSeven(void*, u32, i32 size, u8* buffer, bool)
{
    if (size != 1)
        return false;
    buffer[0] = 7;
    return true;
}

} // namespace

TEST_F(SystemBaseTest, ServicesAreCreatedInOrderUnderTheirOwnNames)
{
    ComponentGroup& services = machine.GetServicesGroup();
    ASSERT_EQ(services.GetChildCount(), 7);
    const char* names[] = {"_BUS", "_MEM", "_PORT", "_INTR", "_KEYB", "_MOUSE", ""};
    for (i32 i = 0; i < 7; ++i)
        EXPECT_STREQ(services.GetChild(i)->GetName(), names[i]);
    EXPECT_EQ(static_cast<Component*>(machine.GetDriveBay()), services.GetChild(6));
}

TEST_F(SystemBaseTest, AMachineWithoutCpuAnswersNullAndZero)
{
    EXPECT_EQ(machine.GetCpuCount(), 0);   // devices that are not CPUs never join the list
    EXPECT_EQ(machine.GetMainCpu(), nullptr);
    EXPECT_EQ(machine.GetCpu(-1), nullptr);
    EXPECT_EQ(machine.GetCpu(0), nullptr);
    EXPECT_EQ(machine.GetTimeUnitsPerSecond(), 0u);
    EXPECT_EQ(machine.GetCurrentTime(), 0u);
    EXPECT_FALSE(machine.GetInterrupts()->SetLine(0, 1));   // polls a system without CPU
    StringA speed = "x";
    machine.GetSpeedText(speed);
    EXPECT_TRUE(speed.IsEmpty());
}

TEST_F(SystemBaseTest, StartStartsEnabledDevicesAndStopGoesLastFirst)
{
    i32 rate = 0;
    ASSERT_TRUE(machine.Start(&rate));
    EXPECT_TRUE(machine.IsRunning());
    EXPECT_EQ(journal, (std::vector<std::string>{"start A", "start C"}));
    // Enabled devices got the services; the disabled one got nothing.
    EXPECT_EQ(a->GetMemory(), machine.GetMemory());
    EXPECT_EQ(a->GetHost(), static_cast<SystemInterface*>(&machine));
    EXPECT_EQ(b->GetMemory(), nullptr);
    EXPECT_EQ(c->connects, (std::vector<u32>{0x008E, 0x0140, 0x0002}));
    EXPECT_TRUE(b->connects.empty());
    journal.clear();
    machine.Stop();
    EXPECT_EQ(journal, (std::vector<std::string>{"stop C", "stop A"}));
    EXPECT_FALSE(machine.IsRunning());

    // The first device to fail ends the start.
    a->failStart = true;
    journal.clear();
    EXPECT_FALSE(machine.Start(&rate));
    EXPECT_EQ(journal, std::vector<std::string>{"start A"});
}

TEST_F(SystemBaseTest, MemoryChangesReachTheDevicesOnlyOnceStarted)
{
    // While stopped the memory space has no link to the system: no Connect.
    ASSERT_TRUE(machine.GetMemory()->Allocate(0x1000, 0));
    EXPECT_TRUE(a->connects.empty());
    i32 rate = 0;
    ASSERT_TRUE(machine.Start(&rate));
    a->connects.clear();
    ASSERT_TRUE(machine.GetMemory()->Allocate(0x2000, 0));
    EXPECT_EQ(a->connects, std::vector<u32>{0x0002});
}

TEST_F(SystemBaseTest, ParametersApplyIntoTheServicesWhileRunning)
{
    ParamSet* params = a->GetParamSet();
    // While stopped nothing is installed and nothing is broadcast.
    ASSERT_TRUE(params->AddPortRangeValue("PORTS", true, true, 0x98, 2, ReadSeven, nullptr));
    EXPECT_TRUE(a->connects.empty());
    EXPECT_TRUE(machine.ApplyParams(nullptr));
    EXPECT_TRUE(a->connects.empty());

    i32 rate = 0;
    ASSERT_TRUE(machine.Start(&rate));
    PortSpace* ports = machine.GetPorts();
    EXPECT_EQ(ports->Read8(0x99, false, nullptr), 7);

    // A binding added while running is applied at once, with the port-binding word.
    a->connects.clear();
    ASSERT_TRUE(params->AddPortRangeValue("DATA", true, true, 0x10, 1, ReadSeven, nullptr));
    EXPECT_EQ(ports->Read8(0x10, false, nullptr), 7);
    EXPECT_EQ(a->connects, std::vector<u32>{0x0084});

    // Removing or disabling one takes its handlers out of the services.
    ASSERT_TRUE(params->RemoveParam("DATA"));
    EXPECT_EQ(ports->Read8(0x10, false, nullptr), 0xFF);
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 7);
    ASSERT_TRUE(params->DisableParam("PORTS"));
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 0xFF);

    // A disabled device's parameters are never applied.
    ASSERT_TRUE(b->GetParamSet()->AddPortRangeValue("PORTS", true, true, 0x20, 1, ReadSeven, nullptr));
    EXPECT_EQ(ports->Read8(0x20, false, nullptr), 0xFF);
}

TEST_F(SystemBaseTest, DisplayCallbackIsInstalledAndTakenBack)
{
    DisplayChangeLink first, second;
    auto* display1 = reinterpret_cast<LockedDisplaySurface*>(&first);
    auto* display2 = reinterpret_cast<LockedDisplaySurface*>(&second);

    machine.SetDisplay(display1, &first);
    EXPECT_EQ(first.sizeChangedUserData, &machine);
    EXPECT_TRUE(a->connects.empty());   // stopped: nothing broadcast
    i32 rate = 0;
    ASSERT_TRUE(machine.Start(&rate));
    EXPECT_EQ(a->GetDisplay(), display1);

    // The renderer resized the surface.
    a->connects.clear();
    first.sizeChangedCallback(first.sizeChangedUserData);
    EXPECT_EQ(a->connects, std::vector<u32>{0x0100});

    // The same display again changes nothing.
    a->connects.clear();
    machine.SetDisplay(display1, &first);
    EXPECT_TRUE(a->connects.empty());

    // A new display while running: the old one no longer calls in.
    machine.SetDisplay(display2, &second);
    EXPECT_EQ(first.sizeChangedCallback, nullptr);
    EXPECT_EQ(first.sizeChangedUserData, nullptr);
    EXPECT_EQ(second.sizeChangedUserData, &machine);
    EXPECT_EQ(a->GetDisplay(), display2);
    EXPECT_EQ(a->connects, std::vector<u32>{0x0100});
}

TEST(SystemBaseLifetime, DestroyingTheSystemTakesBackItsCallbacks)
{
    DisplayChangeLink link;
    {
        TestMachine machine;
        ASSERT_TRUE(machine.CreateDevices());
        machine.SetDisplay(reinterpret_cast<LockedDisplaySurface*>(&link), &link);
        ASSERT_EQ(link.sizeChangedUserData, &machine);
    }
    EXPECT_EQ(link.sizeChangedCallback, nullptr);
    EXPECT_EQ(link.sizeChangedUserData, nullptr);

    // Letting the machine's devices go takes the callback back as well.
    TestMachine machine;
    machine.SetDisplay(reinterpret_cast<LockedDisplaySurface*>(&link), &link);
    machine.ClearMachine();
    EXPECT_EQ(link.sizeChangedUserData, nullptr);
}

TEST_F(SystemBaseTest, DriveBayChangesBecomeConnectBroadcasts)
{
    DriveBay* bay = machine.GetDriveBay();
    ASSERT_NE(bay, nullptr);
    EXPECT_EQ(bay->GetChangeContext(), &machine);
    i32 rate = 0;
    ASSERT_TRUE(machine.Start(&rate));
    a->connects.clear();
    bay->OnDriveChange(nullptr, true);
    bay->OnDriveChange(nullptr, false);
    EXPECT_EQ(a->connects, (std::vector<u32>{0x0200, 0x0040}));
}

TEST_F(SystemBaseTest, KeyEventsReachTheKeyboardService)
{
    KeyboardService* keys = machine.GetKeyboard();
    machine.ApplyKeyEvent(0x41, true);
    machine.ApplyKeyEvent(0x42, true);
    EXPECT_TRUE(keys->IsKeyDown(0x41));
    machine.ApplyKeyEvent(0x141, false);   // only the low 8 bits count
    EXPECT_FALSE(keys->IsKeyDown(0x41));
    machine.ApplyKeyEvent(-1, true);       // the no-key code: nothing
    EXPECT_TRUE(keys->IsKeyDown(0x42));
    EXPECT_FALSE(keys->IsKeyDown(0xFF));
    machine.ApplyKeyEvent(-1, false);      // release everything
    EXPECT_FALSE(keys->IsAnyKeyDown());
}

TEST_F(SystemBaseTest, BreaksAreSuppressedWhileTheCounterIsUp)
{
    bool restart = true, report = false;
    EXPECT_FALSE(machine.RequestBreak(&restart, &report));   // no debugger: report anyway
    EXPECT_TRUE(report);

    static bool sawRestart;
    machine.SetBreakHandler(
        [](void*, bool* r, bool*) {
            sawRestart = *r;
            return true;
        },
        nullptr);
    EXPECT_TRUE(machine.RequestBreak(&restart, &report));
    EXPECT_TRUE(sawRestart);
    machine.SuppressBreaks(true);
    restart = true;
    EXPECT_TRUE(machine.RequestBreak(&restart, &report));
    EXPECT_FALSE(sawRestart);
    machine.SuppressBreaks(false);
    machine.SuppressBreaks(false);   // never below 0
    EXPECT_EQ(machine.GetBreakSuppressCount(), 0);
}

TEST_F(SystemBaseTest, RecordRoundTripsAndRefusesAnotherVersion)
{
    // The devices' bus timers are saved by name: they must be registered while starting.
    ASSERT_TRUE(machine.StartLikeTheCore());
    ArchiveBuffer buf;
    ASSERT_TRUE(machine.SaveComponent(buf.archive));
    EXPECT_EQ(machine.GetBreakSuppressCount(), 0);

    a->connects.clear();
    buf.Rewind();
    ASSERT_TRUE(machine.LoadComponent(buf.archive, nullptr));
    EXPECT_EQ(a->connects, std::vector<u32>{0xFFFF});
    EXPECT_FALSE(machine.IsLoadingState());
    EXPECT_EQ(machine.GetBreakSuppressCount(), 0);

    std::vector<u8> bytes = buf.Bytes();
    // The first record is the keyed "VER": F8, "VER", type 00, value.
    ASSERT_EQ(bytes[8], 0x00);
    bytes[9] = 1;
    MemoryStream stream;
    stream.Allocate(0, -1);
    stream.Write(bytes.data(), bytes.size());
    stream.Seek(0);
    Archive bad(&stream);
    a->connects.clear();
    machine.SuppressBreaks(true);
    EXPECT_FALSE(machine.LoadComponent(bad, nullptr));
    EXPECT_EQ(stream.GetPosition(), 10u);   // nothing read beyond the version
    EXPECT_TRUE(a->connects.empty());
    EXPECT_EQ(machine.GetBreakSuppressCount(), 1);
    EXPECT_FALSE(machine.IsLoadingState());
}
