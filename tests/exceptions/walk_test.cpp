// Exceptions raised and caught across hand-assembled compiled frames, loaded as a real image
// and linked against the real entry points: cleanups, catch clauses by class, kind 7,
// barriers of CallImage (also through library frames), uncaught EndException, malformed
// call-site tables, and reference counts back to where they started.
#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/startup/services.h"
#include "tests/exceptions/testimage.h"

using namespace testimage;

namespace {

// ---- Routines the image calls ----

std::string gCaughtClass;
int gAssertions = 0;
int32_t gLastAssertion = 0;

AMX_ENTRY void TestCaught(ObjectHeader* exception) noexcept {
  ClassRecord* named = exception != nullptr ? FirstNamedClass(exception->cls) : nullptr;
  gCaughtClass = std::string(StringView(named != nullptr ? named->name : nullptr));
  UnlockObject(exception);  // the handler's reference, from the slot at ebp-4
}

AMX_ENTRY void TestDispatch(const void* function) noexcept {
  AMX_IMAGE_CALLER();
  CallImage0(function);
}

// Calls image code from inside a C library callback, so that frames without frame pointers
// lie between the image code and this entry.
const void* gLibraryCallbackFunction = nullptr;
int CompareCallingImage(const void* a, const void* b) {
  if (gLibraryCallbackFunction != nullptr) CallImage0(gLibraryCallbackFunction);
  return *static_cast<const int*>(a) - *static_cast<const int*>(b);
}
AMX_ENTRY void TestDispatchThroughLibrary(const void* function) noexcept {
  AMX_IMAGE_CALLER();
  gLibraryCallbackFunction = function;
  int values[2] = {2, 1};
  std::qsort(values, 2, sizeof values[0], CompareCallingImage);
}

AMX_ENTRY ObjectHeader* TestNewEnd() noexcept { return NewBuiltinException(BuiltinException::kEnd); }
AMX_ENTRY ObjectHeader* TestNewNil() noexcept {
  return NewBuiltinException(BuiltinException::kNilObject);
}

void RecordAssertion(int32_t number, const char* unit, int32_t line) {
  ++gAssertions;
  gLastAssertion = number;
  EXPECT_STREQ(unit, "win32exception");
  EXPECT_EQ(line, 117);
}

const std::vector<TestRoutine> kRoutines = {
    {"TestCaught", reinterpret_cast<void*>(TestCaught)},
    {"TestDispatch", reinterpret_cast<void*>(TestDispatch)},
    {"TestDispatchThroughLibrary", reinterpret_cast<void*>(TestDispatchThroughLibrary)},
    {"TestNewEnd", reinterpret_cast<void*>(TestNewEnd)},
    {"TestNewNil", reinterpret_cast<void*>(TestNewNil)},
};

// Class indexes of the test image's class table.
enum : int16_t { kRuntimeIndex, kNilIndex, kCastIndex, kEndIndex };

// ---- The image ----

struct WalkImage {
  imagekit::Image image;
  uint32_t outer = 0;           // Outer(a, b): catches RuntimeException -> 2
  uint32_t middle[4] = {};      // Middle(a, b) with a clause for class i -> 1
  uint32_t middleKind7 = 0;     // Middle calling with kind 7; its clause for RuntimeException
  uint32_t outerOfKind7 = 0;
  uint32_t outerOfMiddle[4] = {};
  uint32_t dispatchOuter = 0;   // catches what a function run by TestDispatch raises -> 2
  uint32_t libraryOuter = 0;    // the same through TestDispatchThroughLibrary
  uint32_t endRaiser = 0;       // raises a new EndException, returns 7 when it comes back
  uint32_t malformedOuter = 0;  // a call-site table with kind 3 on the way
  uint32_t cleanupOrder = 0;    // Middle whose table has a cleanup after the clause
  uint32_t temporaryRaisers[4] = {};  // raise a temporary (kind 2), k extra words pushed
  DataCell frameCell;           // the thrower's EBP
  DataCell slotCell;            // the thrower's first local as the handler found it
  DataCell endCell;             // the EndException made by endRaiser
  DataCell functionCell;        // a code pointer to the thrower of the dispatch tests
};

// Thrower(a, b): keeps a and b in two object locals, a sentinel in its first local, raises
// a NilObjectException.
// Without locals it takes no arguments (for CallImage from a runtime entry).
imagekit::CodeLabel EmitThrower(imagekit::ImageBuilder& b, WalkImage& w,
                                const std::vector<CallSiteEntry>& site, bool withLocals) {
  FunctionWriter f(b);
  imagekit::CodeLabel label = b.NewCodeLabel();
  b.BindCode(label);
  f.Begin(12);
  f.Code({0xC7, 0x45, 0xFC, 0x78, 0x56, 0x34, 0x12});  // mov dword [ebp-4], 0x12345678
  if (withLocals) {
    f.Code({0x8B, 0x45, 0x08,                          // mov eax, [ebp+8]
            0x89, 0x45, 0xF8,                          // mov [ebp-8], eax
            0x8B, 0x45, 0x0C,                          // mov eax, [ebp+12]
            0x89, 0x45, 0xF4});                        // mov [ebp-12], eax
  }
  f.StoreEbpTo(w.frameCell.label);                     // mov [frameCell], ebp
  f.CallEntry("RuntimeNilObject", site);               // call RuntimeNilObject
  f.Code({0x31, 0xC0});                                // xor eax, eax
  if (withLocals) {
    f.End({{6, -8}, {6, -12}});
  } else {
    f.End({});
  }
  return label;
}

// The handler part shared by the catchers: saves the thrower's first local (still intact
// below ESP), re-establishes ESP, hands the caught exception to TestCaught, returns result.
uint32_t EmitHandler(FunctionWriter& f, WalkImage& w, uint8_t localBytes, uint8_t result) {
  uint32_t handler = f.Here();
  f.LoadEaxFrom(w.frameCell.label);                       // mov eax, [frameCell]
  f.Code({0x8B, 0x40, 0xFC});                             // mov eax, [eax-4]
  f.StoreEaxTo(w.slotCell.label);                         // mov [slotCell], eax
  f.Code({0x8D, 0x65, static_cast<uint8_t>(-localBytes),  // lea esp, [ebp-localBytes]
          0xFF, 0x75, 0xFC});                             // push dword [ebp-4]
  f.CallEntry("TestCaught");                              // call TestCaught
  f.Code({0x83, 0xC4, 0x04,                               // add esp, 4
          0xB8, result, 0x00, 0x00, 0x00});               // mov eax, result
  return handler;
}

// Catcher(a, b): returns target(a, b); a clause for classIndex whose handler returns result.
// With localObject, the third argument is kept in an object local listed before the clause
// (and with cleanupAfter, the fourth in one listed after it).
imagekit::CodeLabel EmitCatcher(imagekit::ImageBuilder& b, WalkImage& w, imagekit::CodeLabel target,
                                int16_t classIndex, uint8_t result,
                                const std::vector<CallSiteEntry>& site, bool localObject,
                                bool cleanupAfter, uint32_t* offset) {
  FunctionWriter f(b);
  imagekit::CodeLabel label = b.NewCodeLabel();
  b.BindCode(label);
  *offset = f.Begin(12);
  f.Code({0x8B, 0x45, 0x10,                    // mov eax, [ebp+16]
          0x89, 0x45, 0xF8,                    // mov [ebp-8], eax
          0x8B, 0x45, 0x14,                    // mov eax, [ebp+20]
          0x89, 0x45, 0xF4,                    // mov [ebp-12], eax
          0xFF, 0x75, 0x14,                    // push dword [ebp+20]
          0xFF, 0x75, 0x10,                    // push dword [ebp+16]
          0xFF, 0x75, 0x0C,                    // push dword [ebp+12]
          0xFF, 0x75, 0x08});                  // push dword [ebp+8]
  f.CallLocal(target, site);                   // call target
  f.Code({0x83, 0xC4, 0x10,                    // add esp, 16  ; target's result stays in eax
          0xC9, 0xC3});                        // leave; ret
  uint32_t handler = EmitHandler(f, w, 12, result);
  std::vector<TableEntry> table;
  if (localObject) table.push_back({6, -8});
  table.push_back({4, classIndex, handler});
  if (cleanupAfter) table.push_back({6, -12});
  f.End(table);
  return label;
}

// Outer(function): pushes the code pointer in functionCell and calls dispatcher with it.
uint32_t EmitDispatchOuter(imagekit::ImageBuilder& b, WalkImage& w, const char* dispatcher) {
  FunctionWriter f(b);
  uint32_t offset = f.Begin(4);
  b.EmitDataAddress({0xFF, 0x35}, w.functionCell.label);  // push dword [functionCell]
  f.CallEntry(dispatcher);                                 // call dispatcher
  f.Code({0x83, 0xC4, 0x04,                                // add esp, 4
          0x31, 0xC0,                                      // xor eax, eax
          0xC9, 0xC3});                                    // leave; ret
  uint32_t handler = EmitHandler(f, w, 4, 2);
  f.End({{4, kRuntimeIndex, handler}});
  return offset;
}

uint32_t EmitEndRaiser(imagekit::ImageBuilder& b, WalkImage& w) {
  FunctionWriter f(b);
  uint32_t offset = f.Begin(12);
  f.Code({0x8B, 0x45, 0x08,            // mov eax, [ebp+8]
          0x89, 0x45, 0xF8});          // mov [ebp-8], eax
  f.CallEntry("TestNewEnd");           // call TestNewEnd
  f.Code({0x89, 0x45, 0xF4});          // mov [ebp-12], eax
  f.StoreEaxTo(w.endCell.label);       // mov [endCell], eax
  f.Code({0x50});                      // push eax
  f.CallEntry("RuntimeRaiseException");  // call RuntimeRaiseException
  f.Code({0x83, 0xC4, 0x04,            // add esp, 4
          0xB8, 0x07, 0x00, 0x00, 0x00});  // mov eax, 7
  f.End({{6, -8}, {6, -12}});
  return offset;
}

// TemporaryRaiser: RuntimeRaiseException(TestNewNil()) with the argument marked as a
// temporary object (kind 2, operand 0); `padding` extra words change where the realigning
// entry finds its arguments.
imagekit::CodeLabel EmitTemporaryRaiser(imagekit::ImageBuilder& b, WalkImage& w, int padding) {
  FunctionWriter f(b);
  imagekit::CodeLabel label = b.NewCodeLabel();
  b.BindCode(label);
  f.Begin(4);
  f.StoreEbpTo(w.frameCell.label);                          // mov [frameCell], ebp
  for (int i = 0; i < padding; ++i) f.Code({0x6A, 0x00});  // push 0
  f.CallEntry("TestNewNil");                                // call TestNewNil
  f.Code({0x50});                                           // push eax
  f.CallEntry("RuntimeRaiseException", {{2, 0}});          // call RuntimeRaiseException
  f.Code({0x83, 0xC4, 0x04});                               // add esp, 4
  f.End({});
  return label;
}

WalkImage BuildWalkImage() {
  WalkImage w;
  imagekit::ImageBuilder b;
  b.AddRuntimeClass("RuntimeException");
  b.AddRuntimeClass("NilObjectException");
  b.AddRuntimeClass("IllegalCastException");
  b.AddRuntimeClass("EndException");
  w.frameCell = AddCell(b);
  w.slotCell = AddCell(b);
  w.endCell = AddCell(b);
  imagekit::CodeLabel thrower = EmitThrower(b, w, {}, true);
  imagekit::CodeLabel noArgsThrower = EmitThrower(b, w, {}, false);
  for (int16_t i = 0; i < 4; ++i) {
    imagekit::CodeLabel middle = EmitCatcher(b, w, thrower, i, 1, {}, false, false, &w.middle[i]);
    EmitCatcher(b, w, middle, kRuntimeIndex, 2, {}, false, false, &w.outerOfMiddle[i]);
  }
  imagekit::CodeLabel kind7 =
      EmitCatcher(b, w, thrower, kRuntimeIndex, 1, {{7}}, true, false, &w.middleKind7);
  EmitCatcher(b, w, kind7, kRuntimeIndex, 2, {}, false, false, &w.outerOfKind7);
  EmitCatcher(b, w, thrower, kNilIndex, 1, {}, true, true, &w.cleanupOrder);
  imagekit::CodeLabel malformedThrower = EmitThrower(b, w, {{3}, {9}}, true);
  EmitCatcher(b, w, malformedThrower, kRuntimeIndex, 2, {}, false, false, &w.malformedOuter);
  for (int padding = 0; padding < 4; ++padding) {
    imagekit::CodeLabel raiser = EmitTemporaryRaiser(b, w, padding);
    EmitCatcher(b, w, raiser, kRuntimeIndex, 1, {}, false, false, &w.temporaryRaisers[padding]);
  }
  w.functionCell = {b.NewDataLabel(), 0};
  b.AlignData(4);
  b.BindData(w.functionCell.label);
  w.functionCell.offset = b.EmitCodePointer(noArgsThrower);
  w.dispatchOuter = EmitDispatchOuter(b, w, "TestDispatch");
  w.libraryOuter = EmitDispatchOuter(b, w, "TestDispatchThroughLibrary");
  w.endRaiser = EmitEndRaiser(b, w);
  imagekit::CodeLabel entry = b.NewCodeLabel();
  b.BindCode(entry);
  b.EmitCode({0xC3});  // ret
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(b.AddApplicationDescriptor());
  w.image = b.Finish();
  return w;
}

class WalkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    walk_ = new WalkImage(BuildWalkImage());
    loaded_ = new LoadedImage;
    ASSERT_TRUE(LoadImage(walk_->image, kRoutines, false, loaded_));
    ASSERT_TRUE(LoadClasses(*loaded_));
  }

  void SetUp() override {
    gCaughtClass.clear();
    gAssertions = 0;
    liveBefore_ = LiveObjectCount();
    bytesBefore_ = HeapBytesInUse();
  }

  // Calls an image function with up to four object arguments.
  uint32_t Call(uint32_t offset, ObjectHeader* a = nullptr, ObjectHeader* b = nullptr,
                ObjectHeader* c = nullptr, ObjectHeader* d = nullptr) {
    const uint32_t args[4] = {Word(a), Word(b), Word(c), Word(d)};
    return CallImage(loaded_->Code(offset), 4, args);
  }

  static uint32_t Word(ObjectHeader* object) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
  }

  static ObjectHeader* NewPlainObject() { return MakeObject(AMX_BUILTIN_CLASS(Object)); }

  uint32_t Cell(const DataCell& cell) const { return loaded_->Word(cell.offset); }

  void ExpectNothingLeaked() {
    EXPECT_EQ(LiveObjectCount(), liveBefore_);
    EXPECT_EQ(HeapBytesInUse(), bytesBefore_);
  }

  static WalkImage* walk_;
  static LoadedImage* loaded_;
  int32_t liveBefore_ = 0;
  int32_t bytesBefore_ = 0;
};

