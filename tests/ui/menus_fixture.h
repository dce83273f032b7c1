// Shared set-up of the menu tests: a headless window manager (native_fixture), and a small
// application image made with the image kit and loaded through the real loader: the kind-1
// classes Application, MenuItem and QuitMenuItem, item subclasses with handlers, and an
// application class with menu handlers and events. Handlers are hand-assembled; each reports
// to the test routine TestMenuCall(code, receiver, index), whose result it returns.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/ui/menus.h"
#include "tests/native/native_fixture.h"
#include "tools/imagekit/imagekit.h"

namespace menus_test {

struct Call {
  uint32_t code;
  ObjectHeader* receiver;
  int32_t index;  // the word after the receiver (menu handlers' index)
};
extern std::vector<Call> gCalls;
extern std::map<uint32_t, uint32_t> gResults;  // what TestMenuCall returns for a code (0)
extern std::vector<std::string> gDebugMessages;

// A handler: reports `code`; with enableItem it first writes 1 into the Enabled byte at
// offset 60 of its receiver (what an "EnableMenu" handler of compiled code does).
struct HandlerDef {
  std::string name;  // event or menu item name
  uint8_t code;
  bool enableReceiver = false;
};

struct ItemClassDef {
  std::string name;
  int32_t superclass;  // class index, -1 = none
  uint32_t instanceSize = 72;
  std::vector<HandlerDef> events;
};

class MenuImage {
 public:
  MenuImage();
  uint32_t application = 0, menuItem = 0, quitMenuItem = 0;

  uint32_t AddItemClass(const ItemClassDef& def);  // returns its class index
  // Menu handlers of the application class, in file order (the runtime lists them reversed).
  void AddAppMenuHandler(const std::string& item, uint8_t code);
  void AddAppEvent(const std::string& event, uint8_t code);
  // The application's "EnableMenuItems": RuntimeMenuReference(name), Enabled at offset 60
  // := 1, RuntimeUnlockObject, for each name (a nil result is skipped).
  void EnableInAppEnableMenuItems(const std::vector<std::string>& names);
  // A main window (class "Main", a subclass of Window) with these menu handlers and events,
  // created by the entry after RuntimeInit as the application's default window.
  void AddMainWindow(const std::vector<HandlerDef>& menuHandlers,
                     const std::vector<HandlerDef>& events);
  // Finishes the image: the application class last, then the descriptor and the entry.
  imagekit::Image Finish(const std::vector<imagekit::MenuEntry>* projectMenuBar = nullptr,
                         bool mdi = false);
  uint32_t AppClassIndex() const { return appIndex_; }

 private:
  void EmitReporter(imagekit::CodeLabel label, const HandlerDef& def);
  void EmitEnabler(imagekit::CodeLabel label);

  imagekit::ImageBuilder b_;
  std::vector<std::pair<imagekit::CodeLabel, HandlerDef>> pending_;
  imagekit::ClassDef app_;
  std::vector<std::string> enableNames_;
  imagekit::CodeLabel enabler_;
  uint32_t appIndex_ = 0;
  bool hasWindow_ = false;
  imagekit::WindowSlots window_;
};

// Entries of the bar the tests read: kind 0 item, with a key and a class.
imagekit::MenuEntry Item(const std::string& text, const std::string& name, int32_t cls,
                         const std::string& key = "");
imagekit::MenuEntry Separator(int32_t cls);
imagekit::MenuEntry TopMenu(const std::string& text, std::vector<imagekit::MenuEntry> children,
                            int32_t kind = 0);

class MenusTest : public native_test::NativeTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Loads the image's classes, makes the application object and builds the bar.
  void Load(MenuImage& image, const std::vector<imagekit::MenuEntry>& bar);
  void Build(const std::vector<imagekit::MenuEntry>& bar);

  // The native entries of a popup as "caption[ grayed][ checked]" or "-" or ">caption".
  static std::vector<std::string> NativeEntries(HMENU menu);
  static std::string BarTitles();  // the titles on the native bar, "|"-separated
  Menu* MenuNamed(const std::string& name);
  MenuItemObject* ItemNamed(const std::string& name, int32_t index = INT32_MIN);
};

}  // namespace menus_test
