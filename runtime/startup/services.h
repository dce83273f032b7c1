// The runtime's service objects: objects the runtime itself keeps for the whole run (the
// system object, sound and other services). They are destroyed at the end of RuntimeRun and
// when an exception goes unhandled. Entry point: DestroyServiceObjects.
#pragma once

struct ObjectHeader;

// The list takes its own reference; an object is on the list at most once.
void AddServiceObject(ObjectHeader* object);
// Takes the object off the list and drops the list's reference (nothing if it is not on it).
void RemoveServiceObject(ObjectHeader* object);
// Drops the list's reference to each object, newest first, until the list is empty; objects
// added while this runs are destroyed too.
void DestroyServiceObjects();
int ServiceObjectCount();
