// Display processor base: render events and generations, incremental drawing, the
// do-nothing display, settings, the "_VIDP"/"_VIDD" blocks and the menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iterator>
#include <vector>

#include "base/archive.h"
#include "base/dictionary.h"
#include "base/memory_stream.h"
#include "emu/option_item.h"
#include "video/null_display.h"
#include "video/pixel_expand.h"
#include "video/tests/video_rig.h"
#include "video/video_output.h"
#include "video/video_processor.h"

namespace {

// A chip of 8 x 4 pixels with 6 lines a frame and 1 KB of its own memory; it records
// every RenderLine call and paints each drawn line with its line number.
class ProbeChip : public VideoProcessor {
public:
    struct Call {
        i32 line;
        bool drawn;
        bool redrawOnly;
    };
    std::vector<Call> calls;
    std::vector<i32> phases;
    i32 kind = kFrameTimer;

    ProbeChip()
    {
        SetName("Probe Video");
        SetDescription("PRB");
        SetSize(1, 0x3FF);
    }
    bool Start(i32* rate) override
    {
        return VideoProcessor::Start(rate) && SetRenderTiming(8, 4, 6, 50, kind);
    }
    bool RenderLine(i32 line, i32, i32 width, u32* row, bool redrawOnly) override
    {
        calls.push_back({line, row != nullptr, redrawOnly});
        for (i32 x = 0; row && x < width; ++x)
            row[x] = 0xFF000000u | static_cast<u32>(line);
        return row != nullptr;
    }
    void OnFramePhase(i32 phase, i32) override { phases.push_back(phase); }

    i32 Drawn() const
    {
        i32 n = 0;
        for (const Call& c : calls)
            n += c.drawn ? 1 : 0;
        return n;
    }
};

class ProbeMachine : public Computer {
public:
    ProbeChip* chip = nullptr;
    ProbeMachine() { SetName("ProbePC"); }
    const char* GetId() const override { return "probe_pc"; }
    bool Build(LockedDisplaySurface* display, i32 kind)
    {
        if (!CreateDevices())
            return false;
        chip = new ProbeChip;
        chip->kind = kind;
        SetDisplay(display, display);
        return AddDevice(chip, nullptr, nullptr);
    }
    bool Run() { return machine_run::StartMachine(this, nullptr); }
    void Ticks(i32 count) { machine_run::StepBus(this, count); }
};

u32 Bits(float f)
{
    return std::bit_cast<u32>(f);
}

} // namespace

TEST(RenderEvents, FrameTimerRendersAtEveryFourthFiring)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(machine.Run());
    ProbeChip& chip = *machine.chip;
    // Five firings: the first frame's four and the next one.
    machine.Ticks(kFirstTick + kTicksPerFrame + kTicksPerFiring);
    EXPECT_EQ(chip.phases, (std::vector<i32>{0, 1, 2, 3, 0}));
    // Two frames of six lines; only the first drew (nothing changed since).
    ASSERT_EQ(chip.calls.size(), 12u);
    EXPECT_EQ(chip.Drawn(), 4);
    EXPECT_EQ(chip.calls[4].line, 4);   // the invisible lines run too
    EXPECT_FALSE(chip.calls[4].drawn);
    EXPECT_EQ(surface.Pixel(0, 3), 0xFF000003u);
    EXPECT_TRUE(surface.IsChanged());
    EXPECT_FLOAT_EQ(surface.GetAspect(), VideoProcessor::kDefaultAspect);

    // A memory write makes the lines drawable again.
    chip.WriteMemory(5, 0x12);
    EXPECT_EQ(chip.ReadMemory(5, true), 0x12);
    machine.Ticks(kTicksPerFrame);
    EXPECT_EQ(chip.Drawn(), 8);
    machine.Stop();
}

