// The compiler driver: checks the declarations of a parsed project (plug-in classes, classes,
// windows and controls, menus, modules, handlers), lays out the image's data records through
// the image kit, has every function generated (codegen.cpp) and places the code in code1.
// Entry points: CompileProject, CompileSource.
#include "tools/amxc/compiler.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "tools/amxc/encoding.h"
#include "tools/amxc/lexer.h"
#include "tools/amxc/parser.h"
#include "tools/amxc/program.h"

namespace amxc {

namespace fs = std::filesystem;

// ---- ProgramModel helpers ---------------------------------------------------------------------

imagekit::DataLabel ProgramModel::Literal(const std::string& bytes) {
  RecordGroup& g = groups[group];
  auto it = g.literals.find(bytes);
  if (it != g.literals.end()) return it->second;
  imagekit::DataLabel label = builder.NewDataLabel();
  g.literals.emplace(bytes, label);
  g.unwritten.push_back({label, bytes});
  return label;
}

int32_t ProgramModel::ImageClassIndex(int32_t cls) {
  ClassModel& model = classes.At(cls);
  if (model.imageIndex < 0) {
    model.imageIndex = static_cast<int32_t>(builder.ReserveClass());
    groups[group].classes.push_back(cls);
  }
  return model.imageIndex;
}

int32_t ProgramModel::FindWindow(const std::string& name) const {
  for (size_t i = 0; i < windows.size(); ++i)
    if (SameName(windows[i].name, name)) return static_cast<int32_t>(i);
  return -1;
}

const ModuleModel* ProgramModel::FindModule(const std::string& name) const {
  for (const ModuleModel& m : modules)
    if (SameName(m.name, name)) return &m;
  return nullptr;
}

int32_t ProgramModel::FindFunction(const std::string& name, int32_t own) const {
  if (own >= 0) {
    auto it = modules[own].functions.find(Lower(name));
    if (it != modules[own].functions.end()) return it->second;
  }
  int32_t found = -1;
  for (const ModuleModel& m : modules) {
    auto it = m.functions.find(Lower(name));
    if (it == m.functions.end()) continue;
    if (found >= 0) return -2;
    found = it->second;
  }
  return found;
}

namespace {

constexpr const char* kDefaultUnhandledMessage =
    "Un'eccezione della classe %1 non è stata gestita.\rL'applicazione verrà chiusa.";

class Driver {
 public:
  Driver(Program& program, Diagnostics& diags, const CompileOptions& options)
      : program_(program), diags_(diags), options_(options), model_(diags) {}

  bool Run(CompiledImage& out) {
    // Syntax errors found earlier do not stop the checks: every error is reported in one run.
    size_t before = diags_.Count();
    DeclarePluginClasses();
    DeclareClasses();
    DeclareMenus();
    DeclareWindows();
    DeclareModules();
    CheckNameClashes();
    if (diags_.Count() > before) return false;
    ChooseDefaultWindow();
    CollectCaughtClasses();
    if (diags_.Count() > before) return false;
    WriteImage();
    if (diags_.HasErrors()) return false;
    PlaceCode(out);
    model_.builder.AlignData(4);
    model_.builder.BindData(model_.descriptor);
    model_.builder.AddApplicationDescriptor();
    model_.builder.SetApplicationDescriptor(model_.descriptor);
    model_.builder.SetEntryFunction(model_.functions[entry_].label);
    try {
      out.image = model_.builder.Finish();
    } catch (const imagekit::ImageError& e) {
      diags_.Error(std::string("internal error while writing the image: ") + e.what());
      return false;
    }
    for (int32_t i = 0; i < model_.classes.Size(); ++i) {
      const ClassModel& cls = model_.classes.At(i);
      if (cls.imageIndex >= 0 && !cls.name.empty()) out.classIndexes[Lower(cls.name)] = cls.imageIndex;
    }
    return true;
  }

 private:
  // ---- Types ------------------------------------------------------------------------------
  std::optional<Type> ResolveType(const TypeName& name) {
    auto type = model_.classes.ParseType(name.name);
    if (!type) diags_.Error(name.pos, "unknown type '" + name.name + "'");
    return type;
  }

  int32_t RequireClass(const TypeName& name, const char* what) {
    int32_t cls = model_.classes.Find(name.name);
    if (cls < 0) diags_.Error(name.pos, std::string("unknown ") + what + " '" + name.name + "'");
    return cls;
  }

  // ---- Plug-in classes ----------------------------------------------------------------------
  void DeclarePluginClasses() {
    for (const PluginClassDecl& decl : program_.pluginClasses) {
      if (model_.classes.Find(decl.name) >= 0) {
        diags_.Error(decl.pos, "class '" + decl.name + "' is already declared");
        continue;
      }
      int32_t super = RequireClass(decl.super, "class");
      ClassModel cls;
      cls.name = decl.name;
      cls.super = super;
      cls.origin = ClassOrigin::kPlugin;
      cls.pluginControl = decl.isControl;
      cls.instanceSize = decl.instanceSize;
      if (super >= 0 && decl.instanceSize < model_.classes.At(super).instanceSize)
        diags_.Error(decl.pos, "instance size " + std::to_string(decl.instanceSize) + " is smaller than " +
                                   decl.super.name + "'s " + std::to_string(model_.classes.At(super).instanceSize));
      if (decl.isControl) cls.design = CommonDesign();
      for (const PluginPropertyDecl& p : decl.properties) {
        auto type = ResolveType(p.type);
        if (!type) continue;
        PropertyModel property;
        property.name = p.name;
        property.type = *type;
        // Plug-in members are reached through deferred links, resolved once the plug-in runs.
        property.getter = "!G" + decl.name + "!" + p.name;
        property.setter = "!S" + decl.name + "!" + p.name;
        cls.properties.push_back(property);
        if (decl.isControl) {
          std::string kind = type->kind == TypeKind::kBoolean ? "Boolean"
                             : type->kind == TypeKind::kString ? "String"
                             : type->kind == TypeKind::kColor  ? "Color"
                             : type->kind == TypeKind::kObject ? "Picture"
                                                               : "Integer";
          std::string value = p.defaultValue;
          if (value.empty() && kind == "Boolean") value = "False";
          if (value.empty() && kind != "String") value = "0";
          cls.design.push_back({p.name, kind, value});
        }
      }
      for (const PluginEventDecl& e : decl.events) {
        EventModel event;
        event.name = e.name;
        for (const Param& p : e.params) {
          event.paramNames.push_back(p.name);
          event.params.push_back(ResolveType(p.type).value_or(Type::Object(-1)));
        }
        if (e.result) event.result = ResolveType(*e.result).value_or(Type{});
        cls.events.push_back(std::move(event));
      }
      model_.classes.Add(std::move(cls));
    }
  }

