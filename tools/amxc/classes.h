// The classes a program can use, whatever their origin: built-in classes from the runtime's
// shared description (runtime/objects/builtins), plug-in classes from declaration files,
// the program's own classes, its windows, and the anonymous subclasses that hold control
// handlers. Also the value types of the language. Entry point: ClassTable.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace amxc {

enum class TypeKind : uint8_t {
  kVoid, kInteger, kDouble, kBoolean, kString, kColor, kObject, kNil, kArray,
};

// A value type. For kObject, cls is the class (-1: any object); for kArray, element gives
// the element kind and elementClass its class.
struct Type {
  TypeKind kind = TypeKind::kVoid;
  int32_t cls = -1;
  TypeKind element = TypeKind::kVoid;
  int32_t elementClass = -1;

  static Type Of(TypeKind kind) { return Type{kind}; }
  static Type Object(int32_t cls) { return Type{TypeKind::kObject, cls}; }
  bool IsRef() const { return kind == TypeKind::kString || kind == TypeKind::kObject; }
  bool IsIntLike() const {
    return kind == TypeKind::kInteger || kind == TypeKind::kColor || kind == TypeKind::kBoolean;
  }
  bool IsNumeric() const {
    return kind == TypeKind::kInteger || kind == TypeKind::kColor || kind == TypeKind::kDouble;
  }
};

struct PropertyModel {
  std::string name;
  Type type;
  std::string getter;  // entry or member-link name; "" = none
  std::string setter;
  int32_t parameter = 0;
  int32_t fieldOffset = -1;  // fields of the program's own classes: read and written in place
};

struct MethodModel {
  std::string name;
  std::string entry;
  Type result;
  std::vector<Type> params;
};

struct EventModel {
  std::string name;
  std::vector<Type> params;
  std::vector<std::string> paramNames;
  Type result;  // kVoid or kBoolean
};

enum class ClassOrigin : uint8_t { kBuiltin, kPlugin, kUser, kWindow, kControlHandlers };

struct DesignProperty {
  std::string name;
  std::string kind;          // Integer, Boolean, String, Color, Picture
  std::string defaultValue;  // text; "@name" / "@index" are filled in per control
};

struct ClassModel {
  std::string name;           // "" for anonymous control-handler classes
  int32_t super = -1;         // index in the ClassTable
  int32_t instanceSize = 24;
  ClassOrigin origin = ClassOrigin::kBuiltin;
  std::vector<PropertyModel> properties;
  std::vector<MethodModel> methods;
  std::vector<EventModel> events;
  std::vector<DesignProperty> design;  // controls and windows
  bool pluginControl = false;
  int32_t imageIndex = -1;  // index in the image's class table, once written
};

class ClassTable {
 public:
  // Loads the built-in classes (the shared description, first line wins).
  ClassTable();

  int32_t Find(const std::string& name) const;  // -1 when unknown
  int32_t Add(ClassModel cls);
  ClassModel& At(int32_t index) { return classes_[index]; }
  const ClassModel& At(int32_t index) const { return classes_[index]; }
  int32_t Size() const { return static_cast<int32_t>(classes_.size()); }

  bool IsSubclass(int32_t cls, int32_t ancestor) const;
  // Members searched from the class up through its superclasses.
  const PropertyModel* FindProperty(int32_t cls, const std::string& name, int32_t* owner = nullptr) const;
  const MethodModel* FindMethod(int32_t cls, const std::string& name) const;
  const EventModel* FindEvent(int32_t cls, const std::string& name) const;
  // The design-time property list of a control or window class (own or inherited).
  const std::vector<DesignProperty>* FindDesign(int32_t cls) const;

  // "Integer", "String", class names... -> type; nullopt when unknown.
  std::optional<Type> ParseType(const std::string& name) const;
  std::string TypeName(const Type& type) const;

 private:
  void LoadBuiltins();
  void LoadDesign();
  std::vector<ClassModel> classes_;
};

bool SameName(const std::string& a, const std::string& b);

}  // namespace amxc
