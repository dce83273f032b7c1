// Loading in order: locate, read the blocks, link code2, relocate data1 with data2 (then
// free data2), check the entry pointer, seal code1, call the entry function.
#include "runtime/image/loader.h"

#include <cstdlib>
#include <cstring>

#include "native/win32.h"
#include "runtime/entries/entrytable.h"
#include "runtime/exceptions/imagecall.h"
#include "runtime/image/codememory.h"
#include "runtime/image/container.h"
#include "runtime/image/deferredlinks.h"
#include "runtime/image/libraries.h"
#include "runtime/image/linker.h"
#include "runtime/image/missingentry.h"
#include "runtime/image/relocator.h"
#include "runtime/startup/message.h"

namespace {

struct LoaderState {
  ImageBlock code1{nullptr, 0};
  ImageBlock data1{nullptr, 0};
  uint32_t resourceOffset = kNoResourceTable;
  bool development = true;
};
LoaderState gLoaded;

class RuntimeLinkTargets : public LinkTargets {
 public:
  void* FindEntry(const char* name) override { return FindEntryAtLink(name); }
  void* MissingEntry(const char* name) override { return MissingEntryStub(name); }
  void* FindLibraryRoutine(const char* library, const char* routine,
                           std::string& message) override {
    return ::FindLibraryRoutine(library, routine, message);
  }
  void Defer(const char* name, uint32_t head) override { PushDeferredLink(name, head); }
};

bool ReadBlocks(const ImageLoadRequest& request, ImageBlocks& blocks, std::string& message) {
  if (request.resource.imageOffset != 0)
    return ReadContainerFile(request.executable.c_str(), request.resource.imageOffset, blocks,
                             message);
  return ReadDevelopmentFiles(request.developmentDir, blocks, message);
}

// Word 0 of data1, once relocated, must lead into code1.
bool EntryFunction(const ImageBlocks& blocks, uintptr_t& entry, std::string& message) {
  if (blocks.data1.size < 8) {
    message = DamagedImageMessage("data1 (size " + HexNumber(blocks.data1.size) +
                                  ") is too short to hold its two head words");
    return false;
  }
  uint32_t word;
  memcpy(&word, blocks.data1.bytes, 4);
  uintptr_t start = reinterpret_cast<uintptr_t>(blocks.code1.bytes);
  if (word < start || word - start >= blocks.code1.size) {
    message = DamagedImageMessage("data1 offset 0x0: the entry pointer " + HexNumber(word) +
                                  " does not lead into code1");
    return false;
  }
  entry = word;
  return true;
}

bool Prepare(const ImageLoadRequest& request, ImageBlocks& blocks, uintptr_t& entry,
             std::string& message) {
  if (!ReadBlocks(request, blocks, message)) return false;
  RuntimeLinkTargets runtimeTargets;
  LinkTargets& targets = request.targets ? *request.targets : runtimeTargets;
  uintptr_t code1 = reinterpret_cast<uintptr_t>(blocks.code1.bytes);
  uintptr_t data1 = reinterpret_cast<uintptr_t>(blocks.data1.bytes);
  bool ok = LinkCode(blocks.code1, blocks.code2, data1, targets, message) &&
            ApplyRelocations(blocks.data1, blocks.data2, code1, data1, message) &&
            EntryFunction(blocks, entry, message);
  if (ok && !SealCodeBlock(blocks.code1.bytes, blocks.code1.size)) {
    message = "The application could not be loaded because its code could not be made executable.";
    ok = false;
  }
  if (!ok) {
    DiscardBlocks(blocks);
    while (DeferredLink* link = PopDeferredLink()) delete link;
    return false;
  }
  // Link records and relocations have been applied (deferred links keep copies of their
  // names); only code1 and data1 stay for the process.
  free(blocks.code2.bytes);
  blocks.code2 = ImageBlock{nullptr, 0};
  free(blocks.data2.bytes);
  blocks.data2 = ImageBlock{nullptr, 0};
  return true;
}

}  // namespace

void ShowLoaderMessage(const std::string& text) {
  ShowRuntimeMessage(text);
}

bool LoadAndRunImage(const ImageLoadRequest& request) {
  ImageBlocks blocks{};
  uintptr_t entry = 0;
  std::string message;
  if (!Prepare(request, blocks, entry, message)) {
    ShowLoaderMessage(message);
    return false;
  }
  gLoaded = LoaderState{blocks.code1, blocks.data1, request.resource.resourceOffset,
                        request.resource.imageOffset == 0};
  if (request.callEntry) CallImage0(reinterpret_cast<const void*>(entry));
  return true;
}

bool ImageLoader() {
  ImageLoadRequest request;
  request.resource = ReadLocatingResource();
  return LoadAndRunImage(request);
}

ImageBlock LoadedCode1() { return gLoaded.code1; }
ImageBlock LoadedData1() { return gLoaded.data1; }
uint32_t LoadedResourceOffset() { return gLoaded.resourceOffset; }
bool LoadedInDevelopmentMode() { return gLoaded.development; }
