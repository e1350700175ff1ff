// i8253 counter: ports, control words, the counter functions of the six modes and the
// interrupt edges.
#include "sound/pit_channel.h"

#include <cmath>
#include <numeric>

#include "emu/event_bus.h"
#include "emu/interrupt_lines.h"
#include "emu/param_set.h"
#include "emu/system_interface.h"
#include "emu/trace_report.h"

namespace {

constexpr const char* kModeNames[8] = {"terminal counting",     "waiting multivibrator", "impulse frequency generator",
                                       "square wave generator", "software strobe",       "hardware strobe",
                                       "unknown",               "unknown"};

// Four BCD digits as a binary count; a digit above 9 wraps as the counter would.
u16 FromBcd(u16 raw)
{
    u32 value = 0;
    for (i32 shift = 12; shift >= 0; shift -= 4) {
        u32 digit = (raw >> shift) & 0xF;
        if (digit > 9)
            digit = (digit + 6) & 0xF;
        value = value * 10 + digit;
    }
    return static_cast<u16>(value);
}

u16 ToBcd(u16 value)
{
    return static_cast<u16>(((value / 1000 % 10) << 12) | ((value / 100 % 10) << 8) | ((value / 10 % 10) << 4) |
                            (value % 10));
}

// The count left of a running period. Only a start time past now (a damaged state's)
// gives more than the 16 bits hold: it reads as the full range, never converted out of it.
u16 CountLeft(double value)
{
    return value < 0xFFFF ? static_cast<u16>(value) : u16{0xFFFF};
}

} // namespace

PitChannel::PitChannel()
{
    SetName("PIT Channel");
    SetDescription("PIT");
}

PitChannel::~PitChannel() = default;

u64 PitChannel::Now() const
{
    return host_ ? host_->GetCurrentTime() : 0;
}

u64 PitChannel::UnitsPerSecond() const
{
    return host_ ? host_->GetTimeUnitsPerSecond() : 0;
}

// --- ports and bindings ---

bool PitChannel::AttachDataPort(i32 port)
{
    if (!params_->RemoveParam("DATA"))
        return false;
    if (port < 0)
        return true;
    return params_->AddPortRangeValue("DATA", false, false, static_cast<u64>(port), 1, &PitChannel::OnDataRead,
                                      &PitChannel::OnDataWrite);
}

bool PitChannel::AttachIrq(i32 line)
{
    ConnectIrq(line, true, false);
    irqLineNumber_ = line >= 0 ? line : -1;
    return true;
}

void PitChannel::AttachDma(i32 channel)
{
    dmaChannel_ = channel;
    dmaBound_ = channel >= 0;
}

bool PitChannel::OnDataRead(void* context, u32 /*port*/, i32 size, u8* out, bool peek)
{
    if (size != 1 || !context || !out)
        return false;
    *out = static_cast<PitChannel*>(static_cast<Device*>(context))->ReadData(peek);
    return true;
}

bool PitChannel::OnDataWrite(void* context, u32 /*port*/, i32 size, const u8* in)
{
    if (size != 1 || !context || !in)
        return false;
    static_cast<PitChannel*>(static_cast<Device*>(context))->WriteData(*in);
    return true;
}

// --- life cycle ---

