// The sections of amxdump's output, one function each, in the order they are printed.
#include "tools/amxdump/dump.h"

#include <capstone/capstone.h>

#include <algorithm>
#include <map>
#include <set>

#include "native/text/cp1252.h"
#include "native/text/macroman.h"
#include "runtime/records/datablock.h"
#include "runtime/records/settings.h"
#include "tools/amxdump/entrynames.h"

namespace {

using imagekit::DecodedClass;
using imagekit::DecodedData;
using imagekit::Image;
using imagekit::LinkRecord;
using imagekit::MenuEntry;
using imagekit::RelocationMap;

// Texts of the image are Windows-1252 bytes; they are shown in UTF-8 with controls escaped.
std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      snprintf(esc, sizeof esc, "\\x%02X", c);
      out += esc;
    } else {
      native::AppendUtf8(out, native::Cp1252ToUnicode(c));
    }
  }
  return out + "\"";
}

// The settings stream keeps its texts in Mac Roman.
std::string MacRomanQuoted(std::string_view text) {
  std::string cp1252;
  for (unsigned char c : text) {
    uint8_t byte = '?';
    native::UnicodeToCp1252(native::MacRomanToUnicode(c), &byte);
    cp1252 += static_cast<char>(byte);
  }
  return Quoted(cp1252);
}

void PrintSettings(const Image& image, uint32_t itemOffset, FILE* out) {
  ProjectSettings settings;
  std::string error;
  DataBlock block = DataBlock::Unrelocated(image.data1.data(), static_cast<uint32_t>(image.data1.size()));
  if (!ReadProjectSettings(block, itemOffset, settings, error)) {
    fprintf(out, "      damaged: %s\n", error.c_str());
    return;
  }
  fprintf(out, "      flags 0x%02X, reserved %u %u, MDI %s, caption %s\n", settings.flags,
          settings.reserved1, settings.reserved2, settings.mdiMode ? "yes" : "no",
          MacRomanQuoted(settings.caption).c_str());
  for (const DocumentType& type : settings.documentTypes) {
    fprintf(out, "      document type %s %s %s %s\n", MacRomanQuoted(type.texts[0]).c_str(),
            MacRomanQuoted(type.texts[1]).c_str(), MacRomanQuoted(type.texts[2]).c_str(),
            MacRomanQuoted(type.texts[3]).c_str());
  }
  for (size_t i = 0; i < settings.messages.size(); ++i)
    fprintf(out, "      message %zu %s\n", i, MacRomanQuoted(settings.messages[i]).c_str());
}

const char* LinkKind(const std::string& name) {
  if (name.size() > 1 && name[0] == '!' && name[1] == 'X') return "library";
  if (!name.empty() && name[0] == '!') return "deferred";
  return IsRuntimeEntryName(name.c_str()) ? "entry" : "UNKNOWN ENTRY";
}

void PrintBlocks(const Image& image, const std::string& origin, FILE* out) {
  fprintf(out, "Image: %s\n\nBlocks:\n", origin.c_str());
  const std::pair<const char*, size_t> blocks[] = {{"code1", image.code1.size()},
                                                   {"code2", image.code2.size()},
                                                   {"data1", image.data1.size()},
                                                   {"data2", image.data2.size()}};
  for (auto [name, size] : blocks) fprintf(out, "  %-6s 0x%08zX  %zu bytes\n", name, size, size);
}

void PrintLinks(const std::vector<LinkRecord>& links, FILE* out) {
  size_t fixups = 0, calls = 0, skipped = 0, sites = 0;
  for (const LinkRecord& r : links) {
    fixups += r.type == 0x02;
    calls += r.type == 0x01;
    skipped += r.type != 0x01 && r.type != 0x02;
    sites += r.sites.size();
  }
  fprintf(out, "\nLink records (code2): %zu data fix-ups, %zu call links with %zu call sites, "
               "%zu skipped bytes\n", fixups, calls, sites, skipped);
  for (const LinkRecord& r : links) {
    if (r.type == 0x02 && !r.chainError.empty())
      fprintf(out, "  code2+0x%X: data fix-up: %s\n", r.recordOffset, r.chainError.c_str());
    if (r.type != 0x01) continue;
    fprintf(out, "  code2+0x%05X  %-40s %-13s %5zu sites  head code1+0x%X\n", r.recordOffset,
            Quoted(r.name).c_str(), LinkKind(r.name), r.sites.size(), r.offset);
    if (!r.chainError.empty()) fprintf(out, "      damaged chain: %s\n", r.chainError.c_str());
  }
}

