#include "editor/display/LfoPreview.h"

#include "dsp/modulation/LfoOscillator.h"

#include <algorithm>

namespace Mirda {

std::vector<double> lfoPreviewCycle(int columns, int shapeSetting, double shift) {
    DSP::Generators::CLFOOscillator oscillator;
    oscillator.setSampleRate(std::max(columns, 1));
    oscillator.setRate(1.0);
    oscillator.setShape(DSP::Generators::CLFOOscillator::shapeFromParameter(shapeSetting));
    oscillator.setShift(shift);
    oscillator.restart();
    std::vector<double> cycle(size_t(std::max(columns, 0)));
    for (double& value : cycle) value = oscillator.tick();
    return cycle;
}

} // namespace Mirda
