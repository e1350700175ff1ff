// AY-3-891X tone generator: save and load of its state.
#include <cstring>

#include "base/archive.h"
#include "emu/little_endian.h"
#include "emu/state_block.h"
#include "sound/ay3891x_sound.h"

namespace {

constexpr i32 kNoProgram = 16;
constexpr u64 kLevelBytes = (16 + 32) * 4;

} // namespace

// The i32 values in their saved order, written once for both directions; "ENSH" and
// "LVLD" are not plain values and are handled by the callers between them.
template <typename Visit> bool Ay3891xSound::VisitState(State& s, Visit visit)
{
    Ay3891xRecord& r = s.record;
    return visit(r.tonePeriod, "CDPR") && visit(r.amplitude, "CDVL") && visit(r.noisePeriod, "CDNP") &&
           visit(r.envelopePeriod, "CDEP") && visit(r.shape, "CDEM") && visit(r.toneOff, "CDDS") &&
           visit(r.noiseOff, "CDND") && visit(r.toneTrigger, "CDTT") && visit(r.envelopeTrigger, "CDET") &&
           visit(s.tonePeriod, "TDVA") && visit(s.toneLength, "TDCN") && visit(s.toneCountdown, "TDTO") &&
           visit(s.toneOut, "TDVL") && visit(s.toneOff, "TDDI") && visit(s.noisePeriod, "NDVA") &&
           visit(s.noiseLength, "NDCN") && visit(s.noiseCountdown, "NDTO") && visit(s.noiseOut, "NDVL") &&
           visit(s.noiseOff, "NDDI") && visit(s.noiseRegister, "NDML") && visit(s.envPeriod, "ENVP") &&
           visit(s.envShape, "ENVS") && visit(s.envLength, "ENCN") && visit(s.envCountdown, "ENTO") &&
           visit(s.segStart, "ENFL") && visit(s.segEnd, "ENTL") && visit(s.segIndex, "ENSP") &&
           visit(s.envMode, "ENAC");
}

bool Ay3891xSound::IsConsistent(const State& s)
{
    auto counter = [](i32 length, i32 countdown) { return length >= 0 && countdown >= 0 && countdown <= length; };
    auto bit = [](i32 v) { return v == 0 || v == 1; };
    return counter(s.toneLength, s.toneCountdown) && counter(s.noiseLength, s.noiseCountdown) &&
           counter(s.envLength, s.envCountdown) && bit(s.toneOut) && bit(s.toneOff) && bit(s.noiseOut) &&
           bit(s.noiseOff) && bit(s.envMode) && s.noiseRegister >= 0 && s.noiseRegister <= 0x1FFFF &&
           s.envShape >= 0 && s.envShape < kShapes && s.segStart >= 0 && s.segStart <= 31 && s.segEnd >= 0 &&
           s.segEnd <= 31 && s.segIndex >= 0 && s.segIndex <= 3 && s.amplitude >= 0 && s.amplitude <= 31;
}

bool Ay3891xSound::SaveState(Archive& archive)
{
    if (!SoundChannel::SaveState(archive))
        return false;
    State& s = st_;
    i32 program = kNoProgram;
    for (i32 i = 0; i < kShapes && s.program; ++i) {
        if (std::strcmp(ShapeName(i), s.program) == 0) {
            program = i;
            break;
        }
    }
    u8 levels[kLevelBytes];
    for (i32 i = 0; i < 16; ++i)
        StoreLe32(levels + 4 * i, static_cast<u32>(s.fixedLevels[i]));
    for (i32 i = 0; i < 32; ++i)
        StoreLe32(levels + 64 + 4 * i, static_cast<u32>(s.envLevels[i]));
    return StateBlock::SaveVersion(archive) && archive.WriteBool(&s.toneHold, "TNSK") &&
           archive.WriteBool(&s.envHold, "ENSK") &&
           VisitState(s, [&](i32& v, const char* key) { return archive.WriteInt32(&v, key); }) &&
           archive.WriteInt32(&program, "ENSH") && archive.WriteInt32(&s.amplitude, "VDVA") &&
           archive.WriteInt32(&s.level0, "VDL0") && archive.WriteInt32(&s.fixedLevel, "VDL1") &&
           archive.WriteBlob(levels, kLevelBytes, "LVLD");
}

bool Ay3891xSound::LoadState(Archive& archive, LoadContext context)
{
    if (!SoundChannel::LoadState(archive, context))
        return false;
    State s = st_;
    i32 program = 0;
    u8 levels[kLevelBytes];
    if (!StateBlock::LoadVersion(archive) || !archive.ReadBool(&s.toneHold, "TNSK") ||
        !archive.ReadBool(&s.envHold, "ENSK") ||
        !VisitState(s, [&](i32& v, const char* key) { return archive.ReadInt32(&v, key); }) ||
        !archive.ReadInt32(&program, "ENSH") || program < 0 || program > kNoProgram ||
        !archive.ReadInt32(&s.amplitude, "VDVA") || !archive.ReadInt32(&s.level0, "VDL0") ||
        !archive.ReadInt32(&s.fixedLevel, "VDL1") || !archive.ReadBlob(levels, kLevelBytes, "LVLD") ||
        !IsConsistent(s))
        return false;
    for (i32 i = 0; i < 16; ++i)
        s.fixedLevels[i] = static_cast<i32>(LoadLe32(levels + 4 * i));
    for (i32 i = 0; i < 32; ++i)
        s.envLevels[i] = static_cast<i32>(LoadLe32(levels + 64 + 4 * i));
    // A state saved before the first envelope restart has none, and keeps none: the next
    // step takes the shape's own, and a save before it gives back the same state.
    s.program = program == kNoProgram ? nullptr : ShapeName(program);
    st_ = s;
    return true;
}
