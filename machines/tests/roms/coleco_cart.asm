; Test cartridge for the machine tests. It sets up the VDP in Graphics I mode, draws a
; pattern of four characters with one sprite over it, plays a 440 Hz tone on the PSG's
; channel 0, turns the frame interrupt on, and then, once per frame, wakes from HALT,
; reads both controllers in both modes and counts frames; the NMI handler counts NMIs.
; It also writes RAM through a mirror and tries to write ROM, for the tests to check.
;
; Results in RAM:
;   0x6000 word  NMIs taken
;   0x6002 word  frames seen by the main loop
;   0x6004 byte  controller 1, keypad mode
;   0x6005 byte  controller 1, joystick mode
;   0x6006 byte  controller 2
;   0x6007 byte  VDP status read by the NMI handler
;   0x6011 byte  0x6010 read back through 0x7C10

VDP_DATA    equ 0xBE
VDP_CTRL    equ 0xBF
PSG         equ 0xFF
PAD1        equ 0xFC
PAD2        equ 0xFF
KEYPAD_MODE equ 0x80
JOY_MODE    equ 0xC0

NMI_COUNT   equ 0x6000
FRAME_COUNT equ 0x6002
KEYPAD1     equ 0x6004
JOY1        equ 0x6005
PAD2_BYTE   equ 0x6006
VDP_STATUS  equ 0x6007

        include "tms9918_setup.inc"

        org 0x8000
        defb 0x55, 0xAA         ; start at once, no title screen
        defw 0, 0, 0, 0         ; sprite, order, work and controller tables: unused
        defw main               ; 0x800A: start address

        org 0x8021
        jp nmi

main:
        ld sp, 0x6400
        ld hl, 0
        ld (NMI_COUNT), hl
        ld (FRAME_COUNT), hl

        ld hl, vdp_registers    ; display on, frame interrupt still off
        vdp_load_and_clear

        ld hl, patterns         ; characters 0-3 at 0x0000
        ld de, 0x0000
        ld bc, 32
        call copy_to_vram

        ld de, 0x2000           ; colour table: white on dark blue everywhere
        call set_write_address
        ld b, 32
colours:
        ld a, 0xF4
        out (VDP_DATA), a
        djnz colours

        ld de, 0x1800           ; name table: (row + column) & 3, a diagonal pattern
        call set_write_address
        ld d, 0
        ld b, 24
name_rows:
        push bc
        ld c, d
        ld b, 32
name_columns:
        ld a, c
        and 3
        out (VDP_DATA), a
        inc c
        djnz name_columns
        inc d
        pop bc
        djnz name_rows

        ld hl, sprite_pattern   ; sprite pattern 0 at 0x3800: an 8 x 8 block
        ld de, 0x3800
        ld bc, 8
        call copy_to_vram
        ld hl, sprite_attributes
        ld de, 0x1B00
        ld bc, 5
        call copy_to_vram

        ld a, 0x8E              ; channel 0 tone 0x0FE: 3579545 / (32 * 254) = 440 Hz
        out (PSG), a
        ld a, 0x0F
        out (PSG), a
        ld a, 0x90              ; channel 0 at full volume
        out (PSG), a
        ld a, 0xBF              ; channels 1, 2 and noise off
        out (PSG), a
        ld a, 0xDF
        out (PSG), a
        ld a, 0xFF
        out (PSG), a

        ld a, 0x5A              ; RAM through its mirrors
        ld (0x6010), a
        ld a, (0x7C10)
        ld (0x6011), a
        ld a, 0xA5              ; ROM and the empty area ignore writes
        ld (0x0000), a
        ld (0x4000), a
        ld (0x8000), a
        ld (0xFC00), a

        ld a, 0xE0              ; frame interrupt on
        out (VDP_CTRL), a
        ld a, 0x81
        out (VDP_CTRL), a

main_loop:
        halt
        ld hl, (FRAME_COUNT)
        inc hl
        ld (FRAME_COUNT), hl
        out (KEYPAD_MODE), a
        in a, (PAD1)
        ld (KEYPAD1), a
        out (JOY_MODE), a
        in a, (PAD1)
        ld (JOY1), a
        in a, (PAD2)
        ld (PAD2_BYTE), a
        jr main_loop

nmi:
        push af
        push hl
        in a, (VDP_CTRL)
        ld (VDP_STATUS), a
        ld hl, (NMI_COUNT)
        inc hl
        ld (NMI_COUNT), hl
        pop hl
        pop af
        retn

; DE: video memory address to write from.
        vdp_write_address_routine

; HL: source, DE: video memory address, BC: byte count.
copy_to_vram:
        call set_write_address
copy_loop:
        ld a, (hl)
        out (VDP_DATA), a
        inc hl
        dec bc
        ld a, b
        or c
        jr nz, copy_loop
        ret

vdp_registers:
        defb 0x00               ; R0: Graphics I
        defb 0xC0               ; R1: 16 KB, display on
        defb 0x06               ; R2: names at 0x1800
        defb 0x80               ; R3: colours at 0x2000
        defb 0x00               ; R4: patterns at 0x0000
        defb 0x36               ; R5: sprite attributes at 0x1B00
        defb 0x07               ; R6: sprite patterns at 0x3800
        defb 0x04               ; R7: backdrop dark blue

patterns:
        defb 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00     ; 0 blank
        defb 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55     ; 1 checks
        defb 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF     ; 2 solid
        defb 0xFF, 0x81, 0x81, 0x81, 0x81, 0x81, 0x81, 0xFF     ; 3 frame

sprite_pattern:
        defb 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF

sprite_attributes:
        defb 79, 100, 0, 0x08   ; drawn from line 80, column 100, pattern 0, red
        defb 0xD0               ; end of the sprite list
