#include "editor/display/FrequencyGrid.h"

#include <algorithm>
#include <cstdio>

namespace Mirda {

namespace {

constexpr double kMajorHz[] = {25, 50, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};

} // namespace

std::vector<FrequencyGridLine> frequencyGridLines(double maximumHz) {
    std::vector<FrequencyGridLine> lines;
    for (size_t i = 0; i < std::size(kMajorHz); ++i) {
        lines.push_back({std::min(kMajorHz[i], maximumHz), true});
        if (i + 1 == std::size(kMajorHz)) break;
        const double step = (kMajorHz[i + 1] - kMajorHz[i]) / 6.0;
        for (int k = 1; k <= 5; ++k) lines.push_back({std::min(kMajorHz[i] + k * step, maximumHz), false});
    }
    return lines;
}

std::string frequencyLabel(double hz) {
    char text[32];
    if (hz < 1000.0)
        std::snprintf(text, sizeof text, "%.0f Hz", hz);
    else
        std::snprintf(text, sizeof text, "%.0f kHz", hz / 1000.0);
    return text;
}

} // namespace Mirda
