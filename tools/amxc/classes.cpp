// The class table of the compiler: built-in classes from the runtime's shared description,
// design-time property lists, and member lookup through superclasses. Entry point:
// ClassTable.
#include "tools/amxc/classes.h"

#include <strings.h>

#include <sstream>

#include "runtime/objects/builtins/builtins.h"

namespace amxc {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

namespace {

struct DesignRow {
  const char* cls;
  const char* name;
  const char* kind;
  const char* defaultValue;
};

#define AMX_DESIGN(Class, Name, Kind, Default) DesignRow{#Class, #Name, #Kind, Default},
constexpr DesignRow kDesignRows[] = {
#include "tools/amxc/design.def"
};
#undef AMX_DESIGN

std::string Trim(std::string text) {
  size_t start = text.find_first_not_of(' ');
  size_t end = text.find_last_not_of(' ');
  return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

}  // namespace

ClassTable::ClassTable() {
  LoadBuiltins();
  LoadDesign();
}

void ClassTable::LoadBuiltins() {
  // Classes first, so that member types may name any class.
  for (int32_t i = 0; i < builtins::kClassCount; ++i) {
    const builtins::ClassInfo& info = builtins::kClasses[i];
    if (Find(info.name) >= 0) continue;  // described twice: the first line wins
    ClassModel cls;
    cls.name = info.name;
    cls.super = info.superclass[0] ? Find(info.superclass) : -1;
    cls.instanceSize = info.instanceSize;
    cls.origin = ClassOrigin::kBuiltin;
    classes_.push_back(std::move(cls));
  }
  auto owner = [&](const char* name) -> ClassModel* {
    int32_t index = Find(name);
    return index < 0 ? nullptr : &classes_[index];
  };
  for (int32_t i = 0; i < builtins::kPropertyCount; ++i) {
    const builtins::PropertyInfo& info = builtins::kProperties[i];
    ClassModel* cls = owner(info.className);
    if (!cls) continue;
    bool seen = false;
    for (const PropertyModel& p : cls->properties) seen = seen || SameName(p.name, info.name);
    if (seen) continue;
    PropertyModel property;
    property.name = info.name;
    property.type = ParseType(info.type).value_or(Type::Object(-1));
    property.getter = info.getter ? info.getter : "";
    property.setter = info.setter ? info.setter : "";
    property.parameter = info.parameter;
    cls->properties.push_back(std::move(property));
  }
  for (int32_t i = 0; i < builtins::kMethodCount; ++i) {
    const builtins::MethodInfo& info = builtins::kMethods[i];
    ClassModel* cls = owner(info.className);
    if (!cls || FindMethod(Find(info.className), info.name)) continue;
    MethodModel method;
    method.name = info.name;
    method.entry = info.entry;
    method.result = info.result[0] ? ParseType(info.result).value_or(Type::Object(-1)) : Type{};
    std::stringstream params(info.parameters);
    std::string param;
    while (std::getline(params, param, ','))
      if (!Trim(param).empty()) method.params.push_back(ParseType(Trim(param)).value_or(Type::Object(-1)));
    cls->methods.push_back(std::move(method));
  }
  for (int32_t i = 0; i < builtins::kEventCount; ++i) {
    const builtins::EventInfo& info = builtins::kEvents[i];
    ClassModel* cls = owner(info.className);
    if (!cls) continue;
    bool seen = false;
    for (const EventModel& e : cls->events) seen = seen || SameName(e.name, info.name);
    if (seen) continue;
    EventModel event;
    event.name = info.name;
    event.result = info.returnText[0] ? ParseType(info.returnText).value_or(Type::Object(-1)) : Type{};
    // "X As Integer, Y As Integer"
    std::stringstream params(info.parameterText);
    std::string param;
    while (std::getline(params, param, ',')) {
      param = Trim(param);
      if (param.empty()) continue;
      size_t as = param.find(" As ");
      event.paramNames.push_back(Trim(param.substr(0, as)));
      std::string type = as == std::string::npos ? "" : Trim(param.substr(as + 4));
      event.params.push_back(ParseType(type).value_or(Type::Object(-1)));
    }
    cls->events.push_back(std::move(event));
  }
}

void ClassTable::LoadDesign() {
  for (const DesignRow& row : kDesignRows) {
    int32_t index = Find(row.cls);
    if (index < 0) continue;
    classes_[index].design.push_back({row.name, row.kind, row.defaultValue});
  }
}

int32_t ClassTable::Find(const std::string& name) const {
  if (name.empty()) return -1;
  for (int32_t i = 0; i < Size(); ++i)
    if (SameName(classes_[i].name, name)) return i;
  return -1;
}

int32_t ClassTable::Add(ClassModel cls) {
  classes_.push_back(std::move(cls));
  return Size() - 1;
}

bool ClassTable::IsSubclass(int32_t cls, int32_t ancestor) const {
  for (int32_t c = cls; c >= 0; c = classes_[c].super)
    if (c == ancestor) return true;
  return false;
}

const PropertyModel* ClassTable::FindProperty(int32_t cls, const std::string& name, int32_t* owner) const {
  for (int32_t c = cls; c >= 0; c = classes_[c].super)
    for (const PropertyModel& p : classes_[c].properties)
      if (SameName(p.name, name)) {
        if (owner) *owner = c;
        return &p;
      }
  return nullptr;
}

const MethodModel* ClassTable::FindMethod(int32_t cls, const std::string& name) const {
  for (int32_t c = cls; c >= 0; c = classes_[c].super)
    for (const MethodModel& m : classes_[c].methods)
      if (SameName(m.name, name)) return &m;
  return nullptr;
}

const EventModel* ClassTable::FindEvent(int32_t cls, const std::string& name) const {
  for (int32_t c = cls; c >= 0; c = classes_[c].super)
    for (const EventModel& e : classes_[c].events)
      if (SameName(e.name, name)) return &e;
  return nullptr;
}

const std::vector<DesignProperty>* ClassTable::FindDesign(int32_t cls) const {
  for (int32_t c = cls; c >= 0; c = classes_[c].super)
    if (!classes_[c].design.empty()) return &classes_[c].design;
  return nullptr;
}

std::optional<Type> ClassTable::ParseType(const std::string& name) const {
  static const std::pair<const char*, TypeKind> kScalars[] = {
      {"Integer", TypeKind::kInteger}, {"Double", TypeKind::kDouble},
      {"Single", TypeKind::kDouble},   {"Boolean", TypeKind::kBoolean},
      {"String", TypeKind::kString},   {"Color", TypeKind::kColor}};
  for (const auto& [text, kind] : kScalars)
    if (SameName(name, text)) return Type::Of(kind);
  int32_t cls = Find(name);
  if (cls >= 0) return Type::Object(cls);
  return std::nullopt;
}

std::string ClassTable::TypeName(const Type& type) const {
  switch (type.kind) {
    case TypeKind::kVoid: return "nothing";
    case TypeKind::kInteger: return "Integer";
    case TypeKind::kDouble: return "Double";
    case TypeKind::kBoolean: return "Boolean";
    case TypeKind::kString: return "String";
    case TypeKind::kColor: return "Color";
    case TypeKind::kNil: return "Nil";
    case TypeKind::kObject:
      if (type.cls < 0) return "Object";
      return classes_[type.cls].name.empty() ? "anonymous class" : classes_[type.cls].name;
    case TypeKind::kArray: return TypeName(Type{type.element, type.elementClass}) + " array";
  }
  return "?";
}

}  // namespace amxc
