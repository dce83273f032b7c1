// The headless script: every malformed line is refused with its line number and reason, key
// texts read as the runtime writes shortcuts, message boxes take the scripted answer
// and print their line, dumps describe the screen (with the controls windows draw
// themselves), expectations check the last output.
#include <cstdlib>
#include <utility>

#include "native/drawnitems.h"
#include "native/probe.h"
#include "native/text/cp1252.h"
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

using Lines = std::vector<std::string>;

struct BadLine {
  const char* line;
  const char* message;
};

const BadLine kBadLines[] = {
    {"jump 1 2", "unknown command 'jump'"},
    {"move 1", "move needs X Y or \"TITLE\" X Y (whole numbers)"},
    {"move a b", "move needs X Y or \"TITLE\" X Y (whole numbers)"},
    {"move \"W\" 1", "move needs X Y or \"TITLE\" X Y (whole numbers)"},
    {"move 1 2 3", "move needs X Y or \"TITLE\" X Y (whole numbers)"},
    {"click 3", "click takes no arguments"},
    {"dump now", "dump takes no arguments"},
    {"type hello", "type needs one \"TEXT\""},
    {"type \"unterminated", "unterminated text (missing closing \")"},
    {"key", "key needs one key such as Ctrl+Q"},
    {"key Ctrl+", "unknown key 'Ctrl+'"},
    {"key F25", "unknown key 'F25'"},
    {"key Hyper+Q", "unknown key 'Hyper+Q'"},
    {"menu \"File\"", "menu needs a path of at least two captions: \"Top/Item\""},
    {"menu \"File//Esci\"", "menu path \"File//Esci\" has an empty caption"},
    {"menu File/Esci", "menu needs one \"Top/Item\""},
    {"answer Maybe", "unknown answer 'Maybe' (OK, Cancel, Yes or No)"},
    {"answer", "answer needs OK, Cancel, Yes or No"},
    {"close W", "close needs one \"TITLE\""},
    {"idle -1", "idle needs a count of 0 or more"},
    {"idle many", "idle needs a count of 0 or more"},
    {"expect", "expect needs one \"SUBSTRING\""},
    {"echo", "echo needs one \"TEXT\""},
    {"echo here", "echo needs one \"TEXT\""},
    {"probe now", "probe takes no arguments"},
    {"\"dump\"", "a line must start with a command, not a text"},
};

TEST(ScriptParse, EveryBadLineIsReportedWithItsNumberAndReason) {
  for (const BadLine& bad : kBadLines) {
    native::ParsedScript parsed = native::ParseScript("s.txt", std::string("dump\n") + bad.line + "\n");
    ASSERT_EQ(parsed.errors.size(), 1u) << bad.line;
    EXPECT_EQ(parsed.errors[0], std::string("s.txt:2: ") + bad.message) << bad.line;
    EXPECT_EQ(parsed.commands.size(), 1u) << bad.line;
  }
}

TEST(ScriptParse, CommentsBlankLinesEscapesAndUtf8) {
  native::ParsedScript parsed = native::ParseScript(
      "s", "# a comment\n\n  dump   # trailing\r\ntype \"a \\\"b\\\" # c\"\nmove \"Città\" -3 4\n");
  ASSERT_TRUE(parsed.errors.empty()) << parsed.errors[0];
  ASSERT_EQ(parsed.commands.size(), 3u);
  EXPECT_EQ(parsed.commands[0].line, 3);
  EXPECT_EQ(parsed.commands[1].text, "a \"b\" # c");
  EXPECT_TRUE(parsed.commands[2].hasTitle);
  EXPECT_EQ(parsed.commands[2].text, "Citt\xE0");  // Windows-1252
  EXPECT_EQ(parsed.commands[2].x, -3);
}

