// Diagnostics: bad programs and the exact message each one gets, every error of a run
// reported, the source line and caret under the column.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/amxc/harness.h"
#include "tools/amxc/compiler.h"

namespace amxctest {
namespace {

struct BadProgram {
  const char* what;
  const char* source;
  const char* message;
};

std::string InF(const std::string& body, const std::string& result = "Integer") {
  return "Module M\n  Function F() As " + result + "\n" + body + "\n  End Function\nEnd Module\n";
}

class Diagnostic : public ::testing::TestWithParam<BadProgram> {};

TEST_P(Diagnostic, IsReportedExactly) {
  const BadProgram& c = GetParam();
  std::vector<std::string> errors = CompileErrors(c.source);
  ASSERT_FALSE(errors.empty()) << c.what << ": compiled without error";
  EXPECT_EQ(errors[0], c.message) << c.what;
}

const std::string kTypeMismatch = InF("    Return \"x\"");
const std::string kUnknownName = InF("    Return y");
const std::string kUnterminated = InF("    Return \"abc");
const std::string kUnclosedIf = InF("    If True Then\n      Return 1");
const std::string kUnknownType = InF("    Dim x As Intger\n    Return 0");
const std::string kNotBoolean = InF("    If 1 Then Return 2\n    Return 0");
const std::string kArgumentCount = InF("    Return Len(\"a\", 2)");
const std::string kExitSub = InF("    Exit Sub");
const std::string kDeclaredTwice = InF("    Dim a As Integer\n    Dim a As String\n    Return 0");
const std::string kOutOfRange = InF("    Return 3000000000");
const std::string kNoCodePoint = InF("    Return Len(\"\xE2\x98\x83\")");
const std::string kCatchScalar = InF("    Try\n      Return 1\n    Catch e As Integer\n    End Try\n    Return 0");
const std::string kSubValue =
    "Module M\n  Sub S()\n  End Sub\n  Function F() As Integer\n    Return S()\n  End Function\nEnd Module\n";
const std::string kStrayCharacter = InF("    Return 1 ? 2");
const std::string kMissingThen = InF("    If 1 = 1\n    End If\n    Return 0");
const std::string kCompareMismatch = InF("    If \"a\" = 1 Then Return 1\n    Return 0");

const std::string kWindowProperty = "Window W\n  Colour = 3\nEnd Window\n";
const std::string kPropertyValue = "Window W\n  Width = \"wide\"\nEnd Window\n";
const std::string kControlEvent =
    "Window W\n  Control b As PushButton\n    Sub Click()\n    End Sub\n  End Control\nEnd Window\n";
const std::string kHandlerShape = "Window W\n  Sub CancelClose()\n  End Sub\nEnd Window\n";
const std::string kNotAnEvent = "Window W\n  Sub Explode()\n  End Sub\nEnd Window\n";
const std::string kMenuHandler =
    "MenuBar\n  Menu \"A\"\n    MenuItem mi \"Item\"\n  End Menu\nEnd MenuBar\n"
    "Window W\n  Sub mi()\n  End Sub\nEnd Window\n";
const std::string kControlArrayIndex =
    "Window W\n  Control pb(1) As PushButton\n  End Control\n"
    "  Sub Open()\n    pb.Caption = \"x\"\n  End Sub\nEnd Window\n";
const std::string kReadOnly = "Window W\n  Sub Open()\n    Self.ControlCount = 1\n  End Sub\nEnd Window\n";
const std::string kUnknownClass = "Window W\n  Control c As Slider\n  End Control\nEnd Window\n";
const std::string kDefaultWindow = "Project\n  DefaultWindow Nowhere\nEnd Project\nWindow W\nEnd Window\n";
const std::string kDuplicateControl =
    "Window W\n  Control c As EditField\n  End Control\n  Control c As EditField\n  End Control\nEnd Window\n";
const std::string kMacRoman = "Project\n  Caption \"\xE2\x82\xAC \xE2\x98\x83\"\nEnd Project\n";
const std::string kNewControl = InF("    Dim p As PushButton = New PushButton\n    Return 0");
const std::string kMenuItemClass =
    "MenuBar\n  Menu \"A\"\n    MenuItem mi \"Item\" As Window\n  End Menu\nEnd MenuBar\n";

const std::string kFolderPath = InF("    Dim f As FolderItem = New FolderItem\n    f.AbsolutePath = \"x\"\n    Return 0");
const std::string kDowncast =
    "Class Base Inherits Object\nEnd Class\nClass Derived Inherits Base\nEnd Class\n"
    "Module M\n  Sub S(b As Base)\n    Dim d As Derived = b\n  End Sub\nEnd Module\n";
const std::string kCycle = "Class A Inherits B\nEnd Class\nClass B Inherits A\nEnd Class\n";
const std::string kRaiseNonException =
    "Class K Inherits Object\nEnd Class\nModule M\n  Sub S()\n    Raise New K\n  End Sub\nEnd Module\n";
const std::string kRaiseString = InF("    Raise \"wrong\"\n    Return 0");
const std::string kQuotedDollar = "Window W\n  Control \"pb$1\" As PushButton\n  End Control\nEnd Window\n";
const std::string kQuotedEmpty = "Window W\n  Control \"\" As PushButton\n  End Control\nEnd Window\n";
const std::string kQuotedNoByte = "Window W\n  Control \"pb\xE2\x98\x83\" As PushButton\n  End Control\nEnd Window\n";
const std::string kQuotedTwice =
    "Window W\n  Control \"pb-6\" As PushButton\n  End Control\n  Control \"PB-6\" As PushButton\n  End Control\n"
    "End Window\n";
const std::string kMenuIndexMix =
    "MenuBar\n  Menu \"A\"\n    MenuItem v \"Uno\"\n    MenuItem v \"Due\" Index 1\n  End Menu\nEnd MenuBar\n";
const std::string kBarMenu =
    "MenuBar\n  Menu mnS \"Strumenti\"\n    MenuItem mnSP \"Cambia\"\n  End Menu\nEnd MenuBar\n"
    "Window W\n  Sub EnableMenuItems()\n    mnS.Enabled = True\n  End Sub\nEnd Window\n";
const std::string kAppleOnly =
    "MenuBar\n  AppleMenu\n    MenuItem info \"Info\"\n  End AppleMenu\nEnd MenuBar\n"
    "Window W\n  Sub EnableMenuItems()\n    info.Enabled = True\n  End Sub\nEnd Window\n";

// V in two modules, neither of them the caller's.
const std::string kTwoModulesV =
    "Module A\n  Function V() As Integer\n    Return 1\n  End Function\nEnd Module\n"
    "Module B\n  Function V() As Integer\n    Return 2\n  End Function\nEnd Module\n";
const std::string kAmbiguousCall = kTwoModulesV + InF("    Return V() + 1");
const std::string kAmbiguousName = kTwoModulesV + InF("    Return V");
const std::string kAmbiguousInWindow = kTwoModulesV + "Window W\n  Sub Open()\n    Self.Title = Str(V)\n  End Sub\nEnd Window\n";

const BadProgram kBadPrograms[] = {
    {"call of a function two other modules have", kAmbiguousCall.c_str(),
     "test.amx:13:13: error: 'V' is a function of several modules: name its module"},
    {"bare name of a function two other modules have", kAmbiguousName.c_str(),
     "test.amx:13:12: error: 'V' is a function of several modules: name its module"},
    {"a window handler has no module of its own", kAmbiguousInWindow.c_str(),
     "test.amx:13:22: error: 'V' is a function of several modules: name its module"},
    {"an item only in the application menu used", kAppleOnly.c_str(),
     "test.amx:8:5: error: menu item 'info' stands only in the application menu, where the runtime makes no item"},
    {"a menu of the bar used as an item", kBarMenu.c_str(),
     "test.amx:8:5: error: 'mnS' is a menu of the menu bar, which has no menu item object"},
    {"quoted control name with a key separator", kQuotedDollar.c_str(),
     "test.amx:2:11: error: a control name cannot hold '$' or '*'"},
    {"empty quoted control name", kQuotedEmpty.c_str(), "test.amx:2:11: error: a control name cannot be empty"},
    {"quoted control name outside Windows-1252", kQuotedNoByte.c_str(),
     "test.amx:2:11: error: control name holds a character with no Windows-1252 byte (U+2603)"},
    {"quoted control name twice, case ignored", kQuotedTwice.c_str(),
     "test.amx:4:11: error: control 'PB-6' is declared twice in window W"},
    {"menu item name with and without an index", kMenuIndexMix.c_str(),
     "test.amx:4:5: error: menu item 'v' is declared both with and without an index"},
    {"type mismatch", kTypeMismatch.c_str(), "test.amx:3:12: error: cannot use String as Integer"},
    {"unknown name", kUnknownName.c_str(), "test.amx:3:12: error: unknown name 'y'"},
    {"unterminated string", kUnterminated.c_str(), "test.amx:3:12: error: unterminated string literal"},
    {"unclosed If", kUnclosedIf.c_str(), "test.amx:3:5: error: If is not closed by its End line"},
    {"unknown type", kUnknownType.c_str(), "test.amx:3:14: error: unknown type 'Intger'"},
    {"condition not Boolean", kNotBoolean.c_str(), "test.amx:3:8: error: a condition must be Boolean, not Integer"},
    {"argument count", kArgumentCount.c_str(), "test.amx:3:12: error: Len takes 1 argument, not 2"},
    {"Exit Sub in a Function", kExitSub.c_str(), "test.amx:3:5: error: Exit Sub inside a Function"},
    {"declared twice", kDeclaredTwice.c_str(), "test.amx:4:9: error: 'a' is already declared"},
    {"integer out of range", kOutOfRange.c_str(), "test.amx:3:12: error: integer literal 3000000000 is out of range"},
    {"no Windows-1252 byte", kNoCodePoint.c_str(),
     "test.amx:3:16: error: string literal holds a character with no Windows-1252 byte (U+2603)"},
    {"catch of a scalar", kCatchScalar.c_str(), "test.amx:5:16: error: Catch needs a class, not Integer"},
    {"value of a Sub", kSubValue.c_str(), "test.amx:5:12: error: S is a Sub and has no value"},
    {"stray character", kStrayCharacter.c_str(), "test.amx:3:14: error: unexpected character '?'"},
    {"missing Then", kMissingThen.c_str(), "test.amx:3:13: error: expected 'Then', found end of line"},
    {"comparison of String and Integer", kCompareMismatch.c_str(),
     "test.amx:3:12: error: cannot compare String with Integer"},
    {"unknown window property", kWindowProperty.c_str(),
     "test.amx:2:3: error: Window has no design-time property 'Colour'"},
    {"property value of the wrong kind", kPropertyValue.c_str(),
     "test.amx:2:11: error: property Width needs an integer"},
    {"unknown control event", kControlEvent.c_str(), "test.amx:3:9: error: PushButton has no event 'Click'"},
    {"handler shape", kHandlerShape.c_str(),
     "test.amx:2:7: error: the CancelClose handler must be a Function returning Boolean"},
    {"neither event nor menu item", kNotAnEvent.c_str(),
     "test.amx:2:7: error: 'Explode' is neither an event of Window nor a menu item name"},
    {"menu handler shape", kMenuHandler.c_str(),
     "test.amx:7:7: error: the menu handler mi must be a Function mi() As Boolean"},
    {"control array without index", kControlArrayIndex.c_str(),
     "test.amx:5:5: error: 'pb' is a control array: write pb(index)"},
    {"read-only property", kReadOnly.c_str(), "test.amx:3:10: error: property 'ControlCount' of W is read-only"},
    {"unknown control class", kUnknownClass.c_str(), "test.amx:2:16: error: unknown control class 'Slider'"},
    {"unknown default window", kDefaultWindow.c_str(), "test.amx:2:3: error: unknown window 'Nowhere'"},
    {"control declared twice", kDuplicateControl.c_str(),
     "test.amx:4:11: error: control 'c' is declared twice in window W"},
    {"settings text outside Mac Roman", kMacRoman.c_str(),
     "test.amx:2:11: error: text holds a character with no Mac Roman byte (U+2603)"},
    {"New of a control class", kNewControl.c_str(), "test.amx:3:27: error: a PushButton cannot be made with New"},
    {"menu item class", kMenuItemClass.c_str(), "test.amx:3:27: error: 'Window' is not a MenuItem class"},
    {"read-only built-in property", kFolderPath.c_str(),
     "test.amx:4:7: error: property 'AbsolutePath' of FolderItem is read-only"},
    {"superclass where a subclass is expected", kDowncast.c_str(), "test.amx:7:24: error: Base is not a Derived"},
    {"class inheriting itself", kCycle.c_str(), "test.amx:1:18: error: class 'A' inherits itself"},
    {"raise of an object that is no exception", kRaiseNonException.c_str(),
     "test.amx:5:11: error: Raise needs a RuntimeException, not K"},
    {"raise of a string", kRaiseString.c_str(), "test.amx:3:11: error: Raise needs a RuntimeException, not String"},
};
INSTANTIATE_TEST_SUITE_P(BadPrograms, Diagnostic, ::testing::ValuesIn(kBadPrograms));

TEST(Diagnostics, EveryErrorOfARunIsReported) {
  std::string source =
      "Module M\n"
      "  Function A() As Integer\n"
      "    Return \"no\"\n"
      "  End Function\n"
      "  Function B() As Integer\n"
      "    Dim x As Nothing\n"
      "    Return q\n"
      "  End Function\n"
      "End Module\n"
      "Window W\n"
      "  Sub Explode()\n"
      "  End Sub\n"
      "End Window\n";
  std::vector<std::string> errors = CompileErrors(source);
  ASSERT_EQ(errors.size(), 1u) << "declaration errors stop before code generation";
  errors = CompileErrors(source.substr(0, source.find("Window W")));
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0], "test.amx:3:12: error: cannot use String as Integer");
  EXPECT_EQ(errors[1], "test.amx:6:14: error: unknown type 'Nothing'");
  EXPECT_EQ(errors[2], "test.amx:7:12: error: unknown name 'q'");
}

