// Fuzz target: a whole unrelocated data1 block read from its header through the application
// descriptor to every class descriptor and project item.
#include <string>

#include "fuzz/records/fuzz.h"
#include "runtime/records/classtable.h"
#include "runtime/records/projectitem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataBlock block = DataBlock::Unrelocated(data, static_cast<uint32_t>(size));
  std::string error;
  BlockHeader header;
  ApplicationDescriptor app;
  if (!ReadBlockHeader(block, header, error) || !app.Open(block, header.descriptorOffset, error))
    return 0;
  for (int32_t i = 0; i < app.ClassCount() && i < records_fuzz::kMaxClasses; ++i) {
    uint32_t offset = 0;
    ClassDescriptorView view;
    if (!app.ClassDescriptorOffset(i, offset, error) ||
        !ReadClassDescriptor(block, offset, i, app.ClassCount(), view, error))
      continue;
    records_fuzz::CheckInside(data, size, view.name.text);
    for (const auto& m : view.methods) records_fuzz::CheckInside(data, size, m.name.text);
    for (const auto& h : view.eventHandlers) records_fuzz::CheckInside(data, size, h.name.text);
    for (const auto& h : view.menuHandlers) records_fuzz::CheckInside(data, size, h.name.text);
    if (!block.Contains(view.vtableOffset, static_cast<uint32_t>(view.vtableLength) * 4))
      std::abort();
  }
  for (int32_t i = 0; i < app.ProjectItemCount() && i < records_fuzz::kMaxClasses; ++i) {
    bool present = false;
    uint32_t offset = 0;
    ProjectItem item;
    if (app.ProjectItemOffset(i, present, offset, error) && present &&
        ReadProjectItem(block, offset, item, error)) {
      if (!block.Contains(item.streamOffset, item.streamLength)) std::abort();
      records_fuzz::CheckInside(data, size, item.name);
    }
  }
  return 0;
}
