// The declaration parser: a tokenizer (names, "(", ")", ",") and a small recursive-descent
// reader over its tokens.
#include "runtime/plugins/declarations.h"

#include <cctype>
#include <cstring>

#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/plugins/pluginregistry.h"

namespace {

constexpr const char* kBasicTypes[] = {"Integer", "Boolean", "String", "Color", "Single", "Double"};

bool IsNameByte(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80; }

// Splits into names and the punctuation "(", ")", ","; false on any other byte.
bool Tokenize(const char* text, std::vector<std::string>* tokens) {
  for (const char* at = text; *at != 0;) {
    unsigned char c = static_cast<unsigned char>(*at);
    if (c == ' ' || c == '\t') {
      ++at;
    } else if (c == '(' || c == ')' || c == ',') {
      tokens->emplace_back(1, static_cast<char>(c));
      ++at;
    } else if (IsNameByte(c)) {
      const char* start = at;
      while (*at != 0 && IsNameByte(static_cast<unsigned char>(*at))) ++at;
      tokens->emplace_back(start, at);
    } else {
      return false;
    }
  }
  return true;
}

bool IsName(const std::string& token) {
  return !token.empty() && IsNameByte(static_cast<unsigned char>(token[0])) &&
         !std::isdigit(static_cast<unsigned char>(token[0]));
}

bool Is(const std::string& token, const char* word) { return CompareNamesZ(token.c_str(), word) == 0; }

class Reader {
 public:
  explicit Reader(std::vector<std::string> tokens) : tokens_(std::move(tokens)) {}
  bool AtEnd() const { return at_ >= tokens_.size(); }
  const std::string& Peek() const { return AtEnd() ? empty_ : tokens_[at_]; }
  std::string Take() { return AtEnd() ? empty_ : tokens_[at_++]; }
  bool Accept(const char* word) {
    if (AtEnd() || !Is(tokens_[at_], word)) return false;
    ++at_;
    return true;
  }

 private:
  std::vector<std::string> tokens_;
  size_t at_ = 0;
  std::string empty_;
};

// "As" Type, resolved.
bool ReadTypeClause(Reader& reader, std::string* name, void** type) {
  if (!reader.Accept("As") || !IsName(reader.Peek())) return false;
  *name = reader.Take();
  *type = ResolveMemberType(*name);
  return *type != nullptr;
}

bool ReadParameter(Reader& reader, DeclaredParameter* parameter) {
  if (!reader.Accept("ByRef")) reader.Accept("ByVal");
  if (!IsName(reader.Peek()) || Is(reader.Peek(), "As")) return false;
  parameter->name = reader.Take();
  return ReadTypeClause(reader, &parameter->typeName, &parameter->type);
}

bool ReadParameterList(Reader& reader, std::vector<DeclaredParameter>* parameters) {
  if (reader.Accept(")")) return true;  // "()"
  for (;;) {
    DeclaredParameter parameter;
    if (!ReadParameter(reader, &parameter)) return false;
    parameters->push_back(parameter);
    if (reader.Accept(")")) return true;
    if (!reader.Accept(",")) return false;
  }
}

}  // namespace

std::string Declaration::ParameterText() const {
  std::string text;
  for (const DeclaredParameter& parameter : parameters) {
    if (!text.empty()) text += ", ";
    text += parameter.name + " As " + parameter.typeName;
  }
  return text;
}

void* ResolveMemberType(const std::string& name) {
  for (const char* basic : kBasicTypes)
    if (Is(name, basic)) return FindTypeDescriptor(basic);
  return FindKnownClass(name.c_str());
}

bool ParseDeclaration(const char* text, Declaration* out) {
  std::vector<std::string> tokens;
  if (text == nullptr || !Tokenize(text, &tokens)) return false;
  Reader reader(std::move(tokens));
  if (!IsName(reader.Peek())) return false;
  out->name = reader.Take();
  out->parameters.clear();
  out->resultName.clear();
  out->resultType = nullptr;
  if (reader.Accept("(") && !ReadParameterList(reader, &out->parameters)) return false;
  if (!reader.AtEnd() && !ReadTypeClause(reader, &out->resultName, &out->resultType)) return false;
  return reader.AtEnd();
}
