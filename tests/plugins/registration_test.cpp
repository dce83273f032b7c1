// Registration: control descriptors by version (1 converted, 2 and below 1 ignored, 3 and
// later as given), plug-in classes and the interface version they need, finishing classes
// superclass first, class extensions, global methods, and members that are refused.
#include <dlfcn.h>

#include <cstring>

#include "runtime/entries/accessors.h"
#include "runtime/entries/entries.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/objects/typedescriptor.h"
#include "runtime/plugins/classregistration.h"
#include "runtime/plugins/controlregistration.h"
#include "runtime/plugins/descriptors.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/ui/controlobject.h"
#include "tests/plugins/pluginfixture.h"

extern "C" int32_t ExportedOne(ObjectHeader*) { return 1; }
extern "C" int32_t ExportedTwo(ObjectHeader*) { return 2; }

namespace {

class RegistrationTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    plugin_ = AddPluginRecord(nullptr, "test");
    SetCurrentPlugin(plugin_);
  }
  PluginRecord* plugin_ = nullptr;
};

ClassRecord* Builtin(const char* name) { return FindBuiltinClass(name); }

// ---- Controls ------------------------------------------------------------------------------

TEST_F(RegistrationTest, VersionTwoAndBelowOneRegisterNothing) {
  for (int32_t version : {2, 0, -1}) {
    SCOPED_TRACE(version);
    uint32_t words[19] = {};
    words[0] = uint32_t(version);
    words[1] = reinterpret_cast<uint32_t>("Ignored");
    words[2] = 4;
    PluginRegisterControl(words);
    EXPECT_EQ(FindPluginControl("Ignored"), nullptr);
    EXPECT_EQ(FirstControlInfo(), nullptr);
    EXPECT_EQ(words[15], 0u);  // the data offset word is not written
  }
}

TEST_F(RegistrationTest, AVersionTwoDescriptorFromALoadedPluginRegistersNothing) {
  std::string path = SystemDirectory() + "/probe.dll";
  CarriedPlugin carried{"probe.dll", nullptr, 0};
  std::vector<uint8_t> bytes = ReadBytes(AMX_TEST_PLUGIN);
  carried.bytes = bytes.data();
  carried.length = uint32_t(bytes.size());
  ASSERT_EQ(PlaceLibrary(carried), SystemDirectory() + "\\probe.dll");
  void* handle = dlopen(path.c_str(), RTLD_NOW);
  ASSERT_NE(handle, nullptr);
  *static_cast<int*>(dlsym(handle, "gTestMode")) = 1;
  ASSERT_TRUE(LoadPlugin(SystemDirectory() + "\\probe.dll"));
  EXPECT_EQ(*static_cast<int*>(dlsym(handle, "gMainCalls")), 1);
  EXPECT_EQ(FindPluginControl("ProbeControlV2"), nullptr);
  dlclose(handle);
}

TEST_F(RegistrationTest, VersionOneIsConvertedToVersionFour) {
  PluginExportEntry exports[2] = {{0, reinterpret_cast<void*>(&ExportedOne)},
                                  {0, reinterpret_cast<void*>(&ExportedTwo)}};
  RegisterPluginExports(reinterpret_cast<const uint32_t*>(exports));
  PluginPropertyEntryV1 properties[2] = {{0, "Count", "Integer", 0, 4},
                                         {0, "Label", "String", 1, 8}};
  PluginMethodEntryV1 methods[2] = {{1, "Two As Integer"}, {0, "Broken(As"}};
  PluginEventEntry events[1] = {{"Fired(n As Integer)", nullptr}};
  void* behaviour[19] = {};
  PluginControlDescriptorV1 v1{1, "OldControl", 16, 0, 30, 40, properties, 2, methods, 2,
                               events, 1, behaviour};
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&v1));

  ClassRecord* cls = FindPluginControl("oldcontrol");
  ASSERT_NE(cls, nullptr);
  const PluginControlDescriptor* converted = ControlDescriptorOf(cls);
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(converted->version, 4);
  EXPECT_EQ(converted->value4, 30);
  EXPECT_EQ(converted->value5, 40);
  EXPECT_EQ(converted->value6, 100);
  EXPECT_EQ(converted->value7, 100);
  EXPECT_EQ(converted->dataOffset, 96);
  EXPECT_EQ(converted->constantCount, 0);
  EXPECT_EQ(converted->interfaces, nullptr);
  ASSERT_NE(converted->properties, nullptr);
  EXPECT_EQ(converted->properties[0].getter, RuntimeAccessorMark());
  EXPECT_EQ(converted->properties[1].setter, RuntimeAccessorMark());
  EXPECT_EQ(converted->methods[0].routine, reinterpret_cast<void*>(&ExportedTwo));
  EXPECT_EQ(cls->instanceSize, 96 + 16);
  EXPECT_EQ(cls->superclass, Builtin("RectControl"));
  EXPECT_EQ(CountProperties(cls), 2);
  EXPECT_EQ(CountMethods(cls), 1);  // the broken declaration is left out
  EXPECT_NE(events[0].handle, nullptr);
  EXPECT_EQ(FindEventDeclaration(cls, "Fired"), events[0].handle);
}

