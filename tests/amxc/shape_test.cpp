// The shape of a whole application image (programs/shape.amx, built like the ear trainer):
// which classes the class table holds and in what order, what every kind-0 class carries,
// the window records with their slot pairs, the order of the records in data1, the entries
// linked, the relocated words by kind, the functions and their tables. Code is read back
// with Capstone. The same program is then run headless: handlers reaching other windows'
// controls, quoted control names, the repeated application-menu item.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"
#include "tools/amxc/compiler.h"

#ifdef AMXC_PLUGIN_DIR
namespace amxctest {
namespace {

using imagekit::DecodedClass;
using imagekit::DecodedData;

uint32_t Word(const imagekit::Bytes& b, uint32_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}

class Shape : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    amxc::SourceSet sources;
    amxc::Diagnostics diags(sources);
    amxc::CompileOptions options;
    options.pluginDirs = {AMXC_PLUGIN_DIR};
    image_ = new amxc::CompiledImage;
    ok_ = amxc::CompileProject(sources, AMXC_TEST_DIR "/programs/shape.amx", diags, *image_, options);
    if (!ok_) errors_ = diags.Messages().empty() ? "" : diags.Messages()[0];
  }
  static void TearDownTestSuite() { delete image_; }
  void SetUp() override {
    ASSERT_TRUE(ok_) << errors_;
    data_ = imagekit::DecodeData(image_->image);
    map_ = imagekit::DecodeRelocations(image_->image);
    links_ = imagekit::DecodeLinkRecords(image_->image);
    ASSERT_TRUE(data_.problems.empty()) << data_.problems[0];
    for (auto [offset, kind] : map_.words) relocated_[offset] = kind;
  }
  const imagekit::Image& image() const { return image_->image; }
  // The entry calls of a compiled function, in code order.
  std::vector<std::string> EntryCalls(const std::string& function) const {
    std::map<uint32_t, std::string> linked;
    for (const imagekit::LinkRecord& r : links_)
      for (uint32_t site : r.sites) linked[site] = r.name;
    std::vector<std::string> calls;
    const imagekit::Bytes& code = image().code1;
    for (uint32_t at = image_->functions.at(function); !(code[at] == 0xC9 && code[at + 1] == 0xC3); ++at) {
      auto it = linked.find(at + 1);
      if (code[at] == 0xE8 && it != linked.end()) calls.push_back(it->second);
    }
    return calls;
  }

  static amxc::CompiledImage* image_;
  static bool ok_;
  static std::string errors_;
  DecodedData data_;
  imagekit::RelocationMap map_;
  std::vector<imagekit::LinkRecord> links_;
  std::map<uint32_t, uint16_t> relocated_;
};

amxc::CompiledImage* Shape::image_ = nullptr;
bool Shape::ok_ = false;
std::string Shape::errors_;

const char* const kWindows[] = {"fnMt", "fns", "fn", "fndm", "fnpn", "fnmmag", "fnasf", "fnsf"};

TEST_F(Shape, TheClassTableNamesTheNineRuntimeClassesInTheOrderFirstNeeded) {
  std::vector<std::pair<size_t, std::string>> kind1;
  for (size_t i = 0; i < data_.classes.size(); ++i)
    if (data_.classes[i].kind == 1) kind1.push_back({i, data_.classes[i].name});
  size_t n = data_.classes.size();
  std::vector<std::pair<size_t, std::string>> expected = {
      {0, "Window"},      {2, "StaticText"},  {3, "NotePlayer"},      {4, "EditField"}, {6, "BevelButton"},
      {8, "PushButton"},  {15, "RadioButton"}, {n - 2, "MenuItem"}, {n - 1, "QuitMenuItem"}};
  EXPECT_EQ(kind1, expected);
  EXPECT_EQ(data_.classes[1].name, "fnMt");
  EXPECT_EQ(n, 27u);
}

