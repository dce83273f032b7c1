// The project item table: made once at start-up from the project item list of the image's
// application descriptor. Kinds 2 and 4 are streams handed to the menu-bar and
// project-settings readers; kind 5 makes an image object into a variable; the other kinds
// make resource objects through the maker their class installs. Entry point: LoadProjectItems.
#include <cstring>
#include <string>
#include <vector>

#include "runtime/objects/classtable.h"
#include "runtime/objects/objects.h"
#include "runtime/records/classtable.h"
#include "runtime/startup/assertion.h"

namespace {

std::vector<ObjectHeader*> gProjectItems;  // index i-1 holds item i; each holds a reference
ProjectStreamHandler gMenuBarHandler = nullptr;
ProjectStreamHandler gSettingsHandler = nullptr;
ProjectObjectMaker gMakers[11] = {};

constexpr uint32_t kFirstKind = 1;
constexpr uint32_t kLastKind = 10;

void HandStream(const DataBlock& block, const ProjectItem& item, ProjectStreamHandler handler) {
  if (handler != nullptr) handler(block.bytes + item.streamOffset, item.streamLength);
}

// Kind 5: a new object of an image class, stored into the variable (which then holds the
// reference); it is not a project item.
bool MakeIntoVariable(const DataBlock& block, const ProjectItem& item, std::string* error) {
  ClassRecord* cls = ImageClass(static_cast<int32_t>(item.word1));
  if (cls == nullptr) {
    *error = "project item at data1+" + std::to_string(item.offset) + ": class index " +
             std::to_string(item.word1) + " names no class";
    return false;
  }
  ObjectHeader* object = MakeObject(cls);
  std::memcpy(const_cast<uint8_t*>(block.bytes) + item.variableOffset, &object, 4);
  return true;
}

bool LoadItem(const DataBlock& block, int32_t number, uint32_t offset, std::string* error) {
  uint32_t kind = 0;
  if (block.ReadWord(offset, kind) && (kind < kFirstKind || kind > kLastKind)) {
    FailedAssertion(3, "", 0);
    return true;
  }
  ProjectItem item;
  if (!ReadProjectItem(block, offset, item, *error)) return false;
  switch (item.kind) {
    case ProjectItemKind::kMenuBar:
      HandStream(block, item, gMenuBarHandler);
      return true;
    case ProjectItemKind::kSettings:
      HandStream(block, item, gSettingsHandler);
      return true;
    case ProjectItemKind::kInstance:
      return MakeIntoVariable(block, item, error);
    default:
      if (ProjectObjectMaker maker = gMakers[static_cast<uint32_t>(item.kind)])
        gProjectItems[number - 1] = maker(block, item);
      return true;
  }
}

}  // namespace

bool LoadProjectItems(const DataBlock& block, uint32_t descriptorOffset, std::string* error) {
  gProjectItems.clear();
  ApplicationDescriptor descriptor;
  if (!descriptor.Open(block, descriptorOffset, *error)) return false;
  gProjectItems.assign(static_cast<size_t>(descriptor.ProjectItemCount()), nullptr);
  for (int32_t i = 0; i < descriptor.ProjectItemCount(); ++i) {
    bool present = false;
    uint32_t offset = 0;
    if (!descriptor.ProjectItemOffset(i, present, offset, *error)) return false;
    if (present && !LoadItem(block, i + 1, offset, error)) return false;
  }
  return true;
}

int32_t ProjectItemCount() { return static_cast<int32_t>(gProjectItems.size()); }

ObjectHeader* ProjectItemObject(int32_t index) {
  if (index < 1 || index > ProjectItemCount()) return nullptr;
  return gProjectItems[index - 1];
}

void SetMenuBarStreamHandler(ProjectStreamHandler handler) { gMenuBarHandler = handler; }
void SetProjectSettingsHandler(ProjectStreamHandler handler) { gSettingsHandler = handler; }

void SetProjectObjectMaker(int32_t kind, ProjectObjectMaker maker) {
  if (kind >= static_cast<int32_t>(kFirstKind) && kind <= static_cast<int32_t>(kLastKind))
    gMakers[kind] = maker;
}
