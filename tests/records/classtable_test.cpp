// The block header, the application descriptor and class descriptors of kinds 0 and 1:
// every field of a full descriptor, relocated and unrelocated blocks, and the damage each
// count, pointer and index check refuses, with its message.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/objects/string.h"
#include "runtime/records/classtable.h"
#include "tests/records/blockbuilder.h"

namespace {

using records_test::BlockBuilder;

// data1 with: header, literals, class 0 = kind 1 "Window", class 1 = kind 0 "fnMt"
// (constructor, one interface, two methods, two handlers, a menu handler, vtable of 2),
// class 2 = anonymous kind-0 interface with one method name, and the descriptor (3 classes,
// 2 project items, the second a 0 pointer).
struct Image {
  BlockBuilder b;
  uint32_t windowName, fnMtName, action, mouseEnter, quit, methodA, methodB;
  uint32_t kind1, kind0, iface, item, descriptor, vtable;

  Image() {
    b.Word(0x00075B16);        // entry point (code pointer)
    uint32_t head = b.Word(0);  // descriptor pointer, patched below
    windowName = b.Literal("Window");
    fnMtName = b.Literal("fnMt");
    action = b.Literal("Action");
    mouseEnter = b.Literal("MouseEnter");
    quit = b.Literal("FileQuit");
    methodA = b.Literal("Play");
    methodB = b.Literal("Stop");
    kind1 = b.Word(1);
    b.Word(windowName);
    kind0 = b.Word(0);
    b.Word(120);         // instance size
    b.Word(fnMtName);
    b.Word(0);           // superclass: class 0
    b.Word(1);           // has constructor
    b.Word(0x1000);      // constructor
    b.Word(0x1100);      // destructor
    b.Word(0xFFFFFF00);  // interface flag byte 0; the other three bytes are not read
    b.Word(1);           // one interface
    b.Word(2);           // class 2
    b.Word(2);           // two methods
    b.Word(methodA);
    b.Word(0x1200);
    b.Word(methodB);
    b.Word(0x1300);
    b.Word(2);           // two event handlers
    b.Word(action);
    b.Word(0x1400);
    b.Word(0);
    b.Word(mouseEnter);
    b.Word(0x1500);
    b.Word(7);
    b.Word(1);           // one menu handler
    b.Word(quit);
    b.Word(0x1600);
    b.Word(2);           // virtual table of 2
    vtable = b.Word(0);
    b.Word(0x1700);
    iface = b.Word(0);
    b.Word(24);
    b.Word(0);           // anonymous
    b.Word(0xFFFFFFFF);  // no superclass
    b.Word(0);           // no constructor: the rest follows at +20
    b.Word(1);           // interface flag
    b.Word(0);           // no interfaces
    b.Word(1);           // one method, name only
    b.Word(methodA);
    b.Word(0);
    b.Word(0);
    b.Word(0);           // empty virtual table
    item = b.Word(2);    // menu bar item with an empty stream
    b.Counted({0x00});
    descriptor = b.Word(3);
    b.Word(kind1);
    b.Word(kind0);
    b.Word(iface);
    b.Word(2);
    b.Word(item);
    b.Word(0);
    b.Patch(head, descriptor);
  }
};

bool ReadClass(const DataBlock& block, int32_t index, ClassDescriptorView& view,
               std::string& error) {
  BlockHeader header;
  ApplicationDescriptor app;
  uint32_t offset = 0;
  return ReadBlockHeader(block, header, error) && app.Open(block, header.descriptorOffset, error) &&
         app.ClassDescriptorOffset(index, offset, error) &&
         ReadClassDescriptor(block, offset, index, app.ClassCount(), view, error);
}

TEST(ApplicationDescriptor, ListsClassesAndProjectItems) {
  Image image;
  DataBlock block = image.b.Block();
  std::string error;
  BlockHeader header;
  ASSERT_TRUE(ReadBlockHeader(block, header, error)) << error;
  EXPECT_EQ(header.entryPoint, 0x00075B16u);
  EXPECT_EQ(header.descriptorOffset, image.descriptor);
  ApplicationDescriptor app;
  ASSERT_TRUE(app.Open(block, header.descriptorOffset, error)) << error;
  EXPECT_EQ(app.ClassCount(), 3);
  EXPECT_EQ(app.ProjectItemCount(), 2);
  uint32_t offset = 0;
  ASSERT_TRUE(app.ClassDescriptorOffset(2, offset, error));
  EXPECT_EQ(offset, image.iface);
  bool present = false;
  ASSERT_TRUE(app.ProjectItemOffset(0, present, offset, error));
  EXPECT_TRUE(present);
  EXPECT_EQ(offset, image.item);
  ASSERT_TRUE(app.ProjectItemOffset(1, present, offset, error));
  EXPECT_FALSE(present);
  EXPECT_FALSE(app.ClassDescriptorOffset(3, offset, error));
  EXPECT_EQ(error, "application descriptor at data1+" + Hex(image.descriptor) +
                       ": there is no class 3");
  EXPECT_FALSE(app.ProjectItemOffset(-1, present, offset, error));
}

TEST(ClassDescriptor, KindOneNamesAClass) {
  Image image;
  ClassDescriptorView view;
  std::string error;
  ASSERT_TRUE(ReadClass(image.b.Block(), 0, view, error)) << error;
  EXPECT_EQ(view.kind, kClassNamed);
  EXPECT_EQ(view.name.text, "Window");
  EXPECT_EQ(view.name.offset, image.windowName);
}

TEST(ClassDescriptor, KindZeroGivesEverySectionInFileOrder) {
  Image image;
  ClassDescriptorView v;
  std::string error;
  ASSERT_TRUE(ReadClass(image.b.Block(), 1, v, error)) << error;
  EXPECT_EQ(v.kind, kClassDefined);
  EXPECT_EQ(v.instanceSize, 120);
  EXPECT_EQ(v.name.text, "fnMt");
  EXPECT_EQ(v.superclass, 0);
  EXPECT_TRUE(v.hasConstructor);
  EXPECT_EQ(v.constructor, 0x1000u);
  EXPECT_EQ(v.destructor, 0x1100u);
  EXPECT_FALSE(v.isInterface);
  EXPECT_EQ(v.interfaces, std::vector<int32_t>{2});
  ASSERT_EQ(v.methods.size(), 2u);
  EXPECT_EQ(v.methods[1].name.text, "Stop");
  EXPECT_EQ(v.methods[1].entry, 0x1300u);
  ASSERT_EQ(v.eventHandlers.size(), 2u);
  EXPECT_EQ(v.eventHandlers[0].name.text, "Action");
  EXPECT_EQ(v.eventHandlers[1].entry, 0x1500u);
  EXPECT_EQ(v.eventHandlers[1].eventKey, 7u);
  ASSERT_EQ(v.menuHandlers.size(), 1u);
  EXPECT_EQ(v.menuHandlers[0].name.text, "FileQuit");
  EXPECT_EQ(v.menuHandlers[0].entry, 0x1600u);
  EXPECT_EQ(v.vtableLength, 2);
  EXPECT_EQ(v.vtableOffset, image.vtable);
  EXPECT_EQ(v.vtable[1], 0x1700u);
}

TEST(ClassDescriptor, AnonymousInterfaceWithoutConstructor) {
  Image image;
  ClassDescriptorView v;
  std::string error;
  ASSERT_TRUE(ReadClass(image.b.Block(), 2, v, error)) << error;
  EXPECT_FALSE(v.name.present());
  EXPECT_EQ(v.superclass, -1);
  EXPECT_FALSE(v.hasConstructor);
  EXPECT_TRUE(v.isInterface);
  ASSERT_EQ(v.methods.size(), 1u);
  EXPECT_EQ(v.methods[0].name.text, "Play");
  EXPECT_EQ(v.methods[0].entry, 0u);
  EXPECT_EQ(v.vtableLength, 0);
}

TEST(ClassDescriptor, RelocatedBlockResolvesAddresses) {
  Image image;
  // Relocate every data pointer the way data2 would: add the block's address.
  auto base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(image.b.bytes.data()));
  const uint32_t pointerWords[] = {4, image.kind1 + 4, image.kind0 + 8, image.descriptor + 4,
                                   image.descriptor + 8, image.descriptor + 12,
                                   image.descriptor + 20};
  for (uint32_t at : pointerWords) {
    uint32_t w;
    std::memcpy(&w, image.b.bytes.data() + at, 4);
    image.b.Patch(at, w + base);
  }
  for (uint32_t lit : {image.windowName, image.fnMtName}) {
    uint32_t w;
    std::memcpy(&w, image.b.bytes.data() + lit + 4, 4);
    image.b.Patch(lit + 4, w + base);
  }
  // Only the pointers classes 0 and 1 reach through their names were relocated above.
  DataBlock block = DataBlock::Relocated(image.b.bytes.data(), image.b.Size());
  ClassDescriptorView v;
  std::string error;
  ASSERT_TRUE(ReadClass(block, 0, v, error)) << error;
  EXPECT_EQ(v.name.text, "Window");
  // The literal is usable in place as a runtime string once relocated.
  EXPECT_EQ(v.name.record->length, 6);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(v.name.record->buffer) + 1), "Window");
}

