// Raise, Try and the catch dispatcher: the Try state slot tells the dispatcher which clauses
// apply, and the function table lists each clause for the runtime's exception walk.
// Entry points: FunctionCompiler::Try, FunctionCompiler::CatchDispatcher.
#include "tools/amxc/functioncompiler.h"

namespace amxc {

void FunctionCompiler::Raise(const Stmt& s) {
  Val v = Expression(*s.value);
  // Only exceptions are raised: the clause that disposes of a function's arrays catches every
  // RuntimeException, and the runtime's own raises are all of that family.
  int32_t exception = classes_.Find("RuntimeException");
  if (v.type.kind != TypeKind::kObject || v.type.cls < 0 || !classes_.IsSubclass(v.type.cls, exception))
    Fail(s.value->pos, "Raise needs a RuntimeException, not " + TypeText(v.type));
  NilCheck();
  a_.push(ax::eax);
  CallEntry("RuntimeRaiseException", 4);
}

// Try: the body runs with the try state set to this Try; every catch clause of the
// function leads the exception walk to one dispatcher, which picks the clause that
// belongs to the running Try (or an enclosing one) and otherwise passes the exception on.
void FunctionCompiler::Try(const Stmt& s) {
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

bool FunctionCompiler::DeclaresArray(const Block& block) {
  for (const StmtPtr& s : block) {
    if (s->kind == StmtKind::kDim && s->arrayUpper) return true;
    if (DeclaresArray(s->body)) return true;
    for (const Block& b : s->blocks)
      if (DeclaresArray(b)) return true;
    for (const CaseClause& c : s->cases)
      if (DeclaresArray(c.body)) return true;
    for (const CatchClause& c : s->catches)
      if (DeclaresArray(c.body)) return true;
  }
  return false;
}

// Arrays are not reference-counted, so the exception tables cannot list them: instead
// clauses tied to no Try lead the walk to the dispatcher, which finds no Try of its own
// running, disposes of the arrays and raises again. They name the classes the program's
// Catch clauses name: an exception of any other class is never caught, ends the run and
// leaves nothing behind that needs disposing (and without any Catch there is no clause).
bool FunctionCompiler::AddArrayCleanupClauses() {
  for (int32_t cls : model_.caughtClasses) catches_.push_back({0, model_.ImageClassIndex(cls), a_.newLabel()});
  return !model_.caughtClasses.empty();
}

void FunctionCompiler::DisposeArrays() {
  for (const auto& [slot, entry] : arrays_) {
    a_.push(Slot(slot));
    CallEntry(entry, 4);
    a_.mov(Slot(slot), 0);
  }
}

void FunctionCompiler::CatchDispatcher() {
  // Reached from the exception walk with EBP set to this frame and ESP wherever the walk
  // left it: re-establish ESP first.
  a_.bind(dispatch_);
  Bytes({0x8D, 0xA5});  // lea esp, [ebp + disp32] (the frame's lowest word)
  frameRestores_.push_back(Imm32Placeholder());
  ++handlerDepth_;
  inDispatcher_ = true;
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
  // Nobody here wants it: dispose of the arrays, hand the reference to a temporary
  // (released by the walk) and raise it again; kind 7 keeps the walk from coming back to
  // these clauses.
  a_.bind(rethrow);
  DisposeArrays();
  a_.mov(ax::eax, Slot(kCaughtSlot));
  a_.mov(Slot(kCaughtSlot), 0);
  Val held = OwnResult(Type::Object(-1));
  liveTemps_.pop_back();
  (void)held;
  a_.push(ax::eax);
  CallEntry("RuntimeReraiseException", 4);
  inDispatcher_ = false;
  --handlerDepth_;
}

}  // namespace amxc
