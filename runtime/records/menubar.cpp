// Reading the menu bar stream. Child lists are tracked with a fixed stack of remaining
// counts, so the stream is read without recursion.
#include "runtime/records/menubar.h"

namespace {
const char kWhat[] = "menu bar";
constexpr int32_t kMenuItemKind = 2;
}

StreamReader MenuBarReader::OpenStream(const DataBlock& block, uint32_t itemOffset,
                                       std::string& problem) {
  uint32_t kind = 0, length = 0;
  if (!block.ReadWord(itemOffset, kind) || !block.ReadWord(itemOffset + 4, length)) {
    problem = "the item header runs past the end of data1";
  } else if (kind != kMenuItemKind) {
    problem = "project item kind " + std::to_string(kind) + " is not a menu bar (2)";
  } else if (!block.Contains(itemOffset + 8, length)) {
    problem = "length " + std::to_string(length) + " runs past the end of data1";
  } else {
    return StreamReader(kWhat, itemOffset, block.bytes + itemOffset + 8, length);
  }
  return StreamReader(kWhat, itemOffset, nullptr, 0);
}

MenuBarReader::MenuBarReader(const DataBlock& block, uint32_t itemOffset, int32_t classCount)
    : classCount_(classCount), stream_(OpenStream(block, itemOffset, openProblem_)) {
  if (!openProblem_.empty()) {
    stream_.FailRecord(openProblem_);
    return;
  }
  if (stream_.ReadCount("top-level entry count", topLevelCount_)) {
    depth_ = 0;
    left_[0] = topLevelCount_;
  }
}

bool MenuBarReader::ReadFields(MenuBarEntry& out) {
  uint8_t submenu = 0;
  if (!stream_.ReadCompactInteger("entry kind", out.kind) ||
      !stream_.ReadText("entry text", out.text) || !stream_.ReadText("entry name", out.name) ||
      !stream_.ReadCompactInteger("entry index", out.index) ||
      !stream_.ReadText("entry key", out.key) ||
      !stream_.ReadText("entry balloon help", out.balloonHelp) ||
      !stream_.ReadText("entry disabled balloon help", out.disabledBalloonHelp) ||
      !stream_.ReadByte("entry byte", out.reserved) ||
      !stream_.ReadByte("entry submenu flag", submenu) ||
      !stream_.ReadClassIndex("entry class index", classCount_, out.classIndex))
    return false;
  // Older writers marked "no index" with these two values as well.
  if (out.index == static_cast<int32_t>(0x80000010u) ||
      out.index == static_cast<int32_t>(0x80100000u))
    out.index = kMenuNoIndex;
  out.hasSubmenu = submenu != 0;
  return true;
}

bool MenuBarReader::Next(MenuBarEntry& out) {
  if (Failed()) return false;
  while (depth_ >= 0 && left_[depth_] == 0) --depth_;
  if (depth_ < 0) return false;
  out = MenuBarEntry();
  out.depth = depth_;
  if (!ReadFields(out)) return false;
  --left_[depth_];
  // A top-level entry always carries a child list; a nested one only with a submenu.
  if (depth_ == 0 || out.hasSubmenu) {
    if (!stream_.ReadCount("child count", out.childCount)) return false;
    if (out.childCount > 0) {
      if (depth_ + 1 > kMenuMaxDepth)
        return stream_.Fail("menus are nested deeper than " + std::to_string(kMenuMaxDepth) +
                            " levels");
      left_[++depth_] = out.childCount;
    }
  }
  return true;
}
