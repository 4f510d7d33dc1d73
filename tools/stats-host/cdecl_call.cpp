// The 32-bit call thunk that measures the stack pointer across a call into the plug-in.
#include "cdecl_call.h"

#if defined(__i386__)
// velmor_call_cdecl(fn, words, count, espDelta), itself cdecl:
// [ebp+8] fn, [ebp+12] words, [ebp+16] count, [ebp+20] espDelta.
asm(R"(
    .text
    .globl _velmor_call_cdecl
_velmor_call_cdecl:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 16(%ebp), %ecx
    movl 12(%ebp), %esi
    leal (%esi,%ecx,4), %eax
1:  testl %ecx, %ecx
    jz 2f
    subl $4, %eax
    pushl (%eax)
    decl %ecx
    jmp 1b
2:  movl %esp, %edi
    call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx
    movl 20(%ebp), %ebx
    movl %ecx, (%ebx)
    leal -12(%ebp), %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");
#endif

namespace statshost {

void ReportStack(const char* name, std::int32_t delta) {
    if (delta == 0)
        std::printf("cdecl: %s esp unchanged\n", name);
    else
        std::printf("cdecl: %s esp moved by %ld\n", name, static_cast<long>(delta));
}

}  // namespace statshost
