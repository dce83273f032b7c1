// The probe line of headless scripts: one source, registered by the layer above. Entry
// points: SetProbeSource, ProbeText.
#include "native/probe.h"

namespace native {
namespace {
ProbeSource gSource = nullptr;
}  // namespace

void SetProbeSource(ProbeSource source) { gSource = source; }

std::string ProbeText() { return gSource != nullptr ? gSource() : std::string(); }

}  // namespace native
