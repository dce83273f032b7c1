// Library links ("!Xlibrary!routine"): the libraries opened for them, newest first, each
// opened once (names compared ignoring case). Entry point: FindLibraryRoutine.
#pragma once
#include <string>

// The routine's address; nil with message set to the loader's exact failure text.
void* FindLibraryRoutine(const char* library, const char* routine, std::string& message);