bool PitChannel::Start(i32* rate)
{
    if (!Device::Start(rate))
        return false;
    if (rate && *rate < 2000)
        *rate = 2000;
    DropSoundBuffer();
    function_ = kIdle;
    period_ = 0;
    zeroCount_ = false;
    outputEnabled_ = !soundGeneration_;
    cru_ = ce_ = cr_ = 0;
    noCount_ = true;
    gate_ = true;
    latched_ = false;
    out_ = false;
    renderLevel_ = false;
    highLength_ = lowLength_ = remaining_ = 0;
    unitsSeen_ = 0;
    readState_ = writeState_ = 0;
    if (inputClock_ == 0)
        inputClock_ = kDefaultClock;
    cw_ = status_ = 0;
    pendingEdges_ = 0;
    square_ = false;
    waveChanged_ = true;

    const u64 units = UnitsPerSecond();
    Update();
    status_ |= kNullCount;
    cru_ = 0;
    unitsPerSecond_ = static_cast<u32>(units);
    out_ = false;

    firstHigh_ = firstLow_ = nextHigh_ = nextLow_ = -1;
    firstByte_ = 0;
    ol_ = 0;
    latchedStatus_ = 0;
    startLevel_ = false;
    gateTaken_ = false;
    periodsCounted_ = 0;
    startTime_ = Now();

    if (soundGeneration_ && (!bus_ || !bus_->AddTimerWithCallback(44100, 8, &PitChannel::OnSoundEvent, this,
                                                                "SoundEvent", 0, 0)))
        return false;
    if (!bus_ || !bus_->AddTimer(EventBus::kEveryTick, &PitChannel::OnUpdateEvent, this, "UpdateEvent", 0, 0, true))
        return false;
    raised_ = 0;
    return true;
}

void PitChannel::Stop()
{
    DropSoundBuffer();
    Device::Stop();
}

bool PitChannel::OnUpdateEvent(Component* channel, u64* /*fireCount*/, u32* /*userWords*/)
{
    auto* self = static_cast<PitChannel*>(channel);
    self->Update();
    InterruptLines* lines = self->interrupts_;
    if (!self->IsIrqConnected() || !lines) {
        self->pendingEdges_ = 0;
        if (self->soundGeneration_)
            self->RecordSoundSegment();
        return true;
    }
    u32 accepted = 0;
    const u32 line = static_cast<u32>(self->GetIrqLine());
    while (self->pendingEdges_ > 0) {
        if (lines->RaiseLine(line, 1) == 0) {
            // Refused: offered again at the next tick, but no more than half of them.
            if (self->pendingEdges_ > 1)
                self->pendingEdges_ /= 2;
            break;
        }
        ++accepted;
        ++self->raised_;
        --self->pendingEdges_;
    }
    if (accepted > 0)
        TraceReport::ReportIrq(self, self->trace_[kRaiseIrq], self->break_[kRaiseIrq], "Raised IRQ%ld (%ld times)",
                               static_cast<i32>(line), static_cast<i32>(accepted));
    if (self->soundGeneration_)
        self->RecordSoundSegment();
    return true;
}

bool PitChannel::ReportCallsPerSecond()
{
    TraceReport::ReportInfo(this, 1, "Calls Per Second = %ld", static_cast<i32>(raised_));
    raised_ = 0;
    return true;
}

// --- counting ---

void PitChannel::SetOut(bool level)
{
    if (level && !out_ && outputEnabled_)
        ++pendingEdges_;
    out_ = level;
}

void PitChannel::Update()
{
    const u64 units = UnitsPerSecond();
    if (units != unitsSeen_) {
        // A new time base ends whatever was counting: its start lies a period before 0.
        startTime_ = 0 - static_cast<u64>(std::min(period_, 0x1p62));
        status_ |= kNullCount;
        unitsSeen_ = units;
        unitsPerSecond_ = static_cast<u32>(units);
        cru_ = 0;
        out_ = false;
    }
    u16 count = ce_;
    u32 periods = 0;
    const bool level = Count(Now(), &count, &periods);
    ce_ = count;
    if (zeroCount_)
        zeroCount_ = count == 0xFFFF;
    // OUT flips once per ended period; a rise from low counts an edge.
    if (periods > 0) {
        if (outputEnabled_)
            pendingEdges_ += out_ ? periods / 2 : (periods + 1) / 2;
        out_ = out_ != ((periods & 1) != 0);
    }
    if (level != out_)
        SetOut(level);
}

void PitChannel::Load(u16 n, u64 now, bool extra)
{
    cru_ = n;
    startTime_ = now;
    status_ &= static_cast<u8>(~kNullCount);
    // The sound takes its lengths anew: two counts can share the fractions of the wave
    // (any two even counts in mode 3) and differ only in the period.
    waveChanged_ = true;
    const double clocks = static_cast<double>(n) + (extra ? 1 : 0);
    period_ = inputClock_ ? static_cast<double>(unitsPerSecond_) * clocks / inputClock_ : 0;
}

