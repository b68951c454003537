#pragma once

#include "kavren/AudioFile.h"

namespace kavren {

// Eight seconds of drums and a bass line at 120 BPM, synthesised from a fixed seed, peaking near -6 dBFS.
Audio makeDemoSignal(int sampleRate);

} // namespace kavren
