// Helpers for the string tests: strings from literals that unlock themselves, reading a
// result while dropping its reference, a fixture that checks the heap is back where it
// started, failed-assertion capture, and a scope that switches the numeric locale.
#pragma once
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/objects/heap.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace strings_test {

// A lent argument: a new string of `text` (nil for ""), unlocked when the test is done.
inline StringRef Str(std::string_view text) {
  return StringRef::Adopt(MakeString(text.data(), static_cast<int32_t>(text.size())));
}

// The text of a result the caller owns; the reference is dropped.
inline std::string Take(StringRecord* result) {
  std::string text(StringView(result));
  UnlockString(result);
  return text;
}

// Every test leaves the small-block heap as it found it.
class StringTest : public ::testing::Test {
 protected:
  void SetUp() override { heapAtStart_ = HeapBytesInUse(); }
  void TearDown() override { EXPECT_EQ(HeapBytesInUse(), heapAtStart_) << "strings leaked"; }

 private:
  int32_t heapAtStart_ = 0;
};

// Collects failed assertions as "number:unit:line" while alive.
class AssertionLog {
 public:
  AssertionLog() : previous_(SetAssertionHook(&Record)) { Entries().clear(); }
  ~AssertionLog() { SetAssertionHook(previous_); }
  const std::vector<std::string>& entries() const { return Entries(); }

 private:
  static std::vector<std::string>& Entries() {
    static std::vector<std::string> entries;
    return entries;
  }
  static void Record(int32_t number, const char* unit, int32_t line) {
    Entries().push_back(std::to_string(number) + ":" + unit + ":" + std::to_string(line));
  }
  AssertionHook previous_;
};

// Selects a locale for numbers (separators) while alive.
class NumericLocale {
 public:
  explicit NumericLocale(const char* name) : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
    if (std::setlocale(LC_NUMERIC, name) == nullptr) ok_ = false;
  }
  ~NumericLocale() { std::setlocale(LC_NUMERIC, previous_.c_str()); }
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = true;
};

}  // namespace strings_test
