// The i8255 PPI on its own, wired by a small machine to ports 0x10-0x13 and to outside
// handlers that record what goes out and answer what is read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/memory_stream.h"
#include "base/archive.h"
#include "emu/command_interpreter.h"
#include "emu/computer.h"
#include "emu/port_space.h"
#include "machines/ppi8255.h"

namespace {

struct Outside {
    std::vector<std::pair<u32, u8>> written;
    u8 input = 0xA5;
    i32 peeks = 0;
    bool answers = true;

    static bool Write(void* context, u32 port, i32, const u8* buffer)
    {
        static_cast<Outside*>(context)->written.emplace_back(port, *buffer);
        return true;
    }
    static bool Read(void* context, u32, i32, u8* buffer, bool peek)
    {
        auto* self = static_cast<Outside*>(context);
        self->peeks += peek ? 1 : 0;
        if (!self->answers)
            return false;
        *buffer = self->input;
        return true;
    }
};

class PpiMachine : public Computer {
public:
    bool CreateDevices() override
    {
        if (!Computer::CreateDevices())
            return false;
        ppi = new Ppi8255;
        if (!AddDevice(ppi, nullptr, nullptr)) {
            delete ppi;
            return false;
        }
        return true;
    }
    Ppi8255* ppi = nullptr;
};

struct PpiRig {
    CommandInterpreter console;
    PpiMachine machine;
    Outside outside;
    Ppi8255* ppi = nullptr;

    explicit PpiRig(bool connected = true)
    {
        machine.CreateDevices();
        machine.SetHost(&console);
        ppi = machine.ppi;
        if (connected)
            ppi->ConnectPorts(&outside, &Outside::Read, &Outside::Write, 0x10, true, 1, 0);
        else
            ppi->ConnectPorts(nullptr, nullptr, nullptr, 0x10, true, 1, 0);
        i32 rate = 0;
        started = machine.Start(&rate);
    }
    ~PpiRig() { machine.Stop(); }

    void Out(u32 port, u8 value) { machine.GetPorts()->Write8(port, value); }
    u8 In(u32 port, bool peek = false) { return machine.GetPorts()->Read8(port, peek, nullptr); }
    std::string LastLine()
    {
        console.FlushPending();
        StringA text;
        u32 color = 0;
        const i32 n = console.GetLineCount();
        return n > 0 && console.GetLine(n - 1, &text, &color) ? text.CStr() : "";
    }
    void TraceAll()
    {
        for (Ppi8255::Register r : {Ppi8255::kCtrl, Ppi8255::kA, Ppi8255::kB, Ppi8255::kC}) {
            ppi->Flag(r, Ppi8255::kTraceRead) = 1;
            ppi->Flag(r, Ppi8255::kTraceWrite) = 1;
        }
    }
    bool started = false;
};

} // namespace

TEST(Ppi8255, PortsLatchForwardAndTrace)
{
    PpiRig rig;
    ASSERT_TRUE(rig.started);
    rig.TraceAll();
    rig.Out(0x10, 0x55);
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kA), 0x55u);
    ASSERT_EQ(rig.outside.written.size(), 1u);
    EXPECT_EQ(rig.outside.written[0], std::make_pair(0x10u, u8{0x55}));
    EXPECT_EQ(rig.LastLine(), "[PPI] =>RegA = 55h");
    // An output port read: the outside answers, marked as an output.
    EXPECT_EQ(rig.In(0x10), 0xA5);
    EXPECT_EQ(rig.LastLine(), "[PPI] <=RegA = A5h (*)");
    rig.outside.answers = false;
    EXPECT_EQ(rig.In(0x10), 0x55) << "the latch when the outside does not answer";

    struct Mode {
        u8 word;
        const char* trace;
        u32 modeA, modeB;
    } modes[] = {
        {0x9B, "[PPI] =>CTRL = 9Bh (ModeACh=basicIO, RegA=in, RegCh=in, ModeBCl=basicIO, RegB=in, RegCl=in)", 0, 0},
        {0xC0, "[PPI] =>CTRL = C0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)", 2, 0},
        {0xA4, "[PPI] =>CTRL = A4h (ModeACh=strobedIO, RegA=out, RegCh=out, ModeBCl=strobedIO, RegB=out, RegCl=out)", 1, 1},
        {0xE0, "[PPI] =>CTRL = E0h (ModeACh=bidirectBus, RegA=out, RegCh=out, ModeBCl=basicIO, RegB=out, RegCl=out)", 2, 0},
    };
    for (const Mode& m : modes) {
        rig.Out(0x13, m.word);
        EXPECT_EQ(rig.LastLine(), m.trace);
        EXPECT_EQ(rig.ppi->GetModeA(), m.modeA);
        EXPECT_EQ(rig.ppi->GetModeB(), m.modeB);
        EXPECT_EQ(rig.In(0x13), m.word) << "the control port reads the last mode word";
    }

    // Everything an input: writes are dropped, reads come from outside.
    rig.Out(0x13, 0x9B);
    rig.outside.written.clear();
    rig.Out(0x10, 0x12);
    EXPECT_EQ(rig.LastLine(), "[PPI] >RegA = 12h (*)");
    rig.Out(0x11, 0x34);
    EXPECT_EQ(rig.LastLine(), "[PPI] =>RegB = 34h (*)");
    rig.Out(0x12, 0x56);
    EXPECT_EQ(rig.LastLine(), "[PPI] =>RegC = 56h (*)");
    EXPECT_TRUE(rig.outside.written.empty());
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kA), 0x55u);
    rig.outside.answers = true;
    EXPECT_EQ(rig.In(0x12), 0xA5);
    EXPECT_EQ(rig.LastLine(), "[PPI] <=RegC = A5h  ");

    // Port C upper half out, lower half in: only bits 7-4 change, the whole latch goes out.
    rig.Out(0x13, 0x81);
    rig.Out(0x12, 0xFF);
    EXPECT_EQ(rig.LastLine(), "[PPI] =>RegCh = FFh");
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kC), 0xF0u);
    EXPECT_EQ(rig.outside.written.back(), std::make_pair(0x12u, u8{0xF0}));
    // Bit set/reset: bit 3 is in the input half and stays; bit 6 is cleared.
    rig.Out(0x13, 0x07);
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kC), 0xF0u);
    rig.Out(0x13, 0x0C);
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kC), 0xB0u);
    EXPECT_EQ(rig.In(0x13), 0x81) << "a bit set/reset word is not the control word";
    rig.Out(0x13, 0x80);
    rig.Out(0x13, 0x07);
    EXPECT_EQ(rig.LastLine(), "[PPI] =>RegC = B8h") << "bit 3 set through the port C write";
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kC), 0xB8u);
}

