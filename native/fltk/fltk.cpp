// The FLTK desktop backend. Each top-level window is an Fl_Window (with a menu bar of one
// Fl_Menu_Bar a row when it has a menu: titles that do not fit wrap onto further rows, which
// the window grows upwards to hold, so the client area stays where the core has it); the window manager in native/core owns the content, so FLTK events become
// queued input (our queue: FLTK dispatches inside Fl::wait), exposures become invalid
// regions, and WM_PAINT drawing goes to the window through make_current. Everything on the
// X side is in device pixels, the design pixels of the core times the scale factor
// (native/fltk/scale.h); the conversions happen here and nowhere else. Entry point:
// CreateFltkBackend.
#include "native/fltk/fltk.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "native/core/input.h"
#include "native/fltk/menurows.h"
#include "native/fltk/scale.h"
#include "native/fltk/xwindow.h"
#include "native/headless/script.h"
#include "native/text/cp1252.h"

namespace native {
namespace {

constexpr int kMenuHeight = 19;  // the core's menu bar height: the height of each row
constexpr int kTitleLead = 6;    // Fl_Menu_Bar draws its first title this far in
constexpr int kTitlePadding = 16;  // and each title this much wider than its label
constexpr int kMenuTextSize = 12;
constexpr int kMessageTextSize = 14;
bool gModal = false;             // a message box is up: our windows take no input
Scale gScale;                    // chosen when the backend starts

int Dev(int design) { return gScale.ToDevice(design); }
int Design(int device) { return gScale.ToDesign(device); }
int DeviceMenuHeight() { return Dev(kMenuHeight); }

uint32_t Modifiers() {
  uint32_t m = 0;
  int state = Fl::event_state();
  if (state & FL_SHIFT) m |= kKeyShift;
  if (state & FL_CTRL) m |= kKeyControl;
  if (state & FL_ALT) m |= kKeyAlt;
  return m;
}

int VirtualKeyOf(int key) {
  if (key >= 'a' && key <= 'z') return key - 32;
  if (key >= '0' && key <= '9') return key;
  if (key >= FL_F + 1 && key <= FL_F + 24) return VK_F1 + (key - FL_F - 1);
  switch (key) {
    case ' ': return VK_SPACE;
    case FL_BackSpace: return VK_BACK;
    case FL_Tab: return VK_TAB;
    case FL_Enter:
    case FL_KP_Enter: return VK_RETURN;
    case FL_Escape: return VK_ESCAPE;
    case FL_Page_Up: return VK_PRIOR;
    case FL_Page_Down: return VK_NEXT;
    case FL_End: return VK_END;
    case FL_Home: return VK_HOME;
    case FL_Left: return VK_LEFT;
    case FL_Up: return VK_UP;
    case FL_Right: return VK_RIGHT;
    case FL_Down: return VK_DOWN;
    case FL_Insert: return VK_INSERT;
    case FL_Delete: return VK_DELETE;
    case FL_Help: return VK_HELP;
    case FL_Print: return VK_SNAPSHOT;
    case FL_Shift_L:
    case FL_Shift_R: return VK_SHIFT;
    case FL_Control_L:
    case FL_Control_R: return VK_CONTROL;
    case FL_Alt_L:
    case FL_Alt_R: return VK_MENU;
    case FL_Meta_L: return VK_LWIN;
    case FL_Meta_R: return VK_RWIN;
    case FL_Menu: return VK_APPS;
    case FL_Caps_Lock: return VK_CAPITAL;
    case FL_Num_Lock: return VK_NUMLOCK;
    case FL_Scroll_Lock: return VK_SCROLL;
    case FL_Pause: return VK_PAUSE;
    case '-': return VK_OEM_MINUS;
    case '=': return VK_OEM_PLUS;
    case ',': return VK_OEM_COMMA;
    case '.': return VK_OEM_PERIOD;
    default: return 0xE5;  // a key known only by its character
  }
}

char CharacterOfEvent() {
  if (Fl::event_length() == 0) {
    int key = Fl::event_key();
    if (key == FL_Enter || key == FL_KP_Enter) return '\r';
    if (key == FL_BackSpace) return '\b';
    if (key == FL_Tab) return '\t';
    if (key == FL_Escape) return 27;
    return 0;
  }
  std::string c = Utf8ToCp1252(std::string(Fl::event_text(), Fl::event_length()));
  return c.size() == 1 ? c[0] : 0;
}

int FlFont(const FontRequest& font) {
  std::string face = font.face;
  std::transform(face.begin(), face.end(), face.begin(), ::tolower);
  int base = FL_HELVETICA;
  if (face.find("courier") != std::string::npos || face.find("mono") != std::string::npos) {
    base = FL_COURIER;
  } else if (face.find("times") != std::string::npos || face.find("serif") == 0) {
    base = FL_TIMES;
  }
  return base + (font.bold ? FL_BOLD : 0) + (font.italic ? FL_ITALIC : 0);
}

void SetColor(COLORREF c) { fl_color(GetRValue(c), GetGValue(c), GetBValue(c)); }

class MenuBar;

// A top-level window of the core, shown by FLTK.
class TopWindow : public Fl_Window {
 public:
  TopWindow(HWND hwnd, int x, int y, int w, int h)
      : Fl_Window(x, y, std::max(w, 1), std::max(h, 1)), hwnd_(hwnd) {
    end();
    callback(CloseBox, this);
  }

