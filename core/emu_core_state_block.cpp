// The run loop's "_EMUCORE" record (layout in emu_core.h). Written and read by the worker
// while the loop is paused; a record is input, so every value is checked before the loop
// takes any of them.
#include <cmath>
#include <cstring>

#include "base/archive.h"
#include "core/emu_core.h"

namespace {

const char* const kBlockName = "_EMUCORE";
constexpr u8 kOpen = 0xF0;
constexpr u8 kClose = 0xFF;
constexpr u8 kVersion = 1;
// Bounds of a sound record: the highest bus rate gives 882 slices per 1/50 s, and no CPU
// of this system runs a 1/50 s of more than a few hundred thousand cycles.
constexpr i32 kMaxTicksPerFrame = 44100 / 50;
constexpr double kMaxFrameCycles = 1e8;
constexpr i32 kMaxChunk = 1 << 24;

// Doubles travel as their IEEE bytes, least significant first.
void DoubleToBytes(double value, u8 out[8])
{
    u64 bits = 0;
    std::memcpy(&bits, &value, 8);
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<u8>(bits >> (8 * i));
}

double BytesToDouble(const u8 in[8])
{
    u64 bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<u64>(in[i]) << (8 * i);
    double value = 0.0;
    std::memcpy(&value, &bits, 8);
    return value;
}

} // namespace

bool EmuCore::WriteCoreBlock(Archive& archive, bool maxSpeed)
{
    const RunLoopState& s = loop_;
    const u8 version = kVersion;
    const u8 maxs = maxSpeed ? 1 : 0;
    // A break holds the slice aside; the record keeps the slice as it will resume.
    i32 budget = s.budget;
    if (breakInSlice_)
        budget = savedBudget_ - (kBreakBudget - s.budget);
    u8 rest[8];
    u8 cycles[8];
    DoubleToBytes(s.frameRest, rest);
    DoubleToBytes(s.frameCycles, cycles);
    return archive.WriteMarker(kBlockName, kOpen) && archive.WriteUInt8(&version, "VER") &&
           archive.WriteUInt8(&version, "VERR") && archive.WriteUInt8(&maxs, "MAXS") &&
           archive.WriteInt32(&budget, "PC") && archive.WriteInt32(&s.eventOverflow, "PCR") &&
           archive.WriteInt32(&s.slicesLeft, "PI") &&
           (maxSpeed || (archive.WriteBlob(rest, 8, "PFC") && archive.WriteBlob(cycles, 8, "CPF"))) &&
           archive.WriteInt32(&s.ticksPerFrame, "IPF") && archive.WriteInt32(&s.frameIndex, "FI") &&
           archive.WriteMarker(kBlockName, kClose);
}

bool EmuCore::ReadCoreBlock(Archive& archive, bool maxSpeed)
{
    if (!archive.ReadMarker(kBlockName, kOpen))
        return false;
    u8 version = 0;
    u8 revision = 0;
    u8 maxs = 0;
    if (!archive.ReadUInt8(&version, "VER") || version == 0)
        return false;
    if (!archive.ReadUInt8(&revision, "VERR") || revision != kVersion)
        return false;
    if (!archive.ReadUInt8(&maxs, "MAXS") || maxs > 1)
        return false;
    if ((maxs == 1) != maxSpeed) {
        stateMessage_ = maxs ? "Enable \"Max CPU Speed\"!" : "Disable \"Max CPU Speed\"!";
        loadRequest_.store(nullptr);
        return false;
    }

    RunLoopState in = loop_;
    u8 rest[8] = {};
    u8 cycles[8] = {};
    if (!archive.ReadInt32(&in.budget, "PC") || !archive.ReadInt32(&in.eventOverflow, "PCR") ||
        !archive.ReadInt32(&in.slicesLeft, "PI"))
        return false;
    if (!maxSpeed) {
        if (!archive.ReadBlob(rest, 8, "PFC") || !archive.ReadBlob(cycles, 8, "CPF"))
            return false;
        in.frameRest = BytesToDouble(rest);
        in.frameCycles = BytesToDouble(cycles);
    }
    if (!archive.ReadInt32(&in.ticksPerFrame, "IPF") || !archive.ReadInt32(&in.frameIndex, "FI"))
        return false;

    // Values that would make the loop divide by zero, run away or never end a frame.
    if (in.ticksPerFrame < 1 || in.ticksPerFrame > kMaxTicksPerFrame || in.slicesLeft < 1 ||
        in.slicesLeft > in.ticksPerFrame || in.frameIndex < 0 || in.frameIndex >= kFramesPerSecond)
        return false;
    const double slice = maxSpeed ? static_cast<double>(kMaxChunk) : std::ceil(in.frameCycles / in.ticksPerFrame) + 1;
    if (!maxSpeed && !(std::isfinite(in.frameCycles) && in.frameCycles > 0 && in.frameCycles <= kMaxFrameCycles &&
                       std::isfinite(in.frameRest) && std::fabs(in.frameRest) <= in.frameCycles))
        return false;
    if (std::abs(static_cast<double>(in.budget)) > slice || in.eventOverflow < 0 || in.eventOverflow > slice)
        return false;

    MeasureSleep(in);
    if (!archive.ReadMarker(kBlockName, kClose))
        return false;
    // The state's frame index says how much of the emulated second is left: the second
    // being measured ends after those frames at real pace (the running one at its own
    // deadline), not when the host's second that was measured before the load ends.
    // A pause moves both deadlines alike, so the one this load is served in counts not.
    in.secondDeadline = in.frameDeadline + static_cast<u64>(kFramesPerSecond - 1 - in.frameIndex) * in.framePeriod;
    in.lastSpeedTime = in.secondDeadline - in.counterFrequency;

    loop_ = in;
    breakInSlice_ = false;
    ResetInputQueues();
    stateRequestFailed_.store(false);
    loadRequest_.store(nullptr);
    return true;
}