TEST(RenderEvents, RetimingReplacesTheEventByGeneration)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(machine.Run());
    ProbeChip& chip = *machine.chip;
    EventBus* bus = machine.GetEventBus();
    const i32 timers = bus->GetTimerCount();
    const u64 generation = chip.GetRenderGeneration();

    // The same lines and rate keep the event in force.
    EXPECT_TRUE(chip.SetRenderTiming(8, 4, 6, 50, VideoProcessor::kFrameTimer));
    EXPECT_EQ(chip.GetRenderGeneration(), generation);
    EXPECT_EQ(bus->GetTimerCount(), timers);
    // -1 keeps lines and rate but takes the new size.
    EXPECT_TRUE(chip.SetRenderTiming(8, 5, -1, -1, VideoProcessor::kFrameTimer));
    EXPECT_EQ(chip.GetScreenHeight(), 5);
    EXPECT_EQ(chip.GetLinesPerFrame(), 6);

    // New timing: a new event; the old one is dropped at its next firing.
    EXPECT_TRUE(chip.SetRenderTiming(8, 4, 6, 25, VideoProcessor::kLineTimer));
    EXPECT_EQ(chip.GetRenderGeneration(), generation + 1);
    EXPECT_EQ(bus->GetTimerCount(), timers + 1);
    machine.Ticks(kTicksPerFrame);
    EXPECT_EQ(bus->GetTimerCount(), timers);

    // Refusals change nothing but the size.
    EXPECT_FALSE(chip.SetRenderTiming(-1, 4, 6, 50, VideoProcessor::kFrameTimer));
    EXPECT_FALSE(chip.SetRenderTiming(8, 4, 7, 50, 9));
    EXPECT_EQ(chip.GetRenderGeneration(), generation + 1);
    // A CPU-timed event with no lines needs no CPU and schedules nothing.
    EXPECT_TRUE(chip.SetRenderTiming(8, 4, 0, 50, VideoProcessor::kLineCpuEvent));
    EXPECT_EQ(chip.GetRenderGeneration(), generation + 2);
    // With lines it needs the machine's CPU, which this machine lacks.
    EXPECT_FALSE(chip.SetRenderTiming(8, 4, 6, 50, VideoProcessor::kLineCpuEvent));
    machine.Stop();
}

TEST(RenderEvents, FrameRenderingWithLineEventsDrawsAtTheFramesEnd)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kLineTimer));
    machine.chip->RenderModeValue() = VideoProcessor::kFrameRendering;
    ASSERT_TRUE(machine.Run());
    ProbeChip& chip = *machine.chip;
    // 300 line events a second at 2450 Hz: 8 ticks apart, the one after every sixth 9
    // (a frame of six lines takes exactly 49 ticks).
    machine.Ticks(kFirstTick + 5 * 8);
    EXPECT_TRUE(chip.calls.empty());
    machine.Ticks(8);
    ASSERT_EQ(chip.calls.size(), 6u);
    EXPECT_EQ(chip.Drawn(), 4);

    // Scanline rendering: one line per event, drawn lines kept.
    chip.RenderModeValue() = VideoProcessor::kScanlineRendering;
    chip.calls.clear();
    machine.Ticks(kTicksPerFrame);
    ASSERT_EQ(chip.calls.size(), 6u);
    EXPECT_EQ(chip.Drawn(), 0);
    chip.WriteMemory(0, 1);
    chip.calls.clear();
    machine.Ticks(9);
    ASSERT_EQ(chip.calls.size(), 1u);
    EXPECT_TRUE(chip.calls[0].drawn);
    machine.Stop();
}

TEST(RenderEvents, EveryLineRunsWithTheDoNothingDisplay)
{
    NullDisplay display;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&display, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(machine.Run());
    machine.Ticks(kFirstTick + kTicksPerFiring);
    ASSERT_EQ(machine.chip->calls.size(), 6u);
    EXPECT_EQ(machine.chip->Drawn(), 0);
    EXPECT_EQ(machine.chip->calls[3].line, 3);
    EXPECT_FALSE(machine.chip->RedrawFrame(true));
    machine.Stop();
}