TEST_F(Shape, KindZeroClassesAreWindowsAndAnonymousHandlerClasses) {
  const std::map<std::string, uint32_t> sizes = {{"Window", 120},     {"PushButton", 120}, {"BevelButton", 236},
                                                 {"NotePlayer", 104}, {"EditField", 148},  {"RadioButton", 124},
                                                 {"StaticText", 128}};
  std::vector<std::string> named;
  size_t anonymous = 0;
  for (const DecodedClass& c : data_.classes) {
    if (c.kind != 0) continue;
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(c.constructor.has_value());
    EXPECT_FALSE(c.isInterface);
    EXPECT_TRUE(c.interfaces.empty());
    EXPECT_TRUE(c.methods.empty());
    EXPECT_EQ(c.vtable, std::vector<uint32_t>{0});
    ASSERT_GE(c.superclass, 0);
    const DecodedClass& super = data_.classes[size_t(c.superclass)];
    EXPECT_EQ(super.kind, 1u) << "every kind-0 class subclasses a runtime class";
    EXPECT_EQ(c.instanceSize, sizes.at(super.name));
    for (const auto& h : c.eventHandlers) EXPECT_EQ(h.key, 0u);
    if (c.name.empty()) {
      ++anonymous;
      EXPECT_FALSE(c.eventHandlers.empty()) << "an anonymous class exists for its handlers";
      EXPECT_TRUE(c.menuHandlers.empty());
    } else {
      named.push_back(c.name);
      EXPECT_EQ(super.name, "Window");
      if (c.name != "fnMt") {
        EXPECT_TRUE(c.menuHandlers.empty()) << "menu handlers belong to the main window";
      }
    }
  }
  EXPECT_EQ(named, std::vector<std::string>(std::begin(kWindows), std::end(kWindows)));
  EXPECT_EQ(anonymous, 10u);
  std::vector<std::string> menus;
  for (const auto& [name, code] : data_.classes[1].menuHandlers) menus.push_back(name);
  EXPECT_EQ(menus, (std::vector<std::string>{"FileQuit", "appleInMt", "tutto", "dett", "sf", "asf"}));
}

TEST_F(Shape, ControlsWithHandlersShareOneSubclassPerName) {
  // fns: BevelButton1, eftf, efin, NotePlayer1, pb(1..3), PushButton1.
  const auto& fns = data_.windows.at(1).desc;
  ASSERT_EQ(fns.controls.size(), 8u);
  auto cls = [&](size_t i) { return fns.controls[i].classIndex; };
  EXPECT_EQ(data_.classes[size_t(cls(1))].name, "EditField");  // no handler: the runtime class
  EXPECT_EQ(cls(4), cls(5));
  EXPECT_EQ(cls(5), cls(6)) << "the members of pb share one class";
  EXPECT_NE(cls(4), cls(7));
  EXPECT_TRUE(data_.classes[size_t(cls(4))].name.empty());
  EXPECT_EQ(data_.classes[size_t(data_.classes[size_t(cls(4))].superclass)].name, "PushButton");
}

TEST_F(Shape, QuotedControlNamesGoIntoTheDescriptionAsWritten) {
  const auto& fnsf = data_.windows.at(7).desc;
  std::vector<std::string> names;
  for (const auto& c : fnsf.controls) names.push_back(c.properties.at(0).second);
  EXPECT_EQ(names, (std::vector<std::string>{"efc", "pb-", "pb-6", "pb5#", "PushButton1"}));
  EXPECT_NE(image_->functions.count("fnsf.pb-6.action"), 0u);
}

TEST_F(Shape, EveryWindowRecordIsFollowedByItsSlotPair) {
  ASSERT_EQ(data_.windows.size(), 8u);
  for (const auto& w : data_.windows) {
    SCOPED_TRACE(w.offset);
    EXPECT_EQ(w.desc.properties.size(), 21u);
    uint32_t slots = w.offset + 4 + Word(image().data1, w.offset);
    EXPECT_EQ(Word(image().data1, slots), w.offset) << "the record pointer";
    EXPECT_EQ(relocated_[slots], imagekit::kDataRun);
    EXPECT_EQ(Word(image().data1, slots + 4), 0u) << "the implicit-instance variable";
    EXPECT_EQ(relocated_.count(slots + 4), 0u);
  }
}

// Where each record of data1 starts, by what it is.
struct Records {
  std::vector<uint32_t> literals, kind1, kind0, windows;
};

