// mmap/mprotect behind the executable-memory rules of codememory.h. Stubs are carved from
// 4096-byte pages that are re-opened for writing only while a stub is added.
#include "runtime/image/codememory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

namespace {

size_t PageSize() {
  static const size_t size = size_t(sysconf(_SC_PAGESIZE));
  return size;
}

size_t RoundToPages(size_t bytes) {
  size_t page = PageSize();
  return (bytes + page - 1) / page * page;
}

uint8_t* gStubPage = nullptr;
size_t gStubUsed = 0;

}  // namespace

uint8_t* AllocateCodeBlock(uint32_t size) {
  size_t length = RoundToPages(size == 0 ? 1 : size);
  void* block = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : static_cast<uint8_t*>(block);
}

bool SealCodeBlock(uint8_t* block, uint32_t size) {
  return mprotect(block, RoundToPages(size == 0 ? 1 : size), PROT_READ | PROT_EXEC) == 0;
}

void ReleaseCodeBlock(uint8_t* block, uint32_t size) {
  if (block) munmap(block, RoundToPages(size == 0 ? 1 : size));
}

CodeWriteWindow::CodeWriteWindow(uint8_t* address, uint32_t size) {
  uintptr_t page = PageSize();
  begin_ = reinterpret_cast<uintptr_t>(address) / page * page;
  uintptr_t end = (reinterpret_cast<uintptr_t>(address) + size + page - 1) / page * page;
  length_ = end - begin_;
  ok_ = mprotect(reinterpret_cast<void*>(begin_), length_, PROT_READ | PROT_WRITE) == 0;
}

CodeWriteWindow::~CodeWriteWindow() {
  mprotect(reinterpret_cast<void*>(begin_), length_, PROT_READ | PROT_EXEC);
}

void* NewStub(const uint8_t* code, uint32_t size) {
  constexpr uint32_t kStubSlot = 32;
  if (size > kStubSlot) return nullptr;
  if (gStubPage == nullptr || gStubUsed + kStubSlot > PageSize()) {
    gStubPage = AllocateCodeBlock(uint32_t(PageSize()));
    if (gStubPage == nullptr) return nullptr;
    gStubUsed = 0;
    SealCodeBlock(gStubPage, uint32_t(PageSize()));
  }
  uint8_t* stub = gStubPage + gStubUsed;
  {
    CodeWriteWindow window(stub, kStubSlot);
    if (!window.ok()) return nullptr;
    memcpy(stub, code, size);
    memset(stub + size, 0xCC, kStubSlot - size);  // int3 padding
  }
  gStubUsed += kStubSlot;
  return stub;
}