TEST(VideoProcessorSettings, AspectAndRangesFollowTheTables)
{
    EXPECT_EQ(Bits(VideoProcessor::kDefaultAspect), 0x3FBBBBBCu);
    EXPECT_EQ(Bits(VideoProcessor::kAspectTable[1]), 0x3FAAAAABu);
    EXPECT_EQ(Bits(VideoProcessor::kAspectTable[2]), 0x3FB77777u);
    EXPECT_EQ(Bits(VideoProcessor::kAspectTable[3]), 0x3FC00000u);
    EXPECT_EQ(Bits(VideoProcessor::kAspectTable[4]), 0x3FC88889u);
    EXPECT_EQ(Bits(VideoProcessor::kAspectTable[5]), 0x3FD11111u);
    Tms9918Vdp vdp;
    EXPECT_EQ(Bits(vdp.GetDefaultAspect()), 0x3FBBBBBCu);

    ProbeChip chip;
    Dictionary dict;
    ASSERT_TRUE(chip.BindSettings(&dict, false));
    ASSERT_NE(dict.FindValue(StringA("RenderMode")), nullptr);
    EXPECT_TRUE(dict.FindValue(StringA("RenderMode"))->SetInt32(7));
    EXPECT_TRUE(dict.FindValue(StringA("AspectIndex"))->SetInt32(-1));
    EXPECT_FALSE(chip.ValidateSettings(false));
    EXPECT_EQ(chip.RenderModeValue(), 1);
    EXPECT_EQ(chip.AspectIndexValue(), 0);
    EXPECT_TRUE(chip.ValidateSettings(false));

    // Memory by address: outside the memory nothing is read.
    EXPECT_EQ(chip.ReadMemory(0, true), -1);   // not started: no buffer
    EXPECT_EQ(vdp.ReadMemory(0, true), -1);    // the TMS9918 keeps its memory itself
}

TEST(VideoProcessorPages, ASecondPageIsNamedAfterTheChipAndFrameDataKeepsItsLimits)
{
    ProbeChip chip;
    EXPECT_EQ(chip.AddPage(nullptr, nullptr, nullptr), 1);
    ASSERT_NE(chip.GetPage(1), nullptr);
    EXPECT_STREQ(chip.GetPage(1)->GetName(), "Probe Video Page 1");
    EXPECT_STREQ(chip.GetPage(1)->GetDescription().GetNarrow(), "PRB_PAGE1");
    EXPECT_EQ(chip.AddPage(nullptr, nullptr, nullptr), -1);   // there is one already

    chip.SetFrameDataLimits(2, 4);
    const u8 frame[6] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(chip.SetFrameData(frame, 6));
    EXPECT_EQ(chip.GetFrameData().GetSize(), 4u);   // cut to the maximum
    EXPECT_FALSE(chip.SetFrameData(frame, 1));      // short of the minimum
    MemoryStream stream;
    ASSERT_TRUE(stream.Allocate(0, 64));
    ASSERT_EQ(stream.Write(frame + 3, 3), 3u);
    ASSERT_TRUE(chip.SetFrameDataFromStream(stream));
    EXPECT_EQ(chip.GetFrameData().GetSize(), 3u);
}

