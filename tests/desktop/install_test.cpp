// Installing like a desktop program: `cmake --install` (what `make install` runs) with a
// prefix and DESTDIR puts the program, the desktop entry, the icon and the README in their
// XDG places; the entry passes desktop-file-validate; `cpack -G DEB` makes an i386 package
// that declares its libraries and a General MIDI SoundFont (lintian too, where installed).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/runprogram.h"

namespace {

namespace fs = std::filesystem;
using runprogram::Quoted;
using runprogram::ReadFile;
using runprogram::RunCommand;

constexpr const char* kPrefix = "/opt/armonix-test";

struct InstalledFile {
  const char* path;  // under the prefix
  bool executable;
};

const InstalledFile kInstalled[] = {
    {"share/applications/armonix.desktop", false},
    {"share/icons/hicolor/scalable/apps/armonix.svg", false},
    {"share/doc/armonix/README.md", false},
    {"share/doc/armonix/copyright", false},
};

bool ProgramIsBuilt() {
#ifdef AMX_APP_EXE
  return access(AMX_APP_EXE, X_OK) == 0;
#else
  return false;
#endif
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = runprogram::ProcessTempPath("armonix_install", "");
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // Installs the build tree under DESTDIR=root_ with kPrefix; the command's output.
  runprogram::CommandRun Install() {
    return RunCommand("DESTDIR=" + Quoted(root_) + " cmake --install " +
                      Quoted(AMX_BUILD_DIR) + " --prefix " + kPrefix + " 2>&1");
  }
  std::string Staged(const std::string& path) const {
    return root_ + kPrefix + "/" + path;
  }

  std::string root_;
};

TEST_F(InstallTest, PutsEveryFileInItsXdgPlace) {
  const runprogram::CommandRun run = Install();
  ASSERT_EQ(run.status, 0) << run.output;
  std::vector<InstalledFile> expected(std::begin(kInstalled), std::end(kInstalled));
  if (ProgramIsBuilt()) expected.push_back({"bin/armonix", true});
  for (const InstalledFile& file : expected) {
    struct stat info{};
    ASSERT_EQ(stat(Staged(file.path).c_str(), &info), 0) << file.path << "\n" << run.output;
    EXPECT_TRUE(S_ISREG(info.st_mode)) << file.path;
    EXPECT_EQ((info.st_mode & 0111) != 0, file.executable) << file.path;
    EXPECT_GT(info.st_size, 0) << file.path;
  }
#ifdef AMX_APP_EXE
  if (ProgramIsBuilt()) {
    EXPECT_EQ(ReadFile(Staged("bin/armonix")), ReadFile(AMX_APP_EXE)) << "the program as built";
  }
#endif
  EXPECT_EQ(ReadFile(Staged("share/doc/armonix/README.md")),
            ReadFile(AMX_SOURCE_DIR "/README.md"));
  // Nothing is written outside the prefix.
  for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
    EXPECT_EQ(entry.path().filename(), "opt") << entry.path();
  }
}

