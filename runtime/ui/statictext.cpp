// StaticText: its CreatePane handler, the windowless pane that draws the label and raises
// the mouse and accelerator events, the caption's accelerator, and the property accessors
// that store first and then update a live pane, and the labels' report to the screen dump.
// Entry points: StaticTextCreatePane, staticCaption*, staticTextAlignSetter, staticTextColor*.
#include "runtime/ui/statictext.h"

#include <cctype>

#include "native/drawnitems.h"
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/ui/fontmapping.h"
#include "runtime/ui/shortcuts.h"
#include "runtime/ui/stdcontrols.h"
#include "runtime/ui/viewwindow.h"

using stdcontrols::PaneOf;
using stdcontrols::RaiseControlEvent;
using stdcontrols::StaticTextOf;

char AcceleratorOf(std::string_view text) {
  char key = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (i + 1 >= text.size()) break;
    char next = text[i + 1];
    ++i;  // "&&" is an ampersand itself; "&x" marks x
    if (next == '&' || static_cast<uint8_t>(next) <= ' ') continue;
    key = static_cast<char>(std::toupper(static_cast<uint8_t>(next)));
  }
  return key;
}

std::string AcceleratorShortcut(std::string_view text) {
  char key = AcceleratorOf(text);
  return key == 0 ? std::string() : std::string("Alt+") + key;
}

std::string CaptionWithoutMarks(std::string_view text) {
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

int32_t AlignedTextLeft(const Rect16& bounds, int32_t textWidth, int32_t align) {
  if (align == 1) return bounds.left + (bounds.Width() - textWidth) / 2;
  if (align == 2) return bounds.right - textWidth;
  return bounds.left;
}

// ---- The labels in the screen dump --------------------------------------------------------

namespace {

// The labels drawn into a view window's native window, topmost first, with their caption as
// stored (accelerator marks included, as native windows show their text). A label looks the
// same enabled or not (window descriptions do not even carry the state), so none is shown
// as disabled.
void ReportStaticTexts(HWND window, std::vector<native::DrawnItem>* items) {
  RuntimeViewWindow* view = ViewWindowFromHandle(window);
  if (view == nullptr) return;
  for (Pane* pane = view->panes; pane != nullptr; pane = pane->next) {
    auto* label = dynamic_cast<StaticTextPane*>(pane);
    if (label == nullptr || label->hwnd != nullptr) continue;
    items->push_back(native::DrawnItem{"StaticText", label->Text(), label->bounds.ToRect(),
                                       label->visible != 0, true});
  }
}

}  // namespace

// ---- StaticTextPane -----------------------------------------------------------------------

StaticTextPane::StaticTextPane() {
  name = "StaticText";
  native::AddDrawnItemsSource(&ReportStaticTexts);
}

StaticTextPane::~StaticTextPane() {
  ForgetPaneShortcuts(this);
  if (nativeFont_ != nullptr) DeleteObject(nativeFont_);
}

void StaticTextPane::SetText(const std::string& text) {
  text_ = text;
  RegisterAccelerator();
  Repaint();
}

void StaticTextPane::SetFont(const ControlFont& font) {
  if (nativeFont_ != nullptr && font == font_) return;
  font_ = font;
  HFONT old = nativeFont_;
  nativeFont_ = CreateControlFont(font_);
  if (old != nullptr) DeleteObject(old);
  Repaint();
}

void StaticTextPane::SetAlign(int32_t align) {
  align_ = align;
  Repaint();
}

void StaticTextPane::SetTextColor(int32_t rgb) {
  if (rgb == textColor_) return;
  textColor_ = rgb;
  Repaint();
}

void StaticTextPane::Repaint() {
  if (owner != nullptr) Invalidate();
}

// A caption change replaces the pane's accelerator: the old key must not reach it any more.
void StaticTextPane::RegisterAccelerator() {
  ForgetPaneShortcuts(this);
  std::string shortcut = AcceleratorShortcut(text_);
  if (!shortcut.empty()) RegisterControlAccelerator(this, shortcut);
}

void StaticTextPane::Paint(HDC dc) {
  if (dc == nullptr || !visible) return;
  HGDIOBJ oldFont = nativeFont_ != nullptr ? SelectObject(dc, nativeFont_) : nullptr;
  COLORREF oldColour = ::SetTextColor(dc, stdcontrols::NativeColour(textColor_));
  int oldMode = SetBkMode(dc, TRANSPARENT);
  std::string shown = CaptionWithoutMarks(text_);
  if (multiLine_) {
    PaintLines(dc, shown);
  } else {
    PaintSingleLine(dc, shown);
  }
  SetBkMode(dc, oldMode);
  ::SetTextColor(dc, oldColour);
  if (oldFont != nullptr) SelectObject(dc, oldFont);
}

// Vertically centred, unclipped, placed by the alignment.
void StaticTextPane::PaintSingleLine(HDC dc, const std::string& shown) {
  SIZE extent{0, 0};
  GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
  int32_t x = AlignedTextLeft(bounds, extent.cx, align_);
  int32_t y = bounds.top + (bounds.Height() - extent.cy) / 2;
  UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP);  // the window paints on the baseline
  TextOutA(dc, x, y, shown.c_str(), static_cast<int>(shown.size()));
  SetTextAlign(dc, oldAlign);
}

