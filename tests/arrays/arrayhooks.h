// Observing what array entries report: failed assertions (number, unit, line) and raised
// exceptions (by class name), through the runtime's test hooks. The hooks are installed for
// the life of one test.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/exceptions/raise.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"

namespace array_test {

inline std::vector<std::string>& Assertions() {
  static std::vector<std::string> list;
  return list;
}
inline std::vector<std::string>& Raised() {
  static std::vector<std::string> list;
  return list;
}

inline void RecordAssertion(int32_t number, const char* unit, int32_t line) {
  Assertions().push_back(std::to_string(number) + " " + (unit ? unit : "") + " " +
                         std::to_string(line));
}

inline void RecordRaise(ObjectHeader* exception) {
  ClassRecord* named = exception ? FirstNamedClass(exception->cls) : nullptr;
  Raised().push_back(named ? std::string(StringView(named->name)) : "?");
  UnlockObject(exception);
}

class HookedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Assertions().clear();
    Raised().clear();
    previousAssertion_ = SetAssertionHook(RecordAssertion);
    previousRaise_ = SetRaiseHook(RecordRaise);
  }
  void TearDown() override {
    SetAssertionHook(previousAssertion_);
    SetRaiseHook(previousRaise_);
  }
  // Takes the reports so far, leaving the lists empty.
  static std::vector<std::string> TakeAssertions() { return std::move(Assertions()); }
  static std::vector<std::string> TakeRaised() { return std::move(Raised()); }

 private:
  AssertionHook previousAssertion_ = nullptr;
  RaiseHook previousRaise_ = nullptr;
};

using Reports = std::vector<std::string>;
const Reports kNone;
const Reports kOutOfBounds{"OutOfBoundsException"};

}  // namespace array_test
