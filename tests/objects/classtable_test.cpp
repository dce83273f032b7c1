// The image's classes and project items, read from data1 blocks that the image kit writes
// and the runtime's relocator relocates: kind-0 and kind-1 descriptors, list orders,
// superclasses, size reports, interface tables, class-index entries, damaged tables, and
// the project items of every handled kind.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "runtime/entries/entries.h"
#include "runtime/image/relocator.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/records/classtable.h"
#include "runtime/startup/fatal.h"
#include "tests/objects/objecttestsupport.h"
#include "tools/imagekit/imagekit.h"

namespace {

using namespace objects_test;
using imagekit::ClassDef;
using imagekit::CodeLabel;
using imagekit::ImageBuilder;

constexpr uintptr_t kCodeBase = 0x40000000;  // code pointers are compared, never called

// Builds images with code labels at known offsets (label k at 16 * k).
class TableBuilder {
 public:
  TableBuilder() {
    builder.EmitCode(imagekit::Bytes(16 * 64, 0xC3));
    for (uint32_t k = 0; k < 64; ++k) {
      labels.push_back(builder.NewCodeLabel());
      builder.BindCodeAt(labels.back(), 16 * k);
    }
  }
  CodeLabel Label(uint32_t k) const { return labels[k]; }
  static CodeAddress Address(uint32_t k) { return reinterpret_cast<CodeAddress>(kCodeBase + 16 * k); }

  // Finishes and relocates the image; the block lives for the rest of the process, as an
  // image's data1 does.
  DataBlock Finish() {
    builder.SetApplicationDescriptor(builder.AddApplicationDescriptor());
    imagekit::Image image = builder.Finish();
    static std::vector<std::unique_ptr<std::vector<uint8_t>>> kept;
    kept.push_back(std::make_unique<std::vector<uint8_t>>(image.data1));
    std::vector<uint8_t>* data1 = kept.back().get();
    std::string message;
    EXPECT_TRUE(ApplyRelocations(ImageBlock{data1->data(), uint32_t(data1->size())},
                                 ImageBlock{image.data2.data(), uint32_t(image.data2.size())},
                                 kCodeBase, reinterpret_cast<uintptr_t>(data1->data()),
                                 message))
        << message;
    return DataBlock::Relocated(data1->data(), uint32_t(data1->size()));
  }

  ImageBuilder builder;

 private:
  std::vector<CodeLabel> labels;
};

uint32_t DescriptorOffset(const DataBlock& block) {
  BlockHeader header;
  std::string error;
  EXPECT_TRUE(ReadBlockHeader(block, header, error)) << error;
  return header.descriptorOffset;
}

bool Load(const DataBlock& block, std::string* error = nullptr) {
  std::string ignored;
  return LoadImageClasses(block, DescriptorOffset(block), error ? error : &ignored);
}

std::vector<std::string> Names(EventHandlerEntry* list) {
  std::vector<std::string> names;
  for (; list != nullptr; list = list->next) names.emplace_back(StringView(list->name));
  return names;
}

TEST(ClassTable, DefinedClassCarriesEveryField) {
  TableBuilder t;
  ClassDef base;
  base.name = "Base";
  base.instanceSize = 32;
  uint32_t baseIndex = t.builder.AddClass(base);
  ClassDef def;
  def.name = "Exercise";
  def.instanceSize = 40;
  def.superclass = int32_t(baseIndex);
  def.constructor = t.Label(1);
  def.destructor = t.Label(2);
  def.methods = {{"First", t.Label(3)}, {"Second", t.Label(4)}};
  def.eventHandlers = {{"Open", t.Label(5), 11}, {"Close", t.Label(6), 12}};
  def.menuHandlers = {{"FileQuit", t.Label(7)}, {"EditCopy", t.Label(8)}};
  def.vtable = {t.Label(9), std::nullopt};
  uint32_t index = t.builder.AddClass(def);
  ASSERT_TRUE(Load(t.Finish()));

  ClassRecord* cls = ImageClass(int32_t(index));
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->kind, kClassRecordKind);
  EXPECT_STREQ(StringText(cls->name), "Exercise");
  EXPECT_EQ(cls->instanceSize, 40);
  EXPECT_EQ(cls->superclass, ImageClass(int32_t(baseIndex)));
  EXPECT_EQ(cls->builtIn, 0);
  EXPECT_EQ(reinterpret_cast<CodeAddress>(cls->constructor), TableBuilder::Address(1));
  EXPECT_EQ(reinterpret_cast<CodeAddress>(cls->destructor), TableBuilder::Address(2));
  ASSERT_NE(cls->methods, nullptr);  // methods keep file order
  EXPECT_STREQ(StringText(cls->methods->name), "First");
  EXPECT_EQ(cls->methods->entry, TableBuilder::Address(3));
  EXPECT_STREQ(StringText(cls->methods->next->name), "Second");
  // Event and menu handlers are in reverse file order.
  EXPECT_EQ(Names(cls->eventHandlers), (std::vector<std::string>{"Close", "Open"}));
  EXPECT_EQ(cls->eventHandlers->eventKey, 12u);
  EXPECT_EQ(cls->eventHandlers->entry, TableBuilder::Address(6));
  EXPECT_STREQ(StringText(cls->menuHandlers->name), "EditCopy");
  EXPECT_EQ(cls->menuHandlers->next->entry, TableBuilder::Address(7));
  ASSERT_EQ(cls->vtableLength, 2);
  EXPECT_EQ(cls->vtable[0], TableBuilder::Address(9));
  EXPECT_EQ(cls->vtable[1], nullptr);
  // The new records join the list of all classes.
  bool listed = false;
  for (ClassRecord* at = AllClasses(); at != nullptr; at = at->nextClass) listed |= at == cls;
  EXPECT_TRUE(listed);
}

