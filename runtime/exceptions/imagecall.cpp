// The CallImage thunk (hand-written assembly, one body with an integer and a double result
// name) and the per-thread record of barriers and image callers it keeps. See imagecall.h.
#include "runtime/exceptions/imagecall.h"

#include <cstddef>

namespace {
thread_local ImageCallState gImageCallState = {0, 0};
}

// The state pointer is passed in so the assembly never addresses thread-local storage.
extern "C" uint32_t AmxImageCallCore(const void* fn, int32_t argc, const uint32_t* args,
                                     ImageCallState* state);
extern "C" double AmxImageCallCoreDouble(const void* fn, int32_t argc, const uint32_t* args,
                                         ImageCallState* state);

// Frame of the thunk after its prologue:
//   [ebp+20] state  [ebp+16] args  [ebp+12] argc  [ebp+8] fn  [ebp+4] return  [ebp] old ebp
//   [ebp-4] ebx  [ebp-8] esi  [ebp-12] edi  [ebp-16] saved entry frame
//   [ebp-20] previous barrier  [ebp-24] state
// Below that the arguments are placed so that ESP is 16-byte aligned at the call, as the C
// convention wants: runtime routines called as handlers (and the instrumented frames of a
// sanitizer build, whose shadow layout assumes the aligned frame) rely on it; image code
// itself needs only 4. The epilogue takes ESP back from EBP, so the padding costs nothing.
asm(R"(
    .text
    .globl AmxImageCallCore
    .globl AmxImageCallCoreDouble
    .type AmxImageCallCore, @function
    .type AmxImageCallCoreDouble, @function
    .p2align 4
AmxImageCallCore:
AmxImageCallCoreDouble:
    pushl %ebp                      # push ebp
    movl %esp, %ebp                 # mov ebp, esp
    pushl %ebx                      # push ebx
    pushl %esi                      # push esi
    pushl %edi                      # push edi
    movl 20(%ebp), %ebx             # mov ebx, [ebp+20]        ; state
    pushl 4(%ebx)                   # push dword [ebx+4]       ; saved entry frame
    pushl (%ebx)                    # push dword [ebx]         ; previous barrier
    pushl %ebx                      # push ebx                 ; state, for after the call
    movl %ebp, (%ebx)               # mov [ebx], ebp           ; newest barrier: this frame
    movl 12(%ebp), %ecx             # mov ecx, [ebp+12]        ; argc
    movl 16(%ebp), %edx             # mov edx, [ebp+16]        ; args
    testl %ecx, %ecx                # test ecx, ecx
    jg 3f                           # jg .align
    xorl %ecx, %ecx                 # xor ecx, ecx             ; argc <= 0 passes none
3:  leal (,%ecx,4), %eax            # lea eax, [ecx*4]         ; bytes of arguments
    subl %eax, %esp                 # sub esp, eax
    andl $-16, %esp                 # and esp, -16
    addl %eax, %esp                 # add esp, eax             ; 16-aligned at the call
    testl %ecx, %ecx                # test ecx, ecx
    jz 2f                           # jz .call
1:  pushl -4(%edx,%ecx,4)           # push dword [edx+ecx*4-4] ; last argument first
    decl %ecx                       # dec ecx
    jnz 1b                          # jnz .push
2:  call *8(%ebp)                   # call [ebp+8]
    movl -24(%ebp), %ebx            # mov ebx, [ebp-24]        ; state
    movl -20(%ebp), %ecx            # mov ecx, [ebp-20]
    movl %ecx, (%ebx)               # mov [ebx], ecx           ; barrier list as before
    movl -16(%ebp), %ecx            # mov ecx, [ebp-16]
    movl %ecx, 4(%ebx)              # mov [ebx+4], ecx         ; entry frame as before
    leal -12(%ebp), %esp            # lea esp, [ebp-12]
    popl %edi                       # pop edi
    popl %esi                       # pop esi
    popl %ebx                       # pop ebx
    popl %ebp                       # pop ebp
    ret                             # ret
    .size AmxImageCallCore, .-AmxImageCallCore
    .size AmxImageCallCoreDouble, .-AmxImageCallCoreDouble
)");

static_assert(kBarrierEntryFrameOffset == -16 && kBarrierPreviousOffset == -20,
              "the walk reads the barrier record where the thunk pushes it");

uint32_t CallImage(const void* fn, int32_t argc, const uint32_t* args) {
  return AmxImageCallCore(fn, argc, args, &gImageCallState);
}

double CallImageDouble(const void* fn, int32_t argc, const uint32_t* args) {
  return AmxImageCallCoreDouble(fn, argc, args, &gImageCallState);
}

void RecordImageCaller(void* entryFrame) {
  gImageCallState.entryFrame = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entryFrame));
}

ImageCallState* CurrentImageCallState() { return &gImageCallState; }