  // The design-time properties every control of a window carries, up to its font style.
  std::vector<DesignProperty> CommonDesign() const {
    std::vector<DesignProperty> common;
    const auto* text = model_.classes.FindDesign(model_.classes.Find("StaticText"));
    if (!text) return common;
    for (const DesignProperty& p : *text) {
      common.push_back(p);
      if (SameName(p.name, "Underline")) break;
    }
    return common;
  }

  // ---- Classes of the program ---------------------------------------------------------------
  // Classes are entered before their fields are read, so that fields may name any class.
  void DeclareClasses() {
    std::vector<std::pair<const ClassDecl*, int32_t>> declared;
    for (const ClassDecl& decl : program_.classes) {
      if (model_.classes.Find(decl.name) >= 0) {
        diags_.Error(decl.pos, "class '" + decl.name + "' is already declared");
        continue;
      }
      ClassModel cls;
      cls.name = decl.name;
      cls.origin = ClassOrigin::kUser;
      declared.push_back({&decl, model_.classes.Add(std::move(cls))});
    }
    for (const auto& [decl, index] : declared) classDecls_[index] = decl;
    for (const auto& [decl, index] : declared) DeclareClassBody(*decl, index);
  }

  // A superclass of the program is laid out before its subclasses (their fields follow its).
  void DeclareClassBody(const ClassDecl& decl, int32_t index) {
    if (!classesDone_.insert(index).second) return;
    {
      int32_t super = RequireClass(decl.super, "class");
      if (super < 0) return;
      auto superDecl = classDecls_.find(super);
      if (superDecl != classDecls_.end() && super != index) DeclareClassBody(*superDecl->second, super);
      for (int32_t c = super; c >= 0; c = model_.classes.At(c).super) {
        if (c == index) {
          diags_.Error(decl.super.pos, "class '" + decl.name + "' inherits itself");
          return;
        }
      }
      const ClassModel& superModel = model_.classes.At(super);
      if (superModel.pluginControl || model_.classes.FindDesign(super) ||
          superModel.origin == ClassOrigin::kWindow) {
        diags_.Error(decl.super.pos, "a class cannot inherit " + superModel.name + "; declare a Window or Control instead");
        return;
      }
      ClassModel& cls = model_.classes.At(index);
      cls.super = super;
      int32_t size = superModel.instanceSize;
      bool needsDestructor = false;
      for (const FieldDecl& field : decl.fields) {
        auto type = ResolveType(field.type);
        if (!type) continue;
        if (model_.classes.FindProperty(super, field.name)) {
          diags_.Error(field.pos, "field '" + field.name + "' hides a property of " + superModel.name);
          continue;
        }
        bool duplicate = false;
        for (const PropertyModel& p : cls.properties) duplicate = duplicate || SameName(p.name, field.name);
        if (duplicate) {
          diags_.Error(field.pos, "field '" + field.name + "' is declared twice");
          continue;
        }
        int32_t bytes = type->kind == TypeKind::kDouble ? 8 : 4;
        size = (size + bytes - 1) / bytes * bytes;
        PropertyModel property;
        property.name = field.name;
        property.type = *type;
        property.fieldOffset = size;
        size += bytes;
        needsDestructor = needsDestructor || type->IsRef();
        cls.properties.push_back(property);
      }
      cls.instanceSize = size;
      userClasses_.push_back(index);
      if (needsDestructor) {
        destructors_[index] = AddFunction(Lower(decl.name) + ".destructor", FunctionKind::kDestructor);
        model_.functions[destructors_[index]].meClass = index;
        constructors_[index] = AddFunction(Lower(decl.name) + ".constructor", FunctionKind::kConstructor);
      }
      DeclareClassHandlers(decl, index);
    }
  }

  // Handlers of a class of the program: each handles an event that a built-in or plug-in
  // superclass declares, and goes into the class's own event-handler list, called as
  // handler(object, parameters...).
  void DeclareClassHandlers(const ClassDecl& decl, int32_t index) {
    std::set<std::string> seen;
    for (const FuncDecl& handler : decl.handlers) {
      if (!seen.insert(Lower(handler.name)).second) {
        diags_.Error(handler.pos, "class " + decl.name + " already has a " + handler.name + " handler");
        continue;
      }
      const EventModel* event = model_.classes.FindEvent(index, handler.name);
      if (!event) {
        diags_.Error(handler.pos, "class " + decl.name + " has no event '" + handler.name + "'");
        continue;
      }
      if (const ClassModel* handling = SuperclassHandling(index, event->name)) {
        diags_.Error(handler.pos, "class " + handling->name + " already handles " + event->name +
                                      ", and the runtime runs the handler nearest the event's class");
        continue;
      }
      if (!CheckHandlerShape(handler, *event)) continue;
      int32_t id = AddFunction(Lower(decl.name + "." + handler.name), FunctionKind::kClassHandler);
      FunctionRecord& f = model_.functions[id];
      f.decl = &handler;
      f.meClass = index;
      f.result = event->result;
      SetParams(f, handler);
      handlerDefs_[index].push_back({event->name, f.label, 0});
    }
  }