TEST_F(RegistrationTest, RuntimeOwnAccessorsReachTheFieldThroughMemberLinks) {
  PluginPropertyEntry properties[3] = {
      {0, "Count", "Integer", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 4, {}},
      {0, "Flag", "Boolean", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 8, {}},
      {0, "Label", "String", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 12, {}},
  };
  void* behaviour[19] = {};
  PluginControlDescriptor descriptor{};
  descriptor.version = 3;
  descriptor.name = "FieldControl";
  descriptor.dataSize = 16;
  descriptor.properties = properties;
  descriptor.propertyCount = 3;
  descriptor.behaviour = behaviour;
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&descriptor));
  ClassRecord* cls = FindPluginControl("FieldControl");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(descriptor.dataOffset, 96);
  ObjectHeader* object = MakeObject(cls);
  using IntSetter = void (*)(ObjectHeader*, int32_t, int32_t);
  using IntGetter = int32_t (*)(ObjectHeader*, int32_t);
  using StringSetter = void (*)(ObjectHeader*, int32_t, StringRecord*);
  using StringGetter = StringRecord* (*)(ObjectHeader*, int32_t);
  // Image code passes 0 as the parameter of a plug-in property.
  auto setCount = reinterpret_cast<IntSetter>(ResolveAccessorLink("SFieldControl!Count", nullptr));
  auto getCount = reinterpret_cast<IntGetter>(ResolveAccessorLink("GFieldControl!count", nullptr));
  ASSERT_NE(setCount, nullptr);
  ASSERT_NE(getCount, nullptr);
  setCount(object, 0, 1234);
  int32_t stored;
  std::memcpy(&stored, reinterpret_cast<uint8_t*>(object) + 96 + 4, 4);
  EXPECT_EQ(stored, 1234);
  EXPECT_EQ(getCount(object, 0), 1234);
  EXPECT_EQ(reinterpret_cast<ControlObject*>(object)->window, nullptr);  // offset 16 untouched

  auto setLabel = reinterpret_cast<StringSetter>(ResolveAccessorLink("SFieldControl!Label", nullptr));
  auto getLabel = reinterpret_cast<StringGetter>(ResolveAccessorLink("GFieldControl!Label", nullptr));
  StringRecord* text = MakeStringFromC("G#3");
  setLabel(object, 0, text);
  EXPECT_EQ(text->refCount, 2);  // the field holds its own reference
  StringRecord* back = getLabel(object, 0);
  EXPECT_EQ(StringView(back), "G#3");
  UnlockString(back);
  setLabel(object, 0, nullptr);
  EXPECT_EQ(text->refCount, 1);
  UnlockString(text);
  UnlockObject(object);
}