void PitChannel::SetWave(double firstHigh, double firstLow, double nextHigh, double nextLow, bool startLevel)
{
    if (firstHigh == firstHigh_ && firstLow == firstLow_ && nextHigh == nextHigh_ && nextLow == nextLow_ &&
        startLevel == startLevel_)
        return;
    firstHigh_ = firstHigh;
    firstLow_ = firstLow;
    nextHigh_ = nextHigh;
    nextLow_ = nextLow;
    startLevel_ = startLevel;
    waveChanged_ = true;
}

void PitChannel::ConstantHigh()
{
    SetWave(-1, firstLow_, -1, nextLow_, true);
}

void PitChannel::ConstantAtOut()
{
    SetWave(-1, -1, -1, -1, out_);
}

PitChannel::Function PitChannel::FunctionOf(u8 control)
{
    static constexpr Function kByMode[8] = {kMode0, kMode1, kMode2, kMode3, kMode4, kMode5, kMode2, kMode3};
    return kByMode[(control >> 1) & 7];
}

bool PitChannel::Count(u64 now, u16* count, u32* periods)
{
    if (function_ == kIdle) {
        *count = 0;
        return false;
    }
    if (noCount_) {
        *count = 0;
        if (function_ == kMode0) {
            SetWave(firstHigh_, -1, nextHigh_, -1, false);
            return false;
        }
        ConstantHigh();
        return true;
    }
    switch (function_) {
    case kMode0:
        return CountMode0(now, count);
    case kMode1:
        return CountMode1(now, count);
    case kMode2:
        return CountPeriodic(now, count, periods, false);
    case kMode3:
        return CountPeriodic(now, count, periods, true);
    case kMode4:
        return CountStrobe(now, count, false);
    default:
        return CountStrobe(now, count, true);
    }
}

bool PitChannel::CountMode0(u64 now, u16* count)
{
    // Gate low or half a two-byte count written: the counter holds.
    if (!gate_ || writeState_ == 4) {
        *count = ce_;
        ConstantAtOut();
        return out_;
    }
    if (status_ & kNullCount) {
        if (cr_ != 0) {
            Load(cr_, now, false);
            SetWave(-1, 1.0, -1, nextLow_, false);
        } else {
            status_ &= static_cast<u8>(~kNullCount);
            period_ = 0;
            SetWave(-1, firstLow_, -1, nextLow_, true);
        }
    }
    if (period_ <= 0) {
        *count = 0;
        return true;
    }
    const double value = std::ceil((1 - Elapsed(now)) * cru_);
    if (value < 1) {
        // Terminal count: it stays at 0 until a new count is written.
        *count = 0;
        period_ = 0;
        return true;
    }
    *count = CountLeft(value);
    return false;
}

bool PitChannel::CountMode1(u64 now, u16* count)
{
    if (!gateTaken_ && gate_ && cr_ != 0) {
        Load(cr_, now, false);
        SetWave(-1, 1.0, -1, 1.0, false);
        gateTaken_ = true;
    }
    if (period_ <= 0) {
        *count = 0;
        ConstantHigh();
        return true;
    }
    const double value = std::ceil((1 - Elapsed(now)) * cru_);
    if (value > 0) {
        *count = CountLeft(value);
        return false;
    }
    *count = 0;
    period_ = 0;
    return true;
}

