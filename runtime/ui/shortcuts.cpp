// The runtime-wide shortcut table and the shortcut texts of menu key descriptions and key
// presses. Entries are kept newest first; a key registered again replaces its entry. The
// keyboard pre-translation of the window layer calls ShortcutTextFromKey, then RunShortcut.
#include "runtime/ui/shortcuts.h"

#include <algorithm>
#include <vector>

#include "runtime/objects/strings.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/pane.h"

namespace {

// Invariant: no two entries share a key (menu and command identifier, or pane).
struct ShortcutEntry {
  HMENU menu;         // kind 0
  int32_t commandId;  // kind 0
  Pane* pane;         // kind 4
  ShortcutKind kind;
  std::string text;
};

std::vector<ShortcutEntry>& Table() {
  static std::vector<ShortcutEntry>* table = new std::vector<ShortcutEntry>;
  return *table;
}

bool SameKey(const ShortcutEntry& a, const ShortcutEntry& b) {
  if (a.kind != b.kind) return false;
  if (a.kind == kShortcutControl) return a.pane == b.pane;
  return a.menu == b.menu && a.commandId == b.commandId;
}

void Register(const ShortcutEntry& entry) {
  std::vector<ShortcutEntry>& table = Table();
  table.erase(std::remove_if(table.begin(), table.end(),
                             [&](const ShortcutEntry& e) { return SameKey(e, entry); }),
              table.end());
  table.insert(table.begin(), entry);
}

const ShortcutEntry* Lookup(const std::string& text) {
  if (text.empty()) return nullptr;
  for (const ShortcutEntry& entry : Table()) {
    if (CompareNames(entry.text.data(), static_cast<int32_t>(entry.text.size()), text.data(),
                     static_cast<int32_t>(text.size())) == 0)
      return &entry;
  }
  return nullptr;
}

bool EqualsIgnoringCase(std::string_view a, const char* b) {
  return CompareNames(a.data(), static_cast<int32_t>(a.size()), b,
                      static_cast<int32_t>(std::char_traits<char>::length(b))) == 0;
}

struct Modifiers {
  bool control = false;
  bool shift = false;
  bool alt = false;
};

std::string Compose(const Modifiers& m, std::string_view key) {
  std::string text;
  if (m.control) text += "Ctrl+";
  if (m.shift) text += "Shft+";
  if (m.alt) text += "Alt+";
  text += key;
  return text;
}

// Keys whose press has no shortcut text: the modifiers themselves and the lock keys.
bool IsSilentKey(uint32_t vk) {
  switch (vk) {
    case VK_SHIFT: case VK_CONTROL: case VK_MENU: case VK_PAUSE: case VK_CAPITAL:
    case VK_LWIN: case VK_RWIN: case VK_APPS: case VK_NUMLOCK: case VK_SCROLL:
      return true;
    default:
      return vk >= 0xA0 && vk <= 0xA5;  // the left and right Shift, Control and Alt keys
  }
}

// The name of a key that is not silent; "" for codes that name no key.
std::string KeyName(uint32_t vk) {
  static const char* const kBlockNames[] = {
      "Space", "PgUp", "PgDn", "End",   "Home",    "Left",     "Up",  "Right",
      "Down",  "Select", "Print", "Execute", "Snapshot", "Ins", "Del", "Help"};
  switch (vk) {
    case 8: return "Bsp";
    case 9: return "Tab";
    case 12: return "Clr";
    case 13: return "Enter";
    case 27: return "Esc";
    default: break;
  }
  if (vk >= 0x20 && vk <= 0x2F) return kBlockNames[vk - 0x20];
  if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x70 + 1);
  if (vk == 0 || vk > 0xFF) return "";
  return std::string(1, static_cast<char>(vk));
}

}  // namespace

void RegisterMenuShortcut(HMENU menu, int32_t commandId, const std::string& text) {
  if (text.empty()) return;
  Register(ShortcutEntry{menu, commandId, nullptr, kShortcutMenuItem, text});
}

void RegisterControlAccelerator(Pane* pane, const std::string& text) {
  if (pane == nullptr || text.empty()) return;
  Register(ShortcutEntry{nullptr, 0, pane, kShortcutControl, text});
}

void ForgetPaneShortcuts(Pane* pane) {
  std::vector<ShortcutEntry>& table = Table();
  table.erase(std::remove_if(table.begin(), table.end(),
                             [&](const ShortcutEntry& e) {
                               return e.kind == kShortcutControl && e.pane == pane;
                             }),
              table.end());
}

void ForgetMenuShortcut(HMENU menu, int32_t commandId) {
  std::vector<ShortcutEntry>& table = Table();
  table.erase(std::remove_if(table.begin(), table.end(),
                             [&](const ShortcutEntry& e) {
                               return e.kind == kShortcutMenuItem && e.menu == menu &&
                                      e.commandId == commandId;
                             }),
              table.end());
}

int32_t MenuShortcutCommand(const std::string& text) {
  const ShortcutEntry* entry = Lookup(text);
  return entry != nullptr && entry->kind == kShortcutMenuItem ? entry->commandId : -1;
}

int32_t ShortcutCount() { return static_cast<int32_t>(Table().size()); }

bool RunShortcut(const std::string& text) {
  const ShortcutEntry* entry = Lookup(text);
  if (entry == nullptr) return false;
  // Copy what the entry says before running it: handlers may change the table.
  ShortcutKind kind = entry->kind;
  int32_t commandId = entry->commandId;
  Pane* pane = entry->pane;
  if (kind == kShortcutMenuItem) {
    DispatchMenuCommand(commandId);
  } else {
    pane->AcceleratorKey();
  }
  return true;
}

std::string ShortcutTextFromKeySpec(const std::string& spec) {
  if (spec.empty()) return "";
  Modifiers m;
  std::string_view rest = spec;
  // Every field before the last one may name a modifier; the last one is the key.
  for (size_t dash = rest.find('-'); dash != std::string_view::npos; dash = rest.find('-')) {
    std::string_view field = rest.substr(0, dash);
    if (EqualsIgnoringCase(field, "Shift")) m.shift = true;
    if (EqualsIgnoringCase(field, "Control")) m.control = true;
    if (EqualsIgnoringCase(field, "Alt")) m.alt = true;
    // "Option" is accepted and adds nothing to the text.
    rest = rest.substr(dash + 1);
  }
  std::string_view key = rest.empty() ? std::string_view("-") : rest;
  if (key.size() == 1) m.control = true;
  return Compose(m, key);
}

std::string ShortcutTextFromKey(uint32_t virtualKey, bool control, bool shift, bool alt) {
  if (IsSilentKey(virtualKey)) return "";
  std::string key = KeyName(virtualKey);
  if (key.empty()) return "";
  return Compose(Modifiers{control, shift, alt}, key);
}

void ClearShortcuts() { Table().clear(); }