struct Damage {
  const char* name;
  void (*damage)(Image&);
  int32_t index;
  std::string (*message)(const Image&);
};

TEST(ClassDescriptor, RefusesDamageWithAMessage) {
  const Damage cases[] = {
      {"unknown kind", [](Image& i) { i.b.Patch(i.kind1, 9); }, 0,
       [](const Image& i) { return "class descriptor 0 at data1+" + Hex(i.kind1) + ": unknown kind 9"; }},
      {"kind-1 name missing", [](Image& i) { i.b.Patch(i.kind1 + 4, 0); }, 0,
       [](const Image& i) {
         return "class descriptor 0 name at data1+" + Hex(i.kind1 + 4) + ": the string pointer is 0";
       }},
      {"name outside data1", [](Image& i) { i.b.Patch(i.kind1 + 4, 0x7FFFFF); }, 0,
       [](const Image& i) {
         return "class descriptor 0 name at data1+" + Hex(i.kind1 + 4) +
                ": the string pointer 0x7FFFFF is outside data1";
       }},
      {"superclass outside table", [](Image& i) { i.b.Patch(i.kind0 + 12, 3); }, 1,
       [](const Image& i) {
         return "class descriptor 1 at data1+" + Hex(i.kind0) +
                ": superclass index 3 is outside the class table (3 classes)";
       }},
      {"interface outside table", [](Image& i) { i.b.Patch(i.kind0 + 36, 0xFFFFFFFE); }, 1,
       [](const Image& i) {
         return "class descriptor 1 at data1+" + Hex(i.kind0) +
                ": interface index -2 is outside the class table (3 classes)";
       }},
      {"method count past the end", [](Image& i) { i.b.Patch(i.kind0 + 40, 0x40000000); }, 1,
       [](const Image& i) {
         return "class descriptor 1 at data1+" + Hex(i.kind0) +
                ": 'method count' 1073741824 runs past the end of data1";
       }},
      {"instance size below the header", [](Image& i) { i.b.Patch(i.kind0 + 4, 8); }, 1,
       [](const Image& i) {
         return "class descriptor 1 at data1+" + Hex(i.kind0) +
                ": instance size 8 is smaller than the object header";
       }},
      {"damaged literal", [](Image& i) { i.b.bytes[i.fnMtName - 3] = 'X'; /* no zero after the text */ }, 1,
       [](const Image& i) {
         return "class descriptor 1 name at data1+" + Hex(i.kind0 + 8) +
                ": bad string: string literal at data1+" + Hex(i.fnMtName) +
                ": its text is not followed by a zero byte";
       }},
  };
  for (const auto& c : cases) {
    Image image;
    c.damage(image);
    ClassDescriptorView v;
    std::string error;
    EXPECT_FALSE(ReadClass(image.b.Block(), c.index, v, error)) << c.name;
    EXPECT_EQ(error, c.message(image)) << c.name;
  }
}

