// Writing out and loading carried plug-ins: file placement and length, the working list's
// order, the fallback to the Windows directory and to an existing file, private folders
// checked from the base down (and a fresh one without a home), loading the very file
// written, the permission message, and damaged lists that must neither crash nor write.
#include <dlfcn.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "runtime/entries/entries.h"
#include "runtime/plugins/installation.h"
#include "runtime/plugins/pluginregistry.h"
#include "runtime/startup/hooks.h"
#include "tests/plugins/pluginfixture.h"

namespace {

class InstallTest : public PluginTest {
 protected:
  // A plain file where a folder should be: a directory below it can never be made.
  std::string Blocker() const {
    std::string blocker = base_ + "/blocked";
    { std::ofstream(blocker) << "x"; }
    return blocker;
  }

  // The library already lying in the Windows directory: its path there.
  std::string PlaceInWindowsDirectory(const std::vector<uint8_t>& library) const {
    std::string path = WindowsDirectory() + "/tstplug.dll";
    { std::ofstream(path, std::ios::binary) << std::string(library.begin(), library.end()); }
    return path;
  }

  // In a death-test child run as root, which ignores permissions: the child becomes "nobody"
  // and owns the Windows directory and the library there; exit code 5 when it cannot.
  void BecomeNobodyIfRoot(const std::string& windows, const std::string& path) const {
    if (getuid() != 0) return;
    const uid_t nobody = 65534;
    bool ok = chmod(base_.c_str(), 0755) == 0 &&
              chown((base_ + "/cache").c_str(), nobody, nobody) == 0 &&
              chown(windows.c_str(), nobody, nobody) == 0 &&
              chown(path.c_str(), nobody, nobody) == 0 && setgroups(0, nullptr) == 0 &&
              setgid(nobody) == 0 && setuid(nobody) == 0;
    if (!ok) std::_Exit(5);
  }
};

int MainCalls(const std::string& path) {
  auto* calls = static_cast<int*>(LoadedSymbol(path, "gMainCalls"));
  return calls != nullptr ? *calls : -1;
}

TEST_F(InstallTest, RecordingInstallsTheStartUpHookOnly) {
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  const void* carried = list.Build();
  Win32InstallPlugins(carried);
  EXPECT_EQ(RecordedPluginList(), carried);
  EXPECT_EQ(FirstPlugin(), nullptr);  // nothing written or loaded yet
  EXPECT_EQ(FileSize(SystemDirectory() + "/tstplug.dll"), -1);
  StartupHooks().installPlugins();
  EXPECT_NE(FirstPlugin(), nullptr);
}

TEST_F(InstallTest, OneElementWithAnElevenCharacterNameYieldsOneFileOfLengthMinus16) {
  std::vector<uint8_t> library = ReadBytes(AMX_TEST_PLUGIN);
  ASSERT_GT(library.size(), 1000u);
  CarriedListBuilder list;
  list.Add("tstplug.dll", library);
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  std::string path = SystemDirectory() + "\\tstplug.dll";
  EXPECT_EQ(FileSize(path), int64_t(list.ElementLength(0)) - 16);
  EXPECT_EQ(ReadBytes(SystemDirectory() + "/tstplug.dll"), library);
  ASSERT_NE(FirstPlugin(), nullptr);
  EXPECT_EQ(FirstPlugin()->next, nullptr);
  EXPECT_EQ(FirstPlugin()->version, 1);
  EXPECT_EQ(CurrentPlugin(), nullptr);
  EXPECT_EQ(MainCalls(path), 1);
}

TEST_F(InstallTest, AnExistingFileIsReplaced) {
  std::string path = SystemDirectory() + "/tstplug.dll";
  { std::ofstream(path) << "stale contents"; }
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  EXPECT_EQ(ReadBytes(path), ReadBytes(AMX_TEST_PLUGIN));
  EXPECT_EQ(MainCalls(path), 1);
}

TEST_F(InstallTest, TheWorkingListRunsInReverseOrder) {
  CarriedListBuilder list;
  list.Add("first.dll", ReadBytes(AMX_TEST_PLUGIN));
  list.Add("second.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  // The plug-in list is newest first: the element loaded last comes first.
  ASSERT_NE(FirstPlugin(), nullptr);
  ASSERT_NE(FirstPlugin()->next, nullptr);
  EXPECT_NE(std::string(FirstPlugin()->path).find("first.dll"), std::string::npos);
  EXPECT_NE(std::string(FirstPlugin()->next->path).find("second.dll"), std::string::npos);
}

TEST_F(InstallTest, LibrariesThatDoNotLoadOrLackTheMainRoutineArePassedOver) {
  CarriedListBuilder list;
  list.Add("garbage.dll", std::vector<uint8_t>(200, 0x5A));
  list.Add("nomain.dll", ReadBytes(AMX_NOMAIN_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  EXPECT_EQ(FirstPlugin(), nullptr);
  EXPECT_EQ(FileSize(SystemDirectory() + "/garbage.dll"), 200);  // written all the same
}

TEST_F(InstallTest, FallsBackToTheWindowsDirectory) {
  // The system directory cannot exist: its parent is a plain file.
  std::string blocker = Blocker();
  setenv("XDG_DATA_HOME", blocker.c_str(), 1);
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  RecordPluginList(list.Build());
  InstallCarriedPlugins();
  std::string path = WindowsDirectory() + "/tstplug.dll";
  EXPECT_EQ(ReadBytes(path), ReadBytes(AMX_TEST_PLUGIN));
  EXPECT_EQ(MainCalls(path), 1);
}

// Every folder from the private base down must be the user's alone: a folder that is not
// (anywhere on the way, not only the last one) is refused, and the library goes to the
// Windows directory instead.
struct UnsafeFolderCase {
  const char* what;
  const char* folder;  // under the data base; "" is the base itself
  const char* damage;  // "mode 0777", "mode 0770", "link", "foreign owner"
};

TEST_F(InstallTest, EveryFolderFromThePrivateBaseDownIsChecked) {
  const UnsafeFolderCase cases[] = {
      {"the base open to others", "", "mode 0777"},
      {"the base open to its group", "", "mode 0770"},
      {"a folder on the way open to others", "/armonix", "mode 0777"},
      {"a folder on the way that is a link", "/armonix", "link"},
      {"a folder on the way of another user", "/armonix", "foreign owner"},
      {"the last folder open to others", "/armonix/system", "mode 0777"},
  };
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  std::vector<CarriedPlugin> working = ReadCarriedList(list.Build());
  ASSERT_EQ(working.size(), 1u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string damage = c.damage;
    if (damage == "foreign owner" && getuid() != 0) continue;  // only root can give it away
    std::string data = base_ + "/data-" + std::to_string(&c - cases);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    ASSERT_EQ(SystemDirectory(), data + "/armonix/system") << "safe to begin with";
    std::string folder = data + c.folder;
    if (damage == "link") {
      std::string elsewhere = base_ + "/elsewhere-" + std::to_string(&c - cases);
      ASSERT_EQ(rename(folder.c_str(), elsewhere.c_str()), 0);
      ASSERT_EQ(symlink(elsewhere.c_str(), folder.c_str()), 0);
    } else if (damage == "foreign owner") {
      ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
    } else {
      ASSERT_EQ(chmod(folder.c_str(), damage == "mode 0777" ? 0777 : 0770), 0);
    }
    EXPECT_EQ(SystemDirectory(), "") << "refused";
    EXPECT_EQ(PlaceLibrary(working[0]), WindowsDirectory() + "\\tstplug.dll");
    EXPECT_EQ(FileSize(data + "/armonix/system/tstplug.dll"), -1) << "nothing written there";
  }
}

// Without a home the folders are made under a fresh name of our own in /tmp, never under the
// predictable /tmp/armonix-<uid> that another user could have made first.
TEST_F(InstallTest, WithoutAHomeTheLibraryGoesToAFreshPrivateFolder) {
  std::string predictable = "/tmp/armonix-" + std::to_string(getuid());
  bool madeHere = mkdir(predictable.c_str(), 0777) == 0;
  if (madeHere) chmod(predictable.c_str(), 0777);  // as another user would leave it
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        unsetenv("HOME");
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CACHE_HOME");
        std::string system = SystemDirectory();
        std::string windows = WindowsDirectory();
        std::string base = system.substr(0, system.find("/armonix/system"));
        struct stat st {};
        bool fresh = system.rfind("/tmp/armonix-", 0) == 0 &&
                     system.rfind(predictable + "/", 0) != 0 && windows == base + "/armonix" &&
                     stat(base.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700 &&
                     st.st_uid == geteuid();
        RecordPluginList(carried);
        InstallCarriedPlugins();
        bool loaded = FirstPlugin() != nullptr && MainCalls(system + "/tstplug.dll") == 1;
        std::string command = "rm -rf '" + base + "'";
        std::_Exit(fresh && loaded && std::system(command.c_str()) == 0 ? 0 : 9);
      },
      ::testing::ExitedWithCode(0), "");
  if (madeHere) rmdir(predictable.c_str());
}

// The file loaded is the file just written and checked: replacing what lies at its path
// before the load changes nothing.
TEST_F(InstallTest, TheLibraryLoadedIsTheFileJustWritten) {
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  std::vector<CarriedPlugin> working = ReadCarriedList(list.Build());
  ASSERT_EQ(working.size(), 1u);
  PlacedLibrary placed = OpenPlacedLibrary(working[0]);
  ASSERT_GE(placed.fd, 0);
  EXPECT_EQ(placed.path, SystemDirectory() + "\\tstplug.dll");
  std::string path = SystemDirectory() + "/tstplug.dll";
  std::vector<uint8_t> other = ReadBytes(AMX_NOMAIN_PLUGIN);
  std::string swapped = path + ".swap";
  { std::ofstream(swapped, std::ios::binary) << std::string(other.begin(), other.end()); }
  ASSERT_EQ(rename(swapped.c_str(), path.c_str()), 0);
  EXPECT_TRUE(LoadPlacedLibrary(placed)) << "the written library, with its main routine";
  ASSERT_NE(FirstPlugin(), nullptr);
  EXPECT_STREQ(FirstPlugin()->path, placed.path.c_str());
}

// An existing library that others may change is not trusted: with nowhere to write, the
// permission message. Root ignores permissions, so the child becomes "nobody".
TEST_F(InstallTest, AnExistingFileOthersMayChangeIsNotLoaded) {
  std::string blocker = Blocker();
  std::string windows = WindowsDirectory();
  std::vector<uint8_t> library = ReadBytes(AMX_TEST_PLUGIN);
  std::string path = PlaceInWindowsDirectory(library);
  CarriedListBuilder list;
  list.Add("tstplug.dll", library);
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", blocker.c_str(), 1);
        setenv("ARMONIX_NATIVE", "headless", 1);
        BecomeNobodyIfRoot(windows, path);
        chmod(path.c_str(), 0666);
        chmod(windows.c_str(), 0500);
        dup2(2, 1);  // the headless message box line goes to stdout
        RecordPluginList(carried);
        InstallCarriedPlugins();
        std::_Exit(FirstPlugin() != nullptr ? 9 : 7);
      },
      ::testing::ExitedWithCode(0),
      "msgbox \"Error\" \"The application cannot continue because a needed file cannot be "
      "installed.");
  chmod(windows.c_str(), 0700);
}

struct DamagedCase {
  const char* what;
  std::vector<uint8_t> element;
};

std::vector<uint8_t> Element(uint32_t rest, uint8_t nameLength, const std::string& tail) {
  std::vector<uint8_t> e(13 + tail.size(), 0);
  std::memcpy(&e[4], &rest, 4);
  e[12] = nameLength;
  std::copy(tail.begin(), tail.end(), e.begin() + 13);
  return e;
}

TEST_F(InstallTest, DamagedOrUnsafeElementsWriteNothing) {
  const DamagedCase cases[] = {
      {"length shorter than its name", Element(3, 5, "a.dll")},
      {"name with a directory part", Element(5 + 9 + 4, 9, "../x.dll.ELF!")},
      {"name with a backslash", Element(5 + 7 + 1, 7, "a\\b.dll!")},
      {"empty name", Element(5 + 0 + 3, 0, "abc")},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.what);
    CarriedListBuilder list;
    list.AddRaw(c.element);
    EXPECT_TRUE(ReadCarriedList(list.Build()).empty());
  }
  EXPECT_TRUE(ReadCarriedList(nullptr).empty());
}