  // The superclass of the program that already handles the event, or nil. The runtime's
  // lookup takes the handler nearest the class that declares the event, so a second handler
  // further down would never run.
  const ClassModel* SuperclassHandling(int32_t index, const std::string& event) {
    for (int32_t c = model_.classes.At(index).super; c >= 0 && model_.classes.At(c).origin == ClassOrigin::kUser;
         c = model_.classes.At(c).super) {
      for (const imagekit::EventHandlerDef& def : handlerDefs_[c])
        if (SameName(def.event, event)) return &model_.classes.At(c);
    }
    return nullptr;
  }

  int32_t AddFunction(const std::string& name, FunctionKind kind) {
    FunctionRecord f;
    f.qualifiedName = name;
    f.kind = kind;
    f.label = model_.builder.NewCodeLabel();
    model_.functions.push_back(std::move(f));
    return static_cast<int32_t>(model_.functions.size() - 1);
  }

  // ---- Menus --------------------------------------------------------------------------------
  void DeclareMenus() {
    if (program_.menuBars.size() > 1) diags_.Error(program_.menuBars[1].pos, "the project has more than one MenuBar");
    if (program_.menuBars.empty()) return;
    CollectMenuItems(program_.menuBars[0], true, false);
  }

  // Items and submenus become menu item objects; the menus of the bar itself do not, nor
  // anything in the application menu.
  void CollectMenuItems(const MenuDecl& menu, bool bar, bool apple) {
    for (const MenuDecl& entry : menu.children) {
      if (bar && (entry.kind == MenuDecl::kMenu || entry.kind == MenuDecl::kAppleMenu) && !entry.name.empty())
        model_.barMenus.insert(Lower(entry.name));
      if (entry.kind == MenuDecl::kItem || (!bar && entry.kind == MenuDecl::kMenu && !entry.name.empty())) {
        if (!apple) model_.madeItems.insert(Lower(entry.name));
        // A name may stand more than once (an item of the application menu repeated in an
        // ordinary menu, where the runtime makes it): one menu handler serves them all, so
        // they must agree on being elements of a menu item array or not.
        auto [it, fresh] = model_.menuItems.emplace(Lower(entry.name), entry.index.has_value());
        if (!fresh && entry.index.has_value() != it->second)
          diags_.Error(entry.pos, "menu item '" + entry.name + "' is declared both with and without an index");
      }
      if (entry.cls) {
        int32_t cls = RequireClass(*entry.cls, "menu item class");
        int32_t menuItem = model_.classes.Find("MenuItem");
        if (cls >= 0 && !model_.classes.IsSubclass(cls, menuItem))
          diags_.Error(entry.cls->pos, "'" + entry.cls->name + "' is not a MenuItem class");
      }
      CollectMenuItems(entry, false, apple || entry.kind == MenuDecl::kAppleMenu);
    }
  }

  // ---- Windows and controls -----------------------------------------------------------------
  void DeclareWindows() {
    int32_t windowClass = model_.classes.Find("Window");
    for (const WindowDecl& decl : program_.windows) {
      if (model_.FindWindow(decl.name) >= 0 || model_.classes.Find(decl.name) >= 0) {
        diags_.Error(decl.pos, "'" + decl.name + "' is already declared");
        continue;
      }
      ClassModel cls;
      cls.name = decl.name;
      cls.super = windowClass;
      cls.origin = ClassOrigin::kWindow;
      cls.instanceSize = model_.classes.At(windowClass).instanceSize;
      WindowModel window;
      window.name = decl.name;
      window.cls = model_.classes.Add(std::move(cls));
      window.decl = &decl;
      model_.windows.push_back(std::move(window));
    }
    // Controls and handlers once every window is known (handlers may name other windows).
    for (size_t w = 0; w < model_.windows.size(); ++w) {
      DeclareControls(static_cast<int32_t>(w));
      DeclareWindowHandlers(static_cast<int32_t>(w));
      WindowModel& window = model_.windows[w];
      window.accessor = AddFunction(Lower(window.name) + ".accessor", FunctionKind::kAccessor);
      model_.functions[window.accessor].window = static_cast<int32_t>(w);
      model_.functions[window.accessor].result = Type::Object(window.cls);
      window.creator = AddFunction(Lower(window.name) + ".creator", FunctionKind::kCreator);
      model_.functions[window.creator].window = static_cast<int32_t>(w);
      model_.functions[window.creator].result = Type::Object(window.cls);
    }
  }

