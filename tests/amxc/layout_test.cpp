// Layout of every compiled function, read back with Capstone: the prologue the exception
// walk relies on, a call-site table after every call that needs one, the epilogue
// leave; ret; 0x2F and a well-formed function table, and no stray 0xC9 0xC3 0x2F before it.
#include <capstone/capstone.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "tests/amxc/harness.h"

namespace amxctest {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every construct the code generator has, in one program besides the example project.
const char* kEveryConstruct = R"(
Module Every
  Function Strings(s As String) As String
    Dim t As String = s & "x" & 3
    If t = "ax3" Or Len(t) > 5 Then t = Left(t, 1)
    Select Case t
      Case "a", "b"
        t = UCase(t)
      Case Else
        t = ""
    End Select
    Return t
  End Function
  Function Numbers(n As Integer, d As Double) As Double
    Dim a(4) As Integer
    For i = 0 To 4 Step 2
      a(i) = n \ (i + 1) + n Mod 3
    Next
    While d < 100
      d = d * 2 + a(2)
    Wend
    Return d / 3
  End Function
  Sub Handlers()
    Try
      Raise New RuntimeException
    Catch e As NilObjectException
      Strings("in handler")
    Catch f As RuntimeException
      Try
        Numbers(1, 2)
      Catch g As OutOfBoundsException
        Exit Sub
      End Try
    End Try
  End Sub
End Module
)";

struct FunctionLayout {
  std::string name;
  uint32_t start;
};

class Layout : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(cs_open(CS_ARCH_X86, CS_MODE_32, &cs_), CS_ERR_OK); }
  void TearDown() override { cs_close(&cs_); }

  void Check(const amxc::CompiledImage& image) {
    const imagekit::Bytes& code = image.image.code1;
    std::map<uint32_t, std::string> linked;
    for (const imagekit::LinkRecord& record : imagekit::DecodeLinkRecords(image.image)) {
      if (record.type != 0x01) continue;
      EXPECT_TRUE(record.chainError.empty()) << record.name << ": " << record.chainError;
      for (uint32_t site : record.sites) linked[site] = record.name;
    }
    std::set<uint32_t> starts;
    for (const auto& [name, start] : image.functions) starts.insert(start);
    for (const auto& [name, start] : image.functions) CheckFunction(name, start, code, linked, starts);
  }

  void CheckFunction(const std::string& name, uint32_t start, const imagekit::Bytes& code,
                     const std::map<uint32_t, std::string>& linked, const std::set<uint32_t>& starts) {
    SCOPED_TRACE(name);
    static const std::set<std::string> kBare = {"RuntimeLockObject", "RuntimeUnlockObject",
                                                "RuntimeLockString", "RuntimeUnlockString",
                                                "RuntimeDisposeIntArray"};
    cs_insn* insn = cs_malloc(cs_);
    const uint8_t* p = code.data() + start;
    size_t left = code.size() - start;
    uint64_t address = start;
    std::vector<std::string> head;
    int32_t frameSize = -1;
    bool sawStackCheck = false;
    uint32_t end = 0;
    while (left > 0) {
      if (left >= 3 && p[0] == 0xC9 && p[1] == 0xC3 && p[2] == 0x2F) {
        end = static_cast<uint32_t>(address);
        break;
      }
      ASSERT_TRUE(cs_disasm_iter(cs_, &p, &left, &address, insn)) << "undecodable byte at " << address;
      std::string text = std::string(insn->mnemonic) + " " + insn->op_str;
      if (head.size() < 3) head.push_back(text);
      if (head.size() == 3 && frameSize < 0) {
        ASSERT_EQ(head[0], "push ebp");
        ASSERT_EQ(head[1], "mov ebp, esp");
        ASSERT_EQ(head[2].rfind("sub esp, ", 0), 0u) << head[2];
        frameSize = static_cast<int32_t>(std::stoul(head[2].substr(9), nullptr, 0));
        EXPECT_EQ(frameSize % 4, 0);
        EXPECT_GE(frameSize, 16);
      }
      if (std::string(insn->mnemonic) != "call") continue;
      uint32_t operand = static_cast<uint32_t>(insn->address + 1);
      auto it = linked.find(operand);
      std::string callee;
      if (it != linked.end()) {
        callee = it->second;
      } else {
        uint32_t target = static_cast<uint32_t>(std::stoul(insn->op_str, nullptr, 0));
        ASSERT_TRUE(starts.count(target)) << "call at " << insn->address << " goes nowhere known";
        callee = "(local)";
      }
      if (!sawStackCheck) {
        EXPECT_EQ(callee, "RuntimeStackCheck") << "first call of the function";
        sawStackCheck = true;
      }
      if (kBare.count(callee)) continue;
      // The call-site table: jmp L; nop; (jmp kind)...; jmp 0.
      ASSERT_GE(left, 5u);
      ASSERT_EQ(p[0], 0xEB) << "no call-site table after the call of " << callee;
      uint8_t length = p[1];
      ASSERT_EQ(p[2], 0x90);
      size_t i = 3;
      while (p[i] == 0xEB && p[i + 1] != 0) {
        EXPECT_EQ(p[i + 1], 7) << "unexpected call-site entry kind";
        i += 2;
      }
      ASSERT_EQ(p[i], 0xEB);
      ASSERT_EQ(p[i + 1], 0);
      EXPECT_EQ(length, i);  // the jump lands just after the terminating entry
      p += i + 2;
      left -= i + 2;
      address += i + 2;
    }
    cs_free(insn, 1);
    ASSERT_NE(end, 0u) << "no leave; ret; 0x2F";
    EXPECT_TRUE(sawStackCheck);
    // The function table.
    size_t t = end + 3;
    std::set<int32_t> slots;
    while (code.at(t) != 0) {
      uint8_t kind = code[t];
      ASSERT_TRUE(kind == 4 || kind == 5 || kind == 6) << "kind " << int(kind);
      int16_t operand = static_cast<int16_t>((code[t + 1] << 8) | code[t + 2]);
      if (kind == 4) {
        int32_t displacement = static_cast<int32_t>((code[t + 3] << 24) | (code[t + 4] << 16) |
                                                    (code[t + 5] << 8) | code[t + 6]);
        uint32_t handler = static_cast<uint32_t>(t + 3 + displacement);
        EXPECT_GT(handler, start);
        EXPECT_LT(handler, end);
        EXPECT_GE(operand, 0);
        t += 7;
      } else {
        EXPECT_LT(operand, -4) << "a reference local below the caught-exception word";
        EXPECT_GE(operand, -frameSize);
        EXPECT_TRUE(slots.insert(operand).second) << "slot listed twice";
        t += 3;
      }
    }
  }

  csh cs_ = 0;
};

