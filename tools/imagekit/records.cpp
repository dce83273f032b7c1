// The data1 records an application carries: string literals, class descriptors of kinds 0
// and 1, window description records with their slot pairs, project items, the plug-in list
// and the application descriptor (class table + project item list). Each Add* appends one
// record to data1 and registers the relocations of its pointers.
#include "tools/imagekit/imagekit.h"

namespace imagekit {

DataLabel ImageBuilder::AddStringLiteral(std::string_view text) {
  DataLabel record = NewDataLabel();
  AddStringLiteralAt(record, text);
  return record;
}

void ImageBuilder::AddStringLiteralAt(DataLabel record, std::string_view text) {
  if (text.size() > 255) throw ImageError("string literal longer than 255 bytes");
  AlignData(4);  // a record that ends unaligned (a window's slot pair) may come before
  DataLabel lengthByte = NewDataLabel();
  BindData(lengthByte);
  data1_.push_back(uint8_t(text.size()));
  data1_.insert(data1_.end(), text.begin(), text.end());
  // At least one zero follows the text, up to the next multiple of 4.
  do data1_.push_back(0);
  while (data1_.size() % 4 != 0);
  BindData(record);
  EmitWord(1);  // reference count: literals are never freed
  EmitDataPointer(lengthByte);
  EmitWord(uint32_t(text.size()));  // capacity
  EmitWord(uint32_t(text.size()));  // length
}

uint32_t ImageBuilder::ReserveClass() {
  classes_.push_back(NewDataLabel());
  return uint32_t(classes_.size() - 1);
}

DataLabel ImageBuilder::ReservedClass(uint32_t index) const {
  if (index >= classes_.size()) throw ImageError("class index " + std::to_string(index) + " was never reserved");
  return classes_[index];
}

uint32_t ImageBuilder::AddRuntimeClass(std::string_view name) {
  uint32_t index = ReserveClass();
  AddRuntimeClassAt(index, name);
  return index;
}

void ImageBuilder::AddRuntimeClassAt(uint32_t index, std::string_view name) {
  DataLabel descriptor = ReservedClass(index);
  DataLabel nameRecord = AddStringLiteral(name);
  BindData(descriptor);
  EmitWord(1);
  EmitDataPointer(nameRecord);
}

namespace {

void CheckClass(const ClassDef& def) {
  if (def.constructor.has_value() != def.destructor.has_value())
    throw ImageError("a class needs both a constructor and a destructor, or neither");
  for (const MethodDef& m : def.methods)
    if (m.routine.has_value() == def.isInterface)
      throw ImageError("method \"" + m.name +
                       "\": interface methods have no routine, other methods need one");
}

}  // namespace

uint32_t ImageBuilder::AddClass(const ClassDef& def) {
  uint32_t index = ReserveClass();
  AddClassAt(index, def);
  return index;
}

void ImageBuilder::AddClassAt(uint32_t index, const ClassDef& def, NameLiterals names, void* context) {
  CheckClass(def);
  DataLabel descriptor = ReservedClass(index);
  // Names first, so the descriptor itself is one contiguous record.
  auto literal = [&](std::string_view text) { return names ? names(context, text) : AddStringLiteral(text); };
  std::optional<DataLabel> name;
  if (def.name) name = literal(*def.name);
  std::vector<DataLabel> methodNames, eventNames, menuNames;
  for (const MethodDef& m : def.methods) methodNames.push_back(literal(m.name));
  for (const EventHandlerDef& e : def.eventHandlers) eventNames.push_back(literal(e.event));
  for (const MenuHandlerDef& m : def.menuHandlers) menuNames.push_back(literal(m.item));

  BindData(descriptor);
  EmitWord(0);
  EmitWord(def.instanceSize);
  if (name) EmitDataPointer(*name);
  else EmitWord(0);
  EmitWord(uint32_t(def.superclass));
  EmitWord(def.constructor ? 1 : 0);
  if (def.constructor) {
    EmitCodePointer(*def.constructor);
    EmitCodePointer(*def.destructor);
  }
  EmitData({uint8_t(def.isInterface ? 1 : 0), 0, 0, 0});
  EmitWord(uint32_t(def.interfaces.size()));
  for (uint32_t i : def.interfaces) EmitWord(i);
  EmitWord(uint32_t(def.methods.size()));
  for (size_t i = 0; i < def.methods.size(); ++i) {
    EmitDataPointer(methodNames[i]);
    if (!def.isInterface) EmitCodePointer(*def.methods[i].routine);
  }
  EmitWord(uint32_t(def.eventHandlers.size()));
  for (size_t i = 0; i < def.eventHandlers.size(); ++i) {
    EmitDataPointer(eventNames[i]);
    EmitCodePointer(def.eventHandlers[i].routine);
    EmitWord(def.eventHandlers[i].eventKey);
  }
  EmitWord(uint32_t(def.menuHandlers.size()));
  for (size_t i = 0; i < def.menuHandlers.size(); ++i) {
    EmitDataPointer(menuNames[i]);
    EmitCodePointer(def.menuHandlers[i].routine);
  }
  EmitWord(uint32_t(def.vtable.size()));
  for (const std::optional<CodeLabel>& slot : def.vtable) {
    if (slot) EmitCodePointer(*slot);
    else EmitWord(0);
  }
}

void ImageBuilder::EmitRecordStream(const Bytes& stream) {
  EmitWord(uint32_t(stream.size()));
  EmitData(stream);
}

WindowSlots ImageBuilder::AddWindow(const WindowDesc& window) {
  WindowSlots slots = NewWindowSlots();
  AddWindowAt(slots, window);
  return slots;
}

WindowSlots ImageBuilder::NewWindowSlots() { return WindowSlots{NewDataLabel(), NewDataLabel(), NewDataLabel()}; }

void ImageBuilder::AddWindowAt(const WindowSlots& slots, const WindowDesc& window) {
  BindData(slots.record);
  EmitRecordStream(EncodeWindowStream(window));
  BindData(slots.recordPointer);
  EmitDataPointer(slots.record);
  BindData(slots.instanceVariable);
  EmitWord(0);
}

uint32_t ImageBuilder::AddRawProjectItem(const Bytes& record) {
  AlignData(4);
  DataLabel item = NewDataLabel();
  BindData(item);
  EmitData(record);
  projectItems_.push_back(item);
  return uint32_t(projectItems_.size());  // project items count from 1
}

uint32_t ImageBuilder::AddMenuBar(const std::vector<MenuEntry>& topLevel) {
  Bytes record;
  Bytes stream = EncodeMenuBarStream(topLevel);
  for (uint32_t w : {2u, uint32_t(stream.size())})
    for (int i = 0; i < 4; ++i) record.push_back(uint8_t(w >> (8 * i)));
  record.insert(record.end(), stream.begin(), stream.end());
  return AddRawProjectItem(record);
}

uint32_t ImageBuilder::AddProjectSettings(const Bytes& stream) {
  Bytes record;
  for (uint32_t w : {4u, 0u, uint32_t(stream.size())})
    for (int i = 0; i < 4; ++i) record.push_back(uint8_t(w >> (8 * i)));
  record.insert(record.end(), stream.begin(), stream.end());
  return AddRawProjectItem(record);
}

DataLabel ImageBuilder::AddPluginList(const std::vector<PluginFile>& plugins) {
  AlignData(4);
  std::vector<DataLabel> nodes;
  for (size_t i = 0; i < plugins.size(); ++i) nodes.push_back(NewDataLabel());
  for (size_t i = 0; i < plugins.size(); ++i) {
    const PluginFile& p = plugins[i];
    if (p.fileName.empty() || p.fileName.size() > 255)
      throw ImageError("plug-in file name must have 1 to 255 characters");
    BindData(nodes[i]);
    // The last node's next word stays an unrelocated 0 so that the list ends.
    if (i + 1 < plugins.size()) EmitDataPointer(nodes[i + 1]);
    else EmitWord(0);
    EmitWord(uint32_t(4 + 1 + p.fileName.size() + p.library.size()));
    EmitWord(0);
    data1_.push_back(uint8_t(p.fileName.size()));
    data1_.insert(data1_.end(), p.fileName.begin(), p.fileName.end());
    EmitData(p.library);
    AlignData(4);
  }
  return nodes.empty() ? DataLabel{} : nodes.front();
}

DataLabel ImageBuilder::AddApplicationDescriptor() {
  AlignData(4);
  DataLabel descriptor = NewDataLabel();
  BindData(descriptor);
  EmitWord(uint32_t(classes_.size()));
  for (DataLabel c : classes_) EmitDataPointer(c);
  EmitWord(uint32_t(projectItems_.size()));
  for (DataLabel p : projectItems_) EmitDataPointer(p);
  return descriptor;
}

}  // namespace imagekit
