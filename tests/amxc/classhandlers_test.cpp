// Event handlers of the program's own classes: compiled into the class's event-handler
// list, found by the runtime's FindEventHandler from an object of the class or of a
// subclass, run with the object first; bad handlers and MsgBox misuse are exact diagnostics.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "tests/amxc/harness.h"

namespace amxctest {
namespace {

// An application class with fields its handlers set, a subclass without handlers, and a
// module to make objects and read the fields back.
const char* const kApplicationProgram =
    "Class App Inherits Application\n"
    "  Dim opened As Integer\n"
    "  Dim document As String\n"
    "  Sub Open()\n"
    "    opened = Me.opened + 7\n"
    "  End Sub\n"
    "  Sub OpenDocument(item As FolderItem)\n"
    "    Dim opened As Integer = 100\n"
    "    Self.document = \"doc:\" & item.Name\n"
    "    If opened <> 100 Or Me.opened <> 0 Then document = \"a local must hide the field\"\n"
    "  End Sub\n"
    "End Class\n"
    "Class LaterApp Inherits App\n"
    "End Class\n"
    "Module M\n"
    "  Function MakeApp() As App\n"
    "    Return New App\n"
    "  End Function\n"
    "  Function MakeLater() As LaterApp\n"
    "    Return New LaterApp\n"
    "  End Function\n"
    "  Function Opened(a As App) As Integer\n"
    "    Return a.opened\n"
    "  End Function\n"
    "  Function DocumentLength(a As App) As Integer\n"
    "    Return Len(a.document)\n"
    "  End Function\n"
    "End Module\n";

EventDeclaration* ApplicationEvent(const char* name) {
  return FindEventDeclaration(FindBuiltinClass("Application"), name);
}

struct HandlerCase {
  const char* what;
  const char* maker;    // module function that makes the receiver
  const char* event;    // Application event looked up
  const char* handler;  // compiled function expected, or "" for none
};

class ClassHandler : public ::testing::TestWithParam<HandlerCase> {};

TEST_P(ClassHandler, IsFoundByTheRuntimeLookup) {
  const HandlerCase& c = GetParam();
  std::string error;
  auto program = LoadedProgram::Compile(kApplicationProgram, &error);
  ASSERT_TRUE(program) << error;
  auto* object = reinterpret_cast<ObjectHeader*>(program->Call(c.maker));
  ASSERT_NE(object, nullptr);
  ASSERT_NE(ApplicationEvent(c.event), nullptr) << c.event;
  CodeAddress found = FindEventHandler(object, ApplicationEvent(c.event));
  if (*c.handler) {
    EXPECT_EQ(reinterpret_cast<const void*>(found),
              reinterpret_cast<const void*>(program->Function<void()>(c.handler)))
        << c.what;
  } else {
    EXPECT_EQ(found, nullptr) << c.what;
  }
  UnlockObject(object);
}

const HandlerCase kLookups[] = {
    {"own class handles Open", "m.makeapp", "Open", "app.open"},
    {"own class handles OpenDocument", "m.makeapp", "OpenDocument", "app.opendocument"},
    {"an event without handler finds none", "m.makeapp", "NewDocument", ""},
    {"subclass inherits the handler", "m.makelater", "Open", "app.open"},
    {"subclass without Close handler finds none", "m.makelater", "Close", ""},
};
INSTANTIATE_TEST_SUITE_P(Lookup, ClassHandler, ::testing::ValuesIn(kLookups));

TEST(ClassHandlerRun, OpenRunsWithTheObjectFirst) {
  std::string error;
  auto program = LoadedProgram::Compile(kApplicationProgram, &error);
  ASSERT_TRUE(program) << error;
  auto* object = reinterpret_cast<ObjectHeader*>(program->Call("m.makeapp"));
  ASSERT_NE(object, nullptr);
  Usage before = CurrentUsage();
  program->Call("app.open", {reinterpret_cast<uint32_t>(object)});
  program->Call("app.open", {reinterpret_cast<uint32_t>(object)});
  EXPECT_EQ(CurrentUsage(), before) << "references left behind";
  EXPECT_EQ(static_cast<int32_t>(program->Call("m.opened", {reinterpret_cast<uint32_t>(object)})), 14);
  UnlockObject(object);
}

TEST(ClassHandlerRun, OpenDocumentGetsTheItemAsSecondArgument) {
  std::string error;
  auto program = LoadedProgram::Compile(kApplicationProgram, &error);
  ASSERT_TRUE(program) << error;
  auto* app = reinterpret_cast<ObjectHeader*>(program->Call("m.makeapp"));
  ObjectHeader* item = MakeObject(FindBuiltinClass("FolderItem"));
  ASSERT_TRUE(app && item);
  // The path is the FolderItem's string field at offset 24.
  StringRecord* path = MakeStringFromC("scala.txt");
  std::memcpy(reinterpret_cast<uint8_t*>(item) + 24, &path, sizeof path);
  program->Call("app.opendocument", {reinterpret_cast<uint32_t>(app), reinterpret_cast<uint32_t>(item)});
  EXPECT_EQ(item->refCount, 1) << "the handler must only borrow the item";
  EXPECT_EQ(static_cast<int32_t>(program->Call("m.documentlength", {reinterpret_cast<uint32_t>(app)})),
            static_cast<int32_t>(std::strlen("doc:scala.txt")));
  UnlockObject(item);
  UnlockObject(app);
}

struct BadHandler {
  const char* what;
  const char* source;
  const char* message;
};

class ClassHandlerDiagnostic : public ::testing::TestWithParam<BadHandler> {};

TEST_P(ClassHandlerDiagnostic, IsReportedExactly) {
  const BadHandler& c = GetParam();
  std::vector<std::string> errors = CompileErrors(c.source);
  ASSERT_FALSE(errors.empty()) << c.what << ": compiled without error";
  EXPECT_EQ(errors[0], c.message) << c.what;
}

const BadHandler kBadHandlers[] = {
    {"misspelt event", "Class App Inherits Application\n  Sub Opn()\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: class App has no event 'Opn'"},
    {"event of another class", "Class App Inherits Application\n  Sub Action()\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: class App has no event 'Action'"},
    {"class whose superclasses declare no events",
     "Class Wrong Inherits RuntimeException\n  Sub Open()\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: class Wrong has no event 'Open'"},
    {"missing parameter", "Class App Inherits Application\n  Sub OpenDocument()\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: the OpenDocument handler takes 1 parameter"},
    {"extra parameter", "Class App Inherits Application\n  Sub Open(n As Integer)\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: the Open handler takes 0 parameters"},
    {"parameter of the wrong type",
     "Class App Inherits Application\n  Sub OpenDocument(item As String)\n  End Sub\nEnd Class\n",
     "test.amx:2:28: error: parameter item of the OpenDocument handler must be FolderItem"},
    {"Function for an event without result",
     "Class App Inherits Application\n  Function Open() As Boolean\n  End Function\nEnd Class\n",
     "test.amx:2:12: error: the Open handler must be a Sub"},
    {"two handlers of one event",
     "Class App Inherits Application\n  Sub Open()\n  End Sub\n  Sub open()\n  End Sub\nEnd Class\n",
     "test.amx:4:7: error: class App already has a open handler"},
    {"subclass handling an event its superclass handles",
     "Class App Inherits Application\n  Sub Open()\n  End Sub\nEnd Class\n"
     "Class Later Inherits App\n  Sub Open()\n  End Sub\nEnd Class\n",
     "test.amx:6:7: error: class App already handles Open, and the runtime runs the handler nearest the "
     "event's class"},
    {"superclass declared after its subclass",
     "Class Later Inherits App\n  Sub Open()\n  End Sub\nEnd Class\n"
     "Class App Inherits Application\n  Sub Open()\n  End Sub\nEnd Class\n",
     "test.amx:2:7: error: class App already handles Open, and the runtime runs the handler nearest the "
     "event's class"},
    {"handler left open", "Class App Inherits Application\n  Sub Open()\nEnd Class\n",
     "test.amx:2:7: error: Sub Open is not closed by its End line"},
    {"Self has no window in a class handler",
     "Class App Inherits Application\n  Sub Open()\n    Self.Title = \"x\"\n  End Sub\nEnd Class\n",
     "test.amx:3:10: error: App has no property 'Title'"},
    {"MsgBox used as a value",
     "Module M\n  Sub S()\n    Dim s As String = MsgBox(\"x\")\n  End Sub\nEnd Module\n",
     "test.amx:3:23: error: MsgBox has no value"},
    {"MsgBox with two arguments",
     "Module M\n  Sub S()\n    MsgBox(\"a\", \"b\")\n  End Sub\nEnd Module\n",
     "test.amx:3:5: error: MsgBox takes 1 argument, not 2"},
    {"MsgBox without argument", "Module M\n  Sub S()\n    MsgBox\n  End Sub\nEnd Module\n",
     "test.amx:3:5: error: MsgBox takes 1 argument, not 0"},
};
INSTANTIATE_TEST_SUITE_P(Bad, ClassHandlerDiagnostic, ::testing::ValuesIn(kBadHandlers));

// A bad handler line must not make its body's statements read as lines of the class: one
// error for the line, then the rest of the class is checked as usual.
TEST(ClassHandlerRecovery, ABadHandlerLineSkipsItsBody) {
  std::vector<std::string> errors = CompileErrors(
      "Class App Inherits Application\n"
      "  Sub Open(\n"
      "    Dim broken As Integer\n"
      "    Return\n"
      "  End Sub\n"
      "  Dim after As Integer\n"
      "  Sub Clse()\n"
      "  End Sub\n"
      "End Class\n");
  std::vector<std::string> expected = {
      "test.amx:2:12: error: expected a parameter name, found end of line",
      "test.amx:7:7: error: class App has no event 'Clse'",
  };
  EXPECT_EQ(errors, expected);
}

TEST(ClassHandlerRecovery, AHandlerLeftOpenStillEndsAtEndClass) {
  std::vector<std::string> errors = CompileErrors(
      "Class App Inherits Application\n"
      "  Sub Open()\n"
      "End Class\n"
      "Module M\n"
      "  Sub S()\n"
      "  End Sub\n"
      "End Module\n");
  std::vector<std::string> expected = {"test.amx:2:7: error: Sub Open is not closed by its End line"};
  EXPECT_EQ(errors, expected);
}

}  // namespace
}  // namespace amxctest
