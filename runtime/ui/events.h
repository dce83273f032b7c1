// Raising events of windows, controls and menu items: find the handler with FindEventHandler
// and call it like an image handler (receiver first, then the event's parameters as 32-bit
// words; the caller keeps string and object arguments alive). A Boolean result is its low
// byte; an event without a handler answers false. Entry points: RaiseEvent, RaiseBoolEvent.
#pragma once
#include <cstdint>

#include "runtime/objects/class.h"
#include "runtime/objects/object.h"

// True when the object's class (or a superclass) has a handler for the declaration.
bool HasEventHandler(ObjectHeader* receiver, EventDeclaration* declaration);
// Calls the handler when there is one; returns whether one ran.
bool RaiseEvent(ObjectHeader* receiver, EventDeclaration* declaration, int32_t argc = 0,
                const uint32_t* args = nullptr);
// A Boolean event: the handler's low result byte; false without a handler.
bool RaiseBoolEvent(ObjectHeader* receiver, EventDeclaration* declaration, int32_t argc = 0,
                    const uint32_t* args = nullptr);
