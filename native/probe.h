// A line the layer above reports about itself when a headless script asks for it (`probe`),
// such as the runtime's live-object count and heap use, so that a long scripted session can
// check that it gives back what it takes. Entry points: SetProbeSource, ProbeText.
#pragma once

#include <string>

namespace native {

using ProbeSource = std::string (*)();

// Replaces the source (nil: none).
void SetProbeSource(ProbeSource source);
// The source's line, or "" when there is none.
std::string ProbeText();

}  // namespace native
