// Executable memory for code1 and for the runtime's small call stubs. Code is never
// writable and executable at once: a block is written while read-write, then sealed
// read-execute; later patches (deferred links) open a short writable window.
// Entry points: AllocateCodeBlock, SealCodeBlock, CodeWriteWindow, NewStub.
#pragma once
#include <cstddef>
#include <cstdint>

// Page-aligned, read-write, at least one byte; nil when memory is exhausted.
uint8_t* AllocateCodeBlock(uint32_t size);
// Read-execute from now on. Returns false when the system refuses.
bool SealCodeBlock(uint8_t* block, uint32_t size);
// Frees a block that was never sealed (a refused image).
void ReleaseCodeBlock(uint8_t* block, uint32_t size);

// While alive, [address, address + size) is writable and not executable.
class CodeWriteWindow {
 public:
  CodeWriteWindow(uint8_t* address, uint32_t size);
  ~CodeWriteWindow();
  CodeWriteWindow(const CodeWriteWindow&) = delete;
  CodeWriteWindow& operator=(const CodeWriteWindow&) = delete;
  bool ok() const { return ok_; }

 private:
  uintptr_t begin_;
  size_t length_;
  bool ok_;
};

// Copies up to 32 bytes of code into a sealed stub area and returns its address (nil when
// memory is exhausted). Stubs live for the whole process.
void* NewStub(const uint8_t* code, uint32_t size);
