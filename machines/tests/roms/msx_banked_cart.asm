; Banked test cartridge for the MSX state tests: 32 KB in four 8 KB banks behind the
; ASCII 8 KB mapper (bank registers at 0x6000, 0x6800, 0x7000 and 0x7800 for the windows
; 0x4000, 0x6000, 0x8000 and 0xA000). Bank n begins with the bytes n and n * 16 (bank 0
; with its "AB" header). The cartridge plays a tone on the PSG's channel A and then
; switches the two upper windows (page 2 put in its own slot first) without end, adding what it finds there to a sum, so a
; state saved at any moment catches it in the middle of its bank switching.
;
; Results in RAM:
;   0xE010 word  sum of the bytes read through the switched windows
;   0xE012 word  rounds of the loop
;   0xE014 byte  bank last put at 0x8000

SLOT_SELECT equ 0xA8
PSG_INDEX   equ 0xA0
PSG_WRITE   equ 0xA1
BANK_8000   equ 0x7000
BANK_A000   equ 0x7800

SUM         equ 0xE010
ROUNDS      equ 0xE012
LAST        equ 0xE014

        org 0x4000
        defb "AB"
        defw init               ; INIT
        defw 0, 0, 0            ; STATEMENT, DEVICE, TEXT
        defs 6

init:
        ld sp, 0xE800
        in a, (SLOT_SELECT)     ; page 2 from the cartridge's slot too (page 1's)
        ld b, a
        and 0x0C
        add a, a
        add a, a
        ld c, a
        ld a, b
        and 0xCF
        or c
        out (SLOT_SELECT), a
        ld hl, 0
        ld (SUM), hl
        ld (ROUNDS), hl
        ld a, 0                 ; channel A: period 0x0FE, about 440 Hz
        out (PSG_INDEX), a
        ld a, 0xFE
        out (PSG_WRITE), a
        ld a, 1
        out (PSG_INDEX), a
        ld a, 0
        out (PSG_WRITE), a
        ld a, 7                 ; tone A only
        out (PSG_INDEX), a
        ld a, 0xBE
        out (PSG_WRITE), a
        ld a, 8                 ; channel A at full volume
        out (PSG_INDEX), a
        ld a, 15
        out (PSG_WRITE), a
        ei

switch:
        ld a, (ROUNDS)
        and 3
        ld (BANK_8000), a
        ld (LAST), a
        ld b, a
        ld a, (0x8000)          ; the bank's number
        ld e, a
        ld d, 0
        ld hl, (SUM)
        add hl, de
        ld a, b
        xor 3
        ld (BANK_A000), a
        ld a, (0xA001)          ; the bank's number times 16
        ld e, a
        add hl, de
        ld (SUM), hl
        ld hl, (ROUNDS)
        inc hl
        ld (ROUNDS), hl
        jr switch

        defs 0x6000 - $
        defb 1, 0x10            ; bank 1
        defs 0x8000 - $
        defb 2, 0x20            ; bank 2
        defs 0xA000 - $
        defb 3, 0x30            ; bank 3
        defs 0xC000 - $
