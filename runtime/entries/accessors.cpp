// Accessor resolution: split the link text, find the class (built-in, plug-in class, plug-in
// control), find the member, patch the chain inside a short writable window over code1.
#include "runtime/entries/accessors.h"

#include <string>

#include "runtime/image/codememory.h"
#include "runtime/image/deferredlinks.h"
#include "runtime/image/linker.h"
#include "runtime/image/loader.h"
#include "runtime/image/missingentry.h"
#include "runtime/objects/class.h"
#include "runtime/objects/namefold.h"
#include "runtime/plugins/pluginlookup.h"
#include "runtime/startup/assertion.h"
#include "runtime/startup/fatal.h"

namespace {

constexpr int32_t kClassNotFoundLine = 466;
constexpr int32_t kUnknownKindLine = 517;

struct AccessorName {
  char kind;
  std::string className;
  std::string member;
};

AccessorName SplitLink(const std::string& text) {
  AccessorName name{text.empty() ? '\0' : text[0], "", ""};
  std::string rest = text.empty() ? "" : text.substr(1);
  size_t bang = rest.find('!');
  if (bang == std::string::npos) {
    name.member = rest;
  } else {
    name.className = rest.substr(0, bang);
    name.member = rest.substr(bang + 1);
  }
  return name;
}

bool SameName(const StringRecord* record, const std::string& name) {
  if (record == nullptr) return name.empty();
  return NameBytesEqual(record->buffer + 1, record->length, name.data(), int32_t(name.size()));
}

ClassRecord* FindAccessorClass(const std::string& name, BuiltinClassLookup findBuiltin) {
  ClassRecord* cls = findBuiltin ? findBuiltin(name.c_str()) : nullptr;
  if (cls == nullptr) cls = FindPluginClass(name.c_str());
  if (cls == nullptr) cls = FindPluginControl(name.c_str());
  if (cls == nullptr) {
    DebugMessage(("Unable to load class: " + name + "\n").c_str());
    FailedAssertion(4, "RuntimeMain", kClassNotFoundLine);
  }
  return cls;
}

void* FindProperty(ClassRecord* cls, const AccessorName& name) {
  if (cls == nullptr) return nullptr;
  for (PropertyEntry* p = cls->properties; p; p = p->next)
    if (SameName(p->name, name.member)) return name.kind == 'G' ? p->getter : p->setter;
  return nullptr;
}

void* FindMethod(ClassRecord* cls, const AccessorName& name) {
  MethodEntry* method = nullptr;
  if (cls == nullptr) {
    method = FindPluginGlobalMethod(name.member.c_str());
  } else {
    for (MethodEntry* m = cls->methods; m && !method; m = m->next)
      if (SameName(m->name, name.member)) method = m;
  }
  if (method == nullptr) return nullptr;
  return name.kind == 'M' ? method->entry : method->secondEntry;
}

}  // namespace

void* ResolveAccessorLink(const char* link, BuiltinClassLookup findBuiltin) {
  AccessorName name = SplitLink(link);
  ClassRecord* cls = name.className.empty() ? nullptr : FindAccessorClass(name.className, findBuiltin);
  switch (name.kind) {
    case 'G':
    case 'S':
      return FindProperty(cls, name);
    case 'M':
    case 'W':
      return FindMethod(cls, name);
    default:
      FailedAssertion(4, "RuntimeMain", kUnknownKindLine);
      return nullptr;
  }
}

void ResolveDeferredLinks(BuiltinClassLookup findBuiltin) {
  ImageBlock code1 = LoadedCode1();
  while (DeferredLink* link = PopDeferredLink()) {
    void* target = ResolveAccessorLink(link->name.c_str(), findBuiltin);
    // A member that resolves to nothing must not leave its sites jumping to chain offsets.
    if (target == nullptr) target = MissingEntryStub(("!" + link->name).c_str());
    // The chain was checked at load time; checking again keeps this walk safe on its own.
    ClaimMap seen(code1.size);
    if (target != nullptr && code1.bytes != nullptr && seen.ok() &&
        CheckChain(code1, link->head, seen).empty()) {
      CodeWriteWindow window(code1.bytes, code1.size);
      if (window.ok()) PatchChain(code1, link->head, target);
    }
    delete link;
  }
}
