// The image kit's builder: call chains, code fix-ups and relocation entries in their
// shortest form, data1 record layouts, and reading a whole image back.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tools/imagekit/imagekit.h"

namespace {

using imagekit::Bytes;
using imagekit::CodeLabel;
using imagekit::DataLabel;
using imagekit::Image;
using imagekit::ImageBuilder;

uint32_t Word(const Bytes& b, size_t at) {
  uint32_t v;
  memcpy(&v, b.data() + at, 4);
  return v;
}

std::vector<uint16_t> Entries(const Image& image) {
  std::vector<uint16_t> e;
  for (size_t i = 0; i + 1 < image.data2.size(); i += 2)
    e.push_back(uint16_t(image.data2[i] | image.data2[i + 1] << 8));
  return e;
}

TEST(Builder, CallSitesAreThreadedIntoChainsInOrder) {
  ImageBuilder b;
  uint32_t a = b.EmitEntryCall("RuntimeRun");
  b.EmitEntryCall("StringStr");
  uint32_t c = b.EmitEntryCall("RuntimeRun");
  b.DeclareEntry("rnd");
  Image image = b.Finish();
  std::vector<imagekit::LinkRecord> links = imagekit::DecodeLinkRecords(image);
  ASSERT_EQ(links.size(), 3u);
  EXPECT_EQ(links[0].name, "RuntimeRun");
  EXPECT_EQ(links[0].sites, (std::vector<uint32_t>{a + 1, c + 1}));
  EXPECT_EQ(Word(image.code1, c + 1), 0u);  // the chain ends with 0
  EXPECT_EQ(links[2].name, "rnd");
  EXPECT_EQ(links[2].offset, 0u);  // head 0: no call sites
  EXPECT_TRUE(links[2].sites.empty());
}

TEST(Builder, LocalCallsAndDataAddressesAsTheDisassemblerSeesThem) {
  ImageBuilder b;
  CodeLabel callee = b.NewCodeLabel();
  DataLabel var = b.NewDataLabel();
  b.EmitLocalCall(callee);               // call callee
  b.EmitDataAddress({0x68}, var, 4);     // push var+4
  b.BindCode(callee);
  b.EmitCode({0xC3});                    // ret
  b.BindData(var);
  b.EmitWord(0);
  Image image = b.Finish();
  csh handle;
  ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
  cs_insn* insn = nullptr;
  size_t n = cs_disasm(handle, image.code1.data(), image.code1.size(), 0, 0, &insn);
  ASSERT_EQ(n, 3u);
  EXPECT_STREQ(insn[0].mnemonic, "call");
  EXPECT_STREQ(insn[0].op_str, "0xa");
  EXPECT_STREQ(insn[1].mnemonic, "push");
  EXPECT_STREQ(insn[1].op_str, "0xc");  // data1 offset 8 + 4, fixed up by the loader
  cs_free(insn, n);
  cs_close(&handle);
  EXPECT_EQ(image.code2, (Bytes{0x02, 0x06, 0x00, 0x00, 0x00}));
}

TEST(Builder, RelocationsUseTheShortestEncoding) {
  ImageBuilder b;
  CodeLabel code = b.NewCodeLabel();
  b.BindCodeAt(code, 0);
  DataLabel data = b.NewDataLabel();
  b.BindDataAt(data, 0);
  b.EmitData(Bytes(4097 - 8, 0));  // a gap of 4097 bytes after the head
  for (int i = 0; i < 513; ++i) b.EmitDataPointer(data);
  b.EmitCodePointer(code);
  b.EmitCodePointer(code, imagekit::CodeRunKind::kEntry);
  b.EmitData(Bytes(3, 0));
  b.EmitDataPointer(data);  // unaligned, after a skip of 3
  Image image = b.Finish();
  EXPECT_EQ(Entries(image), (std::vector<uint16_t>{0x8FFF, 0x8000, 0x43FF, 0x4200,
                                                   0x4600, 0x4000, 0x8002, 0x4200}));
  imagekit::RelocationMap map = imagekit::DecodeRelocations(image);
  EXPECT_EQ(map.endCursor, image.data1.size());
  EXPECT_EQ(map.words.size(), 516u);
  EXPECT_TRUE(map.error.empty());
}

TEST(Builder, HeadWordsUseTheirRunKinds) {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90, 0xC3});  // nop; ret
  b.BindCodeAt(entry, 1);
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  Image image = b.Finish();
  EXPECT_EQ(Entries(image), (std::vector<uint16_t>{0x4000, 0x4200}));
  EXPECT_EQ(Word(image.data1, 0), 1u);
  EXPECT_EQ(Word(image.data1, 4), 8u);
  EXPECT_EQ(Word(image.data1, 8), 0u);   // no classes
  EXPECT_EQ(Word(image.data1, 12), 0u);  // no project items
}