WalkImage* WalkTest::walk_ = nullptr;
LoadedImage* WalkTest::loaded_ = nullptr;

struct ClauseCase {
  int16_t clauseClass;
  uint32_t expectedResult;  // 1: the middle clause caught it, 2: the outer one did
};

TEST_F(WalkTest, CatchClausesMatchByClassAndReleaseBothObjectLocals) {
  const ClauseCase cases[] = {
      {kRuntimeIndex, 1},  // a RuntimeException clause takes a NilObjectException
      {kNilIndex, 1},
      {kCastIndex, 2},
      {kEndIndex, 2},
  };
  for (const ClauseCase& c : cases) {
    SCOPED_TRACE("clause class index " + std::to_string(c.clauseClass));
    gCaughtClass.clear();
    ObjectHeader* first = NewPlainObject();
    ObjectHeader* second = NewPlainObject();
    // The thrower's locals own the two objects: the walk must release both.
    EXPECT_EQ(Call(walk_->outerOfMiddle[c.clauseClass], first, second), c.expectedResult);
    EXPECT_EQ(gCaughtClass, "NilObjectException");
    EXPECT_EQ(Cell(walk_->slotCell), 0u) << "the thrower's first local must be nil";
    ExpectNothingLeaked();
  }
}

TEST_F(WalkTest, KindSevenPassesOverTheClauseButRunsItsCleanups) {
  ObjectHeader* first = NewPlainObject();
  ObjectHeader* second = NewPlainObject();
  ObjectHeader* middleLocal = NewPlainObject();
  EXPECT_EQ(Call(walk_->outerOfKind7, first, second, middleLocal), 2u);
  EXPECT_EQ(gCaughtClass, "NilObjectException");
  ExpectNothingLeaked();  // middleLocal went with the middle frame's cleanup
}

