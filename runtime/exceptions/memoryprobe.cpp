// BytesReadable and ProbeReader: a page is readable when the kernel can copy one byte from
// it into a pipe (EFAULT otherwise); the byte is drained again at once.
#include "runtime/exceptions/memoryprobe.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr uintptr_t kPageSize = 4096;

int* ProbePipe() {
  static int fds[2] = {-1, -1};
  if (fds[0] < 0 && pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) fds[0] = fds[1] = -1;
  return fds;
}

bool PageReadableNow(uintptr_t page) {
  int* fds = ProbePipe();
  if (fds[0] < 0) return false;
  const void* address = reinterpret_cast<const void*>(page);
  ssize_t written;
  do {
    written = write(fds[1], address, 1);
  } while (written < 0 && errno == EINTR);
  if (written != 1) return false;
  uint8_t drained;
  while (read(fds[0], &drained, 1) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace

bool BytesReadable(uintptr_t address, size_t length) {
  if (length == 0) return true;
  uintptr_t last = address + length - 1;
  if (last < address) return false;  // wraps around the address space
  for (uintptr_t page = address & ~(kPageSize - 1);; page += kPageSize) {
    if (!PageReadableNow(page)) return false;
    if (page >= (last & ~(kPageSize - 1))) return true;
  }
}

bool ProbeReader::PageReadable(uintptr_t page) {
  for (int i = 0; i < used_; ++i) {
    if (pages_[i] == page) return true;
  }
  if (!PageReadableNow(page)) return false;
  pages_[nextSlot_] = page;
  nextSlot_ = (nextSlot_ + 1) % kCachedPages;
  if (used_ < kCachedPages) ++used_;
  return true;
}

bool ProbeReader::Readable(uintptr_t address, size_t length) {
  if (length == 0) return true;
  uintptr_t last = address + length - 1;
  if (last < address) return false;
  for (uintptr_t page = address & ~(kPageSize - 1);; page += kPageSize) {
    if (!PageReadable(page)) return false;
    if (page >= (last & ~(kPageSize - 1))) return true;
  }
}

bool ProbeReader::Byte(uintptr_t address, uint8_t* value) {
  if (!Readable(address, 1)) return false;
  *value = *reinterpret_cast<const volatile uint8_t*>(address);
  return true;
}

bool ProbeReader::BigEndian16(uintptr_t address, int16_t* value) {
  if (!Readable(address, 2)) return false;
  const volatile uint8_t* p = reinterpret_cast<const volatile uint8_t*>(address);
  *value = static_cast<int16_t>((p[0] << 8) | p[1]);
  return true;
}

bool ProbeReader::BigEndian32(uintptr_t address, int32_t* value) {
  if (!Readable(address, 4)) return false;
  const volatile uint8_t* p = reinterpret_cast<const volatile uint8_t*>(address);
  *value = static_cast<int32_t>((uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) |
                                (uint32_t{p[2]} << 8) | uint32_t{p[3]});
  return true;
}

bool ProbeReader::Word(uintptr_t address, uint32_t* value) {
  if (!Readable(address, 4)) return false;
  // Byte by byte: code words (call displacements) have no alignment.
  const volatile uint8_t* p = reinterpret_cast<const volatile uint8_t*>(address);
  *value = uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
           (uint32_t{p[3]} << 24);
  return true;
}