TEST(ClassTable, UnnamedClassWithoutHooksAndNoSuperclass) {
  TableBuilder t;
  ClassDef def;  // no name, no constructor, superclass -1
  uint32_t index = t.builder.AddClass(def);
  ASSERT_TRUE(Load(t.Finish()));
  ClassRecord* cls = ImageClass(int32_t(index));
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(cls->name, nullptr);
  EXPECT_EQ(cls->superclass, nullptr);
  EXPECT_EQ(cls->constructor, nullptr);
  EXPECT_EQ(cls->instanceSize, 24);
}

TEST(ClassTable, SuppliedClassesResolveByNameIgnoringCase) {
  HookScope hooks;
  TableBuilder t;
  uint32_t object = t.builder.AddRuntimeClass("OBJECT");
  uint32_t missing = t.builder.AddRuntimeClass("NoSuchBuiltinClass");
  ClassDef def;
  def.name = "Sub";
  def.superclass = int32_t(object);
  uint32_t sub = t.builder.AddClass(def);
  ASSERT_TRUE(Load(t.Finish()));
  EXPECT_EQ(ImageClass(int32_t(object)), AMX_BUILTIN_CLASS(Object));
  EXPECT_EQ(ImageClass(int32_t(missing)), nullptr);
  EXPECT_EQ(ImageClass(int32_t(sub))->superclass, AMX_BUILTIN_CLASS(Object));
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 2  0"}));

  // An unresolved class cannot be instantiated.
  Log().clear();
  EXPECT_EQ(RuntimeNewObject(int32_t(missing)), nullptr);
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 4 RuntimeMain 1161"}));
}

std::vector<std::string> gDebugMessages;
void RecordDebugMessage(const char* text) { gDebugMessages.emplace_back(text); }

TEST(ClassTable, SubclassSmallerThanItsSuperclassIsReportedAndKept) {
  TableBuilder t;
  ClassDef big;
  big.name = "Big";
  big.instanceSize = 64;
  uint32_t bigIndex = t.builder.AddClass(big);
  ClassDef small;
  small.name = "Small";
  small.instanceSize = 32;
  small.superclass = int32_t(bigIndex);
  uint32_t smallIndex = t.builder.AddClass(small);
  gDebugMessages.clear();
  DebugMessageHook old = SetDebugMessageHook(RecordDebugMessage);
  bool loaded = Load(t.Finish());
  SetDebugMessageHook(old);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(gDebugMessages.size(), 1u);
  EXPECT_EQ(gDebugMessages[0],
            "!!! RuntimeInit -- Bad class object size\n\tClass Name: Small\n\tClass Size: 32\n"
            "\tSuper Name: Big\n\tSuper Size: 64\n");
  EXPECT_EQ(ImageClass(int32_t(smallIndex))->instanceSize, 32);
}