  HWND hwnd() const { return hwnd_; }
  // Device pixels above the client area: the menu bar's rows.
  int BarHeight() const;
  std::unique_ptr<MenuBar> bar;
  bool applying = false;  // a geometry change from the core, not from the user

  int handle(int event) override;
  void draw() override;
  void resize(int x, int y, int w, int h) override;

 private:
  static void CloseBox(Fl_Widget*, void* self) {
    if (!gModal) RequestClose(static_cast<TopWindow*>(self)->hwnd_);
  }
  HWND hwnd_;
};

void PostCommand(Fl_Widget* widget, void* id);

// Captions as FLTK menu paths take: the text before the shortcut, with FLTK's path
// characters escaped.
std::string Label(const std::string& caption) {
  std::string text = caption.substr(0, caption.find('\t'));
  std::string out;
  for (char c : Cp1252ToUtf8(text)) {
    if (c == '/' || c == '\\' || c == '_') out += '\\';
    out += c;
  }
  return out;
}

int Shortcut(const std::string& caption) {
  size_t tab = caption.find('\t');
  if (tab == std::string::npos) return 0;
  int vk = 0;
  char ch = 0;
  uint32_t mods = 0;
  if (!ParseKeyText(caption.substr(tab + 1), &vk, &ch, &mods)) return 0;
  int key = (vk >= 'A' && vk <= 'Z') ? vk + 32 : (vk >= VK_F1 && vk <= VK_F24) ? FL_F + vk - VK_F1 + 1 : vk;
  return key | ((mods & kKeyControl) ? FL_CTRL : 0) | ((mods & kKeyShift) ? FL_SHIFT : 0) |
         ((mods & kKeyAlt) ? FL_ALT : 0);
}

bool IsTitle(const MenuItem& item) {
  return !(item.flags & MF_SEPARATOR) && !Label(item.text).empty();
}

// One row of a window's menu bar: the titles of positions [begin, end) of the core's menu.
// Before a menu opens, the window gets WM_INITMENU and the rows are refilled from the core's
// menu, so enabling done on WM_INITMENU shows at once.
class MenuRow : public Fl_Menu_Bar {
 public:
  MenuRow(TopWindow* owner) : Fl_Menu_Bar(0, 0, 1, DeviceMenuHeight()), owner_(owner) {
    textsize(Dev(kMenuTextSize));
    box(FL_FLAT_BOX);
  }

  void Fill(HMENU menu, size_t begin, size_t end) {
    clear();
    if (menu) AddItems(menu, "", begin, std::min(end, menu->items.size()));
    redraw();
  }