TEST(ScriptParse, KeyTextsReadLikeTheRuntimesShortcuts) {
  struct Case {
    const char* keyText;
    int vk;
    char ch;
    uint32_t mods;
  } cases[] = {
      {"Ctrl+Q", 'Q', 0, native::kKeyControl},
      {"Shft+Tab", VK_TAB, '\t', native::kKeyShift},
      {"Ctrl+Shft+Alt+F5", VK_F1 + 4, 0, native::kKeyControl | native::kKeyShift | native::kKeyAlt},
      {"Enter", VK_RETURN, '\r', 0},
      {"Esc", VK_ESCAPE, 27, 0},
      {"a", 'A', 'a', 0},
      {"Shft+a", 'A', 'A', native::kKeyShift},
      {"7", '7', '7', 0},
      {"Del", VK_DELETE, 0, 0},
      {"PgDn", VK_NEXT, 0, 0},
  };
  for (const Case& c : cases) {
    int vk = 0;
    char ch = 1;
    uint32_t mods = 99;
    ASSERT_TRUE(native::ParseKeyText(c.keyText, &vk, &ch, &mods)) << c.keyText;
    EXPECT_EQ(vk, c.vk) << c.keyText;
    EXPECT_EQ(ch, c.ch) << c.keyText;
    EXPECT_EQ(mods, c.mods) << c.keyText;
  }
}

class ScriptRunTest : public NativeTest {};

TEST_F(ScriptRunTest, MessageBoxesTakeTheScriptedAnswerOnceAndPrintTheirLine) {
  Script("answer No\n");
  RunLoop();  // reads the answer, then the script ends
  EXPECT_EQ(MessageBoxA(nullptr, "Salvare?\r\nDue righe", "Armonix", MB_YESNO), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Again", "Armonix", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Plain", nullptr, MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Failed Assertion: 3", "", MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONERROR), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, "Rispondi", "", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(Out(),
            "msgbox \"Armonix\" \"Salvare?\\nDue righe\" -> No\n"
            "msgbox \"Armonix\" \"Again\" -> No\n"
            "msgbox \"Error\" \"Plain\" -> OK\n"
            "msgbox \"\" \"Failed Assertion: 3\" -> OK\n"
            "msgbox \"\" \"Rispondi\" -> No\n");
}

TEST_F(ScriptRunTest, AnAnswerTheBoxDoesNotOfferFallsBackToItsDefault) {
  Script("answer Yes\n");
  RunLoop();
  EXPECT_EQ(MessageBoxA(nullptr, "x", "c", MB_OKCANCEL), IDOK);
  EXPECT_EQ(Err(), "test: answer Yes is not a button of message box \"c\"; OK taken\n");
}

TEST_F(ScriptRunTest, DumpListsWindowsAndTheirChildrenInZOrder) {
  Script("dump\n");
  HWND back = TopLevel("Indietro", 300, 300, 100, 50);
  HWND w = TopLevel("Intervalli \xE0", 100, 80, 391, 206);
  auto child = [&](const char* cls, const char* text, DWORD style, int x, int y, int cw, int ch) {
    return CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, cw, ch, w, nullptr, nullptr, nullptr);
  };
  child("BUTTON", "OK", WS_VISIBLE | BS_DEFPUSHBUTTON, 10, 170, 80, 24);
  HWND radio = child("BUTTON", "Piano", WS_VISIBLE | BS_AUTORADIOBUTTON, 10, 10, 90, 20);
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  child("RichEdit", "60", 0, 200, 10, 50, 22);
  HWND off = child("STATIC", "riga1\r\nriga2", WS_VISIBLE, 5, 40, 100, 30);
  EnableWindow(off, FALSE);
  (void)back;
  RunLoop();
  EXPECT_EQ(Out(),
            "window \"Intervalli \xC3\xA0\" 100 80 391 206 visible active\n"
            "  BUTTON \"OK\" 10 170 80 24 default\n"
            "  BUTTON \"Piano\" 10 10 90 20 checked\n"
            "  RichEdit \"60\" 200 10 50 22 hidden\n"
            "  STATIC \"riga1\\nriga2\" 5 40 100 30 disabled\n"
            "window \"Indietro\" 300 300 100 50 visible\n");
}

// What the test windows draw themselves: the source reports these for their window.
std::vector<std::pair<HWND, native::DrawnItem>> gDrawn;

void ReportTestItems(HWND window, std::vector<native::DrawnItem>* items) {
  for (const auto& [w, item] : gDrawn)
    if (w == window) items->push_back(item);
}

