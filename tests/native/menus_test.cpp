// Menus: command identifiers reach the window as WM_COMMAND after WM_INITMENU, grayed and
// disabled items refuse, captions match without their "&" marks and shortcut suffix, and the
// state queries report what was set.
#include "tests/native/native_fixture.h"

namespace native_test {
namespace {

using Lines = std::vector<std::string>;

class MenusTest : public NativeTest {
 protected:
  HMENU BuildBar() {
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, 101, "&Apri\tCtrl+O");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING | MF_GRAYED, 102, "Salva");
    HMENU more = CreatePopupMenu();
    AppendMenuA(more, MF_STRING, 103, "Intervalli");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "Esercizi");
    AppendMenuA(file, MF_STRING, 104, "Esci\tCtrl+Q");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    return bar;
  }
};

TEST_F(MenusTest, ChoosingItemsPostsTheirCommandAfterInitMenu) {
  Script("menu \"File/Apri\"\nmenu \"File/Esercizi/Intervalli\"\nmenu \"File/Esci\"\n");
  TopLevel("W", 10, 10, 300, 200, BuildBar());
  gLog.clear();
  RunLoop();
  EXPECT_EQ(Logged({WM_INITMENU, WM_INITMENUPOPUP, WM_COMMAND}),
            Lines({"INITMENU W", "INITMENUPOPUP W", "COMMAND W 101 0 0", "INITMENU W",
                   "INITMENUPOPUP W", "INITMENUPOPUP W", "COMMAND W 103 0 0", "INITMENU W",
                   "INITMENUPOPUP W", "COMMAND W 104 0 0"}));
  EXPECT_EQ(Err(), "");
}

TEST_F(MenusTest, GrayedUnknownAndNonItemChoicesPrintAnErrorAndSendNothing) {
  Script("menu \"File/Salva\"\nmenu \"File/Chiudi\"\nmenu \"Modifica/Copia\"\n"
         "menu \"File/Esercizi\"\n");
  TopLevel("W", 10, 10, 300, 200, BuildBar());
  gLog.clear();
  RunLoop();
  EXPECT_TRUE(Logged({WM_COMMAND}).empty());
  EXPECT_EQ(Err(),
            "test:1: menu \"File/Salva\": item is disabled\n"
            "test:2: menu \"File/Chiudi\": no item \"Chiudi\"\n"
            "test:3: menu \"Modifica/Copia\": no item \"Modifica\"\n"
            "test:4: menu \"File/Esercizi\": item opens a submenu\n");
}

LRESULT EnablingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Enables "Salva" on every menu initialisation, as an enabling pass would.
  if (msg == WM_INITMENU) EnableMenuItem(reinterpret_cast<HMENU>(wParam), 102, MF_BYCOMMAND | MF_ENABLED);
  return LoggingProc(hwnd, msg, wParam, lParam);
}

TEST_F(MenusTest, EnablingDoneOnInitMenuCountsForTheChoice) {
  Script("menu \"File/Salva\"\n");
  HWND w = TopLevel("W", 10, 10, 300, 200, BuildBar());
  SetWindowLongA(w, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<uintptr_t>(&EnablingProc)));
  gLog.clear();
  RunLoop();
  EXPECT_EQ(Logged({WM_COMMAND}), Lines({"COMMAND W 102 0 0"}));
}

TEST_F(MenusTest, NoMenuBarIsReported) {
  Script("menu \"File/Apri\"\n");
  TopLevel("W", 10, 10, 300, 200);
  RunLoop();
  EXPECT_EQ(Err(), "test:1: menu \"File/Apri\": the active window has no menu bar\n");
}

TEST_F(MenusTest, StateQueriesAndEditing) {
  Script("");
  HMENU bar = BuildBar();
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(GetMenuItemCount(file), 5);
  EXPECT_EQ(GetMenuItemID(file, 0), 101u);
  EXPECT_EQ(GetMenuItemID(file, 3), 0xFFFFFFFFu);  // a submenu
  EXPECT_EQ(GetMenuState(file, 102, MF_BYCOMMAND), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(bar, 102, MF_BYCOMMAND | MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(file, 102, MF_BYCOMMAND), 0u);
  EXPECT_EQ(CheckMenuItem(bar, 103, MF_BYCOMMAND | MF_CHECKED), 0u);  // found in the submenu
  EXPECT_EQ(GetMenuState(bar, 103, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_EQ(EnableMenuItem(bar, 999, MF_BYCOMMAND), -1);
  EXPECT_EQ(GetMenuState(file, 9, MF_BYPOSITION), 0xFFFFFFFFu);
  char text[32];
  EXPECT_EQ(GetMenuStringA(file, 104, text, sizeof text, MF_BYCOMMAND), 11);
  EXPECT_STREQ(text, "Esci\tCtrl+Q");
  EXPECT_TRUE(ModifyMenuA(file, 104, MF_BYCOMMAND | MF_STRING, 104, "Fine"));
  EXPECT_TRUE(InsertMenuA(file, 0, MF_BYPOSITION | MF_STRING, 100, "Nuovo"));
  EXPECT_EQ(GetMenuItemID(file, 0), 100u);
  EXPECT_TRUE(DeleteMenu(file, 100, MF_BYCOMMAND));
  EXPECT_FALSE(DeleteMenu(file, 100, MF_BYCOMMAND));
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(file));  // submenus go with their menu
  EXPECT_EQ(GetMenuItemCount(bar), -1);
}

TEST_F(MenusTest, AMenuBarTakesItsHeightFromTheClientArea) {
  Script("");
  HWND w = TopLevel("W", 10, 10, 300, 200);
  RECT before;
  GetClientRect(w, &before);
  gLog.clear();
  SetMenu(w, BuildBar());
  RECT after;
  GetClientRect(w, &after);
  EXPECT_EQ(before.bottom - after.bottom, 19);
  EXPECT_EQ(Logged({WM_SIZE}), Lines({"SIZE W"}));
  DestroyWindow(w);
  EXPECT_EQ(GetMenu(w), nullptr);
}

}  // namespace
}  // namespace native_test
