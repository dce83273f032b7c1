// The message queue and the default window procedure: posting and sending, retrieval in the
// system's order (posted and input messages, then quit, then paint, then timers, then new
// input from the backend), translation of keys into characters, and dispatch.
// Entry points: GetMessageA, PeekMessageA, PostMessageA, SendMessageA, DefWindowProcA.
#include <algorithm>
#include <cstring>
#include <ctime>

#include "native/core/state.h"

namespace native {
namespace {

DWORD Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<DWORD>(static_cast<uint64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000);
}

bool InFilter(const MSG& m, HWND hwnd, UINT lo, UINT hi) {
  if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
  if (lo == 0 && hi == 0) return true;
  return m.message >= lo && m.message <= hi;
}

void Stamp(MSG& m) {
  m.time = Now();
  POINT p = HasBackend() ? TheBackend().CursorPos() : POINT{0, 0};
  m.pt = p;
}

// The first window (depth first, parents before children, top-level windows in z-order) that
// needs painting.
HWND FindPaintable(HWND w) {
  if (!(w->style & WS_VISIBLE)) return nullptr;
  if (w->hasInvalid) return w;
  for (HWND child : w->children) {
    if (HWND found = FindPaintable(child)) return found;
  }
  return nullptr;
}

bool TakePosted(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.queueLock);
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    if (!InFilter(it->msg, hwnd, lo, hi)) continue;
    *out = it->msg;
    s.keyState = it->keyState;
    if (remove) s.queue.erase(it);
    return true;
  }
  return false;
}

bool TakeQuit(MSG* out, bool remove) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.queueLock);
  if (!s.quitPosted) return false;
  *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(s.quitCode), 0, Now(), {}};
  if (remove) s.quitPosted = false;
  return true;
}

bool TakePaint(MSG* out, HWND hwnd, UINT lo, UINT hi) {
  if (!((lo == 0 && hi == 0) || (WM_PAINT >= lo && WM_PAINT <= hi))) return false;
  for (HWND top : State().topLevels) {
    HWND w = FindPaintable(top);
    if (!w || (hwnd && w != hwnd && !IsChild(hwnd, w))) continue;
    *out = MSG{w, WM_PAINT, 0, 0, 0, {}};
    Stamp(*out);
    return true;
  }
  return false;
}

bool TakeTimer(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove) {
  if (!((lo == 0 && hi == 0) || (WM_TIMER >= lo && WM_TIMER <= hi))) return false;
  DWORD now = Now();
  for (Timer& t : State().timers) {
    if (static_cast<int32_t>(now - t.due) < 0) continue;
    if (hwnd && t.hwnd != hwnd) continue;
    *out = MSG{t.hwnd, WM_TIMER, t.id, 0, now, {}};
    if (remove) t.due = now + t.elapse;
    return true;
  }
  return false;
}

int MillisToNextTimer() {
  auto& timers = State().timers;
  if (timers.empty()) return -1;
  DWORD now = Now();
  int best = 0x7FFFFFFF;
  for (const Timer& t : timers) {
    best = std::min(best, std::max(0, static_cast<int>(static_cast<int32_t>(t.due - now))));
  }
  return best;
}

// One pass over the sources in the system's order.
bool TakeAny(MSG* out, HWND hwnd, UINT lo, UINT hi, bool remove) {
  if (TakePosted(out, hwnd, lo, hi, remove)) return true;
  if (TakeQuit(out, remove)) return true;
  if (TakePaint(out, hwnd, lo, hi)) return true;
  return TakeTimer(out, hwnd, lo, hi, remove);
}

void Remember(const MSG& m) { State().lastMessage = m; }

}  // namespace

void PurgeQueueFor(HWND hwnd) {
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.queueLock);
  s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(),
                               [hwnd](const QueuedMessage& q) { return q.msg.hwnd == hwnd; }),
                s.queue.end());
}

void PostInput(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, uint32_t keyState) {
  QueuedMessage q;
  q.msg = MSG{hwnd, msg, wParam, lParam, 0, {}};
  Stamp(q.msg);
  q.keyState = keyState;
  auto& s = State();
  std::lock_guard<std::mutex> lock(s.queueLock);
  s.queue.push_back(q);
}

}  // namespace native

using namespace native;

BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return FALSE;
  FreeGraveyard();
  for (;;) {
    if (TakeAny(msg, hwnd, filterMin, filterMax, true)) {
      Remember(*msg);
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    TheBackend().PumpInput(true, MillisToNextTimer());
  }
}

BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) return FALSE;
  FreeGraveyard();
  bool remove = (removeMsg & PM_REMOVE) != 0;
  if (TakeAny(msg, hwnd, filterMin, filterMax, remove)) {
    Remember(*msg);
    return TRUE;
  }
  TheBackend().PumpInput(false, 0);
  if (TakeAny(msg, hwnd, filterMin, filterMax, remove)) {
    Remember(*msg);
    return TRUE;
  }
  return FALSE;
}

BOOL WaitMessage() {
  auto& s = State();
  {
    std::lock_guard<std::mutex> lock(s.queueLock);
    if (!s.queue.empty() || s.quitPosted) return TRUE;
  }
  MSG m;
  if (TakePaint(&m, nullptr, 0, 0)) return TRUE;
  TheBackend().PumpInput(true, MillisToNextTimer());
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
  // Input carries its character in the scan-code byte of lParam (0: no character).
  auto ch = static_cast<uint8_t>((static_cast<DWORD>(msg->lParam) >> 16) & 0xFF);
  if (ch == 0 || (State().keyState & (kKeyControl | kKeyAlt))) return FALSE;
  auto& s = State();
  QueuedMessage q;
  q.msg = *msg;
  q.msg.message = WM_CHAR;
  q.msg.wParam = ch;
  q.keyState = s.keyState;
  std::lock_guard<std::mutex> lock(s.queueLock);
  s.queue.push_front(q);
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd || !IsWindow(msg->hwnd)) return 0;
  return CallProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& s = State();
  {
    std::lock_guard<std::mutex> lock(s.queueLock);
    QueuedMessage q;
    q.msg = MSG{hwnd, msg, wParam, lParam, Now(), {}};
    q.keyState = s.keyState;
    s.queue.push_back(q);
  }
  if (HasBackend()) TheBackend().Wake();
  return TRUE;
}

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Valid(hwnd)) return 0;
  return CallProc(hwnd, msg, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  auto& s = State();
  {
    std::lock_guard<std::mutex> lock(s.queueLock);
    s.quitPosted = true;
    s.quitCode = exitCode;
  }
  if (HasBackend()) TheBackend().Wake();
}

LONG GetMessageTime() { return static_cast<LONG>(State().lastMessage.time); }

DWORD GetMessagePos() {
  const POINT& p = State().lastMessage.pt;
  return static_cast<DWORD>(MAKELONG(static_cast<SHORT>(p.x), static_cast<SHORT>(p.y)));
}

BOOL IsDialogMessageA(HWND, LPMSG) { return FALSE; }

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, void*) {
  if (hwnd && !Valid(hwnd)) return 0;
  auto& timers = State().timers;
  elapse = std::max<UINT>(elapse, 10);
  for (Timer& t : timers) {
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse;
      t.due = Now() + elapse;
      return id ? id : 1;
    }
  }
  timers.push_back(Timer{hwnd, id, elapse, Now() + elapse});
  return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto& timers = State().timers;
  auto it = std::find_if(timers.begin(), timers.end(),
                         [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (it == timers.end()) return FALSE;
  timers.erase(it);
  return TRUE;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  ++State().procDepth;
  LRESULT result = proc(hwnd, msg, wParam, lParam);
  --State().procDepth;
  return result;
}

namespace {

LRESULT CopyText(HWND hwnd, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<char*>(buffer);
  if (!out || size == 0) return 0;
  size_t n = std::min<size_t>(hwnd->text.size(), size - 1);
  std::memcpy(out, hwnd->text.data(), n);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

void EraseWithClassBrush(HWND hwnd, HDC dc) {
  RECT r = ClientRect(hwnd);
  FillRect(dc, &r, hwnd->cls->background);
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!Valid(hwnd)) return 0;
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      if (!hwnd->cls->background) return 0;
      EraseWithClassBrush(hwnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_SETTEXT:
      hwnd->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if (IsTopLevel(hwnd) && HasBackend()) TheBackend().WindowTextChanged(hwnd);
      InvalidateAll(hwnd, true);
      return TRUE;
    case WM_GETTEXT: return CopyText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(hwnd->text.size());
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) {
        HWND focus = State().focus;
        if (!focus || TopLevelOf(focus) != hwnd) SetFocus(hwnd);
      }
      return 0;
    case WM_MOUSEACTIVATE:
      if (!IsTopLevel(hwnd) && hwnd->parent) {
        LRESULT r = SendMessageA(hwnd->parent, msg, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR:
      if (!IsTopLevel(hwnd) && hwnd->parent) return SendMessageA(hwnd->parent, msg, wParam, lParam);
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_SETFONT:
      hwnd->font = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateAll(hwnd, true);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(hwnd->font);
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: return 0;
    default: return 0;
  }
}
