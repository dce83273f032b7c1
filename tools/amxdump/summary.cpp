// amxdump --summary: the figures of an image, one per line, for comparing an image with the
// figures its makers expect (class counts and kind-1 indexes, handlers by event, relocated
// words by kind, link records, functions and their tables, project item streams).
// Entry point: PrintSummary.
#include <map>
#include <set>

#include "tools/amxdump/dump.h"
#include "tools/amxdump/entrynames.h"

namespace {

using imagekit::Bytes;
using imagekit::DecodedData;
using imagekit::Image;
using imagekit::LinkRecord;

constexpr uint8_t kFunctionEnd[3] = {0xC9, 0xC3, 0x2F};  // leave; ret; table marker

bool CallSiteTableAt(const Bytes& code, size_t at) {
  return at + 3 <= code.size() && code[at] == 0xEB && code[at + 2] == 0x90;
}

void PrintClasses(const DecodedData& d, FILE* out) {
  size_t kind1 = 0;
  std::map<std::string, size_t> events;
  size_t menuHandlers = 0, anonymous = 0;
  for (const auto& c : d.classes) {
    kind1 += c.kind == 1;
    anonymous += c.kind == 0 && c.name.empty();
    for (const auto& h : c.eventHandlers) ++events[h.name];
    menuHandlers += c.menuHandlers.size();
  }
  fprintf(out, "classes %zu: kind 1 %zu, kind 0 %zu (%zu anonymous)\n", d.classes.size(), kind1,
          d.classes.size() - kind1, anonymous);
  for (size_t i = 0; i < d.classes.size(); ++i)
    if (d.classes[i].kind == 1) fprintf(out, "kind-1 class %zu \"%s\"\n", i, d.classes[i].name.c_str());
  for (const auto& [name, count] : events) fprintf(out, "event handlers \"%s\" %zu\n", name.c_str(), count);
  fprintf(out, "menu handlers %zu\n", menuHandlers);
}

void PrintRelocated(const imagekit::RelocationMap& map, FILE* out) {
  std::map<uint16_t, size_t> byKind;
  for (auto [offset, kind] : map.words) ++byKind[kind];
  fprintf(out, "relocated words %zu: 0x4000 %zu, 0x4200 %zu, 0x4600 %zu\n", map.words.size(), byKind[0x4000],
          byKind[0x4200], byKind[0x4600]);
}

void PrintLinkNames(const std::vector<LinkRecord>& links, FILE* out) {
  size_t entries = 0, deferred = 0, other = 0, sites = 0;
  for (const LinkRecord& r : links) {
    if (r.type != 0x01) continue;
    sites += r.sites.size();
    if (!r.name.empty() && r.name[0] == '!') ++deferred;
    else if (IsRuntimeEntryName(r.name.c_str())) ++entries;
    else ++other;
  }
  fprintf(out, "call links %zu: entries %zu, deferred %zu, unknown %zu; call sites %zu\n", entries + deferred + other,
          entries, deferred, other, sites);
  for (const LinkRecord& r : links)
    if (r.type == 0x01) fprintf(out, "link \"%s\" %zu\n", r.name.c_str(), r.sites.size());
}

// Functions end with leave; ret; 0x2F and their table; calls are followed by a call-site
// table (entry calls: the sites of the link chains; own calls: a rel32 inside code1).
void PrintCode(const Image& image, const std::vector<LinkRecord>& links, FILE* out) {
  const Bytes& code = image.code1;
  std::set<uint32_t> entrySites;
  for (const LinkRecord& r : links)
    if (r.type == 0x01) entrySites.insert(r.sites.begin(), r.sites.end());
  size_t entryCalls = 0, ownCalls = 0;
  for (uint32_t site : entrySites) entryCalls += CallSiteTableAt(code, size_t(site) + 4);
  for (size_t p = 0; p + 5 <= code.size(); ++p) {
    if (code[p] != 0xE8 || entrySites.count(uint32_t(p + 1))) continue;
    int32_t rel = int32_t(uint32_t(code[p + 1]) | uint32_t(code[p + 2]) << 8 | uint32_t(code[p + 3]) << 16 |
                          uint32_t(code[p + 4]) << 24);
    int64_t target = int64_t(p) + 5 + rel;
    if (target >= 0 && target < int64_t(code.size()) && CallSiteTableAt(code, p + 5)) ++ownCalls;
  }
  size_t functions = 0, objectLocals = 0, stringLocals = 0, catches = 0;
  for (size_t p = 0; p + 3 <= code.size(); ++p) {
    if (code[p] != kFunctionEnd[0] || code[p + 1] != kFunctionEnd[1] || code[p + 2] != kFunctionEnd[2]) continue;
    ++functions;
    size_t at = p + 3;
    while (at < code.size() && code[at] != 0) {
      uint8_t kind = code[at++];
      if (kind == 4) ++catches, at += 6;
      else if (kind == 5) ++stringLocals, at += 2;
      else if (kind == 6) ++objectLocals, at += 2;
    }
    p = at;
  }
  fprintf(out, "calls with a call-site table %zu: to entries %zu, to own functions %zu\n", entryCalls + ownCalls,
          entryCalls, ownCalls);
  fprintf(out, "functions %zu: object locals %zu, string locals %zu, catch clauses %zu\n", functions, objectLocals,
          stringLocals, catches);
}

void PrintRecords(const DecodedData& d, FILE* out) {
  fprintf(out, "windows %zu\n", d.windows.size());
  fprintf(out, "string literals %zu\n", d.literals.size());
  fprintf(out, "project items %zu\n", d.projectItems.size());
  for (const auto& item : d.projectItems) {
    const char* what = item.kind == 2 ? "menu bar" : item.kind == 4 ? "settings" : "item";
    fprintf(out, "%s stream %zu bytes\n", what, item.stream.size());
  }
  fprintf(out, "plug-ins %zu\n", d.plugins.size());
  for (const std::string& problem : d.problems) fprintf(out, "damaged: %s\n", problem.c_str());
}

}  // namespace

bool PrintSummary(const Image& image, FILE* out) {
  std::vector<LinkRecord> links;
  bool whole = true;
  try {
    links = imagekit::DecodeLinkRecords(image);
  } catch (const imagekit::ImageError& e) {
    fprintf(out, "damaged: %s\n", e.what());
    whole = false;
  }
  imagekit::RelocationMap map = imagekit::DecodeRelocations(image);
  if (!map.error.empty()) fprintf(out, "damaged: %s\n", map.error.c_str());
  DecodedData d = imagekit::DecodeData(image);
  PrintClasses(d, out);
  PrintRelocated(map, out);
  PrintLinkNames(links, out);
  PrintCode(image, links, out);
  PrintRecords(d, out);
  return whole && map.error.empty() && d.problems.empty();
}