TEST_F(RegistrationTest, UnknownPropertyTypesAndBadDeclarationsAreLeftOut) {
  PluginPropertyEntry properties[3] = {
      {0, "Known", "Color", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 0, {}},
      {0, "Unknown", "NoSuchClass", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 4, {}},
      {0, nullptr, "Integer", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 8, {}},
  };
  PluginMethodEntry methods[4] = {
      {reinterpret_cast<void*>(&ExportedOne), nullptr, "Good(a As Integer, ByRef b As String) As Boolean"},
      {reinterpret_cast<void*>(&ExportedOne), nullptr, "Bad(a As NoSuchClass)"},
      {reinterpret_cast<void*>(&ExportedOne), nullptr, nullptr},
      {reinterpret_cast<void*>(&ExportedOne), nullptr, "Result() As"},
  };
  PluginEventEntry events[2] = {{"Bad(", nullptr}, {"Good", nullptr}};
  PluginControlDescriptor descriptor{};
  descriptor.version = 4;
  descriptor.name = "PickyControl";
  descriptor.properties = properties;
  descriptor.propertyCount = 3;
  descriptor.methods = methods;
  descriptor.methodCount = 4;
  descriptor.events = events;
  descriptor.eventCount = 2;
  descriptor.interfaces = "NoSuchInterface, ";
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&descriptor));
  ClassRecord* cls = FindPluginControl("PickyControl");
  ASSERT_NE(cls, nullptr);
  EXPECT_EQ(CountProperties(cls), 1);
  ASSERT_EQ(CountMethods(cls), 1);
  EXPECT_EQ(cls->methods->parameterCount, 2);
  EXPECT_EQ(cls->methods->returnType, FindTypeDescriptor("Boolean"));
  EXPECT_EQ(events[0].handle, nullptr);
  EXPECT_NE(events[1].handle, nullptr);
  EXPECT_EQ(cls->interfaces, nullptr);
}

TEST_F(RegistrationTest, ADescriptorWithoutNameOrWithANegativeSizeIsRefused) {
  PluginControlDescriptor descriptor{};
  descriptor.version = 3;
  descriptor.name = nullptr;
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&descriptor));
  descriptor.name = "Negative";
  descriptor.dataSize = -4;
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&descriptor));
  PluginRegisterControl(nullptr);
  EXPECT_EQ(FirstControlInfo(), nullptr);
}

// ---- Classes ---------------------------------------------------------------------------------

PluginClassDescriptor ClassDescriptor(const char* name, const char* super, int32_t dataSize) {
  PluginClassDescriptor d{};
  d.name = name;
  d.superclass = super;
  d.dataSize = dataSize;
  return d;
}

TEST_F(RegistrationTest, WithoutRegisterPluginVersionClassesAreNotRegistered) {
  PluginClassDescriptor d = ClassDescriptor("Versionless", "", 8);
  EXPECT_EQ(PluginRegisterClass(reinterpret_cast<uint32_t*>(&d)), nullptr);
  EXPECT_EQ(FindPluginClass("Versionless"), nullptr);
  PluginClassDescriptor extension = ClassDescriptor("Object", "", 0);
  PluginRegisterClassExtension(reinterpret_cast<uint32_t*>(&extension));  // ignored as well
}

TEST_F(RegistrationTest, AVersionlessPluginLoadedFromDiskRegistersNoClass) {
  std::vector<uint8_t> bytes = ReadBytes(AMX_TEST_PLUGIN);
  CarriedPlugin carried{"probe2.dll", bytes.data(), uint32_t(bytes.size())};
  std::string path = PlaceLibrary(carried);
  ASSERT_FALSE(path.empty());
  void* handle = dlopen((SystemDirectory() + "/probe2.dll").c_str(), RTLD_NOW);
  *static_cast<int*>(dlsym(handle, "gTestMode")) = 2;
  ASSERT_TRUE(LoadPlugin(path));
  EXPECT_EQ(*static_cast<void**>(dlsym(handle, "gRegisteredClass")), nullptr);
  EXPECT_EQ(FindPluginClass("ProbeClass"), nullptr);
  EXPECT_EQ(FirstPlugin()->version, 1);
  dlclose(handle);
}

