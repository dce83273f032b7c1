// The headless backend: windows live only in memory on a fixed screen (1024 x 768 unless
// ARMONIX_SCREEN=WxH), and a script plays the user. When the program asks for input and
// nothing is queued, the next command runs; after the last one the program is asked to quit.
// Entry points: HeadlessBackend, DumpScreen.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "native/core/backend.h"
#include "native/headless/script.h"

namespace native {

class HeadlessBackend : public Backend {
 public:
  // out receives dump and message-box lines, err the script's error lines.
  HeadlessBackend(std::string scriptName, std::vector<ScriptCommand> commands, int width,
                  int height, FILE* out, FILE* err);

  bool PumpInput(bool wait, int timeoutMs) override;
  int MessageBox(HWND owner, const std::string& text, const std::string& caption,
                 UINT type) override;
  POINT CursorPos() override { return cursor_; }
  void SetCursorPos(POINT p) override { cursor_ = p; }
  HWND TopLevelAt(POINT point) override;
  int ScreenWidth() override { return width_; }
  int ScreenHeight() override { return height_; }

  // Whether an expectation failed (the process then ends with status 3).
  bool Failed() const { return failed_; }
  bool Finished() const { return next_ >= commands_.size() && idle_ == 0; }

 private:
  void Run(const ScriptCommand& cmd);
  void Error(const ScriptCommand& cmd, const std::string& message);
  HWND FindTitled(const std::string& title) const;
  void Menu(const ScriptCommand& cmd);
  void Close(const ScriptCommand& cmd);
  void Move(const ScriptCommand& cmd);
  void Type(const std::string& text);
  void Expect(const ScriptCommand& cmd);

  std::string name_;
  std::vector<ScriptCommand> commands_;
  size_t next_ = 0;
  int idle_ = 0;
  int width_;
  int height_;
  FILE* out_;
  FILE* err_;
  POINT cursor_{0, 0};
  int answer_ = 0;  // for the next message box; 0: its default button
  std::string lastOutput_;
  bool failed_ = false;
  long afterEnd_ = 0;
  long waitsAfterEnd_ = 0;
};

// The screen as text: one line per top-level window, its descendants indented under it.
std::string DumpScreen();

// Creates the headless backend from ARMONIX_SCRIPT and ARMONIX_SCREEN; on a script that
// cannot be read or parsed, prints why and ends the process with status 2.
Backend* CreateHeadlessBackendFromEnvironment();

}  // namespace native