  // Each title's width as Fl_Menu_Bar lays it out, padding included.
  std::vector<int> TitleWidths() const {
    std::vector<int> widths;
    if (!menu()) return widths;
    for (const Fl_Menu_Item* m = menu()->first(); m && m->text; m = m->next()) {
      widths.push_back(m->measure(nullptr, this) + kTitlePadding);
    }
    return widths;
  }

  int handle(int event) override;

 private:
  void AddItems(HMENU menu, const std::string& prefix, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) {
      const MenuItem& item = menu->items[i];
      if (item.flags & MF_SEPARATOR) {
        int last = size() - 2;  // before the terminator
        if (last >= 0) mode(last, mode(last) | FL_MENU_DIVIDER);
        continue;
      }
      if (Label(item.text).empty()) continue;
      std::string path = prefix + Label(item.text);
      int flags = (item.flags & (MF_GRAYED | MF_DISABLED)) ? FL_MENU_INACTIVE : 0;
      if (item.flags & MF_POPUP) {
        add(path.c_str(), 0, nullptr, nullptr, FL_SUBMENU | flags);
        if (IsMenu(item.popup)) AddItems(item.popup, path + "/", 0, item.popup->items.size());
        continue;
      }
      if (item.flags & MF_CHECKED) flags |= FL_MENU_TOGGLE | FL_MENU_VALUE;
      add(path.c_str(), Shortcut(item.text), PostCommand,
          reinterpret_cast<void*>(static_cast<uintptr_t>(item.id)), flags);
    }
  }

  TopWindow* owner_;
};

// The menu bar of a window: as many rows as its width needs (WrapTitles), each a MenuRow
// child of the window at the top, the first titles in the first row.
class MenuBar {
 public:
  explicit MenuBar(TopWindow* owner) : owner_(owner) {}

  int Height() const { return static_cast<int>(rows_.size()) * DeviceMenuHeight(); }
  size_t Rows() const { return rows_.size(); }

  // Reads the core's menu again and wraps it for a window that many device pixels wide.
  void Rebuild(int width) {
    HMENU menu = GetMenu(owner_->hwnd());
    titles_ = Titles(menu);
    Resize(1);
    rows_[0]->Fill(menu, 0, menu ? menu->items.size() : 0);
    std::vector<int> widths = rows_[0]->TitleWidths();
    if (widths.size() != titles_.size()) widths.assign(titles_.size(), 0);
    starts_ = WrapTitles(widths, width, kTitleLead);
    Resize(starts_.size());
    Fill(menu);
    Place(width);
  }

  // The items again, in the same rows (a menu changed on WM_INITMENU; a change of its titles
  // reaches MenusChanged and the next rebuild).
  void Refill() {
    HMENU menu = GetMenu(owner_->hwnd());
    std::vector<size_t> titles = Titles(menu);
    if (titles.size() != titles_.size()) return;
    titles_ = titles;
    Fill(menu);
  }

  // Before the window loses its menu bar (the window deletes the rows it still holds).
  void DropRows() { Resize(0); }

  void Place(int width) {
    for (size_t r = 0; r < rows_.size(); ++r) {
      rows_[r]->resize(0, static_cast<int>(r) * DeviceMenuHeight(), width, DeviceMenuHeight());
    }
  }

 private:
  // Positions in the core's menu of the items shown as titles.
  static std::vector<size_t> Titles(HMENU menu) {
    std::vector<size_t> titles;
    if (!menu) return titles;
    for (size_t i = 0; i < menu->items.size(); ++i) {
      if (IsTitle(menu->items[i])) titles.push_back(i);
    }
    return titles;
  }

  // Row r holds the items from its first title up to the next row's first title, so the
  // separators after a title stay with it.
  void Fill(HMENU menu) {
    const size_t count = menu ? menu->items.size() : 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
      const size_t begin = r == 0 || starts_[r] >= titles_.size() ? 0 : titles_[starts_[r]];
      const size_t end = r + 1 < starts_.size() && starts_[r + 1] < titles_.size()
                             ? titles_[starts_[r + 1]]
                             : count;
      rows_[r]->Fill(menu, begin, end);
    }
  }

