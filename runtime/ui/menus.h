// The menu layer as the rest of the runtime calls it: the application menu bar (built from
// the image's stream by the start-up hook), the enabling pass, command dispatch and item
// lookup. MenuItemObject is the layout of a "MenuItem" object (72 bytes); compiled code
// writes Enabled at offset 60 directly. Entry points: BuildMenuBar, RunMenuEnablingPass,
// DispatchMenuCommand.
#pragma once
#include <cstddef>
#include <cstdint>

#include "native/win32.h"
#include "runtime/objects/object.h"
#include "runtime/objects/string.h"

struct Menu;

struct MenuItemObject {
  ObjectHeader header;
  uint32_t unused[2];
  StringRecord* name;
  StringRecord* text;
  StringRecord* balloonHelp;
  StringRecord* disabledBalloonHelp;
  int32_t index;  // kNotInArray outside menu item arrays
  StringRecord* tag;
  Menu* menu;
  int32_t position;  // in the native menu; -1 while not shown
  StringRecord* commandKey;
  uint8_t enabled;
  uint8_t shownEnabled;
  uint8_t checkMark;
  uint8_t shownCheckMark;
  uint8_t unusedByte;
  uint8_t visible;
  uint8_t inserted;
  uint8_t pad;
  int32_t commandId;
};
static_assert(sizeof(MenuItemObject) == 72);
static_assert(offsetof(MenuItemObject, name) == 24);
static_assert(offsetof(MenuItemObject, text) == 28);
static_assert(offsetof(MenuItemObject, index) == 40);
static_assert(offsetof(MenuItemObject, tag) == 44);
static_assert(offsetof(MenuItemObject, menu) == 48);
static_assert(offsetof(MenuItemObject, position) == 52);
static_assert(offsetof(MenuItemObject, commandKey) == 56);
static_assert(offsetof(MenuItemObject, enabled) == 60);
static_assert(offsetof(MenuItemObject, checkMark) == 62);
static_assert(offsetof(MenuItemObject, visible) == 65);
static_assert(offsetof(MenuItemObject, inserted) == 66);
static_assert(offsetof(MenuItemObject, commandId) == 68);

// Builds the menu bar from the image's stream (the start-up hook for the menu-bar item).
void BuildMenuBar(const uint8_t* stream, uint32_t length);
// The native menu bar, or nil before it is built.
HMENU ApplicationMenuBar();
// The enabling pass (menu initialisation, window activation); nothing before the bar exists.
void RunMenuEnablingPass();
// Dispatch of a menu command identifier; true when something handled it.
bool DispatchMenuCommand(int32_t commandId);
