// Reading memory that may not be mapped, without faulting: the exception walk reads return
// addresses and the tables behind them, which a damaged frame chain can point anywhere.
// Entry point: ProbeReader, which remembers the pages it has already found readable.
#pragma once
#include <cstddef>
#include <cstdint>

// True when every byte of [address, address + length) can be read. Asks the kernel (a
// one-byte write from the address into a private pipe), so it works under emulation too.
bool BytesReadable(uintptr_t address, size_t length);

// Reads bytes and big-endian words after checking their pages once each; a reader lives for
// one walk, during which mapped pages do not go away.
class ProbeReader {
 public:
  bool Readable(uintptr_t address, size_t length);
  bool Byte(uintptr_t address, uint8_t* value);
  bool BigEndian16(uintptr_t address, int16_t* value);
  bool BigEndian32(uintptr_t address, int32_t* value);
  bool Word(uintptr_t address, uint32_t* value);

 private:
  static constexpr int kCachedPages = 8;
  uintptr_t pages_[kCachedPages] = {};
  int used_ = 0;
  int nextSlot_ = 0;
  bool PageReadable(uintptr_t page);
};
