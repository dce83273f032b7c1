// Shortcut texts from menu key descriptions and from key presses, and the shortcut table:
// newest first, one entry per key, a match runs its owner and consumes the key.
#include <gtest/gtest.h>

#include "runtime/startup/runstate.h"
#include "runtime/ui/pane.h"
#include "runtime/ui/shortcuts.h"
#include "tests/ui/menus_fixture.h"

namespace menus_test {
namespace {

struct SpecCase {
  const char* spec;
  const char* text;
};

TEST(ShortcutTextTest, FromMenuKeyDescriptions) {
  const SpecCase cases[] = {
      {"Q", "Ctrl+Q"},
      {"Shift-Q", "Ctrl+Shft+Q"},
      {"", ""},
      {"shift-alt-X", "Ctrl+Shft+Alt+X"},
      {"Control-Shift-Z", "Ctrl+Shft+Z"},
      {"Option-Q", "Ctrl+Q"},        // Option adds nothing to the text
      {"F5", "F5"},                  // only a one-character key adds Control
      {"Shift-F5", "Shft+F5"},
      {"Control-F5", "Ctrl+F5"},
      {"Alt-Del", "Alt+Del"},
      {"-", "Ctrl+-"},               // an empty last field is the key "-"
      {"Shift-", "Ctrl+Shft+-"},
      {"Bogus-Q", "Ctrl+Q"},         // unknown modifier words are ignored
      {"q", "Ctrl+q"},
  };
  for (const SpecCase& c : cases) {
    EXPECT_EQ(ShortcutTextFromKeySpec(c.spec), c.text) << "spec \"" << c.spec << "\"";
  }
}

struct KeyCase {
  uint32_t vk;
  bool control, shift, alt;
  const char* text;
};

TEST(ShortcutTextTest, FromKeyPresses) {
  const KeyCase cases[] = {
      {'Q', true, false, false, "Ctrl+Q"},
      {'Q', true, true, false, "Ctrl+Shft+Q"},
      {'Q', true, true, true, "Ctrl+Shft+Alt+Q"},
      {'7', false, false, true, "Alt+7"},
      {'A', false, false, false, "A"},
      {8, false, false, false, "Bsp"},
      {9, false, true, false, "Shft+Tab"},
      {12, false, false, false, "Clr"},
      {13, false, false, false, "Enter"},
      {27, false, false, false, "Esc"},
      {0x20, false, false, false, "Space"},
      {0x21, false, false, false, "PgUp"},
      {0x22, false, false, false, "PgDn"},
      {0x23, false, false, false, "End"},
      {0x24, false, false, false, "Home"},
      {0x25, false, false, false, "Left"},
      {0x26, false, false, false, "Up"},
      {0x27, false, false, false, "Right"},
      {0x28, false, false, false, "Down"},
      {0x29, false, false, false, "Select"},
      {0x2A, false, false, false, "Print"},
      {0x2B, false, false, false, "Execute"},
      {0x2C, false, false, false, "Snapshot"},
      {0x2D, false, false, false, "Ins"},
      {0x2E, true, false, false, "Ctrl+Del"},
      {0x2F, false, false, false, "Help"},
      {0x70, false, false, false, "F1"},
      {0x7B, false, false, true, "Alt+F12"},
      {0x87, false, false, false, "F24"},
      // Modifier and lock keys have no text, whatever is held.
      {0x10, true, true, false, ""},
      {0x11, true, false, false, ""},
      {0x12, false, false, true, ""},
      {0x13, false, false, false, ""},
      {0x14, false, false, false, ""},
      {0x5B, false, false, false, ""},
      {0x5C, false, false, false, ""},
      {0x5D, false, false, false, ""},
      {0x90, false, false, false, ""},
      {0x91, false, false, false, ""},
      {0xA2, true, false, false, ""},
      // Codes that name no key.
      {0, true, false, false, ""},
      {0x1234, false, false, false, ""},
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(ShortcutTextFromKey(c.vk, c.control, c.shift, c.alt), c.text) << "key " << c.vk;
  }
}

class AcceleratedPane : public Pane {
 public:
  void AcceleratorKey() override { ++presses; }
  int presses = 0;
};

class ShortcutTableTest : public MenusTest {};

TEST_F(ShortcutTableTest, NewestEntryWinsAndAKeyHasOneEntry) {
  HMENU a = CreatePopupMenu();
  RegisterMenuShortcut(a, 1000, "Ctrl+Q");
  RegisterMenuShortcut(a, 1001, "Ctrl+Q");
  EXPECT_EQ(MenuShortcutCommand("Ctrl+Q"), 1001);
  RegisterMenuShortcut(a, 1001, "Ctrl+W");  // the same key again: replaces its entry
  EXPECT_EQ(ShortcutCount(), 2);
  EXPECT_EQ(MenuShortcutCommand("Ctrl+Q"), 1000);
  EXPECT_EQ(MenuShortcutCommand("ctrl+w"), 1001);  // texts compare ignoring case
  EXPECT_EQ(MenuShortcutCommand("Ctrl+E"), -1);
  ForgetMenuShortcut(a, 1000);
  EXPECT_EQ(MenuShortcutCommand("Ctrl+Q"), -1);
  RegisterMenuShortcut(a, 1002, "");  // no text, no entry
  EXPECT_EQ(ShortcutCount(), 1);
  DestroyMenu(a);
}

TEST_F(ShortcutTableTest, ControlAcceleratorsRunTheirPaneAndConsumeTheKey) {
  AcceleratedPane one, two;
  RegisterControlAccelerator(&one, "Alt+P");
  RegisterControlAccelerator(&two, "Alt+S");
  RegisterControlAccelerator(&one, "Alt+O");  // the pane's entry is replaced
  EXPECT_FALSE(RunShortcut("Alt+P"));
  EXPECT_TRUE(RunShortcut("Alt+O"));
  EXPECT_TRUE(RunShortcut("Alt+S"));
  EXPECT_EQ(one.presses, 1);
  EXPECT_EQ(two.presses, 1);
  ForgetPaneShortcuts(&two);
  EXPECT_FALSE(RunShortcut("Alt+S"));
  EXPECT_FALSE(RunShortcut(""));
  RegisterControlAccelerator(nullptr, "Alt+N");
  EXPECT_EQ(ShortcutCount(), 1);
}

TEST_F(ShortcutTableTest, AMenuShortcutRunsTheSameDispatchAsChoosingTheItem) {
  MenuImage image;
  image.AddAppMenuHandler("FileQuit", 7);
  int32_t qmi = static_cast<int32_t>(image.quitMenuItem);
  Load(image, {TopMenu("Archivio", {Item("Esci", "FileQuit", qmi, "Q")})});
  gResults[7] = 1;  // handled: no quit
  EXPECT_TRUE(RunShortcut(ShortcutTextFromKey('Q', true, false, false)));
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].code, 7u);
  EXPECT_EQ(gCalls[0].receiver, CurrentRun().application);
  EXPECT_FALSE(RunShortcut("Ctrl+Shft+Q"));
}

}  // namespace
}  // namespace menus_test
