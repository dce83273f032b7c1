// The headless backend: runs the script as the user, prints message boxes and screen dumps,
// checks expectations. Entry points: HeadlessBackend, DumpScreen.
#include "native/headless/headless.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "native/controls/controls.h"
#include "native/core/input.h"
#include "native/drawnitems.h"
#include "native/probe.h"
#include "native/text/cp1252.h"

namespace native {
namespace {

// After the script ends the program is asked to quit; one that keeps waiting for input (or
// polling for it) this many times more is stopped rather than left hanging.
constexpr long kWaitsAfterEnd = 100000;
constexpr long kPollsAfterEnd = 10000000;

std::string Escaped(const std::string& cp1252) {
  std::string out;
  for (char c : cp1252) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return Cp1252ToUtf8(out);
}

std::string Plain(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '\t') break;
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

std::string ShownText(HWND w) {
  auto* edit = dynamic_cast<EditData*>(w->control.get());
  if (edit && edit->passwordChar) return std::string(w->text.size(), edit->passwordChar);
  return w->text;
}

// The part every dump line of a control has: indent, class, text and the rectangle.
void DumpLineStart(int depth, const std::string& className, const std::string& text, int x,
                   int y, int width, int height, std::ostringstream& out) {
  out << std::string(2 * depth, ' ') << className << " \"" << Escaped(text) << "\" " << x << ' '
      << y << ' ' << width << ' ' << height;
}

void DumpWindowFlags(HWND w, std::ostringstream& out) {
  if (!(w->style & WS_VISIBLE)) out << " hidden";
  if (w->style & WS_DISABLED) out << " disabled";
  if (auto* button = dynamic_cast<ButtonData*>(w->control.get())) {
    if (button->check == BST_CHECKED) out << " checked";
    if (EqualNoCase(w->className, "BUTTON") && (w->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
      out << " default";
    }
  }
}

// The controls w draws itself lie beneath its child windows: they follow them.
void DumpDrawnItems(HWND w, POINT topOrigin, int depth, std::ostringstream& out) {
  POINT o = ClientOriginOnScreen(w);
  for (const DrawnItem& item : DrawnItemsOf(w)) {
    const RECT& r = item.rect;
    DumpLineStart(depth, item.className, item.text, r.left + o.x - topOrigin.x,
                  r.top + o.y - topOrigin.y, r.right - r.left, r.bottom - r.top, out);
    if (!item.visible) out << " hidden";
    if (!item.enabled) out << " disabled";
    out << '\n';
  }
}

void DumpChildren(HWND w, POINT topOrigin, int depth, std::ostringstream& out) {
  for (HWND child : w->children) {
    POINT o = ClientOriginOnScreen(child);
    RECT in = ClientInsets(child);
    DumpLineStart(depth, child->className, ShownText(child), o.x - in.left - topOrigin.x,
                  o.y - in.top - topOrigin.y, child->rect.right - child->rect.left,
                  child->rect.bottom - child->rect.top, out);
    DumpWindowFlags(child, out);
    out << '\n';
    DumpChildren(child, topOrigin, depth + 1, out);
  }
  DumpDrawnItems(w, topOrigin, depth, out);
}

std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    default: return {IDOK};
  }
}

}  // namespace

std::string DumpScreen() {
  std::ostringstream out;
  for (HWND top : State().topLevels) {
    POINT o = ClientOriginOnScreen(top);
    RECT c = ClientRect(top);
    out << "window \"" << Escaped(top->text) << "\" " << o.x << ' ' << o.y << ' ' << c.right
        << ' ' << c.bottom << ((top->style & WS_VISIBLE) ? " visible" : " hidden");
    if (State().active == top) out << " active";
    out << '\n';
    DumpChildren(top, o, 1, out);
  }
  return out.str();
}

HeadlessBackend::HeadlessBackend(std::string scriptName, std::vector<ScriptCommand> commands,
                                 int width, int height, FILE* out, FILE* err)
    : name_(std::move(scriptName)),
      commands_(std::move(commands)),
      width_(width),
      height_(height),
      out_(out),
      err_(err) {}

bool HeadlessBackend::PumpInput(bool wait, int) {
  if (idle_ > 0) {
    --idle_;
    PostMessageA(nullptr, WM_NULL, 0, 0);
    return true;
  }
  if (next_ < commands_.size()) {
    Run(commands_[next_++]);
    return true;
  }
  bool quitAgain = afterEnd_ == 0 || wait;
  if (wait) ++waitsAfterEnd_;
  if (++afterEnd_ > kPollsAfterEnd || waitsAfterEnd_ > kWaitsAfterEnd) {
    std::fprintf(err_, "%s: the script has ended but the program did not quit\n", name_.c_str());
    std::fflush(out_);
    std::fflush(err_);
    _exit(3);
  }
  // Like the system, a poll sees the quit message once; a wait that would block for ever
  // gets it again.
  if (quitAgain) PostQuitMessage(0);
  return quitAgain;
}