TEST_F(InstallTest, AChainThatComesBackStopsWhereItRepeats) {
  std::vector<uint8_t> element = Element(5 + 5 + 2, 5, "a.dllXY");
  element.resize(20, 0);
  uint32_t self = uint32_t(reinterpret_cast<uintptr_t>(element.data()));
  std::memcpy(&element[0], &self, 4);
  std::vector<CarriedPlugin> working = ReadCarriedList(element.data());
  ASSERT_EQ(working.size(), 1u);
  EXPECT_EQ(working[0].name, "a.dll");
  EXPECT_EQ(working[0].length, 2u);
}

// Both directories unusable and no file: the message, then exit code 0.
TEST_F(InstallTest, NowhereToPutTheLibraryShowsThePermissionMessageAndExits) {
  std::string blocker = Blocker();
  CarriedListBuilder list;
  list.Add("tstplug.dll", ReadBytes(AMX_TEST_PLUGIN));
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", blocker.c_str(), 1);
        setenv("XDG_CACHE_HOME", blocker.c_str(), 1);
        setenv("ARMONIX_NATIVE", "headless", 1);
        dup2(2, 1);  // the headless message box line goes to stdout
        RecordPluginList(carried);
        InstallCarriedPlugins();
        std::fprintf(stderr, "returned\n");
        std::_Exit(7);
      },
      ::testing::ExitedWithCode(0),
      "msgbox \"Error\" \"The application cannot continue because a needed file cannot be "
      "installed. You don't have appropriate permission to install the file. Running the "
      "application once with Standard User or Administrator privileges will solve the "
      "problem.\" -> OK");
}

