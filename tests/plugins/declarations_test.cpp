// The member declaration parser: accepted forms with their parts, and every way a
// declaration is refused.
#include <gtest/gtest.h>

#include "runtime/objects/objects.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/plugins/declarations.h"

namespace {

struct Accepted {
  const char* text;
  const char* name;
  size_t parameters;
  const char* parameterText;
  const char* result;
};

TEST(DeclarationTest, AcceptedForms) {
  SetUpBuiltinClasses();
  const Accepted cases[] = {
      {"Action", "Action", 0, "", ""},
      {"DeleteAllRows()", "DeleteAllRows", 0, "", ""},
      {"AddRow(text As String)", "AddRow", 1, "text As String", ""},
      {"List(row As Integer) As String", "List", 1, "row As Integer", "String"},
      {"MouseUp(X As Integer, Y As Integer) As Boolean", "MouseUp", 2, "X As Integer, Y As Integer", "Boolean"},
      {"  Spaced ( ByRef a  As  color ,ByVal b As double )  as single ", "Spaced", 2, "a As color, b As double", "single"},
      {"Count As Integer", "Count", 0, "", "Integer"},
      {"Open(app As Application)", "Open", 1, "app As Application", ""},
  };
  for (const Accepted& c : cases) {
    SCOPED_TRACE(c.text);
    Declaration d;
    ASSERT_TRUE(ParseDeclaration(c.text, &d));
    EXPECT_EQ(d.name, c.name);
    EXPECT_EQ(d.parameters.size(), c.parameters);
    EXPECT_EQ(d.ParameterText(), c.parameterText);
    EXPECT_EQ(d.resultName, c.result);
    EXPECT_EQ(d.resultType == nullptr, std::string(c.result).empty());
  }
}

TEST(DeclarationTest, TypesResolveToScalarsOrClasses) {
  SetUpBuiltinClasses();
  Declaration d;
  ASSERT_TRUE(ParseDeclaration("F(a As Integer, b As Application) As String", &d));
  EXPECT_EQ(d.parameters[0].type, FindTypeDescriptor("Integer"));
  EXPECT_EQ(d.parameters[1].type, FindBuiltinClass("Application"));
  EXPECT_EQ(d.resultType, FindTypeDescriptor("String"));
}

TEST(DeclarationTest, RefusedForms) {
  SetUpBuiltinClasses();
  const char* cases[] = {
      "",                                 // no name
      "(a As Integer)",                   // no name
      "1st",                              // a name cannot start with a digit
      "F(",                               // unclosed
      "F(a As Integer",                   // unclosed
      "F(a Integer)",                     // no As
      "F(a As)",                          // no type
      "F(As Integer)",                    // no parameter name
      "F(a As Integer,)",                 // dangling comma
      "F(a As Integer b As Integer)",     // missing comma
      "F(ByRef ByVal a As Integer)",      // two passing keywords
      "F(a As Widget)",                   // unknown type
      "F As Widget",                      // unknown result type
      "F As",                             // no result type
      "F() As Integer extra",             // trailing token
      "F(a As Integer))",                 // extra parenthesis
      "F$(a As Integer)",                 // a byte outside names and punctuation
      "F(a As Form)",                     // not one of the member types
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    Declaration d;
    EXPECT_FALSE(ParseDeclaration(text, &d));
  }
  Declaration d;
  EXPECT_FALSE(ParseDeclaration(nullptr, &d));
}

}  // namespace
