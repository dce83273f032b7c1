// The code generator: checks one function's statements and expressions and encodes them as
// 32-bit x86 with asmjit, in the frame layout the runtime's exception walk reads:
//   push ebp; mov ebp, esp; sub esp, N; zero every local word; call RuntimeStackCheck
//   ... body ... exit: release every reference local; load the result; leave; ret; 0x2F; table
// This file holds the frame, the generated bodies and the scopes. Entry point: GenerateFunction.
#include <cstdint>

#include "tools/amxc/functioncompiler.h"

namespace amxc {

FunctionCompiler::FunctionCompiler(ProgramModel& model, int32_t id)
    : model_(model), classes_(model.classes), fn_(model.functions[id]), a_(&code_) {
  code_.init(Environment(Arch::kX86));
  code_.attach(&a_);
}

void FunctionCompiler::Run() {
  exit_ = a_.newLabel();
  dispatch_ = a_.newLabel();
  Prologue();
  DeclareParameters();
  holdsArrays_ = fn_.decl && DeclaresArray(fn_.decl->body) && AddArrayCleanupClauses();
  switch (fn_.kind) {
    case FunctionKind::kAccessor: AccessorBody(); break;
    case FunctionKind::kCreator: CreatorBody(); break;
    case FunctionKind::kEntry: EntryBody(); break;
    case FunctionKind::kConstructor: break;
    case FunctionKind::kDestructor: DestructorBody(); break;
    default: Statements(fn_.decl->body); break;
  }
  if (!catches_.empty()) {
    a_.jmp(exit_);  // a body that runs to its end must not fall into the dispatcher
    CatchDispatcher();
  }
  Epilogue();
  Finish();
}

void FunctionCompiler::Fail(const SourcePos& pos, const std::string& message) {
  model_.diags.Error(pos, message);
  throw Abandon{};
}

std::string FunctionCompiler::TypeText(const Type& t) const { return classes_.TypeName(t); }

uint32_t FunctionCompiler::Offset() const { return static_cast<uint32_t>(a_.offset()); }

void FunctionCompiler::Bytes(std::initializer_list<uint8_t> bytes) {
  for (uint8_t b : bytes) a_.embedUInt8(b);
}

uint32_t FunctionCompiler::Imm32Placeholder() {
  uint32_t at = Offset();
  a_.embedUInt32(0);
  return at;
}

ax::Mem FunctionCompiler::Slot(int32_t offset) { return ax::dword_ptr(ax::ebp, offset); }

int32_t FunctionCompiler::AllocSlot(int32_t bytes) {
  frameSize_ += bytes;
  return -frameSize_;
}

void FunctionCompiler::Prologue() {
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
void FunctionCompiler::DeclareParameters() {
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

void FunctionCompiler::Epilogue() {
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

uint8_t FunctionCompiler::Hi(int32_t v) { return static_cast<uint8_t>((v >> 8) & 0xFF); }

uint8_t FunctionCompiler::Lo(int32_t v) { return static_cast<uint8_t>(v & 0xFF); }

void FunctionCompiler::Finish() {
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

void FunctionCompiler::AccessorBody() {
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

// A fresh instance of the window, kept nowhere: the caller owns the only reference.
void FunctionCompiler::CreatorBody() {
  const WindowModel& window = model_.windows[fn_.window];
  a_.push(0);
  PushFromData(window.slots.recordPointer);
  CallEntry("RuntimeCreateWindow", 8);
  a_.mov(Slot(kResultSlot), ax::eax);
}

// The image's entry function: install the plug-ins, initialise the runtime with the
// application descriptor, open the default window and let go of it, run, return.
void FunctionCompiler::EntryBody() {
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

void FunctionCompiler::DestructorBody() {
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

Local* FunctionCompiler::FindLocal(const std::string& name) {
  for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it)
    if (SameName(it->name, name)) return &*it;
  return nullptr;
}

Type FunctionCompiler::ResolveType(const TypeName& name) {
  auto type = classes_.ParseType(name.name);
  if (!type) Fail(name.pos, "unknown type '" + name.name + "'");
  return *type;
}

void GenerateFunction(ProgramModel& model, int32_t id) {
  FunctionCompiler(model, id).Run();
}

}  // namespace amxc
