// The RuntimeInit entry and its steps (runtimeinit.h). A class table that is damaged
// (it runs outside data1) cannot be run: its message is shown and the process ends cleanly.
#include "runtime/startup/runtimeinit.h"

#include <cstdio>
#include <string>
#include <unistd.h>

#include "native/probe.h"
#include "native/win32.h"
#include "runtime/entries/accessors.h"
#include "runtime/entries/entries.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/exceptions/stacklimit.h"
#include "runtime/image/loader.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/objects/classtable.h"
#include "runtime/objects/heap.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/records/datablock.h"
#include "runtime/startup/appevents.h"
#include "runtime/startup/commandline.h"
#include "runtime/startup/folderitem.h"
#include "runtime/startup/hooks.h"
#include "runtime/startup/mdiframe.h"
#include "runtime/startup/message.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/startup/runstate.h"

namespace {

ClassRecord* FindBuiltinByName(const char* name) { return FindBuiltinClass(name); }

void OnMenuBarStream(const uint8_t* bytes, uint32_t length) {
  StartupHooks().buildMenuBar(bytes, length);
}

void OnProjectSettingsStream(const uint8_t* bytes, uint32_t length) {
  ApplyProjectSettingsStream(bytes, length);
}

// The relocated data1 block that holds the descriptor: the loaded image's (which then
// becomes the block the records readers know), else the one they already know. False when
// the descriptor lies in neither.
bool LocateDescriptor(const void* descriptor, DataBlock* block, uint32_t* offset) {
  ImageBlock data1 = LoadedData1();
  DataBlock loaded = DataBlock::Relocated(data1.bytes, data1.size);
  if (data1.bytes != nullptr && loaded.OffsetOfAddress(descriptor, *offset)) {
    SetImageData(loaded);
    *block = loaded;
    return true;
  }
  *block = ImageData();
  return block->bytes != nullptr && block->OffsetOfAddress(descriptor, *offset);
}

[[noreturn]] void RefuseApplication(const std::string& detail) {
  std::string text = "The application could not be started because its image is damaged: " + detail;
  ShowRuntimeMessage(text);
  std::fflush(nullptr);
  _exit(0);
}

// The probe line of headless scripts: a session that gives back what it takes ends each
// round with the same figures.
std::string ReportUsage() {
  return "objects " + std::to_string(LiveObjectCount()) + " heap " +
         std::to_string(HeapBytesInUse());
}

void SetUpRuntime() {
  RunState& run = CurrentRun();
  RuntimeHooks& hooks = StartupHooks();
  hooks.registerWindowClasses(run.module);        // 1
  OleInitialize(nullptr);                         // 2
  hooks.setDefaultColoursAndFont();               // 3
  SetUpBuiltinClasses();                          // 4: application, system, menu classes
  hooks.registerWindowAndControlClasses();        //    then window and control classes
  hooks.installPlugins();                         // 5
  hooks.setDefaultTextFont("System", 12);         // 6
  SetStackLimitFromHere();                        // 7
  ResolveDeferredLinks(FindBuiltinByName);        // 8
  native::SetProbeSource(&ReportUsage);
}

void SetUpApplication(const void* descriptor) {
  DataBlock block;
  uint32_t offset = 0;
  std::string error;
  if (!LocateDescriptor(descriptor, &block, &offset)) {
    RefuseApplication("the application descriptor lies outside data1");
  }
  if (!LoadImageClasses(block, offset, &error)) RefuseApplication(error);  // 9
  CurrentRun().applicationClass = ChooseApplicationClass();       // 10
  SetMenuBarStreamHandler(OnMenuBarStream);                       // 11
  SetProjectSettingsHandler(OnProjectSettingsStream);
  if (!LoadProjectItems(block, offset, &error)) RefuseApplication(error);
  if (MdiMode()) CreateMdiFrame(CurrentApplicationSettings().caption);  // 12
  CurrentRun().application = MakeObject(CurrentRun().applicationClass);  // 13
}

// Step 15: one FolderItem, reused for every token and released at the end. Returns true
// when "OpenDocument" was used.
bool OpenDocuments() {
  const std::string& tail = CurrentRun().commandLineTail;
  if (tail.empty() || !ApplicationHandles(ApplicationEvent::kOpenDocument)) return false;
  // Only plain locals across the handler calls: an exception caught in an outer image frame
  // abandons this frame (the item then leaks rather than being freed twice).
  ObjectHeader* item = NewFolderItem();
  size_t at = 0;
  std::string_view token;
  while (NextDocumentToken(tail, &at, &token)) {
    StringRecord* path = MakeString(token.data(), static_cast<int32_t>(token.size()));
    SetFolderItemPath(item, path);
    UnlockString(path);
    FireApplicationEvent(ApplicationEvent::kOpenDocument, item);
  }
  UnlockObject(item);
  return true;
}

void RunOpeningEvents() {
  FireApplicationEvent(ApplicationEvent::kOpen);                   // 14
  bool opened = OpenDocuments();                                   // 15
  if (CurrentRun().application != nullptr && !opened) {           // 16
    FireApplicationEvent(ApplicationEvent::kNewDocument);
  }
  if (MdiMode()) FireApplicationEvent(ApplicationEvent::kActivate);  // 17
}

}  // namespace

ClassRecord* ChooseApplicationClass() {
  ClassRecord* application = AMX_BUILTIN_CLASS(Application);
  for (int32_t i = ImageClassCount() - 1; i >= 0; --i) {
    ClassRecord* cls = ImageClass(i);
    if (cls != nullptr && cls != application && ClassIsa(cls, application)) return cls;
  }
  return application;
}

AMX_ENTRY void RuntimeInit(void* descriptor) noexcept {
  AMX_IMAGE_CALLER();
  SetUpRuntime();
  SetUpApplication(descriptor);
  RunOpeningEvents();
}