TEST(Diagnostics, SyntaxErrorsDoNotHideLaterOnes) {
  std::vector<std::string> errors = CompileErrors(InF("    Dim = 3\n    Return \"x\""));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "test.amx:3:9: error: expected a variable name, found '='");
  EXPECT_EQ(errors[1], "test.amx:4:12: error: cannot use String as Integer");
}

TEST(Diagnostics, ShowTheLineAndACaretUnderTheColumn) {
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage out;
  int32_t file = sources.Add("caret.amx", InF("\tReturn \"è\" & x"));
  ASSERT_FALSE(amxc::CompileSource(sources, file, diags, out));
  ASSERT_EQ(diags.Messages().size(), 1u);
  EXPECT_EQ(diags.Messages()[0],
            "caret.amx:3:15: error: unknown name 'x'\n"
            "\tReturn \"è\" & x\n"
            "\t             ^");
}

TEST(Diagnostics, AMissingProjectFileIsReported) {
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage out;
  EXPECT_FALSE(amxc::CompileProject(sources, "/nonexistent/p.amx", diags, out));
  ASSERT_EQ(diags.Headlines().size(), 1u);
  EXPECT_EQ(diags.Headlines()[0], "amxc: error: cannot read project file \"/nonexistent/p.amx\"");
}

}  // namespace
}  // namespace amxctest

