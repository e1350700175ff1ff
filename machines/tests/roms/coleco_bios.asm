; A stand-in for the console's BIOS, written for the machine tests: it follows just the
; conventions a cartridge relies on. Reset starts the cartridge at the address stored at
; 0x800A when the cartridge begins with 0xAA 0x55 or 0x55 0xAA, else it halts; the NMI
; goes to the cartridge's vector at 0x8021. The image is exactly 8 KB.

        org 0x0000
reset:
        di
        ld sp, 0x7400           ; the stack's first push lands in the last mirror of RAM
        ld hl, (0x8000)
        ld de, 0xAA55           ; bytes 0x55, 0xAA
        or a
        sbc hl, de
        jr z, run_cartridge
        ld hl, (0x8000)
        ld de, 0x55AA           ; bytes 0xAA, 0x55
        or a
        sbc hl, de
        jr z, run_cartridge
no_cartridge:
        halt
        jr no_cartridge
run_cartridge:
        ld hl, (0x800A)
        jp (hl)

        org 0x0066
nmi:
        jp 0x8021

; The bytes around the title-screen delay that the machine's fast-start option looks for.
        org 0x1969
        defb 0x00, 0x42, 0x11

        org 0x1FFF
        defb 0xC9               ; last byte: the image fills the whole 8 KB
