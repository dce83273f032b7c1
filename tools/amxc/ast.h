// The syntax tree of a project: declarations (project settings, menu bar, windows with their
// controls and handlers, modules, classes, plug-in declarations), statements and
// expressions, each with its source position. Built by the parser (parser.h), read by the
// checker and code generator (compiler.h).
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/amxc/source.h"

namespace amxc {

struct TypeName {
  std::string name;  // as written ("Integer", "PushButton")
  SourcePos pos;
};

// ---- Expressions --------------------------------------------------------------------------

enum class ExprKind : uint8_t {
  kInteger, kDouble, kString, kBoolean, kColor, kNil,
  kName,    // a bare name: local, parameter, control, window, menu item, function, class
  kMe, kSelf,
  kMember,  // object.name
  kCall,    // callee(args): a call, an array element or a control-array member
  kUnary,   // op: "-" or "not"
  kBinary,  // op: "+", "-", "*", "/", "\\", "mod", "&", "=", "<>", "<", ">", "<=", ">=", "and", "or"
  kNew,     // New Class
};

struct Expr {
  ExprKind kind;
  SourcePos pos;
  int64_t intValue = 0;
  double doubleValue = 0;
  std::string text;   // string literal (UTF-8), name, member name, operator, class name
  std::unique_ptr<Expr> left;   // member object, callee, unary operand, binary left
  std::unique_ptr<Expr> right;  // binary right
  std::vector<std::unique_ptr<Expr>> args;
  bool parenthesised = false;   // a call written with "(...)" (even empty)
};
using ExprPtr = std::unique_ptr<Expr>;

// ---- Statements ---------------------------------------------------------------------------

enum class StmtKind : uint8_t {
  kDim, kAssign, kCall, kIf, kSelect, kFor, kWhile, kReturn, kExit, kTry, kRaise,
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

struct CaseClause {
  SourcePos pos;
  std::vector<ExprPtr> values;  // empty: Case Else
  Block body;
};

struct CatchClause {
  SourcePos pos;
  std::string variable;
  TypeName type;
  Block body;
};

struct Stmt {
  StmtKind kind;
  SourcePos pos;
  // kDim: name, type, arrayUpper (arrays), value (initialiser)
  std::string name;
  TypeName type;
  std::optional<int32_t> arrayUpper;
  // kAssign: target = value; kCall: value; kReturn/kRaise: value (may be null)
  ExprPtr target;
  ExprPtr value;
  // kIf: conditions[i] guards blocks[i]; a trailing extra block is the Else part.
  std::vector<ExprPtr> conditions;
  std::vector<Block> blocks;
  // kSelect: value, cases; kFor: name (variable), value (from), limit, step; kWhile: value, body
  std::vector<CaseClause> cases;
  ExprPtr limit;
  int32_t step = 1;
  SourcePos namePos;
  Block body;
  // kTry: body, catches
  std::vector<CatchClause> catches;
  // kExit: "sub" or "function"
  std::string exitWhat;
};

// ---- Declarations -------------------------------------------------------------------------

struct Param {
  std::string name;
  TypeName type;
  SourcePos pos;
};

struct FuncDecl {
  std::string name;
  SourcePos pos;
  bool isFunction = false;
  std::vector<Param> params;
  std::optional<TypeName> result;
  Block body;
};

// A design-time property value: a constant expression.
struct PropertyValue {
  std::string name;
  SourcePos pos;
  ExprPtr value;
};

struct ControlDecl {
  std::string name;  // UTF-8; written in double quotes when it is no identifier ("pb-6")
  bool quoted = false;
  SourcePos pos;
  std::optional<int32_t> index;
  TypeName type;
  std::vector<PropertyValue> properties;
  std::vector<FuncDecl> handlers;
};

struct WindowDecl {
  std::string name;
  SourcePos pos;
  std::vector<PropertyValue> properties;
  std::vector<ControlDecl> controls;
  std::vector<FuncDecl> handlers;
};

struct ModuleDecl {
  std::string name;
  SourcePos pos;
  std::vector<FuncDecl> functions;
};

struct FieldDecl {
  std::string name;
  TypeName type;
  SourcePos pos;
};

struct ClassDecl {
  std::string name;
  SourcePos pos;
  TypeName super;
  std::vector<FieldDecl> fields;
  std::vector<FuncDecl> handlers;  // handlers of events the built-in superclasses declare
};

struct MenuDecl {
  enum Kind : uint8_t { kItem, kMenu, kAppleMenu, kSeparator } kind = kItem;
  SourcePos pos;
  std::string name;
  std::string text;  // UTF-8
  SourcePos textPos;
  std::optional<int32_t> index;
  std::string key;
  std::string help;
  std::string disabledHelp;
  std::optional<TypeName> cls;
  std::vector<MenuDecl> children;
};

struct ProjectDecl {
  SourcePos pos;
  std::optional<std::pair<std::string, SourcePos>> caption;
  std::optional<std::pair<std::string, SourcePos>> defaultWindow;
  int32_t flags = 0;
  int32_t reserved1 = 0;
  int32_t reserved2 = 1;
  bool mdi = false;
  std::vector<std::pair<std::vector<std::string>, SourcePos>> documentTypes;  // four texts each
  std::vector<std::pair<int32_t, std::pair<std::string, SourcePos>>> messages;
  struct Plugin {
    std::string fileName;
    std::string written;  // the library's path as the source gives it
    std::string path;     // resolved against the project file's directory
    SourcePos pos;
  };
  std::vector<Plugin> plugins;
};

// A class declared by a plug-in declaration file.
struct PluginPropertyDecl {
  std::string name;
  TypeName type;
  std::string defaultValue;  // design-time text; empty when not given
  SourcePos pos;
};
struct PluginEventDecl {
  std::string name;
  std::vector<Param> params;
  std::optional<TypeName> result;
  SourcePos pos;
};
struct PluginClassDecl {
  std::string name;
  SourcePos pos;
  bool isControl = false;
  TypeName super;
  int32_t instanceSize = 0;
  std::vector<PluginPropertyDecl> properties;
  std::vector<PluginEventDecl> events;
};

struct Program {
  std::vector<ProjectDecl> projects;
  std::vector<MenuDecl> menuBars;  // each a kMenu holding the top-level entries
  std::vector<WindowDecl> windows;
  std::vector<ModuleDecl> modules;
  std::vector<ClassDecl> classes;
  std::vector<PluginClassDecl> pluginClasses;
};

}  // namespace amxc