TEST(ClassTable, InterfaceTablesMapSlotsToImplementations) {
  TableBuilder t;
  ClassDef shape;
  shape.name = "Shape";
  shape.isInterface = true;
  shape.methods = {{"Draw", std::nullopt}, {"Area", std::nullopt}};
  uint32_t shapeIndex = t.builder.AddClass(shape);
  ClassDef base;
  base.name = "Base";
  base.methods = {{"area", t.Label(1)}};
  uint32_t baseIndex = t.builder.AddClass(base);
  ClassDef square;
  square.name = "Square";
  square.superclass = int32_t(baseIndex);
  square.interfaces = {shapeIndex};
  square.methods = {{"Draw", t.Label(2)}, {"Area", t.Label(3)}};
  uint32_t squareIndex = t.builder.AddClass(square);
  ClassDef circle;  // finds Area in its superclass
  circle.name = "Circle";
  circle.superclass = int32_t(baseIndex);
  circle.interfaces = {shapeIndex};
  circle.methods = {{"DRAW", t.Label(4)}};
  uint32_t circleIndex = t.builder.AddClass(circle);
  ASSERT_TRUE(Load(t.Finish()));

  ClassRecord* interface = ImageClass(int32_t(shapeIndex));
  EXPECT_EQ(interface->methods->flags & kMethodOfInterface, kMethodOfInterface);
  EXPECT_EQ(interface->methods->interfaceSlot, 1);
  EXPECT_EQ(interface->methods->next->interfaceSlot, 2);
  EXPECT_EQ(interface->interfaces, nullptr);

  ObjectHeader* sq = MakeObject(ImageClass(int32_t(squareIndex)));
  ObjectHeader* ci = MakeObject(ImageClass(int32_t(circleIndex)));
  ObjectHeader* plain = MakeObject(ImageClass(int32_t(baseIndex)));
  int32_t s = int32_t(shapeIndex);
  EXPECT_EQ(FindInterfaceVTableCode(sq, 1, s), TableBuilder::Address(2));
  EXPECT_EQ(FindInterfaceVTableCode(sq, 2, s), TableBuilder::Address(3));
  EXPECT_EQ(FindInterfaceVTableCode(ci, 1, s), TableBuilder::Address(4));
  EXPECT_EQ(FindInterfaceVTableCode(ci, 2, s), TableBuilder::Address(1));
  EXPECT_EQ(ImageClass(int32_t(squareIndex))->interfaces->tableLength, 3);
  EXPECT_EQ(FindInterfaceVTableCode(plain, 1, s), nullptr);  // does not implement it
  EXPECT_EQ(FindInterfaceVTableCode(sq, 3, s), nullptr);     // past the table
  EXPECT_EQ(FindInterfaceVTableCode(nullptr, 1, s), nullptr);
  EXPECT_TRUE(RuntimeObjectIsa(sq, s));
  EXPECT_FALSE(RuntimeObjectIsa(plain, s));
  for (ObjectHeader* o : {sq, ci, plain}) UnlockObject(o);
}

TEST(ClassTable, MissingInterfaceMethodIsReported) {
  HookScope hooks;
  TableBuilder t;
  ClassDef shape;
  shape.name = "Shape";
  shape.isInterface = true;
  shape.methods = {{"Draw", std::nullopt}};
  uint32_t shapeIndex = t.builder.AddClass(shape);
  ClassDef lazy;
  lazy.name = "Lazy";
  lazy.interfaces = {shapeIndex};
  t.builder.AddClass(lazy);
  ASSERT_TRUE(Load(t.Finish()));  // reported; start-up goes on
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 2 objects 2389", "assert 4 objects 6036"}));
}

TEST(ClassTable, InterfacesAreListedInReverseFileOrder) {
  TableBuilder t;
  ClassDef a, b;
  a.name = "IA";
  a.isInterface = true;
  b.name = "IB";
  b.isInterface = true;
  uint32_t ia = t.builder.AddClass(a), ib = t.builder.AddClass(b);
  ClassDef both;
  both.name = "Both";
  both.interfaces = {ia, ib};
  uint32_t index = t.builder.AddClass(both);
  ASSERT_TRUE(Load(t.Finish()));
  InterfaceEntry* first = ImageClass(int32_t(index))->interfaces;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->interface, ImageClass(int32_t(ib)));
  EXPECT_EQ(first->next->interface, ImageClass(int32_t(ia)));
}