TEST_F(RegistrationTest, AClassOfAnExistingNameIsReturnedInstead) {
  RegisterPluginVersion(3);
  PluginClassDescriptor a = ClassDescriptor("Twice", "", 4);
  PluginClassDescriptor b = ClassDescriptor("twice", "", 40);
  ClassRecord* first = PluginRegisterClass(reinterpret_cast<uint32_t*>(&a));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PluginRegisterClass(reinterpret_cast<uint32_t*>(&b)), first);
  PluginClassDescriptor builtin = ClassDescriptor("Application", "", 4);
  EXPECT_EQ(PluginRegisterClass(reinterpret_cast<uint32_t*>(&builtin)), Builtin("Application"));
}

TEST_F(RegistrationTest, FinishingPlacesASuperclassBeforeItsSubclass) {
  RegisterPluginVersion(3);
  PluginPropertyEntry subProperties[1] = {
      {0, "Extra", "Integer", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 0, {}}};
  PluginClassDescriptor sub = ClassDescriptor("Sub", "Base", 8);
  sub.properties = subProperties;
  sub.propertyCount = 1;
  PluginClassDescriptor base = ClassDescriptor("Base", "", 12);
  PluginClassDescriptor root = ClassDescriptor("Lonely", "NoSuchSuper", 4);
  ClassRecord* subClass = PluginRegisterClass(reinterpret_cast<uint32_t*>(&sub));  // first
  ClassRecord* baseClass = PluginRegisterClass(reinterpret_cast<uint32_t*>(&base));
  ClassRecord* lonely = PluginRegisterClass(reinterpret_cast<uint32_t*>(&root));
  FinishPluginClasses();
  EXPECT_EQ(baseClass->superclass, nullptr);
  EXPECT_EQ(base.dataOffset, 24);
  EXPECT_EQ(baseClass->instanceSize, 36);
  EXPECT_EQ(subClass->superclass, baseClass);
  EXPECT_EQ(sub.dataOffset, 36);
  EXPECT_EQ(subClass->instanceSize, 44);
  EXPECT_EQ(lonely->superclass, nullptr);
  EXPECT_EQ(root.dataOffset, 24);
  // The runtime's own accessor addresses the subclass's own data, after the superclass's.
  ASSERT_NE(subClass->properties, nullptr);
  EXPECT_EQ(subClass->properties->parameter, 36);
  ObjectHeader* object = MakeObject(subClass);
  EXPECT_TRUE(ObjectIsa(object, baseClass));
  UnlockObject(object);
}

TEST_F(RegistrationTest, ClassesNamingEachOtherAsSuperclassDoNotLoop) {
  RegisterPluginVersion(3);
  PluginClassDescriptor a = ClassDescriptor("LoopA", "LoopB", 4);
  PluginClassDescriptor b = ClassDescriptor("LoopB", "LoopA", 4);
  ClassRecord* ca = PluginRegisterClass(reinterpret_cast<uint32_t*>(&a));
  ClassRecord* cb = PluginRegisterClass(reinterpret_cast<uint32_t*>(&b));
  FinishPluginClasses();
  EXPECT_TRUE(ca->superclass == nullptr || cb->superclass == nullptr);
}

int gConstructed = 0;
int gDestructed = 0;
extern "C" void CountConstruct(ObjectHeader*) { ++gConstructed; }
extern "C" void CountDestruct(ObjectHeader*) { ++gDestructed; }

TEST_F(RegistrationTest, ConstructorAndDestructorRunWithEachInstanceAndNewInstanceFindsByName) {
  RegisterPluginVersion(3);
  PluginClassDescriptor d = ClassDescriptor("Counted", "", 4);
  d.constructor = reinterpret_cast<void*>(&CountConstruct);
  d.destructor = reinterpret_cast<void*>(&CountDestruct);
  PluginRegisterClass(reinterpret_cast<uint32_t*>(&d));
  FinishPluginClasses();
  gConstructed = gDestructed = 0;
  ObjectHeader* object = PluginNewInstance("counted");
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(gConstructed, 1);
  MAVEUnlockObject(object);
  EXPECT_EQ(gDestructed, 1);
  EXPECT_EQ(PluginNewInstance("NoSuchClassAnywhere"), nullptr);
  EXPECT_EQ(PluginNewInstance(nullptr), nullptr);
}

