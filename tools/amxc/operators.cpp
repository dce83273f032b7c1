// Binary operators: concatenation, logical, arithmetic and comparison operators on Integer,
// Double, Boolean, Color, String and object operands. Entry point: FunctionCompiler::Binary.
#include <string>

#include "tools/amxc/functioncompiler.h"

namespace amxc {

Val FunctionCompiler::Binary(const Expr& e) {
  const std::string& op = e.text;
  if (op == "&") return Concat(e);
  if (op == "and" || op == "or") return Logical(e);
  if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") return Compare(e);
  return Arithmetic(e);
}

Val FunctionCompiler::ToText(Val v, const SourcePos& pos) {
  if (v.type.kind == TypeKind::kString || v.type.kind == TypeKind::kNil) return Val{Type::Of(TypeKind::kString), v.temp};
  if (!v.type.IsNumeric()) Fail(pos, "cannot join " + TypeText(v.type) + " to a String");
  v = Coerce(v, Type::Of(TypeKind::kDouble), pos);
  a_.sub(ax::esp, 8);
  a_.fstp(ax::qword_ptr(ax::esp));
  CallEntry("StringStr", 8);
  return OwnResult(Type::Of(TypeKind::kString));
}

Val FunctionCompiler::Concat(const Expr& e) {
  ToText(Expression(*e.left), e.left->pos);
  a_.push(ax::eax);
  ToText(Expression(*e.right), e.right->pos);
  a_.pop(ax::ecx);
  a_.push(ax::eax);
  a_.push(ax::ecx);
  CallEntry("RuntimeAddString", 8);
  return OwnResult(Type::Of(TypeKind::kString));
}

Val FunctionCompiler::Logical(const Expr& e) {
  Val l = Expression(*e.left);
  if (l.type.kind != TypeKind::kBoolean && l.type.kind != TypeKind::kInteger)
    Fail(e.left->pos, "And/Or need Boolean or Integer operands, not " + TypeText(l.type));
  a_.push(ax::eax);
  Val r = Expression(*e.right);
  if (r.type.kind != l.type.kind) Fail(e.right->pos, "cannot combine " + TypeText(l.type) + " with " + TypeText(r.type));
  a_.pop(ax::ecx);
  if (e.text == "and") a_.and_(ax::eax, ax::ecx);
  else a_.or_(ax::eax, ax::ecx);
  return Val{l.type};
}

bool FunctionCompiler::IsNumber(const Type& t) const { return t.IsNumeric(); }

// Saves the left operand (EAX, or ST0 for a Double) on the stack; returns its size.
int32_t FunctionCompiler::SaveLeft(const Val& l) {
  PushValue(l);
  return l.type.kind == TypeKind::kDouble ? 8 : 4;
}

// With the left number saved on the stack and the right one in EAX/ST0: leaves
// ST0 = left and ST1 = right as Doubles, the stack cleaned.
void FunctionCompiler::LoadDoublePair(const Val& l, const Val& r, const SourcePos& rightPos) {
  if (r.type.kind != TypeKind::kDouble) Coerce(r, Type::Of(TypeKind::kDouble), rightPos);
  if (l.type.kind == TypeKind::kDouble) {
    a_.fld(ax::qword_ptr(ax::esp));
    a_.add(ax::esp, 8);
  } else {
    a_.fild(ax::dword_ptr(ax::esp));
    a_.add(ax::esp, 4);
  }
}

Val FunctionCompiler::Arithmetic(const Expr& e) {
  const std::string& op = e.text;
  Val l = Expression(*e.left);
  if (op == "+" && l.type.kind == TypeKind::kString) {
    // "+" joins two Strings as well.
    a_.push(ax::eax);
    Val r = Expression(*e.right);
    if (r.type.kind != TypeKind::kString && r.type.kind != TypeKind::kNil)
      Fail(e.right->pos, "cannot add " + TypeText(r.type) + " to a String; use &");
    a_.pop(ax::ecx);
    a_.push(ax::eax);
    a_.push(ax::ecx);
    CallEntry("RuntimeAddString", 8);
    return OwnResult(Type::Of(TypeKind::kString));
  }
  if (!IsNumber(l.type)) Fail(e.left->pos, "operator " + OpName(op) + " needs numbers, not " + TypeText(l.type));
  bool integerOnly = op == "\\" || op == "mod";
  if (integerOnly && l.type.kind == TypeKind::kDouble) l = Coerce(l, Type::Of(TypeKind::kInteger), e.left->pos);
  SaveLeft(l);
  Val r = Expression(*e.right);
  if (!IsNumber(r.type)) Fail(e.right->pos, "operator " + OpName(op) + " needs numbers, not " + TypeText(r.type));
  if (integerOnly && r.type.kind == TypeKind::kDouble) r = Coerce(r, Type::Of(TypeKind::kInteger), e.right->pos);
  bool isDouble = l.type.kind == TypeKind::kDouble || r.type.kind == TypeKind::kDouble || op == "/";
  if (isDouble) {
    LoadDoublePair(l, r, e.right->pos);
    if (op == "+") a_.faddp(ax::st1);
    else if (op == "-") a_.fsubrp(ax::st1);  // ST1 := ST0 - ST1, pop
    else if (op == "*") a_.fmulp(ax::st1);
    else a_.fdivrp(ax::st1);                 // ST1 := ST0 / ST1, pop
    return Val{Type::Of(TypeKind::kDouble)};
  }
  a_.mov(ax::ecx, ax::eax);
  a_.pop(ax::eax);
  if (op == "+") a_.add(ax::eax, ax::ecx);
  else if (op == "-") a_.sub(ax::eax, ax::ecx);
  else if (op == "*") a_.imul(ax::eax, ax::ecx);
  else IntegerDivide(op == "mod");
  return Val{Type::Of(TypeKind::kInteger)};
}

std::string FunctionCompiler::OpName(const std::string& op) { return op == "mod" ? "Mod" : op; }

// EAX \ ECX or EAX Mod ECX. Division by 0 gives 0, and so does anything Mod -1; dividing
// by -1 negates (the most negative Integer stays as it is) instead of faulting.
void FunctionCompiler::IntegerDivide(bool remainder) {
  Label zero = a_.newLabel(), minusOne = a_.newLabel(), done = a_.newLabel();
  a_.test(ax::ecx, ax::ecx);
  a_.jz(zero);
  a_.cmp(ax::ecx, -1);
  a_.je(minusOne);
  a_.cdq();
  a_.idiv(ax::ecx);
  if (remainder) a_.mov(ax::eax, ax::edx);
  a_.jmp(done);
  a_.bind(minusOne);
  if (remainder) a_.xor_(ax::eax, ax::eax);
  else a_.neg(ax::eax);
  a_.jmp(done);
  a_.bind(zero);
  a_.xor_(ax::eax, ax::eax);
  a_.bind(done);
}

Val FunctionCompiler::Compare(const Expr& e) {
  const std::string& op = e.text;
  Val l = Expression(*e.left);
  int32_t saved = SaveLeft(l);
  Val r = Expression(*e.right);
  auto kindOf = [](const Type& t) { return t.kind; };
  TypeKind lk = kindOf(l.type), rk = kindOf(r.type);
  auto mismatch = [&]() {
    Fail(e.pos, "cannot compare " + TypeText(l.type) + " with " + TypeText(r.type));
  };
  bool isString = (lk == TypeKind::kString && (rk == TypeKind::kString || rk == TypeKind::kNil)) ||
                  (lk == TypeKind::kNil && rk == TypeKind::kString);
  if (isString) {
    a_.pop(ax::ecx);
    a_.push(ax::eax);
    a_.push(ax::ecx);
    CallEntry("RuntimeStringCompare", 8);
    a_.cmp(ax::eax, 0);
    SetSigned(op);
    return Val{Type::Of(TypeKind::kBoolean)};
  }
  if (IsNumber(l.type) && IsNumber(r.type)) {
    if (lk == TypeKind::kDouble || rk == TypeKind::kDouble) {
      LoadDoublePair(l, r, e.right->pos);
      a_.fcomip(ax::st1);  // compare ST0 with ST1
      a_.fstp(ax::st0);
      a_.mov(ax::eax, 0);
      if (op == "=") a_.sete(ax::al);
      else if (op == "<>") a_.setne(ax::al);
      else if (op == "<") a_.setb(ax::al);
      else if (op == ">") a_.seta(ax::al);
      else if (op == "<=") a_.setbe(ax::al);
      else a_.setae(ax::al);
      return Val{Type::Of(TypeKind::kBoolean)};
    }
    a_.pop(ax::ecx);
    a_.cmp(ax::ecx, ax::eax);
    SetSigned(op);
    return Val{Type::Of(TypeKind::kBoolean)};
  }
  bool refs = (lk == TypeKind::kObject || lk == TypeKind::kNil) && (rk == TypeKind::kObject || rk == TypeKind::kNil);
  bool bools = lk == TypeKind::kBoolean && rk == TypeKind::kBoolean;
  if (!refs && !bools) {
    if (rk == TypeKind::kDouble) a_.fstp(ax::st0);
    (void)saved;
    mismatch();
  }
  if (op != "=" && op != "<>") Fail(e.pos, "operator " + op + " cannot compare " + TypeText(l.type));
  a_.pop(ax::ecx);
  a_.cmp(ax::ecx, ax::eax);
  SetSigned(op);
  return Val{Type::Of(TypeKind::kBoolean)};
}

// EAX := the signed comparison just made, as 0 or 1.
void FunctionCompiler::SetSigned(const std::string& op) {
  a_.mov(ax::eax, 0);
  if (op == "=") a_.sete(ax::al);
  else if (op == "<>") a_.setne(ax::al);
  else if (op == "<") a_.setl(ax::al);
  else if (op == ">") a_.setg(ax::al);
  else if (op == "<=") a_.setle(ax::al);
  else a_.setge(ax::al);
}

}  // namespace amxc