TEST(ClassIndexEntries, NewObjectIsaAndCast) {
  HookScope hooks;
  TableBuilder t;
  ClassDef base, derived, other;
  base.name = "Base";
  uint32_t b = t.builder.AddClass(base);
  derived.name = "Derived";
  derived.superclass = int32_t(b);
  uint32_t d = t.builder.AddClass(derived);
  other.name = "Other";
  uint32_t o = t.builder.AddClass(other);
  ASSERT_TRUE(Load(t.Finish()));

  ObjectHeader* object = RuntimeNewObject(int32_t(d));
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->cls, ImageClass(int32_t(d)));
  EXPECT_TRUE(RuntimeObjectIsa(object, int32_t(b)));
  EXPECT_FALSE(RuntimeObjectIsa(object, int32_t(o)));
  EXPECT_FALSE(RuntimeObjectIsa(nullptr, int32_t(b)));
  EXPECT_FALSE(RuntimeObjectIsa(object, 99));  // no such class

  RuntimeCheckCast(object, int32_t(b));
  RuntimeCheckCast(nullptr, int32_t(o));  // nil is a legal cast
  EXPECT_TRUE(Raised().empty());
  RuntimeCheckCast(object, int32_t(o));
  ASSERT_EQ(Raised().size(), 1u);
  EXPECT_STREQ(StringText(Raised()[0]->cls->name), "IllegalCastException");

  for (int32_t bad : {-1, 3, 1000}) {
    Log().clear();
    EXPECT_EQ(RuntimeNewObject(bad), nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{"assert 4 RuntimeMain 1161"}));
  }
  UnlockObject(object);
}

