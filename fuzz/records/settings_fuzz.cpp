// Fuzz target: a project item at offset 0, and when it is one, the project settings read
// field by field.
#include <string>

#include "fuzz/records/fuzz.h"
#include "runtime/records/projectitem.h"
#include "runtime/records/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataBlock block = DataBlock::Unrelocated(data, static_cast<uint32_t>(size));
  std::string error;
  ProjectItem item;
  if (ReadProjectItem(block, 0, item, error)) records_fuzz::CheckInside(data, size, item.name);
  ProjectSettings settings;
  if (ReadProjectSettings(block, 0, settings, error)) {
    for (auto text : settings.messages) records_fuzz::CheckInside(data, size, text);
    for (const auto& type : settings.documentTypes)
      for (auto text : type.texts) records_fuzz::CheckInside(data, size, text);
    records_fuzz::CheckInside(data, size, settings.caption);
  }
  return 0;
}
