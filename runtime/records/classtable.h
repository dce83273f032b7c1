// The head of data1, the application descriptor (class table and project item list) and
// the class descriptors of kinds 0 and 1, read with every count, pointer and section
// checked against the block. Class records are built from ClassDescriptorView by the
// objects subsystem. Entry points: ReadBlockHeader, ApplicationDescriptor::Open,
// ReadClassDescriptor.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/records/datablock.h"
#include "runtime/records/literal.h"

struct BlockHeader {
  uint32_t entryPoint = 0;        // code pointer, as stored
  uint32_t descriptorOffset = 0;  // offset of the application descriptor
};
bool ReadBlockHeader(const DataBlock& block, BlockHeader& out, std::string& error);

// {N, N descriptor pointers, M, M project item pointers (0 = none)}.
class ApplicationDescriptor {
 public:
  bool Open(const DataBlock& block, uint32_t offset, std::string& error);

  int32_t ClassCount() const { return classCount_; }
  int32_t ProjectItemCount() const { return itemCount_; }
  // The offset of descriptor `index` (0-based); its pointer must lead inside data1.
  bool ClassDescriptorOffset(int32_t index, uint32_t& offset, std::string& error) const;
  // The offset of project item `index` (0-based), or present = false for a 0 pointer.
  bool ProjectItemOffset(int32_t index, bool& present, uint32_t& offset,
                         std::string& error) const;

 private:
  DataBlock block_;
  uint32_t offset_ = 0;
  int32_t classCount_ = 0;
  int32_t itemCount_ = 0;
  uint32_t classTable_ = 0;  // offset of the first descriptor pointer
  uint32_t itemTable_ = 0;   // offset of the first project item pointer
};

constexpr uint32_t kClassDefined = 0;  // kind 0: a class the application defines
constexpr uint32_t kClassNamed = 1;    // kind 1: a runtime or plug-in class, by name

struct MethodView {
  LiteralView name;
  uint32_t entry = 0;  // code pointer; 0 for interface methods (names only)
};
struct EventHandlerView {
  LiteralView name;
  uint32_t entry = 0;
  uint32_t eventKey = 0;
};
struct MenuHandlerView {
  LiteralView name;
  uint32_t entry = 0;
};

// One descriptor. Kind 1 fills only kind, name (always present). Kind 0 fills everything;
// its lists are in file order.
struct ClassDescriptorView {
  int32_t index = -1;
  uint32_t offset = 0;
  uint32_t kind = 0;
  LiteralView name;
  int32_t instanceSize = 0;
  int32_t superclass = -1;  // class index, -1 = none
  bool hasConstructor = false;
  uint32_t constructor = 0;
  uint32_t destructor = 0;
  bool isInterface = false;
  std::vector<int32_t> interfaces;  // class indexes
  std::vector<MethodView> methods;
  std::vector<EventHandlerView> eventHandlers;
  std::vector<MenuHandlerView> menuHandlers;
  uint32_t vtableOffset = 0;       // of the first virtual table entry
  const uint32_t* vtable = nullptr;  // in place; code pointers once relocated
  int32_t vtableLength = 0;
};

// Reads descriptor `index` at offset. Class indexes inside it (superclass, interfaces) must
// be below classCount when classCount >= 0.
bool ReadClassDescriptor(const DataBlock& block, uint32_t offset, int32_t index,
                         int32_t classCount, ClassDescriptorView& out, std::string& error);
