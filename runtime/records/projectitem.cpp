// Reading project item records: kind word, then per kind the words and the stream or data
// that follow. Every length and pointer is checked against data1.
#include "runtime/records/projectitem.h"

namespace {

class ItemReader {
 public:
  ItemReader(const DataBlock& block, uint32_t offset, std::string& error)
      : block_(block), offset_(offset), error_(error) {}

  bool Word(uint32_t at, const char* field, uint32_t& out) {
    if (!block_.ReadWord(offset_ + at, out))
      return Fail(std::string("'") + field + "' runs past the end of data1");
    return true;
  }
  // {u32 length at lengthAt, then the bytes}.
  bool Stream(uint32_t lengthAt, ProjectItem& out) {
    if (!Word(lengthAt, "length", out.streamLength)) return false;
    out.streamOffset = offset_ + lengthAt + 4;
    if (!block_.Contains(out.streamOffset, out.streamLength))
      return Fail("length " + std::to_string(out.streamLength) + " runs past the end of data1");
    return true;
  }
  bool DataFrom(uint32_t at, ProjectItem& out) {
    if (!block_.Contains(offset_ + at, 0)) return Fail("its data runs past the end of data1");
    out.dataOffset = offset_ + at;
    return true;
  }
  bool Pointer(uint32_t at, const char* field, uint32_t& target) {
    uint32_t pointer = 0;
    if (!Word(at, field, pointer)) return false;
    if (!block_.ResolvePointer(pointer, target))
      return Fail(std::string("'") + field + "' " + Hex(pointer) + " is outside data1");
    return true;
  }
  bool Fail(const std::string& problem) {
    error_ = RecordMessage("project item", offset_, problem);
    return false;
  }

 private:
  const DataBlock& block_;
  uint32_t offset_;
  std::string& error_;
};

bool ReadInstanceVariable(const DataBlock& block, ItemReader& r, ProjectItem& out) {
  if (!r.Pointer(8, "variable pointer", out.variableOffset)) return false;
  if (!block.Contains(out.variableOffset, 4))
    return r.Fail("the variable runs past the end of data1");
  return true;
}

bool ReadDatabaseName(const DataBlock& block, ItemReader& r, ProjectItem& out) {
  uint32_t nameOffset = 0;
  if (!r.Pointer(8, "name pointer", nameOffset) || !r.Word(12, "word 3", out.word3) ||
      !r.Word(16, "word 4", out.word4))
    return false;
  if (!block.Contains(nameOffset, out.word1))
    return r.Fail("the name of " + std::to_string(out.word1) +
                  " bytes runs past the end of data1");
  out.name = std::string_view(reinterpret_cast<const char*>(block.bytes + nameOffset),
                              out.word1);
  return true;
}

}  // namespace

bool ReadProjectItem(const DataBlock& block, uint32_t offset, ProjectItem& out,
                     std::string& error) {
  out = ProjectItem();
  out.offset = offset;
  ItemReader r(block, offset, error);
  uint32_t kind = 0;
  if (!r.Word(0, "kind", kind)) return false;
  if (kind < 1 || kind > 10) return r.Fail("unknown kind " + std::to_string(kind));
  out.kind = static_cast<ProjectItemKind>(kind);
  switch (out.kind) {
    case ProjectItemKind::kMenuBar:
      return r.Stream(4, out);
    case ProjectItemKind::kSettings:
      return r.Word(4, "chain word", out.chainPointer) && r.Stream(8, out);
    case ProjectItemKind::kPicture:
    case ProjectItemKind::kSound:
      return r.Word(4, "word 1", out.word1) && r.DataFrom(8, out);
    case ProjectItemKind::kInstance:
      return r.Word(4, "class index", out.word1) && ReadInstanceVariable(block, r, out);
    case ProjectItemKind::kDatabase:
      return r.Word(4, "name length", out.word1) && ReadDatabaseName(block, r, out);
    default:
      return r.Word(4, "word 1", out.word1);
  }
}
