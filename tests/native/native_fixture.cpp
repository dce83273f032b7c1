// The shared fixture of the native layer's tests (see native_fixture.h): a fresh window
// manager per test on a headless backend, and a logging window class.
#include "tests/native/native_fixture.h"

#include <map>

namespace native_test {

std::vector<std::string> gLog;
namespace {
std::map<HWND, std::string> gTags;
}

std::string Tag(HWND hwnd) {
  if (!hwnd) return "0";
  auto it = gTags.find(hwnd);
  return it == gTags.end() ? "?" : it->second;
}

void Name(HWND hwnd, const std::string& tag) { gTags[hwnd] = tag; }

const char* MessageName(UINT msg) {
  switch (msg) {
    case WM_CREATE: return "CREATE";
    case WM_DESTROY: return "DESTROY";
    case WM_MOVE: return "MOVE";
    case WM_SIZE: return "SIZE";
    case WM_ACTIVATE: return "ACTIVATE";
    case WM_SETFOCUS: return "SETFOCUS";
    case WM_KILLFOCUS: return "KILLFOCUS";
    case WM_PAINT: return "PAINT";
    case WM_CLOSE: return "CLOSE";
    case WM_ERASEBKGND: return "ERASEBKGND";
    case WM_ACTIVATEAPP: return "ACTIVATEAPP";
    case WM_MOUSEACTIVATE: return "MOUSEACTIVATE";
    case WM_KEYDOWN: return "KEYDOWN";
    case WM_KEYUP: return "KEYUP";
    case WM_CHAR: return "CHAR";
    case WM_COMMAND: return "COMMAND";
    case WM_INITMENU: return "INITMENU";
    case WM_INITMENUPOPUP: return "INITMENUPOPUP";
    case WM_MOUSEMOVE: return "MOUSEMOVE";
    case WM_LBUTTONDOWN: return "LBUTTONDOWN";
    case WM_LBUTTONUP: return "LBUTTONUP";
    case WM_RBUTTONDOWN: return "RBUTTONDOWN";
    case WM_RBUTTONUP: return "RBUTTONUP";
    case WM_CAPTURECHANGED: return "CAPTURECHANGED";
    case WM_SIZING: return "SIZING";
    case WM_USER: return "USER";
    case WM_USER + 1: return "USER+1";
    default: return nullptr;
  }
}

LRESULT LoggingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (const char* name = MessageName(msg)) {
    std::string line = std::string(name) + " " + Tag(hwnd);
    if (msg == WM_COMMAND) {
      line += " " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam)) +
              " " + Tag(reinterpret_cast<HWND>(lParam));
    } else if (msg >= WM_MOUSEMOVE && msg <= WM_RBUTTONUP) {
      line += " " + std::to_string(GET_X_LPARAM(lParam)) + "," + std::to_string(GET_Y_LPARAM(lParam));
    } else if (msg == WM_ACTIVATE) {
      line += " " + std::to_string(LOWORD(wParam)) + " " + Tag(reinterpret_cast<HWND>(lParam));
    } else if (msg == WM_CHAR || msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_ACTIVATEAPP ||
               msg == WM_USER || msg == WM_USER + 1) {
      line += " " + std::to_string(wParam);
    }
    gLog.push_back(line);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void NativeTest::SetUp() {
  out_ = open_memstream(&outText_, &outSize_);
  err_ = open_memstream(&errText_, &errSize_);
  Script("");
  native::ResetForTests();
  gLog.clear();
  gTags.clear();
  WNDCLASSA wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.lpszClassName = "TestWindow";
  wc.cbWndExtra = 8;
  RegisterClassA(&wc);
}

void NativeTest::TearDown() {
  native::ResetForTests();
  std::fclose(out_);
  std::fclose(err_);
  std::free(outText_);
  std::free(errText_);
}

native::HeadlessBackend& NativeTest::Script(const std::string& text) {
  native::ParsedScript parsed = native::ParseScript("test", text);
  EXPECT_TRUE(parsed.errors.empty()) << parsed.errors.front();
  auto* backend = new native::HeadlessBackend("test", parsed.commands, 1024, 768, out_, err_);
  native::InstallBackend(backend);
  return *backend;
}

std::string NativeTest::Out() {
  std::fflush(out_);
  return std::string(outText_, outSize_);
}

std::string NativeTest::Err() {
  std::fflush(err_);
  return std::string(errText_, errSize_);
}

HWND NativeTest::TopLevel(const char* title, int x, int y, int w, int h, HMENU menu) {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT r{x, y, x + w, y + h};
  AdjustWindowRectEx(&r, style, menu != nullptr, 0);
  HWND hwnd = CreateWindowExA(0, "TestWindow", title, style, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, nullptr, menu, nullptr, nullptr);
  Name(hwnd, title);
  ShowWindow(hwnd, SW_SHOW);
  return hwnd;
}

int NativeTest::RunLoop() {
  MSG msg;
  int guard = 0;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    if (++guard > 100000) {
      ADD_FAILURE() << "the loop did not end";
      return -1;
    }
  }
  return static_cast<int>(msg.wParam);
}

std::vector<std::string> NativeTest::Logged(std::initializer_list<UINT> messages) const {
  std::vector<std::string> out;
  for (const std::string& line : gLog) {
    for (UINT m : messages) {
      std::string name = MessageName(m);
      if (line.compare(0, name.size() + 1, name + " ") == 0) out.push_back(line);
    }
  }
  return out;
}

}  // namespace native_test
