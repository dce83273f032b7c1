// The classes and project items of the image. RuntimeInit hands the image's class table
// (in data1, pointers already relocated) to LoadImageClasses, which turns each class
// descriptor into a ClassRecord (kind 1: a class the runtime or a plug-in supplies; kind 0:
// a class of the image), links superclasses and builds the interface tables; then
// LoadProjectItems makes the project items. Compiled code names classes by their index.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/objects/class.h"
#include "runtime/objects/object.h"
#include "runtime/records/datablock.h"
#include "runtime/records/projectitem.h"

// The image's application descriptor {N, N class descriptor pointers, M, M project item
// pointers} lies at descriptorOffset in the relocated data1 block; every read is checked
// against the block (runtime/records).

// Steps 1 to 4 of class set-up. A damaged descriptor refuses the table: false, *error says
// which record and what was wrong, and no class of the table is usable. Unknown kind-1 names
// are failed assertion 2 (no source, line 0) and leave that class nil; the set-up goes on.
// Bad instance sizes go to the debug hook.
bool LoadImageClasses(const DataBlock& block, uint32_t descriptorOffset, std::string* error);
// Step 5: the project items, in list order. Kind 2 and 4 streams go to the handlers below;
// kinds other than 1..10 are failed assertion 3 (no source, line 0). False (with *error)
// for a damaged item.
bool LoadProjectItems(const DataBlock& block, uint32_t descriptorOffset, std::string* error);

// The classes of the image by index (nil outside 0..count-1 or for an unresolved class).
int32_t ImageClassCount();
ClassRecord* ImageClass(int32_t index);
// Project item index 1..M, lent (nil for 0, above M, or an item that made no object).
int32_t ProjectItemCount();
ObjectHeader* ProjectItemObject(int32_t index);

// Builds the dispatch table of every InterfaceEntry of every class (a new generation).
// False when a class lacks a method of an interface it implements (failed assertion 2,
// "objects" 2389, then 4, "objects" 6036).
bool BuildInterfaceTables();

// Project items handed to other parts: the menu-bar stream (kind 2) and the project-settings
// stream (kind 4), inside data1; the objects of kinds 1, 3, 6 to 10 are made by the maker
// that the part owning their class installs (none installed: the item stays nil).
using ProjectStreamHandler = void (*)(const uint8_t* bytes, uint32_t length);
void SetMenuBarStreamHandler(ProjectStreamHandler handler);
void SetProjectSettingsHandler(ProjectStreamHandler handler);
using ProjectObjectMaker = ObjectHeader* (*)(const DataBlock& block, const ProjectItem& item);
void SetProjectObjectMaker(int32_t kind, ProjectObjectMaker maker);

// Forgets the classes of the last table (a new table replaces them; tests load several).
void ForgetImageClasses();
