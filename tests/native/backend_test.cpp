// InstallBackend takes ownership: a backend that another replaces is freed at once (tests
// install one per case), and installing the current one again keeps it.
#include <gtest/gtest.h>

#include "native/core/backend.h"
#include "native/core/state.h"
#include "native/headless/headless.h"
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

class CountedBackend : public native::HeadlessBackend {
 public:
  explicit CountedBackend(int* alive)
      : HeadlessBackend("counted", {}, 1024, 768, stdout, stderr), alive_(alive) {
    ++*alive_;
  }
  ~CountedBackend() override { --*alive_; }

 private:
  int* alive_;
};

using BackendTest = NativeTest;

TEST_F(BackendTest, AReplacedBackendIsFreedAndTheCurrentOneKept) {
  int alive = 0;
  auto* first = new CountedBackend(&alive);
  native::InstallBackend(first);
  EXPECT_EQ(&native::TheBackend(), first);
  native::InstallBackend(first);
  EXPECT_EQ(alive, 1) << "installing the current backend again keeps it";
  native::InstallBackend(new CountedBackend(&alive));
  EXPECT_EQ(alive, 1) << "the replaced backend is freed";
  Script("");  // the fixture's own backend replaces the second one
  EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace native_test
