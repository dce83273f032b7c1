// Firing the built-in Application class's events on the application object. An event fires
// only when the application's class implements it (FindEventHandler); handlers are image code
// called through CallImage. Entry point: FireApplicationEvent.
#pragma once

struct ObjectHeader;

enum class ApplicationEvent {
  kOpen,
  kClose,
  kEnableMenuItems,
  kNewDocument,
  kOpenDocument,
  kHandleAppleEvent,
  kActivate,
  kDeactivate,
};

// True when the application object exists and its class has a handler for the event.
bool ApplicationHandles(ApplicationEvent event);
// Fires the event with the application object first and, for "OpenDocument", the item.
// Returns false when nothing handled it.
bool FireApplicationEvent(ApplicationEvent event, ObjectHeader* argument = nullptr);
