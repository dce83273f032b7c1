// The "MDICLIENT" class, as far as multiple-document mode needs it: it creates document
// windows (WM_MDICREATE), keeps track of the active one (WM_MDIACTIVATE, WM_MDIGETACTIVE)
// and destroys them (WM_MDIDESTROY). Entry points: MdiClientProc, DefFrameProcA,
// DefMDIChildProcA, TranslateMDISysAccel.
#include "native/controls/controls.h"

namespace native {
namespace {

struct MdiData : ControlData {
  HWND activeChild = nullptr;
  UINT firstChildId = 0;
  UINT nextId = 0;
};

MdiData& Data(HWND hwnd) {
  if (!hwnd->control) hwnd->control = std::make_unique<MdiData>();
  return static_cast<MdiData&>(*hwnd->control);
}

void Activate(HWND client, HWND child) {
  MdiData& d = Data(client);
  HWND old = d.activeChild && IsWindow(d.activeChild) ? d.activeChild : nullptr;
  if (old == child) return;
  d.activeChild = child;
  if (old) {
    SendMessageA(old, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old),
                 reinterpret_cast<LPARAM>(child));
  }
  if (child && IsWindow(child)) {
    SetWindowPos(child, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(child, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(old),
                 reinterpret_cast<LPARAM>(child));
    if (IsWindow(child) && TopLevelOf(client) == State().active) SetFocus(child);
  }
}

HWND Create(HWND client, const MDICREATESTRUCTA* cs) {
  if (!cs) return nullptr;
  MdiData& d = Data(client);
  DWORD style = cs->style | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
  HWND child = CreateWindowExA(WS_EX_MDICHILD, cs->szClass, cs->szTitle, style & ~WS_VISIBLE,
                               cs->x == CW_USEDEFAULT ? 0 : cs->x,
                               cs->y == CW_USEDEFAULT ? 0 : cs->y,
                               cs->cx == CW_USEDEFAULT ? 400 : cs->cx,
                               cs->cy == CW_USEDEFAULT ? 300 : cs->cy, client,
                               reinterpret_cast<HMENU>(static_cast<uintptr_t>(d.nextId++)),
                               nullptr, cs->lParam ? reinterpret_cast<LPVOID>(cs->lParam) : nullptr);
  if (!child) return nullptr;
  ShowWindow(child, SW_SHOWNA);
  Activate(client, child);
  return child;
}

}  // namespace

LRESULT MdiClientProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      auto* ccs = cs ? static_cast<const CLIENTCREATESTRUCT*>(cs->lpCreateParams) : nullptr;
      Data(hwnd).firstChildId = ccs ? ccs->idFirstChild : 0;
      Data(hwnd).nextId = Data(hwnd).firstChildId;
      return 0;
    }
    case WM_MDICREATE: return reinterpret_cast<LRESULT>(Create(hwnd, reinterpret_cast<const MDICREATESTRUCTA*>(lParam)));
    case WM_MDIACTIVATE: Activate(hwnd, reinterpret_cast<HWND>(wParam)); return 0;
    case WM_MDIGETACTIVE: {
      HWND active = Data(hwnd).activeChild;
      return reinterpret_cast<LRESULT>(active && IsWindow(active) ? active : nullptr);
    }
    case WM_MDIDESTROY: {
      auto child = reinterpret_cast<HWND>(wParam);
      if (!IsChild(hwnd, child)) return 0;
      if (Data(hwnd).activeChild == child) Data(hwnd).activeChild = nullptr;
      DestroyWindow(child);
      for (HWND other : hwnd->children) {
        Activate(hwnd, other);
        break;
      }
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT r = ClientRect(hwnd);
      FillSolid(reinterpret_cast<HDC>(wParam), r, GetSysColor(COLOR_APPWORKSPACE));
      return 1;
    }
    default: return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace native

using namespace native;

LRESULT DefFrameProcA(HWND hwnd, HWND mdiClient, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_SIZE && IsWindow(mdiClient)) {
    MoveWindow(mdiClient, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (msg == WM_SETFOCUS && IsWindow(mdiClient)) {
    HWND active = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
    SetFocus(active ? active : mdiClient);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT DefMDIChildProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE && IsWindow(hwnd) && hwnd->parent) {
    SendMessageA(hwnd->parent, WM_MDIDESTROY, reinterpret_cast<WPARAM>(hwnd), 0);
    return 0;
  }
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
    if (hwnd->parent) SendMessageA(hwnd->parent, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(hwnd), 0);
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

BOOL TranslateMDISysAccel(HWND, LPMSG) { return FALSE; }