TEST(Builder, MistakesAreReported) {
  {
    ImageBuilder b;
    b.EmitLocalCall(b.NewCodeLabel());
    EXPECT_THROW(b.Finish(), imagekit::ImageError);  // never bound
  }
  {
    ImageBuilder b;
    DataLabel d = b.NewDataLabel();
    b.BindData(d);
    b.EmitWord(0);
    b.SetApplicationDescriptor(d);
    b.SetApplicationDescriptor(d);  // word 4 relocated twice
    EXPECT_THROW(b.Finish(), imagekit::ImageError);
  }
  ImageBuilder b;
  EXPECT_THROW(b.AddCallSite(0, "RuntimeRun"), imagekit::ImageError);
  EXPECT_THROW(b.EmitEntryCall(std::string(256, 'x')), imagekit::ImageError);
  EXPECT_THROW(b.AddStringLiteral(std::string(256, 'x')), imagekit::ImageError);
  imagekit::ClassDef half;
  half.constructor = b.NewCodeLabel();
  EXPECT_THROW(b.AddClass(half), imagekit::ImageError);
}

TEST(DataRecords, StringLiteralLayoutAndPadding) {
  struct Case {
    std::string text;
    uint32_t padding;
  };
  const Case cases[] = {{"", 3}, {"ab", 1}, {"abc", 4}, {"abcd", 3}, {std::string(255, 'z'), 4}};
  for (const Case& c : cases) {
    ImageBuilder b;
    DataLabel record = b.AddStringLiteral(c.text);
    DataLabel holder = b.NewDataLabel();
    b.BindData(holder);
    b.EmitDataPointer(record);
    Image image = b.Finish();
    uint32_t at = Word(image.data1, image.data1.size() - 4);
    EXPECT_EQ(at, 8 + 1 + c.text.size() + c.padding) << c.text.size();
    EXPECT_EQ(image.data1[8], c.text.size());
    EXPECT_EQ(image.data1[8 + 1 + c.text.size()], 0);  // NUL-terminated too
    EXPECT_EQ(Word(image.data1, at), 1u);               // reference count
    EXPECT_EQ(Word(image.data1, at + 4), 8u);           // buffer: the length byte
    EXPECT_EQ(Word(image.data1, at + 8), c.text.size());
    EXPECT_EQ(Word(image.data1, at + 12), c.text.size());
    imagekit::DecodedData d = imagekit::DecodeData(image);
    ASSERT_EQ(d.literals.size(), 1u);
    EXPECT_EQ(d.literals[0].text, c.text);
  }
}

