// Member declarations of plug-ins: "Name", "Name(a As Integer, ByRef b As String) As
// Boolean". Parsed into a name, typed parameters and an optional result type; types are the
// six basic types or a class known at that moment. A declaration that breaks the rules is
// refused as a whole. Entry point: ParseDeclaration.
#pragma once
#include <string>
#include <vector>

struct DeclaredParameter {
  std::string name;
  std::string typeName;
  void* type;  // TypeDescriptor* or ClassRecord*
};

struct Declaration {
  std::string name;
  std::vector<DeclaredParameter> parameters;
  std::string resultName;  // "" when there is no result
  void* resultType;        // nil when there is no result
  // The parameter list as events keep it: "X As Integer, Y As Integer".
  std::string ParameterText() const;
};

// The type a declaration, property or parameter may name: "Integer", "Boolean", "String",
// "Color", "Single", "Double" (any case) or a known class; nil otherwise.
void* ResolveMemberType(const std::string& name);

// False when text is nil or breaks the rules; *out is then unspecified.
bool ParseDeclaration(const char* text, Declaration* out);
