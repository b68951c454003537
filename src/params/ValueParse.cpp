#include "params/ValueParse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
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

bool isDigit(char c, bool hex) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
}

// Whether the number in [first, last), which the conversion found out of range, is too large rather
// than too small: its leading digit's position plus its exponent (in digits, or in bits for hex).
bool beyondLargest(const char* first, const char* last, bool hex) {
    long long integerDigits = 0, fractionZeros = 0;
    bool seenPoint = false, seenNonZero = false;
    const char* p = first;
    for (; p < last && (isDigit(*p, hex) || *p == '.'); ++p) {
        if (*p == '.') {
            seenPoint = true;
            continue;
        }
        seenNonZero = seenNonZero || *p != '0';
        if (!seenPoint && seenNonZero) ++integerDigits;
        if (seenPoint && !seenNonZero) ++fractionZeros;
    }
    const long long position = integerDigits > 0 ? integerDigits : -fractionZeros;
    long long exponent = 0;
    if (p < last && (*p == 'e' || *p == 'E' || *p == 'p' || *p == 'P')) {
        const bool negative = p[1] == '-';
        for (p += (p[1] == '-' || p[1] == '+') ? 2 : 1; p < last && isDigit(*p, false); ++p)
            exponent = std::min(exponent * 10 + (*p - '0'), 1000000000LL);
        if (negative) exponent = -exponent;
    }
    return (hex ? 4 * position : position) + exponent > 0;
}

} // namespace

double readLeadingNumber(const char* text, const char** end) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const bool hex = p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
                     (isDigit(p[2], true) || (p[2] == '.' && isDigit(p[3], true)));
    const char* first = hex ? p + 2 : p;
    double value = 0.0;
    const auto [after, error] =
        *first == '-' || *first == '+'
            ? std::from_chars_result{first, std::errc::invalid_argument}
            : std::from_chars(first, first + std::strlen(first), value,
                              hex ? std::chars_format::hex : std::chars_format::general);
    if (error == std::errc::invalid_argument) {
        if (end) *end = text;
        return 0.0;
    }
    if (error == std::errc::result_out_of_range) value = beyondLargest(first, after, hex) ? HUGE_VAL : 0.0;
    if (end) *end = after;
    return negative ? -value : value;
}

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
