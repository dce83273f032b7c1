// Fuzz target: the carried plug-in list walk (ReadCarriedList) over data1 made of the input.
// The list links its elements by address, so the input is copied to a fixed address
// (kData1Base): a "next" word of 0x50000010 names offset 0x10. The bytes of the mapping past
// the input are poisoned, so ASan stops any read beyond data1. Every element handed out
// must lie inside data1 and carry a plain file name. Entry point: LLVMFuzzerTestOneInput.
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/image/loader.h"
#include "runtime/plugins/installation.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define FUZZ_POISON(at, n) ASAN_POISON_MEMORY_REGION(at, n)
#define FUZZ_UNPOISON(at, n) ASAN_UNPOISON_MEMORY_REGION(at, n)
#endif
#endif
#ifndef FUZZ_POISON
#define FUZZ_POISON(at, n) ((void)(at), (void)(n))
#define FUZZ_UNPOISON(at, n) ((void)(at), (void)(n))
#endif

namespace {

constexpr uintptr_t kData1Base = 0x50000000;
constexpr size_t kSpan = 1 << 20;

ImageBlock gData1{};

uint8_t* Region() {
  static void* region = mmap(reinterpret_cast<void*>(kData1Base), kSpan, PROT_READ | PROT_WRITE,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (region != reinterpret_cast<void*>(kData1Base)) std::abort();  // the address is taken
  return static_cast<uint8_t*>(region);
}

void CheckElement(const CarriedPlugin& plugin) {
  uintptr_t begin = kData1Base;
  auto at = reinterpret_cast<uintptr_t>(plugin.bytes);
  if (at < begin || at - begin > gData1.size || plugin.length > gData1.size - (at - begin))
    std::abort();
  if (plugin.name.empty() || plugin.name.find_first_of("/\\:") != std::string::npos) std::abort();
}

}  // namespace

// The installer takes data1's bounds from the loader; here data1 is the input.
ImageBlock LoadedData1() { return gData1; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t* region = Region();
  if (size > kSpan) size = kSpan;
  FUZZ_UNPOISON(region, kSpan);
  if (size > 0) std::memcpy(region, data, size);
  std::memset(region + size, 0, kSpan - size);
  FUZZ_POISON(region + size, kSpan - size);
  gData1 = {region, static_cast<uint32_t>(size)};
  for (const CarriedPlugin& plugin : ReadCarriedList(size == 0 ? nullptr : region))
    CheckElement(plugin);
  return 0;
}
