// Controls of a window built from a real description record (RuntimeCreateWindow on a
// relocated data1 block): control-array lookups and cloning on the dictionary and templates
// that window creation made, and pane state decided before the pane existed.
#include "tests/ui/controls_fixture.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/image/relocator.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/records/classtable.h"
#include "runtime/records/datablock.h"
#include "tools/imagekit/imagekit.h"

namespace controls_test {
namespace {

using imagekit::ControlDesc;
using imagekit::WindowDesc;

class ControlDescriptionTest : public ControlsTest {
 protected:
  void TearDown() override {
    ControlsTest::TearDown();
    ForgetImageClasses();
    SetImageData(DataBlock{});
    images_.clear();  // nothing refers to the images' data1 any more
  }

  // Builds an image holding the window (class "Finestra", a Window) whose controls are of
  // the spy control class, relocates it and creates the window from its record.
  ObjectHeader* Create(const std::vector<imagekit::PropertyPair>& windowPairs,
                       const std::vector<std::vector<imagekit::PropertyPair>>& controls) {
    RegisterClass(TestClass(PaneKind::kSpy));
    imagekit::ImageBuilder b;
    uint32_t windowClass = b.AddRuntimeClass("Window");
    imagekit::ClassDef finestra;
    finestra.name = "Finestra";
    finestra.instanceSize = 120;
    finestra.superclass = int32_t(windowClass);
    WindowDesc desc;
    desc.classIndex = int32_t(b.AddClass(finestra));
    uint32_t spyClass = b.AddRuntimeClass("SpyControl");
    desc.properties = windowPairs;
    for (const auto& pairs : controls) desc.controls.push_back(ControlDesc{int32_t(spyClass), pairs});
    b.AddWindow(desc);
    uint32_t slotOffset = b.DataSize() - 8;  // record pointer, then the instance variable
    b.SetApplicationDescriptor(b.AddApplicationDescriptor());
    imagekit::Image image = b.Finish();
    // Kept until the classes read from it are forgotten, as an image's data1 is.
    images_.push_back(std::make_unique<std::vector<uint8_t>>(image.data1));
    std::vector<uint8_t>* data1 = images_.back().get();
    std::string message;
    EXPECT_TRUE(ApplyRelocations(ImageBlock{data1->data(), uint32_t(data1->size())},
                                 ImageBlock{image.data2.data(), uint32_t(image.data2.size())},
                                 0x40000000, reinterpret_cast<uintptr_t>(data1->data()),
                                 message))
        << message;
    DataBlock block = DataBlock::Relocated(data1->data(), uint32_t(data1->size()));
    SetImageData(block);
    BlockHeader header;
    EXPECT_TRUE(ReadBlockHeader(block, header, message)) << message;
    EXPECT_TRUE(LoadImageClasses(block, header.descriptorOffset, &message)) << message;
    uint32_t record = 0;
    std::memcpy(&record, data1->data() + slotOffset, 4);
    auto** variable = reinterpret_cast<ObjectHeader**>(data1->data() + slotOffset + 4);
    ObjectHeader* window = RuntimeCreateWindow(reinterpret_cast<void*>(record), variable);
    if (window != nullptr) windows_.push_back(window);
    return window;
  }

  std::vector<std::unique_ptr<std::vector<uint8_t>>> images_;

  static std::vector<imagekit::PropertyPair> Button(int32_t index) {
    return {{"Name", "pb"},
            {"Index", std::to_string(index)},
            {"Left", std::to_string(10 + 30 * (index % 11))},
            {"Top", std::to_string(10 + 40 * (index / 11))},
            {"Width", "28"},
            {"Height", "20"},
            {"Visible", "True"},
            {"Enabled", "True"}};
  }

  ObjectHeader* Item(ObjectHeader* window, int32_t index) {
    StringRef name = StringRef::Adopt(Text("pb"));
    return RuntimeControlArrayItemReference(window, name.get(), index);
  }
};

TEST_F(ControlDescriptionTest, ButtonArrayFromADescription) {
  std::vector<std::vector<imagekit::PropertyPair>> controls;
  for (int32_t i : {22, 8, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                    21}) {
    controls.push_back(Button(i));
  }
  ObjectHeader* window = Create({{"Width", "400"}, {"Height", "200"}, {"Title", "Accordi"}},
                                controls);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Item(window, 23), nullptr);
  ObjectHeader* eight = Item(window, 8);
  ASSERT_NE(eight, nullptr);
  EXPECT_EQ(C(eight)->index, 8);
  EXPECT_EQ(C(eight)->arrayIndex, 8);
  EXPECT_EQ(ctlPosGetter(eight, 0), 10 + 30 * 8);
  EXPECT_NE(C(eight)->pane, nullptr);
  UnlockObject(eight);

  gEvents.clear();
  StringRef name = StringRef::Adopt(Text("pb"));
  ObjectHeader* zero = RuntimeCloneControlReference(window, name.get());
  ObjectHeader* next = RuntimeCloneControlReference(window, name.get());
  ASSERT_NE(zero, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(C(zero)->index, 0);
  EXPECT_EQ(C(next)->index, 23);
  EXPECT_EQ(gEvents, (std::vector<std::string>{"CreatePane pb 0 runtime", "Open pb 0",
                                               "CreatePane pb 23 runtime", "Open pb 23"}));
  // The template is the first pb of the description (index 22): its position is copied.
  EXPECT_EQ(ctlPosGetter(zero, 0), 10 + 30 * (22 % 11));
  EXPECT_EQ(ctlPosGetter(zero, 1), 10 + 40 * (22 / 11));
  ObjectHeader* found = Item(window, 23);
  EXPECT_EQ(found, next);
  UnlockObject(found);
  UnlockObject(zero);
  UnlockObject(next);
}

TEST_F(ControlDescriptionTest, StateSetBeforeThePaneIsWhereThePaneStarts) {
  auto hidden = Button(1);
  hidden.push_back({"Visible", "False"});
  auto disabled = Button(2);
  disabled.push_back({"Enabled", "False"});
  ObjectHeader* window = Create({{"Width", "400"}, {"Height", "200"}}, {hidden, disabled});
  ASSERT_NE(window, nullptr);
  ObjectHeader* one = Item(window, 1);
  ObjectHeader* two = Item(window, 2);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  SpyPane* hiddenPane = Spy(one);
  SpyPane* disabledPane = Spy(two);
  ASSERT_NE(hiddenPane, nullptr);
  ASSERT_NE(disabledPane, nullptr);
  EXPECT_EQ(hiddenPane->visible, 0);
  EXPECT_EQ(hiddenPane->enabled, 1);
  EXPECT_EQ(disabledPane->enabled, 0);
  EXPECT_EQ(disabledPane->visible, 1);
  // Refresh of an invisible control does nothing.
  hiddenPane->invalidates = hiddenPane->updates = 0;
  RuntimeControlRefresh(one);
  EXPECT_EQ(hiddenPane->invalidates, 0);
  EXPECT_EQ(hiddenPane->updates, 0);
  UnlockObject(one);
  UnlockObject(two);
}

}  // namespace
}  // namespace controls_test