bool PitChannel::CountPeriodic(u64 now, u16* count, u32* periods, bool square)
{
    if (!gate_) {
        *count = ce_;
        if (square)
            square_ = false;
        ConstantHigh();
        return true;
    }
    // A new count waits for the end of the running period.
    if ((status_ & kNullCount) && (period_ <= 0 || Since(now) >= period_)) {
        const u16 n = cr_;
        if (n == 0) {
            status_ &= static_cast<u8>(~kNullCount);
            period_ = 0;
        } else {
            Load(n, now, false);
            const double nn = n;
            if (square) {
                square_ = true;
                const double high = (n & 1) ? (nn + 1) / (2 * nn) : 0.5;
                SetWave(high, 1 - high, high, 1 - high, true);
            } else {
                SetWave(1 - 1 / nn, 1 / nn, 1 - 1 / nn, 1 / nn, true);
            }
            periodsCounted_ = 0;
        }
    }
    if (period_ <= 0) {
        *count = 0;
        if (square)
            square_ = false;
        ConstantHigh();
        return true;
    }
    const double elapsed = Elapsed(now);
    const double whole = std::trunc(elapsed);
    const double frac = elapsed - whole;
    const i64 wholePeriods = whole < 1 ? 0 : whole < 9.0e18 ? static_cast<i64>(whole) : INT64_MAX;
    if (wholePeriods > periodsCounted_) {
        const i64 ended = wholePeriods - periodsCounted_;
        *periods = ended > 0xFFFF ? 0xFFFF : static_cast<u32>(ended);
        periodsCounted_ = wholePeriods;
        MoveOrigin(now, wholePeriods);
    }
    const double value = std::ceil((1 - frac) * cru_);
    if (value < 1) {
        *count = 1;
        return false;
    }
    *count = CountLeft(value);
    // Mode 3 reads N down to 1 once per period, high for the first part of it.
    return square ? firstHigh_ >= frac : value != 1;
}

void PitChannel::MoveOrigin(u64 now, i64 ended)
{
    if (ended < 2 || inputClock_ == 0)
        return;
    // q periods of n input clocks last units * n / g time units, g = gcd(units * n, clock):
    // a whole number. The period the counter holds is that quotient unless a state gave
    // it another; then the start moves, to the unit below, only once a double would blur
    // the time since.
    const u64 clocks = u64{unitsPerSecond_} * cru_;
    const u64 g = std::gcd(clocks, u64{inputClock_});
    if (clocks != 0 && static_cast<double>(clocks / g) / static_cast<double>(inputClock_ / g) == period_) {
        const i64 q = static_cast<i64>(inputClock_ / g);
        const i64 rounds = ended / q - 1;
        if (rounds > 0) {
            startTime_ += static_cast<u64>(rounds) * (clocks / g);
            periodsCounted_ -= rounds * q;
        }
    } else if (Since(now) >= 0x1p52) {
        startTime_ += static_cast<u64>(std::floor(static_cast<double>(ended - 1) * period_));
        periodsCounted_ -= ended - 1;
    }
}

bool PitChannel::CountStrobe(u64 now, u16* count, bool hardware)
{
    if (!hardware && !gate_) {
        *count = ce_;
        ConstantAtOut();
        return out_;
    }
    const bool trigger = hardware ? (!gateTaken_ && gate_) : (status_ & kNullCount) != 0;
    if (trigger) {
        const u16 n = cr_;
        Load(n, now, true);
        const double n1 = static_cast<double>(n) + 1;
        SetWave(1 - 1 / n1, 1 / n1, -1, 0, true);
        if (hardware)
            gateTaken_ = true;
    }
    if (period_ <= 0) {
        *count = 0;
        ConstantHigh();
        return true;
    }
    const double value = std::ceil((1 - Elapsed(now)) * cru_);
    if (value >= 0) {
        *count = CountLeft(value);
        return value != 0;
    }
    *count = 0;
    period_ = 0;
    return true;
}

// --- control words, counts and reads ---

void PitChannel::LatchCount()
{
    ol_ = (zeroCount_ && ce_ == 0xFFFF) ? 0 : ce_;
    latched_ = true;
}

u8 PitChannel::GetStatusByte()
{
    // The null-count bit is part of the status and stays what it was.
    status_ = static_cast<u8>((cw_ & 0x3F) | (status_ & kNullCount) | (out_ ? 0x80 : 0));
    return status_;
}