TEST(Ppi8255, UnconnectedPortsReadTheirLatchesAndBreaksAbandonWrites)
{
    PpiRig rig(false);
    ASSERT_TRUE(rig.started);
    rig.TraceAll();
    rig.Out(0x10, 0x55);
    EXPECT_EQ(rig.In(0x10), 0x55);
    EXPECT_EQ(rig.LastLine(), "[PPI] <=RegA = 55h (*)");
    const i32 lines = rig.console.GetLineCount();
    EXPECT_EQ(rig.In(0x10, true), 0x55);
    rig.console.FlushPending();
    EXPECT_EQ(rig.console.GetLineCount(), lines) << "a peek is not traced";

    // A break the debugger takes abandons the write.
    rig.machine.SetBreakHandler([](void*, bool*, bool*) { return true; }, nullptr);
    rig.ppi->Flag(Ppi8255::kB, Ppi8255::kBreakWrite) = 1;
    rig.Out(0x11, 0x77);
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kB), 0u);
    rig.ppi->Flag(Ppi8255::kCtrl, Ppi8255::kBreakWrite) = 1;
    rig.Out(0x13, 0x9B);
    EXPECT_FALSE(rig.ppi->IsInput(Ppi8255::kA));
    EXPECT_EQ(rig.ppi->GetControl(), 0u);

    // Connection rules.
    rig.machine.SetBreakHandler(nullptr, nullptr);
    EXPECT_TRUE(rig.ppi->ConnectPorts(nullptr, nullptr, nullptr, -1, false, 0, 0));
    EXPECT_FALSE(rig.ppi->ConnectPorts(&rig.outside, nullptr, nullptr, -1, false, 0, 0));
    rig.Out(0x10, 0x99);
    EXPECT_EQ(rig.ppi->GetLatch(Ppi8255::kA), 0x99u);
}

TEST(Ppi8255, StateRoundTripAndRefusedRecords)
{
    PpiRig rig;
    ASSERT_TRUE(rig.started);
    rig.Out(0x13, 0x83);  // B and C lower inputs
    rig.Out(0x10, 0x12);
    rig.Out(0x12, 0x34);
    MemoryStream stream;
    ASSERT_TRUE(stream.Allocate(0, -1));
    Archive out(&stream);
    ASSERT_TRUE(rig.ppi->SaveState(out));
    const std::vector<u8> good(stream.GetBuffer(), stream.GetBuffer() + stream.GetSize());

    PpiRig other;
    auto load = [&](const std::vector<u8>& bytes) {
        MemoryStream in;
        in.Allocate(0, -1);
        in.Write(bytes.data(), bytes.size());
        in.Seek(0);
        Archive archive(&in);
        return other.ppi->LoadState(archive, nullptr);
    };
    ASSERT_TRUE(load(good));
    EXPECT_EQ(other.ppi->GetControl(), 0x83u);
    EXPECT_EQ(other.ppi->GetLatch(Ppi8255::kA), 0x12u);
    EXPECT_EQ(other.ppi->GetLatch(Ppi8255::kC), 0x30u);
    EXPECT_TRUE(other.ppi->IsInput(Ppi8255::kB)) << "directions follow the loaded control word";
    EXPECT_FALSE(other.ppi->IsInput(Ppi8255::kA));

    other.Out(0x10, 0x66);
    for (size_t cut : {good.size() - 1, good.size() / 2}) {
        EXPECT_FALSE(load(std::vector<u8>(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut))));
    }
}
