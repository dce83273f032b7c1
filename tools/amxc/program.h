// The checked program as the code generator sees it: functions with their signatures and
// generated code, windows with their controls, modules, menu item names, string literals
// and the image under construction. Built by compiler.cpp, filled in by codegen.cpp.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/amxc/ast.h"
#include "tools/amxc/classes.h"
#include "tools/amxc/source.h"
#include "tools/imagekit/imagekit.h"

namespace amxc {

struct NamedType {
  std::string name;
  Type type;
};

// Code of one function before it is placed in code1; offsets are from its first byte.
struct FunctionCode {
  imagekit::Bytes bytes;
  std::vector<std::pair<uint32_t, std::string>> entryCalls;       // rel32 operand, entry name
  std::vector<std::pair<uint32_t, imagekit::DataLabel>> dataFixups;  // imm32 holding a data1 address
  std::vector<std::pair<uint32_t, int32_t>> localCalls;           // rel32 operand, function id
};

enum class FunctionKind : uint8_t {
  kModule, kWindowHandler, kControlHandler, kMenuHandler, kClassHandler, kAccessor, kEntry,
  kConstructor, kDestructor, kCreator,
};

struct FunctionRecord {
  std::string qualifiedName;  // lower case, e.g. "fns.pb.action"
  FunctionKind kind = FunctionKind::kModule;
  const FuncDecl* decl = nullptr;  // null for generated functions
  std::vector<NamedType> params;   // declared parameters (after the receiver of handlers)
  Type result;
  int32_t window = -1;        // the enclosing window (handlers), or the accessor's window;
                              // -1 for handlers of the program's own classes
  int32_t meClass = -1;       // class of Me (handlers), or the class a destructor cleans
  bool controlArray = false;  // Me is a member of a control array
  int32_t module = -1;        // the module a module function belongs to
  imagekit::CodeLabel label;
  FunctionCode code;
};

struct ControlModel {
  std::string name;
  std::optional<int32_t> index;
  int32_t cls = -1;           // its runtime or plug-in class
  int32_t handlerClass = -1;  // the anonymous subclass holding its handlers, or -1
  const ControlDecl* decl = nullptr;
};

struct WindowModel {
  std::string name;
  int32_t cls = -1;  // the window's own class in the ClassTable
  imagekit::WindowSlots slots;
  int32_t accessor = -1;  // function id
  int32_t creator = -1;   // function id of the plain creator (a fresh window, not kept)
  std::vector<ControlModel> controls;
  const WindowDecl* decl = nullptr;
};

struct ModuleModel {
  std::string name;
  std::map<std::string, int32_t> functions;  // lower-case name -> function id
};

// The records data1 holds for one window (or for the rest of the program), written together:
// its string literals, then the kind-1 class references it was first to use, then the
// kind-0 classes. Literals are shared within a group only ("NotePlayer1" once per window).
struct RecordGroup {
  std::map<std::string, imagekit::DataLabel> literals;
  std::vector<std::pair<imagekit::DataLabel, std::string>> unwritten;  // literals to write
  std::vector<int32_t> classes;  // ClassTable indexes whose descriptors are still to write
};

struct ProgramModel {
  explicit ProgramModel(Diagnostics& d) : diags(d) {}

  Diagnostics& diags;
  ClassTable classes;
  imagekit::ImageBuilder builder;
  std::vector<FunctionRecord> functions;
  std::vector<WindowModel> windows;
  std::vector<ModuleModel> modules;
  std::map<std::string, bool> menuItems;  // lower-case name -> is an element of an item array
  std::set<std::string> barMenus;         // lower-case names of the menus of the bar itself
  std::set<std::string> madeItems;        // names of the items the runtime makes objects for
  std::map<int32_t, RecordGroup> groups;  // by window index; kProgramGroup for the rest
  int32_t group = kProgramGroup;          // where new literals and class references go
  static constexpr int32_t kProgramGroup = -1;
  // The classes the program's Catch clauses name, none a subclass of another: only
  // exceptions of these classes can ever be caught.
  std::vector<int32_t> caughtClasses;
  // What the entry function needs.
  std::optional<imagekit::DataLabel> pluginList;
  imagekit::DataLabel descriptor;
  int32_t defaultWindow = -1;

  // The literal record of Windows-1252 bytes in the current group, one per text.
  imagekit::DataLabel Literal(const std::string& bytes);
  // The class's index in the image's class table: reserved on first use, its descriptor
  // written with the current group's records.
  int32_t ImageClassIndex(int32_t cls);
  int32_t FindWindow(const std::string& name) const;
  const ModuleModel* FindModule(const std::string& name) const;
  // A module function by name: the function of module `own` (the caller's) first, else the
  // one module function of that name; -1 when none, -2 when several other modules have it.
  int32_t FindFunction(const std::string& name, int32_t own = -1) const;
};

// Generates the code of function `id` into its record; errors go to model.diags.
void GenerateFunction(ProgramModel& model, int32_t id);

}  // namespace amxc
