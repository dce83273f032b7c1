// Statements: checks each one and encodes it; a statement's temporaries are released when it
// is done, and an error abandons only the statement it is in.
// Entry point: FunctionCompiler::Statements.
#include <string>

#include "tools/amxc/functioncompiler.h"

namespace amxc {

void FunctionCompiler::Statements(const Block& block) {
  size_t scopeMark = scopes_.size();
  for (const StmtPtr& stmt : block) {
    size_t mark = liveTemps_.size();
    borrowFor_ = nullptr;
    try {
      Statement(*stmt);
    } catch (const Abandon&) {
    }
    ReleaseTemps(mark, false);
  }
  scopes_.resize(scopeMark);
}

void FunctionCompiler::Statement(const Stmt& s) {
  switch (s.kind) {
    case StmtKind::kDim: return Dim(s);
    case StmtKind::kAssign: return Assign(s);
    case StmtKind::kCall: return CallStatement(s);
    case StmtKind::kIf: return If(s);
    case StmtKind::kSelect: return Select(s);
    case StmtKind::kFor: return For(s);
    case StmtKind::kWhile: return While(s);
    case StmtKind::kReturn: return Return(s);
    case StmtKind::kExit: return Exit(s);
    case StmtKind::kTry: return Try(s);
    case StmtKind::kRaise: return Raise(s);
  }
}

void FunctionCompiler::Dim(const Stmt& s) {
  for (size_t i = scopes_.size(); i-- > scopeStart();)
    if (SameName(scopes_[i].name, s.name)) Fail(s.namePos, "'" + s.name + "' is already declared");
  Type type = ResolveType(s.type);
  Local local;
  local.name = s.name;
  if (s.arrayUpper) {
    local.type = Type{TypeKind::kArray, -1, type.kind, type.cls};
    local.slot = AllocSlot(4);
    arrays_.push_back({local.slot, DisposeEntry(type)});
    // Re-running a Dim (in a loop) replaces the array: dispose of the previous one first.
    if (loopDepth_ > 0) {
      a_.push(Slot(local.slot));
      CallEntry(DisposeEntry(type), 4);
      a_.mov(Slot(local.slot), 0);  // never disposed twice, whatever happens next
    }
    CallEntry("RuntimeCreateArray", 0);
    a_.mov(Slot(local.slot), ax::eax);
    MovEaxImm(*s.arrayUpper);
    a_.push(ax::eax);
    a_.push(0);
    a_.push(Slot(local.slot));
    CallEntry("RuntimeArrayCreateAddIndex", 12);
    a_.mov(Slot(local.slot), ax::eax);
    scopes_.push_back(local);
    return;
  }
  local.type = type;
  local.slot = AllocSlot(type.kind == TypeKind::kDouble ? 8 : 4);
  if (type.IsRef()) namedRefs_.push_back({local.slot, type.kind == TypeKind::kString ? 5 : 6});
  scopes_.push_back(local);
  // Every execution of Dim starts the variable afresh.
  if (s.value) {
    StoreLocal(scopes_.back(), Coerce(Expression(*s.value), type, s.value->pos));
  } else if (type.IsRef()) {
    a_.xor_(ax::eax, ax::eax);
    StoreLocal(scopes_.back(), Val{Type::Of(TypeKind::kNil)});
  } else {
    a_.mov(Slot(local.slot), 0);
    if (type.kind == TypeKind::kDouble) a_.mov(Slot(local.slot + 4), 0);
  }
}

size_t FunctionCompiler::scopeStart() const { return 0; }

std::string FunctionCompiler::DisposeEntry(const Type& element) {
  if (element.kind == TypeKind::kString) return "RuntimeDisposeStringArray";
  if (element.kind == TypeKind::kObject) return "RuntimeDisposeObjectArray";
  return "RuntimeDisposeIntArray";
}

std::string FunctionCompiler::ArrayFamily(TypeKind element) {
  switch (element) {
    case TypeKind::kDouble: return "Double";
    case TypeKind::kString: return "String";
    case TypeKind::kObject: return "Object";
    default: return "Int";
  }
}

// Stores v (already of the local's type) into the local, handling references.
void FunctionCompiler::StoreLocal(const Local& local, const Val& v) {
  if (local.type.kind == TypeKind::kDouble) {
    a_.fstp(ax::qword_ptr(ax::ebp, local.slot));
    return;
  }
  if (!local.type.IsRef()) {
    a_.mov(Slot(local.slot), ax::eax);
    return;
  }
  TakeOwnership(v);
  a_.mov(ax::ecx, Slot(local.slot));
  a_.mov(Slot(local.slot), ax::eax);
  a_.push(ax::ecx);
  CallEntry(local.type.kind == TypeKind::kString ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
}

void FunctionCompiler::Assign(const Stmt& s) {
  const Expr& target = *s.target;
  if (target.kind == ExprKind::kName) {
    Local* local = FindLocal(target.text);
    if (local) {
      if (local->type.kind == TypeKind::kArray) Fail(target.pos, "an array cannot be assigned as a whole");
      if (local->readOnly) Fail(target.pos, "'" + target.text + "' cannot be assigned");
      Val v = Coerce(Expression(*s.value), local->type, s.value->pos);
      if (local->param) {
        if (local->type.kind == TypeKind::kDouble) a_.fstp(ax::qword_ptr(ax::ebp, local->slot));
        else a_.mov(Slot(local->slot), ax::eax);
        return;
      }
      return StoreLocal(*local, v);
    }
    if (OwnField(target.text)) {
      // A field of the class whose handler runs: the same as Me.field = value.
      Expr member;
      member.kind = ExprKind::kMember;
      member.pos = target.pos;
      member.text = target.text;
      member.left = std::make_unique<Expr>();
      member.left->kind = ExprKind::kMe;
      member.left->pos = target.pos;
      return AssignMember(member, *s.value);
    }
    if (IsWindowControl(target.text) || model_.FindWindow(target.text) >= 0)
      Fail(target.pos, "'" + target.text + "' cannot be assigned; set one of its properties");
    Fail(target.pos, "unknown variable '" + target.text + "'");
  }
  if (target.kind == ExprKind::kMember) return AssignMember(target, *s.value);
  if (target.kind == ExprKind::kCall && target.left->kind == ExprKind::kName) {
    Local* local = FindLocal(target.left->text);
    if (local && local->type.kind == TypeKind::kArray) return AssignElement(*local, target, *s.value);
  }
  Fail(target.pos, "this expression cannot be assigned");
}

void FunctionCompiler::AssignElement(const Local& array, const Expr& target, const Expr& value) {
  if (target.args.size() != 1) Fail(target.pos, "array '" + array.name + "' has one index");
  Type element{array.type.element, array.type.elementClass};
  Val v = Coerce(Expression(value), element, value.pos);
  PushValue(v);
  Coerce(Expression(*target.args[0]), Type::Of(TypeKind::kInteger), target.args[0]->pos);
  a_.push(ax::eax);
  a_.push(Slot(array.slot));
  CallEntry("RuntimeDirectWrite" + ArrayFamily(element.kind) + "Array",
            element.kind == TypeKind::kDouble ? 16 : 12);
}

void FunctionCompiler::AssignMember(const Expr& target, const Expr& valueExpr) {
  // The object first: its type decides the property.
  Val object = Expression(*target.left);
  if (object.type.kind != TypeKind::kObject)
    Fail(target.pos, TypeText(object.type) + " has no property '" + target.text + "'");
  int32_t owner = -1;
  const PropertyModel* p = classes_.FindProperty(object.type.cls, target.text, &owner);
  if (!p) Fail(target.pos, TypeText(object.type) + " has no property '" + target.text + "'");
  if (p->fieldOffset < 0 && p->setter.empty())
    Fail(target.pos, "property '" + p->name + "' of " + TypeText(object.type) + " is read-only");
  NilCheck();
  a_.push(ax::eax);
  Val v = Coerce(Expression(valueExpr), p->type, valueExpr.pos);
  if (p->fieldOffset >= 0) return StoreField(*p, v);
  if (DirectByteSetter(owner, *p)) {
    a_.pop(ax::ecx);
    a_.mov(ax::byte_ptr(ax::ecx, p->parameter), ax::al);
    return;
  }
  // setter(object, parameter, value): the value is pushed first, then the parameter and
  // the object saved above.
  if (p->type.kind == TypeKind::kDouble) {
    a_.sub(ax::esp, 8);
    a_.fstp(ax::qword_ptr(ax::esp));
    a_.push(ax::dword_ptr(ax::esp, 8));  // the object, saved under the value
    a_.pop(ax::ecx);
    a_.push(p->parameter);
    a_.push(ax::ecx);
    CallEntry(p->setter, 16);
    a_.add(ax::esp, 4);
    return;
  }
  a_.pop(ax::ecx);
  a_.push(ax::eax);
  a_.push(p->parameter);
  a_.push(ax::ecx);
  CallEntry(p->setter, 12);
}

// Menu items are enabled by writing their Enabled byte in place: the enabling pass reads
// the wanted state from the object when the menu is next shown.
bool FunctionCompiler::DirectByteSetter(int32_t owner, const PropertyModel& p) const {
  return owner >= 0 && SameName(classes_.At(owner).name, "MenuItem") && p.setter == "boolSetter";
}

// A field of a class of the program: the object was pushed, the value is in EAX/ST0.
void FunctionCompiler::StoreField(const PropertyModel& p, const Val& v) {
  if (p.type.kind == TypeKind::kDouble) {
    a_.pop(ax::ecx);
    a_.fstp(ax::qword_ptr(ax::ecx, p.fieldOffset));
    return;
  }
  if (!p.type.IsRef()) {
    a_.pop(ax::ecx);
    if (p.type.kind == TypeKind::kBoolean) a_.mov(ax::byte_ptr(ax::ecx, p.fieldOffset), ax::al);
    else a_.mov(ax::dword_ptr(ax::ecx, p.fieldOffset), ax::eax);
    return;
  }
  TakeOwnership(v);
  a_.pop(ax::ecx);
  a_.mov(ax::edx, ax::dword_ptr(ax::ecx, p.fieldOffset));
  a_.mov(ax::dword_ptr(ax::ecx, p.fieldOffset), ax::eax);
  a_.push(ax::edx);
  CallEntry(p.type.kind == TypeKind::kString ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
}

void FunctionCompiler::CallStatement(const Stmt& s) {
  const Expr& e = *s.value;
  if (e.kind != ExprKind::kCall && e.kind != ExprKind::kMember && e.kind != ExprKind::kName)
    Fail(e.pos, "this expression is not a statement");
  Val v = Expression(e, /*statement=*/true);
  if (v.type.kind == TypeKind::kDouble) a_.fstp(ax::st0);  // an unused Double result
}

void FunctionCompiler::ConditionJumpFalse(const Expr& cond, Label target) {
  size_t mark = liveTemps_.size();
  Val v = Expression(cond);
  if (v.type.kind != TypeKind::kBoolean)
    Fail(cond.pos, "a condition must be Boolean, not " + TypeText(v.type));
  ReleaseTemps(mark, true);
  a_.test(ax::al, ax::al);
  a_.jz(target);
}

void FunctionCompiler::If(const Stmt& s) {
  Label end = a_.newLabel();
  for (size_t i = 0; i < s.blocks.size(); ++i) {
    Label next = a_.newLabel();
    if (i < s.conditions.size()) {
      try {
        ConditionJumpFalse(*s.conditions[i], next);
      } catch (const Abandon&) {
      }
    }
    Statements(s.blocks[i]);
    a_.jmp(end);
    a_.bind(next);
  }
  a_.bind(end);
}

void FunctionCompiler::Select(const Stmt& s) {
  size_t mark = liveTemps_.size();
  Val selector = Expression(*s.value);
  Type type = selector.type;
  if (type.kind == TypeKind::kColor) type = Type::Of(TypeKind::kInteger);
  if (type.kind != TypeKind::kInteger && type.kind != TypeKind::kString)
    Fail(s.value->pos, "Select Case needs an Integer or String value, not " + TypeText(selector.type));
  // The selector lives in a hidden variable for the whole statement.
  Local hidden;
  hidden.name = "";
  hidden.type = type;
  hidden.slot = AllocSlot(4);
  if (type.IsRef()) namedRefs_.push_back({hidden.slot, 5});
  StoreLocal(hidden, selector);
  ReleaseTemps(mark, false);
  Label end = a_.newLabel();
  for (const CaseClause& clause : s.cases) {
    Label next = a_.newLabel();
    if (!clause.values.empty()) {
      Label body = a_.newLabel();
      for (const ExprPtr& value : clause.values) {
        try {
          size_t m = liveTemps_.size();
          Val v = Coerce(Expression(*value), type, value->pos);
          if (type.kind == TypeKind::kString) {
            a_.push(ax::eax);
            a_.push(Slot(hidden.slot));
            CallEntry("RuntimeStringCompare", 8);
          } else {
            a_.sub(ax::eax, Slot(hidden.slot));
          }
          (void)v;
          ReleaseTemps(m, true);
          a_.test(ax::eax, ax::eax);
          a_.jz(body);
        } catch (const Abandon&) {
        }
      }
      a_.jmp(next);
      a_.bind(body);
    }
    Statements(clause.body);
    a_.jmp(end);
    a_.bind(next);
  }
  a_.bind(end);
}

void FunctionCompiler::For(const Stmt& s) {
  Local* var = FindLocal(s.name);
  if (!var) {
    Local local;
    local.name = s.name;
    local.type = Type::Of(TypeKind::kInteger);
    local.slot = AllocSlot(4);
    scopes_.push_back(local);
    var = &scopes_.back();
  }
  if (var->type.kind != TypeKind::kInteger)
    Fail(s.namePos, "the For variable '" + s.name + "' must be an Integer");
  int32_t varSlot = var->slot;
  int32_t limitSlot = AllocSlot(4);
  size_t mark = liveTemps_.size();
  Coerce(Expression(*s.value), Type::Of(TypeKind::kInteger), s.value->pos);
  a_.mov(Slot(varSlot), ax::eax);
  Coerce(Expression(*s.limit), Type::Of(TypeKind::kInteger), s.limit->pos);
  a_.mov(Slot(limitSlot), ax::eax);
  ReleaseTemps(mark, false);
  Label top = a_.newLabel(), end = a_.newLabel();
  a_.bind(top);
  a_.mov(ax::eax, Slot(varSlot));
  a_.cmp(ax::eax, Slot(limitSlot));
  if (s.step > 0) a_.jg(end);
  else a_.jl(end);
  ++loopDepth_;
  Statements(s.body);
  --loopDepth_;
  // Stop at the limit before stepping, so that a limit at the end of the Integer range
  // does not wrap around into an endless loop.
  a_.mov(ax::eax, Slot(varSlot));
  a_.cmp(ax::eax, Slot(limitSlot));
  a_.je(end);
  a_.add(ax::eax, s.step);
  a_.jo(end);
  a_.mov(Slot(varSlot), ax::eax);
  a_.jmp(top);
  a_.bind(end);
}

void FunctionCompiler::While(const Stmt& s) {
  Label top = a_.newLabel(), end = a_.newLabel();
  a_.bind(top);
  try {
    ConditionJumpFalse(*s.value, end);
  } catch (const Abandon&) {
  }
  ++loopDepth_;
  Statements(s.body);
  --loopDepth_;
  a_.jmp(top);
  a_.bind(end);
}

void FunctionCompiler::Return(const Stmt& s) {
  bool isFunction = fn_.result.kind != TypeKind::kVoid;
  if (!isFunction && s.value) Fail(s.value->pos, "a Sub cannot return a value");
  if (isFunction && !s.value) Fail(s.pos, "Return needs a value of type " + TypeText(fn_.result));
  if (s.value) {
    Val v = Coerce(Expression(*s.value), fn_.result, s.value->pos);
    if (fn_.result.kind == TypeKind::kDouble) {
      a_.fstp(ax::qword_ptr(ax::ebp, kResultSlot));
    } else {
      if (fn_.result.IsRef()) TakeOwnership(v);
      a_.mov(Slot(kResultSlot), ax::eax);
    }
  }
  a_.jmp(exit_);
}

void FunctionCompiler::Exit(const Stmt& s) {
  bool isFunction = fn_.decl && fn_.decl->isFunction;
  if ((s.exitWhat == "function") != isFunction)
    Fail(s.pos, std::string("Exit ") + (s.exitWhat == "function" ? "Function" : "Sub") + " inside a " +
                    (isFunction ? "Function" : "Sub"));
  a_.jmp(exit_);
}

}  // namespace amxc