TEST_F(Shape, RecordsFollowTheOrderOfTheRuntimesOwnImages) {
  // The main window's menu handler names open data1.
  std::vector<std::string> first;
  for (size_t i = 0; i < 6; ++i) first.push_back(data_.literals[i].text);
  EXPECT_EQ(first, (std::vector<std::string>{"FileQuit", "appleInMt", "tutto", "dett", "sf", "asf"}));
  EXPECT_EQ(data_.literals[0].offset, 8u + 12u) << "length byte, text, padding, then the record";
  // Window by window: literals, kind-1 references, kind-0 classes, record, slot pair.
  uint32_t groupStart = data_.literals[5].offset + 16;
  for (size_t w = 0; w < data_.windows.size(); ++w) {
    SCOPED_TRACE(kWindows[w]);
    uint32_t record = data_.windows[w].offset;
    uint32_t lastLiteral = 0, firstKind1 = UINT32_MAX, lastKind1 = 0, firstKind0 = UINT32_MAX, lastKind0 = 0;
    for (const auto& l : data_.literals)
      if (l.offset > groupStart && l.offset < record) lastLiteral = std::max(lastLiteral, l.offset);
    for (const DecodedClass& c : data_.classes) {
      if (c.offset < groupStart || c.offset > record) continue;
      if (c.kind == 1) firstKind1 = std::min(firstKind1, c.offset), lastKind1 = std::max(lastKind1, c.offset);
      if (c.kind == 0) firstKind0 = std::min(firstKind0, c.offset), lastKind0 = std::max(lastKind0, c.offset);
    }
    ASSERT_NE(firstKind0, UINT32_MAX) << "the window's own class";
    if (firstKind1 != UINT32_MAX) {
      EXPECT_LT(lastKind1, firstKind0);
    }
    // Kind-1 references carry their name literal just before them; other literals come first.
    for (const auto& l : data_.literals) {
      if (l.offset > groupStart && l.offset < record && (firstKind1 == UINT32_MAX || l.offset < firstKind1 - 16)) {
        EXPECT_LT(l.offset, firstKind0);
      }
    }
    EXPECT_GT(record, lastKind0);
    EXPECT_GT(lastLiteral, 0u);
    uint32_t slots = record + 4 + Word(image().data1, record);
    groupStart = slots + 8;
  }
  ASSERT_EQ(data_.plugins.size(), 1u);
  EXPECT_EQ(data_.plugins[0].offset, (groupStart + 3) / 4 * 4) << "the plug-in list follows the last slot pair";
  size_t n = data_.classes.size();
  EXPECT_GT(data_.classes[n - 2].offset, data_.plugins[0].offset);
  EXPECT_LT(data_.classes[n - 2].offset, data_.classes[n - 1].offset);
  ASSERT_EQ(data_.projectItems.size(), 2u);
  EXPECT_EQ(data_.projectItems[0].kind, 2u);
  EXPECT_EQ(data_.projectItems[1].kind, 4u);
  EXPECT_GT(data_.projectItems[0].offset, data_.classes[n - 1].offset);
  EXPECT_GT(data_.applicationDescriptor, data_.projectItems[1].offset);
  EXPECT_EQ(data_.applicationDescriptor + 4 + 4 * n + 4 + 4 * 2, image().data1.size()) << "the descriptor is last";
}

