#include "frame/lv2/PortValues.h"

#include "frame/TessuOS.h"
#include "params/KavrenParameters.h"
#include "params/ParameterProperty.h"

#include <algorithm>
#include <cmath>

namespace Tessu::lv2 {

namespace {

bool isGain(const ParameterProperty& p) {
    return p.getUnitKind() == kUnitGainFactor;
}

// The lowest frequency a port offers, 0 for ports without a floor. The high-pass design treats anything
// below 10 Hz as 10 Hz, so the floor loses nothing there; the modulation rate keeps the slowest rate the
// factory presets use above its floor.
float floorOf(const ParameterProperty& p) {
    switch (p.getId()) {
    case kHighPassFreq:
        return 10.0f;
    case kFreqModFreq:
        return 0.1f;
    default:
        return 0.0f;
    }
}

// The same formula the typed-value parser uses for "dB", so a port and a typed value give the same factor.
float decibelsToFactor(float decibels) {
    return float(std::pow(10.0, double(decibels) * 0.05));
}

} // namespace

bool hasOffFloor(const ParameterProperty& parameter) {
    return floorOf(parameter) > 0.0f;
}

float portMinimum(const ParameterProperty& parameter) {
    if (isGain(parameter)) return kSilenceDecibels;
    return hasOffFloor(parameter) ? floorOf(parameter) : parameter.getMinimum();
}

float portMaximum(const ParameterProperty& parameter) {
    if (isGain(parameter)) return float(20.0 * std::log10(double(parameter.getMaximum())));
    return parameter.getMaximum();
}

float portValue(const ParameterProperty& parameter, float plain) {
    float port = plain;
    if (isGain(parameter)) port = plain > 0.0f ? float(20.0 * std::log10(double(plain))) : kSilenceDecibels;
    return std::clamp(port, portMinimum(parameter), portMaximum(parameter));
}

float plainValue(const ParameterProperty& parameter, float port) {
    const float low = parameter.getMinimum(), high = parameter.getMaximum();
    if (port <= portMinimum(parameter) && (isGain(parameter) || hasOffFloor(parameter))) return low;
    const float plain = isGain(parameter) ? decibelsToFactor(port) : port;
    return std::clamp(plain, std::min(low, high), std::max(low, high));
}

std::vector<float> portValuesOfChunk(TessuOS& effect, std::span<const uint8_t> chunk) {
    std::vector<uint8_t> copy(chunk.begin(), chunk.end());
    effect.setPresetChunk(copy.data(), int32_t(copy.size()));
    std::vector<float> values;
    for (int32_t i = 0; i < effect.getHostParameterCount(); ++i) {
        const ParameterProperty& parameter = *effect.getHostParameter(i);
        values.push_back(portValue(parameter, parameter.getValue()));
    }
    return values;
}

} // namespace Tessu::lv2
