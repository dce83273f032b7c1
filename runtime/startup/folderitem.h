// FolderItem, reduced to what start-up needs: an object holding a document path (the text
// of one command-line token). Its class is described in runtime/objects/builtins/folderitem.def.
#pragma once
#include <cstdint>

struct ObjectHeader;
struct StringRecord;

struct FolderItemFields {
  StringRecord* path;  // at offset 24, after the header and Object's two words
};
constexpr int32_t kFolderItemPathOffset = 24;

ObjectHeader* NewFolderItem();
// Replaces the item's path (the string is lent; the item keeps its own reference).
void SetFolderItemPath(ObjectHeader* item, StringRecord* path);
StringRecord* FolderItemPath(const ObjectHeader* item);  // lent; nil for an empty path