TEST_F(WalkTest, EntriesAfterTheMatchingClauseDoNotRun) {
  ObjectHeader* first = NewPlainObject();
  ObjectHeader* second = NewPlainObject();
  ObjectHeader* before = NewPlainObject();
  ObjectHeader* after = LockObject(NewPlainObject());
  EXPECT_EQ(Call(walk_->cleanupOrder, first, second, before, after), 1u);
  EXPECT_EQ(after->refCount, 2) << "the cleanup listed after the clause ran";
  UnlockObject(after);
  UnlockObject(after);
  ExpectNothingLeaked();
}

TEST_F(WalkTest, TemporaryArgumentOfARealigningEntryIsReleasedWhereverItLies) {
  for (uint32_t raiser : walk_->temporaryRaisers) {
    gCaughtClass.clear();
    EXPECT_EQ(Call(raiser), 1u);
    EXPECT_EQ(gCaughtClass, "NilObjectException");
    ExpectNothingLeaked();  // the temporary, the raise and the handler each dropped theirs
  }
}

TEST_F(WalkTest, CatchReachesPastARuntimeEntryThatCalledBackIntoImageCode) {
  for (uint32_t outer : {walk_->dispatchOuter, walk_->libraryOuter}) {
    gCaughtClass.clear();
    EXPECT_EQ(Call(outer), 2u);
    EXPECT_EQ(gCaughtClass, "NilObjectException");
    EXPECT_EQ(CurrentImageCallState()->barrierTop, 0u) << "abandoned barriers left behind";
    ExpectNothingLeaked();
  }
}

