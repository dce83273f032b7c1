// Reading window description records: {u32 length L, L bytes of stream}. The stream: window
// property count, window class index, the window's (name, value) texts, control count, per
// control its class index, property count and texts, then the binding count and bindings.
#include "runtime/records/window.h"

namespace {
const char kWhat[] = "window description";
}

StreamReader WindowDescriptionReader::OpenStream(const DataBlock& block, uint32_t recordOffset,
                                                 uint32_t& endOffset, std::string& lengthError) {
  uint32_t length = 0;
  if (!block.ReadWord(recordOffset, length)) {
    lengthError = "the length word runs past the end of data1";
    return StreamReader(kWhat, recordOffset, nullptr, 0);
  }
  if (!block.Contains(recordOffset + 4, length)) {
    lengthError = "length " + std::to_string(length) + " runs past the end of data1";
    return StreamReader(kWhat, recordOffset, nullptr, 0);
  }
  endOffset = recordOffset + 4 + length;
  return StreamReader(kWhat, recordOffset, block.bytes + recordOffset + 4, length);
}

WindowDescriptionReader::WindowDescriptionReader(const DataBlock& block, uint32_t recordOffset,
                                                 int32_t classCount)
    : classCount_(classCount),
      stream_(OpenStream(block, recordOffset, endOffset_, lengthError_)) {
  if (!lengthError_.empty()) stream_.FailRecord(lengthError_);
}

bool WindowDescriptionReader::ReadWindow(int32_t& propertyCount, int32_t& classIndex) {
  if (phase_ != Phase::kStart) return stream_.Fail("the window was read twice");
  if (!stream_.ReadCount("window property count", propertyCount) ||
      !stream_.ReadClassIndex("window class index", classCount_, classIndex))
    return false;
  propertiesLeft_ = propertyCount;
  phase_ = Phase::kWindowProperties;
  return true;
}

bool WindowDescriptionReader::NextProperty(WindowProperty& out) {
  if (Failed() || propertiesLeft_ == 0) return false;
  if (!stream_.ReadText("property name", out.name) ||
      !stream_.ReadText("property value", out.value))
    return false;
  --propertiesLeft_;
  return true;
}

bool WindowDescriptionReader::SkipProperties() {
  WindowProperty ignored;
  while (NextProperty(ignored)) {
  }
  return !Failed();
}

bool WindowDescriptionReader::ReadControlCount(int32_t& out) {
  if (phase_ == Phase::kStart) {
    int32_t count = 0, index = 0;
    if (!ReadWindow(count, index)) return false;
  }
  if (phase_ != Phase::kWindowProperties) return stream_.Fail("the control count was read twice");
  if (!SkipProperties() || !stream_.ReadCount("control count", out)) return false;
  controlsLeft_ = out;
  controlCount_ = out;
  phase_ = Phase::kControls;
  return true;
}

bool WindowDescriptionReader::NextControl(ControlHeader& out) {
  if (Failed() || phase_ != Phase::kControls || !SkipProperties() || controlsLeft_ == 0)
    return false;
  out.number = controlCount_ - controlsLeft_;
  if (!stream_.ReadClassIndex("control class index", classCount_, out.classIndex) ||
      !stream_.ReadCount("control property count", out.propertyCount))
    return false;
  propertiesLeft_ = out.propertyCount;
  --controlsLeft_;
  return true;
}

bool WindowDescriptionReader::SkipControls() {
  ControlHeader ignored;
  while (NextControl(ignored)) {
  }
  return !Failed() && SkipProperties();
}

bool WindowDescriptionReader::ReadBindingCount(int32_t& out) {
  if (phase_ == Phase::kStart || phase_ == Phase::kWindowProperties) {
    int32_t controls = 0;
    if (!ReadControlCount(controls)) return false;
  }
  if (phase_ != Phase::kControls) return stream_.Fail("the binding count was read twice");
  if (!SkipControls() || !stream_.ReadCount("binding count", out)) return false;
  bindingsLeft_ = out;
  phase_ = Phase::kBindings;
  return true;
}

bool WindowDescriptionReader::NextBinding(WindowBinding& out) {
  if (Failed() || phase_ != Phase::kBindings || bindingsLeft_ == 0) return false;
  if (!stream_.ReadCount("binding source control", out.sourceControl) ||
      !stream_.ReadText("binding source part", out.sourcePart) ||
      !stream_.ReadCount("binding target control", out.targetControl) ||
      !stream_.ReadText("binding target part", out.targetPart) ||
      !stream_.ReadClassIndex("binding class index", classCount_, out.classIndex) ||
      !stream_.ReadText("binding text", out.text1) ||
      !stream_.ReadText("binding text", out.text2))
    return false;
  --bindingsLeft_;
  if (bindingsLeft_ == 0) phase_ = Phase::kDone;
  return true;
}

bool ReadWindowSlot(const DataBlock& block, uint32_t recordOffset, WindowSlot& out,
                    std::string& error) {
  const char* what = "window slot pair";
  uint32_t length = 0;
  if (!block.ReadWord(recordOffset, length) || !block.Contains(recordOffset + 4, length)) {
    error = RecordMessage(what, recordOffset, "its description record runs past the end of data1");
    return false;
  }
  uint32_t slot = recordOffset + 4 + length;
  uint32_t pointer = 0;
  if (!block.ReadWord(slot, pointer) || !block.Contains(slot + 4, 4)) {
    error = RecordMessage(what, slot, "the pair runs past the end of data1");
    return false;
  }
  uint32_t target = 0;
  if (!block.ResolvePointer(pointer, target) || target != recordOffset) {
    error = RecordMessage(what, slot,
                          "its record pointer " + Hex(pointer) +
                              " does not lead back to the description at data1+" +
                              Hex(recordOffset));
    return false;
  }
  out.recordOffset = recordOffset;
  out.instanceOffset = slot + 4;
  return true;
}