  void DeclareControls(int32_t w) {
    WindowModel& window = model_.windows[w];
    std::map<std::string, size_t> firstOfName;
    for (const ControlDecl& decl : window.decl->controls) {
      if (decl.quoted && !CheckQuotedControlName(decl)) continue;
      int32_t cls = RequireClass(decl.type, "control class");
      if (cls < 0) continue;
      if (!model_.classes.FindDesign(cls)) {
        diags_.Error(decl.type.pos, "'" + decl.type.name + "' is not a control class");
        continue;
      }
      auto first = firstOfName.find(Lower(decl.name));
      if (first != firstOfName.end()) {
        const ControlModel& other = window.controls[first->second];
        if (!decl.index || !other.index) {
          diags_.Error(decl.pos, "control '" + decl.name + "' is declared twice in window " + window.name);
          continue;
        }
        if (other.cls != cls) {
          diags_.Error(decl.type.pos, "members of control array '" + decl.name + "' must share one class");
          continue;
        }
        for (const ControlModel& c : window.controls)
          if (SameName(c.name, decl.name) && c.index == decl.index)
            diags_.Error(decl.pos, "control array '" + decl.name + "' already has a member " + std::to_string(*decl.index));
      } else {
        firstOfName[Lower(decl.name)] = window.controls.size();
      }
      ControlModel control;
      control.name = decl.name;
      control.index = decl.index;
      control.cls = cls;
      control.decl = &decl;
      window.controls.push_back(control);
    }
    // Handlers: one anonymous subclass per control name, shared by an array's members.
    std::map<std::string, int32_t> handlerClass;
    std::map<std::string, std::set<std::string>> handled;
    for (ControlModel& control : window.controls) {
      const ControlDecl& decl = *control.decl;
      std::string key = Lower(control.name);
      if (!decl.handlers.empty() && !handlerClass.count(key)) {
        ClassModel sub;
        sub.super = control.cls;
        sub.origin = ClassOrigin::kControlHandlers;
        sub.instanceSize = model_.classes.At(control.cls).instanceSize;
        handlerClass[key] = model_.classes.Add(std::move(sub));
      }
      for (const FuncDecl& handler : decl.handlers) {
        if (!handled[key].insert(Lower(handler.name)).second) {
          diags_.Error(handler.pos, "control '" + control.name + "' already has a " + handler.name + " handler");
          continue;
        }
        const EventModel* event = model_.classes.FindEvent(control.cls, handler.name);
        if (!event) {
          diags_.Error(handler.pos, model_.classes.At(control.cls).name + " has no event '" + handler.name + "'");
          continue;
        }
        if (!CheckHandlerShape(handler, *event)) continue;
        int32_t id = AddFunction(Lower(window.name + "." + control.name + "." + handler.name),
                                 FunctionKind::kControlHandler);
        FunctionRecord& f = model_.functions[id];
        f.decl = &handler;
        f.window = w;
        f.meClass = handlerClass[key];
        f.controlArray = control.index.has_value();
        f.result = event->result;
        SetParams(f, handler);
        handlerDefs_[handlerClass[key]].push_back({event->name, f.label, 0});
      }
    }
    for (ControlModel& control : window.controls) {
      auto it = handlerClass.find(Lower(control.name));
      if (it != handlerClass.end()) control.handlerClass = it->second;
    }
  }

