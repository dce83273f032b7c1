// Feature programs run for real: each is compiled by amxc, linked by the runtime's loader
// against the real entry points and called directly; results are checked, and so is that
// every object and string the call made was released again.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "runtime/entries/entrytable.h"
#include "runtime/objects/builtins/builtins.h"
#include "runtime/objects/string.h"
#include "runtime/objects/strings.h"
#include "tests/amxc/harness.h"
#include "tools/amxc/classes.h"

namespace amxctest {
namespace {

struct IntCase {
  const char* what;
  const char* body;  // statements of Function F() As Integer
  int32_t expected;
};

std::string Wrap(const std::string& body, const std::string& result = "Integer",
                 const std::string& extra = "") {
  return extra + "Module M\n  Function F() As " + result + "\n" + body + "\n  End Function\nEnd Module\n";
}

class ProgramTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProgramTest, ComputesAndReleasesEverything) {
  const IntCase& c = GetParam();
  std::string error;
  auto program = LoadedProgram::Compile(Wrap(c.body), &error);
  ASSERT_TRUE(program) << error;
  EXPECT_TRUE(program->unknownEntries().empty()) << program->unknownEntries()[0];
  Usage before = CurrentUsage();
  EXPECT_EQ(static_cast<int32_t>(program->Call("m.f")), c.expected) << c.what;
  EXPECT_EQ(CurrentUsage(), before) << c.what << ": references left behind";
}

const IntCase kArithmetic[] = {
    {"precedence", "Return 2 + 3 * 4 - 10 \\ 3", 11},
    {"unary minus and Mod", "Return -7 Mod 3 + -(2 * 3)", -7},
    {"most negative literal", "Return -2147483648 \\ 2", -1073741824},
    {"division by zero gives 0", "Dim z As Integer\nReturn 7 \\ z + 7 Mod z", 0},
    {"most negative divided by -1 does not fault", "Dim m As Integer = -1\nReturn -2147483648 \\ m", INT32_MIN},
    {"wrapping multiplication", "Return 65536 * 65536 + 1", 1},
    {"double division truncated", "Return 10 / 4 * 2", 5},
    {"mixed Integer and Double", "Dim d As Double = 0.5\nReturn 3 + d * 4", 5},
    {"Double assigned to Integer truncates", "Dim i As Integer = 7.9\nReturn i", 7},
    {"Floor and conversions", "Return CInt(Floor(-2.5)) + CInt(Round(2.5))", 0},
    {"hex and colour literals", "Dim c As Color = &c102030\nReturn c - &h102000", 0x30},
    {"RGB", "Return RGB(1, 2, 3)", 0x010203},
    {"comparisons", "If 3 > 2 And 2.5 < 3 And Not (1 = 2) And 4 >= 4 And 3 <= 3 And 2 <> 3 Then Return 1\nReturn 0", 1},
    {"Double comparisons", "Dim a As Double = 1.5\nIf a > 1 And a < 2 And a <> 2 And Not (a = 2.5) Then Return 1\nReturn 0", 1},
    {"Val of text", "Return Val(\"42.9\") * 10", 429},
};
INSTANTIATE_TEST_SUITE_P(Arithmetic, ProgramTest, ::testing::ValuesIn(kArithmetic));

const IntCase kStrings[] = {
    {"concatenation and Len", "Dim s As String = \"ab\" & \"cde\"\nReturn Len(s)", 5},
    {"numbers joined as text", "Return Len(\"n=\" & 42)", 4},
    {"comparison ignores case", "If \"Armonix\" = \"ARMONIX\" Then Return 1\nReturn 0", 1},
    {"ordering", "If \"abc\" < \"abd\" And \"b\" > \"a\" Then Return 1\nReturn 0", 1},
    {"Mid, Left and InStr", "Dim s As String = \"C C#D D#E\"\nReturn InStr(s, Mid(s, 5, 2)) * 10 + Len(Left(s, 3))", 53},
    {"empty string is nil", "Dim s As String\nIf s = \"\" And Len(s) = 0 Then Return 1\nReturn 0", 1},
    {"reassigning strings releases", "Dim s As String\nDim i As Integer\nFor i = 1 To 20\ns = s & \"x\"\nNext\nReturn Len(s)", 20},
    {"Str and Val round trip", "Return Val(Str(60) & \"1\")", 601},
    {"non-ASCII literal", "Return Asc(\"è\")", 0xE8},
    {"Chr", "Return Asc(Chr(65) & \"b\")", 65},
};
INSTANTIATE_TEST_SUITE_P(Strings, ProgramTest, ::testing::ValuesIn(kStrings));

const IntCase kControlFlow[] = {
    {"If ElseIf Else", "Dim x As Integer = 5\nIf x < 3 Then\nReturn 1\nElseIf x < 6 Then\nReturn 2\nElse\nReturn 3\nEnd If", 2},
    {"one-line If", "Dim x As Integer = 1\nIf x = 1 Then x = 9 Else x = 8\nReturn x", 9},
    {"Select Case Integer", "Dim r As Integer\nSelect Case 7 Mod 4\nCase 1, 2\nr = 1\nCase 3\nr = 3\nCase Else\nr = 9\nEnd Select\nReturn r", 3},
    {"Select Case Else", "Select Case 10\nCase 1\nReturn 1\nCase Else\nReturn 5\nEnd Select", 5},
    {"Select Case String", "Select Case \"S\" & \"ol\"\nCase \"Do\"\nReturn 1\nCase \"SOL\"\nReturn 5\nEnd Select\nReturn 0", 5},
    {"For with Step", "Dim t As Integer\nDim i As Integer\nFor i = 10 To 1 Step -3\nt = t * 100 + i\nNext i\nReturn t", 10070401},
    {"For that does not run", "Dim t As Integer = 4\nFor i = 5 To 1\nt = 0\nNext\nReturn t", 4},
    {"For up to the largest Integer ends", "Dim n As Integer\nFor i = 2147483646 To 2147483647\nn = n + 1\nNext\nReturn n", 2},
    {"While Wend", "Dim n As Integer = 1\nWhile n < 1000\nn = n * 3\nWend\nReturn n", 2187},
    {"Exit Function keeps the result", "Dim s As String = \"keep\"\nIf Len(s) = 4 Then Return 44\nReturn 0", 44},
    {"nested loops with temporaries", "Dim c As Integer\nFor i = 1 To 5\nFor j = 1 To 5\nIf Str(i) = Str(j) Then c = c + 1\nNext\nNext\nReturn c", 5},
};
INSTANTIATE_TEST_SUITE_P(ControlFlow, ProgramTest, ::testing::ValuesIn(kControlFlow));

const IntCase kArrays[] = {
    {"Integer array", "Dim a(8) As Integer\nFor i = 0 To 8\na(i) = i * i\nNext\nReturn a(8) + a(3) + UBound(a)", 81},
    {"String array", "Dim a(2) As String\na(0) = \"do\"\na(2) = \"sol\" & \"!\"\nReturn Len(a(0) & a(1) & a(2))", 6},
    {"Double array", "Dim a(1) As Double\na(1) = 2.5\nReturn a(1) * 2", 5},
    {"array re-made by Dim in a loop", "Dim t As Integer\nFor k = 1 To 3\nDim a(4) As Integer\na(k) = k\nt = t + a(1) + a(2) + a(3)\nNext\nReturn t", 6},
};
INSTANTIATE_TEST_SUITE_P(Arrays, ProgramTest, ::testing::ValuesIn(kArrays));

// ---- Programs with more than one function or with classes ---------------------------------

struct ProgramCase {
  const char* what;
  const char* source;  // must define Module M with Function F() As Integer
  int32_t expected;
};

class WholeProgramTest : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(WholeProgramTest, ComputesAndReleasesEverything) {
  const ProgramCase& c = GetParam();
  std::string error;
  auto program = LoadedProgram::Compile(c.source, &error);
  ASSERT_TRUE(program) << error;
  EXPECT_TRUE(program->unknownEntries().empty()) << program->unknownEntries()[0];
  Usage before = CurrentUsage();
  EXPECT_EQ(static_cast<int32_t>(program->Call("m.f")), c.expected) << c.what;
  EXPECT_EQ(CurrentUsage(), before) << c.what << ": references left behind";
}

const ProgramCase kPrograms[] = {
    {"calls with String parameters",
     "Module M\n"
     "  Function Twice(s As String, n As Integer) As String\n"
     "    s = s & s\n"
     "    Return s & Str(n)\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Dim a As String = \"ab\"\n"
     "    Dim b As String = Twice(a, 7)\n"
     "    Return Len(b) * 10 + Len(a)\n"
     "  End Function\n"
     "End Module\n",
     52},
    {"recursion and Double results",
     "Module M\n"
     "  Function Fact(n As Integer) As Double\n"
     "    If n <= 1 Then Return 1\n"
     "    Return n * Fact(n - 1)\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Return Fact(10) / 1000\n"
     "  End Function\n"
     "End Module\n",
     3628},
    {"module-qualified calls and Subs",
     "Module Util\n"
     "  Sub Nothing(x As Integer)\n"
     "    x = x + 1\n"
     "  End Sub\n"
     "  Function One() As Integer\n"
     "    Return 1\n"
     "  End Function\n"
     "End Module\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Util.Nothing(3)\n"
     "    Return Util.One + One()\n"
     "  End Function\n"
     "End Module\n",
     2},
    {"a module's own function before another module's of the same name",
     "Module A\n"
     "  Function V() As Integer\n"
     "    Return 1\n"
     "  End Function\n"
     "  Function G() As Integer\n"
     "    Return V() * 10 + V\n"
     "  End Function\n"
     "End Module\n"
     "Module B\n"
     "  Function V() As Integer\n"
     "    Return 2\n"
     "  End Function\n"
     "  Function G() As Integer\n"
     "    Return V * 100 + A.V\n"
     "  End Function\n"
     "End Module\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Return A.G + B.G * 1000\n"
     "  End Function\n"
     "End Module\n",
     201011},
    {"objects with fields",
     "Class Note Inherits Object\n"
     "  Dim pitch As Integer\n"
     "  Dim name As String\n"
     "  Dim other As Note\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim a As Note = New Note\n"
     "    a.pitch = 60\n"
     "    a.name = \"C\" & \"3\"\n"
     "    a.other = New Note\n"
     "    a.other.pitch = 7\n"
     "    Dim b As Note = a\n"
     "    a = Nil\n"
     "    If b.other.other = Nil Then Return b.pitch + b.other.pitch + Len(b.name)\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     69},
    {"object comparison",
     "Class K Inherits Object\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim a As K = New K\n"
     "    Dim b As K = a\n"
     "    Dim c As K\n"
     "    If a = b And c = Nil And a <> Nil Then Return 1\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     1},
    {"methods and properties of built-in classes",
     "Class K Inherits Object\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Runtime = New Runtime\n"
     "    Dim before As Integer = r.ObjectCount\n"
     "    Dim k As K = New K\n"
     "    Dim f As FolderItem = New FolderItem\n"
     "    Return (r.ObjectCount - before) * 10 + Len(f.AbsolutePath)\n"
     "  End Function\n"
     "End Module\n",
     20},
    {"a method called on nil raises NilObjectException",
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Runtime\n"
     "    Try\n"
     "      Return r.ObjectCount\n"
     "    Catch e As NilObjectException\n"
     "      Return 9\n"
     "    End Try\n"
     "  End Function\n"
     "End Module\n",
     9},
    {"a subclass is accepted where its superclass is expected",
     "Class Base Inherits Object\n"
     "  Dim v As Integer\n"
     "End Class\n"
     "Class Derived Inherits Base\n"
     "  Dim w As Integer\n"
     "End Class\n"
     "Module M\n"
     "  Function Sum(b As Base) As Integer\n"
     "    Return b.v\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Dim d As Derived = New Derived\n"
     "    d.v = 5\n"
     "    d.w = 6\n"
     "    Return Sum(d) + d.w\n"
     "  End Function\n"
     "End Module\n",
     11},
};
INSTANTIATE_TEST_SUITE_P(Programs, WholeProgramTest, ::testing::ValuesIn(kPrograms));

const ProgramCase kExceptions[] = {
    {"catch in the same function",
     "Class Wrong Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Integer = 1\n"
     "    Try\n"
     "      r = 2\n"
     "      Raise New Wrong\n"
     "      r = 3\n"
     "    Catch e As Wrong\n"
     "      r = r * 10\n"
     "    End Try\n"
     "    Return r\n"
     "  End Function\n"
     "End Module\n",
     20},
    {"catch from a called function, whose locals are released",
     "Class Wrong Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Sub Deep(n As Integer)\n"
     "    Dim s As String = \"held\" & Str(n)\n"
     "    Dim o As Wrong = New Wrong\n"
     "    If n = 0 Then Raise o\n"
     "    Deep(n - 1)\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Deep(3)\n"
     "    Catch e As RuntimeException\n"
     "      Return 7\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     7},
    {"clauses tried in order",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Raise New B\n"
     "    Catch x As A\n"
     "      Return 1\n"
     "    Catch y As B\n"
     "      Return 2\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     2},
    {"inner Try passes on what it does not catch",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Integer\n"
     "    Try\n"
     "      Try\n"
     "        Raise New B\n"
     "      Catch x As A\n"
     "        r = 1\n"
     "      End Try\n"
     "    Catch y As B\n"
     "      r = r + 2\n"
     "    End Try\n"
     "    Try\n"
     "      Raise New A\n"
     "    Catch z As A\n"
     "      r = r + 10\n"
     "    End Try\n"
     "    Return r\n"
     "  End Function\n"
     "End Module\n",
     12},
    {"a raise after the Try is not caught by its clauses",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function G() As Integer\n"
     "    Try\n"
     "      Dim k As Integer = 1\n"
     "    Catch e As A\n"
     "      Return 1\n"
     "    End Try\n"
     "    Raise New A\n"
     "    Return 2\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Return G()\n"
     "    Catch e As A\n"
     "      Return 3\n"
     "    End Try\n"
     "  End Function\n"
     "End Module\n",
     3},
    {"nil use raises NilObjectException",
     "Class K Inherits Object\n"
     "  Dim v As Integer\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim k As K\n"
     "    Dim s As String = \"x\" & \"y\"\n"
     "    Try\n"
     "      Return k.v\n"
     "    Catch e As NilObjectException\n"
     "      Return Len(s) + 40\n"
     "    End Try\n"
     "  End Function\n"
     "End Module\n",
     42},
    {"array index out of bounds is caught",
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim a(2) As String\n"
     "    Try\n"
     "      a(3) = \"x\"\n"
     "    Catch e As OutOfBoundsException\n"
     "      Return 5\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     5},
    {"temporaries of an interrupted expression are released",
     "Class Wrong Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function Thrower() As String\n"
     "    Raise New Wrong\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Dim s As String = \"kept\"\n"
     "    Try\n"
     "      s = \"a\" & Str(1) & UCase(\"b\") & Thrower()\n"
     "    Catch e As Wrong\n"
     "      Return Len(s)\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     4},
    {"a function that passes an exception on releases its variables",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Sub Middle()\n"
     "    Dim held As String = \"x\" & \"y\"\n"
     "    Dim other As A = New A\n"
     "    Try\n"
     "      Raise New B\n"
     "    Catch e As A\n"
     "      held = \"\"\n"
     "    End Try\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Middle()\n"
     "    Catch e As B\n"
     "      Return 8\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     8},
    {"a Try inside a catch handler catches",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Integer\n"
     "    Try\n"
     "      Raise New A\n"
     "    Catch e As A\n"
     "      Try\n"
     "        Raise New A\n"
     "      Catch f As A\n"
     "        r = 30\n"
     "      End Try\n"
     "      r = r + 3\n"
     "    End Try\n"
     "    Return r\n"
     "  End Function\n"
     "End Module\n",
     33},
    {"the caught exception is an object with its fields",
     "Class Wrong Inherits RuntimeException\n"
     "  Dim code As Integer\n"
     "  Dim text As String\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Dim w As Wrong = New Wrong\n"
     "      w.code = 12\n"
     "      w.text = \"ab\" & \"c\"\n"
     "      Raise w\n"
     "    Catch e As RuntimeException\n"
     "      Dim same As Wrong\n"
     "      Return 1\n"
     "    Catch e2 As Wrong\n"
     "      Return 2\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "  Function G() As Integer\n"
     "    Try\n"
     "      Dim w As Wrong = New Wrong\n"
     "      w.code = 12\n"
     "      w.text = \"ab\" & \"c\"\n"
     "      Raise w\n"
     "    Catch e2 As Wrong\n"
     "      Return e2.code + Len(e2.text)\n"
     "    End Try\n"
     "  End Function\n"
     "End Module\n",
     1},
    {"a loop around a Try catches every time",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim caught As Integer\n"
     "    For i = 1 To 25\n"
     "      Try\n"
     "        If i Mod 2 = 1 Then Raise New A\n"
     "      Catch e As A\n"
     "        caught = caught + 1\n"
     "      End Try\n"
     "    Next\n"
     "    Return caught\n"
     "  End Function\n"
     "End Module\n",
     13},
};
INSTANTIATE_TEST_SUITE_P(Exceptions, WholeProgramTest, ::testing::ValuesIn(kExceptions));

// Arrays are not reference-counted: whatever way an exception leaves a function, the arrays
// it made (and the strings and objects they hold) must be disposed of.
const ProgramCase kArraysAndExceptions[] = {
    {"an exception passing through disposes of the arrays and their elements",
     "Class Wrong Inherits RuntimeException\n"
     "End Class\n"
     "Class K Inherits Object\n"
     "End Class\n"
     "Module M\n"
     "  Sub Deep(n As Integer)\n"
     "    Dim notes(8) As Integer\n"
     "    Dim names(2) As String\n"
     "    Dim things(1) As K\n"
     "    Dim levels(3) As Double\n"
     "    notes(8) = n\n"
     "    names(1) = \"C\" & Str(n)\n"
     "    things(0) = New K\n"
     "    levels(2) = 0.5\n"
     "    If n = 0 Then Raise New Wrong\n"
     "    Deep(n - 1)\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Deep(4)\n"
     "    Catch e As Wrong\n"
     "      Return 7\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     7},
    {"a runtime exception in a function with arrays and no Try",
     "Module M\n"
     "  Sub Overrun()\n"
     "    Dim a(2) As String\n"
     "    a(0) = \"q\" & \"r\"\n"
     "    a(3) = \"x\"\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Overrun()\n"
     "    Catch e As OutOfBoundsException\n"
     "      Return 5\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     5},
    {"a Try that does not catch still disposes of the arrays",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Sub Middle()\n"
     "    Dim held(4) As String\n"
     "    held(4) = \"x\" & \"y\"\n"
     "    Try\n"
     "      Raise New B\n"
     "    Catch e As A\n"
     "      held(0) = \"\"\n"
     "    End Try\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Middle()\n"
     "    Catch e As B\n"
     "      Return 8\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     8},
    {"an exception raised in a catch handler disposes of the arrays",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Class K Inherits Object\n"
     "End Class\n"
     "Module M\n"
     "  Sub Middle()\n"
     "    Dim things(3) As K\n"
     "    things(3) = New K\n"
     "    Try\n"
     "      Raise New A\n"
     "    Catch e As A\n"
     "      Raise New B\n"
     "    End Try\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Middle()\n"
     "    Catch e As B\n"
     "      Return 9\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     9},
    {"a catch handler of the same function still reads the array",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim a(2) As Integer\n"
     "    Dim s(1) As String\n"
     "    a(1) = 4\n"
     "    s(1) = \"ab\" & \"c\"\n"
     "    Try\n"
     "      Raise New A\n"
     "    Catch e As A\n"
     "      Return a(1) * 10 + Len(s(1))\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     43},
    {"an array made again by Dim in a loop when the exception comes",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Sub Again()\n"
     "    For i = 1 To 5\n"
     "      Dim names(3) As String\n"
     "      names(i Mod 4) = \"n\" & Str(i)\n"
     "      If i = 3 Then Raise New A\n"
     "    Next\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Again()\n"
     "    Catch e As A\n"
     "      Return 3\n"
     "    End Try\n"
     "    Return 0\n"
     "  End Function\n"
     "End Module\n",
     3},
    {"a raise in a catch handler reaches the enclosing Try of the same function",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class B Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function F() As Integer\n"
     "    Dim r As Integer = 1\n"
     "    Dim s As String = \"x\" & \"y\"\n"
     "    Try\n"
     "      Try\n"
     "        Raise New A\n"
     "      Catch a As A\n"
     "        r = 2\n"
     "        Raise New B\n"
     "      End Try\n"
     "      r = 100\n"
     "    Catch b As B\n"
     "      r = r * 10 + Len(s)\n"
     "    End Try\n"
     "    Return r\n"
     "  End Function\n"
     "End Module\n",
     22},
    {"a raise in a catch handler is not caught by the clauses of its own Try",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Module M\n"
     "  Function G() As Integer\n"
     "    Dim a(1) As Integer\n"
     "    Try\n"
     "      Raise New A\n"
     "    Catch e As A\n"
     "      Raise New A\n"
     "    End Try\n"
     "    Return 1\n"
     "  End Function\n"
     "  Function F() As Integer\n"
     "    Try\n"
     "      Return G()\n"
     "    Catch e As A\n"
     "      Return 6\n"
     "    End Try\n"
     "  End Function\n"
     "End Module\n",
     6},
    {"Subs with a Try or an array that run to their end return normally",
     "Class A Inherits RuntimeException\n"
     "End Class\n"
     "Class Box Inherits Object\n"
     "  Dim n As Integer\n"
     "End Class\n"
     "Module M\n"
     "  Sub Guarded(b As Box)\n"
     "    Try\n"
     "      b.n = b.n + 1\n"
     "    Catch e As A\n"
     "      b.n = -100\n"
     "    End Try\n"
     "  End Sub\n"
     "  Sub Tabled(b As Box)\n"
     "    Dim t(3) As String\n"
     "    t(2) = \"x\" & Str(b.n)\n"
     "    b.n = b.n + Len(t(2)) * 10\n"
     "  End Sub\n"
     "  Function F() As Integer\n"
     "    Dim b As Box = New Box\n"
     "    Guarded(b)\n"
     "    Tabled(b)\n"
     "    Guarded(b)\n"
     "    Return b.n\n"
     "  End Function\n"
     "End Module\n",
     22},
};
INSTANTIATE_TEST_SUITE_P(ArraysAndExceptions, WholeProgramTest, ::testing::ValuesIn(kArraysAndExceptions));

TEST(StringResults, ComeBackOwnedByTheCaller) {
  std::string error;
  auto program = LoadedProgram::Compile(Wrap("Return \"Nota \" & Mid(\"guida C3\", 7) & Chr(33)", "String"), &error);
  ASSERT_TRUE(program) << error;
  Usage before = CurrentUsage();
  auto* s = reinterpret_cast<StringRecord*>(program->Call("m.f"));
  EXPECT_EQ(StringView(s), "Nota C3!");
  EXPECT_EQ(s->refCount, 1);
  UnlockString(s);
  EXPECT_EQ(CurrentUsage(), before);
}

TEST(StringResults, ALiteralResultIsLockedForTheCaller) {
  std::string error;
  auto program = LoadedProgram::Compile(Wrap("Return \"Esci\"", "String"), &error);
  ASSERT_TRUE(program) << error;
  auto* s = reinterpret_cast<StringRecord*>(program->Call("m.f"));
  EXPECT_EQ(StringView(s), "Esci");
  EXPECT_EQ(s->refCount, 2);  // the image's own reference and the caller's
  UnlockString(s);
}

TEST(DoubleResults, ComeBackInST0) {
  std::string error;
  auto program = LoadedProgram::Compile(Wrap("Return 1 / 8 + 2", "Double"), &error);
  ASSERT_TRUE(program) << error;
  EXPECT_DOUBLE_EQ(program->CallDouble("m.f"), 2.125);
}

TEST(Parameters, ABooleanIsItsLowByteOnly) {
  std::string error;
  auto program = LoadedProgram::Compile(
      "Module M\n  Function F(b As Boolean) As Integer\n    If b = True Then Return 1\n    Return 0\n"
      "  End Function\nEnd Module\n", &error);
  ASSERT_TRUE(program) << error;
  EXPECT_EQ(program->Call("m.f", {0xFFFFFF00u}), 0u);
  EXPECT_EQ(program->Call("m.f", {0x00000080u}), 1u);
}

TEST(Parameters, DoublesTakeTwoWordsAndArgumentsAreLent) {
  std::string error;
  auto program = LoadedProgram::Compile(
      "Module M\n  Function F(a As Integer, d As Double, s As String) As Integer\n"
      "    s = s & \"!\"\n    Return a * 100 + d * 10 + Len(s)\n  End Function\nEnd Module\n",
      &error);
  ASSERT_TRUE(program) << error;
  StringRecord* arg = MakeStringFromC("abc");
  Usage before = CurrentUsage();
  double half = 0.5;
  uint32_t words[2];
  std::memcpy(words, &half, 8);
  EXPECT_EQ(program->Call("m.f", {3, words[0], words[1], reinterpret_cast<uint32_t>(arg)}), 309u);
  EXPECT_EQ(CurrentUsage(), before);
  EXPECT_EQ(arg->refCount, 1);
  EXPECT_EQ(StringView(arg), "abc");
  UnlockString(arg);
}

TEST(Exceptions, TheCatchVariableReadsFields) {
  std::string error;
  auto program = LoadedProgram::Compile(kExceptions[10].source, &error);
  ASSERT_TRUE(program) << error;
  Usage before = CurrentUsage();
  EXPECT_EQ(program->Call("m.g"), 15u);
  EXPECT_EQ(CurrentUsage(), before);
}

// The example project (several windows, a menu bar, handlers of every kind) links against
// the EntryTable with no unknown name; so does the bevel-button project, apart from the
// deferred member links of its plug-in class, which wait for the plug-in to be installed.
std::string ReadProgram(const std::string& name) {
  std::ifstream in(AMXC_TEST_DIR "/programs/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WholeImage, LinksWithNoUnknownNames) {
  std::string error;
  auto program = LoadedProgram::Compile(ReadProgram("ear.amx"), &error, /*loadClasses=*/false);
  ASSERT_TRUE(program) << error;
  for (const std::string& name : program->unknownEntries()) ADD_FAILURE() << "unknown entry " << name;
}

TEST(WholeImage, EveryBuiltInFunctionLinks) {
  std::string error;
  auto program = LoadedProgram::Compile(
      "Module M\n  Sub S()\n    Dim a(2) As Integer\n    Dim d As Double = Rnd + Val(\"1\") + Floor(1.5) + "
      "Ceil(1.5) + Round(1.5) + Abs(-1) + Sqrt(4) + UBound(a)\n"
      "    Dim t As String = Str(d) & Left(\"ab\", 1) & Right(\"ab\", 1) & Mid(\"abc\", 2) & "
      "Mid(\"abc\", 2, 1) & UCase(\"a\") & LCase(\"A\") & Trim(\" a \") & Chr(65) & Hex(255)\n"
      "    Dim n As Integer = Len(t) + InStr(t, \"a\") + InStr(2, t, \"a\") + Asc(t) + RGB(1, 2, 3)\n"
      "    MsgBox(t)\n  End Sub\nEnd Module\n",
      &error);
  ASSERT_TRUE(program) << error;
  for (const std::string& name : program->unknownEntries()) ADD_FAILURE() << "unknown entry " << name;
}

TEST(WholeImage, APluginProjectDefersOnlyThePluginsMembers) {
  std::string error;
  std::string source = ReadProgram("bevel.amx");
  // The project names its files relative to its own directory; here it is compiled as text.
  const std::string relative = "\"../../../plugins/";
  for (size_t at; (at = source.find(relative)) != std::string::npos;)
    source.replace(at, relative.size(), "\"" AMXC_TEST_DIR "/../../plugins/");
  size_t plugin = source.find("  Plugin ");
  ASSERT_NE(plugin, std::string::npos);
  source.erase(plugin, source.find('\n', plugin) + 1 - plugin);  // no library needed to link
  auto program = LoadedProgram::Compile(source, &error, /*loadClasses=*/false);
  ASSERT_TRUE(program) << error;
  bool deferred = false;
  for (const std::string& name : program->unknownEntries()) {
    std::string link = name.rfind("!!", 0) == 0 ? name.substr(1) : name;  // deferred by the linker
    bool plugin = link.rfind("!GBevelButton!", 0) == 0 || link.rfind("!SBevelButton!", 0) == 0;
    EXPECT_TRUE(plugin) << "unknown entry " << name;
    deferred = deferred || plugin;
  }
  EXPECT_TRUE(deferred) << "the plug-in's members are reached through deferred links";
}

}  // namespace
}  // namespace amxctest

namespace amxctest {
namespace {

// Handlers called the way the runtime calls them: receiver first, then the event's
// parameters. Controls and windows are stand-ins here (only the words the code reads).
const char* kHandlers =
    "Project\n"
    "  Import \"" AMXC_TEST_DIR "/../../plugins/appearance/appearance.amxi\"\n"
    "End Project\n"
    "MenuBar\n"
    "  Menu \"Strumenti\"\n"
    "    MenuItem voce \"Voce 1\" Index 1\n"
    "    MenuItem voce \"Voce 2\" Index 2\n"
    "  End Menu\n"
    "End MenuBar\n"
    "Window w\n"
    "  Control bb(1) As BevelButton\n"
    "    Function MouseDown(X As Integer, Y As Integer) As Boolean\n"
    "      Return Index = X And Self <> Nil And Y = 0\n"
    "    End Function\n"
    "  End Control\n"
    "  Function KeyDown(Key As String) As Boolean\n"
    "    Return Key = \"q\" And Me = Self\n"
    "  End Function\n"
    "  Function voce(index As Integer) As Boolean\n"
    "    Return index = 2\n"
    "  End Function\n"
    "End Window\n";

TEST(Handlers, ReadTheControlsWindowAndIndexWords) {
  std::string error;
  auto program = LoadedProgram::Compile(kHandlers, &error, /*loadClasses=*/false);
  ASSERT_TRUE(program) << error;
  uint32_t fakeControl[40] = {};
  uint32_t fakeWindow[30] = {};
  fakeControl[4] = reinterpret_cast<uint32_t>(fakeWindow);  // offset 16: the window
  fakeControl[5] = 3;                                       // offset 20: the array index
  uint32_t control = reinterpret_cast<uint32_t>(fakeControl);
  EXPECT_EQ(program->Call("w.bb.mousedown", {control, 3, 0}) & 0xFF, 1u);
  EXPECT_EQ(program->Call("w.bb.mousedown", {control, 2, 0}) & 0xFF, 0u);
  fakeControl[4] = 0;
  EXPECT_EQ(program->Call("w.bb.mousedown", {control, 3, 0}) & 0xFF, 0u);
}

TEST(Handlers, WindowEventsAndIndexedMenuHandlers) {
  std::string error;
  auto program = LoadedProgram::Compile(kHandlers, &error, /*loadClasses=*/false);
  ASSERT_TRUE(program) << error;
  uint32_t fakeWindow[30] = {};
  uint32_t window = reinterpret_cast<uint32_t>(fakeWindow);
  StringRecord* q = MakeStringFromC("Q");
  StringRecord* z = MakeStringFromC("z");
  EXPECT_EQ(program->Call("w.keydown", {window, reinterpret_cast<uint32_t>(q)}) & 0xFF, 1u);
  EXPECT_EQ(program->Call("w.keydown", {window, reinterpret_cast<uint32_t>(z)}) & 0xFF, 0u);
  EXPECT_EQ(q->refCount, 1);  // lent, not kept
  UnlockString(q);
  UnlockString(z);
  EXPECT_EQ(program->Call("w.voce", {window, 2}) & 0xFF, 1u);
  EXPECT_EQ(program->Call("w.voce", {window, 1}) & 0xFF, 0u);
}

}  // namespace
}  // namespace amxctest

namespace amxctest {
namespace {

// Every accessor and method entry that the shared class description gives the compiler is a
// routine of the EntryTable, so no compiled program can link to a name the runtime lacks.
TEST(BuiltinClasses, EveryMemberEntryIsInTheEntryTable) {
  std::vector<std::string> missing;
  auto check = [&](const char* cls, const char* member, const char* entry) {
    if (entry && !FindEntryAtLink(entry)) missing.push_back(std::string(cls) + "." + member + ": " + entry);
  };
  for (int32_t i = 0; i < builtins::kPropertyCount; ++i) {
    const builtins::PropertyInfo& p = builtins::kProperties[i];
    check(p.className, p.name, p.getter);
    check(p.className, p.name, p.setter);
  }
  for (int32_t i = 0; i < builtins::kMethodCount; ++i)
    check(builtins::kMethods[i].className, builtins::kMethods[i].name, builtins::kMethods[i].entry);
  for (const std::string& m : missing) ADD_FAILURE() << "no entry for " << m;
}

}  // namespace
}  // namespace amxctest

namespace amxctest {
namespace {

// Window descriptions carry design-time values by property name, and the runtime skips a
// name its class does not know: every name the compiler writes for a built-in class must be
// one of that class's properties (the plug-in's come from its own declaration file).
TEST(BuiltinClasses, EveryDesignTimePropertyIsAPropertyOfItsClass) {
  // Read otherwise: a window's Name by window creation itself; the note player is invisible
  // and keeps no position, so its Left and Top are carried for the record only.
  const std::set<std::string> kReadOtherwise = {"Window.Name", "NotePlayer.Left", "NotePlayer.Top"};
  amxc::ClassTable classes;
  for (const char* name : {"Window", "StaticText", "EditField", "PushButton", "RadioButton", "NotePlayer"}) {
    int32_t cls = classes.Find(name);
    ASSERT_GE(cls, 0) << name;
    const auto* design = classes.FindDesign(cls);
    ASSERT_NE(design, nullptr) << name;
    for (const amxc::DesignProperty& p : *design)
      if (!kReadOtherwise.count(std::string(name) + "." + p.name))
        EXPECT_NE(classes.FindProperty(cls, p.name), nullptr) << name << "." << p.name;
  }
}

}  // namespace
}  // namespace amxctest