TEST_F(WalkTest, UncaughtEndExceptionReturnsToItsRaiserAndKeepsTheFramesReferences) {
  ObjectHeader* local = NewPlainObject();
  ObjectHeader* service = NewPlainObject();
  AddServiceObject(service);
  UnlockObject(service);  // the service list now holds the only reference
  EXPECT_EQ(Call(walk_->endRaiser, local), 7u);
  EXPECT_EQ(ServiceObjectCount(), 0);
  EXPECT_EQ(local->refCount, 1) << "nobody caught it, so nothing may be released";
  auto* end = reinterpret_cast<ObjectHeader*>(static_cast<uintptr_t>(Cell(walk_->endCell)));
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->refCount, 1);
  UnlockObject(end);
  UnlockObject(local);
  ExpectNothingLeaked();
}

TEST_F(WalkTest, MalformedCallSiteEntriesAreReportedAndTheWalkGoesOn) {
  AssertionHook previous = SetAssertionHook(RecordAssertion);
  ObjectHeader* first = NewPlainObject();
  ObjectHeader* second = NewPlainObject();
  EXPECT_EQ(Call(walk_->malformedOuter, first, second), 2u);
  SetAssertionHook(previous);
  EXPECT_EQ(gAssertions, 2);  // kinds 3 and 9
  EXPECT_EQ(gLastAssertion, 4);
  ExpectNothingLeaked();
}