void HeadlessBackend::Error(const ScriptCommand& cmd, const std::string& message) {
  std::fprintf(err_, "%s:%d: %s\n", name_.c_str(), cmd.line, message.c_str());
  std::fflush(err_);
}

HWND HeadlessBackend::FindTitled(const std::string& title) const {
  for (HWND top : State().topLevels) {
    if ((top->style & WS_VISIBLE) && top->text == title) return top;
  }
  return nullptr;
}

HWND HeadlessBackend::TopLevelAt(POINT p) {
  for (HWND top : State().topLevels) {
    const RECT& r = top->rect;
    if ((top->style & WS_VISIBLE) && p.x >= r.left && p.x < r.right && p.y >= r.top &&
        p.y < r.bottom) {
      return top;
    }
  }
  return nullptr;
}

void HeadlessBackend::Move(const ScriptCommand& cmd) {
  POINT p{cmd.x, cmd.y};
  if (cmd.hasTitle) {
    HWND top = FindTitled(cmd.text);
    if (!top) {
      Error(cmd, "move: no visible window \"" + Escaped(cmd.text) + "\"");
      return;
    }
    POINT o = ClientOriginOnScreen(top);
    p = POINT{o.x + cmd.x, o.y + cmd.y};
  }
  cursor_ = p;
  InputPointer(PointerAction::kMove, p);
}

void HeadlessBackend::Type(const std::string& text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    int vk = 0;
    uint32_t mods = 0;
    if (byte >= 'a' && byte <= 'z') {
      vk = byte - 32;
    } else if (byte >= 'A' && byte <= 'Z') {
      vk = byte;
      mods = kKeyShift;
    } else if (byte >= '0' && byte <= '9') {
      vk = byte;
    } else if (byte == ' ') {
      vk = VK_SPACE;
    } else if (byte == '\n') {
      vk = VK_RETURN;
      c = '\r';
    } else if (byte == '\t') {
      vk = VK_TAB;
    } else {
      vk = 0xE5;  // a key without a code of its own: only its character counts
    }
    InputKeyPress(vk, c, mods);
  }
}

void HeadlessBackend::Menu(const ScriptCommand& cmd) {
  std::string where = "menu \"" + Escaped(cmd.text) + "\": ";
  HWND window = State().active;
  if (!window || !GetMenu(window)) {
    Error(cmd, where + "the active window has no menu bar");
    return;
  }
  std::vector<int> positions;
  HMENU menu = GetMenu(window);
  for (size_t i = 0; i < cmd.path.size(); ++i) {
    int found = -1;
    for (size_t k = 0; menu && k < menu->items.size(); ++k) {
      const MenuItem& item = menu->items[k];
      if (!(item.flags & MF_SEPARATOR) && Plain(item.text) == cmd.path[i]) {
        found = static_cast<int>(k);
        break;
      }
    }
    if (found < 0) {
      Error(cmd, where + "no item \"" + Escaped(cmd.path[i]) + "\"");
      return;
    }
    positions.push_back(found);
    menu = GetSubMenu(menu, found);
  }
  std::string failure = ChooseMenuItem(window, positions);
  if (!failure.empty()) Error(cmd, where + failure);
}

void HeadlessBackend::Close(const ScriptCommand& cmd) {
  HWND top = FindTitled(cmd.text);
  if (!top) {
    Error(cmd, "close: no visible window \"" + Escaped(cmd.text) + "\"");
  } else if (!(top->style & WS_SYSMENU)) {
    Error(cmd, "close: window \"" + Escaped(cmd.text) + "\" has no close box");
  } else {
    RequestClose(top);
  }
}

void HeadlessBackend::Expect(const ScriptCommand& cmd) {
  if (lastOutput_.find(cmd.text) != std::string::npos) return;
  failed_ = true;
  std::string last = lastOutput_.empty() ? "(no dump or message box yet)" : Escaped(lastOutput_);
  Error(cmd, "expected \"" + Escaped(cmd.text) + "\" in: " + last);
}