// A second source adds to the first rather than replacing it.
void ReportMarker(HWND window, std::vector<native::DrawnItem>* items) {
  for (const auto& [w, item] : gDrawn)
    if (w == window && item.text == "primo") items->push_back(native::DrawnItem{"Marker", "", {0, 0, 1, 1}});
}

TEST_F(ScriptRunTest, DumpListsDrawnControlsBeneathTheChildWindowsOfTheirWindow) {
  Script("dump\n");
  HWND w = TopLevel("Esercizio", 100, 80, 391, 206);
  HWND group = CreateWindowExA(0, "STATIC", "gruppo", WS_CHILD | WS_VISIBLE, 30, 40, 200, 100, w,
                               nullptr, nullptr, nullptr);
  CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE, 10, 170, 80, 24, w, nullptr, nullptr, nullptr);
  gDrawn = {
      {w, {"StaticText", "primo", {37, 13, 518, 168}}},
      {w, {"StaticText", "Perch\xE9\r\nno", {0, 0, 50, 20}, false, false}},
      {group, {"StaticText", "&Dentro", {5, 6, 65, 26}}},  // offset by the child's origin
      {group, {"StaticText", "", {0, 0, 0, 0}, true, false}},
  };
  native::AddDrawnItemsSource(&ReportTestItems);
  native::AddDrawnItemsSource(&ReportMarker);
  native::AddDrawnItemsSource(&ReportTestItems);  // kept once
  native::AddDrawnItemsSource(nullptr);           // ignored
  RunLoop();
  gDrawn.clear();
  EXPECT_EQ(Out(),
            "window \"Esercizio\" 100 80 391 206 visible active\n"
            "  STATIC \"gruppo\" 30 40 200 100\n"
            "    StaticText \"&Dentro\" 35 46 60 20\n"
            "    StaticText \"\" 30 40 0 0 disabled\n"
            "  BUTTON \"OK\" 10 170 80 24\n"
            "  StaticText \"primo\" 37 13 481 155\n"
            "  StaticText \"Perch\xC3\xA9\\nno\" 0 0 50 20 hidden disabled\n"
            "  Marker \"\" 0 0 1 1\n");
}

TEST_F(ScriptRunTest, ExpectChecksTheLastDumpOrMessageBox) {
  native::HeadlessBackend& backend = Script("dump\nexpect \"window \\\"W\\\"\"\nexpect \"missing\"\n");
  TopLevel("W", 10, 10, 50, 50);
  RunLoop();
  EXPECT_TRUE(backend.Failed());
  EXPECT_EQ(Err().rfind("test:3: expected \"missing\" in: window \"W\"", 0), 0u) << Err();
}

std::string ProbeForTest() { return "objects 3 heap 40"; }

TEST_F(ScriptRunTest, EchoAndProbePrintTheirLinesInScriptOrder) {
  Script("echo \"-- caff\xC3\xA8 --\"\nprobe\n");
  RunLoop();
  native::SetProbeSource(&ProbeForTest);
  Script("probe\n");
  RunLoop();
  native::SetProbeSource(nullptr);
  EXPECT_EQ(Out(), "-- caff\xC3\xA8 --\nprobe \nprobe objects 3 heap 40\n");
}

TEST(Cp1252, RoundTripsEveryDefinedByteAndReplacesWhatItCannotHold) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(native::Utf8ToCp1252(native::Cp1252ToUtf8(all)), all);
  EXPECT_EQ(native::Cp1252ToUtf8("\x80\xE8"), "\xE2\x82\xAC\xC3\xA8");  // euro sign, e grave
  EXPECT_EQ(native::Utf8ToCp1252("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(native::Utf8ToCp1252("\xE4\xB8\xAD"), "?");            // not in the code page
  EXPECT_EQ(native::Utf8ToCp1252("a\xC3"), "a?");                  // cut short
  EXPECT_EQ(native::Utf8ToCp1252("\xFF\xFEz"), "??z");             // not UTF-8 at all
}

}  // namespace
}  // namespace native_test
