// Parameters changed while a real system runs: they reach the services at once, and a
// removed or disabled one leaves them again.
#include <gtest/gtest.h>

#include <vector>

#include "emu/interrupt_lines.h"
#include "emu/memory_space.h"
#include "emu/port_space.h"
#include "emu/param_set.h"
#include "emu/system_base.h"

namespace {

class PortChip : public Device {
public:
    explicit PortChip(u8 value = 0x3C) : value(value) {}

    static bool Read(void* context, u32, i32 size, u8* buffer, bool)
    {
        if (size != 1)
            return false;
        *buffer = static_cast<PortChip*>(static_cast<Device*>(context))->value;
        return true;
    }
    static bool Line(void* context, u32, u32, u32, ClockInterface*, u64*)
    {
        ++static_cast<PortChip*>(static_cast<Device*>(context))->lineCalls;
        return true;
    }
    bool Start(i32* rate) override
    {
        if (!Device::Start(rate))
            return false;
        // Declared at every start, as the chips bind their port groups.
        params_->RemoveParam("DATA");
        return params_->AddPortRangeValue("DATA", true, true, value == 0x3C ? 0x98 : 0xA0, 1, Read, nullptr);
    }
    bool Connect(u32 flags) override
    {
        connects.push_back(flags);
        return Device::Connect(flags);
    }

    u8 value;
    int lineCalls = 0;
    std::vector<u32> connects;
};

struct RunningSystem : ::testing::Test {
    void SetUp() override
    {
        ASSERT_TRUE(system.CreateDevices());
        chip = new PortChip;
        ASSERT_TRUE(system.AddDevice(chip, "CHIP", nullptr));
        other = new PortChip(0xB2);
        ASSERT_TRUE(system.AddDevice(other, "OTHER", nullptr));
        i32 rate = 0;
        ASSERT_TRUE(system.Start(&rate));
        ports = chip->GetPorts();
        ASSERT_NE(ports, nullptr);
    }
    void TearDown() override { system.Stop(); }

    SystemBase system;
    PortChip* chip = nullptr;
    PortChip* other = nullptr;
    PortSpace* ports = nullptr;
    bool connected = false;
    u64 first = 2, count = 1;
};

TEST_F(RunningSystem, ParametersDeclaredAtStartAreInForce)
{
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 0x3C);
    EXPECT_TRUE(chip->GetParamSet()->Find("DATA")->IsApplied());
    ASSERT_FALSE(chip->connects.empty());
    EXPECT_EQ(chip->connects.back(), 0x0140u);
}

TEST_F(RunningSystem, AddingAPortRangeAppliesItsTypeAndTellsTheDevices)
{
    chip->connects.clear();
    ASSERT_TRUE(chip->GetParamSet()->AddPortRangeValue("MODE", true, true, 0x99, 1, PortChip::Read, nullptr));
    EXPECT_EQ(ports->Read8(0x99, false, nullptr), 0x3C);
    EXPECT_EQ(chip->connects, (std::vector<u32>{0x0084u}));
}

TEST_F(RunningSystem, RemovedAndDisabledParametersLeaveTheServices)
{
    ASSERT_TRUE(chip->GetParamSet()->AddPortRangeValue("MODE", true, true, 0x99, 1, PortChip::Read, nullptr));
    ASSERT_TRUE(chip->GetParamSet()->AddLineHandlerValue("LINE", true, 2, 1, PortChip::Line));
    InterruptLines* lines = chip->GetInterrupts();
    u64 cycles = 0;
    ASSERT_TRUE(lines->CallLineHandler(2, 0, 0, &cycles));

    chip->connects.clear();
    EXPECT_TRUE(chip->GetParamSet()->RemoveParam("MODE"));
    EXPECT_EQ(ports->Read8(0x99, false, nullptr), 0xFF);
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 0x3C); // re-applied, still there
    EXPECT_EQ(chip->connects, (std::vector<u32>{0x008Eu}));

    EXPECT_TRUE(chip->GetParamSet()->DisableParam("DATA"));
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 0xFF);
    EXPECT_TRUE(chip->GetParamSet()->DisableParam("LINE"));
    EXPECT_FALSE(lines->CallLineHandler(2, 0, 0, &cycles));
    EXPECT_EQ(chip->lineCalls, 1);
}

TEST_F(RunningSystem, RemovalKeepsWhatAnotherDeviceTookOver)
{
    ASSERT_TRUE(other->GetParamSet()->AddPortRangeValue("TAKE", true, true, 0x98, 1, PortChip::Read, nullptr));
    ASSERT_EQ(ports->Read8(0x98, false, nullptr), 0xB2);
    chip->GetParamSet()->RemoveParam("DATA");
    EXPECT_EQ(ports->Read8(0x98, false, nullptr), 0xB2);
    EXPECT_EQ(ports->Read8(0xA0, false, nullptr), 0xB2);
}

TEST_F(RunningSystem, DisabledMemoryRangeGoesBackToPlainMemory)
{
    MemorySpace* memory = chip->GetMemory();
    ASSERT_TRUE(memory->Allocate(0x4000, 0));
    memory->Write8(0x0800, 0x77);
    // The bound variables outlive the parameter: the system's Stop writes them back.
    ASSERT_TRUE(chip->GetParamSet()->AddMemoryRange("ROM", true, &connected, &first, &count, PortChip::Read, nullptr));
    EXPECT_TRUE(connected);
    EXPECT_EQ(memory->Read8(0x0800, false), 0x3C);
    EXPECT_TRUE(chip->GetParamSet()->DisableParam("ROM"));
    EXPECT_FALSE(connected);
    EXPECT_EQ(memory->Read8(0x0800, false), 0x77);
}

TEST_F(RunningSystem, IrqBindingFollowsTheRunningSystem)
{
    // Adding the binding takes the connected value as its lock and clears it; applying
    // it sets it again.
    chip->ConnectIrq(3, true, false);
    EXPECT_TRUE(chip->GetParamSet()->Find("IRQ")->IsLocked());
    EXPECT_TRUE(chip->IsIrqConnected());
    EXPECT_EQ(chip->GetIrqLine(), 3u);
    system.Stop();
    EXPECT_FALSE(chip->IsIrqConnected());
    i32 rate = 0;
    ASSERT_TRUE(system.Start(&rate));
    EXPECT_TRUE(chip->IsIrqConnected());
    chip->ConnectIrq(-1, true, false);
    EXPECT_EQ(chip->GetParamSet()->Find("IRQ"), nullptr);
    EXPECT_FALSE(chip->IsIrqConnected());
}

} // namespace
