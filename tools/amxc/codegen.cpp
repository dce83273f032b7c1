// The code generator: checks one function's statements and expressions and encodes them as
// 32-bit x86 with asmjit, in the frame layout the runtime's exception walk reads:
//   push ebp; mov ebp, esp; sub esp, N; zero every local word; call RuntimeStackCheck
//   ... body ...
//   exit: release every reference local; load the result; leave; ret; 0x2F; function table
// Expressions leave Integer, Boolean, Color, String and object values in EAX and Double
// values in ST0. Owned results of calls go to hidden temporaries that the function table
// lists, so an exception never leaks them; a statement releases its temporaries when done.
// Entry point: GenerateFunction.
#include <asmjit/x86.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "tools/amxc/encoding.h"
#include "tools/amxc/lexer.h"
#include "tools/amxc/program.h"

namespace amxc {
namespace {

using namespace asmjit;
namespace ax = asmjit::x86;

// Frame words the function reserves below EBP before any variable.
constexpr int32_t kCaughtSlot = -4;   // the exception a catch clause received
constexpr int32_t kTryStateSlot = -8; // the innermost Try whose body is running (0: none)
constexpr int32_t kResultSlot = -16;  // the result on its way out (8 bytes for a Double)
constexpr int32_t kReservedFrame = 16;

// Calls that the exception walk never needs to see: no call-site table follows them.
bool NeedsSiteTable(const std::string& entry) {
  static const char* kBare[] = {"RuntimeLockObject", "RuntimeUnlockObject", "RuntimeLockString",
                                "RuntimeUnlockString", "RuntimeDisposeIntArray"};
  for (const char* name : kBare)
    if (entry == name) return false;
  return true;
}

struct Local {
  std::string name;
  Type type;
  int32_t slot = 0;      // EBP offset
  bool param = false;    // lives in the caller's argument area
  bool readOnly = false; // Me-like values
};

// A value produced by an expression: in EAX (ST0 for Double). temp names the hidden local
// that owns it, when it is an owned reference.
struct Val {
  Type type;
  int32_t temp = 0;
};

struct CatchInfo {
  int32_t tryId;
  int32_t classIndex;  // image class index
  Label handler;
};

struct TryInfo {
  int32_t parent;  // enclosing Try id, 0 = none
  std::vector<size_t> clauses;  // indexes into catches_
};

class FunctionCompiler {
 public:
  FunctionCompiler(ProgramModel& model, int32_t id)
      : model_(model), classes_(model.classes), fn_(model.functions[id]), a_(&code_) {
    code_.init(Environment(Arch::kX86));
    code_.attach(&a_);
  }

  void Run() {
    exit_ = a_.newLabel();
    dispatch_ = a_.newLabel();
    Prologue();
    DeclareParameters();
    switch (fn_.kind) {
      case FunctionKind::kAccessor: AccessorBody(); break;
      case FunctionKind::kEntry: EntryBody(); break;
      case FunctionKind::kConstructor: break;
      case FunctionKind::kDestructor: DestructorBody(); break;
      default: Statements(fn_.decl->body); break;
    }
    if (!catches_.empty()) CatchDispatcher();
    Epilogue();
    Finish();
  }

 private:
  // ---- Errors -------------------------------------------------------------------------------
  struct Abandon {};  // thrown after an error to drop the rest of the statement
  [[noreturn]] void Fail(const SourcePos& pos, const std::string& message) {
    model_.diags.Error(pos, message);
    throw Abandon{};
  }
  std::string TypeText(const Type& t) const { return classes_.TypeName(t); }

  // ---- Raw emission helpers -------------------------------------------------------------------
  uint32_t Offset() const { return static_cast<uint32_t>(a_.offset()); }
  void Bytes(std::initializer_list<uint8_t> bytes) {
    for (uint8_t b : bytes) a_.embedUInt8(b);
  }
  uint32_t Imm32Placeholder() {
    uint32_t at = Offset();
    a_.embedUInt32(0);
    return at;
  }

  void SiteTable() {
    if (handlerDepth_ > 0) {
      Bytes({0xEB, 0x05, 0x90, 0xEB, 0x07, 0xEB, 0x00});  // jmp +5; nop; kind 7; end
    } else {
      Bytes({0xEB, 0x03, 0x90, 0xEB, 0x00});  // jmp +3; nop; end
    }
  }