TEST(DataRecords, WholeApplicationReadsBack) {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel(), action = b.NewCodeLabel(), quit = b.NewCodeLabel();
  b.BindCode(entry);
  b.EmitCode({0xC3});  // ret
  b.BindCode(action);
  b.EmitCode({0xC3});  // ret
  b.BindCode(quit);
  b.EmitCode({0xC3});  // ret
  uint32_t window = b.AddRuntimeClass("Window");
  uint32_t button = b.AddRuntimeClass("PushButton");
  imagekit::ClassDef main;
  main.name = "fnMt";
  main.superclass = int32_t(window);
  main.instanceSize = 120;
  main.menuHandlers = {{"FileQuit", quit}};
  uint32_t mainClass = b.AddClass(main);
  imagekit::ClassDef handlerClass;
  handlerClass.superclass = int32_t(button);
  handlerClass.instanceSize = 120;
  handlerClass.eventHandlers = {{"Action", action, 0}};
  handlerClass.constructor = entry;
  handlerClass.destructor = quit;
  uint32_t anonymous = b.AddClass(handlerClass);
  imagekit::WindowDesc w;
  w.classIndex = int32_t(mainClass);
  w.properties = {{"Name", "fnMt"}, {"Title", "Armonix"}};
  w.controls = {{int32_t(anonymous), {{"Name", "PushButton1"}, {"Caption", "OK"}}}};
  imagekit::WindowSlots slots = b.AddWindow(w);
  DataLabel plugins = b.AddPluginList({{"bevel.dll", Bytes(100, 0x4D)}, {"two.dll", Bytes(7, 1)}});
  b.EmitDataAddress({0x68}, plugins);  // push plugins
  b.EmitDataAddress({0x68}, slots.instanceVariable);  // push &instance
  imagekit::MenuEntry esci;
  esci.text = "Esci";
  esci.name = "FileQuit";
  esci.classIndex = 169;
  imagekit::MenuEntry archivio;
  archivio.text = "Archivio";
  archivio.children = {esci};
  b.AddMenuBar({archivio});
  b.AddProjectSettings(Bytes{'M', 'i', 'a'});
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  Image image = b.Finish();

  imagekit::DecodedData d = imagekit::DecodeData(image);
  EXPECT_TRUE(d.problems.empty()) << d.problems.front();
  ASSERT_EQ(d.classes.size(), 4u);
  EXPECT_EQ(d.classes[0].kind, 1u);
  EXPECT_EQ(d.classes[0].name, "Window");
  EXPECT_EQ(d.classes[2].name, "fnMt");
  EXPECT_EQ(d.classes[2].instanceSize, 120u);
  ASSERT_EQ(d.classes[2].menuHandlers.size(), 1u);
  EXPECT_EQ(d.classes[2].menuHandlers[0].second, 2u);
  EXPECT_EQ(d.classes[3].name, "");
  EXPECT_EQ(d.classes[3].superclass, 1);
  EXPECT_EQ(d.classes[3].constructor.value_or(99), 0u);
  ASSERT_EQ(d.classes[3].eventHandlers.size(), 1u);
  EXPECT_EQ(d.classes[3].eventHandlers[0].name, "Action");
  EXPECT_EQ(d.classes[3].eventHandlers[0].code, 1u);
  EXPECT_EQ(d.classes[3].vtable, (std::vector<uint32_t>{0}));
  ASSERT_EQ(d.windows.size(), 1u);
  EXPECT_EQ(d.windows[0].desc.controls[0].properties[1].second, "OK");
  ASSERT_EQ(d.projectItems.size(), 2u);
  EXPECT_EQ(d.projectItems[0].kind, 2u);
  EXPECT_EQ(d.projectItems[0].menu[0].children[0].name, "FileQuit");
  EXPECT_EQ(d.projectItems[1].stream, (Bytes{'M', 'i', 'a'}));
  ASSERT_EQ(d.plugins.size(), 2u);
  EXPECT_EQ(d.plugins[0].fileName, "bevel.dll");
  EXPECT_EQ(d.plugins[0].length, 4u + 1 + 9 + 100);
  EXPECT_EQ(d.plugins[1].fileName, "two.dll");
  // The last node's next word is a plain 0: the list ends.
  EXPECT_EQ(Word(image.data1, d.plugins[1].offset), 0u);
}

TEST(DataRecords, DamagedDescriptorsAreReportedNotRead) {
  ImageBuilder b;
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  Image image = b.Finish();
  memcpy(image.data1.data() + 8, "\xFF\xFF\xFF\x0F", 4);  // class count far past the end
  imagekit::DecodedData d = imagekit::DecodeData(image);
  ASSERT_FALSE(d.problems.empty());
  EXPECT_NE(d.problems[0].find("class table"), std::string::npos);
  image.data1.resize(6);
  EXPECT_FALSE(imagekit::DecodeData(image).problems.empty());
}

TEST(Container, EncodeAndDecodeChecksLengths) {
  Image image{{1, 2, 3}, {}, Bytes(8, 0), {0x00, 0x40}};
  Bytes c = imagekit::EncodeContainer(image);
  EXPECT_EQ(c.size(), 16u + 3 + 8 + 2);
  Image back = imagekit::DecodeContainer(c, 0);
  EXPECT_EQ(back.code1, image.code1);
  EXPECT_EQ(back.data2, image.data2);
  c.pop_back();
  EXPECT_THROW(imagekit::DecodeContainer(c, 0), imagekit::ImageError);
  EXPECT_THROW(imagekit::DecodeContainer(c, c.size() + 1), imagekit::ImageError);
}

