// The menu tests' image, fixture and helpers (menus_fixture.h): the image builder with its
// hand-assembled handlers, the test routine they report to, and native menu read-outs.
#include "tests/ui/menus_fixture.h"

#include "runtime/entries/entries.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/fatal.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/shortcuts.h"
#include "tests/exceptions/testimage.h"

using imagekit::CodeLabel;
using imagekit::MenuEntry;
using testimage::FunctionWriter;

namespace menus_test {

std::vector<Call> gCalls;
std::map<uint32_t, uint32_t> gResults;
std::vector<std::string> gDebugMessages;

namespace {

AMX_ENTRY uint32_t TestMenuCall(uint32_t code, ObjectHeader* receiver, int32_t index) noexcept {
  gCalls.push_back({code, receiver, index});
  auto it = gResults.find(code);
  return it == gResults.end() ? 0 : it->second;
}

void RecordDebugMessage(const char* text) { gDebugMessages.push_back(text); }

const std::vector<testimage::TestRoutine> kRoutines = {
    {"TestMenuCall", reinterpret_cast<void*>(TestMenuCall)},
};

}  // namespace

MenuImage::MenuImage() {
  application = b_.AddRuntimeClass("Application");
  menuItem = b_.AddRuntimeClass("MenuItem");
  quitMenuItem = b_.AddRuntimeClass("QuitMenuItem");
  app_.name = "App";
  app_.superclass = static_cast<int32_t>(application);
}

uint32_t MenuImage::AddItemClass(const ItemClassDef& def) {
  imagekit::ClassDef cls;
  cls.name = def.name;
  cls.superclass = def.superclass;
  cls.instanceSize = def.instanceSize;
  for (const HandlerDef& handler : def.events) {
    CodeLabel label = b_.NewCodeLabel();
    cls.eventHandlers.push_back({handler.name, label, 0});
    pending_.push_back({label, handler});
  }
  return b_.AddClass(cls);
}

void MenuImage::AddAppMenuHandler(const std::string& item, uint8_t code) {
  CodeLabel label = b_.NewCodeLabel();
  app_.menuHandlers.push_back({item, label});
  pending_.push_back({label, HandlerDef{item, code}});
}

void MenuImage::AddAppEvent(const std::string& event, uint8_t code) {
  CodeLabel label = b_.NewCodeLabel();
  app_.eventHandlers.push_back({event, label, 0});
  pending_.push_back({label, HandlerDef{event, code}});
}

void MenuImage::EnableInAppEnableMenuItems(const std::vector<std::string>& names) {
  enableNames_ = names;
  enabler_ = b_.NewCodeLabel();
  app_.eventHandlers.push_back({"EnableMenuItems", enabler_, 0});
}

void MenuImage::AddMainWindow(const std::vector<HandlerDef>& menuHandlers,
                              const std::vector<HandlerDef>& events) {
  imagekit::ClassDef cls;
  cls.name = "Main";
  cls.superclass = static_cast<int32_t>(b_.AddRuntimeClass("Window"));
  cls.instanceSize = 120;
  for (const HandlerDef& handler : menuHandlers) {
    CodeLabel label = b_.NewCodeLabel();
    cls.menuHandlers.push_back({handler.name, label});
    pending_.push_back({label, handler});
  }
  for (const HandlerDef& handler : events) {
    CodeLabel label = b_.NewCodeLabel();
    cls.eventHandlers.push_back({handler.name, label, 0});
    pending_.push_back({label, handler});
  }
  imagekit::WindowDesc window;
  window.classIndex = static_cast<int32_t>(b_.AddClass(cls));
  window.properties = {{"Name", "Main"},   {"Frame", "0"},     {"Title", "Principale"},
                       {"Visible", "True"}, {"Width", "300"},  {"Height", "200"},
                       {"MenuBarVisible", "True"}};
  window_ = b_.AddWindow(window);
  hasWindow_ = true;
}

void MenuImage::EmitReporter(CodeLabel label, const HandlerDef& def) {
  FunctionWriter f(b_);
  b_.BindCode(label);
  f.Begin(0);
  if (def.enableReceiver) {
    f.Code({0x8B, 0x45, 0x08});        // mov eax, [ebp+8]
    f.Code({0xC6, 0x40, 0x3C, 0x01});  // mov byte [eax+60], 1
  }
  f.Code({0xFF, 0x75, 0x0C});  // push dword [ebp+12]
  f.Code({0xFF, 0x75, 0x08});  // push dword [ebp+8]
  f.Code({0x6A, def.code});    // push code
  f.CallEntry("TestMenuCall");  // call TestMenuCall
  f.Code({0x83, 0xC4, 0x0C});  // add esp, 12
  f.End({});
}

void MenuImage::EmitEnabler(CodeLabel label) {
  FunctionWriter f(b_);
  b_.BindCode(label);
  f.Begin(0);
  for (const std::string& name : enableNames_) {
    b_.EmitDataAddress({0x68}, b_.AddStringLiteral(name));  // push name
    f.CallEntry("RuntimeMenuReference");                    // call RuntimeMenuReference
    f.Code({0x83, 0xC4, 0x04});                             // add esp, 4
    f.Code({0x85, 0xC0});                                   // test eax, eax
    // mov byte (4) + push (1) + call (5) + its call-site table (5) + add esp (3)
    f.Code({0x74, 18});                                     // jz past the release
    f.Code({0xC6, 0x40, 0x3C, 0x01});                       // mov byte [eax+60], 1
    f.Code({0x50});                                         // push eax
    f.CallEntry("RuntimeUnlockObject");                     // call RuntimeUnlockObject
    f.Code({0x83, 0xC4, 0x04});                             // add esp, 4
  }
  f.End({});
}

imagekit::Image MenuImage::Finish(const std::vector<MenuEntry>* projectMenuBar, bool mdi) {
  appIndex_ = b_.AddClass(app_);
  if (projectMenuBar != nullptr) b_.AddMenuBar(*projectMenuBar);
  if (mdi) {
    imagekit::Bytes settings = {0x00, 0, 0, 0, 0, 0, 0, 0, 1};  // flag, reserved 0 and 1
    imagekit::AppendCompactInt(settings, 0);  // no document types
    imagekit::AppendCompactInt(settings, 0);  // no messages
    settings.push_back(1);                    // MDI mode
    imagekit::AppendText(settings, "Mia applicazione");
    b_.AddProjectSettings(settings);
  }
  imagekit::DataLabel descriptor = b_.AddApplicationDescriptor();
  for (const auto& [label, def] : pending_) EmitReporter(label, def);
  if (enabler_.id != 0) EmitEnabler(enabler_);
  CodeLabel entry = b_.NewCodeLabel();
  FunctionWriter f(b_);
  b_.BindCode(entry);
  f.Begin(0);
  b_.EmitDataAddress({0x68}, descriptor);  // push descriptor
  f.CallEntry("RuntimeInit");              // call RuntimeInit
  f.Code({0x83, 0xC4, 0x04});              // add esp, 4
  if (hasWindow_) {
    b_.EmitDataAddress({0x68}, window_.instanceVariable);     // push variable
    b_.EmitDataAddress({0xFF, 0x35}, window_.recordPointer);  // push dword [record pointer]
    f.CallEntry("RuntimeCreateWindow");                       // call RuntimeCreateWindow
    f.Code({0x83, 0xC4, 0x08});                               // add esp, 8
    f.Code({0x50});                                           // push eax
    f.CallEntry("RuntimeUnlockObject");                       // call RuntimeUnlockObject
    f.Code({0x83, 0xC4, 0x04});                               // add esp, 4
  }
  f.CallEntry("RuntimeRun");               // call RuntimeRun
  f.End({});
  b_.SetEntryFunction(entry);
  b_.SetApplicationDescriptor(descriptor);
  return b_.Finish();
}

MenuEntry Item(const std::string& text, const std::string& name, int32_t cls,
               const std::string& key) {
  MenuEntry e;
  e.text = text;
  e.name = name;
  e.key = key;
  e.classIndex = cls;
  return e;
}

MenuEntry Separator(int32_t cls) {
  MenuEntry e = Item("-", "", cls);
  e.kind = 2;
  return e;
}

MenuEntry TopMenu(const std::string& text, std::vector<MenuEntry> children, int32_t kind) {
  MenuEntry e;
  e.kind = kind;
  e.text = text;
  e.children = std::move(children);
  return e;
}

void MenusTest::SetUp() {
  NativeTest::SetUp();
  gCalls.clear();
  gResults.clear();
  gDebugMessages.clear();
  ClearShortcuts();
  FreeAllCommandIds();
  SetDebugMessageHook(RecordDebugMessage);
}

void MenusTest::TearDown() {
  DestroyMenuBar();
  ClearShortcuts();
  FreeAllCommandIds();
  ResetRunState();
  SetDebugMessageHook(nullptr);
  NativeTest::TearDown();
}

void MenusTest::Load(MenuImage& image, const std::vector<MenuEntry>& bar) {
  testimage::LoadedImage loaded;
  ASSERT_TRUE(testimage::LoadImage(image.Finish(), kRoutines, false, &loaded));
  ASSERT_TRUE(testimage::LoadClasses(loaded));
  CurrentRun().application = MakeObject(ImageClass(static_cast<int32_t>(image.AppClassIndex())));
  Build(bar);
}

void MenusTest::Build(const std::vector<MenuEntry>& bar) {
  imagekit::Bytes stream = imagekit::EncodeMenuBarStream(bar);
  BuildMenuBar(stream.data(), static_cast<uint32_t>(stream.size()));
}

std::vector<std::string> MenusTest::NativeEntries(HMENU menu) {
  std::vector<std::string> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    if (state & MF_SEPARATOR) {
      out.push_back("-");
      continue;
    }
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
    std::string line = (state & MF_POPUP) ? ">" + std::string(text) : std::string(text);
    if (state & MF_GRAYED) line += " grayed";
    if (state & MF_CHECKED) line += " checked";
    out.push_back(line);
  }
  return out;
}

std::string MenusTest::BarTitles() {
  std::string out;
  HMENU bar = ApplicationMenuBar();
  for (int i = 0; i < GetMenuItemCount(bar); ++i) {
    char text[256] = {};
    GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
    out += (i > 0 ? "|" : "") + std::string(text);
  }
  return out;
}

Menu* MenusTest::MenuNamed(const std::string& name) {
  for (Menu* menu : MenuBarMenus()) {
    if (StringView(menu->name) == name) return menu;
  }
  return nullptr;
}

MenuItemObject* MenusTest::ItemNamed(const std::string& name, int32_t index) {
  return FindMenuItem(name, index);
}

}  // namespace menus_test
