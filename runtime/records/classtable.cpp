// Reading the application descriptor and the class descriptors. A descriptor is read as a
// sequence of little-endian words through a cursor that refuses to step past data1's end.
#include "runtime/records/classtable.h"

namespace {

// Words of one record, in order, with a description of the record for messages.
class WordCursor {
 public:
  WordCursor(const DataBlock& block, uint32_t offset, std::string what, std::string& error)
      : block_(block), start_(offset), at_(offset), what_(std::move(what)), error_(error) {}

  bool Word(const char* field, uint32_t& out) {
    if (!block_.ReadWord(at_, out))
      return Fail(std::string("'") + field + "' at +" + std::to_string(at_ - start_) +
                  " runs past the end of data1");
    at_ += 4;
    return true;
  }
  bool Signed(const char* field, int32_t& out) {
    uint32_t word = 0;
    if (!Word(field, word)) return false;
    out = static_cast<int32_t>(word);
    return true;
  }
  // A count of `width`-byte rows that must fit in what is left of the block.
  bool Count(const char* field, uint32_t width, uint32_t& out) {
    if (!Word(field, out)) return false;
    uint32_t left = block_.size - at_;
    if (out > left / width)
      return Fail(std::string("'") + field + "' " + std::to_string(out) +
                  " runs past the end of data1");
    return true;
  }
  bool Literal(const char* field, bool mayBeAbsent, LiteralView& out) {
    uint32_t at = at_;
    uint32_t pointer = 0;
    if (!Word(field, pointer)) return false;
    std::string inner;
    if (!ReadLiteralPointer(block_, pointer, mayBeAbsent, what_ + " " + field, at, out, inner))
      return Fail(inner, /*wrapped=*/true);
    return true;
  }
  bool Skip(uint32_t bytes) {
    if (!block_.Contains(at_, bytes)) return Fail("the record runs past the end of data1");
    at_ += bytes;
    return true;
  }
  bool Fail(const std::string& problem, bool wrapped = false) {
    error_ = wrapped ? problem : RecordMessage(what_, start_, problem);
    return false;
  }
  uint32_t At() const { return at_; }
  const std::string& What() const { return what_; }

