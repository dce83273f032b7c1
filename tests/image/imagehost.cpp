// A bare runtime for the standalone-executable tests: loads the image appended to this very
// executable (found through its .pickle section) and runs it, as start-up does.
#include <cstdlib>

#include "runtime/image/loader.h"

int main() {
  setenv("ARMONIX_NATIVE", "headless", 0);
  ImageLoader();
  return 0;  // a refused image also ends the process with exit code 0
}