namespace amxctest {
namespace {

// Every truncation of a real project, and the project with each line dropped in turn, either
// compiles or is refused with messages; none may crash the compiler or pass silently broken.
TEST(Robustness, DamagedProjectsAreRefusedWithMessages) {
  std::ifstream in(AMXC_TEST_DIR "/programs/ear.amx");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(text, line)) lines.push_back(line);
  for (size_t cut = 0; cut < lines.size(); ++cut) {
    std::string truncated, dropped;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i < cut) truncated += lines[i] + "\n";
      if (i != cut) dropped += lines[i] + "\n";
    }
    for (const std::string& source : {truncated, dropped}) {
      amxc::CompiledImage image;
      std::string errors;
      if (CompileOnly(source, image, &errors)) {
        EXPECT_FALSE(image.image.code1.empty());
      } else {
        EXPECT_NE(errors.find("error: "), std::string::npos) << "line " << cut;
      }
    }
  }
}

TEST(Robustness, DeepNestingIsRefusedNotACrash) {
  std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  auto errors = CompileErrors(InF("    Return " + deep));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("error: nesting is too deep"), std::string::npos) << errors[0];
  std::string negations;
  for (int i = 0; i < 5000; ++i) negations += "Not ";
  errors = CompileErrors(InF("    If " + negations + "True Then Return 1\n    Return 0"));
  ASSERT_FALSE(errors.empty());
  std::string chain = "1";
  for (int i = 0; i < 20000; ++i) chain += " + 1";
  errors = CompileErrors(InF("    Return " + chain));
  ASSERT_FALSE(errors.empty());
  EXPECT_NE(errors[0].find("error: expression is too long"), std::string::npos) << errors[0];
  std::string ifs, ends;
  for (int i = 0; i < 1000; ++i) {
    ifs += "If True Then\n";
    ends += "End If\n";
  }
  errors = CompileErrors(InF(ifs + ends + "    Return 0"));
  ASSERT_FALSE(errors.empty());
}

}  // namespace
}  // namespace amxctest
