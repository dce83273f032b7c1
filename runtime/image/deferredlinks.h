// Deferred links: "!" names other than library links, kept (without their "!") with their
// chain heads until the plug-ins are installed; the accessor resolver
// (runtime/entries/accessors.h) takes them newest first. Entry points: PushDeferredLink,
// PopDeferredLink.
#pragma once
#include <cstdint>
#include <string>

struct DeferredLink {
  std::string name;  // e.g. "GBevelButton!Caption"
  uint32_t head;     // chain head in code1 (already checked by the linker)
  DeferredLink* next;
};

void PushDeferredLink(const char* name, uint32_t head);
// The newest link, unlinked from the list (the caller deletes it); nil when none is left.
DeferredLink* PopDeferredLink();
