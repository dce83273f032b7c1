// Shared helpers of the plug-in tests: private system and Windows directories per test,
// carried plug-in lists built in memory, the built libraries' bytes, and a record of failed
// assertions. Entry points: PluginTest, CarriedListBuilder, ReadBytes.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "runtime/objects/class.h"
#include "runtime/startup/assertion.h"

std::vector<uint8_t> ReadBytes(const std::string& path);
int64_t FileSize(const std::string& path);

// Elements laid out one after the other in one buffer, chained by absolute addresses.
class CarriedListBuilder {
 public:
  void Add(const std::string& name, const std::vector<uint8_t>& library);
  // Adds raw element bytes (for damaged elements); next is filled in by Build.
  void AddRaw(std::vector<uint8_t> element);
  const void* Build();  // address of the first element; valid while the builder lives
  uint32_t ElementLength(size_t index) const;  // the length word of an element

 private:
  std::vector<std::vector<uint8_t>> elements_;
  std::vector<uint8_t> buffer_;
};

// Each test gets fresh directories (XDG_DATA_HOME / XDG_CACHE_HOME), no registrations and
// the default start-up hooks; failed assertions are recorded instead of shown.
class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string SystemDirectory() const;   // as the runtime reports it
  std::string WindowsDirectory() const;
  std::string base_;
  static std::vector<std::pair<int32_t, int32_t>>& Assertions();  // (number, line)

 private:
  static void RecordAssertion(int32_t number, const char* unit, int32_t line);
  AssertionHook previousHook_ = nullptr;
};

// dlsym of a symbol in an already loaded library (by its path), or nil.
void* LoadedSymbol(const std::string& path, const char* symbol);

// Members a class record lists (its own, not its superclasses').
inline int32_t CountProperties(const ClassRecord* cls) {
  int32_t n = 0;
  for (const PropertyEntry* p = cls->properties; p; p = p->next) ++n;
  return n;
}

inline int32_t CountMethods(const ClassRecord* cls) {
  int32_t n = 0;
  for (const MethodEntry* m = cls->methods; m; m = m->next) ++n;
  return n;
}
