// The whole path with the real programs: amxc carries the built appearance library in an
// image, the runtime writes it out, loads it, resolves "!GBevelButton!Caption" and
// "!SBevelButton!Caption", and a scripted headless user clicks the bevel buttons.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr const char* kProject = R"(Project
  Caption "Prova"
  DefaultWindow w
  Import "@AMXI@"
  Plugin "ktap350.dll" From "@DLL@"
End Project

Window w
  Title = "Inizio" : Width = 300 : Height = 200
  Control bb(1) As BevelButton
    Left = 20 : Top = 20 : Width = 100 : Height = 40 : Caption = "C3"
    Sub Action()
      If Index = 2 Then
        bb(1).Caption = "G#3"
      End If
      Self.Title = Self.Title + " " + bb(1).Caption + "/" + Me.Caption
    End Sub
  End Control
  Control bb(2) As BevelButton
    Left = 150 : Top = 20 : Width = 100 : Height = 40 : Caption = "D3"
  End Control
  Control bb(3) As BevelButton
    Left = 20 : Top = 100 : Width = 100 : Height = 40 : Caption = "E3"
  End Control
  Sub Open()
    bb(3).Enabled = False
  End Sub
End Window
)";

// Clicks bb(1); clicks bb(2); presses bb(2) and releases outside it; clicks the disabled bb(3).
constexpr const char* kScript = R"(move "Inizio" 50 40
click
move "Inizio C3/C3" 200 40
click
move "Inizio C3/C3 G#3/D3" 200 40
press
move "Inizio C3/C3 G#3/D3" 280 150
release
move "Inizio C3/C3 G#3/D3" 50 120
click
dump
)";

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

std::string RunCommand(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return output;
  char buffer[512];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  pclose(pipe);
  return output;
}

TEST(ApplicationTest, BevelButtonsOfACarriedPluginWorkInTheRunningApplication) {
  char pattern[] = "/tmp/amx-bevelapp-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  std::string dir = pattern;
  std::string project = Replace(Replace(kProject, "@AMXI@", AMX_APPEARANCE_AMXI), "@DLL@", AMX_APPEARANCE_PLUGIN);
  std::ofstream(dir + "/bevel.amx") << project;
  std::ofstream(dir + "/script.txt") << kScript;
  std::string compiled = RunCommand(std::string(AMX_AMXC) + " " + dir + "/bevel.amx -o " + dir + " 2>&1");
  ASSERT_EQ(compiled, "");
  std::string output = RunCommand("cd " + dir + " && cp " + AMX_RUNTIME_EXE + " ./armonix && HOME=" + dir +
                           "/home XDG_DATA_HOME= XDG_CACHE_HOME= ARMONIX_NATIVE=headless "
                           "ARMONIX_SCRIPT=script.txt ./armonix 2>&1");
  EXPECT_NE(output.find("window \"Inizio C3/C3 G#3/D3\" "), std::string::npos) << output;
  EXPECT_EQ(output.find("no visible window"), std::string::npos) << output;
  std::ifstream written(dir + "/home/.local/share/armonix/system/ktap350.dll", std::ios::binary | std::ios::ate);
  EXPECT_TRUE(written.good());
  std::ifstream built(AMX_APPEARANCE_PLUGIN, std::ios::binary | std::ios::ate);
  EXPECT_EQ(written.tellg(), built.tellg());
  EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
}

}  // namespace