TEST_F(Shape, LinksOnlyTheEntriesTheApplicationUses) {
  const std::set<std::string> allowed = {
      "Win32InstallPlugins", "RuntimeInit", "RuntimeRun", "RuntimeCreateWindow", "RuntimeShowWindow",
      "RuntimeHideWindow", "RuntimeCloseWindow", "windowTitleGetter", "windowTitleSetter",
      "windowBackColorSetter", "RuntimeControlReference", "RuntimeControlFetch",
      "RuntimeControlArrayItemReference", "ctlPosSetter", "staticCaptionSetter", "pushButtonTitleGetter",
      "pushButtonTitleSetter", "editTextGetter", "editTextSetter", "radioValueGetter", "RuntimeMenuReference",
      "!GBevelButton!Caption", "!SBevelButton!Caption", "RuntimeLockObject", "RuntimeUnlockObject",
      "RuntimeLockString", "RuntimeUnlockString", "RuntimeNilObject", "RuntimeStackCheck",
      "RuntimeStringCompare", "StringStr", "StringVal", "FPToInt", "IntToFP", "rnd", "RuntimeRGB",
      "RuntimeCreateArray", "RuntimeArrayCreateAddIndex", "RuntimeDirectWriteIntArray",
      "RuntimeDirectReadIntArray", "RuntimeDisposeIntArray", "notePlayerPlayNote", "notePlayerInstrumentSetter",
      // The message box and the string functions that judge answers, and the reads this
      // program makes to check its own writes.
      "RuntimeMsgBox", "RuntimeAddString", "runTrim", "StringUCase", "StringLeft", "StringMid3",
      "StringInStr", "RuntimeUBound", "ctlPosGetter", "radioValueSetter", "intGetter", "stringGetter"};
  std::set<std::string> linked;
  for (const imagekit::LinkRecord& r : links_)
    if (r.type == 0x01) linked.insert(r.name);
  for (const std::string& name : linked) EXPECT_TRUE(allowed.count(name)) << name;
  for (const char* needed : {"RuntimeControlFetch", "RuntimeControlReference", "RuntimeControlArrayItemReference",
                             "!GBevelButton!Caption", "!SBevelButton!Caption", "RuntimeMenuReference"})
    EXPECT_TRUE(linked.count(needed)) << needed;
}

TEST_F(Shape, CodePointersAreTheEntryAndOneWordPerHandler) {
  size_t handlers = 0;
  for (const DecodedClass& c : data_.classes) handlers += c.eventHandlers.size() + c.menuHandlers.size();
  std::map<uint16_t, size_t> byKind;
  for (auto [offset, kind] : map_.words) ++byKind[kind];
  EXPECT_EQ(byKind[0x4000], 1u);
  EXPECT_EQ(byKind[0x4600], handlers);
  EXPECT_EQ(handlers, 19u);
  EXPECT_EQ(byKind[0x4200] + byKind[0x4000] + byKind[0x4600], map_.words.size());
}

TEST_F(Shape, FunctionsAreHandlersAccessorsCreatorsAndTheEntryWithoutCatchClauses) {
  EXPECT_EQ(image_->functions.size(), 19u + 2 * 8u + 1u);
  for (const char* w : kWindows) {
    std::string name = w;
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    EXPECT_EQ(EntryCalls(name + ".creator"), (std::vector<std::string>{"RuntimeStackCheck", "RuntimeCreateWindow"}))
        << "a fresh window, kept nowhere";
  }
  const imagekit::Bytes& code = image().code1;
  for (const auto& [name, start] : image_->functions) {
    uint32_t at = start;
    while (!(code[at] == 0xC9 && code[at + 1] == 0xC3 && code[at + 2] == 0x2F)) ++at;
    for (at += 3; code.at(at) != 0; at += code[at] == 4 ? 7 : 3)
      EXPECT_NE(code[at], 4) << name << ": no Catch in the program, no catch clause";
  }
}

// Dim notes(8) As Integer: create, then add the index (array, 0, 8), read with Capstone.
TEST_F(Shape, AnIntegerArrayIsMadeWithLowerBoundZeroAndUpperBoundEight) {
  EXPECT_EQ(EntryCalls("fndm.bb1.mouseenter"),
            (std::vector<std::string>{"RuntimeStackCheck", "RuntimeCreateArray", "RuntimeArrayCreateAddIndex",
                                      "RuntimeDirectWriteIntArray", "RuntimeControlFetch",
                                      "RuntimeNilObject", "RuntimeDirectReadIntArray", "notePlayerPlayNote",
                                      "RuntimeDisposeIntArray"}));
  std::map<uint32_t, std::string> linked;
  for (const imagekit::LinkRecord& r : links_)
    for (uint32_t site : r.sites) linked[site] = r.name;
  csh handle;
  ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &handle), CS_ERR_OK);
  const imagekit::Bytes& code = image().code1;
  uint32_t start = image_->functions.at("fndm.bb1.mouseenter");
  cs_insn* insn = nullptr;
  size_t n = cs_disasm(handle, code.data() + start, 400, start, 0, &insn);
  std::vector<std::string> before;  // the instructions since the last call
  bool checked = false;
  for (size_t i = 0; i < n && !checked; ++i) {
    auto it = linked.find(uint32_t(insn[i].address) + 1);
    if (insn[i].bytes[0] == 0xE8 && it != linked.end()) {
      if (it->second == "RuntimeArrayCreateAddIndex") {
        ASSERT_GE(before.size(), 4u);
        std::vector<std::string> pushes(before.end() - 3, before.end());
        EXPECT_EQ(pushes[0], "push 8");
        EXPECT_EQ(pushes[1], "push 0");
        EXPECT_EQ(pushes[2].rfind("push dword ptr [ebp - ", 0), 0u) << pushes[2];
        checked = true;
      }
      before.clear();
      continue;
    }
    if (std::string(insn[i].mnemonic) == "mov" && std::string(insn[i].op_str) == "eax, 8") before.push_back("push 8");
    else if (std::string(insn[i].mnemonic) == "push" && std::string(insn[i].op_str) == "eax" && !before.empty() &&
             before.back() == "push 8")
      continue;
    else before.push_back(std::string(insn[i].mnemonic) + " " + insn[i].op_str);
  }
  cs_free(insn, n);
  cs_close(&handle);
  EXPECT_TRUE(checked);
}

