// Reading an image back: the link records of code2 with their chains, the relocation
// entries of data2, and the records of data1 (head, class table, classes, project items,
// and the literals, windows and plug-ins found through the relocated words that point at
// them). Damage is reported with the block and offset; nothing here reads out of bounds.
#include <algorithm>
#include <cstdio>
#include <set>

#include "tools/imagekit/imagekit.h"

namespace imagekit {
namespace {

std::string Hex(uint64_t v) {
  char buf[24];
  snprintf(buf, sizeof buf, "0x%llX", static_cast<unsigned long long>(v));
  return buf;
}

bool Has(const Bytes& b, uint64_t offset, uint64_t n) { return offset <= b.size() && n <= b.size() - offset; }

uint32_t GetU32(const Bytes& b, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | b[offset + i];
  return v;
}

// Walks a call chain; stops at the first site outside code1 or a site seen before.
void WalkChain(const Bytes& code1, LinkRecord& r) {
  std::set<uint32_t> seen;
  for (uint32_t site = r.offset; site != 0;) {
    if (!Has(code1, site, 4)) {
      r.chainError = "call site code1+" + Hex(site) + " is outside code1";
      return;
    }
    if (!seen.insert(site).second) {
      r.chainError = "chain loops back to code1+" + Hex(site);
      return;
    }
    r.sites.push_back(site);
    site = GetU32(code1, site);
  }
}

}  // namespace

std::vector<LinkRecord> DecodeLinkRecords(const Image& image) {
  const Bytes& c2 = image.code2;
  std::vector<LinkRecord> records;
  for (size_t pos = 0; pos < c2.size();) {
    LinkRecord r;
    r.recordOffset = uint32_t(pos);
    r.type = c2[pos];
    ++pos;
    if (r.type == 0x02 || r.type == 0x01) {
      if (!Has(c2, pos, r.type == 0x01 ? 5 : 4))
        throw ImageError("code2+" + Hex(r.recordOffset) + ": record runs past the end of code2");
      r.offset = GetU32(c2, pos);
      pos += 4;
    }
    if (r.type == 0x02 && !Has(image.code1, r.offset, 4))
      r.chainError = "fix-up word code1+" + Hex(r.offset) + " is outside code1";
    if (r.type == 0x01) {
      uint8_t n = c2[pos++];
      if (!Has(c2, pos, n))
        throw ImageError("code2+" + Hex(r.recordOffset) + ": name runs past the end of code2");
      r.name.assign(c2.begin() + pos, c2.begin() + pos + n);
      pos += n;
      WalkChain(image.code1, r);
    }
    records.push_back(std::move(r));
  }
  return records;
}

RelocationMap DecodeRelocations(const Image& image) {
  RelocationMap map;
  uint64_t cursor = 0;
  for (size_t i = 0; i + 1 < image.data2.size(); i += 2) {
    uint16_t e = uint16_t(image.data2[i] | image.data2[i + 1] << 8);
    RelocEntry r{uint32_t(i), e, uint32_t(cursor), 0, 0};
    if ((e & 0xF000) == 0x8000) {
      r.skip = (e & 0x0FFF) + 1u;
      cursor += r.skip;
      ++map.skips;
    } else if ((e & 0xFE00) == 0x4000 || (e & 0xFE00) == 0x4200 || (e & 0xFE00) == 0x4600) {
      uint16_t kind = e & 0xFE00;
      r.words = (e & 0x01FF) + 1u;
      (kind == 0x4000 ? map.codeRuns4000 : kind == 0x4200 ? map.dataRuns : map.codeRuns4600)++;
      if (!Has(image.data1, cursor, uint64_t(r.words) * 4) && map.error.empty())
        map.error = "data2+" + Hex(i) + ": run of " + std::to_string(r.words) +
                    " words at data1+" + Hex(cursor) + " passes the end of data1";
      for (uint32_t w = 0; w < r.words; ++w) map.words.emplace_back(uint32_t(cursor + 4 * w), kind);
      cursor += uint64_t(r.words) * 4;
    } else {
      ++map.unknown;
    }
    map.entries.push_back(r);
  }
  map.endCursor = uint32_t(cursor);
  return map;
}

namespace {

struct DataReader {
  const Bytes& d;
  std::vector<std::string>& problems;

  bool Word(uint64_t offset, uint32_t& out, const char* what) {
    if (!Has(d, offset, 4)) {
      problems.push_back("data1+" + Hex(offset) + ": " + what + " is outside data1");
      return false;
    }
    out = GetU32(d, size_t(offset));
    return true;
  }

  // A StringRecord at offset: reference count, buffer offset, capacity, length.
  bool Literal(uint32_t offset, std::string& text) {
    uint32_t buffer = 0, length = 0;
    if (!Word(uint64_t(offset) + 4, buffer, "string buffer word") ||
        !Word(uint64_t(offset) + 12, length, "string length word"))
      return false;
    if (!Has(d, uint64_t(buffer) + 1, length)) {
      problems.push_back("data1+" + Hex(offset) + ": string text is outside data1");
      return false;
    }
    text.assign(d.begin() + buffer + 1, d.begin() + buffer + 1 + length);
    return true;
  }

