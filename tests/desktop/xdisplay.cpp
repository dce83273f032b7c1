// Xvfb, window lookup, screenshots and xdotool input for desktop tests. The server chooses
// its own free display number and dies with the test (PR_SET_PDEATHSIG).
#include "tests/desktop/xdisplay.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace xdisplay {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kWait = std::chrono::seconds(20);

void EndChild(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 300 && waitpid(pid, nullptr, WNOHANG) != pid; ++i) usleep(10000);
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

// Windows come and go while the test looks at them; a request about one that has just gone
// fails, and the lookup skips it rather than ending the test.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string TitleOf(Display* display, Window window) {
  char* name = nullptr;
  std::string title;
  if (XFetchName(display, window, &name) && name != nullptr) title = name;
  if (name != nullptr) XFree(name);
  return title;
}

}  // namespace

std::string XvfbServer::Start(int width, int height) {
  // Xvfb picks a free display number itself and writes it to the pipe: no race with other
  // X servers that tests start at the same time.
  int numberPipe[2];
  if (pipe(numberPipe) != 0) return "cannot make a pipe";
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  pid_ = fork();
  if (pid_ < 0) return "cannot fork";
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(numberPipe[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    const std::string fd = std::to_string(numberPipe[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
           "-nolisten", "tcp", "-dpi", "96", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(numberPipe[1]);
  std::string number;
  char c = 0;
  while (read(numberPipe[0], &c, 1) == 1 && c != '\n') number += c;
  close(numberPipe[0]);
  if (number.empty()) return "Xvfb did not start (is it installed?)";
  name_ = ":" + number;
  const Clock::time_point deadline = Clock::now() + kWait;
  while ((display_ = XOpenDisplay(name_.c_str())) == nullptr) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return "Xvfb stopped at once (is it installed?)";
    }
    if (Clock::now() > deadline) return "Xvfb did not answer within 20 s";
    usleep(20000);
  }
  XSetErrorHandler(IgnoreErrors);
  return "";
}

XvfbServer::~XvfbServer() {
  if (display_ != nullptr) XCloseDisplay(display_);
  EndChild(pid_);
}

std::vector<WindowInfo> XvfbServer::WindowsTitled(const std::string& title) {
  std::vector<WindowInfo> found;
  Window root = DefaultRootWindow(display_);
  Window parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  XSync(display_, False);
  if (!XQueryTree(display_, root, &root, &parent, &children, &count)) return found;
  for (unsigned i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, children[i], &attributes)) continue;
    if (attributes.map_state != IsViewable || TitleOf(display_, children[i]) != title) continue;
    found.push_back({children[i], title, attributes.x, attributes.y, attributes.width,
                     attributes.height});
  }
  if (children != nullptr) XFree(children);
  return found;
}

bool XvfbServer::WaitForWindow(const std::string& title, WindowInfo* window) {
  const Clock::time_point deadline = Clock::now() + kWait;
  while (Clock::now() < deadline) {
    std::vector<WindowInfo> found = WindowsTitled(title);
    if (!found.empty()) {
      *window = found.back();
      return true;
    }
    usleep(20000);
  }
  return false;
}

bool XvfbServer::WaitForNoWindow(const std::string& title) {
  const Clock::time_point deadline = Clock::now() + kWait;
  while (Clock::now() < deadline) {
    if (WindowsTitled(title).empty()) return true;
    usleep(20000);
  }
  return false;
}

Screenshot XvfbServer::Capture(const WindowInfo& window) {
  Screenshot shot;
  XSync(display_, False);
  XImage* image = XGetImage(display_, window.id, 0, 0, window.width, window.height, AllPlanes,
                            ZPixmap);
  if (image == nullptr) return shot;
  shot.width = image->width;
  shot.height = image->height;
  shot.pixels.resize(size_t(shot.width) * shot.height);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      shot.pixels[size_t(y) * shot.width + x] = XGetPixel(image, x, y) & 0xFFFFFF;
    }
  }
  XDestroyImage(image);
  return shot;
}

void XvfbServer::SetResources(const std::string& resources) {
  XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(resources.data()),
                  static_cast<int>(resources.size()));
  XSync(display_, False);
}

bool XvfbServer::MovePointer(int x, int y) {
  const std::string command = "DISPLAY=" + name_ + " xdotool mousemove --sync " +
                              std::to_string(x) + " " + std::to_string(y) + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool XvfbServer::Click() {
  const std::string command = "DISPLAY=" + name_ + " xdotool click 1 >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

bool Child::Start(const std::string& program, const std::string& directory,
                  const std::vector<std::pair<std::string, std::string>>& environment,
                  const std::string& errorsFile) {
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    const int errors = open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (errors >= 0) dup2(errors, 2);
    if (chdir(directory.c_str()) != 0) _exit(126);
    execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return true;
}

void Child::Stop() { EndChild(pid_); }

int Child::WaitForExit(int seconds) {
  if (pid_ <= 0) return -1;
  int status = 0;
  for (int i = 0; i < seconds * 100; ++i) {
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    usleep(10000);
  }
  return -1;
}

}  // namespace xdisplay