  // call <entry> through the image's link chain, its call-site table, then the caller pops.
  void CallEntry(const std::string& entry, int32_t argBytes) {
    a_.embedUInt8(0xE8);  // call rel32
    out_.entryCalls.push_back({Offset(), entry});
    a_.embedUInt32(0);
    if (NeedsSiteTable(entry)) SiteTable();
    if (argBytes) a_.add(ax::esp, argBytes);
  }
  void CallLocal(int32_t function, int32_t argBytes) {
    a_.embedUInt8(0xE8);  // call rel32
    out_.localCalls.push_back({Offset(), function});
    a_.embedUInt32(0);
    SiteTable();
    if (argBytes) a_.add(ax::esp, argBytes);
  }
  void PushData(imagekit::DataLabel label) {
    a_.embedUInt8(0x68);  // push imm32 (a data1 address)
    out_.dataFixups.push_back({Offset(), label});
    a_.embedUInt32(0);
  }
  void MovEaxData(imagekit::DataLabel label) {
    a_.embedUInt8(0xB8);  // mov eax, imm32 (a data1 address)
    out_.dataFixups.push_back({Offset(), label});
    a_.embedUInt32(0);
  }
  void MovEaxFromData(imagekit::DataLabel label) {
    a_.embedUInt8(0xA1);  // mov eax, [moffs32]
    out_.dataFixups.push_back({Offset(), label});
    a_.embedUInt32(0);
  }
  void PushFromData(imagekit::DataLabel label) {
    Bytes({0xFF, 0x35});  // push dword [moffs32]
    out_.dataFixups.push_back({Offset(), label});
    a_.embedUInt32(0);
  }
  ax::Mem Slot(int32_t offset) { return ax::dword_ptr(ax::ebp, offset); }

  // ---- Frame --------------------------------------------------------------------------------
  int32_t AllocSlot(int32_t bytes) {
    frameSize_ += bytes;
    return -frameSize_;
  }

  void Prologue() {
    a_.push(ax::ebp);
    a_.mov(ax::ebp, ax::esp);
    Bytes({0x81, 0xEC});  // sub esp, imm32 (the frame size, known at the end)
    frameSizeAt_ = Imm32Placeholder();
    a_.embedUInt8(0xB9);  // mov ecx, imm32 (frame words to zero)
    frameWordsAt_ = Imm32Placeholder();
    a_.xor_(ax::eax, ax::eax);
    Label zero = a_.newLabel();
    a_.bind(zero);
    a_.mov(ax::dword_ptr(ax::esp, ax::ecx, 2, -4), ax::eax);
    a_.dec(ax::ecx);
    a_.jnz(zero);
    CallEntry("RuntimeStackCheck", 0);
  }

  // Parameters: the receiver (handlers), then the declared ones. String and object
  // parameters are copied into locals that hold their own reference, so that the body may
  // assign them like any variable.
  void DeclareParameters() {
    int32_t offset = 8;
    bool hasReceiver = fn_.kind == FunctionKind::kWindowHandler ||
                       fn_.kind == FunctionKind::kControlHandler ||
                       fn_.kind == FunctionKind::kMenuHandler || fn_.kind == FunctionKind::kClassHandler ||
                       fn_.kind == FunctionKind::kDestructor || fn_.kind == FunctionKind::kConstructor;
    if (hasReceiver) {
      receiverSlot_ = offset;
      offset += 4;
    }
    for (const NamedType& p : fn_.params) {
      Local local;
      local.name = p.name;
      local.type = p.type;
      local.param = true;
      local.slot = offset;
      offset += p.type.kind == TypeKind::kDouble ? 8 : 4;
      if (p.type.IsRef()) {
        int32_t slot = AllocSlot(4);
        a_.mov(ax::eax, Slot(local.slot));
        Lock(p.type);
        a_.mov(Slot(slot), ax::eax);
        local.slot = slot;
        local.param = false;
        namedRefs_.push_back({slot, p.type.kind == TypeKind::kString ? 5 : 6});
      }
      scopes_.push_back(local);
    }
  }

