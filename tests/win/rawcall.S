# int setupkit_raw_call(const void* fn, const unsigned* args, int count, int* esp_shift)
#
# Pushes `count` argument words (last first), calls `fn`, and reports how far
# ESP moved across the call: 0 when the callee removed its arguments
# (stdcall), -4*count when it left them to the caller (cdecl). The caller's
# stack is restored either way. cdecl itself.
        .text
        .globl  _setupkit_raw_call
        .def    _setupkit_raw_call; .scl 2; .type 32; .endef
_setupkit_raw_call:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        movl    12(%ebp), %esi          # args
        movl    16(%ebp), %ecx          # count
        movl    %esp, %edi              # ESP before the arguments; callee-saved
1:      testl   %ecx, %ecx
        jz      2f
        decl    %ecx
        pushl   (%esi,%ecx,4)
        jmp     1b
2:      movl    8(%ebp), %edx
        call    *%edx
        movl    %esp, %ecx
        subl    %edi, %ecx              # after minus before
        movl    20(%ebp), %edx
        movl    %ecx, (%edx)
        movl    %edi, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
