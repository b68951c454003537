#pragma once

#include <cstdint>
#include <cstdio>

namespace Tessu {

class ParameterProperty;

// Every value text fits in a buffer of this many bytes: name (127) + ": " + value (63) + unit (63) + NUL.
constexpr int32_t kValueTextCapacity = 256;
// Room a value formatter may use for the value itself, terminator included.
constexpr int32_t kValueFieldCapacity = 64;

// printf into a value field of kValueFieldCapacity bytes; a format without arguments is copied as is.
template <typename... Args> void writeValueField(char* text, const char* format, Args... args) {
    if constexpr (sizeof...(Args) == 0) {
        std::snprintf(text, kValueFieldCapacity, "%s", format);
    } else {
        std::snprintf(text, kValueFieldCapacity, format, args...);
    }
}

// The current value of parameter as text; does nothing for a null parameter. The host's parameter
// display uses (omitName true, withUnit false, highPrecision true).
void formatCurrentValue(ParameterProperty* parameter, char* text, bool omitName, bool withUnit,
                        bool highPrecision);

// trunc(value + 0.02) for value >= 0, trunc(value - 0.02) below, saturated to the int32 range: whole-number
// settings stored a hair off (2.99, -1.99) still read as the number they stand for.
int32_t wholeNumberOf(double value);

// The generic rule by unit kind, without name or unit label; minimum and maximum are the range ends.
void formatByUnitKind(int32_t unitKind, float minimum, float maximum, float value, bool lowPrecision,
                      char* text);

} // namespace Tessu
