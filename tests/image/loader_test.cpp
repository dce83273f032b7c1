// The loader end to end: images written by the image kit are read (from .dat files and from
// a file at an offset), linked, relocated and run; hand-assembled code calls routines
// through linked chains; the edge cases of link records and relocation entries.
#include <capstone/capstone.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <algorithm>

#include "runtime/entries/accessors.h"
#include "runtime/entries/entrytable.h"
#include "runtime/objects/class.h"
#include "runtime/image/pickle.h"
#include "runtime/startup/assertion.h"
#include "tests/image/imagetestsupport.h"

namespace {

using imagekit::Bytes;
using imagekit::CodeLabel;
using imagekit::DataLabel;
using imagekit::Image;
using imagekit::ImageBuilder;

// entry: result := TestAdd(5, 7); TestMarkRan(); ret
struct AddingImage {
  ImageBuilder b;
  DataLabel result;
  uint32_t addSite;

  AddingImage() {
    result = b.NewDataLabel();
    b.BindData(result);
    b.EmitWord(0);
    CodeLabel entry = b.NewCodeLabel();
    b.EmitCode({0xCC});  // int3: the entry never starts at offset 0
    b.BindCode(entry);
    b.EmitCode({0x55});              // push ebp
    b.EmitCode({0x89, 0xE5});        // mov ebp, esp
    b.EmitCode({0x6A, 0x07});        // push 7
    b.EmitCode({0x6A, 0x05});        // push 5
    addSite = b.EmitEntryCall("TestAdd");  // call TestAdd
    b.EmitCode({0x83, 0xC4, 0x08});  // add esp, 8
    b.EmitDataAddress({0xA3}, result);  // mov [result], eax
    b.EmitEntryCall("TestMarkRan");  // call TestMarkRan
    b.EmitCode({0x5D});              // pop ebp
    b.EmitCode({0xC3});              // ret
    b.SetEntryFunction(entry);
    b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  }
};

uint32_t ResultWord(const AddingImage&) { return LoadedDataWord(8); }

// The target of the call instruction at a loaded code1 offset, read by Capstone.
uint64_t CallTarget(uint32_t callOffset) {
  csh handle;
  EXPECT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
  cs_insn* insn = nullptr;
  const uint8_t* code = LoadedCode1().bytes + callOffset;
  uint64_t address = reinterpret_cast<uintptr_t>(code);
  size_t count = cs_disasm(handle, code, 5, address, 1, &insn);
  uint64_t target = 0;
  if (count == 1 && strcmp(insn[0].mnemonic, "call") == 0)
    target = strtoull(insn[0].op_str, nullptr, 16);
  cs_free(insn, count);
  cs_close(&handle);
  return target;
}

TEST(LoaderRoundTrip, DatFilesRunTheEntryThroughLinkedChains) {
  AddingImage image;
  ScratchDir dir;
  int before = gTestRan;
  LoadOutcome outcome = LoadFromDatFiles(image.b.Finish(), dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(outcome.output, "");
  EXPECT_EQ(ResultWord(image), 12u);
  EXPECT_EQ(gTestRan, before + 1);
  EXPECT_EQ(CallTarget(image.addSite), reinterpret_cast<uintptr_t>(&TestAdd));
}

TEST(LoaderRoundTrip, ContainerAtAnOffsetOfAFile) {
  AddingImage image;
  ScratchDir dir;
  Bytes file(100, 0x5A);  // stands for the runtime's own sections
  Bytes container = imagekit::EncodeContainer(image.b.Finish());
  file.insert(file.end(), container.begin(), container.end());
  LoadOutcome outcome = LoadFromFile(file, 100, dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(ResultWord(image), 12u);
  EXPECT_FALSE(LoadedInDevelopmentMode());
}

TEST(LoaderRoundTrip, RealEntryPointsOfTheTable) {
  // result := FPToInt(IntToFP(42) ) through two chains into the runtime's own entries.
  ImageBuilder b;
  DataLabel result = b.NewDataLabel();
  b.BindData(result);
  b.EmitWord(0);
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                    // nop
  b.BindCode(entry);
  b.EmitCode({0x6A, 0x2A});              // push 42
  b.EmitEntryCall("inttofp");            // call IntToFP (case ignored)
  b.EmitCode({0x83, 0xC4, 0x04});        // add esp, 4
  b.EmitCode({0x83, 0xEC, 0x08});        // sub esp, 8
  b.EmitCode({0xDD, 0x1C, 0x24});        // fstp qword [esp]
  b.EmitEntryCall("FPToInt");            // call FPToInt
  b.EmitCode({0x83, 0xC4, 0x08});        // add esp, 8
  b.EmitDataAddress({0xA3}, result);     // mov [result], eax
  b.EmitCode({0xC3});                    // ret
  b.SetEntryFunction(entry);
  if (FindEntryAtLink("IntToFP") == nullptr || FindEntryAtLink("FPToInt") == nullptr)
    GTEST_SKIP() << "IntToFP/FPToInt are not in the EntryTable";
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(b.Finish(), dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(LoadedDataWord(8), 42u);
}

TEST(LoaderEdgeCases, PickSelectsDevelopmentModeEvenWithAnOffset) {
  const uint8_t pick[8] = {'P', 'I', 'C', 'K', 0x00, 0x64, 0x0B, 0x00};
  EXPECT_EQ(DecodeLocatingResource(pick).imageOffset, 0u);
  const uint8_t real[8] = {0x00, 0x64, 0x0B, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(DecodeLocatingResource(real).imageOffset, 0x000B6400u);
  EXPECT_EQ(DecodeLocatingResource(real).resourceOffset, 0xFFFFFFFFu);
  // A test executable is a bare runtime: its own section still says "PICK".
  EXPECT_EQ(ReadLocatingResource().imageOffset, 0u);
}

TEST(LoaderEdgeCases, HeadZeroAndUnknownTypeBytesAreHarmless) {
  AddingImage image;
  image.b.DeclareEntry("TestTimesTen");  // a link record with head 0
  image.b.AddRawLinkByte(0x00);
  image.b.AddRawLinkByte(0x7F);
  Image built = image.b.Finish();
  ASSERT_EQ(built.code2.back(), 0x7F);
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(built, dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(ResultWord(image), 12u);
}

TEST(LoaderEdgeCases, OneSiteChainHoldsZeroBeforeAndTheDisplacementAfter) {
  AddingImage image;
  Image built = image.b.Finish();
  uint32_t operand = image.addSite + 1;
  uint32_t stored;
  memcpy(&stored, built.code1.data() + operand, 4);
  EXPECT_EQ(stored, 0u);
  ScratchDir dir;
  ASSERT_TRUE(LoadFromDatFiles(built, dir, false).loaded);
  uint32_t patched;
  memcpy(&patched, LoadedCode1().bytes + operand, 4);
  uintptr_t site = reinterpret_cast<uintptr_t>(LoadedCode1().bytes + operand);
  EXPECT_EQ(patched, uint32_t(reinterpret_cast<uintptr_t>(&TestAdd) - (site + 4)));
}

TEST(LoaderEdgeCases, TwoLinksToOneNameAndNamesInAnyCase) {
  // result := TestAdd(1, 2) + TESTADD(3, 4) through two separate records named alike.
  ImageBuilder b;
  DataLabel result = b.NewDataLabel();
  b.BindData(result);
  b.EmitWord(0);
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                  // nop
  b.BindCode(entry);
  b.EmitCode({0x53});                  // push ebx
  b.EmitCode({0x6A, 0x02});            // push 2
  b.EmitCode({0x6A, 0x01});            // push 1
  uint32_t first = b.EmitEntryCall("TestAdd");  // call TestAdd
  b.EmitCode({0x89, 0xC3});            // mov ebx, eax
  b.EmitCode({0x6A, 0x04});            // push 4
  b.EmitCode({0x6A, 0x03});            // push 3
  uint32_t second = b.EmitEntryCall("TestAdE");  // call (renamed below)
  b.EmitCode({0x83, 0xC4, 0x10});      // add esp, 16
  b.EmitCode({0x01, 0xD8});            // add eax, ebx
  b.EmitDataAddress({0xA3}, result);   // mov [result], eax
  b.EmitCode({0x5B});                  // pop ebx
  b.EmitCode({0xC3});                  // ret
  b.SetEntryFunction(entry);
  Image built = b.Finish();
  // The kit merges equal names, so the second record is renamed by hand: "TestAdE" -> "TESTADD".
  std::string code2(built.code2.begin(), built.code2.end());
  size_t at = code2.find("TestAdE");
  ASSERT_NE(at, std::string::npos);
  memcpy(built.code2.data() + at, "TESTADD", 7);
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(built, dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(LoadedDataWord(8), 10u);
  EXPECT_EQ(CallTarget(first), reinterpret_cast<uintptr_t>(&TestAdd));
  EXPECT_EQ(CallTarget(second), reinterpret_cast<uintptr_t>(&TestAdd));
}

TEST(LoaderEdgeCases, LongestSkipAndLongestRun) {
  AddingImage image;
  // 4096 bytes of plain data, then 512 consecutive code pointers of kind 0x4000.
  image.b.AlignData(4);
  uint32_t gapStart = image.b.EmitData(Bytes(4096, 0));
  CodeLabel target = image.b.NewCodeLabel();
  image.b.BindCodeAt(target, 3);
  uint32_t runStart = image.b.DataSize();
  for (int i = 0; i < 512; ++i) image.b.EmitCodePointer(target, imagekit::CodeRunKind::kEntry);
  Image built = image.b.Finish();
  std::vector<uint16_t> entries;
  for (size_t i = 0; i + 1 < built.data2.size(); i += 2)
    entries.push_back(uint16_t(built.data2[i] | built.data2[i + 1] << 8));
  EXPECT_NE(std::find(entries.begin(), entries.end(), 0x8FFF), entries.end());
  EXPECT_EQ(entries.back(), 0x41FF);
  ASSERT_EQ(runStart - gapStart, 4096u);
  ScratchDir dir;
  ASSERT_TRUE(LoadFromDatFiles(built, dir, false).loaded);
  uint32_t expected = uint32_t(reinterpret_cast<uintptr_t>(LoadedCode1().bytes) + 3);
  EXPECT_EQ(LoadedDataWord(runStart), expected);
  EXPECT_EQ(LoadedDataWord(runStart + 511 * 4), expected);
  EXPECT_EQ(LoadedDataWord(runStart - 4), 0u);  // the skipped bytes stay as stored
}

TEST(LoaderEdgeCases, UnknownRelocationEntriesAndAnOddByteAreIgnored) {
  AddingImage image;
  Image built = image.b.Finish();
  built.data2.insert(built.data2.begin(), {0x34, 0x12});  // 0x1234: no kind, cursor stays
  built.data2.push_back(0x42);                            // trailing odd byte
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(built, dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(ResultWord(image), 12u);
}

TEST(LoaderEdgeCases, EmptyCode2LinksNothing) {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});  // nop
  b.BindCode(entry);
  b.EmitCode({0xC3});  // ret
  b.SetEntryFunction(entry);
  Image built = b.Finish();
  ASSERT_TRUE(built.code2.empty());
  ScratchDir dir;
  EXPECT_TRUE(LoadFromDatFiles(built, dir).loaded);
}

// ---- Names that resolve to nothing ----

struct Report {
  int32_t number;
  std::string unit;
  int32_t line;
};
std::vector<Report> gReports;
void RecordAssertion(int32_t number, const char* unit, int32_t line) {
  gReports.push_back({number, unit, line});
}

class LinkReports : public testing::Test {
 protected:
  void SetUp() override {
    gReports.clear();
    previous_ = SetAssertionHook(RecordAssertion);
  }
  void TearDown() override { SetAssertionHook(previous_); }
  AssertionHook previous_ = nullptr;
};

// entry: result := NAME(3); ret
Image CallingImage(const std::string& name) {
  ImageBuilder b;
  DataLabel result = b.NewDataLabel();
  b.BindData(result);
  b.EmitWord(0xFFFFFFFF);
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                 // nop
  b.BindCode(entry);
  b.EmitCode({0x6A, 0x03});           // push 3
  b.EmitEntryCall(name);              // call NAME
  b.EmitCode({0x83, 0xC4, 0x04});     // add esp, 4
  b.EmitDataAddress({0xA3}, result);  // mov [result], eax
  b.EmitCode({0xC3});                 // ret
  b.SetEntryFunction(entry);
  return b.Finish();
}

TEST_F(LinkReports, UnknownEntryNameReportsItselfWhenCalled) {
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(CallingImage("NoSuchEntryPoint"), dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  ASSERT_EQ(gReports.size(), 1u);
  EXPECT_EQ(gReports[0].number, 4);
  EXPECT_EQ(gReports[0].unit, "NoSuchEntryPoint");
  EXPECT_EQ(gReports[0].line, 0);
  EXPECT_EQ(LoadedDataWord(8), 0u);  // the stub returns 0
}

TEST_F(LinkReports, LibraryLinksCallTheSharedLibrary) {
  ScratchDir dir;
  LoadOutcome outcome = LoadFromDatFiles(CallingImage("!Xlibc.so.6!abs"), dir);
  ASSERT_TRUE(outcome.loaded) << outcome.output;
  EXPECT_EQ(LoadedDataWord(8), 3u);
  // The same library again is found in the list of opened libraries.
  LoadOutcome again = LoadFromDatFiles(CallingImage("!XLIBC.SO.6!labs"), dir);
  ASSERT_TRUE(again.loaded) << again.output;
  EXPECT_EQ(LoadedDataWord(8), 3u);
}

TEST_F(LinkReports, DeferredLinksResolveLaterNewestFirst) {
  ImageBuilder b;
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                            // nop
  b.BindCode(entry);
  b.EmitEntryCall("!GFirstMissing!Caption");    // call (deferred)
  b.EmitEntryCall("!SSecondMissing!Caption");   // call (deferred)
  b.EmitCode({0xC3});                            // ret
  b.SetEntryFunction(entry);
  ScratchDir dir;
  ASSERT_TRUE(LoadFromDatFiles(b.Finish(), dir, false).loaded);
  ResolveDeferredLinks(nullptr);
  // Both classes are unknown: the newer link is reported first.
  ASSERT_EQ(gReports.size(), 2u);
  EXPECT_EQ(gReports[0].line, 466);
  EXPECT_EQ(gReports[1].line, 466);
  gReports.clear();
  uint32_t entryAddress = LoadedDataWord(0);
  reinterpret_cast<void (*)()>(entryAddress)();
  // Each site now reaches a stub that names its link.
  ASSERT_EQ(gReports.size(), 2u);
  EXPECT_EQ(gReports[0].unit, "!GFirstMissing!Caption");
  EXPECT_EQ(gReports[1].unit, "!SSecondMissing!Caption");
}

AMX_TEST_ROUTINE int32_t TestCaptionGetter(int32_t, int32_t param) { return 4000 + param; }

TEST_F(LinkReports, DeferredGetterOfABuiltinClass) {
  static uint8_t captionText[] = {7, 'C', 'A', 'P', 'T', 'I', 'O', 'N', 0};
  static StringRecord caption{1, captionText, 7, 7};
  static PropertyEntry property{&caption, nullptr, 0,
                                reinterpret_cast<void*>(&TestCaptionGetter), nullptr, 0, nullptr};
  static ClassRecord widget{};
  widget.kind = kClassRecordKind;
  widget.properties = &property;
  ImageBuilder b;
  DataLabel result = b.NewDataLabel();
  b.BindData(result);
  b.EmitWord(0);
  CodeLabel entry = b.NewCodeLabel();
  b.EmitCode({0x90});                           // nop
  b.BindCode(entry);
  b.EmitCode({0x6A, 0x05});                     // push 5
  b.EmitCode({0x6A, 0x00});                     // push 0
  b.EmitEntryCall("!GWidget!caption");          // call (deferred getter)
  b.EmitCode({0x83, 0xC4, 0x08});               // add esp, 8
  b.EmitDataAddress({0xA3}, result);            // mov [result], eax
  b.EmitCode({0xC3});                           // ret
  b.SetEntryFunction(entry);
  ScratchDir dir;
  ASSERT_TRUE(LoadFromDatFiles(b.Finish(), dir, false).loaded);
  ResolveDeferredLinks([](const char* name) -> ClassRecord* {
    return strcmp(name, "Widget") == 0 ? &widget : nullptr;
  });
  EXPECT_TRUE(gReports.empty());
  reinterpret_cast<void (*)()>(LoadedDataWord(0))();
  EXPECT_EQ(LoadedDataWord(8), 4005u);
}

TEST_F(LinkReports, AccessorNamesWithoutAClass) {
  struct Case {
    const char* link;
    int reports;
    int32_t line;
  };
  const Case cases[] = {
      {"GCaption", 0, 0},     // no class: getters and setters find nothing, silently
      {"SCaption", 0, 0},
      {"MGlobal", 0, 0},      // plug-in global methods (none registered)
      {"WGlobal", 0, 0},
      {"QWidget", 1, 517},    // unknown kind letter
      {"", 1, 517},
  };
  for (const Case& c : cases) {
    gReports.clear();
    EXPECT_EQ(ResolveAccessorLink(c.link, nullptr), nullptr) << c.link;
    ASSERT_EQ(int(gReports.size()), c.reports) << c.link;
    if (c.reports) {
      EXPECT_EQ(gReports[0].line, c.line) << c.link;
    }
  }
}

// ---- Executable memory ----

// The write must fault. The child ends by the fault's own signal, or, in a sanitizer build,
// through the sanitizer's report of it; a write that goes through lets it live on.
TEST(CodeMemoryDeathTest, Code1IsNotWritableAfterLoading) {
  AddingImage image;
  ScratchDir dir;
  ASSERT_TRUE(LoadFromDatFiles(image.b.Finish(), dir, false).loaded);
  volatile uint8_t* code = LoadedCode1().bytes;
  auto writeWithoutCore = [code] {
    rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    code[0] = 0x90;
  };
  EXPECT_DEATH(writeWithoutCore(), "");
}

}  // namespace
