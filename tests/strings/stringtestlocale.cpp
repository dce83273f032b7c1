// The string tests run in the en_US.UTF-8 locale, selected before any test (and so before
// the character tables are built on first use). Tests that need other separators switch
// LC_NUMERIC themselves.
#include <clocale>
#include <cstdio>

namespace {

struct SelectLocale {
  SelectLocale() {
    if (std::setlocale(LC_ALL, "en_US.UTF-8") == nullptr) {
      std::fprintf(stderr, "en_US.UTF-8 is not installed; locale-dependent tests will fail\n");
    }
  }
} gSelectLocale;

}  // namespace