// A project-settings item whose message 4 is the carried application's (Mac Roman).
std::vector<uint8_t> SettingsItem() {
  imagekit::Bytes stream = {0x00, 0, 0, 0, 0, 0, 0, 0, 1};  // flag, reserved words
  imagekit::AppendCompactInt(stream, 0);                   // no document types
  imagekit::AppendCompactInt(stream, 5);                   // five messages
  for (int i = 0; i < 4; ++i) imagekit::AppendText(stream, "");
  imagekit::AppendText(stream,
                       "Un'eccezione della classe %1 non \x8F stata gestita.\r"
                       "L'applicazione verr\x88 chiusa.");
  stream.push_back(0);  // not MDI
  imagekit::AppendText(stream, "Mia applicazione");
  std::vector<uint8_t> item = {4, 0, 0, 0, 0, 0, 0, 0};
  uint32_t length = static_cast<uint32_t>(stream.size());
  for (int i = 0; i < 4; ++i) item.push_back(static_cast<uint8_t>(length >> (8 * i)));
  item.insert(item.end(), stream.begin(), stream.end());
  return item;
}

TEST_F(WalkTest, NobodyCatchingShowsMessageFourWithTheClassNameAndEndsWithCodeZero) {
  std::vector<uint8_t> item = SettingsItem();
  ASSERT_TRUE(ApplyProjectSettingsStream(item.data() + 12, static_cast<uint32_t>(item.size() - 12)));
  uint32_t middle = walk_->middle[kCastIndex];  // catches only IllegalCastException
  ChildResult child = RunInChild([&] {
    setenv("ARMONIX_NATIVE", "headless", 1);
    unsetenv("ARMONIX_SCRIPT");
    ObjectHeader* first = NewPlainObject();
    ObjectHeader* second = NewPlainObject();
    Call(middle, first, second);
    std::printf("returned\n");
  });
  EXPECT_EQ(child.exitCode, 0);
  EXPECT_EQ(child.output.find("returned"), std::string::npos);
  EXPECT_NE(child.output.find("msgbox \"Message\" \"Un'eccezione della classe NilObjectException non "),
            std::string::npos)
      << child.output;
  EXPECT_NE(child.output.find("non \xC3\xA8 stata gestita."), std::string::npos);
  EXPECT_NE(child.output.find("L'applicazione verr\xC3\xA0 chiusa.\" -> OK"), std::string::npos)
      << "the Mac Roman letters must arrive as è and à: " << child.output;
  ResetApplicationSettings();
}

TEST_F(WalkTest, CheckCastOfNilRaisesNothing) {
  RuntimeCheckCast(nullptr, kCastIndex);
  SUCCEED();
}

}  // namespace
