// The list of opened libraries and the two failure messages of library links. Libraries are
// opened through the native layer's LoadLibraryA/GetProcAddress.
#include "runtime/image/libraries.h"

#include <strings.h>

#include "native/win32.h"

namespace {

struct OpenedLibrary {
  std::string name;
  void* handle;
  OpenedLibrary* next;
};

OpenedLibrary* gLibraries = nullptr;  // newest first; lives for the process

void* OpenLibrary(const char* name) { return reinterpret_cast<void*>(LoadLibraryA(name)); }

void* LibraryRoutine(void* handle, const char* routine) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), routine));
}

void* FindOpenedLibrary(const char* name) {
  for (OpenedLibrary* l = gLibraries; l; l = l->next)
    if (strcasecmp(l->name.c_str(), name) == 0) return l->handle;
  return nullptr;
}

}  // namespace

void* FindLibraryRoutine(const char* library, const char* routine, std::string& message) {
  void* handle = FindOpenedLibrary(library);
  if (handle == nullptr) {
    handle = OpenLibrary(library);
    if (handle == nullptr) {
      message = "The application could not be loaded because a necessary shared library " +
                std::string(library) + " could not be found.";
      return nullptr;
    }
    gLibraries = new OpenedLibrary{library, handle, gLibraries};
  }
  void* address = LibraryRoutine(handle, routine);
  if (address == nullptr)
    message = "The application could not be loaded because the routine " + std::string(routine) +
              " could not be found in the shared library " + library + ".";
  return address;
}