void PrintRelocations(const Image& image, const RelocationMap& map, FILE* out) {
  size_t data = 0, code = 0;
  for (auto [offset, kind] : map.words) (kind == 0x4200 ? data : code)++;
  fprintf(out, "\nRelocations (data2): %zu entries: %u skips, %u data runs (0x4200), %u code runs "
               "(0x4600), %u code runs (0x4000), %u ignored\n",
          map.entries.size(), map.skips, map.dataRuns, map.codeRuns4600, map.codeRuns4000, map.unknown);
  fprintf(out, "  %zu words relocated: %zu data pointers, %zu code pointers; cursor ends at "
               "data1+0x%X (data1 size 0x%zX)\n",
          map.words.size(), data, code, map.endCursor, image.data1.size());
  if (!map.error.empty()) fprintf(out, "  damaged: %s\n", map.error.c_str());
}

std::string ClassName(const DecodedData& d, int32_t index) {
  if (index < 0 || size_t(index) >= d.classes.size()) return "(none)";
  const DecodedClass& c = d.classes[size_t(index)];
  return c.name.empty() ? "(anonymous)" : Quoted(c.name);
}

void PrintClass(const DecodedData& d, size_t index, FILE* out) {
  const DecodedClass& c = d.classes[index];
  if (c.kind == 1) {
    fprintf(out, "  [%3zu] data1+0x%05X kind 1  %s\n", index, c.offset, Quoted(c.name).c_str());
    return;
  }
  fprintf(out, "  [%3zu] data1+0x%05X kind 0  %s  superclass %d %s  instance size %u%s\n", index,
          c.offset, c.name.empty() ? "(anonymous)" : Quoted(c.name).c_str(), c.superclass,
          ClassName(d, c.superclass).c_str(), c.instanceSize, c.isInterface ? "  interface" : "");
  if (c.constructor)
    fprintf(out, "        constructor code1+0x%X  destructor code1+0x%X\n", *c.constructor, *c.destructor);
  for (uint32_t i : c.interfaces) fprintf(out, "        implements %u %s\n", i, ClassName(d, int32_t(i)).c_str());
  for (const auto& [name, code] : c.methods)
    fprintf(out, "        method %s -> code1+0x%X\n", Quoted(name).c_str(), code);
  for (const auto& h : c.eventHandlers)
    fprintf(out, "        event %s -> code1+0x%X  key %u\n", Quoted(h.name).c_str(), h.code, h.key);
  for (const auto& [name, code] : c.menuHandlers)
    fprintf(out, "        menu handler %s -> code1+0x%X\n", Quoted(name).c_str(), code);
  fprintf(out, "        virtual table: %zu entries\n", c.vtable.size());
}

void PrintPairs(const std::vector<imagekit::PropertyPair>& pairs, const char* indent, FILE* out) {
  for (const auto& [name, value] : pairs)
    fprintf(out, "%s%s = %s\n", indent, name.c_str(), Quoted(value).c_str());
}