 private:
  const DataBlock& block_;
  uint32_t start_;
  uint32_t at_;
  std::string what_;
  std::string& error_;
};

bool CheckClassIndex(WordCursor& cursor, const char* field, int32_t value, int32_t classCount,
                     bool allowNone) {
  if (allowNone && value == -1) return true;
  if (value < 0 || (classCount >= 0 && value >= classCount)) {
    std::string problem = std::string(field) + " " + std::to_string(value) +
                          " is outside the class table";
    if (classCount >= 0) problem += " (" + std::to_string(classCount) + " classes)";
    return cursor.Fail(problem);
  }
  return true;
}

bool ReadInterfaces(WordCursor& c, int32_t classCount, ClassDescriptorView& out) {
  uint32_t count = 0;
  if (!c.Count("interface count", 4, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    int32_t index = 0;
    if (!c.Signed("interface", index) ||
        !CheckClassIndex(c, "interface index", index, classCount, false))
      return false;
    out.interfaces.push_back(index);
  }
  return true;
}

bool ReadMethods(WordCursor& c, ClassDescriptorView& out) {
  uint32_t width = out.isInterface ? 4 : 8;
  uint32_t count = 0;
  if (!c.Count("method count", width, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    MethodView method;
    if (!c.Literal("method name", false, method.name)) return false;
    if (!out.isInterface && !c.Word("method entry", method.entry)) return false;
    out.methods.push_back(method);
  }
  return true;
}

bool ReadEventHandlers(WordCursor& c, ClassDescriptorView& out) {
  uint32_t count = 0;
  if (!c.Count("event handler count", 12, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    EventHandlerView handler;
    if (!c.Literal("event name", false, handler.name) ||
        !c.Word("event handler entry", handler.entry) ||
        !c.Word("event key", handler.eventKey))
      return false;
    out.eventHandlers.push_back(handler);
  }
  return true;
}

bool ReadMenuHandlers(WordCursor& c, ClassDescriptorView& out) {
  uint32_t count = 0;
  if (!c.Count("menu handler count", 8, count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    MenuHandlerView handler;
    if (!c.Literal("menu item name", false, handler.name) ||
        !c.Word("menu handler entry", handler.entry))
      return false;
    out.menuHandlers.push_back(handler);
  }
  return true;
}

bool ReadVirtualTable(const DataBlock& block, WordCursor& c, ClassDescriptorView& out) {
  uint32_t count = 0;
  if (!c.Count("virtual table length", 4, count)) return false;
  out.vtableOffset = c.At();
  out.vtableLength = static_cast<int32_t>(count);
  out.vtable = reinterpret_cast<const uint32_t*>(block.bytes + c.At());
  return c.Skip(count * 4);
}

bool ReadDefinedClass(const DataBlock& block, WordCursor& c, int32_t classCount,
                      ClassDescriptorView& out) {
  uint32_t flag = 0;
  if (!c.Signed("instance size", out.instanceSize) ||
      !c.Literal("name", true, out.name) ||
      !c.Signed("superclass index", out.superclass) ||
      !CheckClassIndex(c, "superclass index", out.superclass, classCount, true) ||
      !c.Word("has-constructor flag", flag))
    return false;
  if (out.instanceSize < 16)
    return c.Fail("instance size " + std::to_string(out.instanceSize) +
                  " is smaller than the object header");
  out.hasConstructor = flag != 0;
  if (out.hasConstructor &&
      (!c.Word("constructor", out.constructor) || !c.Word("destructor", out.destructor)))
    return false;
  uint32_t interfaceWord = 0;
  if (!c.Word("interface flag", interfaceWord)) return false;
  out.isInterface = (interfaceWord & 0xFF) != 0;  // one byte, three unread bytes
  return ReadInterfaces(c, classCount, out) && ReadMethods(c, out) &&
         ReadEventHandlers(c, out) && ReadMenuHandlers(c, out) &&
         ReadVirtualTable(block, c, out);
}

}  // namespace

bool ReadBlockHeader(const DataBlock& block, BlockHeader& out, std::string& error) {
  uint32_t pointer = 0;
  if (!block.ReadWord(0, out.entryPoint) || !block.ReadWord(4, pointer)) {
    error = RecordMessage("block header", 0, "data1 is shorter than its 8-byte header");
    return false;
  }
  if (!block.ResolvePointer(pointer, out.descriptorOffset)) {
    error = RecordMessage("block header", 0,
                          "the application descriptor pointer " + Hex(pointer) +
                              " is outside data1");
    return false;
  }
  return true;
}

bool ApplicationDescriptor::Open(const DataBlock& block, uint32_t offset, std::string& error) {
  block_ = block;
  offset_ = offset;
  WordCursor c(block, offset, "application descriptor", error);
  uint32_t classes = 0;
  uint32_t items = 0;
  if (!c.Count("class count", 4, classes)) return false;
  classTable_ = c.At();
  if (!c.Skip(classes * 4) || !c.Count("project item count", 4, items)) return false;
  itemTable_ = c.At();
  if (!c.Skip(items * 4)) return false;
  classCount_ = static_cast<int32_t>(classes);
  itemCount_ = static_cast<int32_t>(items);
  return true;
}

bool ApplicationDescriptor::ClassDescriptorOffset(int32_t index, uint32_t& offset,
                                                  std::string& error) const {
  uint32_t pointer = 0;
  if (index < 0 || index >= classCount_ ||
      !block_.ReadWord(classTable_ + 4 * static_cast<uint32_t>(index), pointer)) {
    error = RecordMessage("application descriptor", offset_,
                          "there is no class " + std::to_string(index));
    return false;
  }
  if (!block_.ResolvePointer(pointer, offset)) {
    error = RecordMessage("application descriptor", offset_,
                          "the pointer " + Hex(pointer) + " of class descriptor " +
                              std::to_string(index) + " is outside data1");
    return false;
  }
  return true;
}

bool ApplicationDescriptor::ProjectItemOffset(int32_t index, bool& present, uint32_t& offset,
                                              std::string& error) const {
  uint32_t pointer = 0;
  if (index < 0 || index >= itemCount_ ||
      !block_.ReadWord(itemTable_ + 4 * static_cast<uint32_t>(index), pointer)) {
    error = RecordMessage("application descriptor", offset_,
                          "there is no project item " + std::to_string(index));
    return false;
  }
  present = pointer != 0;
  if (!present) return true;
  if (!block_.ResolvePointer(pointer, offset)) {
    error = RecordMessage("application descriptor", offset_,
                          "the pointer " + Hex(pointer) + " of project item " +
                              std::to_string(index) + " is outside data1");
    return false;
  }
  return true;
}

bool ReadClassDescriptor(const DataBlock& block, uint32_t offset, int32_t index,
                         int32_t classCount, ClassDescriptorView& out, std::string& error) {
  out = ClassDescriptorView();
  out.index = index;
  out.offset = offset;
  WordCursor c(block, offset, "class descriptor " + std::to_string(index), error);
  if (!c.Word("kind", out.kind)) return false;
  if (out.kind == kClassNamed) return c.Literal("name", false, out.name);
  if (out.kind == kClassDefined) return ReadDefinedClass(block, c, classCount, out);
  return c.Fail("unknown kind " + std::to_string(out.kind));
}
