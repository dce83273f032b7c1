// Shared set-up of the plug-in pane tests: a headless screen, one shown window with its view
// window, and plug-in controls placed on it with their panes made by their "CreatePane"
// handlers; everything goes again with the test. Entry point: PaneWindowTest.
#pragma once

#include <vector>

#include "native/win32.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/controlobject.h"
#include "runtime/ui/viewwindow.h"
#include "runtime/ui/windowlayer.h"
#include "runtime/ui/windowobject.h"
#include "tests/plugins/pluginfixture.h"
#include "tests/support/headlessscreen.h"

class PaneWindowTest : public PluginTest {
 protected:
  // After PluginTest::SetUp: the headless screen (its messages prefixed with name), the
  // built-in classes and the native window classes.
  void InstallScreen(const char* name) {
    screen_.Install(name);
    SetUpBuiltinClasses();
    windows::RegisterWindowClasses(GetModuleHandleA(nullptr));
  }

  void TearDown() override {
    for (ObjectHeader* control : controls_) {
      delete AsControl(control)->pane;
      UnlockObject(control);
    }
    if (view_ != nullptr) {
      view_->TearDown();
      view_->Release();
    }
    UnlockObject(window_);
    screen_.Release();
    PluginTest::TearDown();
  }

  // A shown headless window of 400 x 300 with its view window.
  void OpenWindow() {
    window_ = MakeObject(FindBuiltinClass("Window"));
    auto* w = reinterpret_cast<WindowObject*>(window_);
    w->bounds = Rect16{100, 100, 400, 500};
    w->visible = 1;
    view_ = new RuntimeViewWindow(w, 8);
    ASSERT_TRUE(windows::CreateNativeWindow(view_, w));
    w->native = view_;
    ShowWindow(view_->Handle(), SW_SHOW);
  }

  // A control of the window at these bounds, without a pane yet; taken down with the test.
  ObjectHeader* PlaceControl(ClassRecord* cls, Rect16 bounds) {
    ObjectHeader* object = MakeObject(cls);
    ControlObject* c = AsControl(object);
    c->bounds = bounds;
    c->viewWindow = view_;
    c->window = c->windowObject = window_;
    controls_.push_back(object);
    return object;
  }

  // The control's pane, made by its "CreatePane" handler.
  static void MakePane(ObjectHeader* object) {
    CodeAddress handler = FindEventHandler(object, AMX_BUILTIN_EVENT(Control, CreatePane));
    ASSERT_NE(handler, nullptr);
    CallImage1(handler, reinterpret_cast<uint32_t>(object));
  }

  ObjectHeader* window_ = nullptr;
  RuntimeViewWindow* view_ = nullptr;
  std::vector<ObjectHeader*> controls_;

 private:
  HeadlessScreen screen_;
};
