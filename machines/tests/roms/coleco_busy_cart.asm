; Busy cartridge for the whole-machine benchmark (busy_program.inc): the Z80 never halts,
; the NMI handler moves the sprites, and the PSG plays a steady 440 Hz tone on channel 0.

VDP_DATA      equ 0xBE
VDP_CTRL      equ 0xBF
PSG           equ 0xFF
BUSY_RAM      equ 0x6000        ; all 1 KB of RAM
BUSY_RAM_SIZE equ 0x0400
BUSY_VARS     equ 0x6000

        include "tms9918_setup.inc"

        org 0x8000
        defb 0x55, 0xAA         ; start at once, no title screen
        defw 0, 0, 0, 0
        defw main               ; 0x800A: start address

        org 0x8021
        jp nmi

main:
        ld sp, 0x6400
        ld hl, vdp_registers    ; frame interrupt still off
        call busy_setup_screen

        ld hl, psg_bytes        ; 440 Hz on channel 0, the others silent
        ld b, 6
set_psg:
        ld a, (hl)
        out (PSG), a
        inc hl
        djnz set_psg

        ld a, 0xE2              ; frame interrupt on
        out (VDP_CTRL), a
        ld a, 0x81
        out (VDP_CTRL), a
        jp busy_work

nmi:
        push af
        in a, (VDP_CTRL)
        call busy_frame
        pop af
        retn

vdp_registers:
        defb 0x00, 0xC2, 0x06, 0x80, 0x00, 0x36, 0x07, 0x04

psg_bytes:
        defb 0x8E, 0x0F         ; channel 0 tone 0x0FE
        defb 0x90               ; channel 0 at full volume
        defb 0xBF, 0xDF, 0xFF   ; channels 1, 2 and noise off

        include "busy_program.inc"