void PrintWindows(const DecodedData& d, FILE* out) {
  fprintf(out, "\nWindows: %zu\n", d.windows.size());
  for (const auto& w : d.windows) {
    fprintf(out, "  data1+0x%05X  class %d %s, %zu properties, %zu controls, %zu bindings\n",
            w.offset, w.desc.classIndex, ClassName(d, w.desc.classIndex).c_str(),
            w.desc.properties.size(), w.desc.controls.size(), w.desc.bindings.size());
    PrintPairs(w.desc.properties, "      ", out);
    for (size_t i = 0; i < w.desc.controls.size(); ++i) {
      const auto& c = w.desc.controls[i];
      std::string cls = ClassName(d, c.classIndex);
      if (c.classIndex >= 0 && size_t(c.classIndex) < d.classes.size() &&
          d.classes[size_t(c.classIndex)].name.empty())
        cls += " subclass of " + ClassName(d, d.classes[size_t(c.classIndex)].superclass);
      fprintf(out, "    control %zu: class %d %s\n", i, c.classIndex, cls.c_str());
      PrintPairs(c.properties, "        ", out);
    }
  }
}

void PrintMenu(const DecodedData& d, const std::vector<MenuEntry>& entries, int depth, FILE* out) {
  static const char* const kKinds[] = {"item", "application menu", "separator"};
  for (const MenuEntry& e : entries) {
    const char* kind = e.kind >= 0 && e.kind <= 2 ? kKinds[e.kind] : "unknown kind";
    fprintf(out, "%*s- %s %s name %s", 6 + 2 * depth, "", kind, Quoted(e.text).c_str(),
            Quoted(e.name).c_str());
    if (e.index != INT32_MIN) fprintf(out, " index %d", e.index);
    if (!e.key.empty()) fprintf(out, " key %s", Quoted(e.key).c_str());
    fprintf(out, " class %d %s\n", e.classIndex, ClassName(d, e.classIndex).c_str());
    PrintMenu(d, e.children, depth + 1, out);
  }
}

void PrintProjectItems(const Image& image, const DecodedData& d, FILE* out) {
  fprintf(out, "\nProject items: %zu\n", d.projectItems.size());
  for (size_t i = 0; i < d.projectItems.size(); ++i) {
    const auto& item = d.projectItems[i];
    const char* what = item.kind == 2 ? "menu bar" : item.kind == 4 ? "project settings" : "item";
    fprintf(out, "  %zu: data1+0x%05X kind %u %s, %zu bytes\n", i + 1, item.offset, item.kind, what,
            item.stream.size());
    if (item.kind == 2) PrintMenu(d, item.menu, 0, out);
    if (item.kind == 4) PrintSettings(image, item.offset, out);
  }
}

void PrintData(const Image& image, const DecodedData& d, FILE* out) {
  fprintf(out, "\ndata1 head: entry function code1+0x%X, application descriptor data1+0x%X\n",
          d.entryFunction, d.applicationDescriptor);
  fprintf(out, "\nString literals: %zu\n", d.literals.size());
  for (const auto& l : d.literals) fprintf(out, "  data1+0x%05X  %s\n", l.offset, Quoted(l.text).c_str());
  fprintf(out, "\nClasses: %zu\n", d.classes.size());
  for (size_t i = 0; i < d.classes.size(); ++i) PrintClass(d, i, out);
  PrintWindows(d, out);
  PrintProjectItems(image, d, out);
  fprintf(out, "\nPlug-ins: %zu\n", d.plugins.size());
  for (const auto& p : d.plugins)
    fprintf(out, "  data1+0x%05X  %s  %u bytes (library %u bytes)\n", p.offset, Quoted(p.fileName).c_str(),
            p.length, uint32_t(p.length - 5 - p.fileName.size()));
  for (const std::string& problem : d.problems) fprintf(out, "damaged: %s\n", problem.c_str());
}

// Where the function table that starts at `at` (after leave; ret; 0x2F) ends: the byte
// after its closing 0, or the end of code1.
size_t FunctionTableEnd(const imagekit::Bytes& code, size_t at) {
  while (at < code.size() && code[at] != 0) {
    uint8_t kind = code[at++];
    at += kind == 4 ? 6 : kind == 5 || kind == 6 ? 2 : 0;
  }
  return std::min(at + 1, code.size());
}

