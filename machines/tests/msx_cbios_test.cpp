// The MSX-1 on C-BIOS, an open MSX BIOS, run by the emulation core on its worker thread
// as the program runs it: the BIOS's own screens, and our cartridge started by it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "core/emu_core.h"
#include "machines/tests/msx_rig.h"
#include "video/tms9918.h"

using namespace msx_test;

namespace {

constexpr i32 kSpaceAt = 150;  // the core frame (1/50 s) at whose end Space goes down
constexpr i32 kLastFrame = 250;

struct CoreRun {
    ProgramTree tree;
    Msx1Machine* machine = new Msx1Machine;  // the core owns these three
    BufferSurface* surface = new BufferSurface;
    std::shared_ptr<SoundCapture> sound = std::make_shared<SoundCapture>();
    ListeningRing* output = new ListeningRing(sound);
    std::unique_ptr<EmuCore> core;
    std::atomic<i32> frames{0};
    // Taken on the worker between two frames, while the machine stands still.
    std::string vram;                // video memory at the last frame
    u8 started = 0;                  // the cartridge's results at kSpaceAt and the last frame
    u8 rowBefore = 0, rowAfter = 0;
    u16 hookFrames[2] = {0, 0};
    u8 joystick = 0;
    u8 slots = 0;
    i32 width = 0;
    u32 pixels[4] = {};              // (0, 0), (255, 7), (0, 8), (128, 191)
    u64 digest = 0;
    std::atomic<bool> done{false};

    CoreRun()
    {
        core = std::make_unique<EmuCore>(nullptr, machine, surface, output, nullptr);
        core->SetSyncEnabled(false);
        core->SetFrameHook(&CoreRun::OnFrame, this);
        ProgramTree::WriteBytes("prog/configs/msx_1/msx.rom", CBios());
    }
    ~CoreRun() { core->Shutdown(); }

    static void OnFrame(void* context)
    {
        auto* self = static_cast<CoreRun*>(context);
        const i32 frame = self->frames.fetch_add(1) + 1;
        MemorySpace* memory = self->machine->GetMemory();
        auto word = [memory](u32 at) { return static_cast<u16>(memory->Read8(at, true) | memory->Read8(at + 1, true) << 8); };
        if (frame == kSpaceAt) {
            self->rowBefore = memory->Read8(kRow8, true);
            self->hookFrames[0] = word(kFrames);
            self->machine->ApplyKeyEvent(0x20, true);
        }
        if (frame == kLastFrame) {
            const u8* v = self->machine->GetVdp()->GetVideoMemory();
            self->vram.assign(reinterpret_cast<const char*>(v), 0x4000);
            self->started = memory->Read8(kStarted, true);
            self->rowAfter = memory->Read8(kRow8, true);
            self->hookFrames[1] = word(kFrames);
            self->joystick = memory->Read8(kJoystick, true);
            self->slots = memory->Read8(kSlotsFound, true);
            const BufferSurface& s = *self->surface;
            self->width = s.GetWidth();
            if (self->width == 256) {
                self->pixels[0] = s.Pixel(0, 0);
                self->pixels[1] = s.Pixel(255, 7);
                self->pixels[2] = s.Pixel(0, 8);
                self->pixels[3] = s.Pixel(128, 191);
                self->digest = s.Digest();
            }
            self->done = true;
        }
    }
    bool RunToTheEnd()
    {
        if (!core->Run() || !core->Start(false, false))
            return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (!done.load() && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        core->Stop();
        return done.load();
    }
    bool ScreenHas(const char* text) const { return vram.find(text) != std::string::npos; }
};

} // namespace

TEST(MsxCBios, BootsToItsNoCartridgeScreen)
{
    CoreRun run;
    ASSERT_TRUE(run.RunToTheEnd());
    EXPECT_TRUE(run.ScreenHas("C-BIOS")) << "the start-up text names the BIOS";
    EXPECT_TRUE(run.ScreenHas("cbios.sf.net"));
    EXPECT_TRUE(run.ScreenHas("No cartridge found."));
}

TEST(MsxCBios, StartsOurCartridge)
{
    CoreRun run;
    ProgramTree::WriteBytes("media/test.rom", TestCartridge());
    ASSERT_TRUE(run.core->Run());
    DriveImage* slot = run.machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0);
    ASSERT_NE(slot, nullptr);
    ASSERT_TRUE(slot->InsertFile(ProgramTree::PathOf("media/test.rom")));
    ASSERT_TRUE(run.RunToTheEnd());

    EXPECT_EQ(run.started, 0x5A);
    EXPECT_EQ(run.slots & 0x0C, 0x04) << "the BIOS runs the cartridge with slot 1 at 0x4000";
    EXPECT_EQ(run.rowBefore, 0xFF) << "row 8 with nothing pressed";
    EXPECT_EQ(run.rowAfter, 0xFE) << "Space, pressed through the keyboard service";
    EXPECT_EQ(run.joystick & 0x3F, 0x3F) << "no joystick moved, no button pressed";
    // The BIOS's frame interrupt calls the cartridge's hook once per VDP frame: 100 core
    // frames, 100 frames of the TMS9918.
    EXPECT_NEAR(run.hookFrames[1] - run.hookFrames[0], 100, 1);

    // Graphics I: the name table's top row is pattern 1 (solid), white on dark blue.
    EXPECT_EQ(run.vram.substr(0x1800, 32), std::string(32, '\x01'));
    ASSERT_EQ(run.width, 256);
    EXPECT_EQ(run.pixels[0], Tms9918Vdp::kPalette[15]) << "top row: the solid pattern";
    EXPECT_EQ(run.pixels[1], Tms9918Vdp::kPalette[15]);
    EXPECT_EQ(run.pixels[2], Tms9918Vdp::kPalette[4]) << "below: pattern 0 in its background colour";
    EXPECT_EQ(run.pixels[3], Tms9918Vdp::kPalette[4]);
    EXPECT_EQ(run.digest, 0x8b7197b34f005325ull) << "that picture and nothing else";

    // Channel A's stream, its last second: the 440 Hz tone.
    ASSERT_GE(run.sound->streams.size(), 1u);
    const auto second = static_cast<std::ptrdiff_t>(run.sound->rate);
    ASSERT_GT(static_cast<std::ptrdiff_t>(run.sound->streams[0].size()), second);
    const std::vector<u8> last(run.sound->streams[0].end() - second, run.sound->streams[0].end());
    EXPECT_NEAR(coleco_test::SquareFrequency(last, run.sound->rate), 440.4, 440.4 * 0.02);
}
