// Computer: start and stop lines, the "_MCH" block, the speed and description texts.
#include "emu/computer.h"

#include "base/object_list.h"
#include "base/string_w.h"
#include "cpu/cpu_base.h"
#include "emu/state_block.h"

namespace {

const char* const kMachineBlock = "_MCH";

} // namespace

Computer::Computer()
{
    SetDescription("PC");
}

Computer::~Computer() = default;

bool Computer::Start(i32* rate)
{
    LogF("[INIT] Started emulation of %s", GetName());
    return SystemBase::Start(rate);
}

void Computer::Stop()
{
    SystemBase::Stop();
    LogF("[DONE] Emulation stopped!");
}

bool Computer::SaveState(Archive& archive)
{
    return SystemBase::SaveState(archive) && StateBlock::SaveEmpty(archive, kMachineBlock);
}

bool Computer::LoadState(Archive& archive, LoadContext context)
{
    return SystemBase::LoadState(archive, context) && StateBlock::LoadEmpty(archive, kMachineBlock);
}

void Computer::GetSpeedText(StringA& out)
{
    out.Clear();
    CpuBase* cpu = GetCpu(0);
    if (!cpu)
        return;
    const char* narrow = cpu->GetDescription().GetNarrow();
    if (IsRunning()) {
        out.Format("%s=%.2f MHz", narrow, cpu->GetFrequency() * 0.000001);
        return;
    }
    // Stopped, the figure is the configured clock; a processor that counts time apart
    // from it marks the figure with "@".
    out.Format(cpu->UsesTimeBase() ? "%s=@%.2f MHz" : "%s=%.2f MHz", narrow, cpu->GetNominalFrequency() * 0.000001);
}

void Computer::GetDescription(ObjectList& lines)
{
    StringA narrow;
    narrow.Format("Computer \"%s\"", GetName());
    StringW text;
    text.Assign(narrow);
    lines.Add(text);
}
