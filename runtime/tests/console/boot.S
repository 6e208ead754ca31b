/* The cartridge's boot code, in place of the one a game's cartridge holds. The console's start-up
   copies it from the cartridge's bytes 0x40 to 0x1000 into the RSP's data memory and runs it
   there, at 0xA4000040. It marks every line of both caches invalid, copies the megabyte after it
   on the cartridge to the entry point that the cartridge's header names, and jumps there. (A
   game's boot code also sets up RDRAM, which the emulator needs no help with.) */
        .set noreorder
        .set noat

/* Writes TagLo's invalid tag into every line of one cache: `op` is its Index_Store_Tag, `size`
   its bytes and `line` a line's. */
        .macro  invalidate op, size, line
        lui     $t0, 0x8000
        ori     $t1, $t0, \size
1:      cache   \op, 0($t0)
        addiu   $t0, $t0, \line
        bne     $t0, $t1, 1b
        nop
        .endm

        .text
        .globl boot
boot:
        mtc0    $zero, $28              /* TagLo: a line that is not valid */
        mtc0    $zero, $29              /* TagHi */
        invalidate 8, 0x4000, 32        /* the instruction cache: 16 KiB of 32-byte lines */
        invalidate 9, 0x2000, 16        /* the data cache: 8 KiB of 16-byte lines */

        lui     $t0, 0xB000             /* the cartridge, uncached */
        lw      $t2, 8($t0)             /* the header's entry point, in KSEG0 */
        ori     $t0, $t0, 0x1000        /* the program follows the boot code */
        lui     $t3, 0x2000
        or      $t1, $t2, $t3           /* written through KSEG1, past the cache */
        lui     $t4, 0x0010
        addu    $t4, $t1, $t4           /* one megabyte */
3:      lw      $t5, 0($t0)
        addiu   $t0, $t0, 4
        sw      $t5, 0($t1)
        addiu   $t1, $t1, 4
        bne     $t1, $t4, 3b
        nop
        jr      $t2
        nop
