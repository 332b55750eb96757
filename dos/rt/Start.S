// Program entry of every DOS program built here: segments, stack, BSS, then VqStart().
//
// DOS enters at CS:0 with DS = ES = PSP and SS:SP from the MZ header. The data group's paragraph
// reaches us through the program's one relocation (the immediate below), so DS = ES = SS = data
// group afterwards, as the C++ code assumes.
    .code16
    .section .text.VqEntry,"ax",@progbits
    .globl _start
_start:
    cli
    movw %ds, %bx                  // PSP segment, kept in BX until BSS is clear
    .byte 0xB8                     // movw $imm16, %ax
    .globl VqRelocSite
VqRelocSite:
    .word VqDgroupPara             // DOS adds the load segment here
    movw %ax, %ds
    movw %ax, %es
    movw %ax, %ss
    movl $VqStackTop, %esp         // 32-bit load: the high word of ESP must be zero
    sti
    cld
    movw $VqBssStart, %di
    movw $VqBssEnd, %cx
    subw %di, %cx
    xorb %al, %al
    rep stosb
    movw %bx, VqPspSegment
    calll VqStart
    movb $0x4C, %ah                // terminate with AL = exit code
    int $0x21
    hlt

    .section .bss.VqPspSegment,"aw",@nobits
    .globl VqPspSegment
    .p2align 1
VqPspSegment:
    .skip 2

    .section .note.GNU-stack,"",@progbits
