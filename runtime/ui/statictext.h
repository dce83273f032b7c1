// StaticText: a label drawn by a windowless pane, with an optional accelerator ("&P" in the
// text registers "Alt+P", which raises "AcceleratorKey"). Entry points: StaticTextCreatePane
// (the class's CreatePane handler), the staticCaption*/staticText* accessors
// (runtime/entries/lists/ui.def), AcceleratorOf.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "native/win32.h"
#include "runtime/entries/entry.h"
#include "runtime/ui/drawnpane.h"
#include "runtime/ui/stdcontrolobjects.h"

// The accelerator character of a caption: the character after a single ampersand, in upper
// case ("&&" stands for an ampersand itself; with several, the last counts); 0 when none.
char AcceleratorOf(std::string_view text);
// "Alt+" and that character, or "" when the text has none.
std::string AcceleratorShortcut(std::string_view text);
// The caption as shown: single ampersands dropped, "&&" shown as one.
std::string CaptionWithoutMarks(std::string_view text);

// The x where a line of the given width starts for an alignment (0 left, 1 centred,
// 2 right; anything else is left).
int32_t AlignedTextLeft(const Rect16& bounds, int32_t textWidth, int32_t align);

// The drawn pane of a StaticText (no native window of its own; it paints into the window).
class StaticTextPane : public DrawnPane {
 public:
  StaticTextPane();
  ~StaticTextPane() override;

  void SetText(const std::string& text);
  void SetFont(const ControlFont& font);
  void SetAlign(int32_t align);
  void SetTextColor(int32_t rgb);
  void SetMultiLine(bool multiLine) { multiLine_ = multiLine; }

  const std::string& Text() const { return text_; }
  const ControlFont& Font() const { return font_; }
  HFONT NativeFont() const { return nativeFont_; }
  int32_t Align() const { return align_; }
  int32_t TextColor() const { return textColor_; }

  void Paint(HDC dc) override;
  bool MouseDown(int32_t x, int32_t y, int32_t modifiers) override;
  void MouseDrag(int32_t x, int32_t y) override;
  void MouseUp(int32_t x, int32_t y) override;
  void AcceleratorKey() override;

 private:
  void Repaint();
  void RegisterAccelerator();
  void PaintSingleLine(HDC dc, const std::string& shown);
  void PaintLines(HDC dc, const std::string& shown);

  std::string text_;
  ControlFont font_;
  HFONT nativeFont_ = nullptr;
  int32_t align_ = 0;
  int32_t textColor_ = 0;  // 0x00RRGGBB
  bool multiLine_ = false;
  bool pressed_ = false;   // a MouseDown handler took the press
};

// After a font property changed: a live pane takes the whole font.
void ApplyStaticTextFont(StaticTextObject* label);

AMX_ENTRY void StaticTextCreatePane(ObjectHeader* control) noexcept;
