// Expressions: literals, names, members, New and unary operators, and the conversions between
// types. Values are left in EAX, Doubles in ST0. Entry point: FunctionCompiler::Expression.
#include <cstring>
#include <string>

#include "tools/amxc/encoding.h"
#include "tools/amxc/functioncompiler.h"
#include "tools/amxc/lexer.h"

namespace amxc {

void FunctionCompiler::NilCheck() {
  Label ok = a_.newLabel();
  a_.test(ax::eax, ax::eax);
  a_.jnz(ok);
  CallEntry("RuntimeNilObject", 0);
  a_.bind(ok);
}

void FunctionCompiler::NormaliseBool() {
  a_.test(ax::al, ax::al);
  a_.setne(ax::al);
  a_.movzx(ax::eax, ax::al);
}

// Pushes v as an argument (Double: two words).
void FunctionCompiler::PushValue(const Val& v) {
  if (v.type.kind == TypeKind::kDouble) {
    a_.sub(ax::esp, 8);
    a_.fstp(ax::qword_ptr(ax::esp));
  } else {
    a_.push(ax::eax);
  }
}

bool FunctionCompiler::Assignable(const Type& from, const Type& to) const {
  if (from.kind == to.kind) {
    if (to.kind != TypeKind::kObject) return true;
    return to.cls < 0 || from.cls < 0 || classes_.IsSubclass(from.cls, to.cls);
  }
  if (from.kind == TypeKind::kNil) return to.IsRef();
  auto intLike = [](TypeKind k) { return k == TypeKind::kInteger || k == TypeKind::kColor; };
  if (intLike(from.kind) && intLike(to.kind)) return true;
  if (intLike(from.kind) && to.kind == TypeKind::kDouble) return true;
  if (from.kind == TypeKind::kDouble && intLike(to.kind)) return true;
  return false;
}

// Converts v to type `to` (numbers), or reports the mismatch.
Val FunctionCompiler::Coerce(Val v, const Type& to, const SourcePos& pos) {
  if (!Assignable(v.type, to)) {
    if (v.type.kind == TypeKind::kObject && to.kind == TypeKind::kObject)
      Fail(pos, TypeText(v.type) + " is not a " + TypeText(to));
    Fail(pos, "cannot use " + TypeText(v.type) + " as " + TypeText(to));
  }
  if (to.kind == TypeKind::kDouble && v.type.kind != TypeKind::kDouble) {
    a_.push(ax::eax);
    CallEntry("IntToFP", 4);
    return Val{to};
  }
  if (v.type.kind == TypeKind::kDouble && to.kind != TypeKind::kDouble) {
    a_.sub(ax::esp, 8);
    a_.fstp(ax::qword_ptr(ax::esp));
    CallEntry("FPToInt", 8);
    return Val{to};
  }
  if (v.type.kind == TypeKind::kNil) return Val{to};
  return Val{to, v.temp};
}

Val FunctionCompiler::Expression(const Expr& e, bool statement) {
  switch (e.kind) {
    case ExprKind::kInteger:
      MovEaxImm(static_cast<int32_t>(e.intValue));
      return Val{Type::Of(TypeKind::kInteger)};
    case ExprKind::kColor:
      MovEaxImm(static_cast<int32_t>(e.intValue));
      return Val{Type::Of(TypeKind::kColor)};
    case ExprKind::kBoolean:
      a_.mov(ax::eax, static_cast<int32_t>(e.intValue));
      return Val{Type::Of(TypeKind::kBoolean)};
    case ExprKind::kDouble: return DoubleLiteral(e.doubleValue);
    case ExprKind::kString: return StringLiteral(e);
    case ExprKind::kNil:
      a_.xor_(ax::eax, ax::eax);
      return Val{Type::Of(TypeKind::kNil)};
    case ExprKind::kMe: return Me(e);
    case ExprKind::kSelf: return Self(e);
    case ExprKind::kName: return Name(e, statement);
    case ExprKind::kMember: return Member(e, nullptr, statement);
    case ExprKind::kCall: return Call(e, statement);
    case ExprKind::kUnary: return Unary(e);
    case ExprKind::kBinary: return Binary(e);
    case ExprKind::kNew: return New(e);
  }
  Fail(e.pos, "unsupported expression");
}

// The exception walk finds a function's table by searching for 0xC9 0xC3 0x2F, so no
// constant may carry those bytes inside the body: such a value is built from two halves.
bool FunctionCompiler::LooksLikeFunctionEnd(uint32_t value) {
  uint8_t b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
  for (int i = 0; i < 3; ++i)
    if ((b[i] == 0xC9 && b[i + 1] == 0xC3) || (b[i] == 0xC3 && b[i + 1] == 0x2F)) return true;
  return false;
}

void FunctionCompiler::MovEaxImm(int32_t value) {
  uint32_t bits = static_cast<uint32_t>(value);
  if (!LooksLikeFunctionEnd(bits)) {
    a_.mov(ax::eax, value);
    return;
  }
  for (uint32_t mask = 0x01010101;; mask <<= 1) {
    if (!LooksLikeFunctionEnd(bits ^ mask)) {
      a_.mov(ax::eax, static_cast<int32_t>(bits ^ mask));
      a_.xor_(ax::eax, static_cast<int32_t>(mask));
      return;
    }
  }
}

Val FunctionCompiler::DoubleLiteral(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, 8);
  MovEaxImm(static_cast<int32_t>(bits >> 32));
  a_.push(ax::eax);
  MovEaxImm(static_cast<int32_t>(bits & 0xFFFFFFFF));
  a_.push(ax::eax);
  a_.fld(ax::qword_ptr(ax::esp));
  a_.add(ax::esp, 8);
  return Val{Type::Of(TypeKind::kDouble)};
}