  void Resize(size_t rows) {
    while (rows_.size() > rows) {
      Drop(rows_.back());
      rows_.pop_back();
    }
    while (rows_.size() < rows) {
      owner_->begin();
      rows_.push_back(new MenuRow(owner_));
      owner_->end();
    }
  }

  // Deleted later: the row may be the one whose event is being handled.
  void Drop(MenuRow* row) {
    owner_->remove(row);
    Fl::delete_widget(row);
  }

  TopWindow* owner_;
  std::vector<MenuRow*> rows_;
  std::vector<size_t> titles_;  // positions of the titles in the core's menu
  std::vector<size_t> starts_{0};  // each row's first title (an index into titles_)
};

int MenuRow::handle(int event) {
  if (gModal) return 1;
  if (event == FL_PUSH && IsWindow(owner_->hwnd())) {
    SendMessageA(owner_->hwnd(), WM_INITMENU,
                 reinterpret_cast<WPARAM>(GetMenu(owner_->hwnd())), 0);
    if (!IsWindow(owner_->hwnd())) return 1;
    if (owner_->bar) owner_->bar->Refill();
  }
  return Fl_Menu_Bar::handle(event);
}

int TopWindow::BarHeight() const { return bar ? bar->Height() : 0; }

void PostCommand(Fl_Widget* widget, void* id) {
  auto* window = static_cast<TopWindow*>(widget->window());
  if (!window || !IsWindow(window->hwnd())) return;
  PostMessageA(window->hwnd(), WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(reinterpret_cast<uintptr_t>(id)), 0), 0);
}

int TopWindow::handle(int event) {
  if (!IsWindow(hwnd_)) return Fl_Window::handle(event);
  bool overBar = Fl::event_y() < BarHeight();
  POINT screen{Design(Fl::event_x_root()), Design(Fl::event_y_root())};
  switch (event) {
    case FL_PUSH:
      if (overBar) return Fl_Window::handle(event);
      if (gModal) return 1;
      InputPointer(Fl::event_button() == FL_RIGHT_MOUSE ? PointerAction::kRightDown
                                                        : PointerAction::kLeftDown,
                   screen);
      return 1;
    case FL_RELEASE:
      if (gModal) return 1;
      InputPointer(Fl::event_button() == FL_RIGHT_MOUSE ? PointerAction::kRightUp
                                                        : PointerAction::kLeftUp,
                   screen);
      return 1;
    case FL_ENTER:
    case FL_MOVE:
    case FL_DRAG:
      if (!gModal) InputPointer(PointerAction::kMove, screen);
      Fl_Window::handle(event);
      return 1;
    case FL_LEAVE:
      PostMessageA(nullptr, WM_NULL, 0, 0);  // the loop runs and its tracker sees the exit
      return 1;
    case FL_MOUSEWHEEL:
      if (!gModal) InputWheel(-Fl::event_dy(), screen);  // FLTK counts towards the user
      return 1;
    case FL_KEYDOWN:
    case FL_KEYUP:
      if (gModal) return 1;
      InputKey(VirtualKeyOf(Fl::event_key()), event == FL_KEYDOWN,
               event == FL_KEYDOWN ? CharacterOfEvent() : 0, Modifiers());
      return 1;
    case FL_FOCUS:
      if (!gModal && State().active != hwnd_) SetActive(hwnd_, WA_ACTIVE);
      return 1;
    case FL_UNFOCUS: return 1;
    default: return Fl_Window::handle(event);
  }
}

void TopWindow::draw() {
  Fl_Window::draw();
  if (IsWindow(hwnd_)) InvalidateRect(hwnd_, nullptr, TRUE);
}