bool PitChannel::WriteMode(u8 control)
{
    Update();
    const i32 channel = index_;
    const u32 value = control;
    if ((control & 0xC0) == 0xC0) {
        if (TraceReport::ReportWrite(this, trace_[kWriteMode], break_[kWriteMode], 0,
                                     "=>MODE[%ld] = %.2lXh (latch counter or state)", channel, value))
            return false;
        if (!latched_) {
            Update();
            if (!(control & 0x20)) {
                LatchCount();
                readState_ = (cw_ >> 4) & 3;
            } else {
                readState_ = 0;
            }
            if (!(control & 0x10)) {
                latchedStatus_ = GetStatusByte();
                readState_ |= 4;
                latched_ = true;
            }
        }
        return false;
    }
    if ((control & 0x30) == 0) {
        if (TraceReport::ReportWrite(this, trace_[kWriteMode], break_[kWriteMode], 0,
                                     "=>MODE[%ld] = %.2lXh (latch counter)", channel, value))
            return false;
        if (!latched_) {
            Update();
            LatchCount();
            readState_ = (cw_ >> 4) & 3;
        }
        return false;
    }
    const i32 mode = (control >> 1) & 7;
    if (TraceReport::ReportWrite(this, trace_[kWriteMode] | traceModes_[mode],
                                 break_[kWriteMode] | breakModes_[mode], 0,
                                 "=>MODE[%ld] = %.2lXh (set mode %ld \"%s\")", channel, value, mode, kModeNames[mode]))
        return true;
    cw_ = control;
    cru_ = ce_ = cr_ = 0;
    status_ |= kNullCount;
    zeroCount_ = latched_ = false;
    writeState_ = readState_ = 0;
    startTime_ = Now();
    period_ = 0;
    gateTaken_ = gate_;
    periodsCounted_ = 0;
    noCount_ = true;
    square_ = false;
    function_ = FunctionOf(control);
    if (mode == 0)
        out_ = false;
    else if (mode != 3 && mode != 7)
        SetOut(true);
    return true;
}

void PitChannel::WriteData(u8 value)
{
    Update();
    u8 state = writeState_ ? writeState_ : static_cast<u8>((cw_ >> 4) & 3);
    const bool bcd = (cw_ & 1) != 0;
    const char* text = "unknown";
    u16 raw = 0;
    bool complete = false;
    switch (state) {
    case 1:
        raw = value;
        text = "counter value=LSB, MSB=0";
        complete = true;
        break;
    case 2:
        raw = static_cast<u16>(value << 8);
        text = "counter value=MSB, LSB=0";
        complete = true;
        break;
    case 3:
        if (TraceReport::ReportWrite(this, trace_[kWriteData], break_[kWriteData], 0, "=>DATA[%ld] = %.2lXh (%s)",
                                     index_, static_cast<u32>(value), "counter value LSB, need MSB"))
            return;
        firstByte_ = value;
        writeState_ = 4;
        return;
    case 4:
        raw = static_cast<u16>((value << 8) | firstByte_);
        text = "counter value=MSB and previous LSB";
        complete = true;
        break;
    default:
        break;
    }
    // A count of 0 counts the full range: 10000 in BCD; in binary it stands as 0xFFFF.
    u16 count = cr_;
    bool zero = zeroCount_;
    if (complete) {
        zero = !bcd && raw == 0;
        count = bcd ? (raw == 0 ? 10000 : FromBcd(raw)) : (raw == 0 ? 0xFFFF : raw);
    }
    if (TraceReport::ReportWrite(this, trace_[kWriteData], break_[kWriteData], 0,
                                 "=>DATA[%ld] = %.2lXh (%s, CR=CE=%ld)", index_, static_cast<u32>(value), text,
                                 static_cast<i32>(count)))
        return;
    if (complete) {
        cr_ = count;
        zeroCount_ = zero;
        status_ |= kNullCount;
        noCount_ = false;
    }
    writeState_ = 0;
    ce_ = cr_;
    // The count is taken from this moment (modes 0 and 4), not at whichever access or
    // bus tick comes next.
    if (complete)
        Update();
}

