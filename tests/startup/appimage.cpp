// The start-up tests' application images (appimage.h).
#include "tests/startup/appimage.h"

#include "tests/exceptions/testimage.h"

using imagekit::Bytes;
using imagekit::CodeLabel;
using testimage::FunctionWriter;

const char* TestEventName(uint32_t code) {
  switch (code) {
    case kOpened:
      return "Open";
    case kNewDocument:
      return "NewDocument";
    case kClosed:
      return "Close";
    case kActivated:
      return "Activate";
    case kAfterQuit:
      return "after quit";
    case kLaterClassNewDocument:
      return "NewDocument (later class)";
  }
  return "?";
}

Bytes SettingsStream(bool mdi) {
  Bytes stream = {0x00, 0, 0, 0, 0, 0, 0, 0, 1};  // flag byte, reserved words 0 and 1
  imagekit::AppendCompactInt(stream, 0);        // no document types
  imagekit::AppendCompactInt(stream, 5);        // five messages, 0 to 3 empty
  for (int i = 0; i < 4; ++i) imagekit::AppendText(stream, "");
  imagekit::AppendText(stream,
                       "Un'eccezione della classe %1 non \x8F stata gestita.\r"
                       "L'applicazione verr\x88 chiusa.");
  stream.push_back(mdi ? 1 : 0);
  imagekit::AppendText(stream, "Mia applicazione");
  return stream;
}

namespace {

void ReportEvent(FunctionWriter& f, uint8_t code) {
  f.Code({0x6A, code});            // push code
  f.CallEntry("TestEvent");        // call TestEvent
  f.Code({0x83, 0xC4, 0x04});      // add esp, 4
}

// handler(app): reports its event; Open may also quit or use nil.
void EmitHandler(imagekit::ImageBuilder& b, CodeLabel label, uint8_t code, const AppOptions& o) {
  FunctionWriter f(b);
  b.BindCode(label);
  f.Begin(4);
  if (o.testRoutines) ReportEvent(f, code);
  if (code == kOpened && o.quitInOpen) {
    f.CallEntry("ApplicationQuit");  // call ApplicationQuit
    if (o.testRoutines) ReportEvent(f, kAfterQuit);
  }
  if (code == kOpened && o.nilInOpen) f.CallEntry("RuntimeNilObject");  // call RuntimeNilObject
  if (code == kOpened && o.faultInOpen) f.Code({0xA1, 0x00, 0x00, 0x00, 0x00});  // mov eax, [0]
  f.End({});
}

// OpenDocument(app, item): hands the FolderItem to TestDocument.
void EmitOpenDocument(imagekit::ImageBuilder& b, CodeLabel label) {
  FunctionWriter f(b);
  b.BindCode(label);
  f.Begin(4);
  f.Code({0xFF, 0x75, 0x0C});     // push dword [ebp+12]
  f.CallEntry("TestDocument");    // call TestDocument
  f.Code({0x83, 0xC4, 0x04});     // add esp, 4
  f.End({});
}

}  // namespace

imagekit::Image BuildApplicationImage(const AppOptions& o) {
  imagekit::ImageBuilder b;
  uint32_t application = b.AddRuntimeClass("Application");
  imagekit::ClassDef app;
  app.name = "App";
  app.superclass = static_cast<int32_t>(application);
  struct Handler {
    bool wanted;
    const char* event;
    uint8_t code;
    CodeLabel label;
  } handlers[] = {
      {o.open, "Open", kOpened, b.NewCodeLabel()},
      {o.newDocument, "NewDocument", kNewDocument, b.NewCodeLabel()},
      {o.close, "Close", kClosed, b.NewCodeLabel()},
      {o.activate, "Activate", kActivated, b.NewCodeLabel()},
  };
  for (const Handler& h : handlers) {
    if (h.wanted) app.eventHandlers.push_back({h.event, h.label, 0});
  }
  CodeLabel openDocument = b.NewCodeLabel();
  if (o.openDocument) app.eventHandlers.push_back({"OpenDocument", openDocument, 0});
  uint32_t appIndex = b.AddClass(app);
  CodeLabel laterNewDocument = b.NewCodeLabel();
  if (o.laterApplicationClass) {
    imagekit::ClassDef later;
    later.name = "LaterApp";
    later.superclass = static_cast<int32_t>(appIndex);
    later.eventHandlers.push_back({"NewDocument", laterNewDocument, 0});
    b.AddClass(later);
  }
  b.AddProjectSettings(SettingsStream(o.mdi));
  imagekit::DataLabel descriptor = b.AddApplicationDescriptor();

  for (const Handler& h : handlers) {
    if (h.wanted) EmitHandler(b, h.label, h.code, o);
  }
  if (o.openDocument) EmitOpenDocument(b, openDocument);
  if (o.laterApplicationClass) EmitHandler(b, laterNewDocument, kLaterClassNewDocument, o);

  CodeLabel entry = b.NewCodeLabel();
  FunctionWriter f(b);
  b.BindCode(entry);
  f.Begin(4);
  b.EmitDataAddress({0x68}, descriptor);  // push descriptor
  f.CallEntry("RuntimeInit");             // call RuntimeInit
  f.Code({0x83, 0xC4, 0x04});             // add esp, 4
  f.CallEntry("RuntimeRun");              // call RuntimeRun
  f.End({});
  b.SetEntryFunction(entry);
  b.SetApplicationDescriptor(descriptor);
  return b.Finish();
}
