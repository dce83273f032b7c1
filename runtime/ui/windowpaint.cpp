// Painting a window: its Paint handler gets a Graphics object bound to the paint context for
// the call, then the windowless child panes paint themselves, bottom of the z-order first.
// Entry points: RuntimeViewWindow::Paint, RaisePaint, GraphicsContext.
#include <vector>

#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/ui/events.h"
#include "runtime/ui/windowlayer.h"

namespace {

// A Graphics object keeps its context in the first word after the header.
constexpr int32_t kGraphicsContextWord = 4;

HDC* ContextSlot(ObjectHeader* graphics) {
  return reinterpret_cast<HDC*>(reinterpret_cast<uint32_t*>(graphics) + kGraphicsContextWord);
}

// Lower panes first. A pane's painting may run a handler that closes the window, which frees
// the panes: the order is taken before any of them paints, and painting stops at the close.
void PaintWindowlessPanes(RuntimeViewWindow* view, HDC dc) {
  std::vector<Pane*> topmostFirst;
  for (Pane* p = view->panes; p != nullptr; p = p->next) topmostFirst.push_back(p);
  for (auto it = topmostFirst.rbegin(); it != topmostFirst.rend() && !view->closing; ++it) {
    Pane* pane = *it;
    if (pane->hwnd == nullptr && pane->visible) pane->Paint(dc);
  }
}

}  // namespace

namespace windows {

void RaisePaint(RuntimeViewWindow* view, HDC dc) {
  WindowObject* window = view->Window();
  EventDeclaration* paint = AMX_BUILTIN_EVENT(Window, Paint);
  if (window == nullptr || !HasEventHandler(&window->header, paint)) return;
  ObjectHeader* graphics = MakeObject(AMX_BUILTIN_CLASS(Graphics));
  if (graphics == nullptr) return;
  *ContextSlot(graphics) = dc;
  const uint32_t args[1] = {static_cast<uint32_t>(reinterpret_cast<uintptr_t>(graphics))};
  RaiseEvent(&window->header, paint, 1, args);
  *ContextSlot(graphics) = nullptr;  // a Graphics kept beyond the call draws nowhere
  UnlockObject(graphics);
}

HDC GraphicsContext(ObjectHeader* graphics) {
  if (graphics == nullptr || !ObjectIsa(graphics, AMX_BUILTIN_CLASS(Graphics))) return nullptr;
  return *ContextSlot(graphics);
}

}  // namespace windows

void RuntimeViewWindow::Paint(HDC dc) {
  if (closing) return;
  Hold();
  windows::RaisePaint(this, dc);
  if (!closing) PaintWindowlessPanes(this, dc);
  Release();
}

void RuntimeViewWindow::Invalidate() {
  if (hwnd != nullptr) InvalidateRect(hwnd, nullptr, TRUE);
}

void RuntimeViewWindow::UpdateNow() {
  if (hwnd != nullptr) UpdateWindow(hwnd);
}
