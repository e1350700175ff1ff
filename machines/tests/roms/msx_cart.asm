; Test cartridge for the MSX tests, started by the BIOS through its "AB" header. It
; takes over the screen in Graphics I mode (the top eight pixel rows white, the rest dark
; blue), plays a 440 Hz tone on the PSG's channel A, hooks the BIOS's frame interrupt to
; count frames, and then once per frame reads keyboard row 8 (Space is bit 0).
;
; Results in RAM (page 3, always RAM once the BIOS runs a cartridge):
;   0xE000 byte  0x5A once the cartridge has started
;   0xE001 byte  keyboard row 8 as last read (0xFF nothing pressed)
;   0xE002 word  frames counted by the hook
;   0xE004 byte  the primary slot register as the cartridge found it
;   0xE005 byte  PSG register 14 (joystick port A) read back at 0xA2

VDP_DATA    equ 0x98
VDP_CTRL    equ 0x99
PSG_INDEX   equ 0xA0
PSG_WRITE   equ 0xA1
PSG_READ    equ 0xA2
SLOT_SELECT equ 0xA8
KEY_ROW     equ 0xA9
PORT_C      equ 0xAA

H_TIMI      equ 0xFD9F          ; the BIOS calls it from its frame interrupt

STARTED     equ 0xE000
ROW8        equ 0xE001
FRAMES      equ 0xE002
PSLOT       equ 0xE004
JOYSTICK    equ 0xE005

        include "tms9918_setup.inc"

        org 0x4000
        defb "AB"
        defw init               ; INIT
        defw 0, 0, 0            ; STATEMENT, DEVICE, TEXT
        defs 6

init:
        di
        ld sp, 0xE800
        in a, (SLOT_SELECT)
        ld (PSLOT), a
        ld hl, 0
        ld (FRAMES), hl
        ld a, 0xFF
        ld (ROW8), a

        ld hl, vdp_registers    ; Graphics I, display on, frame interrupt on
        vdp_load_and_clear

        ld de, 0x0008           ; pattern 1: solid
        call set_write_address
        ld b, 8
solid:
        ld a, 0xFF
        out (VDP_DATA), a
        djnz solid

        ld de, 0x2000           ; colours of patterns 0-7: white on dark blue
        call set_write_address
        ld a, 0xF4
        out (VDP_DATA), a

        ld de, 0x1800           ; name table, top row: pattern 1
        call set_write_address
        ld b, 32
top_row:
        ld a, 1
        out (VDP_DATA), a
        djnz top_row

        ld de, 0x1B00           ; sprite attributes: none
        call set_write_address
        ld a, 0xD0
        out (VDP_DATA), a

        ld hl, psg_registers    ; 440 Hz on channel A (the PSG's 1789773 Hz / 16 / 254)
        ld b, 6
set_psg:
        ld a, (hl)
        out (PSG_INDEX), a
        inc hl
        ld a, (hl)
        out (PSG_WRITE), a
        inc hl
        djnz set_psg

        ld a, 14                ; port A is in input mode: the joystick port
        out (PSG_INDEX), a
        in a, (PSG_READ)
        ld (JOYSTICK), a

        ld a, 0xC3              ; jp frame_hook from the BIOS's interrupt
        ld (H_TIMI), a
        ld hl, frame_hook
        ld (H_TIMI + 1), hl

        ld a, 0x5A
        ld (STARTED), a
        im 1
main_loop:
        ei
        halt
        di                      ; the BIOS's own keyboard scan must not move the row
        in a, (PORT_C)
        and 0xF0
        or 8
        out (PORT_C), a
        in a, (KEY_ROW)
        ld (ROW8), a
        jr main_loop

frame_hook:
        ld hl, (FRAMES)
        inc hl
        ld (FRAMES), hl
        ret

        vdp_write_address_routine

vdp_registers:
        defb 0x00, 0xE0, 0x06, 0x80, 0x00, 0x36, 0x07, 0x04

psg_registers:
        defb 0, 0xFE            ; channel A period 254
        defb 1, 0x00
        defb 7, 0xBE            ; tone A only; port A input, port B output
        defb 8, 0x0F            ; channel A loudest
        defb 9, 0x00
        defb 10, 0x00

        defs 0x6000 - $, 0xFF   ; a 8 KB image
