// The enabling pass (every item disabled, then "EnableMenu", the application's
// "EnableMenuItems", the native update) and the command dispatch (application menu handlers
// in list order, a True result stops, then the item's "Action"; the Quit item's own action
// runs the quitting procedure).
#include <gtest/gtest.h>

#include "runtime/entries/entries.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/runstate.h"
#include "runtime/ui/uitypes.h"
#include "tests/exceptions/testimage.h"
#include "tests/ui/menus_fixture.h"

namespace menus_test {
namespace {

using Lines = std::vector<std::string>;

std::vector<uint32_t> Codes() {
  std::vector<uint32_t> codes;
  for (const Call& call : gCalls) codes.push_back(call.code);
  return codes;
}

class EnablingTest : public MenusTest {
 protected:
  MenuImage image_;
  int32_t mi() const { return static_cast<int32_t>(image_.menuItem); }
  int32_t qmi() const { return static_cast<int32_t>(image_.quitMenuItem); }
};

TEST_F(EnablingTest, ItemsNobodyEnablesAreGrayedButTheQuitItem) {
  Load(image_, {TopMenu("Archivio", {Item("Esci", "FileQuit", qmi(), "Q")}),
                TopMenu("Strumenti", {Item("Cambia", "mnSP", mi()), Item("Altro", "x", mi())})});
  RunMenuEnablingPass();
  EXPECT_EQ(NativeEntries(MenuNamed("Archivio")->popup), Lines({"Esci\tCtrl+Q"}));
  EXPECT_EQ(NativeEntries(MenuNamed("Strumenti")->popup), Lines({"Cambia grayed", "Altro grayed"}));
  EXPECT_EQ(ItemNamed("filequit")->enabled, 1);
  EXPECT_EQ(ItemNamed("mnsp")->enabled, 0);
  EXPECT_EQ(ItemNamed("mnsp")->shownEnabled, 0);
}

TEST_F(EnablingTest, EnabledWrittenAtOffset60ReachesTheNativeMenuAtTheUpdate) {
  image_.EnableInAppEnableMenuItems({"mnsp", "missing"});
  Load(image_, {TopMenu("Strumenti", {Item("Cambia", "mnSP", mi()), Item("Altro", "x", mi())})});
  ObjectHeader* cambia = RuntimeMenuReference(StringRef::Adopt(MakeStringFromC("mnSP")).get());
  int32_t refs = cambia->refCount;
  RunMenuEnablingPass();
  EXPECT_EQ(NativeEntries(MenuNamed("Strumenti")->popup), Lines({"Cambia", "Altro grayed"}));
  EXPECT_EQ(cambia->refCount, refs);  // the handler released what it referenced
  // Written directly between passes: the native menu follows only at the next update.
  AsMenuItem(cambia)->enabled = 0;
  EXPECT_EQ(NativeEntries(MenuNamed("Strumenti")->popup), Lines({"Cambia", "Altro grayed"}));
  UpdateNativeMenus();
  EXPECT_EQ(NativeEntries(MenuNamed("Strumenti")->popup), Lines({"Cambia grayed", "Altro grayed"}));
  RuntimeUnlockObject(cambia);
}

TEST_F(EnablingTest, EachItemsEnableMenuRunsBeforeTheApplication) {
  uint32_t enabling = image_.AddItemClass({"Enabling", mi(), 72, {{"EnableMenu", 3, true}}});
  image_.AddAppEvent("EnableMenuItems", 9);
  Load(image_, {TopMenu("M", {Item("A", "a", static_cast<int32_t>(enabling)), Item("B", "b", mi()),
                              Item("C", "c", static_cast<int32_t>(enabling))})});
  RunMenuEnablingPass();
  EXPECT_EQ(Codes(), std::vector<uint32_t>({3, 3, 9}));
  EXPECT_EQ(gCalls[0].receiver, &ItemNamed("a")->header);
  EXPECT_EQ(gCalls[2].receiver, CurrentRun().application);
  EXPECT_EQ(NativeEntries(MenuNamed("M")->popup), Lines({"A", "B grayed", "C"}));
}

TEST_F(EnablingTest, NothingHappensBeforeTheBarIsBuilt) {
  image_.AddAppEvent("EnableMenuItems", 9);
  testimage::LoadedImage loaded;
  ASSERT_TRUE(testimage::LoadImage(image_.Finish(), {}, false, &loaded));
  ASSERT_TRUE(testimage::LoadClasses(loaded));
  CurrentRun().application = MakeObject(ImageClass(static_cast<int32_t>(image_.AppClassIndex())));
  RunMenuEnablingPass();
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(EnablingTest, RuntimeEnableMenuEnablesTheNativeItemAtOnce) {
  Load(image_, {TopMenu("M", {Item("A", "a", mi()), Item("B", "b", mi())})});
  RunMenuEnablingPass();
  ObjectHeader* b = RuntimeMenuReference(StringRef::Adopt(MakeStringFromC("b")).get());
  RuntimeEnableMenu(b);
  EXPECT_EQ(NativeEntries(MenuNamed("M")->popup), Lines({"A grayed", "B"}));
  EXPECT_EQ(AsMenuItem(b)->shownEnabled, 1);
  RuntimeEnableMenu(nullptr);  // nil is ignored
  RuntimeUnlockObject(b);
}

class DispatchTest : public EnablingTest {
 protected:
  void SetUp() override {
    EnablingTest::SetUp();
    ResetStartupHooks();
  }
  void TearDown() override {
    ResetStartupHooks();
    InstallMenuHooks();
    EnablingTest::TearDown();
  }
  int32_t IdOf(const char* name, int32_t index = kNotInArray) {
    return ItemNamed(name, index)->commandId;
  }
};

TEST_F(DispatchTest, ApplicationHandlersInListOrderUntilOneReturnsTrue) {
  // File order 10, 11, 12 for "Cambia"; the class lists them reversed: 12, 11, 10.
  image_.AddAppMenuHandler("mnSP", 10);
  image_.AddAppMenuHandler("other", 20);
  image_.AddAppMenuHandler("MNSP", 11);
  image_.AddAppMenuHandler("mnsp", 12);
  Load(image_, {TopMenu("Strumenti", {Item("Cambia", "mnSP", mi())})});
  gResults[11] = 0x100;  // only the low byte counts: False
  EXPECT_FALSE(DispatchMenuCommand(IdOf("mnsp")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({12, 11, 10}));
  gCalls.clear();
  gResults[11] = 1;
  EXPECT_TRUE(DispatchMenuCommand(IdOf("mnsp")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({12, 11}));
  EXPECT_EQ(gCalls[0].index, static_cast<int32_t>(kNoMenuIndex));
}

TEST_F(DispatchTest, ArrayElementsPassTheirIndex) {
  image_.AddAppMenuHandler("voce", 5);
  imagekit::MenuEntry second = Item("Voce 2", "voce", mi());
  second.index = 2;
  Load(image_, {TopMenu("M", {second})});
  DispatchMenuCommand(IdOf("voce", 2));
  ASSERT_EQ(gCalls.size(), 1u);
  EXPECT_EQ(gCalls[0].index, 2);
}

TEST_F(DispatchTest, TheItemsOwnActionComesLastAndUnknownCommandsAreNotHandled) {
  uint32_t acting = image_.AddItemClass({"Acting", mi(), 72, {{"Action", 4}}});
  image_.AddAppMenuHandler("a", 1);
  Load(image_, {TopMenu("M", {Item("A", "a", static_cast<int32_t>(acting)), Item("B", "b", mi())})});
  gResults[4] = 1;
  EXPECT_TRUE(DispatchMenuCommand(IdOf("a")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({1, 4}));
  EXPECT_FALSE(DispatchMenuCommand(IdOf("b")));  // no handler anywhere
  EXPECT_FALSE(DispatchMenuCommand(0));
  EXPECT_FALSE(DispatchMenuCommand(2023));
  EXPECT_FALSE(DispatchMenuCommand(-5));
}

TEST_F(DispatchTest, QuitItemRunsTheQuittingProcedureWhenNobodyHandlesIt) {
  image_.AddAppMenuHandler("FileQuit", 1);
  image_.AddAppEvent("Close", 2);
  Load(image_, {TopMenu("Archivio", {Item("Esci", "FileQuit", qmi(), "Q")})});
  EXPECT_TRUE(DispatchMenuCommand(IdOf("filequit")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({1, 2}));
  EXPECT_TRUE(CurrentRun().quit);
}

TEST_F(DispatchTest, AMenuHandlerReturningTrueStopsBeforeTheQuitAction) {
  image_.AddAppMenuHandler("FileQuit", 1);
  image_.AddAppEvent("Close", 2);
  Load(image_, {TopMenu("Archivio", {Item("Esci", "filequit", qmi(), "Q")})});
  gResults[1] = 1;
  EXPECT_TRUE(DispatchMenuCommand(IdOf("FILEQUIT")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({1}));
  EXPECT_FALSE(CurrentRun().quit);
}

TEST_F(DispatchTest, ASubclassHandlesOnlyTheRedeclaredAction) {
  uint32_t myQuit = image_.AddItemClass({"MyQuit", qmi(), 72, {{"Action", 6}, {"EnableMenu", 8}}});
  image_.AddAppEvent("Close", 2);
  Load(image_, {TopMenu("Archivio", {Item("Esci", "FileQuit", static_cast<int32_t>(myQuit))})});
  // Its "EnableMenu" handler is hidden by QuitMenuItem's own: the item enables itself.
  RunMenuEnablingPass();
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(ItemNamed("filequit")->enabled, 1);
  gResults[6] = 1;  // the re-declared Action handles it: no quit
  EXPECT_TRUE(DispatchMenuCommand(IdOf("filequit")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({6}));
  EXPECT_FALSE(CurrentRun().quit);
  gCalls.clear();
  gResults[6] = 0;  // False: the quitting procedure runs
  EXPECT_TRUE(DispatchMenuCommand(IdOf("filequit")));
  EXPECT_EQ(Codes(), std::vector<uint32_t>({6, 2}));
  EXPECT_TRUE(CurrentRun().quit);
}

TEST_F(DispatchTest, AQuitAlreadyUnderWayIsNotStartedAgain) {
  image_.AddAppEvent("Close", 2);
  Load(image_, {TopMenu("Archivio", {Item("Esci", "FileQuit", qmi())})});
  CurrentRun().quitInProgress = true;
  EXPECT_TRUE(DispatchMenuCommand(IdOf("filequit")));  // reported handled in every case
  EXPECT_TRUE(gCalls.empty());
  EXPECT_FALSE(CurrentRun().quit);
}

TEST_F(DispatchTest, ARemovedItemIsNoLongerDispatched) {
  uint32_t acting = image_.AddItemClass({"Acting", mi(), 72, {{"Action", 4}}});
  image_.AddAppMenuHandler("a", 1);
  Load(image_, {TopMenu("M", {Item("A", "a", static_cast<int32_t>(acting))})});
  ObjectHeader* a = &ItemNamed("a")->header;
  int32_t id = IdOf("a");
  RuntimeCloseMenuItem(a);
  EXPECT_FALSE(DispatchMenuCommand(id));
  EXPECT_TRUE(gCalls.empty());
}

TEST_F(DispatchTest, FrameMenuMessagesRunThePassAndTheDispatch) {
  image_.AddAppMenuHandler("mnSP", 1);
  image_.AddAppEvent("EnableMenuItems", 9);
  Load(image_, {TopMenu("Strumenti", {Item("Cambia", "mnSP", mi())})});
  HWND frame = TopLevel("Frame", 10, 10, 200, 100, ApplicationMenuBar());
  EXPECT_EQ(FrameMenuCommand(frame, WM_INITMENU, 0, 0), 0);
  EXPECT_EQ(FrameMenuCommand(frame, WM_COMMAND, static_cast<WPARAM>(IdOf("mnsp")), 0), 0);
  EXPECT_EQ(Codes(), std::vector<uint32_t>({9, 1}));
}

}  // namespace
}  // namespace menus_test
