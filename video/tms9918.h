// TMS9918 video display processor.
//
// 16 KB of video memory behind a one-byte port window, eight write-only registers, a
// status register and a vertical-blank interrupt; 256 x 192 pixels in four screen modes
// with 32 sprites, at most four of them on a line.
//
// Ports (AttachPorts; the MSX machine passes 0x98, 0x99, 0x99):
//   data     read/write  through a one-byte read-ahead buffer: a read answers the buffer
//                        and refills it from the address; a write stores at the address
//                        and leaves the written byte in the buffer; either advances the
//                        address (14 bits, wraps)
//   control  write       two bytes: first the low address byte or register value, then
//                          10rrr...  register r (low 3 bits) = first byte
//                          01hhhhhh  address = hhhhhh:first byte (write set-up)
//                          00hhhhhh  the same, then the buffer is filled from the address,
//                                    which advances (read set-up)
//                        a data access in between drops a waiting first byte
//   status   read        bit 7 VBLANK, bit 6 fifth sprite, bit 5 collision, bits 0-4 the
//                        fifth sprite's number (or the last sprite looked at); a read
//                        clears bits 7, 6 and 5 and drops a waiting first control byte
//                        (a peek changes nothing)
// ColecoVision wires the same operations through its own handlers: WriteDataFast,
// ReadDataFast, WriteControlTraced, ReadStatusTraced.
//
// Registers:
//   R0  bit 1 M3                       R4  pattern table (Graphics II: bit 2 base, bits
//   R1  bit 7 16K, 6 display enable,        0-1 mask of the screen thirds)
//       5 interrupt enable, 4 M1,      R5  sprite attribute table (x 0x80)
//       3 M2, 1 16x16 sprites,         R6  sprite pattern table (x 0x800)
//       0 magnified sprites            R7  text colour (high nibble), backdrop (low)
//   R2  name table (x 0x400)
//   R3  colour table (x 0x40; Graphics II: bit 7 base, bits 0-6 mask)
//
// Screen modes (M1 = 1, M3 = 2, M2 = 4): 0 Graphics I, 1 Text (40 x 6-pixel characters
// centred in the line, backdrop margins), 2 Graphics II, 4 Multicolor; the mixed modes
// draw nothing. Sprites show in modes 0, 2 and 4.
//
// Sprites: a Y byte of Y puts the sprite's first row on line Y + 1 (Y = 255 starts at
// line 0; one that runs past line 255 comes in again at the top); 16 x 16 patterns take
// the name with its low two bits cleared. Collision (status bit 5) is two of the four
// sprites shown on a line having a set pattern bit on the same visible pixel, whatever
// their colours (colour 0 sprites collide unseen).
//
// Timing: the frame timer renders whole frames at 50 per second; the vertical blank
// (status bit 7) comes at the last visible line of every frame, whatever display is
// attached. Sprite status is worked out for every visible line, drawn or not. Not
// emulated: the per-access timing of the memory port, the mixed screen modes, the
// external video input.
//
// Interrupt: the INT output is a level, high while status bit 7 and R1 bit 5 are both
// set. The chip sets its "IRQ" line to 1 and back to 0 at each change: the vertical blank
// with the enable set, or the enable set while bit 7 is, raises it; a status read or
// clearing the enable drops it. A machine that takes it as a level (a maskable interrupt
// acknowledged by the status read) answers pending while it is high; one that wires it to
// an edge-triggered input (an NMI) acts on the rise alone.
//
// Wiring: the machine adds the chip, calls AttachPorts (or calls the direct entry points
// from its own port handlers) and binds the chip's interrupt output with ConnectIrq.
//
// State (after "_VIDP" and "_VIDD"): "SBSZ" 16384-byte blob video memory, "MADR" u16
// address, "REG0".."REG7" u8 registers, "STS" u8 status, "WRF" bool first byte waiting,
// "WRB" u8 that byte, "RAB" u8 the read-ahead buffer.
#pragma once

#include <memory>

#include "base/types.h"
#include "video/video_processor.h"

class Tms9918Vdp : public VideoProcessor {
public:
    static constexpr i32 kMemorySize = 0x4000;
    static constexpr u32 kAddressMask = 0x3FFF;
    static constexpr i32 kWidth = 256;
    static constexpr i32 kHeight = 192;
    static constexpr i32 kFramesPerSecond = 50;

    static constexpr u8 kStatusVBlank = 0x80;
    static constexpr u8 kStatusFifthSprite = 0x40;
    static constexpr u8 kStatusCollision = 0x20;
    static constexpr u8 kStatusSpriteNumber = 0x1F;
    static constexpr u32 kInterruptEnable = 0x20;   // R1 bit 5

    // 16-colour palette (ARGB) by colour code. Code 0 is transparent; its value is a key
    // that no other entry uses.
    static constexpr u32 kPalette[16] = {
        0xFF010203, 0xFF000000, 0xFF21C842, 0xFF5EDC78, 0xFF5455ED, 0xFF7A6EFC, 0xFFD4524D, 0xFF42EBF5,
        0xFFFC5554, 0xFFFF7978, 0xFFD4C154, 0xFFE6CE80, 0xFF21B03B, 0xFFC95BBA, 0xFFCCCCCC, 0xFFFFFFFF,
    };
    static const char* const kRegisterNames[8];

    Tms9918Vdp();
    ~Tms9918Vdp() override;

