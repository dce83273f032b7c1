// A small program written only against native/win32.h, run unchanged on both backends: a
// window with a menu bar, a push button, two radio buttons and an edit field. It prints what
// it receives ("mouse X Y" for the first pointer move, "command ID" for each command, "text T"
// when the field changes) so that a script or an X test can follow it.
#include <cstdio>

#include "native/win32.h"

namespace {

constexpr int kPlay = 1001;
constexpr int kPiano = 1002;
constexpr int kFlute = 1003;
constexpr int kField = 1004;
constexpr int kGreet = 2001;
constexpr int kQuit = 2002;

bool gSawMouse = false;

HMENU BuildMenuBar() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, kGreet, "&Saluta");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, kQuit, "&Esci\tCtrl+Q");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
  return bar;
}

void CreateControls(HWND window) {
  auto make = [window](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
  };
  make("BUTTON", "Suona", BS_DEFPUSHBUTTON, 20, 20, 100, 28, kPlay);
  make("BUTTON", "Pianoforte", BS_AUTORADIOBUTTON | WS_GROUP, 20, 60, 120, 22, kPiano);
  make("BUTTON", "Flauto", BS_AUTORADIOBUTTON, 20, 86, 120, 22, kFlute);
  HWND field = make("RichEdit", "", WS_BORDER, 160, 20, 120, 24, kField);
  SendMessageA(field, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT area;
  GetClientRect(window, &area);
  HBRUSH face = CreateSolidBrush(RGB(236, 233, 216));
  FillRect(dc, &area, face);
  DeleteObject(face);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 128));
  TextOutA(dc, 160, 70, "Armonix", 7);
  EndPaint(window, &ps);
}

void Command(HWND window, WORD id, WORD code, HWND control) {
  if (id == kField && code == EN_CHANGE) {
    char text[64];
    GetWindowTextA(control, text, sizeof text);
    std::printf("text %s\n", text);
  } else if (code == BN_CLICKED || !control) {
    std::printf("command %d\n", id);
  }
  std::fflush(stdout);
  if (id == kGreet) MessageBoxA(window, "Ciao!", "Armonix", MB_OK | MB_ICONINFORMATION);
  if (id == kQuit) DestroyWindow(window);
}

LRESULT DemoProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: CreateControls(window); return 0;
    case WM_PAINT: Paint(window); return 0;
    case WM_MOUSEMOVE:
      if (!gSawMouse) {
        gSawMouse = true;
        std::printf("mouse %d %d\n", GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        std::fflush(stdout);
      }
      return 0;
    case WM_COMMAND:
      Command(window, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case WM_KEYDOWN:
      if (wParam == 'Q' && GetKeyState(VK_CONTROL) < 0) DestroyWindow(window);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, msg, wParam, lParam);
  }
}

}  // namespace

int main() {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DemoProc;
  wc.lpszClassName = "DemoWindow";
  if (!RegisterClassA(&wc)) return 1;
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT r{100, 100, 400, 260};
  AdjustWindowRectEx(&r, style, TRUE, 0);
  HWND window = CreateWindowExA(0, "DemoWindow", "Armonix demo", style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, nullptr, BuildMenuBar(),
                                nullptr, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
