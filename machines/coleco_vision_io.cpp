// ColecoVision: the I/O map, the frame interrupt as NMI, and the controller bytes.
#include "machines/coleco_vision.h"

#include "cpu/clock_interface.h"
#include "emu/keyboard_service.h"
#include "emu/trace_report.h"
#include "sound/sn76489.h"
#include "video/tms9918.h"

namespace {

// A host key and the mask it ANDs into a controller byte while it is down.
struct ControllerKey {
    u8 key;   // the system's key code
    u8 mask;  // the byte's lines that the key pulls low
};

// Keypad: the low nibble is the key's code on the controller's four data lines (two keys
// held together AND their codes, as the real matrix does); bit 6 is the right button.
constexpr ControllerKey kKeypadKeys[] = {
    {0x30, 0x7A}, {0x31, 0x7D}, {0x32, 0x77}, {0x33, 0x7C}, {0x34, 0x72},  // digits 0-4
    {0x35, 0x73}, {0x36, 0x7E}, {0x37, 0x75}, {0x38, 0x71}, {0x39, 0x7B},  // digits 5-9
    {0x6A, 0x79}, {0xE6, 0x79},                                            // "*": numpad *, "-"
    {0x0D, 0x76}, {0x6C, 0x76}, {0xE7, 0x76},                              // "#": Enter, numpad Enter, "="
    {0xE4, 0xBF}, {0xE5, 0xBF}, {0x20, 0xBF}, {0x53, 0xBF}, {0x42, 0xBF},  // right fire: Alt, Space, S, B
};

// Joystick: one line per direction, bit 6 the left button.
constexpr ControllerKey kJoystickKeys[] = {
    {0x26, 0xFE}, {0x27, 0xFD}, {0x28, 0xFB}, {0x25, 0xF7},  // up, right, down, left (cursor keys)
    {0xE2, 0xBF}, {0xE3, 0xBF}, {0x41, 0xBF},                // left fire: Ctrl, A
    {0xE0, 0xDF}, {0xE1, 0xDF},                              // bit 5: Shift
};

template <size_t N>
u32 BuildByte(const KeyboardService& keyboard, const ControllerKey (&keys)[N])
{
    u32 value = ColecoVisionMachine::kReleased;
    for (const ControllerKey& k : keys) {
        if (keyboard.IsKeyDown(k.key))
            value &= k.mask;
    }
    return value;
}

inline ColecoVisionMachine* Machine(void* context)
{
    return static_cast<ColecoVisionMachine*>(context);
}

} // namespace

bool ColecoVisionMachine::WriteModePort(void* context, u32 port, i32 size, const u8* buffer)
{
    (void)buffer;
    if (size != 1)
        return false;
    // A5-A7 pick the function: 100 keypad, 110 joystick.
    switch ((port >> 5) & 7) {
    case 4: Machine(context)->joystickMode_ = 0; return true;
    case 6: Machine(context)->joystickMode_ = 1; return true;
    default: return false;
    }
}

bool ColecoVisionMachine::WriteVdpPort(void* context, u32 port, i32 size, const u8* buffer)
{
    Tms9918Vdp* vdp = Machine(context)->vdp_;
    if (size != 1 || !vdp)
        return false;
    if (port & 1)
        vdp->WriteControlTraced(*buffer);
    else
        vdp->WriteDataFast(*buffer);
    return true;
}

bool ColecoVisionMachine::ReadVdpPort(void* context, u32 port, i32 size, u8* buffer, bool peek)
{
    Tms9918Vdp* vdp = Machine(context)->vdp_;
    if (size != 1 || !vdp)
        return false;
    *buffer = (port & 1) ? vdp->ReadStatusTraced(peek) : vdp->ReadDataFast(peek);
    return true;
}

bool ColecoVisionMachine::WritePsgPort(void* context, u32 port, i32 size, const u8* buffer)
{
    (void)port;
    Sn76489Psg* psg = Machine(context)->psg_;
    if (size != 1 || !psg)
        return false;
    psg->Write(*buffer);
    return true;
}

bool ColecoVisionMachine::ReadControllerPort(void* context, u32 port, i32 size, u8* buffer, bool peek)
{
    if (size != 1 || (port & 0xFF) < 0xE0)
        return false;
    ColecoVisionMachine* self = Machine(context);
    // Controller 2 is not connected.
    if (port & 2) {
        *buffer = kReleased;
        return true;
    }
    // A break asked for here is the debugger's business: the byte is delivered anyway.
    if (self->joystickMode_) {
        *buffer = static_cast<u8>(self->joystickByte_);
        TraceReport::ReportReadWrite(self, self->traceReadJoystick_, self->breakReadJoystick_, peek ? 1 : 0,
                                     "<=JOYSTICK = %.2lXh", static_cast<u32>(*buffer));
    } else {
        *buffer = static_cast<u8>(self->keypadByte_);
        TraceReport::ReportReadWrite(self, self->traceReadKeypad_, self->breakReadKeypad_, peek ? 1 : 0,
                                     "<=KEYPAD = %.2lXh", static_cast<u32>(*buffer));
    }
    return true;
}

bool ColecoVisionMachine::OnInterruptSet(void* context, u32 line, u8 state)
{
    (void)line;
    // The VDP's interrupt output drives the Z80's NMI input, which is edge-triggered: a
    // level that stays up (the status never read) gives no second NMI.
    ColecoVisionMachine* self = Machine(context);
    const bool level = state != 0;
    const bool rising = level && !self->nmiLevel_;
    self->nmiLevel_ = level;
    if (rising) {
        if (ClockInterface* cpu = self->GetMainCpu())
            cpu->SetNmiPending(true);
    }
    return true;
}

i32 ColecoVisionMachine::OnKeyChange(void* context, i32 key, u8 down)
{
    (void)key;
    (void)down;
    Machine(context)->UpdateControllers();
    return 1;
}

void ColecoVisionMachine::UpdateControllers()
{
    if (!keyboard_)
        return;
    keypadByte_ = BuildByte(*keyboard_, kKeypadKeys);
    joystickByte_ = BuildByte(*keyboard_, kJoystickKeys);
}