TEST_F(Layout, EveryFunctionOfTheExampleProject) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(ReadFile(AMXC_TEST_DIR "/programs/ear.amx"), image, &errors)) << errors;
  EXPECT_GT(image.functions.size(), 8u);
  Check(image);
}

// Handlers of the program's own classes follow the same layout (the demo project's
// application class, with a parameter, fields and MsgBox calls).
TEST_F(Layout, EveryHandlerOfTheDemoProject) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(ReadFile(AMXC_TEST_DIR "/../../demo/demo.amx"), image, &errors)) << errors;
  EXPECT_EQ(image.functions.count("demo.open"), 1u);
  EXPECT_EQ(image.functions.count("demo.opendocument"), 1u);
  Check(image);
}

TEST_F(Layout, EveryConstruct) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(kEveryConstruct, image, &errors)) << errors;
  Check(image);
}

TEST_F(Layout, CallsInsideACatchHandlerCarryKind7) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(kEveryConstruct, image, &errors)) << errors;
  const imagekit::Bytes& code = image.image.code1;
  uint32_t start = image.functions.at("every.handlers");
  const uint8_t kKind7[] = {0xEB, 0x05, 0x90, 0xEB, 0x07, 0xEB, 0x00};
  auto found = std::search(code.begin() + start, code.end(), std::begin(kKind7), std::end(kKind7));
  EXPECT_NE(found, code.end());
}

// Arrays cannot be listed in the function table: a function that holds one lists a clause
// for every class a Catch names (here RuntimeException), whose dispatcher disposes of the
// array before raising again.
TEST_F(Layout, AFunctionHoldingArraysCatchesEveryExceptionToDisposeOfThem) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(kEveryConstruct, image, &errors)) << errors;
  const imagekit::Bytes& code = image.image.code1;
  int32_t exception = image.classIndexes.at("runtimeexception");
  auto clauses = [&](const std::string& name) {
    std::vector<int32_t> found;
    uint32_t at = image.functions.at(name);
    while (!(code[at] == 0xC9 && code[at + 1] == 0xC3 && code[at + 2] == 0x2F)) ++at;
    for (at += 3; code.at(at) != 0;) {
      if (code[at] == 4) {
        found.push_back(static_cast<int16_t>((code[at + 1] << 8) | code[at + 2]));
        at += 7;
      } else {
        at += 3;
      }
    }
    return found;
  };
  EXPECT_EQ(clauses("every.numbers"), std::vector<int32_t>{exception});
  EXPECT_TRUE(clauses("every.strings").empty()) << "no arrays, no Try: no clause";
  uint32_t start = image.functions.at("every.numbers");
  uint32_t end = start;
  while (!(code[end] == 0xC9 && code[end + 1] == 0xC3 && code[end + 2] == 0x2F)) ++end;
  int disposals = 0;
  for (const imagekit::LinkRecord& record : imagekit::DecodeLinkRecords(image.image))
    for (uint32_t site : record.sites)
      if (record.name == "RuntimeDisposeIntArray" && site > start && site < end) ++disposals;
  EXPECT_EQ(disposals, 2) << "at the exit and in the dispatcher (the Dim runs once)";
}

