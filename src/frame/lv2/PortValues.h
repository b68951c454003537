// What a parameter's control port carries. Most ports carry the parameter's own value; the two gains carry
// decibels, as hosts show and automate gains, and the high-pass and frequency-modulation rates start at
// a floor that stands for the parameter's minimum ("Off"), so that a host's logarithmic slider spends its
// travel on the frequencies that matter rather than on decades below them. The plug-in, the UI and the
// bundle's Turtle files all convert through here, so the three cannot disagree.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace Tessu {
class ParameterProperty;
class TessuOS;
} // namespace Tessu

namespace Tessu::lv2 {

// The gains' port minimum, which stands for silence.
inline constexpr float kSilenceDecibels = -60.0f;

float portMinimum(const ParameterProperty& parameter);
float portMaximum(const ParameterProperty& parameter);
// The port value for a plain parameter value, inside the port's range.
float portValue(const ParameterProperty& parameter, float plain);
// The plain parameter value for a port value, inside the parameter's range.
float plainValue(const ParameterProperty& parameter, float port);
// True when the port's minimum stands for the parameter's minimum rather than for itself.
bool hasOffFloor(const ParameterProperty& parameter);

// Applies a state chunk to the effect (reading unscrambles a copy) and answers its host parameters as
// port values, in host index order.
std::vector<float> portValuesOfChunk(TessuOS& effect, std::span<const uint8_t> chunk);

} // namespace Tessu::lv2
