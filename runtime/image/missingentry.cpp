// Each stub is 16 bytes of code that pushes its own copy of the name and calls
// ReportMissingEntry; stubs are cached by exact name.
#include "runtime/image/missingentry.h"

#include <cstring>
#include <map>
#include <string>

#include "runtime/entries/entry.h"
#include "runtime/image/codememory.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"

extern "C" __attribute__((cdecl, force_align_arg_pointer, noinline)) uint32_t ReportMissingEntry(
    const char* name) {
  std::string text = "Missing entry point: " + std::string(name) + "\n";
  DebugMessage(text.c_str());
  FailedAssertion(4, name, 0);
  return 0;
}

namespace {

std::map<std::string, void*>& Stubs() {
  static std::map<std::string, void*> stubs;
  return stubs;
}

}  // namespace

void* MissingEntryStub(const char* name) {
  auto [entry, added] = Stubs().emplace(name, nullptr);
  if (!added && entry->second != nullptr) return entry->second;
  // The stub pushes the map's own copy of the name: map entries never move and live as long
  // as the stub does.
  const char* copy = entry->first.c_str();
  uint32_t nameWord = uint32_t(reinterpret_cast<uintptr_t>(copy));
  uint32_t routine = uint32_t(reinterpret_cast<uintptr_t>(&ReportMissingEntry));
  uint8_t code[16] = {
      0x68, 0, 0, 0, 0,  // push name
      0xB8, 0, 0, 0, 0,  // mov eax, ReportMissingEntry
      0xFF, 0xD0,        // call eax
      0x83, 0xC4, 0x04,  // add esp, 4
      0xC3,              // ret
  };
  memcpy(code + 1, &nameWord, 4);
  memcpy(code + 6, &routine, 4);
  entry->second = NewStub(code, sizeof code);
  return entry->second;
}