TEST(VideoProcessorState, BlocksRoundTripAndDamageIsRefused)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(machine.Run());
    ProbeChip& chip = *machine.chip;
    chip.WriteMemory(3, 0x5A);
    const u8 frame[3] = {1, 2, 3};
    ASSERT_TRUE(chip.SetFrameData(frame, 3));
    machine.Ticks(kTicksPerFiring);

    StateBuffer saved;
    ASSERT_TRUE(chip.SaveState(saved.archive));

    BufferSurface otherSurface;
    ProbeMachine other;
    ASSERT_TRUE(other.Build(&otherSurface, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(other.Run());
    saved.stream.Seek(0);
    ASSERT_TRUE(other.chip->LoadState(saved.archive, nullptr));
    EXPECT_EQ(other.chip->ReadMemory(3, true), 0x5A);
    EXPECT_EQ(other.chip->GetFrameData().GetSize(), 3u);
    EXPECT_EQ(other.chip->GetTimingState(), 0);
    EXPECT_EQ(other.chip->GetRenderGeneration(), chip.GetRenderGeneration());
    StateBuffer again;
    ASSERT_TRUE(other.chip->SaveState(again.archive));
    EXPECT_EQ(again.Bytes(), saved.Bytes());

    // Damage: the "_VIDP" size claims more than the stream holds, then a page that does
    // not exist.
    std::vector<u8> bytes = saved.Bytes();
    const u8 msz[] = {'M', 'S', 'Z', Archive::kTypeInt32};
    auto at = std::search(bytes.begin(), bytes.end(), std::begin(msz), std::end(msz));
    ASSERT_NE(at, bytes.end());
    std::vector<u8> huge = bytes;
    huge[static_cast<size_t>(at - bytes.begin()) + 7] = 0x40;   // 0x40000400 bytes
    MemoryStream hugeStream;
    hugeStream.Attach(huge.data(), huge.size());
    Archive hugeArchive(&hugeStream);
    EXPECT_FALSE(other.chip->LoadState(hugeArchive, nullptr));

    const u8 pid[] = {'P', 'I', 'D', Archive::kTypeUInt8};
    auto p = std::search(bytes.begin(), bytes.end(), std::begin(pid), std::end(pid));
    ASSERT_NE(p, bytes.end());
    p[4] = 1;
    MemoryStream pageStream;
    pageStream.Attach(bytes.data(), bytes.size());
    Archive pageArchive(&pageStream);
    EXPECT_FALSE(other.chip->LoadState(pageArchive, nullptr));
    other.Stop();
    machine.Stop();
}

TEST(VideoProcessorState, LoadedLineCountsStayWithinTheSurface)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kFrameTimer));
    ASSERT_TRUE(machine.Run());
    ProbeChip& chip = *machine.chip;
    StateBuffer saved;
    ASSERT_TRUE(chip.SaveState(saved.archive));
    const std::vector<u8> bytes = saved.Bytes();

    const auto load = [&](const char* key, i32 value) {
        std::vector<u8> patched = bytes;
        const u8 record[] = {static_cast<u8>(key[0]), static_cast<u8>(key[1]), static_cast<u8>(key[2]),
                             static_cast<u8>(key[3]), Archive::kTypeInt32};
        auto at = std::search(patched.begin(), patched.end(), std::begin(record), std::end(record));
        EXPECT_NE(at, patched.end()) << key;
        for (int i = 0; at != patched.end() && i < 4; ++i)
            at[5 + i] = static_cast<u8>(static_cast<u32>(value) >> (8 * i));
        MemoryStream stream;
        stream.Attach(patched.data(), patched.size());
        Archive archive(&stream);
        return chip.LoadState(archive, nullptr);
    };
    // Every count is walked line by line each frame: each must be one the surface can
    // track, a scheduled picture has lines, and a frame holds its visible lines.
    EXPECT_FALSE(load("SCSH", 0x7FFFFFFF));
    EXPECT_FALSE(load("SCSH", 0));
    EXPECT_FALSE(load("SCSH", 2049));
    EXPECT_FALSE(load("SCSW", 0));
    EXPECT_FALSE(load("SCSW", 0x10000));
    EXPECT_FALSE(load("SCLN", 2048));
    EXPECT_FALSE(load("T0SC", 0x7FFFFFFF));
    EXPECT_FALSE(load("T0SC", 3));
    EXPECT_FALSE(load("TMOD", 1));
    // A refused geometry is not taken.
    EXPECT_EQ(chip.GetScreenWidth(), 8);
    EXPECT_EQ(chip.GetScreenHeight(), 4);
    EXPECT_EQ(chip.GetLinesPerFrame(), 6);
    EXPECT_EQ(chip.GetCurrentLine(), 0);
    // The limits themselves are sound.
    EXPECT_TRUE(load("T0SC", 2048));
    EXPECT_EQ(chip.GetLinesPerFrame(), 2048);
    EXPECT_TRUE(load("T0SC", 4));
    EXPECT_EQ(chip.GetLinesPerFrame(), 4);
    machine.Stop();
}

