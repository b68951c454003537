// One cycle of the LFO as the LFO window previews it, computed with the effect's own oscillator.
#pragma once

#include <vector>

namespace Mirda {

// One value in [−1, 1] per pixel column: the oscillator runs at 1 Hz with the column count as its
// sample rate, from the start of a cycle moved by the shift (0 … 1). shapeSetting is the "LFO Shape"
// value.
std::vector<double> lfoPreviewCycle(int columns, int shapeSetting, double shift);

} // namespace Mirda