Val FunctionCompiler::StringLiteral(const Expr& e) {
  std::string bad;
  auto bytes = ToWindows1252(e.text, &bad);
  if (!bytes) Fail(e.pos, "string literal holds a character with no Windows-1252 byte (" + bad + ")");
  if (bytes->size() > 255) Fail(e.pos, "string literal is longer than 255 bytes");
  if (bytes->empty()) {
    a_.xor_(ax::eax, ax::eax);  // "" is the nil string
  } else {
    MovEaxData(model_.Literal(*bytes));
  }
  return Val{Type::Of(TypeKind::kString)};
}

bool FunctionCompiler::InHandler() const {
  return fn_.kind == FunctionKind::kWindowHandler || fn_.kind == FunctionKind::kControlHandler ||
         fn_.kind == FunctionKind::kMenuHandler || fn_.kind == FunctionKind::kClassHandler;
}

Val FunctionCompiler::Me(const Expr& e) {
  if (!InHandler()) Fail(e.pos, "Me is only available in a handler");
  a_.mov(ax::eax, Slot(receiverSlot_));
  return Val{Type::Object(fn_.meClass)};
}

Val FunctionCompiler::Self(const Expr& e) {
  if (!InHandler()) Fail(e.pos, "Self is only available in a handler");
  a_.mov(ax::eax, Slot(receiverSlot_));
  // In a handler of the program's own classes Self is the object itself, like Me.
  if (fn_.kind == FunctionKind::kClassHandler) return Val{Type::Object(fn_.meClass)};
  // A control reaches its window through the word at offset 16.
  if (fn_.kind == FunctionKind::kControlHandler) a_.mov(ax::eax, ax::dword_ptr(ax::eax, 16));
  return Val{Type::Object(model_.windows[fn_.window].cls)};
}

// In a handler of the program's own classes, a field of the object (own or inherited)
// is reached by its bare name; locals and parameters of that name hide it.
const PropertyModel* FunctionCompiler::OwnField(const std::string& name) const {
  if (fn_.kind != FunctionKind::kClassHandler) return nullptr;
  const PropertyModel* p = classes_.FindProperty(fn_.meClass, name);
  return p && p->fieldOffset >= 0 ? p : nullptr;
}