  std::string Name(uint32_t pointer) {
    std::string text;
    if (pointer != 0) Literal(pointer, text);
    return text;
  }
};

// Reads the sections after the fixed part of a kind-0 descriptor.
bool ReadClassBody(DataReader& r, uint64_t pos, DecodedClass& c) {
  uint32_t flag = 0, n = 0, w = 0, w2 = 0, w3 = 0;
  if (!r.Word(pos, flag, "interface flag")) return false;
  c.isInterface = (flag & 0xFF) != 0;
  pos += 4;
  auto count = [&](const char* what, uint32_t perItem) {
    if (!r.Word(pos, n, what)) return false;
    pos += 4;
    if (!Has(r.d, pos, uint64_t(n) * perItem)) {
      r.problems.push_back("data1+" + Hex(pos - 4) + ": " + what + " " + std::to_string(n) +
                           " runs past the end of data1");
      return false;
    }
    return true;
  };
  if (!count("interface count", 4)) return false;
  for (uint32_t i = 0; i < n; ++i, pos += 4) c.interfaces.push_back(GetU32(r.d, pos));
  if (!count("method count", c.isInterface ? 4 : 8)) return false;
  for (uint32_t i = 0; i < n; ++i) {
    w = GetU32(r.d, pos);
    pos += 4;
    w2 = 0;
    if (!c.isInterface) {
      w2 = GetU32(r.d, pos);
      pos += 4;
    }
    c.methods.emplace_back(r.Name(w), w2);
  }
  if (!count("event handler count", 12)) return false;
  for (uint32_t i = 0; i < n; ++i, pos += 12) {
    w = GetU32(r.d, pos), w2 = GetU32(r.d, pos + 4), w3 = GetU32(r.d, pos + 8);
    c.eventHandlers.push_back({r.Name(w), w2, w3});
  }
  if (!count("menu handler count", 8)) return false;
  for (uint32_t i = 0; i < n; ++i, pos += 8)
    c.menuHandlers.emplace_back(r.Name(GetU32(r.d, pos)), GetU32(r.d, pos + 4));
  if (!count("virtual table length", 4)) return false;
  for (uint32_t i = 0; i < n; ++i, pos += 4) c.vtable.push_back(GetU32(r.d, pos));
  return true;
}

bool ReadClass(DataReader& r, uint32_t offset, DecodedClass& c) {
  c.offset = offset;
  uint32_t w = 0;
  if (!r.Word(offset, c.kind, "class kind word")) return false;
  if (c.kind == 1) {
    if (!r.Word(uint64_t(offset) + 4, w, "class name pointer")) return false;
    c.name = r.Name(w);
    return true;
  }
  if (c.kind != 0) {
    r.problems.push_back("data1+" + Hex(offset) + ": unknown class kind " + std::to_string(c.kind));
    return false;
  }
  uint32_t name = 0, super = 0, hasCtor = 0;
  if (!r.Word(uint64_t(offset) + 4, c.instanceSize, "instance size") ||
      !r.Word(uint64_t(offset) + 8, name, "class name pointer") ||
      !r.Word(uint64_t(offset) + 12, super, "superclass index") ||
      !r.Word(uint64_t(offset) + 16, hasCtor, "constructor flag"))
    return false;
  c.name = r.Name(name);
  c.superclass = int32_t(super);
  uint64_t body = uint64_t(offset) + 20;
  if (hasCtor) {
    uint32_t ctor = 0, dtor = 0;
    if (!r.Word(body, ctor, "constructor") || !r.Word(body + 4, dtor, "destructor")) return false;
    c.constructor = ctor;
    c.destructor = dtor;
    body += 8;
  }
  return ReadClassBody(r, body, c);
}

void ReadProjectItem(DataReader& r, uint32_t offset, DecodedData& out) {
  DecodedProjectItem item{offset, 0, {}, {}};
  if (!r.Word(offset, item.kind, "project item kind")) return;
  uint64_t lengthAt = item.kind == 2 ? uint64_t(offset) + 4 : uint64_t(offset) + 8;
  uint32_t length = 0;
  if ((item.kind == 2 || item.kind == 4) && r.Word(lengthAt, length, "project item length")) {
    if (!Has(r.d, lengthAt + 4, length)) {
      r.problems.push_back("data1+" + Hex(offset) + ": project item stream runs past the end");
    } else {
      item.stream.assign(r.d.begin() + lengthAt + 4, r.d.begin() + lengthAt + 4 + length);
      if (item.kind == 2) {
        try {
          item.menu = DecodeMenuBarStream(item.stream);
        } catch (const ImageError& e) {
          r.problems.push_back("data1+" + Hex(offset) + ": menu bar " + e.what());
        }
      }
    }
  }
  out.projectItems.push_back(std::move(item));
}

void ReadDescriptor(DataReader& r, DecodedData& out) {
  uint32_t at = out.applicationDescriptor, n = 0, m = 0;
  if (!r.Word(at, n, "class count")) return;
  if (!Has(r.d, uint64_t(at) + 4, uint64_t(n) * 4 + 4)) {
    r.problems.push_back("data1+" + Hex(at) + ": class table of " + std::to_string(n) +
                         " entries runs past the end of data1");
    return;
  }
  for (uint32_t i = 0; i < n; ++i) {
    DecodedClass c;
    if (ReadClass(r, GetU32(r.d, at + 4 + 4 * i), c)) out.classes.push_back(std::move(c));
  }
  uint64_t items = uint64_t(at) + 4 + 4ull * n;
  m = GetU32(r.d, items);
  if (!Has(r.d, items + 4, uint64_t(m) * 4)) {
    r.problems.push_back("data1+" + Hex(items) + ": project item list runs past the end");
    return;
  }
  for (uint32_t i = 0; i < m; ++i) {
    uint32_t p = GetU32(r.d, items + 4 + 4 * i);
    if (p != 0) ReadProjectItem(r, p, out);
  }
}

// Literals: a relocated buffer word whose string record sits right after its own text.
void FindLiterals(const Image& image, const RelocationMap& map, DecodedData& out) {
  const Bytes& d = image.data1;
  for (auto [q, kind] : map.words) {
    if (kind != 0x4200 || q < 4 || !Has(d, q + 4, 8)) continue;
    uint32_t b = GetU32(d, q), n = GetU32(d, q + 8);
    if (!Has(d, b, 1) || d[b] != std::min<uint32_t>(n, 255) || GetU32(d, q + 4) != n) continue;
    uint64_t record = (uint64_t(b) + 1 + n) / 4 * 4 + 4;
    if (record != q - 4 || GetU32(d, q - 4) != 1) continue;
    out.literals.push_back({q - 4, std::string(d.begin() + b + 1, d.begin() + b + 1 + n)});
  }
}

// Windows: the first word of a slot pair points at a record that ends exactly there.
void FindWindows(const Image& image, const RelocationMap& map, DecodedData& out) {
  const Bytes& d = image.data1;
  for (auto [p, kind] : map.words) {
    if (kind != 0x4200 || !Has(d, p, 8)) continue;
    uint32_t r = GetU32(d, p);
    if (!Has(d, r, 4) || uint64_t(r) + 4 + GetU32(d, r) != p) continue;
    Bytes stream(d.begin() + r + 4, d.begin() + p);
    try {
      out.windows.push_back({r, DecodeWindowStream(stream)});
    } catch (const ImageError& e) {
      out.problems.push_back("data1+" + Hex(r) + ": window description " + e.what());
    }
  }
}

bool LooksLikePluginNode(const Bytes& d, uint32_t at) {
  if (!Has(d, at, 13)) return false;
  uint32_t length = GetU32(d, at + 4);
  uint8_t n = d[at + 12];
  if (GetU32(d, at + 8) != 0 || n == 0 || length < 5u + n || !Has(d, uint64_t(at) + 8, length))
    return false;
  for (uint8_t i = 0; i < n; ++i)
    if (d[at + 13 + i] < 0x21 || d[at + 13 + i] > 0x7E) return false;
  return true;
}

// Plug-in lists are handed over by the code: start from the data addresses code1 uses.
void FindPlugins(const Image& image, const std::vector<LinkRecord>& links, DecodedData& out) {
  const Bytes& d = image.data1;
  std::set<uint32_t> seen;
  for (const LinkRecord& l : links) {
    if (l.type != 0x02 || !l.chainError.empty()) continue;
    uint32_t at = GetU32(image.code1, l.offset);
    while (at != 0 && !seen.count(at) && LooksLikePluginNode(d, at)) {
      seen.insert(at);
      uint8_t n = d[at + 12];
      out.plugins.push_back({at, std::string(d.begin() + at + 13, d.begin() + at + 13 + n),
                             GetU32(d, at + 4)});
      at = GetU32(d, at);
    }
  }
}

}  // namespace

DecodedData DecodeData(const Image& image) {
  DecodedData out;
  DataReader r{image.data1, out.problems};
  if (!r.Word(0, out.entryFunction, "entry pointer") ||
      !r.Word(4, out.applicationDescriptor, "application descriptor pointer"))
    return out;
  ReadDescriptor(r, out);
  RelocationMap map = DecodeRelocations(image);
  FindLiterals(image, map, out);
  FindWindows(image, map, out);
  try {
    FindPlugins(image, DecodeLinkRecords(image), out);
  } catch (const ImageError& e) {
    out.problems.push_back(e.what());
  }
  return out;
}

}  // namespace imagekit