// The user moved or sized the window: its top edge stays where the desktop put it, the rows
// the new width needs go below it, and the core learns where the client area now is.
void TopWindow::resize(int x, int y, int w, int h) {
  bool sized = w != this->w() || h != this->h();
  if (bar && !applying && w != this->w()) bar->Rebuild(w);
  Fl_Window::resize(x, y, w, h);
  if (bar) bar->Place(w);
  if (applying || !IsWindow(hwnd_) || !shown()) return;
  const int above = BarHeight();
  RECT wanted{Design(x), Design(y + above), Design(x + w), Design(y + h)};
  RECT got = UserMovedWindow(hwnd_, wanted, sized);
  const int width = Dev(got.right - got.left);
  if (bar && width != w) bar->Rebuild(width);
  // Another row count for the width the core chose: the client area stays where it is.
  const int top = y + above - BarHeight();
  const int height = Dev(got.bottom - got.top) + BarHeight();
  if (width != w || height != h || top != y) {
    applying = true;
    Fl_Window::resize(x, top, width, height);
    if (bar) bar->Place(this->w());
    applying = false;
  }
}

TopWindow* Of(HWND hwnd) { return hwnd ? static_cast<TopWindow*>(hwnd->backendData) : nullptr; }

class FltkBackend : public Backend {
 public:
  FltkBackend() {
    Fl::lock();  // lets Fl::awake end a blocking wait
    Fl::visual(FL_RGB);
    fl_open_display();
    const ScaleChoice choice = ChooseScale(std::getenv("ARMONIX_SCALE"),
                                           XResourceManagerString(fl_display),
                                           std::getenv("GDK_SCALE"));
    if (!choice.warning.empty()) std::fprintf(stderr, "%s\n", choice.warning.c_str());
    gScale = Scale(choice.factor);
    // Message boxes are FLTK's own: their text and buttons follow the default size.
    FL_NORMAL_SIZE = Dev(kMessageTextSize);
    fl_message_font(FL_HELVETICA, Dev(kMessageTextSize));
  }

  bool PumpInput(bool wait, int timeoutMs) override {
    if (menusDirty_) RebuildMenus();
    paintPending_ = false;
    Fl::flush();  // exposures found here become invalid regions: paint them before waiting
    if (!wait || paintPending_) {
      Fl::check();
    } else if (timeoutMs < 0) {
      Fl::wait();
    } else {
      Fl::wait(timeoutMs / 1000.0);
    }
    return true;
  }

  void Wake() override { Fl::awake(); }

  void WindowCreated(HWND hwnd) override {
    POINT o = ClientOriginOnScreen(hwnd);
    RECT c = ClientRect(hwnd);
    auto* w = new TopWindow(hwnd, Dev(o.x), Dev(o.y), Dev(c.right), Dev(c.bottom));
    w->copy_label(Cp1252ToUtf8(hwnd->text).c_str());
    hwnd->backendData = w;
    ApplyGeometry(hwnd);
  }

  void WindowDestroyed(HWND hwnd) override {
    TopWindow* w = Of(hwnd);
    if (!w) return;
    if (drawing_ == w) drawing_ = nullptr;
    w->hide();
    hwnd->backendData = nullptr;
    Fl::delete_widget(w);
  }

  void WindowShown(HWND hwnd, bool visible) override {
    TopWindow* w = Of(hwnd);
    if (!w) return;
    if (visible) {
      ApplyGeometry(hwnd);
      w->show();
    } else {
      w->hide();
    }
  }

  void WindowGeometryChanged(HWND hwnd) override {
    if (Of(hwnd)) ApplyGeometry(hwnd);
  }

  void WindowTextChanged(HWND hwnd) override {
    if (TopWindow* w = Of(hwnd)) w->copy_label(Cp1252ToUtf8(hwnd->text).c_str());
  }

  void WindowActivated(HWND hwnd) override {
    TopWindow* w = Of(hwnd);
    if (w && w->shown() && Fl::first_window() != w) w->show();  // raises it
  }

  void MenusChanged() override { menusDirty_ = true; }
  void PaintRequested(HWND) override { paintPending_ = true; }

