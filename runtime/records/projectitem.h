// Project item records (kinds 1 to 10), reached through the application descriptor: the
// kind word and the fields each kind carries, checked against data1. The menu bar (kind 2)
// and project settings (kind 4) streams are read by MenuBarReader and ReadProjectSettings.
// Entry point: ReadProjectItem.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/records/datablock.h"

enum class ProjectItemKind : uint32_t {
  kPicture = 1,
  kMenuBar = 2,
  kMovie = 3,
  kSettings = 4,
  kInstance = 5,
  kSound = 6,
  kResource7 = 7,
  kResource8 = 8,
  kCursor = 9,
  kDatabase = 10,
};

struct ProjectItem {
  uint32_t offset = 0;
  ProjectItemKind kind = ProjectItemKind::kPicture;
  uint32_t word1 = 0;       // kinds 1, 3, 5 to 10: the first word after the kind
  uint32_t dataOffset = 0;  // kinds 1 and 6: the data that follows from item offset 8
  // Kinds 2 and 4: the stream, inside data1.
  uint32_t streamOffset = 0;
  uint32_t streamLength = 0;
  uint32_t chainPointer = 0;    // kind 4: the unused chain word, as stored
  uint32_t variableOffset = 0;  // kind 5: the variable word 2 points at
  std::string_view name;        // kind 10: word1 bytes at the pointer in word 2
  uint32_t word3 = 0;           // kind 10
  uint32_t word4 = 0;           // kind 10
};

// A kind outside 1..10 is refused with a message; start-up reports it as its assertion.
bool ReadProjectItem(const DataBlock& block, uint32_t offset, ProjectItem& out,
                     std::string& error);
