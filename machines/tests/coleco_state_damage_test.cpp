// Every single changed byte of a ColecoVision state: the machine either refuses it and
// stays exactly as it was, or takes it and runs on (machines/tests/state_check.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "machines/tests/coleco_rig.h"
#include "machines/tests/state_check.h"

using namespace coleco_test;

namespace {

// Where a state's bytes lie in its records. The walk stops at anything it cannot follow.
struct StateLayout {
    std::vector<std::pair<size_t, size_t>> values;  // value bytes (and small blobs'): first, end
    std::vector<size_t> bulk;                       // the bytes of larger blobs (memories, frame data)
};

StateLayout Walk(const std::vector<u8>& s)
{
    StateLayout layout;
    const auto le = [&](size_t at, int n) {
        u64 v = 0;
        for (int i = 0; i < n && at + i < s.size(); ++i)
            v |= static_cast<u64>(s[at + i]) << (8 * i);
        return static_cast<size_t>(v);
    };
    for (size_t at = 0; at + 4 < s.size();) {
        // A marker, then a string record: type, check, u16 length, the characters.
        const u8 marker = s[at];
        size_t next = at + 5 + le(at + 3, 2) * (((s[at + 1] >> 4) & 7) + 1);
        if ((marker != Archive::kKeyedValue && marker != Archive::kBlockOpen && marker != Archive::kBlockClose) ||
            next >= s.size())
            break;
        if (marker == Archive::kKeyedValue) {
            const u8 type = s[next++];
            size_t first = next, end = next + (type & 0x0F) + 1;
            if ((type & 0xC0) == Archive::kTypeBlob) {
                first = next + 4;
                end = first + le(next, 4);
            } else if ((type & 0xC0) == Archive::kTypeString) {
                end = next + 4 + le(next, 4) * ((type & 1) + 1);  // a count of characters with the terminator
            }
            if (end - first <= 64)
                layout.values.push_back({first, std::min(end, s.size())});
            for (size_t i = first; end - first > 64 && i < end && i < s.size(); ++i)
                layout.bulk.push_back(i);
            next = end;
        }
        at = next;
    }
    return layout;
}

// A started ColecoVision on our BIOS and cartridge, as the core starts a run; several
// share the test's program tree.
struct StartedColeco {
    CommandInterpreter console;
    BufferSurface surface;
    SoundBufferRing output;
    std::unique_ptr<ColecoVisionMachine> machine = std::make_unique<ColecoVisionMachine>();
    bool ok = false;

    StartedColeco()
    {
        machine->CreateDevices();
        machine->SetHost(&console);
        machine->SetDisplay(&surface, &surface);
        machine->SetSoundOutput(&output);
        ok = machine->GetDriveBay()->GetKindDrive(DriveBay::kCartridge, 0)->InsertFile(ProgramTree::PathOf("media/game.col")) &&
             state_check::Start(*machine);
    }
    ~StartedColeco()
    {
        if (machine->IsRunning())
            machine->Stop();
    }
};

} // namespace

// A representative subset of the 80,000 bytes, whose every change would take minutes
// under the sanitizers: each byte of every value (the blobs up to 64 bytes among them:
// timer and event records, sound tables), bit 0 changed in the even bytes of a value and
// bit 2 in the odd ones (so a size grows by one 1 KB block), and every 4099th byte of the
// memories and frame data (which the machine takes as they are). Markers and names are
// left to the fuzz targets: any change there refuses the record.
TEST(ColecoStateDamage, EverySingleChangedValueIsRefusedOrRuns)
{
    ProgramTree tree;
    ProgramTree::WriteBytes("prog/configs/coleco_v/coleco.rom", TestBios());
    ProgramTree::WriteBytes("media/game.col", TestCartridge());
    StartedColeco saved;
    ASSERT_TRUE(saved.ok);
    machine_run::RunFrames(saved.machine->GetZ80(), saved.machine->GetEventBus(), 30);
    const state_check::Bytes good = state_check::Save(*saved.machine);
    const StateLayout layout = Walk(good);
    ASSERT_GT(layout.bulk.size(), 70000u) << "the walk reached the memories at the end";
    ASSERT_GT(layout.values.size(), 250u);

    std::vector<std::pair<size_t, u8>> changes;
    for (const auto& [first, end] : layout.values) {
        for (size_t i = first; i < end; ++i)
            changes.push_back({i, (i - first) % 2 ? 0x04 : 0x01});
    }
    for (size_t n = 0; n < layout.bulk.size(); n += 4099)
        changes.push_back({layout.bulk[n], 0x01});

    // Just started, as the core starts a machine to load a state into.
    StartedColeco machine;
    ASSERT_TRUE(machine.ok);
    const state_check::FreshLoad fresh = [](const state_check::Bytes& state) {
        StartedColeco other;
        return other.ok && state_check::Load(*other.machine, state.data(), state.size());
    };
    for (const auto& [at, bit] : changes) {
        state_check::Bytes bad = good;
        bad[at] ^= bit;
        ASSERT_EQ(state_check::CheckStateLoad(*machine.machine, bad.data(), bad.size(), fresh), "")
            << "byte " << at << " changed by " << static_cast<int>(bit);
    }
}