  // Adds a reference to the value in EAX, keeping it in EAX.
  void Lock(const Type& type) {
    a_.push(ax::eax);
    CallEntry(type.kind == TypeKind::kString ? "RuntimeLockString" : "RuntimeLockObject", 0);
    a_.pop(ax::eax);
  }
  void UnlockSlot(int32_t slot, uint8_t kind) {
    a_.push(Slot(slot));
    CallEntry(kind == 5 ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
  }

  void Epilogue() {
    a_.bind(exit_);
    for (const auto& [slot, kind] : temps_) UnlockSlot(slot, kind);
    for (const auto& [slot, kind] : namedRefs_) UnlockSlot(slot, kind);
    for (const auto& [slot, entry] : arrays_) {
      a_.push(Slot(slot));
      CallEntry(entry, 4);
    }
    if (fn_.result.kind == TypeKind::kDouble) {
      a_.fld(ax::qword_ptr(ax::ebp, kResultSlot));
    } else if (fn_.result.kind != TypeKind::kVoid) {
      a_.mov(ax::eax, Slot(kResultSlot));
    }
    Bytes({0xC9, 0xC3});  // leave; ret
    a_.embedUInt8(0x2F);  // the function table follows
    // Temporaries come before the catch clauses: a caught exception releases what the
    // interrupted statement held. Variables come after: they stay alive in the handler.
    for (const auto& [slot, kind] : temps_) Bytes({kind, Hi(slot), Lo(slot)});
    for (const CatchInfo& c : catches_) {
      Bytes({4, Hi(c.classIndex), Lo(c.classIndex)});
      catchFields_.push_back({Offset(), dispatch_});
      a_.embedUInt32(0);
    }
    for (const auto& [slot, kind] : namedRefs_) Bytes({kind, Hi(slot), Lo(slot)});
    a_.embedUInt8(0);
  }
  static uint8_t Hi(int32_t v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }
  static uint8_t Lo(int32_t v) { return static_cast<uint8_t>(v & 0xFF); }

  void Finish() {
    code_.flatten();
    code_.resolveUnresolvedLinks();
    CodeBuffer& buffer = code_.textSection()->buffer();
    if (frameSize_ > 4000)
      model_.diags.Error(fn_.decl ? fn_.decl->pos : SourcePos{},
                         "function " + fn_.qualifiedName + " has too many local variables");
    auto put32 = [&](uint32_t at, uint32_t value, bool bigEndian) {
      for (int i = 0; i < 4; ++i)
        buffer.data()[at + i] = static_cast<uint8_t>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
    };
    put32(frameSizeAt_, static_cast<uint32_t>(frameSize_), false);
    put32(frameWordsAt_, static_cast<uint32_t>(frameSize_ / 4), false);
    for (uint32_t at : frameRestores_) put32(at, static_cast<uint32_t>(-frameSize_), false);
    for (const auto& [at, label] : catchFields_) {
      int64_t target = static_cast<int64_t>(code_.labelOffset(label));
      put32(at, static_cast<uint32_t>(static_cast<int32_t>(target - at)), true);
    }
    out_.bytes.assign(buffer.data(), buffer.data() + buffer.size());
    fn_.code = std::move(out_);
  }

  // ---- Temporaries ----------------------------------------------------------------------------
  // An owned reference in EAX: give it a hidden local that owns it until the statement ends.
  Val OwnResult(const Type& type) {
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
  void ReleaseTemps(size_t mark, bool keepEax) {
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
  void TakeOwnership(const Val& v) {
    if (v.type.kind == TypeKind::kNil) return;
    if (v.temp) {
      a_.mov(Slot(v.temp), 0);
    } else {
      Lock(v.type);
    }
  }

  // ---- Generated bodies ---------------------------------------------------------------------
  void AccessorBody() {
    const WindowModel& window = model_.windows[fn_.window];
    Label have = a_.newLabel(), done = a_.newLabel();
    MovEaxFromData(window.slots.instanceVariable);
    a_.test(ax::eax, ax::eax);
    a_.jnz(have);
    PushData(window.slots.instanceVariable);
    PushFromData(window.slots.recordPointer);
    CallEntry("RuntimeCreateWindow", 8);
    a_.jmp(done);
    a_.bind(have);
    Lock(Type::Object(window.cls));
    a_.bind(done);
    a_.mov(Slot(kResultSlot), ax::eax);
  }

  // The image's entry function: install the plug-ins, initialise the runtime with the
  // application descriptor, open the default window and let go of it, run, return.
  void EntryBody() {
    if (model_.pluginList) {
      PushData(*model_.pluginList);
      CallEntry("Win32InstallPlugins", 4);
    }
    PushData(model_.descriptor);
    CallEntry("RuntimeInit", 4);
    if (model_.defaultWindow >= 0) {
      CallLocal(model_.windows[model_.defaultWindow].accessor, 0);
      a_.push(ax::eax);
      CallEntry("RuntimeUnlockObject", 4);
    }
    CallEntry("RuntimeRun", 0);
  }

  void DestructorBody() {
    const ClassModel& cls = classes_.At(fn_.meClass);
    for (const PropertyModel& p : cls.properties) {
      if (p.fieldOffset < 0 || !p.type.IsRef()) continue;
      a_.mov(ax::eax, Slot(receiverSlot_));
      a_.push(ax::dword_ptr(ax::eax, p.fieldOffset));
      CallEntry(p.type.kind == TypeKind::kString ? "RuntimeUnlockString" : "RuntimeUnlockObject", 4);
      a_.mov(ax::eax, Slot(receiverSlot_));
      a_.mov(ax::dword_ptr(ax::eax, p.fieldOffset), 0);
    }
  }

 private:
  // ---- Scopes -----------------------------------------------------------------------------
  Local* FindLocal(const std::string& name) {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it)
      if (SameName(it->name, name)) return &*it;
    return nullptr;
  }

  Type ResolveType(const TypeName& name) {
    auto type = classes_.ParseType(name.name);
    if (!type) Fail(name.pos, "unknown type '" + name.name + "'");
    return *type;
  }

  // ---- Statements ---------------------------------------------------------------------------
  void Statements(const Block& block) {
    size_t scopeMark = scopes_.size();
    for (const StmtPtr& stmt : block) {
      size_t mark = liveTemps_.size();
      try {
        Statement(*stmt);
      } catch (const Abandon&) {
      }
      ReleaseTemps(mark, false);
    }
    scopes_.resize(scopeMark);
  }

  void Statement(const Stmt& s) {
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

  void Dim(const Stmt& s) {
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
      a_.push(Slot(local.slot));
      CallEntry(DisposeEntry(type), 4);
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
  size_t scopeStart() const { return 0; }

  static std::string DisposeEntry(const Type& element) {
    if (element.kind == TypeKind::kString) return "RuntimeDisposeStringArray";
    if (element.kind == TypeKind::kObject) return "RuntimeDisposeObjectArray";
    return "RuntimeDisposeIntArray";
  }
  static std::string ArrayFamily(TypeKind element) {
    switch (element) {
      case TypeKind::kDouble: return "Double";
      case TypeKind::kString: return "String";
      case TypeKind::kObject: return "Object";
      default: return "Int";
    }
  }

  // Stores v (already of the local's type) into the local, handling references.
  void StoreLocal(const Local& local, const Val& v) {
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

  void Assign(const Stmt& s) {
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

  void AssignElement(const Local& array, const Expr& target, const Expr& value) {
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

  void AssignMember(const Expr& target, const Expr& valueExpr) {
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
  bool DirectByteSetter(int32_t owner, const PropertyModel& p) const {
    return owner >= 0 && SameName(classes_.At(owner).name, "MenuItem") && p.setter == "boolSetter";
  }

  // A field of a class of the program: the object was pushed, the value is in EAX/ST0.
  void StoreField(const PropertyModel& p, const Val& v) {
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

  void CallStatement(const Stmt& s) {
    const Expr& e = *s.value;
    if (e.kind != ExprKind::kCall && e.kind != ExprKind::kMember && e.kind != ExprKind::kName)
      Fail(e.pos, "this expression is not a statement");
    Val v = Expression(e, /*statement=*/true);
    if (v.type.kind == TypeKind::kDouble) a_.fstp(ax::st0);  // an unused Double result
  }

  void ConditionJumpFalse(const Expr& cond, Label target) {
    size_t mark = liveTemps_.size();
    Val v = Expression(cond);
    if (v.type.kind != TypeKind::kBoolean)
      Fail(cond.pos, "a condition must be Boolean, not " + TypeText(v.type));
    ReleaseTemps(mark, true);
    a_.test(ax::al, ax::al);
    a_.jz(target);
  }

  void If(const Stmt& s) {
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

  void Select(const Stmt& s) {
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

  void For(const Stmt& s) {
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
    Statements(s.body);
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

  void While(const Stmt& s) {
    Label top = a_.newLabel(), end = a_.newLabel();
    a_.bind(top);
    try {
      ConditionJumpFalse(*s.value, end);
    } catch (const Abandon&) {
    }
    Statements(s.body);
    a_.jmp(top);
    a_.bind(end);
  }

  void Return(const Stmt& s) {
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

  void Exit(const Stmt& s) {
    bool isFunction = fn_.decl && fn_.decl->isFunction;
    if ((s.exitWhat == "function") != isFunction)
      Fail(s.pos, std::string("Exit ") + (s.exitWhat == "function" ? "Function" : "Sub") + " inside a " +
                      (isFunction ? "Function" : "Sub"));
    a_.jmp(exit_);
  }

  void Raise(const Stmt& s) {
    Val v = Expression(*s.value);
    if (v.type.kind != TypeKind::kObject) Fail(s.value->pos, "Raise needs an object, not " + TypeText(v.type));
    NilCheck();
    a_.push(ax::eax);
    CallEntry("RuntimeRaiseException", 4);
  }

  // Try: the body runs with the try state set to this Try; every catch clause of the
  // function leads the exception walk to one dispatcher, which picks the clause that
  // belongs to the running Try (or an enclosing one) and otherwise passes the exception on.
  void Try(const Stmt& s) {
    int32_t id = static_cast<int32_t>(tries_.size()) + 1;
    tries_.push_back({currentTry_, {}});
    std::vector<Label> handlers;
    for (const CatchClause& clause : s.catches) {
      Label handler = a_.newLabel();
      handlers.push_back(handler);
      int32_t cls = -1;
      try {
        Type type = ResolveType(clause.type);
        if (type.kind != TypeKind::kObject) Fail(clause.type.pos, "Catch needs a class, not " + TypeText(type));
        cls = type.cls;
      } catch (const Abandon&) {
        continue;
      }
      tries_[id - 1].clauses.push_back(catches_.size());
      catches_.push_back({id, model_.ImageClassIndex(cls), handler});
    }
    int32_t parent = currentTry_;
    a_.mov(Slot(kTryStateSlot), id);
    currentTry_ = id;
    // A Try inside a catch handler catches again: its calls are ordinary call sites.
    int32_t depth = handlerDepth_;
    handlerDepth_ = 0;
    Statements(s.body);
    handlerDepth_ = depth;
    currentTry_ = parent;
    a_.mov(Slot(kTryStateSlot), parent);
    Label end = a_.newLabel();
    a_.jmp(end);
    for (size_t i = 0; i < s.catches.size(); ++i) {
      const CatchClause& clause = s.catches[i];
      a_.bind(handlers[i]);
      size_t scopeMark = scopes_.size();
      Local var;
      var.name = clause.variable;
      auto type = classes_.ParseType(clause.type.name);
      var.type = type ? *type : Type::Object(-1);
      var.slot = AllocSlot(4);
      namedRefs_.push_back({var.slot, 6});
      // The dispatcher left the exception's reference in EAX.
      a_.mov(ax::ecx, Slot(var.slot));
      a_.mov(Slot(var.slot), ax::eax);
      a_.push(ax::ecx);
      CallEntry("RuntimeUnlockObject", 4);
      scopes_.push_back(var);
      ++handlerDepth_;
      Statements(clause.body);
      --handlerDepth_;
      scopes_.resize(scopeMark);
      a_.jmp(end);
    }
    a_.bind(end);
  }

  void CatchDispatcher() {
    // Reached from the exception walk with EBP set to this frame and ESP wherever the walk
    // left it: re-establish ESP first.
    a_.bind(dispatch_);
    Bytes({0x8D, 0xA5});  // lea esp, [ebp + disp32] (the frame's lowest word)
    frameRestores_.push_back(Imm32Placeholder());
    ++handlerDepth_;
    Label rethrow = a_.newLabel();
    std::vector<Label> tryTests(tries_.size() + 1);
    for (Label& l : tryTests) l = a_.newLabel();
    a_.mov(ax::eax, Slot(kTryStateSlot));
    for (size_t id = 1; id <= tries_.size(); ++id) {
      a_.cmp(ax::eax, static_cast<int32_t>(id));
      a_.je(tryTests[id]);
    }
    a_.jmp(rethrow);
    for (size_t id = 1; id <= tries_.size(); ++id) {
      a_.bind(tryTests[id]);
      const TryInfo& info = tries_[id - 1];
      for (size_t c : info.clauses) {
        a_.push(catches_[c].classIndex);
        a_.push(Slot(kCaughtSlot));
        CallEntry("RuntimeObjectIsa", 8);
        Label no = a_.newLabel();
        a_.test(ax::al, ax::al);
        a_.jz(no);
        // Caught: the handler runs in the enclosing Try's state.
        a_.mov(Slot(kTryStateSlot), info.parent);
        a_.mov(ax::eax, Slot(kCaughtSlot));
        a_.mov(Slot(kCaughtSlot), 0);
        a_.jmp(catches_[c].handler);
        a_.bind(no);
      }
      if (info.parent) a_.jmp(tryTests[info.parent]);
      else a_.jmp(rethrow);
    }
    // Nobody here wants it: hand the reference to a temporary (released by the walk) and
    // raise it again; kind 7 keeps the walk from coming back to these clauses.
    a_.bind(rethrow);
    a_.mov(ax::eax, Slot(kCaughtSlot));
    a_.mov(Slot(kCaughtSlot), 0);
    Val held = OwnResult(Type::Object(-1));
    liveTemps_.pop_back();
    (void)held;
    a_.push(ax::eax);
    CallEntry("RuntimeReraiseException", 4);
    --handlerDepth_;
  }

  // ---- Expressions --------------------------------------------------------------------------
  void NilCheck() {
    Label ok = a_.newLabel();
    a_.test(ax::eax, ax::eax);
    a_.jnz(ok);
    CallEntry("RuntimeNilObject", 0);
    a_.bind(ok);
  }

  void NormaliseBool() {
    a_.test(ax::al, ax::al);
    a_.setne(ax::al);
    a_.movzx(ax::eax, ax::al);
  }

  // Pushes v as an argument (Double: two words).
  void PushValue(const Val& v) {
    if (v.type.kind == TypeKind::kDouble) {
      a_.sub(ax::esp, 8);
      a_.fstp(ax::qword_ptr(ax::esp));
    } else {
      a_.push(ax::eax);
    }
  }

  bool Assignable(const Type& from, const Type& to) const {
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
  Val Coerce(Val v, const Type& to, const SourcePos& pos) {
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

  Val Expression(const Expr& e, bool statement = false) {
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
  static bool LooksLikeFunctionEnd(uint32_t value) {
    uint8_t b[4];
    for (int i = 0; i < 4; ++i) b[i] = static_cast<uint8_t>(value >> (8 * i));
    for (int i = 0; i < 3; ++i)
      if ((b[i] == 0xC9 && b[i + 1] == 0xC3) || (b[i] == 0xC3 && b[i + 1] == 0x2F)) return true;
    return false;
  }
  void MovEaxImm(int32_t value) {
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

  Val DoubleLiteral(double value) {
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

  Val StringLiteral(const Expr& e) {
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

  bool InHandler() const {
    return fn_.kind == FunctionKind::kWindowHandler || fn_.kind == FunctionKind::kControlHandler ||
           fn_.kind == FunctionKind::kMenuHandler || fn_.kind == FunctionKind::kClassHandler;
  }

  Val Me(const Expr& e) {
    if (!InHandler()) Fail(e.pos, "Me is only available in a handler");
    a_.mov(ax::eax, Slot(receiverSlot_));
    return Val{Type::Object(fn_.meClass)};
  }

  Val Self(const Expr& e) {
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
  const PropertyModel* OwnField(const std::string& name) const {
    if (fn_.kind != FunctionKind::kClassHandler) return nullptr;
    const PropertyModel* p = classes_.FindProperty(fn_.meClass, name);
    return p && p->fieldOffset >= 0 ? p : nullptr;
  }

  const ControlModel* FindControl(int32_t window, const std::string& name) const {
    if (window < 0) return nullptr;
    for (const ControlModel& c : model_.windows[window].controls)
      if (SameName(c.name, name)) return &c;
    return nullptr;
  }
  bool IsWindowControl(const std::string& name) const { return FindControl(fn_.window, name) != nullptr; }

  // A control of window `window`, whose object is in EAX (borrowed or owned).
  Val ControlOf(const ControlModel& control, const Expr& at, const Expr* index) {
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
    } else {
      a_.push(ax::eax);
      a_.pop(ax::ecx);
      PushData(model_.Literal(bytes));
      a_.push(ax::ecx);
      CallEntry("RuntimeControlReference", 8);
    }
    return OwnResult(Type::Object(cls));
  }

  Val WindowInstance(int32_t window) {
    CallLocal(model_.windows[window].accessor, 0);
    return OwnResult(Type::Object(model_.windows[window].cls));
  }

  Val Name(const Expr& e, bool statement) {
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
      PushData(model_.Literal(*ToWindows1252(e.text)));
      CallEntry("RuntimeMenuReference", 4);
      return OwnResult(Type::Object(classes_.Find("MenuItem")));
    }
    int32_t function = model_.FindFunction(e.text);
    if (function == -2) Fail(e.pos, "'" + e.text + "' is a function of several modules: name its module");
    if (function >= 0) return CallFunction(function, e, {}, statement);
    if (IsBuiltinFunction(e.text)) return BuiltinCall(e.text, e, {}, statement);
    Fail(e.pos, "unknown name '" + e.text + "'");
  }

  // object.name: a property, a control of a window, a method without arguments, or a
  // module function.
  Val Member(const Expr& e, const std::vector<ExprPtr>* args, bool statement) {
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
    Val object = Expression(left);
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

  Val LoadField(const PropertyModel& p) {
    switch (p.type.kind) {
      case TypeKind::kDouble: a_.fld(ax::qword_ptr(ax::eax, p.fieldOffset)); break;
      case TypeKind::kBoolean: a_.movzx(ax::eax, ax::byte_ptr(ax::eax, p.fieldOffset)); break;
      default: a_.mov(ax::eax, ax::dword_ptr(ax::eax, p.fieldOffset)); break;
    }
    return Val{p.type};
  }

  // The result of a call, as the calling convention hands it back.
  Val CallResult(const Type& type) {
    if (type.IsRef()) return OwnResult(type);
    if (type.kind == TypeKind::kBoolean) NormaliseBool();
    return Val{type};
  }

  // Pushes the arguments right to left, converted to the parameter types; returns the bytes.
  int32_t PushArguments(const std::vector<ExprPtr>& args, const std::vector<Type>& params,
                        const SourcePos& pos, const std::string& what) {
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

  Val MethodCall(const MethodModel& m, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
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

  Val CallFunction(int32_t id, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
    const FunctionRecord& f = model_.functions[id];
    std::vector<Type> params;
    for (const NamedType& p : f.params) params.push_back(p.type);
    int32_t bytes = PushArguments(args, params, e.pos, "function " + f.decl->name);
    CallLocal(id, bytes);
    if (f.result.kind == TypeKind::kVoid && !statement) Fail(e.pos, f.decl->name + " is a Sub and has no value");
    return CallResult(f.result);
  }

  Val Call(const Expr& e, bool statement) {
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
    int32_t function = model_.FindFunction(callee.text);
    if (function == -2) Fail(e.pos, "'" + callee.text + "' is a function of several modules: name its module");
    if (function >= 0) return CallFunction(function, callee, e.args, statement);
    if (IsBuiltinFunction(callee.text)) return BuiltinCall(callee.text, callee, e.args, statement);
    Fail(callee.pos, "unknown function '" + callee.text + "'");
  }

  Val New(const Expr& e) {
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

  Val Unary(const Expr& e) {
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

  // ---- Binary operators ---------------------------------------------------------------------
  Val Binary(const Expr& e) {
    const std::string& op = e.text;
    if (op == "&") return Concat(e);
    if (op == "and" || op == "or") return Logical(e);
    if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=") return Compare(e);
    return Arithmetic(e);
  }

  Val ToText(Val v, const SourcePos& pos) {
    if (v.type.kind == TypeKind::kString || v.type.kind == TypeKind::kNil) return Val{Type::Of(TypeKind::kString), v.temp};
    if (!v.type.IsNumeric()) Fail(pos, "cannot join " + TypeText(v.type) + " to a String");
    v = Coerce(v, Type::Of(TypeKind::kDouble), pos);
    a_.sub(ax::esp, 8);
    a_.fstp(ax::qword_ptr(ax::esp));
    CallEntry("StringStr", 8);
    return OwnResult(Type::Of(TypeKind::kString));
  }

  Val Concat(const Expr& e) {
    ToText(Expression(*e.left), e.left->pos);
    a_.push(ax::eax);
    ToText(Expression(*e.right), e.right->pos);
    a_.pop(ax::ecx);
    a_.push(ax::eax);
    a_.push(ax::ecx);
    CallEntry("RuntimeAddString", 8);
    return OwnResult(Type::Of(TypeKind::kString));
  }

  Val Logical(const Expr& e) {
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

  bool IsNumber(const Type& t) const { return t.IsNumeric(); }

  // Saves the left operand (EAX, or ST0 for a Double) on the stack; returns its size.
  int32_t SaveLeft(const Val& l) {
    PushValue(l);
    return l.type.kind == TypeKind::kDouble ? 8 : 4;
  }

  // With the left number saved on the stack and the right one in EAX/ST0: leaves
  // ST0 = left and ST1 = right as Doubles, the stack cleaned.
  void LoadDoublePair(const Val& l, const Val& r, const SourcePos& rightPos) {
    if (r.type.kind != TypeKind::kDouble) Coerce(r, Type::Of(TypeKind::kDouble), rightPos);
    if (l.type.kind == TypeKind::kDouble) {
      a_.fld(ax::qword_ptr(ax::esp));
      a_.add(ax::esp, 8);
    } else {
      a_.fild(ax::dword_ptr(ax::esp));
      a_.add(ax::esp, 4);
    }
  }

  Val Arithmetic(const Expr& e) {
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

  static std::string OpName(const std::string& op) { return op == "mod" ? "Mod" : op; }

  // EAX \ ECX or EAX Mod ECX. Division by 0 gives 0, and so does anything Mod -1; dividing
  // by -1 negates (the most negative Integer stays as it is) instead of faulting.
  void IntegerDivide(bool remainder) {
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

  Val Compare(const Expr& e) {
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
  void SetSigned(const std::string& op) {
    a_.mov(ax::eax, 0);
    if (op == "=") a_.sete(ax::al);
    else if (op == "<>") a_.setne(ax::al);
    else if (op == "<") a_.setl(ax::al);
    else if (op == ">") a_.setg(ax::al);
    else if (op == "<=") a_.setle(ax::al);
    else a_.setge(ax::al);
  }

  // ---- Built-in functions -------------------------------------------------------------------
  struct Builtin {
    const char* name;
    const char* entry;
    std::vector<TypeKind> params;
    TypeKind result;
  };
  static const std::vector<Builtin>& Builtins() {
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
  static bool IsBuiltinFunction(const std::string& name) {
    for (const Builtin& b : Builtins())
      if (SameName(b.name, name)) return true;
    return false;
  }

  Val BuiltinCall(const std::string& name, const Expr& e, const std::vector<ExprPtr>& args, bool statement) {
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

  ProgramModel& model_;
  const ClassTable& classes_;
  FunctionRecord& fn_;
  CodeHolder code_;
  ax::Assembler a_;
  FunctionCode out_;

  std::vector<Local> scopes_;
  int32_t receiverSlot_ = 0;
  int32_t frameSize_ = kReservedFrame;
  uint32_t frameSizeAt_ = 0;
  uint32_t frameWordsAt_ = 0;
  std::vector<uint32_t> frameRestores_;
  std::vector<std::pair<uint32_t, Label>> catchFields_;

  std::vector<std::pair<int32_t, uint8_t>> temps_;      // every temporary slot and its kind
  std::vector<std::pair<int32_t, uint8_t>> liveTemps_;  // temporaries of the statement in progress
  std::vector<std::pair<int32_t, uint8_t>> freeTemps_;
  std::vector<std::pair<int32_t, uint8_t>> namedRefs_;  // variables holding references
  std::vector<std::pair<int32_t, std::string>> arrays_; // array variables and their disposal

  std::vector<CatchInfo> catches_;
  std::vector<TryInfo> tries_;
  int32_t currentTry_ = 0;
  int32_t handlerDepth_ = 0;
  Label exit_;
  Label dispatch_;
};

}  // namespace

void GenerateFunction(ProgramModel& model, int32_t id) {
  FunctionCompiler(model, id).Run();
}

}  // namespace amxc
