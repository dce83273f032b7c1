// Choosing the backend on first use: ARMONIX_NATIVE=fltk|headless; without it the FLTK
// desktop when a display is available, else a one-line explanation and exit status 1.
// Entry points: TheBackend, InstallBackend, HasBackend.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "native/core/state.h"
#include "native/fltk/fltk.h"
#include "native/headless/headless.h"

namespace native {
namespace {

std::unique_ptr<Backend> gBackend;
// The backend chosen from the environment is never freed: the headless one's exit hook still
// reads it after a replacement. Every other replaced backend is.
Backend* gFromEnvironment = nullptr;

[[noreturn]] void NoDesktop(const std::string& why) {
  std::fprintf(stderr,
               "armonix: %s; to run without a desktop set ARMONIX_NATIVE=headless "
               "(with ARMONIX_SCRIPT=FILE to play the user)\n",
               why.c_str());
  std::exit(1);
}

Backend* FromEnvironment() {
  const char* choice = std::getenv("ARMONIX_NATIVE");
  std::string value = choice ? choice : "";
  if (value == "headless") return CreateHeadlessBackendFromEnvironment();
  if (!value.empty() && value != "fltk") {
    std::fprintf(stderr, "armonix: ARMONIX_NATIVE=%s is neither fltk nor headless\n",
                 value.c_str());
    std::exit(1);
  }
  std::string why;
  Backend* desktop = CreateFltkBackend(&why);
  if (!desktop) NoDesktop(why);
  return desktop;
}

}  // namespace

Backend& TheBackend() {
  if (!gBackend) {
    gBackend.reset(FromEnvironment());
    gFromEnvironment = gBackend.get();
    RegisterSystemClasses();
  }
  return *gBackend;
}

void InstallBackend(Backend* backend) {
  Backend* replaced = gBackend.release();
  gBackend.reset(backend);
  if (replaced != gFromEnvironment && replaced != backend) delete replaced;
  RegisterSystemClasses();
}

bool HasBackend() { return gBackend != nullptr; }

}  // namespace native