TEST_F(RegistrationTest, ExtensionsAddMembersToAnExistingClassOnly) {
  RegisterPluginVersion(3);
  PluginClassDescriptor d = ClassDescriptor("Extended", "", 8);
  PluginRegisterClass(reinterpret_cast<uint32_t*>(&d));
  FinishPluginClasses();
  PluginMethodEntry methods[1] = {{reinterpret_cast<void*>(&ExportedOne), reinterpret_cast<void*>(&ExportedTwo), "Added"}};
  PluginEventEntry events[1] = {{"Happened", nullptr}};
  PluginClassDescriptor extension{};
  extension.name = "extended";
  extension.methods = methods;
  extension.methodCount = 1;
  extension.events = events;
  extension.eventCount = 1;
  PluginRegisterClassExtension(reinterpret_cast<uint32_t*>(&extension));
  ClassRecord* cls = FindPluginClass("Extended");
  EXPECT_EQ(ResolveAccessorLink("MExtended!Added", nullptr), reinterpret_cast<void*>(&ExportedOne));
  EXPECT_EQ(ResolveAccessorLink("WExtended!Added", nullptr), reinterpret_cast<void*>(&ExportedTwo));
  EXPECT_EQ(FindEventDeclaration(cls, "Happened"), events[0].handle);
  extension.name = "NotThere";
  PluginRegisterClassExtension(reinterpret_cast<uint32_t*>(&extension));  // nothing happens
  PluginRegisterClassExtension(nullptr);
}

// ---- Global methods --------------------------------------------------------------------------

TEST_F(RegistrationTest, GlobalMethodsByVersion) {
  PluginExportEntry exports[1] = {{0, reinterpret_cast<void*>(&ExportedTwo)}};
  RegisterPluginExports(reinterpret_cast<const uint32_t*>(exports));
  PluginMethodEntryV1 v1{0, "Twice(n As Integer) As Integer"};
  PluginRegisterMethod(reinterpret_cast<const uint32_t*>(&v1));  // version 1
  EXPECT_EQ(ResolveAccessorLink("MTwice", nullptr), reinterpret_cast<void*>(&ExportedTwo));

  RegisterPluginVersion(2);
  PluginMethodEntryV1 ignored{0, "Ignored"};
  PluginRegisterMethod(reinterpret_cast<const uint32_t*>(&ignored));
  EXPECT_EQ(FindPluginGlobalMethod("Ignored"), nullptr);

  RegisterPluginVersion(4);
  PluginMethodEntry current{reinterpret_cast<void*>(&ExportedOne), reinterpret_cast<void*>(&ExportedTwo), "Both"};
  PluginRegisterMethod(reinterpret_cast<const uint32_t*>(&current));
  EXPECT_EQ(ResolveAccessorLink("MBoth", nullptr), reinterpret_cast<void*>(&ExportedOne));
  EXPECT_EQ(ResolveAccessorLink("WBoth", nullptr), reinterpret_cast<void*>(&ExportedTwo));
  EXPECT_TRUE(Assertions().empty());
}

TEST_F(RegistrationTest, AMethodWithoutCurrentPluginOrEntryIsFailedAssertion1304) {
  PluginRegisterMethod(nullptr);
  SetCurrentPlugin(nullptr);
  PluginMethodEntry entry{reinterpret_cast<void*>(&ExportedOne), nullptr, "Orphan"};
  PluginRegisterMethod(reinterpret_cast<const uint32_t*>(&entry));
  ASSERT_EQ(Assertions().size(), 2u);
  EXPECT_EQ(Assertions()[0], std::make_pair(4, 1304));
  EXPECT_EQ(FindPluginGlobalMethod("Orphan"), nullptr);
}

TEST_F(RegistrationTest, VersionAndExportsNeedACurrentPlugin) {
  SetCurrentPlugin(nullptr);
  RegisterPluginVersion(7);  // no plug-in to set it on: nothing happens
  RegisterPluginExports(nullptr);
  EXPECT_EQ(plugin_->version, 1);
  PluginRegisterDBEngine(nullptr);
  PluginRegisterDBCursor(nullptr);
}

