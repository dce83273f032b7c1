// Call stubs for names that resolve to nothing (an unknown entry name at load time, a
// deferred link whose member is not found): each stub knows its name and, when called,
// sends "Missing entry point: NAME" to the debug output and reports failed assertion 4 with
// the missing name in place of the source unit (line 0), so the dialog shows the name; then
// it returns 0 to the caller. One stub per name. Entry point: MissingEntryStub.
#pragma once
#include <cstdint>

void* MissingEntryStub(const char* name);
// What a stub calls; exposed for tests.
extern "C" uint32_t ReportMissingEntry(const char* name);
