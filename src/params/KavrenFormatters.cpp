#include "params/KavrenFormatters.h"

#include <cmath>
#include <cstdio>

using Tessu::ParameterProperty;
using Tessu::writeValueField;

void formatFilterMode(float value, char* text, int32_t) {
    writeValueField(text, value == 0.0f ? "Bandpass" : "Notch");
}

void formatMeasurePoint(float value, char* text, int32_t withUnit) {
    if (value <= 100.0f) {
        writeValueField(text, "All");
    } else if (value < 1000.0f) {
        writeValueField(text, withUnit ? "%.2fHz" : "%.2f", static_cast<double>(value));
    } else {
        writeValueField(text, withUnit ? "%.2fkHz" : "%.2fk", value / 1000.0);
    }
}

void formatLfoShape(float value, char* text, int32_t) {
    static constexpr const char* kShapes[] = {"Sine", "Triangle", "Saw", "Dbl Sine", "Mod. Sine", "Square"};
    double shape = std::trunc(value + 0.1);
    writeValueField(text, "%s", shape >= 0.0 && shape <= 5.0 ? kShapes[static_cast<int>(shape)] : "");
}

// Below 30 the LFO follows the host tempo.
void formatLfoTempo(float value, char* text, int32_t) {
    if (value < 30.0f) {
        writeValueField(text, "Host");
    } else {
        writeValueField(text, "%.0f", std::floor(value + 0.1));
    }
}

void formatPrePost(float value, char* text, int32_t) {
    writeValueField(text, value == 0.0f ? "pre Filter" : "post Filter");
}

// 1 ms and below selects the automatic (programme-dependent) release.
void formatLimiterRelease(float value, char* text, int32_t withUnit) {
    if (value <= 1.0f) {
        writeValueField(text, "Auto");
    } else {
        writeValueField(text, withUnit ? "%.0f ms" : " %.0f", std::floor(value + 0.1));
    }
}

void formatGlobalLimiter(float value, char* text, int32_t) {
    writeValueField(text, value >= 1.0f ? "Preset" : "Gbl.OFF");
}

void formatLinkAmount(ParameterProperty* self, float value, char* text, int32_t, ParameterProperty*) {
    const float minimum = self->getMinimum();
    if (value == 0.0f) {
        writeValueField(text, "Off");
    } else if (value > 0.0f) {
        writeValueField(text, minimum < 0.0f ? "+%.2f%%" : "%.2f%%", value / self->getMaximum() * 100.0);
    } else {
        writeValueField(text, "-%.2f%%", value / minimum * 100.0);
    }
}

void formatLfoRateSync(ParameterProperty* self, float value, char* text, int32_t withUnit,
                       ParameterProperty* linked) {
    if (!linked) {
        writeValueField(text, "Error");
    } else if (!linked->getBoolValue()) {
        writeValueField(text, value < 1.0f ? "%0.3f%s" : "%.2f%s", static_cast<double>(value),
                        withUnit ? "Hz" : "");
    } else {
        writeValueField(text, "%s", lfoSyncDivisionName(lfoSyncDivisionIndex(self->getNormalizedValue())));
    }
}

int32_t lfoSyncDivisionIndex(float normalizedRate) {
    double index = std::floor(23.0 * normalizedRate + 0.5) + 1.0;
    return index >= 1.0 && index <= 24.0 ? static_cast<int32_t>(index) : 0;
}

const char* lfoSyncDivisionName(int32_t index) {
    static constexpr const char* kDivisions[24] = {
        "4/1",  "3/1",  "2/1",  "1/1",   "1/2",  "1/4",  "1/8",  "1/16", "4/1T", "3/1T", "2/1T", "1/1T",
        "1/2T", "1/4T", "1/8T", "1/16T", "4/1D", "3/1D", "2/1D", "1/1D", "1/2D", "1/4D", "1/8D", "1/16D"};
    return index >= 1 && index <= 24 ? kDivisions[index - 1] : "";
}
