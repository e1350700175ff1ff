#include <gtest/gtest.h>

#include <vector>

#include "emu/interrupt_lines.h"
#include "emu/system_interface.h"
#include "emu/tests/archive_buffer.h"

namespace {

// Counts the polls the service asks for; a system without CPU.
struct PollCounter : SystemInterface {
    int polls = 0;
    ClockInterface* GetMainCpu() override { return nullptr; }
    CommandInterpreter* GetConsole() override { return nullptr; }
    bool IsLoadingState() override { return false; }
    u64 GetTimeUnitsPerSecond() override { return 0; }
    u64 GetCurrentTime() override { return 0; }
    bool ApplyParams(ParamNode*) override { return true; }
    void PollInterrupts() override { ++polls; }
    void SuppressBreaks(bool) override {}
};

// A machine's listener: one pending flag answered as line 0, data 0xFF.
struct Machine {
    bool pending = false;
    bool takes = true;
    std::vector<u32> lines;

    static bool Set(void* context, u32 line, u8 state)
    {
        auto* self = static_cast<Machine*>(context);
        self->lines.push_back(line);
        if (self->takes)
            self->pending = state != 0;
        return self->takes;
    }
    static bool Query(void* context, bool acknowledge, u32* extra, u32* line, u32* data)
    {
        auto* self = static_cast<Machine*>(context);
        if (!self->pending)
            return false;
        *extra = 0;
        *line = 0;
        *data = 0xFF;
        self->pending = !acknowledge;
        return true;
    }
    static u32 Probe(void*, u32 line) { return line + 1; }
};

bool TakeOver(void* context, u32 line, u32, u32, ClockInterface* clock, u64* out)
{
    *static_cast<u32*>(context) = line;
    *out += clock ? 1 : 13;
    return true;
}

class InterruptLinesTest : public ::testing::Test {
protected:
    void SetUp() override { lines.SetSystem(&system); }
    PollCounter system;
    InterruptLines lines;
    Machine machine;
};

} // namespace

TEST_F(InterruptLinesTest, RaisingALinePollsTheCpusAndTheListenerTakesIt)
{
    EXPECT_FALSE(lines.SetLine(0, 1));   // no listener: still a poll
    EXPECT_EQ(system.polls, 1);
    EXPECT_FALSE(lines.SetLine(0, 0));   // lowering never polls
    EXPECT_EQ(system.polls, 1);

    ASSERT_TRUE(lines.AddListener(&machine, Machine::Query, Machine::Set, nullptr));
    EXPECT_TRUE(lines.SetLine(0, 1));
    u32 extra = 9, line = 9, data = 9;
    EXPECT_TRUE(lines.QueryPending(false, &extra, &line, &data));
    EXPECT_EQ(data, 0xFFu);
    EXPECT_TRUE(lines.QueryPending(true, &extra, &line, &data));
    extra = line = data = 9;
    EXPECT_FALSE(lines.QueryPending(false, &extra, &line, &data));
    EXPECT_EQ(extra + line + data, 27u);   // nothing pending: outputs untouched
}

TEST_F(InterruptLinesTest, ListenersInOrderAndEachContextOnce)
{
    Machine second;
    lines.AddListener(&machine, Machine::Query, Machine::Set, nullptr);
    lines.AddListener(&second, Machine::Query, Machine::Set, nullptr);
    lines.SetLine(3, 1);
    EXPECT_TRUE(second.lines.empty());   // the first took it
    machine.takes = false;
    lines.SetLine(4, 1);
    EXPECT_EQ(second.lines, std::vector<u32>{4});

    EXPECT_TRUE(lines.AddListener(&machine, Machine::Query, Machine::Set, nullptr));
    EXPECT_FALSE(lines.AddListener(&machine, nullptr, Machine::Set, nullptr));
    EXPECT_EQ(lines.GetListenerCount(), 2);
    lines.RemoveListener(&machine);
    EXPECT_EQ(lines.GetListenerCount(), 1);
}

TEST_F(InterruptLinesTest, HandlersTakeOverAndRefuseOutOfRangeLines)
{
    u64 out = 0;
    EXPECT_FALSE(lines.CallLineHandler(300, 0, 0, &out));
    EXPECT_EQ(out, 100u);
    EXPECT_FALSE(lines.CallAcknowledgeHandler(0xFFF7, 0, 0, &out));   // a restart code
    EXPECT_EQ(out, 0u);
    EXPECT_FALSE(lines.SetLineHandler(256, nullptr, TakeOver));

    u32 seen = 0, other = 0;
    ASSERT_TRUE(lines.SetAcknowledgeHandler(5, &seen, TakeOver));
    EXPECT_TRUE(lines.CallAcknowledgeHandler(5, 0, 0, &out));
    EXPECT_EQ(seen, 5u);
    EXPECT_EQ(out, 13u);   // no CPU: the handler got a null clock
    EXPECT_FALSE(lines.CallLineHandler(5, 0, 0, &out));
    EXPECT_TRUE(lines.RemoveAcknowledgeHandler(5, &other));
    EXPECT_TRUE(lines.CallAcknowledgeHandler(5, 0, 0, &out));
    EXPECT_TRUE(lines.RemoveAcknowledgeHandler(5, &seen));
    EXPECT_FALSE(lines.CallAcknowledgeHandler(5, 0, 0, &out));
}

TEST_F(InterruptLinesTest, RaiseLineAsksTheProbeFirstAndStartEmptiesEverything)
{
    u32 seen = 0;
    u64 out;
    lines.AddListener(&machine, Machine::Query, Machine::Set, Machine::Probe);
    EXPECT_EQ(lines.RaiseLine(6, 1), 7u);
    EXPECT_TRUE(machine.lines.empty());
    EXPECT_EQ(lines.RaiseLine(6, 0), 1u);
    EXPECT_EQ(machine.lines, std::vector<u32>{6});

    lines.SetLineHandler(1, &seen, TakeOver);
    i32 rate = 0;
    ASSERT_TRUE(lines.Start(&rate));
    EXPECT_EQ(lines.GetListenerCount(), 0);
    EXPECT_FALSE(lines.CallLineHandler(1, 0, 0, &out));
    lines.AddListener(&machine, Machine::Query, Machine::Set, nullptr);
    lines.Stop();
    EXPECT_EQ(lines.GetListenerCount(), 0);
}

TEST_F(InterruptLinesTest, StateHoldsOnlyItsVersion)
{
    ArchiveBuffer buf, bad;
    ASSERT_TRUE(lines.SaveState(buf.archive));
    buf.Rewind();
    EXPECT_TRUE(lines.LoadState(buf.archive, nullptr));

    const u8 one = 1;
    bad.archive.WriteMarker("_INTRS", Archive::kBlockOpen);
    bad.archive.WriteUInt8(&one, "VER");
    bad.archive.WriteMarker("_INTRS", Archive::kBlockClose);
    bad.Rewind();
    EXPECT_FALSE(lines.LoadState(bad.archive, nullptr));
}
