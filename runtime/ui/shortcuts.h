// The runtime-wide shortcut table: key -> what a shortcut runs, newest first; registering a
// key that is present replaces the old entry. Menu items register (native menu, command
// identifier) with kind 0, controls their caption accelerators with kind 4. Shortcut texts
// are written "Ctrl+" "Shft+" "Alt+" (in this order) then the key: "Ctrl+Q", "Alt+P".
// Entry points: RegisterMenuShortcut, RegisterControlAccelerator, RunShortcut.
#pragma once
#include <cstdint>
#include <string>

#include "native/win32.h"

class Pane;

enum ShortcutKind : int32_t { kShortcutMenuItem = 0, kShortcutControl = 4 };

void RegisterMenuShortcut(HMENU menu, int32_t commandId, const std::string& text);
void RegisterControlAccelerator(Pane* pane, const std::string& text);
// Drops every entry of a pane (the pane is going away).
void ForgetPaneShortcuts(Pane* pane);
// Drops the entry of a menu item (the item left its menu; its identifier may be reused).
void ForgetMenuShortcut(HMENU menu, int32_t commandId);
// The command identifier a kind-0 entry for the text runs, or -1 when the text names no
// menu item (texts compare ignoring case, newest entry first).
int32_t MenuShortcutCommand(const std::string& text);
int32_t ShortcutCount();
// Runs the entry registered for the text: the menu command dispatch for a menu item, the
// pane's AcceleratorKey for a control. True when an entry matched (the key is consumed).
bool RunShortcut(const std::string& text);
// The shortcut text of a menu key description: "Q" -> "Ctrl+Q", "Shift-Q" ->
// "Ctrl+Shft+Q", "" -> "".
std::string ShortcutTextFromKeySpec(const std::string& spec);
// The shortcut text of a key press (virtual-key code and modifier state); "" for keys that
// have none (Shift, Control, Alt, Pause, Caps Lock, ...).
std::string ShortcutTextFromKey(uint32_t virtualKey, bool control, bool shift, bool alt);
// Empties the table (tests, shutdown).
void ClearShortcuts();
