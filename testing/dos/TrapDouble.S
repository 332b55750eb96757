// VQTRAP.COM, a resident test double for what DOS does when trouble meets a program's call, which
// DOSBox never does itself. Run before the program under test:
//   VQTRAP E   the create of a file named ...\VQEXT_5 meets a critical error: DOS calls INT 24h,
//              and fails the call (Fail), lets it through (Retry, Ignore), or ends the program
//              (Abort) as the handler answers
//   VQTRAP B   the same call meets a Ctrl-Break: DOS calls INT 23h, and goes on with the call when
//              the handler returns
//   VQTRAP     neither
// Either way it puts in place, as DOS's own handlers, what a user at DOS's prompt would make of
// them: Abort for a critical error, and the end of the program for Ctrl-Break. Where those stand
// it records in C:\VQTRAP.BIN (INT 23h, then INT 24h, each offset then segment) for the test to
// compare with what a child program finds.
#include "testing/dos/TrapRecord.h"
    .code16
    .text
    .globl _start
_start:
    jmp install

oldInt21:   .word 0, 0
mode:       .byte 0
fired:      .byte 0
trigger:    .ascii "\\VQEXT_5"
triggerEnd:
record:     .asciz VQ_TRAP_RECORD

    .set kExitAborted, 0x24    // the exit code of a program the trap's Abort ended
    .set kExitBroken, 0x23     // ... and of one its Ctrl-Break ended
    .set kCreate, 0x3C
    .set kFailedOnInt24, 0x53  // DOS's error code for a call the handler failed
    .set kWriteDataAllowAll, 0x3F  // AH for INT 24h: a write, in the data area; Fail, Retry, Ignore allowed
    .set kDriveC, 2
    .set kDriveNotReady, 2

// "DOS's own" handlers, as the user would answer.
dosInt24:
    movb $2, %al               // Abort
    iret
dosInt23:
    movw $(0x4C00 + kExitBroken), %ax
    int $0x21

// ZF set when the name at DS:DX ends with the trigger, whatever its letter case.
matches:
    pushw %ax
    pushw %cx
    pushw %si
    pushw %di
    movw %dx, %si
1:  lodsb
    testb %al, %al
    jnz 1b
    decw %si                   // at the terminator
    movw $(triggerEnd - trigger), %cx
    movw %si, %ax
    subw %dx, %ax
    cmpw %cx, %ax
    jb 4f                      // shorter than the trigger: ZF is clear
    subw %cx, %si
    movw $trigger, %di
2:  lodsb
    cmpb $'a', %al
    jb 3f
    cmpb $'z', %al
    ja 3f
    subb $0x20, %al
3:  cmpb %cs:(%di), %al
    jne 4f
    incw %di
    loop 2b
    cmpw %cx, %cx              // all equal: ZF set (INC cleared it)
4:  popw %di
    popw %si
    popw %cx
    popw %ax
    ret

hookInt21:
    cld
    cmpb $kCreate, %ah
    jne chain
    cmpb $0, %cs:fired
    jne chain
    call matches
    jne chain
    movb $1, %cs:fired
    cmpb $'B', %cs:mode
    je ctrlBreak
    cmpb $'E', %cs:mode
    jne chain
    pushw %ax
    pushw %di
    movb $kWriteDataAllowAll, %ah
    movb $kDriveC, %al
    movw $kDriveNotReady, %di
    int $0x24
    popw %di
    cmpb $3, %al
    je fail
    cmpb $2, %al
    je abort
    popw %ax                   // Retry or Ignore: the drive is back
    jmp chain
fail:
    popw %ax
    movw $kFailedOnInt24, %ax
    pushw %bp
    movw %sp, %bp
    orw $1, 6(%bp)             // carry set in the flags IRET restores
    popw %bp
    iret
abort:
    movw $(0x4C00 + kExitAborted), %ax
    int $0x21
ctrlBreak:
    int $0x23                  // a handler that returns lets the call go on
chain:
    ljmp *%cs:oldInt21

install:
    movw $0x81, %si            // the command tail: its first letter that is not a blank
5:  lodsb
    cmpb $' ', %al
    je 5b
    movb %al, mode
    movw $0x3521, %ax
    int $0x21
    movw %bx, oldInt21
    movw %es, oldInt21 + 2
    movw $0x2521, %ax
    movw $hookInt21, %dx
    int $0x21
    // DOS restores INT 23h and 24h from a program's PSP when it ends, so they go there too.
    movw $0x2523, %ax
    movw $dosInt23, %dx
    int $0x21
    movw $dosInt23, 0x0E
    movw %cs, 0x10
    movw $0x2524, %ax
    movw $dosInt24, %dx
    int $0x21
    movw $dosInt24, 0x12
    movw %cs, 0x14
    movw $0x3C00, %ax          // the record: the four words from 0x0E of the PSP
    xorw %cx, %cx
    movw $record, %dx
    int $0x21
    jc resident
    movw %ax, %bx
    movw $0x4000, %ax
    movw $8, %cx
    movw $0x0E, %dx
    int $0x21
    movw $0x3E00, %ax
    int $0x21
resident:
    movw $install, %dx         // keep the PSP and everything above the installer
    addw $15, %dx
    shrw $4, %dx
    movw $0x3100, %ax
    int $0x21

    .section .note.GNU-stack,"",@progbits