const ControlModel* FunctionCompiler::FindControl(int32_t window, const std::string& name) const {
  if (window < 0) return nullptr;
  for (const ControlModel& c : model_.windows[window].controls)
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

bool FunctionCompiler::IsWindowControl(const std::string& name) const {
  return FindControl(fn_.window, name) != nullptr;
}

// A control of window `window`, whose object is in EAX (borrowed or owned).
Val FunctionCompiler::ControlOf(const ControlModel& control, const Expr& at, const Expr* index) {
  if (control.index && !index)
    Fail(at.pos, "'" + control.name + "' is a control array: write " + control.name + "(index)");
  if (!control.index && index) Fail(at.pos, "'" + control.name + "' is not a control array");
  int32_t cls = control.handlerClass >= 0 ? control.handlerClass : control.cls;
  std::string bytes = *ToWindows1252(control.name);
  if (index) {
    a_.push(ax::eax);
    Coerce(Expression(*index), Type::Of(TypeKind::kInteger), index->pos);
    a_.pop(ax::ecx);
    a_.push(ax::eax);
    PushData(model_.Literal(bytes));
    a_.push(ax::ecx);
    CallEntry("RuntimeControlArrayItemReference", 12);
  } else if (&at == borrowFor_) {
    // Used once and at once (see Member): the window keeps the control alive meanwhile.
    a_.mov(ax::ecx, ax::eax);
    PushData(model_.Literal(bytes));
    a_.push(ax::ecx);
    CallEntry("RuntimeControlFetch", 8);
    return Val{Type::Object(cls)};
  } else {
    a_.mov(ax::ecx, ax::eax);
    PushData(model_.Literal(bytes));
    a_.push(ax::ecx);
    CallEntry("RuntimeControlReference", 8);
  }
  return OwnResult(Type::Object(cls));
}

// Whether evaluating e can run no code of the program and close no window: then a control
// looked up just before it cannot go away while e runs. Program functions, window accessors
// (which may create a window and run its handlers), New and methods are not.
bool FunctionCompiler::RunsNoProgramCode(const Expr& e) {
  switch (e.kind) {
    case ExprKind::kInteger: case ExprKind::kColor: case ExprKind::kBoolean: case ExprKind::kDouble:
    case ExprKind::kString: case ExprKind::kNil: case ExprKind::kMe: case ExprKind::kSelf:
      return true;
    case ExprKind::kName:
      return FindLocal(e.text) || FindControl(fn_.window, e.text) || SameName(e.text, "index") ||
             OwnField(e.text);
    case ExprKind::kUnary: return RunsNoProgramCode(*e.left);
    case ExprKind::kBinary: return RunsNoProgramCode(*e.left) && RunsNoProgramCode(*e.right);
    case ExprKind::kMember: {
      // A property read of something harmless (getters run no program code), not a method.
      for (int32_t c = 0; c < classes_.Size(); ++c)
        for (const MethodModel& m : classes_.At(c).methods)
          if (SameName(m.name, e.text)) return false;
      return RunsNoProgramCode(*e.left);
    }
    case ExprKind::kCall: {
      if (e.left->kind != ExprKind::kName) return false;
      const std::string& name = e.left->text;
      bool harmless = (FindLocal(name) && FindLocal(name)->type.kind == TypeKind::kArray) ||
                      (!FindLocal(name) && model_.FindFunction(name, fn_.module) < 0 && IsBuiltinFunction(name) &&
                       !SameName(name, "MsgBox"));
      for (const ExprPtr& arg : e.args) harmless = harmless && RunsNoProgramCode(*arg);
      return harmless;
    }
    case ExprKind::kNew: return false;
  }
  return false;
}

Val FunctionCompiler::WindowInstance(int32_t window) {
  CallLocal(model_.windows[window].accessor, 0);
  return OwnResult(Type::Object(model_.windows[window].cls));
}

Val FunctionCompiler::Name(const Expr& e, bool statement) {
  if (Local* local = FindLocal(e.text)) {
    if (local->type.kind == TypeKind::kArray) Fail(e.pos, "array '" + e.text + "' needs an index");
    if (local->type.kind == TypeKind::kDouble) a_.fld(ax::qword_ptr(ax::ebp, local->slot));
    // A Boolean from the runtime is one byte: the rest of its argument word may be anything.
    else if (local->param && local->type.kind == TypeKind::kBoolean) a_.movzx(ax::eax, ax::byte_ptr(ax::ebp, local->slot));
    else a_.mov(ax::eax, Slot(local->slot));
    if (local->param && local->type.kind == TypeKind::kBoolean) NormaliseBool();
    return Val{local->type};
  }
  if (const PropertyModel* field = OwnField(e.text)) {
    a_.mov(ax::eax, Slot(receiverSlot_));
    return LoadField(*field);
  }
  if (SameName(e.text, "index") && fn_.kind == FunctionKind::kControlHandler) {
    // A control's array index is the word at offset 20.
    a_.mov(ax::eax, Slot(receiverSlot_));
    a_.mov(ax::eax, ax::dword_ptr(ax::eax, 20));
    return Val{Type::Of(TypeKind::kInteger)};
  }
  if (const ControlModel* control = FindControl(fn_.window, e.text)) {
    Self(e);
    return ControlOf(*control, e, nullptr);
  }
  int32_t window = model_.FindWindow(e.text);
  if (window >= 0) return WindowInstance(window);
  auto item = model_.menuItems.find(Lower(e.text));
  if (item != model_.menuItems.end()) {
    if (!model_.madeItems.count(item->first))
      Fail(e.pos, "menu item '" + e.text + "' stands only in the application menu, where the runtime makes no item");
    PushData(model_.Literal(*ToWindows1252(e.text)));
    CallEntry("RuntimeMenuReference", 4);
    return OwnResult(Type::Object(classes_.Find("MenuItem")));
  }
  int32_t function = model_.FindFunction(e.text, fn_.module);
  if (function == -2) Fail(e.pos, "'" + e.text + "' is a function of several modules: name its module");
  if (function >= 0) return CallFunction(function, e, {}, statement);
  if (IsBuiltinFunction(e.text)) return BuiltinCall(e.text, e, {}, statement);
  if (model_.barMenus.count(Lower(e.text)))
    Fail(e.pos, "'" + e.text + "' is a menu of the menu bar, which has no menu item object");
  Fail(e.pos, "unknown name '" + e.text + "'");
}

// object.name: a property, a control of a window, a method without arguments, or a
// module function.
Val FunctionCompiler::Member(const Expr& e, const std::vector<ExprPtr>* args, bool statement) {
  const Expr& left = *e.left;
  if (left.kind == ExprKind::kName && !FindLocal(left.text)) {
    if (const ModuleModel* module = model_.FindModule(left.text)) {
      if (FindControl(fn_.window, left.text) == nullptr && model_.FindWindow(left.text) < 0) {
        auto it = module->functions.find(Lower(e.text));
        if (it == module->functions.end()) Fail(e.pos, "module " + module->name + " has no function '" + e.text + "'");
        static const std::vector<ExprPtr> none;
        return CallFunction(it->second, e, args ? *args : none, statement);
      }
    }
  }
  // A control that is only read once, or whose method is called with arguments that run no
  // code of the program, is looked up without a reference of its own (RuntimeControlFetch).
  bool once = true;
  if (args)
    for (const ExprPtr& arg : *args) once = once && RunsNoProgramCode(*arg);
  const Expr* outer = borrowFor_;
  borrowFor_ = once ? &left : nullptr;
  Val object = Expression(left);
  borrowFor_ = outer;
  if (object.type.kind != TypeKind::kObject)
    Fail(e.pos, TypeText(object.type) + " has no member '" + e.text + "'");
  // A window's control, by name.
  for (size_t w = 0; w < model_.windows.size(); ++w) {
    if (object.type.cls != model_.windows[w].cls) continue;
    if (const ControlModel* control = FindControl(static_cast<int32_t>(w), e.text)) {
      NilCheck();
      if (args && args->size() != 1) Fail(e.pos, "a control array takes one index");
      return ControlOf(*control, e, args ? (*args)[0].get() : nullptr);
    }
  }
  if (const MethodModel* m = classes_.FindMethod(object.type.cls, e.text)) {
    static const std::vector<ExprPtr> kNoArgs;
    return MethodCall(*m, e, args ? *args : kNoArgs, statement);
  }
  if (args) Fail(e.pos, TypeText(object.type) + " has no method '" + e.text + "'");
  int32_t owner = -1;
  const PropertyModel* p = classes_.FindProperty(object.type.cls, e.text, &owner);
  if (!p) Fail(e.pos, TypeText(object.type) + " has no member '" + e.text + "'");
  NilCheck();
  if (p->fieldOffset >= 0) return LoadField(*p);
  if (p->getter.empty()) Fail(e.pos, "property '" + p->name + "' cannot be read");
  a_.push(p->parameter);
  a_.push(ax::eax);
  CallEntry(p->getter, 8);
  return CallResult(p->type);
}

Val FunctionCompiler::LoadField(const PropertyModel& p) {
  switch (p.type.kind) {
    case TypeKind::kDouble: a_.fld(ax::qword_ptr(ax::eax, p.fieldOffset)); break;
    case TypeKind::kBoolean: a_.movzx(ax::eax, ax::byte_ptr(ax::eax, p.fieldOffset)); break;
    default: a_.mov(ax::eax, ax::dword_ptr(ax::eax, p.fieldOffset)); break;
  }
  return Val{p.type};
}

Val FunctionCompiler::New(const Expr& e) {
  int32_t cls = classes_.Find(e.text);
  if (cls < 0) Fail(e.pos, "unknown class '" + e.text + "'");
  const ClassModel& model = classes_.At(cls);
  if (model.origin == ClassOrigin::kWindow || model.origin == ClassOrigin::kControlHandlers ||
      model.pluginControl || classes_.FindDesign(cls))
    Fail(e.pos, "a " + e.text + " cannot be made with New");
  a_.push(model_.ImageClassIndex(cls));
  CallEntry("RuntimeNewObject", 4);
  return OwnResult(Type::Object(cls));
}

Val FunctionCompiler::Unary(const Expr& e) {
  Val v = Expression(*e.left);
  if (e.text == "not") {
    if (v.type.kind == TypeKind::kBoolean) {
      a_.xor_(ax::eax, 1);
      return Val{v.type};
    }
    if (v.type.kind == TypeKind::kInteger) {
      a_.not_(ax::eax);
      return Val{v.type};
    }
    Fail(e.pos, "Not needs a Boolean or Integer, not " + TypeText(v.type));
  }
  if (v.type.kind == TypeKind::kDouble) {
    a_.fchs();
    return v;
  }
  if (v.type.kind == TypeKind::kInteger || v.type.kind == TypeKind::kColor) {
    a_.neg(ax::eax);
    return Val{Type::Of(TypeKind::kInteger)};
  }
  Fail(e.pos, "cannot negate " + TypeText(v.type));
}

}  // namespace amxc
