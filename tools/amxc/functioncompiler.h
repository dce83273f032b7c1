// The state of one function while the code generator compiles it, shared by the files that
// implement it: codegen.cpp (frame), calls.cpp, statements.cpp, exceptions.cpp,
// expressions.cpp, operators.cpp and builtins.cpp. Private to the code generator.
// Entry point: FunctionCompiler::Run, reached through GenerateFunction.
#pragma once
#include <asmjit/x86.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tools/amxc/program.h"

namespace amxc {

using namespace asmjit;
namespace ax = asmjit::x86;

// Frame words the function reserves below EBP before any variable.
constexpr int32_t kCaughtSlot = -4;   // the exception a catch clause received
constexpr int32_t kTryStateSlot = -8; // the innermost Try whose body is running (0: none)
constexpr int32_t kResultSlot = -16;  // the result on its way out (8 bytes for a Double)
constexpr int32_t kReservedFrame = 16;

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
  FunctionCompiler(ProgramModel& model, int32_t id);
  void Run();

 private:
  struct Abandon {};  // thrown after an error to drop the rest of the statement

  // ---- Frame, generated bodies and scopes (codegen.cpp) -----------------------------------
  [[noreturn]] void Fail(const SourcePos& pos, const std::string& message);
  std::string TypeText(const Type& t) const;
  uint32_t Offset() const;
  void Bytes(std::initializer_list<uint8_t> bytes);
  uint32_t Imm32Placeholder();
  ax::Mem Slot(int32_t offset);
  int32_t AllocSlot(int32_t bytes);
  void Prologue();
  void DeclareParameters();
  void Epilogue();
  static uint8_t Hi(int32_t v);
  static uint8_t Lo(int32_t v);
  void Finish();
  void AccessorBody();
  void CreatorBody();
  void EntryBody();
  void DestructorBody();
  Local* FindLocal(const std::string& name);
  Type ResolveType(const TypeName& name);

  // ---- Entry calls, references and temporaries, calls (calls.cpp) -------------------------
  void SiteTable();
  bool SkipsOwnClauses() const;
  void CallEntry(const std::string& entry, int32_t argBytes);
  void CallLocal(int32_t function, int32_t argBytes);
  void PushData(imagekit::DataLabel label);
  void MovEaxData(imagekit::DataLabel label);
  void MovEaxFromData(imagekit::DataLabel label);
  void PushFromData(imagekit::DataLabel label);
  void Lock(const Type& type);
  void UnlockSlot(int32_t slot, uint8_t kind);
  Val OwnResult(const Type& type);
  void ReleaseTemps(size_t mark, bool keepEax);
  void TakeOwnership(const Val& v);
  Val CallResult(const Type& type);
  int32_t PushArguments(const std::vector<ExprPtr>& args, const std::vector<Type>& params,
                        const SourcePos& pos, const std::string& what);
  Val MethodCall(const MethodModel& m, const Expr& e, const std::vector<ExprPtr>& args, bool statement);
  Val CallFunction(int32_t id, const Expr& e, const std::vector<ExprPtr>& args, bool statement);
  Val Call(const Expr& e, bool statement);

  // ---- Statements (statements.cpp) --------------------------------------------------------
  void Statements(const Block& block);
  void Statement(const Stmt& s);
  void Dim(const Stmt& s);
  size_t scopeStart() const;
  static std::string DisposeEntry(const Type& element);
  static std::string ArrayFamily(TypeKind element);
  void StoreLocal(const Local& local, const Val& v);
  void Assign(const Stmt& s);
  void AssignElement(const Local& array, const Expr& target, const Expr& value);
  void AssignMember(const Expr& target, const Expr& valueExpr);
  bool DirectByteSetter(int32_t owner, const PropertyModel& p) const;
  void StoreField(const PropertyModel& p, const Val& v);
  void CallStatement(const Stmt& s);
  void ConditionJumpFalse(const Expr& cond, Label target);
  void If(const Stmt& s);
  void Select(const Stmt& s);
  void For(const Stmt& s);
  void While(const Stmt& s);
  void Return(const Stmt& s);
  void Exit(const Stmt& s);

  // ---- Raise, Try and the catch dispatcher (exceptions.cpp) -------------------------------
  void Raise(const Stmt& s);
  void Try(const Stmt& s);
  static bool DeclaresArray(const Block& block);
  bool AddArrayCleanupClauses();
  void CatchDispatcher();
  void DisposeArrays();

  // ---- Expressions and conversions (expressions.cpp) --------------------------------------
  void NilCheck();
  void NormaliseBool();
  void PushValue(const Val& v);
  bool Assignable(const Type& from, const Type& to) const;
  Val Coerce(Val v, const Type& to, const SourcePos& pos);
  Val Expression(const Expr& e, bool statement = false);
  static bool LooksLikeFunctionEnd(uint32_t value);
  void MovEaxImm(int32_t value);
  Val DoubleLiteral(double value);
  Val StringLiteral(const Expr& e);
  bool InHandler() const;
  Val Me(const Expr& e);
  Val Self(const Expr& e);
  const PropertyModel* OwnField(const std::string& name) const;
  const ControlModel* FindControl(int32_t window, const std::string& name) const;
  bool IsWindowControl(const std::string& name) const;
  Val ControlOf(const ControlModel& control, const Expr& at, const Expr* index);
  bool RunsNoProgramCode(const Expr& e);
  Val WindowInstance(int32_t window);
  Val Name(const Expr& e, bool statement);
  Val Member(const Expr& e, const std::vector<ExprPtr>* args, bool statement);
  Val LoadField(const PropertyModel& p);
  Val New(const Expr& e);
  Val Unary(const Expr& e);

  // ---- Binary operators (operators.cpp) ---------------------------------------------------
  Val Binary(const Expr& e);
  Val ToText(Val v, const SourcePos& pos);
  Val Concat(const Expr& e);
  Val Logical(const Expr& e);
  bool IsNumber(const Type& t) const;
  int32_t SaveLeft(const Val& l);
  void LoadDoublePair(const Val& l, const Val& r, const SourcePos& rightPos);
  Val Arithmetic(const Expr& e);
  static std::string OpName(const std::string& op);
  void IntegerDivide(bool remainder);
  Val Compare(const Expr& e);
  void SetSigned(const std::string& op);

  // ---- Built-in functions (builtins.cpp) --------------------------------------------------
  struct Builtin {
    const char* name;
    const char* entry;
    std::vector<TypeKind> params;
    TypeKind result;
  };
  static const std::vector<Builtin>& Builtins();
  static bool IsBuiltinFunction(const std::string& name);
  Val BuiltinCall(const std::string& name, const Expr& e, const std::vector<ExprPtr>& args, bool statement);

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
  // The function holds array variables and clauses that bring every exception that can be
  // caught to the dispatcher, which disposes of the arrays before passing it on.
  bool holdsArrays_ = false;
  int32_t loopDepth_ = 0;  // a Dim inside a loop may run again
  const Expr* borrowFor_ = nullptr;  // the control expression that may be looked up borrowed
  bool inDispatcher_ = false;
  Label exit_;
  Label dispatch_;
};

}  // namespace amxc
