// Link records, record by record (see linker.h). Unknown plain names are patched to a
// reporting stub rather than left pointing at the chain offsets stored in the operands.
#include "runtime/image/linker.h"

#include <cstdlib>
#include <cstring>

namespace {

uint32_t ReadWord(const uint8_t* at) {
  uint32_t value;
  memcpy(&value, at, 4);
  return value;
}

void WriteWord(uint8_t* at, uint32_t value) { memcpy(at, &value, 4); }

bool Inside(ImageBlock block, uint64_t offset, uint64_t n) {
  return offset <= block.size && n <= block.size - offset;
}


struct RecordCursor {
  ImageBlock code2;
  uint32_t position;
  uint32_t recordStart;

  bool Take(void* into, uint32_t n) {
    if (!Inside(code2, position, n)) return false;
    memcpy(into, code2.bytes + position, n);
    position += n;
    return true;
  }
};

std::string Where(const RecordCursor& cursor) {
  return "code2 offset " + HexNumber(cursor.recordStart) + ": ";
}

// "!Xlibrary!routine": split at the first "!" after the library name.
bool SplitLibraryLink(const std::string& name, std::string& library, std::string& routine) {
  size_t bang = name.find('!', 2);
  if (bang == std::string::npos) return false;
  library = name.substr(2, bang - 2);
  routine = name.substr(bang + 1);
  return true;
}

void* ResolveName(const std::string& name, LinkTargets& targets, bool& deferred,
                  std::string& message) {
  deferred = false;
  if (name.empty() || name[0] != '!') {
    void* entry = targets.FindEntry(name.c_str());
    return entry ? entry : targets.MissingEntry(name.c_str());
  }
  if (name.size() >= 2 && name[1] == 'X') {
    std::string library, routine;
    if (!SplitLibraryLink(name, library, routine)) {
      message = DamagedImageMessage("the library link \"" + name + "\" names no routine");
      return nullptr;
    }
    return targets.FindLibraryRoutine(library.c_str(), routine.c_str(), message);
  }
  deferred = true;
  return nullptr;
}

bool LinkCall(ImageBlock code1, RecordCursor& cursor, LinkTargets& targets,
              ClaimMap& seen, std::string& message) {
  uint8_t head[4];
  uint8_t length = 0;
  char name[256];
  if (!cursor.Take(head, 4) || !cursor.Take(&length, 1) || !cursor.Take(name, length)) {
    message = DamagedImageMessage(Where(cursor) + "the call link record runs past the end of code2");
    return false;
  }
  name[length] = '\0';
  uint32_t first = ReadWord(head);
  std::string problem = CheckChain(code1, first, seen);
  if (!problem.empty()) {
    message = DamagedImageMessage(Where(cursor) + "the chain of \"" + name + "\" " + problem);
    return false;
  }
  bool deferred = false;
  void* target = ResolveName(name, targets, deferred, message);
  if (deferred) {
    targets.Defer(name + 1, first);
    return true;
  }
  if (target == nullptr) {
    if (message.empty())
      message = "The application could not be loaded because the runtime could not make a "
                "call stub for \"" + std::string(name) + "\".";
    return false;
  }
  PatchChain(code1, first, target);
  return true;
}

bool LinkData(ImageBlock code1, RecordCursor& cursor, uintptr_t data1Address,
              ClaimMap& seen, std::string& message) {
  uint8_t offsetBytes[4];
  if (!cursor.Take(offsetBytes, 4)) {
    message = DamagedImageMessage(Where(cursor) + "the data fix-up record runs past the end of code2");
    return false;
  }
  uint32_t offset = ReadWord(offsetBytes);
  if (!Inside(code1, offset, 4)) {
    message = DamagedImageMessage(Where(cursor) + "the data fix-up at code1 offset " +
                                  HexNumber(offset) + " is outside code1 (size " +
                                  HexNumber(code1.size) + ")");
    return false;
  }
  if (!seen.ClaimWord(offset)) {
    message = DamagedImageMessage(Where(cursor) + "the data fix-up at code1 offset " +
                                  HexNumber(offset) + " overlaps a word already linked");
    return false;
  }
  uint8_t* word = code1.bytes + offset;
  WriteWord(word, ReadWord(word) + uint32_t(data1Address));
  return true;
}

}  // namespace

// Every code1 word the linker writes belongs to exactly one record: a word that overlaps one
// claimed before would be rewritten under a chain that is still being walked.
ClaimMap::ClaimMap(uint32_t size) : flags_(static_cast<uint8_t*>(calloc(size + 4, 1))) {}

ClaimMap::~ClaimMap() { free(flags_); }

bool ClaimMap::ClaimWord(uint32_t offset) {
  uint32_t claimed;
  memcpy(&claimed, flags_ + offset, 4);
  if (claimed != 0) return false;
  memset(flags_ + offset, 1, 4);
  return true;
}

std::string CheckChain(ImageBlock code1, uint32_t head, ClaimMap& seen) {
  for (uint32_t site = head; site != 0; site = ReadWord(code1.bytes + site)) {
    if (!Inside(code1, site, 4))
      return "has a call site at code1 offset " + HexNumber(site) + ", outside code1 (size " +
             HexNumber(code1.size) + ")";
    if (!seen.ClaimWord(site)) return "reaches code1 offset " + HexNumber(site) + " a second time";
  }
  return "";
}

void PatchChain(ImageBlock code1, uint32_t head, const void* target) {
  for (uint32_t site = head; site != 0;) {
    uint8_t* operand = code1.bytes + site;
    site = ReadWord(operand);
    WriteWord(operand, uint32_t(reinterpret_cast<uintptr_t>(target) -
                                (reinterpret_cast<uintptr_t>(operand) + 4)));
  }
}

bool LinkCode(ImageBlock code1, ImageBlock code2, uintptr_t data1Address, LinkTargets& targets,
              std::string& message) {
  ClaimMap seen(code1.size);
  if (!seen.ok()) {
    message = "The application could not be loaded because there is not enough memory to link it.";
    return false;
  }
  RecordCursor cursor{code2, 0, 0};
  while (cursor.position < code2.size) {
    cursor.recordStart = cursor.position;
    uint8_t type = code2.bytes[cursor.position++];
    bool ok = true;
    if (type == 0x02) ok = LinkData(code1, cursor, data1Address, seen, message);
    else if (type == 0x01) ok = LinkCall(code1, cursor, targets, seen, message);
    if (!ok) return false;
  }
  return true;
}
