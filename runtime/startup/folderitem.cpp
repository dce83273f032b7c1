// FolderItem: the path field, its destructor and the two getters compiled code reaches
// through the class's properties ("AbsolutePath", "Name": the text after the last slash).
#include "runtime/startup/folderitem.h"

#include <cstring>

#include "runtime/entries/entries.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/strings.h"

namespace {
StringRecord** PathSlot(const ObjectHeader* item) {
  auto* bytes = reinterpret_cast<uint8_t*>(const_cast<ObjectHeader*>(item));
  return reinterpret_cast<StringRecord**>(bytes + kFolderItemPathOffset);
}
}  // namespace

namespace builtins {
void FolderItemDestructor(ObjectHeader* object, ClassRecord*) {
  StringRecord** slot = PathSlot(object);
  StringRecord* path = *slot;
  *slot = nullptr;
  UnlockString(path);
}
}  // namespace builtins

ObjectHeader* NewFolderItem() { return MakeObject(AMX_BUILTIN_CLASS(FolderItem)); }

void SetFolderItemPath(ObjectHeader* item, StringRecord* path) {
  if (item == nullptr) return;
  StringRecord** slot = PathSlot(item);
  StringRecord* old = *slot;
  *slot = LockString(path);
  UnlockString(old);
}

StringRecord* FolderItemPath(const ObjectHeader* item) {
  return item != nullptr ? *PathSlot(item) : nullptr;
}

AMX_ENTRY StringRecord* folderItemAbsolutePathGetter(ObjectHeader* item, int32_t) noexcept {
  return LockString(FolderItemPath(item));
}

AMX_ENTRY StringRecord* folderItemNameGetter(ObjectHeader* item, int32_t) noexcept {
  std::string_view path = StringView(FolderItemPath(item));
  size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return MakeString(name.data(), static_cast<int32_t>(name.size()));
}
