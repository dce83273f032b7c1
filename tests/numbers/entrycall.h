// Calling entry points the way image code does: arguments pushed right to left as 32-bit
// words on a 4-byte aligned stack, the caller popping them, integer results in EAX and
// double results taken from ST0.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace entry_call {

// Words of the arguments in call order (a double is two words, low word first).
class Args {
 public:
  Args& Int(int32_t v) {
    words_.push_back(static_cast<uint32_t>(v));
    return *this;
  }
  Args& Double(double v) {
    uint32_t w[2];
    std::memcpy(w, &v, 8);
    words_.push_back(w[0]);
    words_.push_back(w[1]);
    return *this;
  }
  const std::vector<uint32_t>& words() const { return words_; }

 private:
  std::vector<uint32_t> words_;
};

// Pushes the words, misaligns the stack by one word as image code may, calls, pops.
// kind: 0 = take EAX, 1 = take ST0.
inline void Call(const void* entry, const Args& args, int kind, uint32_t* eax, double* st0) {
  const std::vector<uint32_t>& w = args.words();
  uint32_t count = static_cast<uint32_t>(w.size());
  const uint32_t* last = w.empty() ? nullptr : w.data() + w.size() - 1;
  uint32_t target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(entry));
  double resultSt0 = 0;
  // Everything the code needs after moving ESP is in registers; memory operands are only
  // touched once ESP is back.
  asm volatile(
      "movl %%esp, %%edi\n\t"
      "andl $-16, %%esp\n\t"
      "subl $4, %%esp\n\t"  // 4-byte aligned, never 16: the entry must realign itself
      "1: testl %%ecx, %%ecx\n\t"
      "jz 2f\n\t"
      "pushl (%%esi)\n\t"
      "subl $4, %%esi\n\t"
      "decl %%ecx\n\t"
      "jmp 1b\n\t"
      "2: call *%%eax\n\t"
      "movl %%edi, %%esp\n\t"
      : "+a"(target), "+c"(count), "+S"(last)
      :
      : "edx", "edi", "memory", "cc", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6",
        "xmm7");
  if (kind == 1) asm volatile("fstpl %0" : "=m"(resultSt0));
  uint32_t resultEax = target;
  if (eax != nullptr) *eax = resultEax;
  if (st0 != nullptr) *st0 = resultSt0;
}

inline double CallDouble(const void* entry, const Args& args) {
  double r = 0;
  Call(entry, args, 1, nullptr, &r);
  return r;
}

inline int32_t CallInt(const void* entry, const Args& args) {
  uint32_t r = 0;
  Call(entry, args, 0, &r, nullptr);
  return static_cast<int32_t>(r);
}

}  // namespace entry_call