// The clauses that bring a function's arrays to its dispatcher name the classes that the
// program's Catch clauses name, leaving out subclasses of another: nothing else can be
// caught. Without any Catch there is no clause, and no class is added to the image for it.
struct CleanupCase {
  const char* what;
  const char* catches;  // Catch lines of a Try in another function
  std::vector<const char*> clauses;
};

class ArrayCleanup : public ::testing::TestWithParam<CleanupCase> {};

TEST_P(ArrayCleanup, NamesOnlyClassesThatCanBeCaught) {
  const CleanupCase& c = GetParam();
  std::string source = std::string("Class Wrong Inherits RuntimeException\nEnd Class\n") +
                       "Class Worse Inherits Wrong\nEnd Class\n"
                       "Module M\n  Sub Hold()\n    Dim a(8) As Integer\n    a(1) = 2\n  End Sub\n" +
                       (*c.catches ? std::string("  Sub Guard()\n    Try\n      Hold()\n") + c.catches +
                                         "    End Try\n  End Sub\n"
                                   : std::string()) +
                       "End Module\n";
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(source, image, &errors)) << errors;
  const imagekit::Bytes& code = image.image.code1;
  std::vector<int32_t> found;
  uint32_t at = image.functions.at("m.hold");
  while (!(code[at] == 0xC9 && code[at + 1] == 0xC3 && code[at + 2] == 0x2F)) ++at;
  for (at += 3; code.at(at) != 0; at += code[at] == 4 ? 7 : 3)
    if (code[at] == 4) found.push_back(static_cast<int16_t>((code[at + 1] << 8) | code[at + 2]));
  std::vector<int32_t> expected;
  for (const char* name : c.clauses) expected.push_back(image.classIndexes.at(name));
  EXPECT_EQ(found, expected) << c.what;
}

const CleanupCase kCleanups[] = {
    {"no Catch anywhere: no clause", "", {}},
    {"one class of the program", "    Catch e As Wrong\n", {"wrong"}},
    {"a subclass is covered by its superclass", "    Catch e As Worse\n    Catch f As Wrong\n", {"wrong"}},
    {"unrelated classes each", "    Catch e As Wrong\n    Catch f As OutOfBoundsException\n",
     {"wrong", "outofboundsexception"}},
    {"RuntimeException covers every other", "    Catch e As NilObjectException\n    Catch f As RuntimeException\n",
     {"runtimeexception"}},
};
INSTANTIATE_TEST_SUITE_P(Clauses, ArrayCleanup, ::testing::ValuesIn(kCleanups));

// The application menu may carry a name and a caption like any menu; its items are written
// whether or not an ordinary menu repeats them.
TEST_F(Layout, TheApplicationMenuKeepsItsNameAndCaption) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly("MenuBar\n  AppleMenu apple \"\x14\"\n    MenuItem info \"Info\"\n  End AppleMenu\n"
                          "  Menu \"Altro\"\n    MenuItem info \"Info\"\n  End Menu\nEnd MenuBar\n",
                          image, &errors))
      << errors;
  imagekit::DecodedData data = imagekit::DecodeData(image.image);
  ASSERT_EQ(data.projectItems.size(), 2u);
  const auto& menu = data.projectItems[0].menu;
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].kind, 1);
  EXPECT_EQ(menu[0].name, "apple");
  EXPECT_EQ(menu[0].text, "\x14");
  ASSERT_EQ(menu[0].children.size(), 1u);
  EXPECT_EQ(menu[0].children[0].name, "info");
  EXPECT_EQ(menu[1].children.at(0).name, "info");
}

