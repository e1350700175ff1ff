// The i8255 PPI on its own, wired by a small machine to ports 0x10-0x13 and to outside
// handlers that record what goes out and answer reads with 0xA5.
#include <gtest/gtest.h>

#include "base/archive.h"
#include "base/memory_stream.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "machines/ppi8255.h"

namespace {

struct PpiMachine : Computer {
    bool CreateDevices() override { return Computer::CreateDevices() && AddDevice(ppi = new Ppi8255, nullptr, nullptr); }
    Ppi8255* ppi = nullptr;
};

struct PpiRig {
    CommandInterpreter console;
    PpiMachine machine;
    std::vector<std::pair<u32, u8>> written;

    static bool Write(void* rig, u32 port, i32, const u8* b)
    {
        static_cast<PpiRig*>(rig)->written.emplace_back(port, *b);
        return true;
    }
    static bool Read(void*, u32, i32, u8* b, bool) { return *b = 0xA5, true; }

    explicit PpiRig(bool connected)
    {
        machine.CreateDevices();
        machine.SetHost(&console);
        machine.ppi->ConnectPorts(connected ? this : nullptr, connected ? Read : nullptr, connected ? Write : nullptr,
                                  0x10, true, 1, 0);
        i32 rate = 0;
        machine.Start(&rate);
        for (i32 f = 0; f < 16; f += 2)
            machine.ppi->Flag(static_cast<Ppi8255::Register>(f / 4), static_cast<Ppi8255::Access>(f % 4)) = 1;
    }
    ~PpiRig() { machine.Stop(); }
    // Writes the bytes to the port, answers the last trace line.
    std::string Out(u32 port, std::initializer_list<u8> values)
    {
        for (u8 v : values)
            machine.GetPorts()->Write8(port, v);
        return Last();
    }
    std::string Last()
    {
        console.FlushPending();
        StringA text;
        u32 color = 0;
        return console.GetLine(console.GetLineCount() - 1, &text, &color) ? text.CStr() : "";
    }
    u8 In(u32 port) { return machine.GetPorts()->Read8(port, false, nullptr); }
    u32 Latch(Ppi8255::Register r) { return machine.ppi->GetLatch(r); }
};

} // namespace

TEST(Ppi8255, ModeWordsDirectionsAndLatches)
{
    PpiRig rig(true);
    EXPECT_EQ(rig.Out(0x10, {0x55}), "[PPI] =>RegA = 55h");
    EXPECT_EQ(rig.written.back(), std::make_pair(0x10u, u8{0x55}));
    EXPECT_EQ(rig.In(0x10), 0xA5) << "the outside answers";
    EXPECT_EQ(rig.Last(), "[PPI] <=RegA = A5h (*)");

    const char* const modes[][2] = {
        {"\x9B", "[PPI] =>CTRL = 9Bh (ModeACh=basicIO, RegA=in, RegCh=in, ModeBCl=basicIO, RegB=in, RegCl=in)"},
        {"\xC0", "[PPI] =>CTRL = C0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
        {"\xA4", "[PPI] =>CTRL = A4h (ModeACh=strobedIO, RegA=out, RegCh=out, ModeBCl=strobedIO, RegB=out, RegCl=out)"},
        {"\xE0", "[PPI] =>CTRL = E0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)"},
    };
    for (const auto& m : modes) {
        const u8 word = static_cast<u8>(m[0][0]);
        EXPECT_EQ(rig.Out(0x13, {word}), m[1]);
        EXPECT_EQ(rig.In(0x13), word) << "the control port reads the last mode word";
    }

    // All inputs: writes are dropped with "(*)" and nothing goes out.
    rig.Out(0x13, {0x9B});
    rig.written.clear();
    EXPECT_EQ(rig.Out(0x10, {0x12}), "[PPI] >RegA = 12h (*)");
    EXPECT_EQ(rig.Out(0x11, {0x34}), "[PPI] =>RegB = 34h (*)");
    EXPECT_EQ(rig.Out(0x12, {0x56}), "[PPI] =>RegC = 56h (*)");
    EXPECT_TRUE(rig.written.empty());
    EXPECT_EQ(rig.Latch(Ppi8255::kA), 0x55u);

    // C upper out, lower in: a write and the bit set/reset change bits 7-4 only; the whole
    // latch goes out, and a bit set/reset word is not the control word.
    rig.Out(0x13, {0x81});
    EXPECT_EQ(rig.Out(0x12, {0xFF}), "[PPI] =>RegCh = FFh");
    EXPECT_EQ(rig.written.back(), std::make_pair(0x12u, u8{0xF0}));
    rig.Out(0x13, {0x07, 0x0C});
    EXPECT_EQ(rig.Latch(Ppi8255::kC), 0xB0u);
    EXPECT_EQ(rig.In(0x13), 0x81);
    EXPECT_EQ(rig.Out(0x13, {0x80, 0x07}), "[PPI] =>RegC = B8h") << "through the port C write";
}

TEST(Ppi8255, UnconnectedBreaksAndState)
{
    PpiRig rig(false);
    rig.Out(0x10, {0x55});
    EXPECT_EQ(rig.In(0x10), 0x55);
    EXPECT_EQ(rig.Last(), "[PPI] <=RegA = 55h (*)");
    // A write the debugger breaks on changes nothing.
    rig.machine.SetBreakHandler([](void*, bool*, bool*) { return true; }, nullptr);
    rig.machine.ppi->Flag(Ppi8255::kCtrl, Ppi8255::kBreakWrite) = 1;
    rig.Out(0x13, {0x83});
    EXPECT_EQ(rig.machine.ppi->GetControl(), 0u);
    rig.machine.SetBreakHandler(nullptr, nullptr);
    rig.machine.ppi->Flag(Ppi8255::kCtrl, Ppi8255::kBreakWrite) = 0;
    EXPECT_TRUE(rig.machine.ppi->ConnectPorts(nullptr, nullptr, nullptr, -1, false, 0, 0));
    EXPECT_FALSE(rig.machine.ppi->ConnectPorts(&rig, nullptr, nullptr, -1, false, 0, 0));

    rig.Out(0x13, {0x83});
    rig.Out(0x12, {0x34});
    MemoryStream stream;
    stream.Allocate(0, -1);
    Archive out(&stream);
    ASSERT_TRUE(rig.machine.ppi->SaveState(out));
    const std::vector<u8> good(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());
    PpiRig other(true);
    auto load = [&](size_t length) {
        MemoryStream in;
        in.Attach(const_cast<u8*>(good.data()), length);
        Archive archive(&in);
        return other.machine.ppi->LoadState(archive, nullptr);
    };
    EXPECT_FALSE(load(good.size() - 1));
    ASSERT_TRUE(load(good.size()));
    EXPECT_EQ(other.machine.ppi->GetControl(), 0x83u);
    EXPECT_EQ(other.Latch(Ppi8255::kA), 0x55u);
    EXPECT_EQ(other.Latch(Ppi8255::kC), 0x30u);
    EXPECT_TRUE(other.machine.ppi->IsInput(Ppi8255::kB)) << "directions follow the loaded control word";
}