TEST_F(InstallTest, TheDesktopEntryIsValidAndNamesTheProgramAndItsIcon) {
  ASSERT_EQ(Install().status, 0);
  const std::string entry = Staged("share/applications/armonix.desktop");
  const runprogram::CommandRun validate =
      RunCommand("desktop-file-validate " + Quoted(entry) + " 2>&1");
  EXPECT_EQ(validate.status, 0) << validate.output;
  EXPECT_EQ(validate.output, "");
  const std::vector<std::string> lines = runprogram::SplitLines(ReadFile(entry));
  const auto has = [&lines](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_EQ(lines.at(0), "[Desktop Entry]");
  for (const char* line : {"Type=Application", "Name=Armonix", "Exec=armonix %F", "Icon=armonix",
                           "Terminal=false", "Categories=Education;Music;"}) {
    EXPECT_TRUE(has(line)) << line;
  }
  EXPECT_TRUE(has("Comment=Esercizi di educazione dell'orecchio per lo studio dell'armonia: "
                  "note, intervalli, scale, accordi e cadenze"))
      << "the comment is in the program's language";
  // The icon is a whole SVG document of our own.
  const std::string icon = ReadFile(Staged("share/icons/hicolor/scalable/apps/armonix.svg"));
  EXPECT_EQ(icon.rfind("<?xml", 0), 0u);
  EXPECT_NE(icon.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
  EXPECT_NE(icon.find("viewBox=\"0 0 128 128\""), std::string::npos);
  EXPECT_NE(icon.find("</svg>"), std::string::npos);
}

TEST(DebianPackage, DeclaresItsLibrariesAndTheSoundFontAndHoldsTheInstalledFiles) {
  const std::string out = runprogram::ProcessTempPath("armonix_deb", "");
  fs::remove_all(out);
  fs::create_directories(out);
  const runprogram::CommandRun pack =
      RunCommand("cd " + Quoted(AMX_BUILD_DIR) + " && cpack -G DEB -B " + Quoted(out) + " 2>&1");
  ASSERT_EQ(pack.status, 0) << pack.output;
  std::string deb;
  for (const fs::directory_entry& entry : fs::directory_iterator(out)) {
    if (entry.path().extension() == ".deb") deb = entry.path();
  }
  ASSERT_NE(deb, "") << pack.output;
  EXPECT_EQ(fs::path(deb).filename(), "armonix_1.0.0_i386.deb");

  const runprogram::CommandRun info = RunCommand("dpkg-deb --info " + Quoted(deb));
  ASSERT_EQ(info.status, 0);
  for (const char* field : {" Package: armonix\n", " Version: 1.0.0\n", " Architecture: i386\n",
                            " Section: education\n"}) {
    EXPECT_NE(info.output.find(field), std::string::npos) << field << info.output;
  }
  const size_t depends = info.output.find(" Depends: ");
  ASSERT_NE(depends, std::string::npos) << info.output;
  const std::string dependsLine =
      info.output.substr(depends, info.output.find('\n', depends) - depends);
  for (const char* package : {"libc6", "libstdc++6", "libfltk1.3", "libx11-6", "libfluidsynth3",
                              "libpulse0", "libasound2", "libglib2.0-0",
                              "timgm6mb-soundfont | sf2-soundfont-gm"}) {
    EXPECT_NE(dependsLine.find(package), std::string::npos) << package << "\n" << dependsLine;
  }

#ifdef AMX_APP_EXE
  // Every library the program is linked with comes from a package the entry names.
  if (ProgramIsBuilt()) {
    const runprogram::CommandRun needed = RunCommand(
        "objdump -p " + Quoted(AMX_APP_EXE) + " | awk '$1 == \"NEEDED\" { print $2 }'");
    ASSERT_EQ(needed.status, 0);
    ASSERT_FALSE(needed.output.empty());
    for (const std::string& soname : runprogram::SplitLines(needed.output)) {
      // A sanitizer build (make sanitize) links the sanitizer runtimes; no package ships it.
      if (soname.rfind("libasan.", 0) == 0 || soname.rfind("libubsan.", 0) == 0) continue;
      const runprogram::CommandRun owner = RunCommand(
          "dpkg -S '*/i386-linux-gnu/" + soname + "' 2>/dev/null | head -1 | cut -d: -f1");
      ASSERT_FALSE(owner.output.empty()) << soname << " belongs to no i386 package";
      const std::string package = owner.output.substr(0, owner.output.find('\n'));
      EXPECT_NE(dependsLine.find(" " + package), std::string::npos)
          << soname << " comes from " << package << ", which the package does not depend on";
    }
  }
#endif

  const runprogram::CommandRun contents = RunCommand("dpkg-deb --contents " + Quoted(deb));
  ASSERT_EQ(contents.status, 0);
  std::vector<std::string> expected = {"./usr/share/applications/armonix.desktop",
                                       "./usr/share/icons/hicolor/scalable/apps/armonix.svg",
                                       "./usr/share/doc/armonix/README.md",
                                       "./usr/share/doc/armonix/copyright"};
  if (ProgramIsBuilt()) expected.push_back("./usr/bin/armonix");
  for (const std::string& path : expected) {
    EXPECT_NE(contents.output.find(" " + path + "\n"), std::string::npos)
        << path << "\n" << contents.output;
  }
  if (ProgramIsBuilt()) {
    EXPECT_NE(contents.output.find("-rwxr-xr-x root/root"), std::string::npos) << contents.output;
  }

  if (RunCommand("command -v lintian").status == 0) {
    const runprogram::CommandRun lint = RunCommand("lintian --no-tag-display-limit " +
                                                   Quoted(deb) + " 2>&1 | grep '^E:'");
    EXPECT_EQ(lint.output, "") << "lintian errors";
  }
  fs::remove_all(out);
}

}  // namespace