// The library already lies in the Windows directory, and neither it nor the directory can be
// written: it is loaded as it is. Root ignores permissions, so the child becomes "nobody".
TEST_F(InstallTest, AnExistingUnwritableFileInTheWindowsDirectoryStillLoads) {
  std::string blocker = Blocker();
  std::string windows = WindowsDirectory();
  std::vector<uint8_t> library = ReadBytes(AMX_TEST_PLUGIN);
  std::string path = PlaceInWindowsDirectory(library);
  CarriedListBuilder list;
  list.Add("tstplug.dll", std::vector<uint8_t>(64, 0x11));  // different bytes: never written
  const void* carried = list.Build();
  EXPECT_EXIT(
      {
        setenv("XDG_DATA_HOME", blocker.c_str(), 1);
        BecomeNobodyIfRoot(windows, path);
        chmod(path.c_str(), 0555);
        chmod(windows.c_str(), 0500);
        RecordPluginList(carried);
        InstallCarriedPlugins();
        bool loaded = FirstPlugin() != nullptr && MainCalls(path) == 1 &&
                      ReadBytes(path) == library;
        std::_Exit(loaded ? 0 : 9);
      },
      ::testing::ExitedWithCode(0), "");
  chmod(windows.c_str(), 0700);
}

}  // namespace
