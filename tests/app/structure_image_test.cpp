// The shape of the image inside build/armonix, read back by amxdump --summary (and decoded
// whole by --disassemble): the nine runtime and plug-in classes it refers to, the handlers
// by event, the entries its code is linked to, sixteen windows and its project items.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

#include "tests/support/runprogram.h"

namespace {

std::string Summary() {
  static const std::string summary =
      runprogram::RunCommand(runprogram::Quoted(AMX_DUMP_EXE) + " --summary " +
                             runprogram::Quoted(AMX_ARMONIX_EXE) + " 2>&1")
          .output;
  return summary;
}

// The number after `prefix` on the summary line that starts with it; -1 when there is none.
long Figure(const std::string& prefix) {
  for (const std::string& line : runprogram::SplitLines(Summary())) {
    if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
  }
  return -1;
}

// Every `link "NAME" COUNT` line.
std::map<std::string, long> Links() {
  std::map<std::string, long> links;
  std::regex line("^link \"([^\"]+)\" ([0-9]+)$");
  for (const std::string& text : runprogram::SplitLines(Summary())) {
    std::smatch m;
    if (std::regex_match(text, m, line)) links[m[1]] = std::stol(m[2]);
  }
  return links;
}

TEST(Image, RefersToExactlyTheNineRuntimeAndPluginClasses) {
  std::set<std::string> kind1;
  std::regex line("^kind-1 class [0-9]+ \"([^\"]+)\"$");
  for (const std::string& text : runprogram::SplitLines(Summary())) {
    std::smatch m;
    if (std::regex_match(text, m, line)) kind1.insert(m[1]);
  }
  EXPECT_EQ(kind1, (std::set<std::string>{"Window", "StaticText", "NotePlayer", "EditField",
                                          "PushButton", "BevelButton", "RadioButton",
                                          "MenuItem", "QuitMenuItem"}))
      << Summary();
  // The window class comes first; the two menu item classes are the last two.
  EXPECT_NE(Summary().find("kind-1 class 0 \"Window\"\n"), std::string::npos);
  long classes = Figure("classes ");
  EXPECT_NE(Summary().find("kind-1 class " + std::to_string(classes - 2) + " \"MenuItem\"\n"),
            std::string::npos);
  EXPECT_NE(Summary().find("kind-1 class " + std::to_string(classes - 1) + " \"QuitMenuItem\"\n"),
            std::string::npos);
}

TEST(Image, HasAHandlerForEveryBarEnteredAndLeft) {
  // 47 bars sound while the pointer rests on them; one window enables the menus; every menu
  // item with a window of its own, plus "Esci" and "Info Armonix", has a menu handler.
  EXPECT_EQ(Figure("event handlers \"MouseEnter\" "), 47) << Summary();
  EXPECT_EQ(Figure("event handlers \"MouseExit\" "), 47) << Summary();
  EXPECT_EQ(Figure("event handlers \"EnableMenuItems\" "), 1) << Summary();
  EXPECT_EQ(Figure("menu handlers "), 43) << Summary();
  EXPECT_GT(Figure("event handlers \"Action\" "), 80) << Summary();
  EXPECT_EQ(Figure("windows "), 16) << Summary();
  EXPECT_EQ(Figure("project items "), 2) << Summary();
  EXPECT_EQ(Figure("plug-ins "), 1) << Summary();
}

// The 41 entries and the two bevel-button accessors the application is built on, and
// besides them only what the message box of "Info Armonix" and the judging of dictation
// answers need.
TEST(Image, LinksTheApplicationsEntriesAndNothingElse) {
  const std::set<std::string> kUsed = {
      "Win32InstallPlugins", "RuntimeInit", "RuntimeRun", "RuntimeCreateWindow",
      "RuntimeShowWindow", "RuntimeHideWindow", "RuntimeCloseWindow", "windowTitleGetter",
      "windowTitleSetter", "windowBackColorSetter", "RuntimeControlReference",
      "RuntimeControlFetch", "RuntimeControlArrayItemReference", "ctlPosSetter",
      "staticCaptionSetter", "pushButtonTitleGetter", "pushButtonTitleSetter",
      "editTextGetter", "editTextSetter", "radioValueGetter", "RuntimeMenuReference",
      "!GBevelButton!Caption", "!SBevelButton!Caption", "RuntimeLockObject",
      "RuntimeUnlockObject", "RuntimeLockString", "RuntimeUnlockString", "RuntimeNilObject",
      "RuntimeStackCheck", "RuntimeStringCompare", "StringStr", "StringVal", "FPToInt",
      "IntToFP", "rnd", "RuntimeRGB", "RuntimeCreateArray", "RuntimeArrayCreateAddIndex",
      "RuntimeDirectWriteIntArray", "RuntimeDirectReadIntArray", "RuntimeDisposeIntArray",
      "notePlayerPlayNote", "notePlayerInstrumentSetter"};
  const std::set<std::string> kAlsoAllowed = {
      "RuntimeMsgBox", "RuntimeAddString", "StringChr",        // "Info Armonix"
      "StringMid3", "StringLen", "StringAsc", "runTrim",        // reading answers
      "StringUCase", "StringLCase", "StringLeft", "StringRight", "StringInStr",
      "editTextColorSetter", "StringMid2"};
  std::map<std::string, long> links = Links();
  ASSERT_FALSE(links.empty()) << Summary();
  for (const std::string& name : kUsed) EXPECT_TRUE(links.count(name)) << name << " is not linked";
  for (const auto& [name, sites] : links) {
    EXPECT_TRUE(kUsed.count(name) || kAlsoAllowed.count(name)) << name << " is linked";
    EXPECT_GT(sites, 0) << name;
  }
  EXPECT_NE(Summary().find(", deferred 2, unknown 0;"), std::string::npos) << Summary();
  // The entry function's three calls, each made once.
  EXPECT_EQ(links["Win32InstallPlugins"], 1);
  EXPECT_EQ(links["RuntimeInit"], 1);
  EXPECT_EQ(links["RuntimeRun"], 1);
}

TEST(Image, RelocatesOneEntryPointAndEveryHandler) {
  std::smatch m;
  std::string summary = Summary();
  ASSERT_TRUE(std::regex_search(summary, m,
                                std::regex("relocated words ([0-9]+): 0x4000 ([0-9]+), "
                                           "0x4200 ([0-9]+), 0x4600 ([0-9]+)")))
      << summary;
  EXPECT_EQ(std::stol(m[2]), 1);  // the header's entry point
  // One code pointer per event and menu handler entry, and the window creators.
  long handlers = Figure("event handlers \"Action\" ") + 47 + 47 + 1 + Figure("menu handlers ");
  EXPECT_GE(std::stol(m[4]), handlers);
  EXPECT_EQ(std::stol(m[1]), std::stol(m[2]) + std::stol(m[3]) + std::stol(m[4]));
}

TEST(Image, DisassemblesWhole) {
  runprogram::CommandRun run = runprogram::RunCommand(
      runprogram::Quoted(AMX_DUMP_EXE) + " --disassemble " + runprogram::Quoted(AMX_ARMONIX_EXE) +
      " 2>&1 >/dev/null");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(run.output, "");
}

}  // namespace