TEST_F(Shape, ControlsUsedOnceAreLentAndControlsWrittenAreHeld) {
  EXPECT_EQ(EntryCalls("fns.bevelbutton1.mouseenter"),
            (std::vector<std::string>{"RuntimeStackCheck", "RuntimeControlFetch", "RuntimeNilObject",
                                      "notePlayerPlayNote", "RuntimeControlReference", "RuntimeNilObject",
                                      "IntToFP", "StringStr", "editTextSetter", "RuntimeUnlockString",
                                      "RuntimeUnlockObject", "RuntimeUnlockObject", "RuntimeUnlockString"}));
  // The argument reads a control itself: both lookups are lent.
  std::vector<std::string> exit = EntryCalls("fns.bevelbutton1.mouseexit");
  EXPECT_EQ(std::count(exit.begin(), exit.end(), "RuntimeControlFetch"), 2);
  EXPECT_EQ(std::count(exit.begin(), exit.end(), "RuntimeControlReference"), 0);
}

// Module code reaches other windows' controls as handlers do: a radio button read once is
// lent, a control-array member is held.
TEST(ShapeModules, ReachControlsOfWindowsAndTheirArrays) {
  const char* source =
      "Window fnpn\n  Control rb1 As RadioButton\n  End Control\nEnd Window\n"
      "Window fns\n  Control pb(3) As PushButton\n  End Control\n  Control eftf As EditField\n  End Control\n"
      "End Window\n"
      "Module Instruments\n  Sub Apply(player As NotePlayer)\n    If fnpn.rb1.Value Then player.Instrument = 1\n"
      "    fns.pb(3).Caption = fns.eftf.Text\n  End Sub\nEnd Module\n";
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage image;
  ASSERT_TRUE(amxc::CompileSource(sources, sources.Add("m.amx", source), diags, image))
      << (diags.Messages().empty() ? "" : diags.Messages()[0]);
  std::map<uint32_t, std::string> linked;
  for (const imagekit::LinkRecord& r : imagekit::DecodeLinkRecords(image.image))
    for (uint32_t site : r.sites) linked[site] = r.name;
  std::vector<std::string> calls;
  const imagekit::Bytes& code = image.image.code1;
  for (uint32_t at = image.functions.at("instruments.apply"); !(code[at] == 0xC9 && code[at + 1] == 0xC3); ++at) {
    auto it = linked.find(at + 1);
    if (code[at] == 0xE8 && it != linked.end() && it->second.rfind("Runtime", 0) == 0 &&
        it->second.find("Control") != std::string::npos)
      calls.push_back(it->second);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"RuntimeControlFetch", "RuntimeControlArrayItemReference",
                                             "RuntimeControlFetch"}));
}

// ---- amxdump --summary ----------------------------------------------------------------------