    // --- device (tms9918.cpp) ---
    // Trace and break switches ("TraceWriteREG[r]", "BreakWriteREG[r]", "TraceReadSTATUS",
    // "BreakReadSTATUS"), then the display processor's settings.
    bool BindSettings(Dictionary* dict, bool enabledOnly) override;
    // Registers and memory cleared, display off (R1 = 0x80), frame timer scheduled.
    bool Start(i32* rate) override;
    void Stop() override;
    // Debugger menu: trace and break switches (tms9918_menu.cpp).
    void BuildMenu(OptionItem* menu, i32 kind) override;
    // tms9918_state.cpp
    bool SaveState(Archive& archive) override;
    bool LoadState(Archive& archive, LoadContext context) override;
    // Only the chip's own timing: 256 x 192, 192 lines a frame at 50 frames a second.
    bool AcceptsGeometry(const RenderGeometry& geometry) const override;
    // The surface takes 256 x 192 with an opaque black border.
    bool PrepareFrame() override;

    // --- drawing (tms9918_render.cpp) ---
    bool RenderLine(i32 line, i32 firstColumn, i32 width, u32* row, bool redrawOnly) override;

    // --- ports (tms9918_ports.cpp) ---
    // Binds "MEM" (data read and write), "REG" (control write) and "STATE" (status read)
    // at one port each; a negative port is skipped.
    bool AttachPorts(i32 dataPort, i32 controlPort, i32 statusPort);
    void WriteDataFast(u8 value) { WriteData(value); }
    u8 ReadDataFast(bool peek) { return ReadData(peek); }
    void WriteControlTraced(u8 value) { WriteControl(value); }
    u8 ReadStatusTraced(bool peek) { return ReadStatus(peek); }

    static bool DataReadHandler(void* context, u32 port, i32 size, u8* buffer, bool peek);
    static bool DataWriteHandler(void* context, u32 port, i32 size, const u8* buffer);
    static bool ControlWriteHandler(void* context, u32 port, i32 size, const u8* buffer);
    static bool StatusReadHandler(void* context, u32 port, i32 size, u8* buffer, bool peek);

    // --- debugger and tests ---
    u8 GetRegister(i32 r) const { return static_cast<u8>(reg_[r & 7]); }
    u8 GetStatus() const { return static_cast<u8>(status_); }
    u32 GetAddress() const { return address_; }
    bool IsLatched() const { return latch_ != 0; }
    u8 GetReadAhead() const { return static_cast<u8>(readAhead_); }
    // The level on the INT output.
    bool IsInterruptAsserted() const { return irqOut_; }
    // Null before the first Start.
    const u8* GetVideoMemory() const { return vram_.get(); }
    u8* GetVideoMemory() { return vram_.get(); }
    u8& TraceWriteRegister(i32 r) { return traceWriteReg_[r & 7]; }
    u8& BreakWriteRegister(i32 r) { return breakWriteReg_[r & 7]; }
    u8& TraceReadStatus() { return traceReadStatus_; }
    u8& BreakReadStatus() { return breakReadStatus_; }

private:
    // A sprite found on the line being drawn.
    struct SpriteOnLine {
        i32 x;          // left pixel, after the early-clock shift
        u32 colour;     // colour code
        u32 pixels;     // visible pixels from x on, bit 31 leftmost (up to 32 wide)
    };
    static constexpr i32 kSpritesPerLine = 4;

    // True when two of the count sprites have a visible pixel in common.
    static bool PixelsCollide(const SpriteOnLine* found, i32 count);

    void WriteData(u8 value);
    u8 ReadData(bool peek);
    void WriteControl(u8 value);
    u8 ReadStatus(bool peek);
    // Sets the INT output from the frame flag and the enable; a change goes to the line.
    void UpdateInterrupt();
    // Video memory or a register changed: the surface draws again what it shows.
    void InvalidateSurface();

    i32 ScreenMode() const;
    u32 Colour(u32 code) const { return code ? kPalette[code] : kPalette[reg_[7] & 15]; }
    void DrawGraphics1(i32 line, u32* row) const;
    void DrawGraphics2(i32 line, u32* row) const;
    void DrawMulticolor(i32 line, u32* row) const;
    void DrawText(i32 line, u32* row) const;
    // Finds the sprites on line (at most four); with updateStatus sets the fifth-sprite
    // and collision status as the chip does. Answers how many were found.
    i32 FindSprites(i32 line, SpriteOnLine* found, bool updateStatus);
    void DrawSprites(const SpriteOnLine* found, i32 count, u32* row) const;
    i32 SpriteSize() const;
    void VerticalBlank();

    std::unique_ptr<u8[]> vram_;      // 16 KB video memory
    u32 addressMask_ = kAddressMask;
    u32 address_ = 0;                 // 14-bit video memory address
    u32 reg_[8] = {};                 // R0..R7, one byte each
    u32 status_ = 0;                  // VBLANK, fifth sprite, collision, sprite number
    bool irqOut_ = false;             // INT output: VBLANK AND R1 interrupt enable
    u8 latch_ = 0;                    // a first control byte is waiting
    u32 latchedByte_ = 0;             // that byte
    u32 readAhead_ = 0;               // byte fetched ahead for the next data read
    u8 traceWriteReg_[8] = {};
    u8 breakWriteReg_[8] = {};
    u8 traceReadStatus_ = 0;
    u8 breakReadStatus_ = 0;
};