  // A quoted control name goes into the description record and the window's control keys
  // as it stands: it must be a Windows-1252 text that cannot be taken for a key of an array
  // member ("name$index") or of a clone ("name*number").
  bool CheckQuotedControlName(const ControlDecl& decl) {
    std::string bad;
    auto bytes = ToWindows1252(decl.name, &bad);
    std::string problem;
    if (decl.name.empty()) problem = "a control name cannot be empty";
    else if (!bytes) problem = "control name holds a character with no Windows-1252 byte (" + bad + ")";
    else if (bytes->size() > 255) problem = "a control name is at most 255 bytes long";
    else if (bytes->find_first_of("$*") != std::string::npos) problem = "a control name cannot hold '$' or '*'";
    else if (std::any_of(bytes->begin(), bytes->end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
      problem = "a control name cannot hold control characters";
    if (problem.empty()) return true;
    diags_.Error(decl.pos, problem);
    return false;
  }

  // A handler's parameters and result must be those of its event.
  bool CheckHandlerShape(const FuncDecl& handler, const EventModel& event) {
    bool wantsResult = event.result.kind != TypeKind::kVoid;
    if (wantsResult != handler.isFunction) {
      diags_.Error(handler.pos, "the " + event.name + " handler must be a " +
                                    (wantsResult ? "Function returning " + model_.classes.TypeName(event.result)
                                                 : std::string("Sub")));
      return false;
    }
    if (wantsResult && handler.result) {
      auto type = ResolveType(*handler.result);
      if (type && type->kind != event.result.kind) {
        diags_.Error(handler.result->pos, "the " + event.name + " handler must return " +
                                              model_.classes.TypeName(event.result));
        return false;
      }
    }
    if (handler.params.size() != event.params.size()) {
      diags_.Error(handler.pos, "the " + event.name + " handler takes " + std::to_string(event.params.size()) +
                                    " parameter" + (event.params.size() == 1 ? "" : "s"));
      return false;
    }
    for (size_t i = 0; i < handler.params.size(); ++i) {
      auto type = ResolveType(handler.params[i].type);
      if (!type) return false;
      const Type& want = event.params[i];
      bool same = type->kind == want.kind && (want.kind != TypeKind::kObject || want.cls < 0 || type->cls == want.cls);
      if (!same) {
        diags_.Error(handler.params[i].type.pos, "parameter " + handler.params[i].name + " of the " + event.name +
                                                     " handler must be " + model_.classes.TypeName(want));
        return false;
      }
    }
    return true;
  }

  void SetParams(FunctionRecord& f, const FuncDecl& decl) {
    std::set<std::string> seen;
    for (const Param& p : decl.params) {
      if (!seen.insert(Lower(p.name)).second) diags_.Error(p.pos, "parameter '" + p.name + "' is declared twice");
      auto type = ResolveType(p.type);
      f.params.push_back({p.name, type.value_or(Type::Of(TypeKind::kInteger))});
    }
  }

  void DeclareWindowHandlers(int32_t w) {
    WindowModel& window = model_.windows[w];
    int32_t windowClass = model_.classes.Find("Window");
    std::set<std::string> seen;
    for (const FuncDecl& handler : window.decl->handlers) {
      if (!seen.insert(Lower(handler.name)).second) {
        diags_.Error(handler.pos, "window " + window.name + " already has a " + handler.name + " handler");
        continue;
      }
      const EventModel* event = model_.classes.FindEvent(windowClass, handler.name);
      auto item = model_.menuItems.find(Lower(handler.name));
      if (event) {
        if (!CheckHandlerShape(handler, *event)) continue;
        int32_t id = AddFunction(Lower(window.name + "." + handler.name), FunctionKind::kWindowHandler);
        FunctionRecord& f = model_.functions[id];
        f.decl = &handler;
        f.window = w;
        f.meClass = window.cls;
        f.result = event->result;
        SetParams(f, handler);
        handlerDefs_[window.cls].push_back({event->name, f.label, 0});
      } else if (item != model_.menuItems.end()) {
        bool indexed = item->second;
        bool shapeOk = handler.isFunction && handler.result && SameName(handler.result->name, "Boolean") &&
                       handler.params.size() == (indexed ? 1u : 0u) &&
                       (!indexed || SameName(handler.params[0].type.name, "Integer"));
        if (!shapeOk) {
          diags_.Error(handler.pos, "the menu handler " + handler.name + " must be a Function " + handler.name +
                                        (indexed ? "(index As Integer)" : "()") + " As Boolean");
          continue;
        }
        int32_t id = AddFunction(Lower(window.name + "." + handler.name), FunctionKind::kMenuHandler);
        FunctionRecord& f = model_.functions[id];
        f.decl = &handler;
        f.window = w;
        f.meClass = window.cls;
        f.result = Type::Of(TypeKind::kBoolean);
        SetParams(f, handler);
        menuDefs_[window.cls].push_back({handler.name, f.label});
      } else {
        diags_.Error(handler.pos, "'" + handler.name + "' is neither an event of Window nor a menu item name");
      }
    }
  }

  // ---- Modules ------------------------------------------------------------------------------
  void DeclareModules() {
    for (const ModuleDecl& decl : program_.modules) {
      if (model_.FindModule(decl.name)) {
        diags_.Error(decl.pos, "module '" + decl.name + "' is already declared");
        continue;
      }
      ModuleModel module;
      module.name = decl.name;
      for (const FuncDecl& func : decl.functions) {
        if (module.functions.count(Lower(func.name))) {
          diags_.Error(func.pos, "module " + decl.name + " already has a function '" + func.name + "'");
          continue;
        }
        int32_t id = AddFunction(Lower(decl.name + "." + func.name), FunctionKind::kModule);
        FunctionRecord& f = model_.functions[id];
        f.decl = &func;
        f.module = static_cast<int32_t>(model_.modules.size());
        SetParams(f, func);
        if (func.result) f.result = ResolveType(*func.result).value_or(Type{});
        module.functions[Lower(func.name)] = id;
      }
      model_.modules.push_back(std::move(module));
    }
    entry_ = AddFunction("entry", FunctionKind::kEntry);
  }

  void CheckNameClashes() {
    for (const ModuleModel& m : model_.modules) {
      if (model_.FindWindow(m.name) >= 0 || model_.classes.Find(m.name) >= 0) {
        for (const ModuleDecl& decl : program_.modules)
          if (SameName(decl.name, m.name)) diags_.Error(decl.pos, "module '" + m.name + "' has the name of a class or window");
      }
    }
  }

  // ---- Catch clauses --------------------------------------------------------------------------
  // Only exceptions of a class that some Catch clause names can ever be caught; any other
  // ends the run, unwinding nothing that matters. A function holding arrays therefore brings
  // exactly these classes to its dispatcher to dispose of the arrays (statements of
  // exceptions.cpp), and a program without a Catch needs no such clause at all.
  void CollectCaughtClasses() {
    std::vector<int32_t> named;
    for (const FunctionRecord& f : model_.functions)
      if (f.decl) CollectCatches(f.decl->body, named);
    for (int32_t cls : named) {
      bool covered = false;
      for (int32_t other : named) covered = covered || (other != cls && model_.classes.IsSubclass(cls, other));
      bool seen = std::find(model_.caughtClasses.begin(), model_.caughtClasses.end(), cls) != model_.caughtClasses.end();
      if (!covered && !seen) model_.caughtClasses.push_back(cls);
    }
  }

  void CollectCatches(const Block& block, std::vector<int32_t>& named) {
    for (const StmtPtr& s : block) {
      for (const CatchClause& c : s->catches) {
        auto type = model_.classes.ParseType(c.type.name);
        if (type && type->kind == TypeKind::kObject && type->cls >= 0) named.push_back(type->cls);
        CollectCatches(c.body, named);
      }
      CollectCatches(s->body, named);
      for (const Block& b : s->blocks) CollectCatches(b, named);
      for (const CaseClause& c : s->cases) CollectCatches(c.body, named);
    }
  }

  // ---- Image records ------------------------------------------------------------------------
  // data1 in the order the runtime's own images have: the literals of the main window's menu
  // handler names; then window by window its literals, the kind-1 class references it was
  // first to use, its kind-0 classes, its description record and its slot pair; the plug-in
  // list; the records of the modules and the program's own classes; the menu items' classes,
  // the menu bar, the settings and the application descriptor. Class indexes are given in
  // the order classes are first needed, a kind-0 class's superclass before it.
  void WriteImage() {
    if (model_.defaultWindow >= 0) WriteMenuHandlerNames(model_.defaultWindow);
    for (size_t w = 0; w < model_.windows.size(); ++w) WriteWindowGroup(static_cast<int32_t>(w));
    std::vector<imagekit::PluginFile> plugins = ReadPlugins();
    if (!plugins.empty()) model_.pluginList = model_.builder.AddPluginList(plugins);
    WriteProgramGroup();
    WriteProjectItems();
  }

  static bool IsDefinedHere(const ClassModel& cls) {
    return cls.origin == ClassOrigin::kUser || cls.origin == ClassOrigin::kWindow ||
           cls.origin == ClassOrigin::kControlHandlers;
  }

  // The class's index, its superclasses (when the image defines the class) first.
  int32_t Reserve(int32_t cls) {
    const ClassModel& model = model_.classes.At(cls);
    if (model.imageIndex < 0 && IsDefinedHere(model) && model.super >= 0) Reserve(model.super);
    return model_.ImageClassIndex(cls);
  }

  void WriteMenuHandlerNames(int32_t w) {
    model_.group = w;
    for (const imagekit::MenuHandlerDef& def : menuDefs_[model_.windows[w].cls]) model_.Literal(def.item);
    WriteLiterals(model_.groups[w]);
  }

  void WriteWindowGroup(int32_t w) {
    model_.group = w;
    WindowModel& window = model_.windows[w];
    Reserve(window.cls);
    for (const ControlModel& control : window.controls)
      Reserve(control.handlerClass >= 0 ? control.handlerClass : control.cls);
    window.slots = model_.builder.NewWindowSlots();
    for (size_t i = 0; i < model_.functions.size(); ++i)
      if (model_.functions[i].window == w) GenerateFunction(model_, static_cast<int32_t>(i));
    WriteGroupRecords(model_.groups[w]);
    model_.builder.AddWindowAt(window.slots, WindowDescription(window));
  }

  void WriteProgramGroup() {
    model_.group = ProgramModel::kProgramGroup;
    for (int32_t index : userClasses_) Reserve(index);
    for (size_t i = 0; i < model_.functions.size(); ++i)
      if (model_.functions[i].window < 0) GenerateFunction(model_, static_cast<int32_t>(i));
    WriteGroupRecords(model_.groups[ProgramModel::kProgramGroup]);
  }

  void WriteLiterals(RecordGroup& group) {
    for (const auto& [label, text] : group.unwritten) model_.builder.AddStringLiteralAt(label, text);
    group.unwritten.clear();
  }

  // The group's literals (the names its class descriptors point to among them), its kind-1
  // class references, then its kind-0 classes.
  void WriteGroupRecords(RecordGroup& group) {
    for (size_t i = 0; i < group.classes.size(); ++i) {
      const ClassModel& cls = model_.classes.At(group.classes[i]);
      if (IsDefinedHere(cls) && cls.super >= 0) Reserve(cls.super);
    }
    std::vector<std::pair<int32_t, imagekit::ClassDef>> defined;
    for (int32_t c : group.classes) {
      if (!IsDefinedHere(model_.classes.At(c))) continue;
      imagekit::ClassDef def = ClassDefOf(c);
      if (def.name) model_.Literal(*def.name);
      for (const imagekit::EventHandlerDef& e : def.eventHandlers) model_.Literal(e.event);
      for (const imagekit::MenuHandlerDef& m : def.menuHandlers) model_.Literal(m.item);
      defined.push_back({c, std::move(def)});
    }
    WriteLiterals(group);
    for (int32_t c : group.classes) {
      const ClassModel& cls = model_.classes.At(c);
      if (!IsDefinedHere(cls)) model_.builder.AddRuntimeClassAt(static_cast<uint32_t>(cls.imageIndex), cls.name);
    }
    for (const auto& [c, def] : defined)
      model_.builder.AddClassAt(static_cast<uint32_t>(model_.classes.At(c).imageIndex), def, &GroupLiteral, &model_);
    group.classes.clear();
  }

  // The names of a class descriptor were entered in the group's literals before it.
  static imagekit::DataLabel GroupLiteral(void* model, std::string_view name) {
    return static_cast<ProgramModel*>(model)->Literal(std::string(name));
  }

  imagekit::ClassDef ClassDefOf(int32_t index) {
    const ClassModel& cls = model_.classes.At(index);
    imagekit::ClassDef def;
    def.instanceSize = static_cast<uint32_t>(cls.instanceSize);
    if (!cls.name.empty()) def.name = cls.name;
    def.superclass = cls.super >= 0 ? model_.classes.At(cls.super).imageIndex : -1;
    def.eventHandlers = handlerDefs_[index];
    def.menuHandlers = menuDefs_[index];
    if (destructors_.count(index)) {
      def.constructor = model_.functions[constructors_[index]].label;
      def.destructor = model_.functions[destructors_[index]].label;
    }
    return def;
  }

  // The text of a design-time value, checked against the property's kind.
  std::optional<std::string> DesignValue(const PropertyValue& value, const DesignProperty& design) {
    const Expr& e = *value.value;
    auto wrong = [&]() -> std::optional<std::string> {
      diags_.Error(e.pos, "property " + design.name + " needs " +
                              (design.kind == "Boolean"  ? std::string("True or False")
                               : design.kind == "String" ? std::string("a string literal")
                               : design.kind == "Color"  ? std::string("a colour (&cRRGGBB)")
                                                         : std::string("an integer")));
      return std::nullopt;
    };
    if (design.kind == "Boolean") {
      if (e.kind != ExprKind::kBoolean) return wrong();
      return e.intValue ? "True" : "False";
    }
    if (design.kind == "String") {
      if (e.kind != ExprKind::kString) return wrong();
      std::string bad;
      auto bytes = ToWindows1252(e.text, &bad);
      if (!bytes) {
        diags_.Error(e.pos, "text holds a character with no Windows-1252 byte (" + bad + ")");
        return std::nullopt;
      }
      return *bytes;
    }
    if (design.kind == "Color") {
      if (e.kind != ExprKind::kColor && e.kind != ExprKind::kInteger) return wrong();
      return std::to_string(e.intValue);
    }
    if (e.kind != ExprKind::kInteger) return wrong();
    return std::to_string(e.intValue);
  }

  // Every design-time property in order: the source's value or the default.
  std::vector<imagekit::PropertyPair> DesignPairs(const std::vector<DesignProperty>& design,
                                                  const std::vector<PropertyValue>& values,
                                                  const std::string& owner, const std::string& name,
                                                  std::optional<int32_t> index) {
    std::map<std::string, const PropertyValue*> given;
    for (const PropertyValue& v : values) {
      bool known = false;
      for (const DesignProperty& d : design) known = known || SameName(d.name, v.name);
      if (!known) {
        diags_.Error(v.pos, owner + " has no design-time property '" + v.name + "'");
        continue;
      }
      if (SameName(v.name, "Name") || SameName(v.name, "Index")) {
        diags_.Error(v.pos, "property " + v.name + " is set by the declaration");
        continue;
      }
      if (!given.emplace(Lower(v.name), &v).second) diags_.Error(v.pos, "property " + v.name + " is set twice");
    }
    std::vector<imagekit::PropertyPair> pairs;
    for (const DesignProperty& d : design) {
      std::string value = d.defaultValue;
      if (value == "@name") value = name;
      if (value == "@index") value = index ? std::to_string(*index) : "-2147483648";
      auto it = given.find(Lower(d.name));
      if (it != given.end()) {
        auto text = DesignValue(*it->second, d);
        if (text) value = *text;
      }
      pairs.push_back({d.name, value});
    }
    return pairs;
  }

  imagekit::WindowDesc WindowDescription(const WindowModel& window) {
    int32_t windowClass = model_.classes.Find("Window");
    imagekit::WindowDesc desc;
    desc.classIndex = model_.classes.At(window.cls).imageIndex;
    desc.properties = DesignPairs(*model_.classes.FindDesign(windowClass), window.decl->properties, "Window",
                                  window.name, std::nullopt);
    for (const ControlModel& control : window.controls) {
      imagekit::ControlDesc c;
      c.classIndex = model_.classes.At(control.handlerClass >= 0 ? control.handlerClass : control.cls).imageIndex;
      std::string name = ToWindows1252(control.name).value_or(control.name);
      c.properties = DesignPairs(*model_.classes.FindDesign(control.cls), control.decl->properties,
                                 model_.classes.At(control.cls).name, name, control.index);
      desc.controls.push_back(std::move(c));
    }
    return desc;
  }

  std::string SettingsText(const std::string& utf8, const SourcePos& pos) {
    std::string bad;
    auto bytes = ToMacRoman(utf8, &bad);
    if (!bytes) {
      diags_.Error(pos, "text holds a character with no Mac Roman byte (" + bad + ")");
      return {};
    }
    return *bytes;
  }

  imagekit::MenuEntry MenuEntryOf(const MenuDecl& decl, bool nested) {
    imagekit::MenuEntry entry;
    int32_t menuItem = model_.ImageClassIndex(model_.classes.Find("MenuItem"));
    entry.classIndex = menuItem;
    if (decl.cls) {
      int32_t cls = model_.classes.Find(decl.cls->name);
      if (cls >= 0) entry.classIndex = model_.ImageClassIndex(cls);
    }
    std::string bad;
    auto text = ToWindows1252(decl.text, &bad);
    if (!text) diags_.Error(decl.textPos, "text holds a character with no Windows-1252 byte (" + bad + ")");
    entry.text = text.value_or("");
    entry.name = decl.name;
    if (decl.index) entry.index = *decl.index;
    entry.key = decl.key;
    entry.balloonHelp = ToWindows1252(decl.help).value_or("");
    entry.disabledBalloonHelp = ToWindows1252(decl.disabledHelp).value_or("");
    switch (decl.kind) {
      case MenuDecl::kSeparator:
        entry.kind = 2;
        entry.text = "-";
        break;
      case MenuDecl::kAppleMenu: entry.kind = 1; break;
      default: entry.kind = 0; break;
    }
    if (decl.kind == MenuDecl::kMenu || decl.kind == MenuDecl::kAppleMenu) {
      entry.submenu = nested;
      for (const MenuDecl& child : decl.children) entry.children.push_back(MenuEntryOf(child, true));
    }
    return entry;
  }

  const ProjectDecl& Project() {
    static const ProjectDecl kNone;
    return program_.projects.empty() ? kNone : program_.projects[0];
  }

  // The window the entry function opens, and the label of the application descriptor, which
  // the entry function needs before the descriptor is written.
  void ChooseDefaultWindow() {
    if (program_.projects.size() > 1) diags_.Error(program_.projects[1].pos, "the project has more than one Project block");
    const ProjectDecl& project = Project();
    model_.descriptor = model_.builder.NewDataLabel();
    if (project.defaultWindow) {
      model_.defaultWindow = model_.FindWindow(project.defaultWindow->first);
      if (model_.defaultWindow < 0)
        diags_.Error(project.defaultWindow->second, "unknown window '" + project.defaultWindow->first + "'");
    } else if (!model_.windows.empty()) {
      model_.defaultWindow = 0;
    }
  }

  std::vector<imagekit::PluginFile> ReadPlugins() {
    std::vector<imagekit::PluginFile> plugins;
    for (const ProjectDecl::Plugin& p : Project().plugins) {
      if (p.fileName.empty() || p.fileName.size() > 255) {
        diags_.Error(p.pos, "a plug-in's file name must be 1 to 255 characters");
        continue;
      }
      std::optional<imagekit::Bytes> library = ReadPluginLibrary(p);
      if (library) plugins.push_back({p.fileName, std::move(*library)});
    }
    return plugins;
  }

  // The menu items' classes ("MenuItem", "QuitMenuItem"), the menu bar, the settings.
  void WriteProjectItems() {
    constexpr int32_t kMenuGroup = -2;
    model_.group = kMenuGroup;
    std::vector<imagekit::MenuEntry> top;
    if (!program_.menuBars.empty())
      for (const MenuDecl& decl : program_.menuBars[0].children) top.push_back(MenuEntryOf(decl, false));
    WriteGroupRecords(model_.groups[kMenuGroup]);
    if (!program_.menuBars.empty()) model_.builder.AddMenuBar(top);
    model_.builder.AddProjectSettings(SettingsStream(Project()));
  }

  // A plug-in library: beside the project file first, then in the plug-in directories of
  // the command line. Only a regular, non-empty file is carried.
  std::optional<imagekit::Bytes> ReadPluginLibrary(const ProjectDecl::Plugin& p) {
    std::vector<fs::path> candidates = {fs::path(p.path)};
    fs::path written(p.written);
    if (written.is_relative()) {
      for (const std::string& dir : options_.pluginDirs) {
        candidates.push_back(fs::path(dir) / written);
        candidates.push_back(fs::path(dir) / written.filename());
      }
    }
    for (const fs::path& candidate : candidates) {
      std::error_code error;
      if (!fs::is_regular_file(candidate, error)) continue;
      std::ifstream in(candidate, std::ios::binary);
      imagekit::Bytes bytes(std::istreambuf_iterator<char>(in), {});
      if (!in.bad() && !bytes.empty()) return bytes;
      diags_.Error(p.pos, "plug-in library \"" + candidate.string() + "\" is empty or unreadable");
      return std::nullopt;
    }
    std::string where = options_.pluginDirs.empty() ? "" : " (nor in the plug-in directories)";
    diags_.Error(p.pos, "cannot read plug-in library \"" + p.path + "\"" + where);
    return std::nullopt;
  }

  // The project-settings stream: flag byte, two big-endian reserved words, document types,
  // message table, MDI flag, caption; texts in Mac Roman.
  imagekit::Bytes SettingsStream(const ProjectDecl& project) {
    imagekit::Bytes s;
    s.push_back(static_cast<uint8_t>(project.flags));
    for (int32_t word : {project.reserved1, project.reserved2})
      for (int shift = 24; shift >= 0; shift -= 8) s.push_back(static_cast<uint8_t>(static_cast<uint32_t>(word) >> shift));
    imagekit::AppendCompactInt(s, static_cast<int32_t>(project.documentTypes.size()));
    for (const auto& [texts, pos] : project.documentTypes)
      for (const std::string& text : texts) imagekit::AppendText(s, SettingsText(text, pos));
    std::map<int32_t, std::string> messages;
    messages[4] = SettingsText(kDefaultUnhandledMessage, {});
    for (const auto& [number, text] : project.messages) messages[number] = SettingsText(text.first, text.second);
    int32_t count = messages.rbegin()->first + 1;
    imagekit::AppendCompactInt(s, count);
    for (int32_t i = 0; i < count; ++i) imagekit::AppendText(s, messages.count(i) ? messages[i] : "");
    s.push_back(project.mdi ? 1 : 0);
    std::string caption = project.caption ? SettingsText(project.caption->first, project.caption->second)
                                          : SettingsText("Mia applicazione", {});
    imagekit::AppendText(s, caption);
    return s;
  }

  // ---- code1 ----------------------------------------------------------------------------------
  void PlaceCode(CompiledImage& out) {
    std::vector<uint32_t> offsets;
    uint32_t at = model_.builder.CodeSize();
    for (const FunctionRecord& f : model_.functions) {
      offsets.push_back(at);
      at += static_cast<uint32_t>(f.code.bytes.size());
    }
    for (size_t i = 0; i < model_.functions.size(); ++i) {
      FunctionRecord& f = model_.functions[i];
      uint32_t base = offsets[i];
      for (const auto& [operand, target] : f.code.localCalls) {
        int32_t rel = static_cast<int32_t>(offsets[target]) - static_cast<int32_t>(base + operand + 4);
        for (int b = 0; b < 4; ++b) f.code.bytes[operand + b] = static_cast<uint8_t>(static_cast<uint32_t>(rel) >> (8 * b));
      }
      model_.builder.BindCode(f.label);
      model_.builder.EmitCode(f.code.bytes);
      for (const auto& [operand, name] : f.code.entryCalls) model_.builder.AddCallSite(base + operand, name);
      for (const auto& [operand, label] : f.code.dataFixups) model_.builder.AddCodeDataFixup(base + operand, label);
      out.functions[f.qualifiedName] = base;
    }
  }

  Program& program_;
  Diagnostics& diags_;
  const CompileOptions& options_;
  ProgramModel model_;
  std::vector<int32_t> userClasses_;
  std::map<int32_t, const ClassDecl*> classDecls_;
  std::set<int32_t> classesDone_;
  std::map<int32_t, int32_t> destructors_;
  std::map<int32_t, int32_t> constructors_;
  std::map<int32_t, std::vector<imagekit::EventHandlerDef>> handlerDefs_;
  std::map<int32_t, std::vector<imagekit::MenuHandlerDef>> menuDefs_;
  int32_t entry_ = -1;
};

}  // namespace

bool CompileSource(SourceSet& sources, int32_t file, Diagnostics& diags, CompiledImage& out,
                   const CompileOptions& options) {
  Program program;
  ParseFile(sources, file, diags, program);
  bool ok = Driver(program, diags, options).Run(out);
  return ok && !diags.HasErrors();
}

bool CompileProject(SourceSet& sources, const std::string& path, Diagnostics& diags, CompiledImage& out,
                    const CompileOptions& options) {
  int32_t file = sources.Load(path);
  if (file < 0) {
    diags.Error("cannot read project file \"" + path + "\"");
    return false;
  }
  return CompileSource(sources, file, diags, out, options);
}

}  // namespace amxc
