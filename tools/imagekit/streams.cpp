// The two primitives of window descriptions and the menu bar stream (compact integers and
// texts), and the encoders/decoders of those two streams built on them.
// Entry points: AppendCompactInt/ReadCompactInt, EncodeWindowStream, EncodeMenuBarStream.
#include "tools/imagekit/imagekit.h"

namespace imagekit {
namespace {

std::string At(size_t pos) { return "stream offset " + std::to_string(pos); }

uint8_t ReadByte(const Bytes& in, size_t& pos) {
  if (pos >= in.size()) throw ImageError(At(pos) + ": stream ends inside a record");
  return in[pos++];
}

}  // namespace

void AppendCompactInt(Bytes& out, int32_t value) {
  // INT32_MIN is stored as the positive magnitude 0x80000000, which reads back unnegated.
  bool negative = value < 0 && value != INT32_MIN;
  uint32_t magnitude = negative ? uint32_t(-int64_t(value)) : uint32_t(value);
  uint8_t first = uint8_t(magnitude & 0x3F) | (negative ? 0x40 : 0);
  magnitude >>= 6;
  out.push_back(first | (magnitude ? 0x80 : 0));
  while (magnitude) {
    uint8_t b = magnitude & 0x7F;
    magnitude >>= 7;
    out.push_back(b | (magnitude ? 0x80 : 0));
  }
}

void AppendText(Bytes& out, std::string_view text) {
  AppendCompactInt(out, int32_t(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

int32_t ReadCompactInt(const Bytes& in, size_t& pos) {
  size_t start = pos;
  uint8_t b = ReadByte(in, pos);
  bool negative = b & 0x40;
  uint64_t magnitude = b & 0x3F;
  int shift = 6;
  while (b & 0x80) {
    if (shift > 34) throw ImageError(At(start) + ": compact integer longer than five bytes");
    b = ReadByte(in, pos);
    magnitude |= uint64_t(b & 0x7F) << shift;
    shift += 7;
  }
  uint32_t m = uint32_t(magnitude);
  if (m == 0x80000000u) return INT32_MIN;
  return negative ? int32_t(-int64_t(m)) : int32_t(m);
}

std::string ReadText(const Bytes& in, size_t& pos) {
  int32_t n = ReadCompactInt(in, pos);
  if (n <= 0) return {};
  if (size_t(n) > in.size() - pos)
    throw ImageError(At(pos) + ": text of " + std::to_string(n) + " bytes runs past the end");
  std::string text(in.begin() + pos, in.begin() + pos + n);
  pos += size_t(n);
  return text;
}

namespace {

void AppendPairs(Bytes& out, const std::vector<PropertyPair>& pairs) {
  for (const PropertyPair& p : pairs) {
    AppendText(out, p.first);
    AppendText(out, p.second);
  }
}

std::vector<PropertyPair> ReadPairs(const Bytes& in, size_t& pos, int32_t count) {
  if (count < 0) throw ImageError(At(pos) + ": negative property count");
  std::vector<PropertyPair> pairs;
  for (int32_t i = 0; i < count; ++i) {
    std::string name = ReadText(in, pos);
    pairs.emplace_back(name, ReadText(in, pos));
  }
  return pairs;
}

int32_t ReadCount(const Bytes& in, size_t& pos, const char* what) {
  size_t at = pos;
  int32_t n = ReadCompactInt(in, pos);
  // Every counted item takes at least one byte, so a count beyond the rest is damage.
  if (n < 0 || size_t(n) > in.size() - pos)
    throw ImageError(At(at) + ": impossible " + what + " count " + std::to_string(n));
  return n;
}

}  // namespace

Bytes EncodeWindowStream(const WindowDesc& window) {
  Bytes out;
  AppendCompactInt(out, int32_t(window.properties.size()));
  AppendCompactInt(out, window.classIndex);
  AppendPairs(out, window.properties);
  AppendCompactInt(out, int32_t(window.controls.size()));
  for (const ControlDesc& c : window.controls) {
    AppendCompactInt(out, c.classIndex);
    AppendCompactInt(out, int32_t(c.properties.size()));
    AppendPairs(out, c.properties);
  }
  AppendCompactInt(out, int32_t(window.bindings.size()));
  for (const BindingDesc& b : window.bindings) {
    AppendCompactInt(out, b.source);
    AppendText(out, b.sourceText);
    AppendCompactInt(out, b.target);
    AppendText(out, b.targetText);
    AppendCompactInt(out, b.classIndex);
    AppendText(out, b.text1);
    AppendText(out, b.text2);
  }
  return out;
}

WindowDesc DecodeWindowStream(const Bytes& in) {
  WindowDesc w;
  size_t pos = 0;
  int32_t p = ReadCount(in, pos, "window property");
  w.classIndex = ReadCompactInt(in, pos);
  w.properties = ReadPairs(in, pos, p);
  int32_t c = ReadCount(in, pos, "control");
  for (int32_t i = 0; i < c; ++i) {
    ControlDesc control;
    control.classIndex = ReadCompactInt(in, pos);
    control.properties = ReadPairs(in, pos, ReadCount(in, pos, "control property"));
    w.controls.push_back(std::move(control));
  }
  int32_t b = ReadCount(in, pos, "binding");
  for (int32_t i = 0; i < b; ++i) {
    BindingDesc d;
    d.source = ReadCompactInt(in, pos);
    d.sourceText = ReadText(in, pos);
    d.target = ReadCompactInt(in, pos);
    d.targetText = ReadText(in, pos);
    d.classIndex = ReadCompactInt(in, pos);
    d.text1 = ReadText(in, pos);
    d.text2 = ReadText(in, pos);
    w.bindings.push_back(std::move(d));
  }
  return w;
}

namespace {

void AppendMenuEntry(Bytes& out, const MenuEntry& e, bool topLevel) {
  AppendCompactInt(out, e.kind);
  AppendText(out, e.text);
  AppendText(out, e.name);
  AppendCompactInt(out, e.index);
  AppendText(out, e.key);
  AppendText(out, e.balloonHelp);
  AppendText(out, e.disabledBalloonHelp);
  out.push_back(e.reserved);
  bool submenu = e.submenu || !e.children.empty();
  out.push_back(submenu ? 1 : 0);
  AppendCompactInt(out, e.classIndex);
  if (topLevel || submenu) {
    AppendCompactInt(out, int32_t(e.children.size()));
    for (const MenuEntry& child : e.children) AppendMenuEntry(out, child, false);
  }
}

constexpr int kMaxMenuDepth = 64;

MenuEntry ReadMenuEntry(const Bytes& in, size_t& pos, int depth) {
  if (depth > kMaxMenuDepth) throw ImageError(At(pos) + ": menus nested too deeply");
  MenuEntry e;
  e.kind = ReadCompactInt(in, pos);
  e.text = ReadText(in, pos);
  e.name = ReadText(in, pos);
  e.index = ReadCompactInt(in, pos);
  // Two historic spellings of "no index".
  if (uint32_t(e.index) == 0x80000010u || uint32_t(e.index) == 0x80100000u) e.index = INT32_MIN;
  e.key = ReadText(in, pos);
  e.balloonHelp = ReadText(in, pos);
  e.disabledBalloonHelp = ReadText(in, pos);
  e.reserved = ReadByte(in, pos);
  e.submenu = ReadByte(in, pos) != 0;
  e.classIndex = ReadCompactInt(in, pos);
  if (depth == 0 || e.submenu) {
    int32_t n = ReadCount(in, pos, "menu child");
    for (int32_t i = 0; i < n; ++i) e.children.push_back(ReadMenuEntry(in, pos, depth + 1));
  }
  return e;
}

}  // namespace

Bytes EncodeMenuBarStream(const std::vector<MenuEntry>& topLevel) {
  Bytes out;
  AppendCompactInt(out, int32_t(topLevel.size()));
  for (const MenuEntry& e : topLevel) AppendMenuEntry(out, e, true);
  return out;
}

std::vector<MenuEntry> DecodeMenuBarStream(const Bytes& in) {
  size_t pos = 0;
  int32_t n = ReadCount(in, pos, "menu entry");
  std::vector<MenuEntry> entries;
  for (int32_t i = 0; i < n; ++i) entries.push_back(ReadMenuEntry(in, pos, 0));
  return entries;
}

}  // namespace imagekit
