#include "params/ValueFormat.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "params/ParameterProperty.h"

namespace Tessu {

namespace {

int32_t saturatingInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (value <= static_cast<double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

// Percentage of the range end in the value's direction: a bipolar range shows "+50.00" and "-50.00".
void formatPercent(float minimum, float maximum, float value, bool low, char* text) {
    if (value < 0.0f) {
        writeValueField(text, low ? "-%.0f" : "-%.2f", value / minimum * 100.0);
    } else if (minimum >= 0.0f) {
        writeValueField(text, low ? "%.0f" : "%.2f", value / maximum * 100.0);
    } else {
        writeValueField(text, low ? "+%.0f" : "+%.2f", value / maximum * 100.0);
    }
}

// Linear factor in decibels; anything below -99 dB (silence included) is "-oo".
void formatGainFactor(float value, bool low, char* text) {
    double decibels = 20.0 * std::log10(static_cast<double>(value));
    if (decibels >= 0.0) {
        writeValueField(text, low ? "+%2.0f" : "+%2.2f", decibels);
    } else if (decibels >= -99.0) {
        writeValueField(text, low ? "%2.0f" : "%2.2f", decibels);
    } else {
        writeValueField(text, "-oo");
    }
}

void formatSignedPercent(float minimum, float maximum, float value, bool low, char* text) {
    if (value <= 0.0f) {
        double percent = minimum == 0.0f ? 0.0 : value / minimum * -100.0;
        writeValueField(text, low ? "%.0f%%" : "%2.2f%%", percent);
    } else {
        writeValueField(text, low ? "+%2.0f%%" : "+%2.2f%%", value / maximum * 100.0);
    }
}

// Semitones and cents, both signed the same way: 1.25 is "+1 +25 cent", -1.5 is "-1 -50 cent".
void formatCents(float value, char* text) {
    double semitones = value > 0.0f ? std::floor(value) : std::ceil(value);
    int32_t cents = saturatingInt((value - semitones) * 100.0);
    writeValueField(text, value > 0.0f ? "+%i +%i cent" : "%i %i cent", saturatingInt(semitones), cents);
}

void formatPan(float maximum, float value, char* text) {
    if (value > 0.0f) {
        writeValueField(text, "Right %2.0f", value / maximum * 100.0);
    } else if (value == 0.0f) {
        writeValueField(text, "Center");
    } else {
        writeValueField(text, "Left %2.0f", value / maximum * -100.0);
    }
}

// Note number 60 is "C 3": twelve notes per octave, octave 0 starting at note 24.
void formatNote(float value, char* text) {
    static constexpr const char* kNames[12] = {"C ", "C#", "D ", "D#", "E ", "F ",
                                               "F#", "G ", "G#", "A ", "A#", "B "};
    double position = value / 12.0 - 2.0;
    double octave = std::floor(position);
    int32_t note = saturatingInt((position - octave) * 12.0);
    if (note < 0 || note > 11) note = 0;
    writeValueField(text, "%s%i", kNames[note], saturatingInt(octave));
}

} // namespace

int32_t wholeNumberOf(double value) {
    return saturatingInt(value >= 0.0 ? value + 0.02 : value - 0.02);
}

void formatByUnitKind(int32_t unitKind, float minimum, float maximum, float value, bool lowPrecision,
                      char* text) {
    switch (unitKind) {
    case kUnitPercent:
        formatPercent(minimum, maximum, value, lowPrecision, text);
        break;
    case kUnitGainFactor:
        formatGainFactor(value, lowPrecision, text);
        break;
    case kUnitSignedPercent:
        formatSignedPercent(minimum, maximum, value, lowPrecision, text);
        break;
    case kUnitCents:
        formatCents(value, text);
        break;
    case kUnitOnOff:
        writeValueField(text, value >= 0.5f ? "On" : "Off");
        break;
    case kUnitPan:
        formatPan(maximum, value, text);
        break;
    case kUnitNote:
        formatNote(value, text);
        break;
    case kUnitInteger:
        writeValueField(text, "%i", wholeNumberOf(value));
        break;
    case kUnitRatio:
        if (value < 10.0f) {
            writeValueField(text, " 1 : %.2f", static_cast<double>(value));
        } else {
            writeValueField(text, " 1 : inf");
        }
        break;
    default:
        writeValueField(text, lowPrecision ? "%.0f" : "%.1f", static_cast<double>(value));
        break;
    }
}

void ParameterProperty::formatValue(float value, char* text, int32_t flags) {
    text[0] = '\0';
    if (flags & kFormatWithName) {
        std::strcat(text, getName());
        std::strcat(text, ": ");
    }
    char* field = text + std::strlen(text);
    int32_t withUnit = flags & kFormatWithUnit;
    if (formatFunction_) {
        formatFunction_(value, field, withUnit);
        return;
    }
    if (linkedFormatFunction_) {
        linkedFormatFunction_(this, value, field, withUnit, linkedParameter_);
        return;
    }
    formatByUnitKind(unitKind_, minimum_, maximum_, value, (flags & kFormatLowPrecision) != 0, field);
    if (withUnit) std::strcat(text, getUnit());
}

void formatCurrentValue(ParameterProperty* parameter, char* text, bool omitName, bool withUnit,
                        bool highPrecision) {
    if (!parameter) return;
    int32_t flags = (omitName ? 0 : kFormatWithName) | (withUnit ? kFormatWithUnit : 0) |
                    (highPrecision ? 0 : kFormatLowPrecision);
    parameter->formatValue(parameter->getValue(), text, flags);
}

} // namespace Tessu
