// The implicit-instance variable where an image keeps it: in data1 right after the window's
// description record, so its alignment follows the length of the description. Creation,
// closing and a window closed by its own Open handler all read and write that word.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/instancevariable.h"
#include "runtime/ui/viewwindow.h"
#include "tests/ui/windows_fixture.h"

namespace windows_test {
namespace {

class WindowSlotTest : public WindowsTest {
 protected:
  // The description record followed by its slot pair, as the image lays them out; the
  // title's length moves the pair to every alignment in turn.
  void Lay(const std::string& title) {
    image_ = Record(Desc(kWindowClass, WindowPairs(200, 100, {{"Title", title}})));
    pairAt_ = image_.size();
    image_.resize(image_.size() + 8, 0);
  }
  ObjectHeader** Variable() { return reinterpret_cast<ObjectHeader**>(&image_[pairAt_ + 4]); }
  ObjectHeader* Held() { return LoadInstanceVariable(Variable()); }

  std::vector<uint8_t> image_;
  size_t pairAt_ = 0;
};

const char* const kTitles[] = {"T", "Ti", "Tit", "Titl"};

TEST_F(WindowSlotTest, TheVariableAfterADescriptionOfAnyLengthHoldsTheWindowUntilClosed) {
  std::vector<size_t> alignments;
  for (const char* title : kTitles) {
    Lay(title);
    alignments.push_back(reinterpret_cast<uintptr_t>(Variable()) % 4);
    ObjectHeader* window = RuntimeCreateWindow(image_.data(), Variable());
    ASSERT_NE(window, nullptr) << title;
    EXPECT_EQ(Held(), window) << title;
    EXPECT_EQ(window->refCount, 3) << title << ": the caller's, the variable's, the native window's";
    RuntimeCloseWindow(window);
    EXPECT_EQ(Held(), nullptr) << title << ": closing empties the variable";
    EXPECT_EQ(window->refCount, 1) << title;
    UnlockObject(window);
  }
  std::sort(alignments.begin(), alignments.end());
  EXPECT_EQ(alignments, (std::vector<size_t>{0, 1, 2, 3})) << "every alignment was met";
}

TEST_F(WindowSlotTest, AWindowClosedByItsOpenHandlerLeavesItsUnalignedVariableEmpty) {
  gBehave.closeOn = "Open";
  for (const char* title : kTitles) {
    Lay(title);
    int live = LiveObjectCount();
    EXPECT_EQ(RuntimeCreateWindow(image_.data(), Variable()), nullptr) << title;
    EXPECT_EQ(Held(), nullptr) << title;
    EXPECT_EQ(LiveObjectCount(), live) << title << ": the window is freed";
    EXPECT_EQ(FirstViewWindow(), nullptr) << title;
  }
}

}  // namespace
}  // namespace windows_test