  int MessageBox(HWND, const std::string& text, const std::string& caption,
                 UINT type) override {
    static const char* icons[] = {"i", "X", "?", "!", "i"};
    UINT icon = (type & MB_ICONMASK) >> 4;
    fl_message_icon()->label(icons[icon < 5 ? icon : 0]);
    fl_message_title(Cp1252ToUtf8(caption).c_str());
    std::vector<int> buttons;
    switch (type & MB_TYPEMASK) {
      case MB_OKCANCEL: buttons = {IDCANCEL, IDOK}; break;
      case MB_YESNOCANCEL: buttons = {IDCANCEL, IDYES, IDNO}; break;
      case MB_YESNO: buttons = {IDNO, IDYES}; break;
      case MB_RETRYCANCEL: buttons = {IDCANCEL, IDRETRY}; break;
      case MB_ABORTRETRYIGNORE: buttons = {IDABORT, IDRETRY, IDIGNORE}; break;
      default: buttons = {IDOK}; break;
    }
    const char* labels[3] = {nullptr, nullptr, nullptr};
    for (size_t i = 0; i < buttons.size(); ++i) labels[i] = AnswerName(buttons[i]);
    gModal = true;
    int chosen = fl_choice("%s", labels[0], labels[1], labels[2], Cp1252ToUtf8(text).c_str());
    gModal = false;
    return buttons[std::clamp<int>(chosen, 0, buttons.size() - 1)];
  }

  POINT CursorPos() override {
    int x = 0;
    int y = 0;
    Fl::get_mouse(x, y);
    return POINT{Design(x), Design(y)};
  }

  HWND TopLevelAt(POINT p) override {
    auto* w = dynamic_cast<TopWindow*>(FltkWindowAt(Dev(p.x), Dev(p.y)));
    if (!w || !IsWindow(w->hwnd())) return nullptr;
    return w->hwnd();
  }

  int ScreenWidth() override { return Design(Fl::w()); }
  int ScreenHeight() override { return Design(Fl::h()); }
  void Beep() override { fl_beep(); }

  bool BeginDrawing(HWND top) override {
    TopWindow* w = Of(top);
    if (!w || !w->shown() || !w->visible()) return false;
    w->make_current();
    drawing_ = w;
    return true;
  }

  void EndDrawing(HWND) override {}

  void FillRect(const RECT& r, COLORREF color, const RECT& clip) override {
    if (!drawing_) return;
    RECT a = Clip(r, clip);
    if (a.right <= a.left || a.bottom <= a.top) return;
    SetColor(color);
    const RECT d = ToDevice(a);
    fl_rectf(d.left, d.top, d.right - d.left, d.bottom - d.top);
  }

  void Line(POINT from, POINT to, COLORREF color, int width, const RECT& clip) override {
    if (!drawing_) return;
    PushClip(clip);
    SetColor(color);
    // A line of n design pixels is n * factor device pixels wide, centred on the device
    // pixels of its design pixels (X centres a wide line on its coordinates).
    const int deviceWidth = std::max(1, Dev(std::max(width, 1)));
    const int acrossX = from.x == to.x || from.y != to.y ? deviceWidth / 2 : 0;
    const int acrossY = from.y == to.y || from.x != to.x ? deviceWidth / 2 : 0;
    fl_line_style(FL_SOLID, deviceWidth > 1 ? deviceWidth : width);
    fl_line(Dev(from.x) + acrossX, Dev(from.y) + acrossY + Offset(), Dev(to.x) + acrossX,
            Dev(to.y) + acrossY + Offset());
    fl_line_style(0);
    fl_pop_clip();
  }

  void Ellipse(const RECT& r, COLORREF color, bool filled, const RECT& clip) override {
    if (!drawing_) return;
    PushClip(clip);
    SetColor(color);
    const RECT d = ToDevice(r);
    int w = d.right - d.left;
    int h = d.bottom - d.top;
    if (filled) {
      fl_pie(d.left, d.top, w, h, 0, 360);
    } else {
      fl_line_style(FL_SOLID, Dev(1) > 1 ? Dev(1) : 0);
      fl_arc(d.left, d.top, w, h, 0, 360);
      fl_line_style(0);
    }
    fl_pop_clip();
  }