TEST_F(Layout, TheEntryFunctionRunsTheApplication) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly(ReadFile(AMXC_TEST_DIR "/programs/ear.amx"), image, &errors)) << errors;
  std::vector<std::string> calls;
  std::map<uint32_t, std::string> linked;
  for (const imagekit::LinkRecord& record : imagekit::DecodeLinkRecords(image.image))
    for (uint32_t site : record.sites) linked[site] = record.name;
  uint32_t start = image.functions.at("entry");
  for (uint32_t at = start; image.image.code1[at] != 0xC9 || image.image.code1[at + 1] != 0xC3; ++at) {
    auto it = linked.find(at + 1);
    if (image.image.code1[at] == 0xE8 && it != linked.end()) calls.push_back(it->second);
  }
  std::vector<std::string> expected = {"RuntimeStackCheck", "RuntimeInit", "RuntimeUnlockObject", "RuntimeRun"};
  EXPECT_EQ(calls, expected);
  imagekit::DecodedData data = imagekit::DecodeData(image.image);
  EXPECT_EQ(data.entryFunction, start);
  EXPECT_TRUE(data.problems.empty()) << data.problems[0];
}

}  // namespace
}  // namespace amxctest

namespace amxctest {
namespace {

// Plug-in controls: design-time values in the declaration file's order, members reached
// through deferred links, the library carried in the plug-in list, one anonymous class for
// the handlers of a control array.
#ifdef AMXC_PLUGIN_DIR
TEST(PluginControls, AreDescribedAndLinkedThroughDeferredNames) {
  amxc::SourceSet sources;
  amxc::Diagnostics diags(sources);
  amxc::CompiledImage image;
  amxc::CompileOptions options;
  options.pluginDirs = {"/nonexistent", AMXC_PLUGIN_DIR};
  ASSERT_TRUE(amxc::CompileProject(sources, AMXC_TEST_DIR "/programs/bevel.amx", diags, image, options))
      << (diags.Messages().empty() ? "" : diags.Messages()[0]);
  std::set<std::string> names;
  for (const imagekit::LinkRecord& record : imagekit::DecodeLinkRecords(image.image))
    if (record.type == 0x01) names.insert(record.name);
  EXPECT_TRUE(names.count("!GBevelButton!Caption"));
  EXPECT_TRUE(names.count("!SBevelButton!Caption"));
  EXPECT_TRUE(names.count("RuntimeControlArrayItemReference"));
  EXPECT_TRUE(names.count("notePlayerPlayNote"));

  imagekit::DecodedData data = imagekit::DecodeData(image.image);
  EXPECT_TRUE(data.problems.empty()) << data.problems[0];
  ASSERT_EQ(data.plugins.size(), 1u);
  EXPECT_EQ(data.plugins[0].fileName, "ktap350.dll");
  // The library the build wrote is carried whole.
  std::string text = ReadFile(AMXC_PLUGIN_FILE);
  imagekit::Bytes built(text.begin(), text.end());
  ASSERT_FALSE(built.empty());
  EXPECT_EQ(data.plugins[0].length - 5 - data.plugins[0].fileName.size(), built.size());
  EXPECT_NE(std::search(image.image.data1.begin(), image.image.data1.end(), built.begin(), built.end()),
            image.image.data1.end());
  ASSERT_EQ(data.windows.size(), 1u);
  const imagekit::WindowDesc& window = data.windows[0].desc;
  ASSERT_EQ(window.properties.size(), 21u);
  EXPECT_EQ(window.properties[5], (imagekit::PropertyPair{"Title", "Cadenza perfetta"}));
  EXPECT_EQ(window.properties[11], (imagekit::PropertyPair{"ZoomIcon", "False"}));
  ASSERT_EQ(window.controls.size(), 3u);
  // Both members of bbcp share the anonymous subclass that holds their handlers.
  EXPECT_EQ(window.controls[1].classIndex, window.controls[2].classIndex);
  const auto& handlers = data.classes.at(window.controls[1].classIndex);
  EXPECT_EQ(handlers.name, "");
  EXPECT_EQ(handlers.eventHandlers.size(), 2u);
  EXPECT_EQ(data.classes.at(handlers.superclass).name, "BevelButton");
  const auto& bevel = window.controls[2].properties;
  ASSERT_GT(bevel.size(), 23u);
  EXPECT_EQ(bevel[0], (imagekit::PropertyPair{"Name", "bbcp"}));
  EXPECT_EQ(bevel[1], (imagekit::PropertyPair{"Index", "2"}));
  EXPECT_EQ(bevel[21], (imagekit::PropertyPair{"Caption", "V"}));
  EXPECT_EQ(bevel[22], (imagekit::PropertyPair{"Value", "False"}));
  const auto& player = window.controls[0].properties;
  ASSERT_EQ(player.size(), 5u);
  EXPECT_EQ(player[1], (imagekit::PropertyPair{"Index", "-2147483648"}));
  // The menu handler sits in the window's class.
  const auto& windowClass = data.classes.at(window.classIndex);
  ASSERT_EQ(windowClass.menuHandlers.size(), 1u);
  EXPECT_EQ(windowClass.menuHandlers[0].first, "cp");
}
#endif

// A plug-in library is looked for beside the project, then in each plug-in directory as the
// path written and as its file name; a missing or empty library is an error at its line.
TEST(PluginLibraries, AreFoundInThePluginDirectories) {
  namespace fs = std::filesystem;
  fs::path root = fs::temp_directory_path() / ("amxc_plugins_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "project");
  fs::create_directories(root / "lib" / "sub");
  fs::create_directories(root / "other");
  std::ofstream(root / "lib" / "sub" / "a.dll") << "AAAA";
  std::ofstream(root / "other" / "b.dll") << "BBBBBB";
  std::ofstream(root / "other" / "empty.dll");
  struct Case {
    const char* from;
    std::vector<std::string> dirs;
    size_t carried;  // library bytes; 0 = refused
    const char* message;
  };
  const Case cases[] = {
      {"sub/a.dll", {(root / "lib").string()}, 4, ""},
      {"x/y/b.dll", {(root / "lib").string(), (root / "other").string()}, 6, ""},
      {"sub/a.dll", {}, 0, "cannot read plug-in library"},
      {"none.dll", {(root / "lib").string()}, 0, "(nor in the plug-in directories)"},
      {"empty.dll", {(root / "other").string()}, 0, "is empty or unreadable"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.from);
    fs::path project = root / "project" / "p.amx";
    std::ofstream(project) << "Project\n  Plugin \"lib.dll\" From \"" << c.from << "\"\nEnd Project\n";
    amxc::SourceSet sources;
    amxc::Diagnostics diags(sources);
    amxc::CompiledImage image;
    amxc::CompileOptions options;
    options.pluginDirs = c.dirs;
    bool ok = amxc::CompileProject(sources, project.string(), diags, image, options);
    if (c.carried == 0) {
      ASSERT_FALSE(ok);
      ASSERT_EQ(diags.Headlines().size(), 1u);
      EXPECT_EQ(diags.Headlines()[0].rfind(project.string() + ":2:3: error: ", 0), 0u) << diags.Headlines()[0];
      EXPECT_NE(diags.Headlines()[0].find(c.message), std::string::npos) << diags.Headlines()[0];
      continue;
    }
    ASSERT_TRUE(ok) << diags.Headlines()[0];
    imagekit::DecodedData data = imagekit::DecodeData(image.image);
    ASSERT_EQ(data.plugins.size(), 1u);
    EXPECT_EQ(data.plugins[0].length - 5 - data.plugins[0].fileName.size(), c.carried);
  }
  fs::remove_all(root);
}

TEST(ProjectSettings, CarryTheMessageTableAndCaptionInMacRoman) {
  amxc::CompiledImage image;
  std::string errors;
  ASSERT_TRUE(CompileOnly("Project\n  Caption \"Perché\"\n  Flags 3\n  MDI True\n"
                          "  Message 1 \"uno\" & Chr(13)\nEnd Project\n", image, &errors)) << errors;
  imagekit::DecodedData data = imagekit::DecodeData(image.image);
  ASSERT_EQ(data.projectItems.size(), 1u);
  const imagekit::Bytes& s = data.projectItems[0].stream;
  size_t pos = 0;
  EXPECT_EQ(s.at(pos++), 3);
  EXPECT_EQ(std::vector<uint8_t>(s.begin() + 1, s.begin() + 9), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 1}));
  pos = 9;
  EXPECT_EQ(imagekit::ReadCompactInt(s, pos), 0);  // document types
  ASSERT_EQ(imagekit::ReadCompactInt(s, pos), 5);  // messages 0..4
  EXPECT_EQ(imagekit::ReadText(s, pos), "");
  EXPECT_EQ(imagekit::ReadText(s, pos), "uno\r");
  EXPECT_EQ(imagekit::ReadText(s, pos), "");
  EXPECT_EQ(imagekit::ReadText(s, pos), "");
  std::string unhandled = imagekit::ReadText(s, pos);
  EXPECT_EQ(unhandled, "Un'eccezione della classe %1 non \x8F stata gestita.\rL'applicazione verr\x88 chiusa.");
  EXPECT_EQ(s.at(pos++), 1);  // MDI
  EXPECT_EQ(imagekit::ReadText(s, pos), "Perch\x8E");
  EXPECT_EQ(pos, s.size());
}

}  // namespace
}  // namespace amxctest
