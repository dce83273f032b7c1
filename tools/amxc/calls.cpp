// Calls from compiled code: entry calls through the link chain with their call-site tables,
// calls of the program's own functions and methods, and the reference counts of their owned
// results, which hidden temporaries hold until the statement ends so that an exception never
// leaks them. Entry points: FunctionCompiler::CallEntry, FunctionCompiler::Call.
#include <string>
#include <vector>

#include "tools/amxc/functioncompiler.h"

namespace amxc {
namespace {

// Calls that the exception walk never needs to see: no call-site table follows them.
bool NeedsSiteTable(const std::string& entry) {
  static const char* kBare[] = {"RuntimeLockObject", "RuntimeUnlockObject", "RuntimeLockString",
                                "RuntimeUnlockString", "RuntimeDisposeIntArray"};
  for (const char* name : kBare)
    if (entry == name) return false;
  return true;
}

}  // namespace

// Inside a catch handler the walk is told to pass this frame's clauses over (kind 7), unless
// they still matter: an enclosing Try of the same function may catch what the handler raises,
// and a function holding arrays must reach its dispatcher to dispose of them. The dispatcher
// knows from the Try state which clauses apply, so it never catches its own handler's raise
// twice; its own calls always carry kind 7.
bool FunctionCompiler::SkipsOwnClauses() const {
  return inDispatcher_ || (handlerDepth_ > 0 && currentTry_ == 0 && !holdsArrays_);
}

void FunctionCompiler::SiteTable() {
  if (SkipsOwnClauses()) {
    Bytes({0xEB, 0x05, 0x90, 0xEB, 0x07, 0xEB, 0x00});  // jmp +5; nop; kind 7; end
  } else {
    Bytes({0xEB, 0x03, 0x90, 0xEB, 0x00});  // jmp +3; nop; end
  }
}

// call <entry> through the image's link chain, its call-site table, then the caller pops.
void FunctionCompiler::CallEntry(const std::string& entry, int32_t argBytes) {
  a_.embedUInt8(0xE8);  // call rel32
  out_.entryCalls.push_back({Offset(), entry});
  a_.embedUInt32(0);
  if (NeedsSiteTable(entry)) SiteTable();
  if (argBytes) a_.add(ax::esp, argBytes);
}

void FunctionCompiler::CallLocal(int32_t function, int32_t argBytes) {
  a_.embedUInt8(0xE8);  // call rel32
  out_.localCalls.push_back({Offset(), function});
  a_.embedUInt32(0);
  SiteTable();
  if (argBytes) a_.add(ax::esp, argBytes);
}

void FunctionCompiler::PushData(imagekit::DataLabel label) {
  a_.embedUInt8(0x68);  // push imm32 (a data1 address)
  out_.dataFixups.push_back({Offset(), label});
  a_.embedUInt32(0);
}

void FunctionCompiler::MovEaxData(imagekit::DataLabel label) {
  a_.embedUInt8(0xB8);  // mov eax, imm32 (a data1 address)
  out_.dataFixups.push_back({Offset(), label});
  a_.embedUInt32(0);
}

void FunctionCompiler::MovEaxFromData(imagekit::DataLabel label) {
  a_.embedUInt8(0xA1);  // mov eax, [moffs32]
  out_.dataFixups.push_back({Offset(), label});
  a_.embedUInt32(0);
}

void FunctionCompiler::PushFromData(imagekit::DataLabel label) {
  Bytes({0xFF, 0x35});  // push dword [moffs32]
  out_.dataFixups.push_back({Offset(), label});
  a_.embedUInt32(0);
}

// Adds a reference to the value in EAX, keeping it in EAX.
void FunctionCompiler::Lock(const Type& type) {
  a_.push(ax::eax);
  CallEntry(type.kind == TypeKind::kString ? "RuntimeLockString" : "RuntimeLockObject", 0);
  a_.pop(ax::eax);
}

void FunctionCompiler::UnlockSlot(int32_t slot, uint8_t kind) {
  a_.push(Slot(slot));
  CallEntry(kind == 5 ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
}

// An owned reference in EAX: give it a hidden local that owns it until the statement ends.
Val FunctionCompiler::OwnResult(const Type& type) {
  uint8_t kind = type.kind == TypeKind::kString ? 5 : 6;
  int32_t slot = 0;
  for (auto it = freeTemps_.begin(); it != freeTemps_.end(); ++it) {
    if (it->second == kind) {
      slot = it->first;
      freeTemps_.erase(it);
      break;
    }
  }
  if (!slot) {
    slot = AllocSlot(4);
    temps_.push_back({slot, kind});
  }
  a_.mov(Slot(slot), ax::eax);
  liveTemps_.push_back({slot, kind});
  return Val{type, slot};
}

// Releases the temporaries of the statement in progress, keeping EAX (and ST0).
void FunctionCompiler::ReleaseTemps(size_t mark, bool keepEax) {
  if (liveTemps_.size() <= mark) return;
  if (keepEax) a_.push(ax::eax);
  while (liveTemps_.size() > mark) {
    auto [slot, kind] = liveTemps_.back();
    liveTemps_.pop_back();
    UnlockSlot(slot, kind);
    a_.mov(Slot(slot), 0);
    freeTemps_.push_back({slot, kind});
  }
  if (keepEax) a_.pop(ax::eax);
}

// EAX holds v; afterwards EAX holds a reference the caller owns (taken from the temporary
// or newly locked).
void FunctionCompiler::TakeOwnership(const Val& v) {
  if (v.type.kind == TypeKind::kNil) return;
  if (v.temp) {
    a_.mov(Slot(v.temp), 0);
  } else {
    Lock(v.type);
  }
}

// The result of a call, as the calling convention hands it back.
Val FunctionCompiler::CallResult(const Type& type) {
  if (type.IsRef()) return OwnResult(type);
  if (type.kind == TypeKind::kBoolean) NormaliseBool();
  return Val{type};
}

// Pushes the arguments right to left, converted to the parameter types; returns the bytes.
int32_t FunctionCompiler::PushArguments(const std::vector<ExprPtr>& args,
                                        const std::vector<Type>& params, const SourcePos& pos,
                                        const std::string& what) {
  if (args.size() != params.size())
    Fail(pos, what + " takes " + std::to_string(params.size()) + " argument" +
                  (params.size() == 1 ? "" : "s") + ", not " + std::to_string(args.size()));
  int32_t bytes = 0;
  for (size_t i = args.size(); i-- > 0;) {
    Val v = Coerce(Expression(*args[i]), params[i], args[i]->pos);
    PushValue(v);
    bytes += params[i].kind == TypeKind::kDouble ? 8 : 4;
  }
  return bytes;
}

Val FunctionCompiler::MethodCall(const MethodModel& m, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
  // The object is in EAX: keep it on the stack while the arguments are computed.
  NilCheck();
  a_.push(ax::eax);
  int32_t bytes = PushArguments(args, m.params, e.pos, "method " + m.name);
  a_.push(ax::dword_ptr(ax::esp, bytes));  // the object again, as the first argument
  CallEntry(m.entry, bytes + 8);
  if (m.result.kind == TypeKind::kVoid && !statement) Fail(e.pos, "method " + m.name + " has no result");
  Val v = CallResult(m.result);
  return v;
}

Val FunctionCompiler::CallFunction(int32_t id, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
  const FunctionRecord& f = model_.functions[id];
  std::vector<Type> params;
  for (const NamedType& p : f.params) params.push_back(p.type);
  int32_t bytes = PushArguments(args, params, e.pos, "function " + f.decl->name);
  CallLocal(id, bytes);
  if (f.result.kind == TypeKind::kVoid && !statement) Fail(e.pos, f.decl->name + " is a Sub and has no value");
  return CallResult(f.result);
}

Val FunctionCompiler::Call(const Expr& e, bool statement) {
  const Expr& callee = *e.left;
  if (callee.kind == ExprKind::kMember) return Member(callee, &e.args, statement);
  if (callee.kind != ExprKind::kName) Fail(e.pos, "this expression cannot be called");
  if (Local* local = FindLocal(callee.text)) {
    if (local->type.kind != TypeKind::kArray) Fail(e.pos, "'" + callee.text + "' is not an array or function");
    if (e.args.size() != 1) Fail(e.pos, "array '" + callee.text + "' has one index");
    Coerce(Expression(*e.args[0]), Type::Of(TypeKind::kInteger), e.args[0]->pos);
    a_.push(ax::eax);
    a_.push(Slot(local->slot));
    CallEntry("RuntimeDirectRead" + ArrayFamily(local->type.element) + "Array", 8);
    return CallResult(Type{local->type.element, local->type.elementClass});
  }
  if (const ControlModel* control = FindControl(fn_.window, callee.text)) {
    if (e.args.size() != 1) Fail(e.pos, "a control array takes one index");
    Self(e);
    return ControlOf(*control, callee, e.args[0].get());
  }
  int32_t function = model_.FindFunction(callee.text, fn_.module);
  if (function == -2) Fail(e.pos, "'" + callee.text + "' is a function of several modules: name its module");
  if (function >= 0) return CallFunction(function, callee, e.args, statement);
  if (IsBuiltinFunction(callee.text)) return BuiltinCall(callee.text, callee, e.args, statement);
  Fail(callee.pos, "unknown function '" + callee.text + "'");
}

}  // namespace amxc