u16 PitChannel::Readable(u16 value) const
{
    return (cw_ & 1) ? ToBcd(value) : value;
}

u8 PitChannel::ReadData(bool peek)
{
    const u8 trace = trace_[kReadData];
    const u8 brk = break_[kReadData];
    const u8 quiet = peek ? 1 : 0;
    const i32 channel = index_;
    if (latched_) {
        const u16 latch = Readable(ol_);
        u8 answer = 0;
        const char* format = "<=DATA[%ld] = %ld (unknown, stop latch)";
        u8 next = 0;
        bool keep = false;   // the latch stays after this read
        if (readState_ & 4) {
            answer = latchedStatus_;
            next = readState_ & 3;
            keep = next != 0;
            format = keep ? "<=DATA[%ld] = %ld (latch state, continue latch)"
                          : "<=DATA[%ld] = %ld (latch state, stop latch)";
        } else if (readState_ == 1) {
            answer = static_cast<u8>(latch);
            format = "<=DATA[%ld] = %ld (latched data LSB, stop latch)";
        } else if (readState_ == 2) {
            answer = static_cast<u8>(latch >> 8);
            format = "<=DATA[%ld] = %ld (latched data MSB, stop latch)";
        } else if (readState_ == 3) {
            answer = static_cast<u8>(latch);
            format = "<=DATA[%ld] = %ld (latched data LSB, need MSB)";
            next = 2;
            keep = true;
        }
        const bool broke = TraceReport::ReportRead(this, trace, brk, quiet, format, channel, static_cast<i32>(answer));
        if (!peek && !broke) {
            Update();
            readState_ = next;
            latched_ = keep;
        }
        return answer;
    }
    const u8 state = readState_ ? readState_ : static_cast<u8>((cw_ >> 4) & 3);
    if (!peek)
        Update();
    const u16 value = Readable((zeroCount_ && ce_ == 0xFFFF) ? 0 : ce_);
    u8 answer = 0;
    u8 next = 0;
    switch (state) {
    case 1:
        answer = static_cast<u8>(value);
        TraceReport::ReportRead(this, trace, brk, quiet, "<=DATA[%ld] = %ld (counter value LSB)", channel,
                                static_cast<i32>(answer));
        break;
    case 3:
        answer = static_cast<u8>(value);
        TraceReport::ReportRead(this, trace, brk, quiet, "<=DATA[%ld] = %ld (counter value LSB, need MSB)", channel,
                                static_cast<i32>(answer));
        next = 2;
        break;
    case 2:
        answer = static_cast<u8>(value >> 8);
        TraceReport::ReportRead(this, trace, brk, quiet, "<=DATA[%ld] = %ld (counter value MSB)", channel,
                                static_cast<i32>(answer));
        break;
    default:
        if (TraceReport::ReportRead(this, trace, brk, quiet, "<=DATA[%ld] = %ld (unknown)", channel, 0) || peek)
            return 0;
        Update();
        readState_ = 0;
        return 0;
    }
    if (!peek)
        readState_ = next;
    return answer;
}

// --- gate and output ---

void PitChannel::SetGate(bool level)
{
    Update();
    if (level == gate_)
        return;
    gateTaken_ = gate_;
    gate_ = level;
    const i32 mode = GetMode();
    if (!level && (mode == 2 || mode == 6)) {
        cru_ = 0;
        SetOut(true);
    }
    // A rising gate triggers modes 1 and 5 at the edge itself.
    Update();
}

void PitChannel::SetOutputEnabled(bool enable)
{
    if (enable == outputEnabled_)
        return;
    if (TraceReport::ReportWrite(this, enable ? trace_[kEnableSound] : trace_[kDisableSound],
                                 enable ? break_[kEnableSound] : break_[kDisableSound], 0, "=>SOUND[%ld] = %s", index_,
                                 enable ? "Enabled" : "Disabled"))
        return;
    Update();
    outputEnabled_ = enable;
}
