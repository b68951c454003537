// The frequency grid behind the filter curves: labelled major lines and five minor lines between each
// pair of majors.
#pragma once

#include <string>
#include <vector>

namespace Mirda {

struct FrequencyGridLine {
    double hz;
    bool major;
};

// In ascending order; lines above the axis maximum sit at the maximum.
std::vector<FrequencyGridLine> frequencyGridLines(double maximumHz);
// "500 Hz" below 1 kHz, "16 kHz" from 1 kHz on.
std::string frequencyLabel(double hz);

} // namespace Mirda
