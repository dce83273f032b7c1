// What happens to an exception that no catch clause takes: an EndException tears down the
// runtime's service objects and returns to its raiser; any other is shown with message 4
// of the project's message table and ends the process with exit code 0.
#pragma once
#include <string>

struct ObjectHeader;

bool IsEndException(const ObjectHeader* exception);

// Takes over the raise's reference. Returns only for an EndException.
void ReportUnhandledException(ObjectHeader* exception);

// The text shown: message 4 with each "%1" replaced by the name of the exception's class
// (the first named class of its chain).
std::string UnhandledExceptionText(const ObjectHeader* exception);

// Processor faults (a bad pointer in image code, a stack overflow) are reported as
// "Unhandled exception: %08x\nAt address:          %08x\n" on stderr under the caption
// "Unhandled Exception" and end the process as the fault would. Installed at process start.
void InstallFaultReporter();
