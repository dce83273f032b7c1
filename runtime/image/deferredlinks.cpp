// The process-wide deferred-link list, newest first.
#include "runtime/image/deferredlinks.h"

namespace {
DeferredLink* gDeferred = nullptr;
}

void PushDeferredLink(const char* name, uint32_t head) {
  gDeferred = new DeferredLink{name, head, gDeferred};
}

DeferredLink* PopDeferredLink() {
  DeferredLink* link = gDeferred;
  if (link) gDeferred = link->next;
  return link;
}