// Several lines: broken at words inside the rectangle, each placed by the alignment.
void StaticTextPane::PaintLines(HDC dc, const std::string& shown) {
  RECT area = bounds.ToRect();
  UINT format = DT_WORDBREAK | DT_NOPREFIX;
  if (align_ == 1) format |= DT_CENTER;
  else if (align_ == 2) format |= DT_RIGHT;
  else format |= DT_LEFT;
  UINT oldAlign = SetTextAlign(dc, TA_LEFT | TA_TOP);
  DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &area, format);
  SetTextAlign(dc, oldAlign);
}

bool StaticTextPane::MouseDown(int32_t x, int32_t y, int32_t /*modifiers*/) {
  const uint32_t args[2] = {static_cast<uint32_t>(x - bounds.left),
                            static_cast<uint32_t>(y - bounds.top)};
  stdcontrols::RaiseResult outcome =
      RaiseControlEvent(this, AMX_BUILTIN_EVENT(StaticText, MouseDown), 2, args);
  if (!outcome.paneAlive) return true;  // the window went away: nothing more for it
  pressed_ = outcome.result;
  return pressed_;
}

void StaticTextPane::MouseDrag(int32_t x, int32_t y) {
  if (!pressed_) return;
  const uint32_t args[2] = {static_cast<uint32_t>(x - bounds.left),
                            static_cast<uint32_t>(y - bounds.top)};
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(StaticText, MouseDrag), 2, args);
}

void StaticTextPane::MouseUp(int32_t x, int32_t y) {
  if (!pressed_) return;
  pressed_ = false;
  const uint32_t args[2] = {static_cast<uint32_t>(x - bounds.left),
                            static_cast<uint32_t>(y - bounds.top)};
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(StaticText, MouseUp), 2, args);
}

void StaticTextPane::AcceleratorKey() {
  RaiseControlEvent(this, AMX_BUILTIN_EVENT(StaticText, AcceleratorKey));
}

// ---- CreatePane and accessors -------------------------------------------------------------

AMX_ENTRY void StaticTextCreatePane(ObjectHeader* control) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  if (label == nullptr || label->base.pane != nullptr) return;
  auto* pane = new StaticTextPane();
  stdcontrols::LinkControlPane(&label->base, pane);
  pane->AttachWindowless(label->base.viewWindow, label->base.bounds);
  pane->SetFont(stdcontrols::FontOfControl(control));
  pane->SetAlign(label->textAlign);
  pane->SetTextColor(label->textColor);
  pane->SetMultiLine(label->multiLine != 0);
  pane->SetText(stdcontrols::TextOf(label->text));
}

AMX_ENTRY StringRecord* staticCaptionGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  return label != nullptr ? LockString(label->text) : nullptr;
}

AMX_ENTRY void staticCaptionSetter(ObjectHeader* control, int32_t /*parameter*/,
                                   StringRecord* text) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  if (label == nullptr) return;
  stdcontrols::StoreString(&label->text, text);
  if (StaticTextPane* pane = PaneOf<StaticTextPane>(label)) pane->SetText(stdcontrols::TextOf(text));
}

AMX_ENTRY void staticTextAlignSetter(ObjectHeader* control, int32_t /*parameter*/,
                                     int32_t align) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  if (label == nullptr) return;
  label->textAlign = static_cast<int16_t>(align);
  if (StaticTextPane* pane = PaneOf<StaticTextPane>(label)) pane->SetAlign(label->textAlign);
}

AMX_ENTRY int32_t staticTextColorGetter(ObjectHeader* control, int32_t /*parameter*/) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  return label != nullptr ? label->textColor : 0;
}

AMX_ENTRY void staticTextColorSetter(ObjectHeader* control, int32_t /*parameter*/,
                                     int32_t rgb) noexcept {
  StaticTextObject* label = StaticTextOf(control);
  if (label == nullptr) return;
  label->textColor = rgb;
  if (StaticTextPane* pane = PaneOf<StaticTextPane>(label)) pane->SetTextColor(rgb);
}

void ApplyStaticTextFont(StaticTextObject* label) {
  if (StaticTextPane* pane = PaneOf<StaticTextPane>(label)) {
    pane->SetFont(stdcontrols::FontOfControl(&label->base.header));
  }
}
