// The list of service objects (services.h): a plain vector of held references, emptied from
// the newest end so that a destructor adding or removing services is safe.
#include "runtime/startup/services.h"

#include <algorithm>
#include <vector>

#include "runtime/objects/objects.h"

namespace {
std::vector<ObjectHeader*>& Services() {
  static std::vector<ObjectHeader*> services;
  return services;
}
}  // namespace

void AddServiceObject(ObjectHeader* object) {
  if (object == nullptr) return;
  auto& services = Services();
  if (std::find(services.begin(), services.end(), object) != services.end()) return;
  services.push_back(LockObject(object));
}

void RemoveServiceObject(ObjectHeader* object) {
  auto& services = Services();
  auto it = std::find(services.begin(), services.end(), object);
  if (it == services.end()) return;
  services.erase(it);
  UnlockObject(object);
}

void DestroyServiceObjects() {
  auto& services = Services();
  while (!services.empty()) {
    ObjectHeader* object = services.back();
    services.pop_back();
    UnlockObject(object);
  }
}

int ServiceObjectCount() { return static_cast<int>(Services().size()); }