// Function starts: the entry function, every code pointer that data1 holds, and the first
// byte after each function table (functions follow one another: accessors and creators
// have no pointer of their own).
std::vector<uint32_t> FunctionStarts(const Image& image, const RelocationMap& map) {
  std::set<uint32_t> starts;
  for (auto [offset, kind] : map.words) {
    if (kind == 0x4200 || offset + 4 > image.data1.size()) continue;
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | image.data1[offset + i];
    if (v < image.code1.size()) starts.insert(v);
  }
  const imagekit::Bytes& code = image.code1;
  for (size_t p = 0; p + 3 <= code.size(); ++p) {
    if (code[p] != 0xC9 || code[p + 1] != 0xC3 || code[p + 2] != 0x2F) continue;
    size_t end = FunctionTableEnd(code, p + 3);
    if (end < code.size()) starts.insert(uint32_t(end));
    p = end - 1;
  }
  return {starts.begin(), starts.end()};
}

// The instructions of a function end with its leave; ret; the table follows as bytes.
uint32_t InstructionsEnd(const imagekit::Bytes& code, uint32_t begin, uint32_t end) {
  for (uint32_t p = begin; p + 3 <= end; ++p)
    if (code[p] == 0xC9 && code[p + 1] == 0xC3 && code[p + 2] == 0x2F) return p + 2;
  return end;
}

void Disassemble(const Image& image, const std::vector<LinkRecord>& links, const RelocationMap& map,
                 FILE* out) {
  std::map<uint32_t, std::string> callNames;  // operand offset -> entry name
  std::set<uint32_t> dataFixups;
  for (const LinkRecord& r : links) {
    for (uint32_t s : r.sites) callNames[s] = r.name;
    if (r.type == 0x02) dataFixups.insert(r.offset);
  }
  csh handle;
  if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle) != CS_ERR_OK) {
    fprintf(out, "\n(disassembler unavailable)\n");
    return;
  }
  std::vector<uint32_t> starts = FunctionStarts(image, map);
  fprintf(out, "\nDisassembly: %zu functions\n", starts.size());
  for (size_t f = 0; f < starts.size(); ++f) {
    uint32_t begin = starts[f];
    uint32_t end = f + 1 < starts.size() ? starts[f + 1] : uint32_t(image.code1.size());
    fprintf(out, "\nfunction code1+0x%X:\n", begin);
    uint32_t codeEnd = InstructionsEnd(image.code1, begin, end);
    cs_insn* insn = nullptr;
    size_t n = cs_disasm(handle, image.code1.data() + begin, codeEnd - begin, begin, 0, &insn);
    for (size_t i = 0; i < n; ++i) {
      uint32_t at = uint32_t(insn[i].address);
      std::string operands = insn[i].op_str, note;
      auto call = callNames.find(at + 1);
      if (insn[i].bytes[0] == 0xE8 && call != callNames.end()) operands = "<" + call->second + ">";
      for (uint32_t k = at; k < at + insn[i].size; ++k)
        if (dataFixups.count(k)) note += "  ; data1 address";
      fprintf(out, "  %08X  %-7s %s%s\n", at, insn[i].mnemonic, operands.c_str(), note.c_str());
    }
    cs_free(insn, n);
    if (codeEnd < end) {
      fprintf(out, "  %08X  table  ", codeEnd);
      for (uint32_t k = codeEnd; k < end; ++k) fprintf(out, " %02X", image.code1[k]);
      fprintf(out, "\n");
    }
  }
  cs_close(&handle);
}

}  // namespace

bool DumpImage(const Image& image, const std::string& origin, const DumpOptions& options, FILE* out) {
  PrintBlocks(image, origin, out);
  std::vector<LinkRecord> links;
  bool whole = true;
  try {
    links = imagekit::DecodeLinkRecords(image);
  } catch (const imagekit::ImageError& e) {
    fprintf(out, "\ndamaged: %s\n", e.what());
    whole = false;
  }
  PrintLinks(links, out);
  RelocationMap map = imagekit::DecodeRelocations(image);
  PrintRelocations(image, map, out);
  PrintData(image, imagekit::DecodeData(image), out);
  if (options.disassemble) Disassemble(image, links, map, out);
  return whole && map.error.empty();
}