TEST(VideoProcessorMenu, RenderAndAspectItemsAreOfferedWhileStopped)
{
    BufferSurface surface;
    ProbeMachine machine;
    ASSERT_TRUE(machine.Build(&surface, VideoProcessor::kFrameTimer));
    ProbeChip& chip = *machine.chip;
    DeviceOption menu;
    chip.BuildMenu(&menu, 6);
    EXPECT_EQ(menu.GetChildCount(), 0);
    chip.BuildMenu(&menu, 2);
    ASSERT_EQ(menu.GetChildCount(), 4);
    EXPECT_STREQ(menu.GetChild(0)->GetName().GetNarrow(), "Frame Rendering");
    EXPECT_STREQ(menu.GetChild(1)->GetName().GetNarrow(), "Scanline Rendering");
    EXPECT_TRUE(menu.GetChild(1)->IsChecked());
    OptionItem* aspect = menu.GetChild(3);
    EXPECT_STREQ(aspect->GetName().GetNarrow(), "Aspect Ratio");
    ASSERT_EQ(aspect->GetChildCount(), 7);
    EXPECT_FALSE(aspect->IsChecked());
    EXPECT_TRUE(aspect->GetChild(6)->Execute());   // "4.9/3"
    EXPECT_EQ(chip.AspectIndexValue(), 5);
    EXPECT_TRUE(aspect->IsChecked());
    EXPECT_TRUE(menu.GetChild(0)->Execute());
    EXPECT_EQ(chip.RenderModeValue(), 0);

    ASSERT_TRUE(machine.Run());
    EXPECT_FALSE(menu.GetChild(1)->IsEnabled());
    EXPECT_FALSE(menu.GetChild(1)->Execute());
    EXPECT_EQ(chip.RenderModeValue(), 0);
    menu.DeleteChildren();
    machine.Stop();
}

TEST(VideoProcessorMenu, AnOutputSharesOneModeAmongItsProcessors)
{
    VideoOutput output;
    auto* first = new ProbeChip;
    auto* second = new ProbeChip;
    Device plain;
    EXPECT_FALSE(output.AddChild(&plain, "other", nullptr));
    ASSERT_TRUE(output.AddChild(first, "first", nullptr));
    ASSERT_TRUE(output.AddChild(second, "second", nullptr));
    EXPECT_FALSE(first->OwnsRenderValues());
    first->RenderModeValue() = 0;
    EXPECT_EQ(second->RenderModeValue(), 0);
    EXPECT_EQ(output.GetRenderMode(), 0);

    DeviceOption own;
    first->BuildMenu(&own, 2);
    EXPECT_EQ(own.GetChildCount(), 0);
    DeviceOption shared;
    output.BuildMenu(&shared, 2);
    EXPECT_STREQ(shared.GetChild(0)->GetName().GetNarrow(), "Frame Rendering");
    EXPECT_TRUE(shared.GetChild(0)->IsChecked());

    Dictionary dict;
    output.BindSettings(&dict, false);
    EXPECT_NE(dict.FindValue(StringA("RenderMode")), nullptr);
}

TEST(PixelExpand, FieldsComeFromTheTopBitsDown)
{
    const u32 palette[16] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25};
    const u8 src[2] = {0xA5, 0xC0};
    u32 out[10] = {};
    ExpandPixels1bpp(src, out, palette, 10, true);
    EXPECT_EQ(std::vector<u32>(out, out + 10), (std::vector<u32>{11, 10, 11, 10, 10, 11, 10, 11, 11, 11}));
    ExpandPixels1bpp(src, out, palette, 2, false);
    EXPECT_EQ(out[0], 11u);
    EXPECT_EQ(out[1], 10u);
    ExpandPixels4bpp(src, out, palette, 3, true);
    EXPECT_EQ(std::vector<u32>(out, out + 3), (std::vector<u32>{20, 15, 22}));
    ExpandPixels2bpp(src, out, palette, 4, false);
    EXPECT_EQ(std::vector<u32>(out, out + 4), (std::vector<u32>{11, 11, 12, 12}));
}
