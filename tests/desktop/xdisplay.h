// A private X server for desktop tests (Xvfb on a free display number, stopped with the
// object, dying with the test) and what the tests ask of it: the top-level windows by title,
// their place and size, screenshots, and pointer input through xdotool. Entry point:
// XvfbServer::Start.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

typedef struct _XDisplay Display;

namespace xdisplay {

struct WindowInfo {
  unsigned long id = 0;
  std::string title;
  int x = 0;  // on the root window
  int y = 0;
  int width = 0;
  int height = 0;
};

struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, row by row
  uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

class XvfbServer {
 public:
  XvfbServer() = default;
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Empty when the server runs and answers; else why not.
  std::string Start(int width, int height);
  const std::string& Name() const { return name_; }  // ":N"

  // The mapped top-level windows with that title, stacking order bottom first.
  std::vector<WindowInfo> WindowsTitled(const std::string& title);
  // Waits (up to 20 s) for a mapped window with that title; false when none came.
  bool WaitForWindow(const std::string& title, WindowInfo* found);
  // Waits (up to 20 s) until no mapped window has that title.
  bool WaitForNoWindow(const std::string& title);
  Screenshot Capture(const WindowInfo& window);
  // Sets the server's resource string (RESOURCE_MANAGER on the root), as xrdb does.
  void SetResources(const std::string& resources);
  // Pointer to a root point, and clicks, through xdotool; false if it failed.
  bool MovePointer(int x, int y);
  bool Click();

 private:
  pid_t pid_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// A program started with extra environment in a directory, ended with the object.
class Child {
 public:
  Child() = default;
  ~Child() { Stop(); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Start(const std::string& program, const std::string& directory,
             const std::vector<std::pair<std::string, std::string>>& environment,
             const std::string& errorsFile);
  void Stop();
  // Waits up to that many seconds for the program to end by itself: its exit status, or -1
  // when it did not end (or was killed by a signal).
  int WaitForExit(int seconds);

 private:
  pid_t pid_ = -1;
};

}  // namespace xdisplay
