// Unhandled exceptions and processor faults. An unhandled exception shows message 4 of the
// project's message table in the runtime's message box and ends the run; a fault is written
// to stderr from the signal handler (a message box is not safe there) and ends the process
// with the fault's own signal, so it never reports success.
#include "runtime/exceptions/unhandled.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ucontext.h>
#include <unistd.h>

#include "native/win32.h"
#include "runtime/exceptions/exceptions.h"
#include "runtime/objects/objects.h"
#include "runtime/objects/strings.h"
#include "runtime/startup/message.h"
#include "runtime/startup/projectsettings.h"
#include "runtime/startup/services.h"

namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

[[noreturn]] void EndProcess() {
  std::fflush(nullptr);
  _exit(0);
}

// ---- processor faults ----

struct FaultKind {
  int signal;
  uint32_t code;  // the fault code the report shows
};
constexpr FaultKind kFaults[] = {
    {SIGSEGV, 0xC0000005},  // access violation
    {SIGBUS, 0xC0000005},
    {SIGILL, 0xC000001D},   // illegal instruction
    {SIGFPE, 0xC0000094},   // integer division by zero
};

void AppendHex(char* out, uint32_t value) {
  static const char kDigits[] = "0123456789abcdef";
  for (int i = 7; i >= 0; --i) out[7 - i] = kDigits[(value >> (4 * i)) & 0xF];
}

// Formats without the C library's formatted output, which is not safe in a signal handler.
void WriteFaultReport(uint32_t code, uint32_t address) {
  char text[] =
      "Unhandled Exception\n"
      "Unhandled exception: ########\n"
      "At address:          ########\n";
  AppendHex(std::strchr(text, '#'), code);
  AppendHex(std::strchr(text, '#'), address);
  ssize_t ignored = write(STDERR_FILENO, text, sizeof text - 1);
  (void)ignored;
}

// The signal frame may leave the stack only 4-byte aligned, and the compiled handler uses
// SSE stores that need 16.
__attribute__((force_align_arg_pointer)) void OnFault(int signal, siginfo_t* info, void* context) {
  uint32_t code = 0xC0000005;
  for (const FaultKind& kind : kFaults) {
    if (kind.signal == signal) code = kind.code;
  }
  uint32_t address = reinterpret_cast<uintptr_t>(info->si_addr);
#if defined(__i386__)
  if (context != nullptr) {
    address = static_cast<const ucontext_t*>(context)->uc_mcontext.gregs[REG_EIP];
  }
#endif
  WriteFaultReport(code, address);
  // End as the fault would have: default action, the signal delivered again on return.
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

}  // namespace

bool IsEndException(const ObjectHeader* exception) {
  return exception != nullptr &&
         exception->cls == BuiltinExceptionClass(BuiltinException::kEnd);
}

std::string UnhandledExceptionText(const ObjectHeader* exception) {
  ClassRecord* named = exception != nullptr ? FirstNamedClass(exception->cls) : nullptr;
  std::string className(StringView(named != nullptr ? named->name : nullptr));
  return ReplaceAll(ProjectMessage(4), "%1", className);
}

void ReportUnhandledException(ObjectHeader* exception) {
  if (IsEndException(exception)) {
    DestroyServiceObjects();
    UnlockObject(exception);
    return;
  }
  std::string text = UnhandledExceptionText(exception);
  ShowRuntimeMessage(text);
  DestroyServiceObjects();
  EndProcess();
}

void InstallFaultReporter() {
  // Its own stack, so that a stack overflow can still be reported.
  static uint8_t alternateStack[64 * 1024];
  stack_t stack = {};
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  sigaltstack(&stack, nullptr);
  struct sigaction action = {};
  action.sa_sigaction = OnFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const FaultKind& kind : kFaults) sigaction(kind.signal, &action, nullptr);
}