TEST(LinkRecords, DamagedChainsAreDescribed) {
  ImageBuilder b;
  b.EmitEntryCall("RuntimeRun");
  Image image = b.Finish();
  memcpy(image.code1.data() + 1, "\x01\x00\x00\x00", 4);  // the site points at itself
  std::vector<imagekit::LinkRecord> links = imagekit::DecodeLinkRecords(image);
  EXPECT_EQ(links[0].chainError, "chain loops back to code1+0x1");
  image.code2.pop_back();
  EXPECT_THROW(imagekit::DecodeLinkRecords(image), imagekit::ImageError);
}

}  // namespace

namespace {

// Class indexes are the order of reservation, whatever the order of the records: a class
// written late may come first in the table, and its descriptor may point at literals
// written earlier for it. An index reserved and never written is refused by Finish.
DataLabel EarlyLiteral(void* context, std::string_view name) {
  auto* names = static_cast<std::vector<std::pair<std::string, DataLabel>>*>(context);
  for (const auto& [text, label] : *names)
    if (text == name) return label;
  ADD_FAILURE() << "no literal written for " << name;
  return DataLabel{};
}

TEST(Builder, ReservedClassIndexesKeepTheirOrderWhereverTheRecordsGo) {
  ImageBuilder b;
  CodeLabel handler = b.NewCodeLabel();
  b.BindCode(handler);
  b.EmitCode({0xC3});
  uint32_t window = b.ReserveClass();
  uint32_t main = b.ReserveClass();
  std::vector<std::pair<std::string, DataLabel>> names = {{"Main", b.NewDataLabel()}, {"Open", b.NewDataLabel()}};
  for (const auto& [text, label] : names) b.AddStringLiteralAt(label, text);
  imagekit::ClassDef def;
  def.name = "Main";
  def.superclass = int32_t(window);
  def.eventHandlers = {{"Open", handler, 0}};
  b.AddClassAt(main, def, &EarlyLiteral, &names);
  b.AddRuntimeClassAt(window, "Window");
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  b.SetEntryFunction(handler);
  Image image = b.Finish();
  imagekit::DecodedData data = imagekit::DecodeData(image);
  ASSERT_TRUE(data.problems.empty()) << data.problems[0];
  ASSERT_EQ(data.classes.size(), 2u);
  EXPECT_EQ(data.classes[0].name, "Window");
  EXPECT_EQ(data.classes[1].name, "Main");
  EXPECT_GT(data.classes[0].offset, data.classes[1].offset) << "index 0 written last";
  ASSERT_EQ(data.literals.size(), 3u) << "Main and Open once, before the class; Window beside its reference";
  EXPECT_EQ(data.literals[0].text, "Main");
  EXPECT_EQ(data.literals[1].text, "Open");
  EXPECT_LT(data.literals[1].offset, data.classes[1].offset);

  ImageBuilder unfinished;
  unfinished.ReserveClass();
  unfinished.SetApplicationDescriptor(unfinished.AddApplicationDescriptor());
  EXPECT_THROW(unfinished.Finish(), imagekit::ImageError);
  EXPECT_THROW(unfinished.AddRuntimeClassAt(5, "Window"), imagekit::ImageError);
}

// Window slots made before the record: code can point at them first.
TEST(Builder, WindowSlotsMadeBeforeTheirRecordFollowIt) {
  ImageBuilder b;
  imagekit::WindowSlots slots = b.NewWindowSlots();
  b.EmitWord(7);
  imagekit::WindowDesc desc;
  b.AddWindowAt(slots, desc);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  Image image = b.Finish();
  uint32_t length = Word(image.data1, 12);
  EXPECT_EQ(Word(image.data1, 16 + length), 12u) << "the record pointer follows the record";
  EXPECT_EQ(Word(image.data1, 20 + length), 0u) << "then the implicit-instance variable";
}

}  // namespace