TEST(ClassDescriptor, EveryTruncationIsRefusedNeverOverread) {
  Image image;
  // Cut the block just after each word of the kind-0 descriptor: every cut is reported.
  for (uint32_t cut = image.kind0 + 4; cut < image.iface; cut += 4) {
    DataBlock block = DataBlock::Unrelocated(image.b.bytes.data(), cut);
    ClassDescriptorView v;
    std::string error;
    EXPECT_FALSE(ReadClassDescriptor(block, image.kind0, 1, 3, v, error)) << cut;
    EXPECT_NE(error.find("runs past the end of data1"), std::string::npos) << error;
  }
}

TEST(ApplicationDescriptor, RefusesCountsAndPointersOutsideTheBlock) {
  Image image;
  std::string error;
  ApplicationDescriptor app;
  image.b.Patch(image.descriptor, 1000);
  EXPECT_FALSE(app.Open(image.b.Block(), image.descriptor, error));
  EXPECT_EQ(error, "application descriptor at data1+" + Hex(image.descriptor) +
                       ": 'class count' 1000 runs past the end of data1");

  Image second;
  second.b.Patch(second.descriptor + 8, 0x00FFFFFF);  // class 1's pointer
  ASSERT_TRUE(app.Open(second.b.Block(), second.descriptor, error));
  uint32_t offset = 0;
  EXPECT_FALSE(app.ClassDescriptorOffset(1, offset, error));
  EXPECT_EQ(error, "application descriptor at data1+" + Hex(second.descriptor) +
                       ": the pointer 0xFFFFFF of class descriptor 1 is outside data1");

  BlockHeader header;
  EXPECT_FALSE(ReadBlockHeader(DataBlock::Unrelocated(second.b.bytes.data(), 7), header, error));
  EXPECT_EQ(error, "block header at data1+0x0: data1 is shorter than its 8-byte header");
}

}  // namespace
