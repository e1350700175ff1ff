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
    // A processor counting time apart from its nominal clock marks the figure with "@".
    const i32 hz = IsRunning() ? cpu->GetFrequency() : cpu->GetNominalFrequency();
    out.Format(cpu->UsesTimeBase() ? "%s=@%.2f MHz" : "%s=%.2f MHz", cpu->GetDescription().GetNarrow(),
               hz * 0.000001);
}

void Computer::GetDescription(ObjectList& lines)
{
    StringA narrow;
    narrow.Format("Computer \"%s\"", GetName());
    StringW text;
    text.Assign(narrow);
    lines.Add(text);
}
