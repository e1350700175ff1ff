// Ppi8255: construction, connection to the port space, settings and saved state.
#include "machines/ppi8255.h"

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/string_a.h"
#include "emu/param_set.h"
#include "emu/state_block.h"

namespace {

// Setting keys of the switches, in the order of Ppi8255::flags_.
const char* const kFlagKeys[16] = {
    "TraceReadCTRL", "BreakReadCTRL", "TraceWriteCTRL", "BreakWriteCTRL",
    "TraceReadA",    "BreakReadA",    "TraceWriteA",    "BreakWriteA",
    "TraceReadB",    "BreakReadB",    "TraceWriteB",    "BreakWriteB",
    "TraceReadC",    "BreakReadC",    "TraceWriteC",    "BreakWriteC",
};

} // namespace

Ppi8255::Ppi8255()
{
    SetName("PPI I8255");
    SetDescription("PPI");
}

Ppi8255::~Ppi8255() = default;

bool Ppi8255::ConnectPorts(void* context, PortReadHandler read, PortWriteHandler write, i32 base, bool registerGroup,
                           u8 enable, u8 groupFlag)
{
    if (!params_)
        return false;
    outsideRead_ = nullptr;
    outsideWrite_ = nullptr;
    outsideContext_ = nullptr;
    if (base < 0)
        return !context && !read && !write;
    basePort_ = static_cast<u64>(base);
    outsideContext_ = context;
    outsideRead_ = read;
    outsideWrite_ = write;
    portCount_ = 4;
    if (!registerGroup) {
        portsEnabled_ = true;
        return true;
    }
    portsEnabled_ = enable != 0;
    // Connecting again moves the ports.
    params_->RemoveParam("Ports");
    return params_->AddPortRange("Ports", groupFlag != 0, &portsEnabled_, &basePort_, &portCount_, &Ppi8255::ReadPort,
                                 &Ppi8255::WritePort);
}

bool Ppi8255::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    if (rate && *rate < 50)
        *rate = 50;
    control_ = 0;
    latchA_ = latchB_ = latchC_ = 0;
    inputA_ = inputB_ = inputCUpper_ = inputCLower_ = 0;
    modeA_ = modeB_ = 0;
    return true;
}

bool Ppi8255::BindSettings(Dictionary* dict, bool enabledOnly)
{
    if (dict && !enabledOnly) {
        for (i32 i = 0; i < 16; ++i)
            dict->BindFlag(kFlagKeys[i], &flags_[i]);
    }
    return Device::BindSettings(dict, enabledOnly);
}

bool Ppi8255::SaveState(Archive& archive)
{
    const i32 values[4] = {static_cast<i32>(control_), static_cast<i32>(latchA_), static_cast<i32>(latchB_),
                           static_cast<i32>(latchC_)};
    return Device::SaveState(archive) && StateBlock::SaveVersion(archive) && archive.WriteInt32(&values[0], "CTRL") &&
           archive.WriteInt32(&values[1], "A") && archive.WriteInt32(&values[2], "B") &&
           archive.WriteInt32(&values[3], "C");
}

bool Ppi8255::LoadState(Archive& archive, LoadContext context)
{
    i32 values[4] = {};
    if (!Device::LoadState(archive, context) || !StateBlock::LoadVersion(archive) ||
        !archive.ReadInt32(&values[0], "CTRL") || !archive.ReadInt32(&values[1], "A") ||
        !archive.ReadInt32(&values[2], "B") || !archive.ReadInt32(&values[3], "C"))
        return false;
    // Registers are 8 bits wide whatever the record holds; a control word without its
    // mode bit was never stored by the chip.
    const u32 control = static_cast<u32>(values[0]) & 0xFF;
    if (control != 0 && !(control & 0x80))
        return false;
    latchA_ = static_cast<u32>(values[1]) & 0xFF;
    latchB_ = static_cast<u32>(values[2]) & 0xFF;
    latchC_ = static_cast<u32>(values[3]) & 0xFF;
    TakeModeWord(static_cast<u8>(control));
    control_ = control;
    return true;
}
