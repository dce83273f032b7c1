// Message helpers shared by the container reader, the linker and the relocator.
#include "runtime/image/blocks.h"

#include <cstdio>

std::string DamagedImageMessage(const std::string& detail) {
  return "The application could not be loaded because its image is damaged: " + detail;
}

std::string HexNumber(uint64_t value) {
  char text[24];
  snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}
