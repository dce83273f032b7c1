// Shared by the record fuzz targets: the libFuzzer entry every target defines, and the check
// that a view a reader handed out lies wholly inside the input it was given.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace records_fuzz {

inline void CheckInside(const uint8_t* data, size_t size, std::string_view view) {
  if (view.empty()) return;
  auto* begin = reinterpret_cast<const uint8_t*>(view.data());
  if (begin < data || begin + view.size() > data + size) std::abort();
}

// Bounds on how much of an input one run explores, so that replays stay quick.
constexpr int32_t kMaxClasses = 4096;

}  // namespace records_fuzz
