#include "params/ValueParse.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "params/ParameterProperty.h"
#include "params/SkewCurve.h"

namespace Tessu {

namespace {

constexpr const char* kNoteNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

// "C#3" -> 12 * (3 + 2) + 1; an unknown note letter adds nothing. The 0.02 keeps getIntValue on the note.
double parseNoteName(const char* text) {
    size_t noteLength = text[1] == '#' ? 2 : 1;
    double octave = readLeadingNumber(text + noteLength);
    double value = 12.0 * (octave + 2.0);
    for (int index = 0; index < 12; ++index) {
        if (std::strlen(kNoteNames[index]) == noteLength &&
            std::strncmp(text, kNoteNames[index], noteLength) == 0)
            value += index;
    }
    return value + 0.02;
}

// " 1 : 4.5" and "1:4.5" both read 4.5; " 1 : inf" reads the range end.
double parseRatio(const char* text, double asRead, float maximum) {
    if (const char* separator = std::strstr(text, ": ")) {
        const char* rest = separator + 2;
        if (std::strstr(rest, "inf")) return maximum;
        return readLeadingNumber(rest);
    }
    if (const char* colon = std::strchr(text, ':')) return readLeadingNumber(colon + 1);
    return asRead;
}

} // namespace

float parseValueText(const char* text, int32_t unitKind, float curve, float maximum) {
    double value = readLeadingNumber(text);
    switch (unitKind) {
    case kUnitPercent:
        // The curve is a ratio of lines: beyond the float range its limit is not the range end.
        if (!std::isinf(value)) value = skew(value / 100.0, curve);
        break;
    case kUnitGainFactor:
        value = std::pow(10.0, 0.05 * value);
        break;
    case kUnitPan:
        value /= 100.0;
        break;
    case kUnitNote:
        if (std::strlen(text) >= 2) value = parseNoteName(text);
        break;
    case kUnitRatio:
        value = parseRatio(text, value, maximum);
        break;
    default:
        break;
    }
    return static_cast<float>(value);
}

} // namespace Tessu
