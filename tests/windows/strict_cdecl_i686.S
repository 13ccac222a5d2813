# The strict cdecl caller and the Host's callbacks as plain cdecl functions (strict_cdecl.h).
# 32-bit Windows: C names carry a leading underscore.

        .text

# void StrictCdeclCall(const void* function, const uint32_t* arguments, uint32_t count,
#                      uint32_t alignment, StrictCall* call)
# StrictCall: registersIn at 0, registersOut at 16, value at 32, stackChange at 36, flags at 40.
        .globl  _StrictCdeclCall
_StrictCdeclCall:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        # ESP at the call: `alignment` bytes below a 16-byte boundary. From a boundary A it is
        # A - 16 * (count + 1) - alignment, so ESP before the pushes is
        # A - 12 * count - 16 - alignment.
        andl    $-16, %esp
        movl    16(%ebp), %ecx
        leal    (%ecx,%ecx,2), %eax
        shll    $2, %eax
        addl    $16, %eax
        addl    20(%ebp), %eax
        subl    %eax, %esp
        movl    12(%ebp), %edx
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%edx,%ecx,4)
        jmp     1b
2:      movl    8(%ebp), %eax
        movl    24(%ebp), %edx
        movl    %ebp, strictFrame
        movl    %esp, strictStackAtCall
        movl    0(%edx), %ebx
        movl    4(%edx), %esi
        movl    8(%edx), %edi
        movl    12(%edx), %ebp
        call    *%eax
        # The callee's EBP, before this frame's comes back.
        movl    %ebp, %ecx
        movl    strictFrame, %ebp
        movl    24(%ebp), %edx
        movl    %ebx, 16(%edx)
        movl    %esi, 20(%edx)
        movl    %edi, 24(%edx)
        movl    %ecx, 28(%edx)
        movl    %eax, 32(%edx)
        movl    %esp, %eax
        subl    strictStackAtCall, %eax
        movl    %eax, 36(%edx)
        pushfl
        popl    40(%edx)
        leal    -12(%ebp), %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret

# A Host callback with `count` arguments: StrictHostDispatch(entry, frame), then everything a
# cdecl callee may change is changed.
        .macro  HOST_ENTRY name, entry, count
        .globl  _\name
_\name:
        movl    %esp, %eax
        pushl   %eax
        pushl   $\entry
        call    _StrictHostDispatch
        addl    $8, %esp
        movl    $\count, %ecx
1:      testl   %ecx, %ecx
        jz      2f
        movl    $0xDEADBEEF, (%esp,%ecx,4)
        decl    %ecx
        jmp     1b
2:      movl    $0xDEADBEEF, %ecx
        movl    %ecx, %edx
        ret
        .endm

        HOST_ENTRY StrictHostSetParameter, 0, 4
        HOST_ENTRY StrictHostGetParameter, 1, 4
        HOST_ENTRY StrictHostEnumCommand, 2, 5
        HOST_ENTRY StrictHostReserved, 3, 0
        HOST_ENTRY StrictHostSendCommand, 4, 2

        .lcomm  strictFrame, 4
        .lcomm  strictStackAtCall, 4
