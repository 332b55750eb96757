// The one gate to BIOS and DOS services: loads a register block, raises the interrupt and stores
// the registers and flags back into the same block.
//
// Called from -m16 code with regparm(3): EAX = interrupt number, EDX = block. The block lives in
// the data group and SS = DS there, so EBP-based (SS-relative) addressing reaches it while DS
// holds whatever the caller asked for. Every register is reloaded from the stack afterwards:
// some services (EXEC in particular) leave no general register intact.
//
// Block layout (must match rt::Regs): eax ebx ecx edx esi edi (4 bytes each), ds es (2 each),
// eflags (4).
    .code16
    .section .text.VqIntCall,"ax",@progbits
    .globl VqIntCall
    .type VqIntCall,@function
VqIntCall:
    pushal
    pushw %ds
    pushw %es
    movb %al, %cs:.Lint + 1        // patch the interrupt number into the INT below
    jmp .Lflush                    // a jump flushes the prefetch queue after the patch
.Lflush:
    pushl %edx                     // the block, found again after the interrupt
    movl %edx, %ebp
    movw 26(%ebp), %es
    movl 0(%ebp), %eax
    movl 4(%ebp), %ebx
    movl 8(%ebp), %ecx
    movl 12(%ebp), %edx
    movl 16(%ebp), %esi
    movl 20(%ebp), %edi
    movw 24(%ebp), %ds
.Lint:
    int $0x21
    pushfl
    // The service, or a child program it ran, may leave ESP's high word set (the real-mode stack
    // only moves SP) and the direction flag set; the compiled code addresses the stack through all
    // of ESP, which a real CPU faults past 64 KiB, and expects DF clear.
    movzwl %sp, %esp
    cld
    pushl %ebp
    movl 8(%esp), %ebp             // the block again (above the two pushes)
    movl %eax, 0(%ebp)
    movl %ebx, 4(%ebp)
    movl %ecx, 8(%ebp)
    movl %edx, 12(%ebp)
    movl %esi, 16(%ebp)
    movl %edi, 20(%ebp)
    movw %ds, 24(%ebp)
    movw %es, 26(%ebp)
    popl %eax                      // the service's EBP: not returned
    popl %eax
    movl %eax, 28(%ebp)
    popl %edx
    popw %es
    popw %ds
    popal
    retl
    .size VqIntCall, . - VqIntCall

    .section .note.GNU-stack,"",@progbits
