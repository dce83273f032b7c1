// The menu bar stream (project item of kind 2): a count of top-level entries, then each
// entry with its fields and, where present, its child list. MenuBarReader hands out the
// entries one at a time in stream order (an entry, then its children), each with its depth
// and the size of its child list. Entry point: MenuBarReader.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/records/datablock.h"
#include "runtime/records/stream.h"

constexpr int32_t kMenuEntryItem = 0;         // an item, or a menu at the top level
constexpr int32_t kMenuEntryApplication = 1;  // the application menu (no menu of its own)
constexpr int32_t kMenuEntrySeparator = 2;
constexpr int32_t kMenuNoIndex = INT32_MIN;   // the item is not in a menu item array
// Nesting deeper than this is refused: no real menu comes near it, and a consumer that
// builds submenus recursively must not be driven into stack exhaustion by damage.
constexpr int32_t kMenuMaxDepth = 32;

struct MenuBarEntry {
  int32_t depth = 0;  // 0 for a top-level entry
  int32_t kind = 0;
  std::string_view text;
  std::string_view name;
  int32_t index = kMenuNoIndex;  // 0x80000010 and 0x80100000 already read as no index
  std::string_view key;
  std::string_view balloonHelp;
  std::string_view disabledBalloonHelp;
  uint8_t reserved = 0;
  bool hasSubmenu = false;
  int32_t classIndex = 0;
  int32_t childCount = -1;  // entries that follow as its children; -1 when it has no list
};

class MenuBarReader {
 public:
  // itemOffset: the project item (kind word 2, length L, L bytes).
  MenuBarReader(const DataBlock& block, uint32_t itemOffset, int32_t classCount = -1);

  int32_t TopLevelCount() const { return topLevelCount_; }
  // The next entry in stream order; false after the last one or on damage (see Failed()).
  bool Next(MenuBarEntry& out);

  bool Failed() const { return stream_.Failed(); }
  const std::string& Error() const { return stream_.Error(); }

 private:
  static StreamReader OpenStream(const DataBlock& block, uint32_t itemOffset,
                                 std::string& problem);
  bool ReadFields(MenuBarEntry& out);

  int32_t classCount_;
  std::string openProblem_;
  StreamReader stream_;
  int32_t topLevelCount_ = 0;
  int32_t left_[kMenuMaxDepth + 1] = {};  // entries still to come at each open level
  int32_t depth_ = -1;                    // innermost open level; -1 when done
};
