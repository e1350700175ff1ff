// The ColecoVision run by the emulation core on its worker thread, as the program runs it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/emu_core.h"
#include "machines/tests/coleco_rig.h"

using namespace coleco_test;

namespace {

struct CoreRun {
    ProgramTree tree;
    ColecoVisionMachine* machine = new ColecoVisionMachine;  // the core owns these three
    BufferSurface* surface = new BufferSurface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing* output = new ListeningRing(sound);
    std::unique_ptr<EmuCore> core;
    std::atomic<i32> frames{0};  // 1/50 s of emulated time, counted on the worker
    // At the 20th and the 80th: the program's NMI count, the bus ticks, the picture.
    std::atomic<u32> nmis[2] = {0, 0};
    std::atomic<u32> ticks[2] = {0, 0};
    std::atomic<u64> digest{0};
    // Spot pixels of the 80th frame: blank, checks, solid, the sprite and just above it.
    static constexpr i32 kSpots[5][2] = {{0, 0}, {8, 0}, {16, 5}, {100, 80}, {100, 79}};
    std::atomic<u32> spots[5] = {0, 0, 0, 0, 0};
    // Frames 20 to 80, checked as they end: RAM seen through each mirror, and the
    // controller bytes the program read (keys pressed at the end of frame 30).
    std::atomic<i32> checkedFrames{0};
    std::atomic<i32> mirrorFaults{0};
    std::atomic<i32> controllerFaults{0};

    CoreRun()
    {
        core = std::make_unique<EmuCore>(nullptr, machine, surface, output, nullptr);
        core->SetSyncEnabled(false);  // flat out: the test need not wait for real time
        core->SetFrameHook(&CoreRun::OnFrame, this);
    }
    ~CoreRun() { core->Shutdown(); }

    static void OnFrame(void* context)
    {
        auto* self = static_cast<CoreRun*>(context);
        const i32 frame = self->frames.fetch_add(1) + 1;
        if (frame >= 20 && frame <= 80)
            self->CheckFrame(frame);
        if (frame != 20 && frame != 80)
            return;
        const size_t at = frame == 20 ? 0 : 1;
        MemorySpace* memory = self->machine->GetMemory();
        self->nmis[at] = memory->Read8(kNmiCount, true) | (memory->Read8(kNmiCount + 1, true) << 8);
        self->ticks[at] = static_cast<u32>(self->machine->GetEventBus()->GetTickCount());
        self->digest = self->surface->Digest();
        for (size_t i = 0; i < 5; ++i)
            self->spots[i] = self->surface->Pixel(kSpots[i][0], kSpots[i][1]);
    }
    // On the worker, between two frames: the machine stands still.
    void CheckFrame(i32 frame)
    {
        MemorySpace* memory = machine->GetMemory();
        ++checkedFrames;
        for (u32 mirror = 0x6400; mirror < 0x8000; mirror += 0x400) {
            for (u32 offset : {0x000u, 0x011u, 0x3FFu}) {
                if (memory->Read8(mirror + offset, true) != memory->Read8(0x6000 + offset, true))
                    ++mirrorFaults;
            }
        }
        if (memory->Read8(kMirrorProbe, true) != 0x5A)
            ++mirrorFaults;
        // The keys go in where the core's input pass puts them; the program reads the
        // controllers once a frame, so they show from the frame after next.
        if (frame == 30) {
            machine->ApplyKeyEvent(0x35, true);  // 5: keypad 0x73
            machine->ApplyKeyEvent(0x26, true);  // Up: joystick 0x7E
        }
        const bool pressed = frame > 31;
        if (frame != 31 && (memory->Read8(kKeypad1, true) != (pressed ? 0x73 : 0x7F) ||
                            memory->Read8(kJoystick1, true) != (pressed ? 0x7E : 0x7F) ||
                            memory->Read8(kPad2, true) != 0x7F))
            ++controllerFaults;
    }
    bool WaitForFrames(i32 count)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (frames.load() < count) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    bool HasLine(const char* line)
    {
        CoreConsole& console = core->GetConsole();
        console.FlushPending();
        StringA text;
        u32 color = 0;
        for (i32 i = 0; console.GetLine(i, &text, &color); ++i) {
            if (text.CompareNarrow(line) == 0)
                return true;
        }
        return false;
    }
};

} // namespace