TEST(ClassTable, DamagedTablesAreRefusedWithAMessage) {
  // A class descriptor pointer that leads outside data1.
  TableBuilder t;
  ClassDef def;
  def.name = "Fine";
  t.builder.AddClass(def);
  DataBlock block = t.Finish();
  uint32_t descriptor = DescriptorOffset(block);
  uint32_t outside = 0xFFFFFF00u;
  std::memcpy(const_cast<uint8_t*>(block.bytes) + descriptor + 4, &outside, 4);
  std::string error;
  EXPECT_FALSE(LoadImageClasses(block, descriptor, &error));
  EXPECT_NE(error.find("outside data1"), std::string::npos) << error;
  EXPECT_EQ(ImageClassCount(), 0);

  // A class count far beyond the block.
  uint32_t huge = 0x10000000u;
  std::memcpy(const_cast<uint8_t*>(block.bytes) + descriptor, &huge, 4);
  error.clear();
  EXPECT_FALSE(LoadImageClasses(block, descriptor, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(LoadImageClasses(block, block.size + 100, &error));
}

TEST(ClassTable, SuperclassLoopIsRefused) {
  TableBuilder t;
  ClassDef a, b;
  a.name = "A";
  a.superclass = 1;
  b.name = "B";
  b.superclass = 0;
  t.builder.AddClass(a);
  t.builder.AddClass(b);
  std::string error;
  EXPECT_FALSE(Load(t.Finish(), &error));
  EXPECT_EQ(error, "class descriptor 0: superclass chain loops");
  EXPECT_EQ(ImageClass(0), nullptr);
}

TEST(ClassTable, OversizedInstanceIsRefused) {
  TableBuilder t;
  ClassDef def;
  def.name = "Huge";
  def.instanceSize = 0x7FFFFFF0;
  t.builder.AddClass(def);
  std::string error;
  EXPECT_FALSE(Load(t.Finish(), &error));
  EXPECT_EQ(error, "class descriptor 0: instance size 2147483632 is too large");
}

// ---- Project items ----------------------------------------------------------------------

std::vector<std::string> gStreams;
void RecordMenuBar(const uint8_t* bytes, uint32_t length) {
  gStreams.push_back("menu " + std::string(reinterpret_cast<const char*>(bytes), length));
}
void RecordSettings(const uint8_t* bytes, uint32_t length) {
  gStreams.push_back("settings " + std::string(reinterpret_cast<const char*>(bytes), length));
}

ObjectHeader* MakePicture(const DataBlock&, const ProjectItem& item) {
  ObjectHeader* picture = MakeObject(AMX_BUILTIN_CLASS(Object));
  reinterpret_cast<uint32_t*>(picture)[4] = item.word1;
  return picture;
}

imagekit::Bytes Words(std::initializer_list<uint32_t> words) {
  imagekit::Bytes bytes;
  for (uint32_t w : words)
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
  return bytes;
}

TEST(ProjectItems, EveryKindInListOrder) {
  HookScope hooks;
  TableBuilder t;
  ClassDef def;
  def.name = "Made";
  uint32_t madeIndex = t.builder.AddClass(def);
  imagekit::Bytes menu = Words({2, 3});
  menu.insert(menu.end(), {'a', 'b', 'c'});
  uint32_t menuItem = t.builder.AddRawProjectItem(menu);
  uint32_t settingsItem = t.builder.AddProjectSettings({'x', 'y'});
  uint32_t pictureItem = t.builder.AddRawProjectItem(Words({1, 77, 0}));
  uint32_t instanceItem = t.builder.AddRawProjectItem(Words({5, madeIndex, 0}));
  uint32_t unknownItem = t.builder.AddRawProjectItem(Words({11, 0}));
  uint32_t movieItem = t.builder.AddRawProjectItem(Words({3, 5}));  // no maker: nil
  uint32_t variable = t.builder.EmitWord(0);
  DataBlock block = t.Finish();
  uint32_t descriptor = DescriptorOffset(block);
  ASSERT_TRUE(Load(block));

  // Word 2 of the kind-5 item points at the variable (relocated by hand: the kit writes raw
  // items as they are).
  ApplicationDescriptor app;
  std::string error;
  ASSERT_TRUE(app.Open(block, descriptor, error)) << error;
  bool present = false;
  uint32_t instanceAt = 0;
  ASSERT_TRUE(app.ProjectItemOffset(int32_t(instanceItem) - 1, present, instanceAt, error));
  uint32_t variableAddress = uint32_t(reinterpret_cast<uintptr_t>(block.bytes)) + variable;
  std::memcpy(const_cast<uint8_t*>(block.bytes) + instanceAt + 8, &variableAddress, 4);

  gStreams.clear();
  SetMenuBarStreamHandler(RecordMenuBar);
  SetProjectSettingsHandler(RecordSettings);
  SetProjectObjectMaker(1, MakePicture);
  bool loaded = LoadProjectItems(block, descriptor, &error);
  SetMenuBarStreamHandler(nullptr);
  SetProjectSettingsHandler(nullptr);
  SetProjectObjectMaker(1, nullptr);
  ASSERT_TRUE(loaded) << error;

  EXPECT_EQ(gStreams, (std::vector<std::string>{"menu abc", "settings xy"}));
  EXPECT_EQ(Log(), (std::vector<std::string>{"assert 3  0"}));  // kind 11
  EXPECT_EQ(ProjectItemCount(), int32_t(movieItem));
  EXPECT_EQ(RuntimeProjectObject(int32_t(menuItem)), nullptr);
  EXPECT_EQ(RuntimeProjectObject(int32_t(settingsItem)), nullptr);
  EXPECT_EQ(RuntimeProjectObject(int32_t(unknownItem)), nullptr);
  EXPECT_EQ(RuntimeProjectObject(int32_t(movieItem)), nullptr);
  EXPECT_EQ(RuntimeProjectObject(int32_t(instanceItem)), nullptr);  // no project item
  ObjectHeader* variableObject = nullptr;
  std::memcpy(&variableObject, block.bytes + variable, 4);
  ASSERT_NE(variableObject, nullptr);
  EXPECT_EQ(variableObject->cls, ImageClass(int32_t(madeIndex)));
  EXPECT_EQ(variableObject->refCount, 1);

  ObjectHeader* picture = RuntimeProjectObject(int32_t(pictureItem));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(picture)[4], 77u);
  EXPECT_EQ(picture->refCount, 2);  // the table's and ours
  EXPECT_EQ(RuntimePictureReference(int32_t(pictureItem)), picture);
  UnlockObject(picture);
  UnlockObject(picture);
  EXPECT_EQ(RuntimeProjectObject(0), nullptr);
  EXPECT_EQ(RuntimeProjectObject(int32_t(movieItem) + 1), nullptr);
  EXPECT_EQ(RuntimeProjectObject(-1), nullptr);
}

TEST(ProjectItems, StreamPastTheBlockIsRefused) {
  TableBuilder t;
  t.builder.AddRawProjectItem(Words({2, 0x7FFFFFFF}));
  DataBlock block = t.Finish();
  std::string error;
  ASSERT_TRUE(Load(block));
  EXPECT_FALSE(LoadProjectItems(block, DescriptorOffset(block), &error));
  EXPECT_NE(error.find("runs past the end of data1"), std::string::npos) << error;
}

}  // namespace