// ---- String and reference services -----------------------------------------------------------

TEST_F(RegistrationTest, StringServices) {
  StringRecord* s = MAVEBuildString("abc\0def", 7);
  EXPECT_EQ(StringLength(s), 7);
  EXPECT_STREQ(StringGetCString(s), "abc");
  const uint8_t* p = StringGetPString(s);
  EXPECT_EQ(p[0], 7);
  EXPECT_EQ(std::memcmp(p + 1, "abc\0def", 7), 0);
  EXPECT_EQ(MAVELockString(s), s);
  EXPECT_EQ(s->refCount, 2);
  MAVEUnlockString(s);
  MAVEUnlockString(s);
  EXPECT_EQ(MAVEBuildString(nullptr, 4), nullptr);
  EXPECT_EQ(MAVEBuildString("x", -1), nullptr);
  EXPECT_STREQ(StringGetCString(nullptr), "");
  EXPECT_EQ(StringGetPString(nullptr)[0], 0);
  EXPECT_EQ(MAVEinRuntime(), 1);
  StringRecord* font = PluginDefaultControlFont();
  EXPECT_EQ(StringView(font), "System");
  UnlockString(font);
  EXPECT_GT(PluginDefaultControlFontSize(), 0);
}

}  // namespace

namespace {

extern "C" int32_t PluginCountGetter(ObjectHeader*, int32_t) { return 42; }

// A built-in class has no plug-in data: an extension property that would use the runtime's
// own field accessors has nowhere to live and is left out; one served by the plug-in is added.
TEST_F(RegistrationTest, ExtensionsOfBuiltinClassesTakeOnlyPluginServedProperties) {
  RegisterPluginVersion(3);
  PluginPropertyEntry properties[2] = {
      {0, "PluginField", "Integer", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 0, {}},
      {0, "PluginServed", "Integer", 0, reinterpret_cast<void*>(&PluginCountGetter), nullptr, 0, {}},
  };
  PluginClassDescriptor extension{};
  extension.name = "FolderItem";
  extension.properties = properties;
  extension.propertyCount = 2;
  PluginRegisterClassExtension(reinterpret_cast<uint32_t*>(&extension));
  ClassRecord* cls = FindBuiltinClass("FolderItem");
  EXPECT_EQ(FindProperty(cls, "PluginField"), nullptr);
  PropertyEntry* served = FindProperty(cls, "PluginServed");
  ASSERT_NE(served, nullptr);
  EXPECT_EQ(served->getter, reinterpret_cast<void*>(&PluginCountGetter));
}

}  // namespace

namespace {

// A Double field travels as two stack words and comes back on the floating-point stack.
TEST_F(RegistrationTest, DoubleFieldsUseDoubleAccessors) {
  PluginPropertyEntry properties[1] = {
      {0, "Ratio", "Double", 0, RuntimeAccessorMark(), RuntimeAccessorMark(), 8, {}}};
  PluginControlDescriptor descriptor{};
  descriptor.version = 3;
  descriptor.name = "RatioControl";
  descriptor.dataSize = 16;
  descriptor.properties = properties;
  descriptor.propertyCount = 1;
  PluginRegisterControl(reinterpret_cast<uint32_t*>(&descriptor));
  ObjectHeader* object = MakeObject(FindPluginControl("RatioControl"));
  auto set = reinterpret_cast<void (*)(ObjectHeader*, int32_t, double)>(
      ResolveAccessorLink("SRatioControl!Ratio", nullptr));
  auto get = reinterpret_cast<double (*)(ObjectHeader*, int32_t)>(
      ResolveAccessorLink("GRatioControl!Ratio", nullptr));
  set(object, 0, 2.5);
  EXPECT_EQ(get(object, 0), 2.5);
  double stored;
  std::memcpy(&stored, reinterpret_cast<uint8_t*>(object) + 96 + 8, sizeof stored);
  EXPECT_EQ(stored, 2.5);
  UnlockObject(object);
}

}  // namespace
