// The application events (appevents.h).
#include "runtime/startup/appevents.h"

#include "runtime/exceptions/imagecall.h"
#include "runtime/objects/builtinclasses.h"
#include "runtime/startup/runstate.h"

namespace {

EventDeclaration* Declaration(ApplicationEvent event) {
  switch (event) {
    case ApplicationEvent::kOpen:
      return AMX_BUILTIN_EVENT(Application, Open);
    case ApplicationEvent::kClose:
      return AMX_BUILTIN_EVENT(Application, Close);
    case ApplicationEvent::kEnableMenuItems:
      return AMX_BUILTIN_EVENT(Application, EnableMenuItems);
    case ApplicationEvent::kNewDocument:
      return AMX_BUILTIN_EVENT(Application, NewDocument);
    case ApplicationEvent::kOpenDocument:
      return AMX_BUILTIN_EVENT(Application, OpenDocument);
    case ApplicationEvent::kHandleAppleEvent:
      return AMX_BUILTIN_EVENT(Application, HandleAppleEvent);
    case ApplicationEvent::kActivate:
      return AMX_BUILTIN_EVENT(Application, Activate);
    case ApplicationEvent::kDeactivate:
      return AMX_BUILTIN_EVENT(Application, Deactivate);
  }
  return nullptr;
}

CodeAddress Handler(ApplicationEvent event) {
  ObjectHeader* application = CurrentRun().application;
  if (application == nullptr) return nullptr;
  return FindEventHandler(application, Declaration(event));
}

}  // namespace

bool ApplicationHandles(ApplicationEvent event) { return Handler(event) != nullptr; }

bool FireApplicationEvent(ApplicationEvent event, ObjectHeader* argument) {
  CodeAddress handler = Handler(event);
  if (handler == nullptr) return false;
  // The application object is held by the run; the handler borrows it (and the argument).
  uint32_t application = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(CurrentRun().application));
  if (event == ApplicationEvent::kOpenDocument) {
    CallImage2(handler, application, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument)));
  } else {
    CallImage1(handler, application);
  }
  return true;
}
