// The handlers the upgrade puts in DOS's place while it runs (see dos/rt/Breaks.h). DOS calls
// them from inside a call of ours, on its own stack: they touch nothing but AL and the flags
// IRET restores.
    .code16
    .section .text.VqQuietHandlers,"ax",@progbits

// INT 23h, Ctrl-Break: returning with IRET tells DOS to go on with the call it was in.
    .globl VqIgnoreBreak
VqIgnoreBreak:
    iret

// INT 24h, critical error: AL = 3 asks DOS to fail the call that met the error (DOS 3.1+).
    .globl VqFailCriticalError
VqFailCriticalError:
    movb $3, %al
    iret

    .section .note.GNU-stack,"",@progbits
