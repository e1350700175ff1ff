; Busy cartridge for the whole-machine benchmark (busy_program.inc), started by the BIOS
; through its "AB" header: the Z80 never halts, the BIOS's frame interrupt calls the
; sprite mover through its hook, and the PSG plays a steady 440 Hz tone on channel A
; while B and C are silent.

VDP_DATA      equ 0x98
VDP_CTRL      equ 0x99
PSG_INDEX     equ 0xA0
PSG_WRITE     equ 0xA1
H_TIMI        equ 0xFD9F        ; the BIOS calls it from its frame interrupt
BUSY_RAM      equ 0xC000        ; 8 KB of page 3's RAM, below the stack
BUSY_RAM_SIZE equ 0x2000
BUSY_VARS     equ 0xC000

        include "tms9918_setup.inc"

        org 0x4000
        defb "AB"
        defw init               ; INIT
        defw 0, 0, 0            ; STATEMENT, DEVICE, TEXT
        defs 6

init:
        di
        ld sp, 0xE800
        ld hl, vdp_registers
        call busy_setup_screen

        ld hl, psg_registers
        ld b, 6
set_psg:
        ld a, (hl)
        out (PSG_INDEX), a
        inc hl
        ld a, (hl)
        out (PSG_WRITE), a
        inc hl
        djnz set_psg

        ld a, 0xC3              ; jp busy_frame from the BIOS's interrupt
        ld (H_TIMI), a
        ld hl, busy_frame
        ld (H_TIMI + 1), hl
        im 1
        ei
        jp busy_work

vdp_registers:
        defb 0x00, 0xE2, 0x06, 0x80, 0x00, 0x36, 0x07, 0x04

psg_registers:
        defb 0, 0xFE            ; channel A period 254: 440 Hz
        defb 1, 0x00
        defb 7, 0xBE            ; tone A only; port A input, port B output
        defb 8, 0x0F            ; channel A loudest
        defb 9, 0x00
        defb 10, 0x00

        include "busy_program.inc"

        defs 0x6000 - $, 0xFF   ; a 8 KB image
