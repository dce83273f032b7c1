// Window description records and the window slot pair that follows each one. The reader
// hands out a description piece by piece in stream order (window, its properties, each
// control and its properties, the bindings) so that window creation can act on each piece
// as it comes; pieces a caller does not ask for are read and passed over. Entry points:
// WindowDescriptionReader, ReadWindowSlot.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/records/datablock.h"
#include "runtime/records/stream.h"

struct WindowProperty {
  std::string_view name;
  std::string_view value;  // always text; converted by the property's type
};

struct ControlHeader {
  int32_t number = 0;  // position among the window's controls
  int32_t classIndex = 0;
  int32_t propertyCount = 0;
};

struct WindowBinding {
  int32_t sourceControl = 0;
  std::string_view sourcePart;
  int32_t targetControl = 0;
  std::string_view targetPart;
  int32_t classIndex = 0;
  std::string_view text1;
  std::string_view text2;
};

class WindowDescriptionReader {
 public:
  // recordOffset: the record's length word. classCount >= 0 limits every class index.
  WindowDescriptionReader(const DataBlock& block, uint32_t recordOffset,
                          int32_t classCount = -1);

  // Window property count and the window's class index. First call.
  bool ReadWindow(int32_t& propertyCount, int32_t& classIndex);
  // The next property of the window or of the current control; false when there is none
  // left (Failed() tells an end from damage).
  bool NextProperty(WindowProperty& out);
  // The number of controls (skips window properties not yet read).
  bool ReadControlCount(int32_t& out);
  // The next control; false after the last one.
  bool NextControl(ControlHeader& out);
  // The number of bindings (skips controls not yet read).
  bool ReadBindingCount(int32_t& out);
  bool NextBinding(WindowBinding& out);

  bool Failed() const { return stream_.Failed(); }
  const std::string& Error() const { return stream_.Error(); }
  // The data1 offset just past the stream, where the slot pair stands.
  uint32_t EndOffset() const { return endOffset_; }

 private:
  enum class Phase { kStart, kWindowProperties, kControls, kBindings, kDone };
  bool SkipProperties();
  bool SkipControls();
  static StreamReader OpenStream(const DataBlock& block, uint32_t recordOffset,
                                 uint32_t& endOffset, std::string& lengthError);

  int32_t classCount_;
  uint32_t endOffset_ = 0;
  std::string lengthError_;
  StreamReader stream_;
  Phase phase_ = Phase::kStart;
  int32_t propertiesLeft_ = 0;
  int32_t controlsLeft_ = 0;
  int32_t controlCount_ = 0;
  int32_t bindingsLeft_ = 0;
};

// The two words after a description record: a pointer back to the record's length word,
// and the window's implicit-instance variable.
struct WindowSlot {
  uint32_t recordOffset = 0;
  uint32_t instanceOffset = 0;  // offset of the instance variable word
};
// recordOffset: the description record the slot pair follows.
bool ReadWindowSlot(const DataBlock& block, uint32_t recordOffset, WindowSlot& out,
                    std::string& error);