// The shape program compiled by amxc itself into development-mode files in a fresh `dir`.
runprogram::CommandRun CompileShapeIn(const std::string& dir) {
  std::filesystem::remove_all(dir);
  return runprogram::RunCommand(std::string(AMXC_BINARY) + " " AMXC_TEST_DIR
                                "/programs/shape.amx --plugin-dir " AMXC_PLUGIN_DIR " -o " + dir +
                                " 2>&1");
}

TEST(ShapeSummary, PrintsTheFiguresOfTheImageAndReportsDamage) {
  namespace fs = std::filesystem;
  std::string dir = runprogram::ProcessTempPath("shape", "_summary");
  runprogram::CommandRun compiled = CompileShapeIn(dir);
  ASSERT_EQ(compiled.status, 0) << compiled.output;
  runprogram::CommandRun summary = runprogram::RunCommand(std::string(AMXDUMP_BINARY) + " --summary " + dir);
  EXPECT_EQ(summary.status, 0) << summary.output;
  runprogram::Lines lines = runprogram::SplitLines(summary.output);
  for (const char* line :
       {"classes 27: kind 1 9, kind 0 18 (10 anonymous)", "kind-1 class 0 \"Window\"", "kind-1 class 2 \"StaticText\"",
        "kind-1 class 25 \"MenuItem\"", "kind-1 class 26 \"QuitMenuItem\"", "event handlers \"Action\" 7",
        "event handlers \"MouseEnter\" 3", "event handlers \"MouseExit\" 2", "event handlers \"EnableMenuItems\" 1",
        "menu handlers 6", "link \"RuntimeControlFetch\" 11", "link \"!GBevelButton!Caption\" 1",
        "functions 36: object locals 22, string locals 26, catch clauses 0", "windows 8", "project items 2",
        "menu bar stream 379 bytes", "settings stream 113 bytes", "plug-ins 1"})
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << "\n" << summary.output;
  bool relocated = false;
  for (const std::string& line : lines)
    relocated = relocated || (line.rfind("relocated words ", 0) == 0 && line.find(": 0x4000 1, ") != std::string::npos &&
                              line.find(", 0x4600 19") != std::string::npos);
  EXPECT_TRUE(relocated) << summary.output;
  // data1 cut short: the relocations run past its end.
  fs::resize_file(dir + "/data1.dat", 64);
  runprogram::CommandRun damaged = runprogram::RunCommand(std::string(AMXDUMP_BINARY) + " --summary " + dir);
  fs::remove_all(dir);
  EXPECT_EQ(damaged.status, 1);
  EXPECT_EQ(damaged.output.rfind("damaged: ", 0), 0u) << damaged.output;
}

// ---- Run headless --------------------------------------------------------------------------

#ifdef AMX_RUNTIME_EXE
TEST(ShapeRun, HandlersReachOtherWindowsQuotedControlsAndTheRepeatedMenuItem) {
  namespace fs = std::filesystem;
  std::string dir = runprogram::ProcessTempPath("shape", "_image");
  runprogram::CommandRun compiled = CompileShapeIn(dir);
  ASSERT_EQ(compiled.status, 0) << compiled.output;
  std::string script = runprogram::ProcessTempPath("shape", "_script.txt");
  std::ofstream(script) << "menu \"Accordi/Info Armonix\"\n"
                           "menu \"Prove/Tutto\"\n"
                           "menu \"Prove/Dettato\"\n"
                           "menu \"Prove/Accordi\"\n"
                           "move \"Accordi stato fondamentale\" 130 70\n"
                           "click\n";
  runprogram::ProgramRun run = runprogram::RunHeadless(
      AMX_RUNTIME_EXE, {dir, {{"ARMONIX_MIDI", "none"}, {"ARMONIX_SCRIPT", script}}, "",
                        runprogram::ProcessTempPath("shape", "_stderr.txt")});
  fs::remove_all(dir);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(runprogram::SplitLines(run.output),
            (runprogram::Lines{"msgbox \"Message\" \"Info Armonix\" -> OK",
                               "msgbox \"Message\" \"C3 E3 300 300 rb2 I rosso\" -> OK",
                               "msgbox \"Message\" \"giuste 2 su 2\" -> OK",
                               "msgbox \"Message\" \"pb-6 m6\" -> OK"}))
      << run.errors;
}
#endif

}  // namespace
}  // namespace amxctest
#endif