  void Text(int x, int top, const std::string& text, const FontRequest& font, COLORREF color,
            const RECT& clip) override {
    if (!drawing_) return;
    PushClip(clip);
    fl_font(FlFont(font), std::max(Dev(font.height), 1));
    SetColor(color);
    std::string utf8 = Cp1252ToUtf8(text);
    const int left = Dev(x);
    int baseline = Dev(top) + fl_height() - fl_descent() + Offset();
    fl_draw(utf8.c_str(), left, baseline);
    if (font.underline) {
      const int under = baseline + Dev(1);
      fl_line(left, under, left + static_cast<int>(fl_width(utf8.c_str())), under);
    }
    fl_pop_clip();
  }

  // Measured at the design size, so layouts are the same at every scale.
  int TextWidth(const std::string& text, const FontRequest& font) override {
    fl_font(FlFont(font), std::max(font.height, 1));
    return static_cast<int>(fl_width(Cp1252ToUtf8(text).c_str()) + 0.5);
  }

  FontMetrics Metrics(const FontRequest& font) override {
    fl_font(FlFont(font), std::max(font.height, 1));
    int descent = fl_descent();
    return FontMetrics{fl_height() - descent, descent, static_cast<int>(fl_width("n") + 0.5)};
  }

 private:
  // Device pixels above the client area: the menu bar.
  int Offset() const { return drawing_ ? drawing_->BarHeight() : 0; }

  // A client rectangle in the window's device pixels (edges converted, so rectangles that
  // meet in design pixels still meet).
  RECT ToDevice(const RECT& r) const {
    return RECT{Dev(r.left), Dev(r.top) + Offset(), Dev(r.right), Dev(r.bottom) + Offset()};
  }

  static RECT Clip(const RECT& r, const RECT& c) {
    return RECT{std::max(r.left, c.left), std::max(r.top, c.top), std::min(r.right, c.right),
                std::min(r.bottom, c.bottom)};
  }

  void PushClip(const RECT& c) {
    const RECT d = ToDevice(c);
    fl_push_clip(d.left, d.top, std::max<LONG>(d.right - d.left, 0),
                 std::max<LONG>(d.bottom - d.top, 0));
  }

  // The core's geometry on the X window. The menu bar is the window's non-client part: its
  // rows go above the client area, which stays at the core's client origin and size.
  void ApplyGeometry(HWND hwnd) {
    TopWindow* w = Of(hwnd);
    RECT c = ClientRect(hwnd);
    SyncMenuBar(w, std::max(Dev(c.right), 1));
    PlaceWindow(hwnd);
  }

  void PlaceWindow(HWND hwnd) {
    TopWindow* w = Of(hwnd);
    POINT o = ClientOriginOnScreen(hwnd);
    RECT c = ClientRect(hwnd);
    const int above = w->BarHeight();
    const int width = std::max(Dev(c.right), 1);
    const int height = std::max(Dev(c.bottom) + above, 1);
    w->applying = true;
    if (!(hwnd->style & WS_THICKFRAME)) w->size_range(width, height, width, height);
    w->resize(Dev(o.x), Dev(o.y) - above, width, height);
    w->applying = false;
  }

  // Gives the window the menu bar its menu asks for, wrapped for that width; returns whether
  // the height above the client area changed.
  bool SyncMenuBar(TopWindow* w, int width) {
    const int before = w->BarHeight();
    bool wants = GetMenu(w->hwnd()) != nullptr;
    if (wants && !w->bar) {
      w->bar = std::make_unique<MenuBar>(w);
    } else if (!wants && w->bar) {
      w->bar->DropRows();
      w->bar.reset();
    }
    if (w->bar) w->bar->Rebuild(width);
    return w->BarHeight() != before;
  }

  void RebuildMenus() {
    menusDirty_ = false;
    for (HWND top : State().topLevels) {
      TopWindow* w = Of(top);
      if (w && SyncMenuBar(w, w->w())) PlaceWindow(top);
    }
  }

  TopWindow* drawing_ = nullptr;
  bool menusDirty_ = false;
  bool paintPending_ = false;
};

}  // namespace

Backend* CreateFltkBackend(std::string* why) {
  if (!DisplayAvailable()) {
    if (why) *why = "no X display is available (DISPLAY is unset or cannot be opened)";
    return nullptr;
  }
  return new FltkBackend();
}

}  // namespace native
