// The built-in functions: a table of names, runtime entries and signatures, and the calls of
// them. Entry point: FunctionCompiler::BuiltinCall.
#include <string>
#include <vector>

#include "tools/amxc/functioncompiler.h"

namespace amxc {

const std::vector<FunctionCompiler::Builtin>& FunctionCompiler::Builtins() {
  using K = TypeKind;
  static const std::vector<Builtin> table = {
      {"Rnd", "rnd", {}, K::kDouble},
      {"Val", "StringVal", {K::kString}, K::kDouble},
      {"Str", "StringStr", {K::kDouble}, K::kString},
      {"CDbl", "", {K::kDouble}, K::kDouble},
      {"CInt", "", {K::kInteger}, K::kInteger},
      {"Floor", "RuntimeFloor", {K::kDouble}, K::kDouble},
      {"Ceil", "RuntimeCeil", {K::kDouble}, K::kDouble},
      {"Round", "RuntimeRound", {K::kDouble}, K::kDouble},
      {"Abs", "RuntimeAbs", {K::kDouble}, K::kDouble},
      {"Sqrt", "RuntimeSqrt", {K::kDouble}, K::kDouble},
      {"Len", "StringLen", {K::kString}, K::kInteger},
      {"Left", "StringLeft", {K::kString, K::kInteger}, K::kString},
      {"Right", "StringRight", {K::kString, K::kInteger}, K::kString},
      {"Mid", "StringMid2", {K::kString, K::kInteger}, K::kString},
      {"Mid", "StringMid3", {K::kString, K::kInteger, K::kInteger}, K::kString},
      {"InStr", "StringInStr", {K::kString, K::kString}, K::kInteger},
      {"InStr", "StringInStr", {K::kInteger, K::kString, K::kString}, K::kInteger},
      {"UCase", "StringUCase", {K::kString}, K::kString},
      {"LCase", "StringLCase", {K::kString}, K::kString},
      {"Trim", "runTrim", {K::kString}, K::kString},
      {"Chr", "StringChr", {K::kInteger}, K::kString},
      {"Asc", "StringAsc", {K::kString}, K::kInteger},
      {"Hex", "RuntimeHex", {K::kInteger}, K::kString},
      {"RGB", "RuntimeRGB", {K::kInteger, K::kInteger, K::kInteger}, K::kColor},
      {"UBound", "RuntimeUBound", {K::kArray}, K::kInteger},
      {"MsgBox", "RuntimeMsgBox", {K::kString}, K::kVoid},
  };
  return table;
}

bool FunctionCompiler::IsBuiltinFunction(const std::string& name) {
  for (const Builtin& b : Builtins())
    if (SameName(b.name, name)) return true;
  return false;
}

Val FunctionCompiler::BuiltinCall(const std::string& name, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
  const Builtin* chosen = nullptr;
  std::string counts;
  for (const Builtin& b : Builtins()) {
    if (!SameName(b.name, name)) continue;
    if (b.params.size() == args.size()) chosen = &b;
    counts += (counts.empty() ? "" : " or ") + std::to_string(b.params.size());
  }
  if (!chosen)
    Fail(e.pos, std::string(name) + " takes " + counts + " argument" + (counts == "1" ? "" : "s") + ", not " +
                    std::to_string(args.size()));
  const Builtin& b = *chosen;
  if (b.result == TypeKind::kVoid && !statement) Fail(e.pos, std::string(b.name) + " has no value");
  if (b.params.size() == 1 && b.params[0] == TypeKind::kArray) {
    const Expr& arg = *args[0];
    Local* local = arg.kind == ExprKind::kName ? FindLocal(arg.text) : nullptr;
    if (!local || local->type.kind != TypeKind::kArray) Fail(arg.pos, "UBound needs an array");
    a_.push(Slot(local->slot));
    CallEntry(b.entry, 4);
    return Val{Type::Of(TypeKind::kInteger)};
  }
  std::vector<Type> params;
  for (TypeKind k : b.params) params.push_back(Type::Of(k));
  if (!*b.entry) {
    // CInt and CDbl are conversions only.
    return Coerce(Expression(*args[0]), params[0], args[0]->pos);
  }
  int32_t bytes = PushArguments(args, params, e.pos, std::string(b.name));
  if (std::string(b.entry) == "StringInStr" && args.size() == 2) {
    a_.push(1);  // InStr(s, find) searches from the first byte
    bytes += 4;
  }
  CallEntry(b.entry, bytes);
  return CallResult(Type::Of(b.result));
}

}  // namespace amxc