void HeadlessBackend::Run(const ScriptCommand& cmd) {
  switch (cmd.kind) {
    case CommandKind::kMove: Move(cmd); break;
    case CommandKind::kClick:
      InputPointer(PointerAction::kLeftDown, cursor_);
      InputPointer(PointerAction::kLeftUp, cursor_);
      break;
    case CommandKind::kPress: InputPointer(PointerAction::kLeftDown, cursor_); break;
    case CommandKind::kRelease: InputPointer(PointerAction::kLeftUp, cursor_); break;
    case CommandKind::kRightClick:
      InputPointer(PointerAction::kRightDown, cursor_);
      InputPointer(PointerAction::kRightUp, cursor_);
      break;
    case CommandKind::kType: Type(cmd.text); break;
    case CommandKind::kKey: InputKeyPress(cmd.virtualKey, cmd.character, cmd.modifiers); break;
    case CommandKind::kMenu: Menu(cmd); break;
    case CommandKind::kAnswer: answer_ = cmd.answer; break;
    case CommandKind::kClose: Close(cmd); break;
    case CommandKind::kIdle: idle_ = cmd.count; break;
    case CommandKind::kDump: {
      std::string screen = DumpScreen();
      std::fputs(screen.c_str(), out_);
      std::fflush(out_);
      lastOutput_ = Utf8ToCp1252(screen);
      break;
    }
    case CommandKind::kExpect: Expect(cmd); break;
    case CommandKind::kProbe:
      std::fprintf(out_, "probe %s\n", ProbeText().c_str());
      std::fflush(out_);
      break;
    case CommandKind::kEcho:  // marks a place in the output, e.g. between two dumps
      std::fprintf(out_, "%s\n", Cp1252ToUtf8(cmd.text).c_str());
      std::fflush(out_);
      break;
  }
}

int HeadlessBackend::MessageBox(HWND, const std::string& text, const std::string& caption,
                                UINT type) {
  std::vector<int> buttons = ButtonsOf(type);
  auto offers = [&buttons](int id) {
    for (int b : buttons) {
      if (b == id) return true;
    }
    return false;
  };
  // Without a scripted answer the user presses OK; a box without OK gets its default button.
  size_t defIndex = ((type & MB_DEFMASK) >> 8);
  int result = offers(IDOK) ? IDOK : buttons[defIndex < buttons.size() ? defIndex : 0];
  if (answer_) {
    bool offered = offers(answer_);
    if (offered) {
      result = answer_;
    } else {
      std::fprintf(err_, "%s: answer %s is not a button of message box \"%s\"; %s taken\n",
                   name_.c_str(), AnswerName(answer_), Escaped(caption).c_str(),
                   AnswerName(result));
    }
  }
  answer_ = 0;
  std::string line = "msgbox \"" + Escaped(caption) + "\" \"" + Escaped(text) + "\" -> " +
                     AnswerName(result) + "\n";
  std::fputs(line.c_str(), out_);
  std::fflush(out_);
  lastOutput_ = Utf8ToCp1252(line);
  return result;
}

namespace {

HeadlessBackend* gFromEnvironment = nullptr;

void ExitStatusForExpectations() {
  if (gFromEnvironment && gFromEnvironment->Failed()) {
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(3);
  }
}

bool ParseScreen(const char* text, int* w, int* h) {
  if (!text) return false;
  char* end = nullptr;
  long width = std::strtol(text, &end, 10);
  if (*end != 'x' && *end != 'X') return false;
  long height = std::strtol(end + 1, &end, 10);
  if (*end != 0 || width < 320 || height < 200 || width > 16384 || height > 16384) return false;
  *w = static_cast<int>(width);
  *h = static_cast<int>(height);
  return true;
}

}  // namespace

Backend* CreateHeadlessBackendFromEnvironment() {
  int width = 1024;
  int height = 768;
  const char* screen = std::getenv("ARMONIX_SCREEN");
  if (screen && *screen && !ParseScreen(screen, &width, &height)) {
    std::fprintf(stderr, "armonix: ARMONIX_SCREEN=%s is not WIDTHxHEIGHT (such as 1024x768); "
                 "using 1024x768\n", screen);
  }
  std::vector<ScriptCommand> commands;
  std::string name = "(no script)";
  if (const char* path = std::getenv("ARMONIX_SCRIPT"); path && *path) {
    name = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "armonix: cannot read the script %s: %s\n", path, std::strerror(errno));
      std::exit(2);
    }
    std::ostringstream text;
    text << in.rdbuf();
    ParsedScript parsed = ParseScript(name, text.str());
    for (const std::string& e : parsed.errors) std::fprintf(stderr, "%s\n", e.c_str());
    if (!parsed.errors.empty()) std::exit(2);
    commands = std::move(parsed.commands);
  }
  gFromEnvironment = new HeadlessBackend(name, std::move(commands), width, height, stdout, stderr);
  std::atexit(ExitStatusForExpectations);
  return gFromEnvironment;
}

}  // namespace native
