/* Where the test program starts, at the entry point: a stack at the top of the console's 4 MiB
   of RDRAM, the zeroed data cleared, then main; should main return, it waits there. */
        .set noreorder
        .section .text.start, "ax"
        .globl _start
_start:
        lui     $sp, 0x8040
        addiu   $sp, $sp, -16
        la      $t0, __bss_start
        la      $t1, __bss_end
1:      beq     $t0, $t1, 2f
        nop
        sw      $zero, 0($t0)
        b       1b
        addiu   $t0, $t0, 4
2:      jal     main
        nop
3:      b       3b
        nop