TEST(ColecoCore, BootsAndRunsOnTheWorker)
{
    CoreRun run;
    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", TestBios());
    ProgramTree::WriteBytes("media/game.col", TestCartridge());
    ASSERT_TRUE(run.core->Run());
    DriveImage* slot = run.machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);
    ASSERT_NE(slot, nullptr);
    ASSERT_TRUE(slot->InsertFile(ProgramTree::PathOf("media/game.col")));

    ASSERT_TRUE(run.core->Start(false, false));
    ASSERT_TRUE(run.WaitForFrames(81));
    run.core->Stop();
    EXPECT_EQ(run.core->GetSyncHz(), kBusRate) << "the machine offers no sync choice";
    ASSERT_GT(run.nmis[0].load(), 0u) << "the cartridge has the frame interrupt on by then";
    // Over 60 of the core's frames (1/50 s each), one NMI per frame of the VDP.
    const double vdpFrames = (run.ticks[1].load() - run.ticks[0].load()) / static_cast<double>(::kTicksPerFrame);
    EXPECT_NEAR(vdpFrames, 60.0, 1.0);
    EXPECT_NEAR(run.nmis[1].load() - run.nmis[0].load(), vdpFrames, 1.0);
    EXPECT_EQ(run.checkedFrames.load(), 61);
    EXPECT_EQ(run.mirrorFaults.load(), 0) << "every KB of 0x6000-0x7FFF is the same RAM";
    EXPECT_EQ(run.controllerFaults.load(), 0) << "keypad, joystick and controller 2 as the program read them";
    // The cartridge's picture: white on dark blue characters, a red sprite from line 80.
    const u32 blue = Tms9918Vdp::kPalette[4];
    const u32 white = Tms9918Vdp::kPalette[15];
    const u32 red = Tms9918Vdp::kPalette[8];
    const u32 expected[5] = {blue, white, white, red, blue};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(run.spots[i].load(), expected[i]) << "at " << CoreRun::kSpots[i][0] << "," << CoreRun::kSpots[i][1];
    EXPECT_EQ(run.digest.load(), 0x21419f110d0c7951ull) << "the same picture as run directly";
    ASSERT_EQ(run.sound->streams.size(), 4u);
    const auto second = static_cast<std::ptrdiff_t>(run.sound->rate);
    ASSERT_GT(static_cast<std::ptrdiff_t>(run.sound->streams[0].size()), second);
    const std::vector<u8> last(run.sound->streams[0].end() - second, run.sound->streams[0].end());
    // Divider 254: 3579545 / (32 * 254) Hz, within a cent.
    EXPECT_NEAR(SquareFrequency(last, run.sound->rate), 440.395, 440.395 * 0.0006);
}

TEST(ColecoCore, StartFailsWithoutTheBiosOrTheCartridge)
{
    CoreRun run;
    ProgramTree::WriteBytes("media/game.col", TestCartridge());
    ASSERT_TRUE(run.core->Run());
    ASSERT_TRUE(run.machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->InsertFile(
        ProgramTree::PathOf("media/game.col")));
    EXPECT_FALSE(run.core->Start(false, false));
    EXPECT_TRUE(run.HasLine("[ERROR] File \"coleco.rom\" (ROM BIOS) not found!"));

    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", TestBios());
    run.machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->Eject();
    EXPECT_FALSE(run.core->Start(false, false));
    EXPECT_TRUE(run.HasLine("[INIT] Cartrige slot is empty or has incorrect format!"));
}
